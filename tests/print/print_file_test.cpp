#include "print/print_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "config/session.h"
#include "tests/support/temp_dir.h"

namespace {

class PrintFileTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSessionSettings();
    ResetPrintFile();
    SessionSettings.TemporaryDirectory = dir_.Path();
  }
  void TearDown() override {
    ResetPrintFile();
    ResetSessionSettings();
  }

  std::string PrintPath() const { return dir_.Path() + "tavprint.tmp"; }

  // The bytes of the print file after closing it.
  std::string Contents() {
    ClosePrintFile();
    std::ifstream in(PrintPath(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  TempDir dir_;
};

TEST_F(PrintFileTest, WritesEveryKindOfLineByteForByte) {
  OpenPrintFile("LPT1");
  SetPageLength(66);
  WriteCommand("@e");
  std::string code = "D";
  SetJustification(code);
  WriteField(1, "R.", 0);
  WriteField(12, "P\xB7GINA ", 1);
  WriteField(-3, "", 2);
  SetPageLength(-5);
  EXPECT_EQ(Contents(),
            "DEVICELPT1\r\n"
            "PAGE 66 \r\n"
            "*@e\r\n"
            "JUSD\r\n"
            " 1 ,R., 0 \r\n"
            " 12 ,P\xB7GINA , 1 \r\n"
            "-3 ,, 2 \r\n"
            "PAGE-5 \r\n");
}

TEST_F(PrintFileTest, ExtremeNumbersKeepTheirForm) {
  OpenPrintFile("");
  SetPageLength(32767);
  WriteField(-32768, "x", -32768);
  EXPECT_EQ(Contents(), "DEVICE\r\nPAGE 32767 \r\n-32768 ,x,-32768 \r\n");
}

TEST_F(PrintFileTest, FieldBeforeAnyPageLineStartsAPageOfZero) {
  OpenPrintFile("PRN");
  EXPECT_EQ(PageLength(), 0);
  WriteField(5, "A", 0);
  EXPECT_EQ(Contents(), "DEVICEPRN\r\nPAGE 0 \r\n 5 ,A, 0 \r\n");
}

TEST_F(PrintFileTest, BreaksThePageOnceTheAdvancesFillIt) {
  OpenPrintFile("PRN");
  SetPageLength(66);
  for (int i = 0; i < 32; ++i) WriteField(1, "x", 2);
  WriteField(1, "y", 1);  // 65 lines advanced: still room
  EXPECT_EQ(LineCount(), 65);
  WriteField(1, "z", 1);  // written on the last line; the page is now full
  EXPECT_EQ(LineCount(), 66);
  WriteField(1, "w", 0);  // needs a new page first
  EXPECT_EQ(LineCount(), 0);
  EXPECT_EQ(PageLength(), 66);
  const std::string text = Contents();
  const std::string tail = " 1 ,y, 1 \r\n 1 ,z, 1 \r\nPAGE 66 \r\n 1 ,w, 0 \r\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  std::size_t pages = 0;
  for (std::size_t at = text.find("PAGE"); at != std::string::npos; at = text.find("PAGE", at + 1))
    ++pages;
  EXPECT_EQ(pages, 2u);
}

TEST_F(PrintFileTest, CommandsAndJustificationsAreNotCounted) {
  OpenPrintFile("PRN");
  SetPageLength(2);
  WriteField(1, "a", 1);
  WriteCommand("@e");
  std::string code = "C";
  SetJustification(code);
  EXPECT_EQ(LineCount(), 1);
  WriteField(1, "b", 1);
  WriteField(1, "c", 0);
  EXPECT_EQ(Contents(),
            "DEVICEPRN\r\nPAGE 2 \r\n 1 ,a, 1 \r\n*@e\r\nJUSC\r\n 1 ,b, 1 \r\nPAGE 2 \r\n"
            " 1 ,c, 0 \r\n");
}

TEST_F(PrintFileTest, ControlCharactersInFieldsBecomeBlanksCommasStay) {
  OpenPrintFile("PRN");
  SetPageLength(66);
  std::string text = "a\nb\tc\xFF" "d,e\x7F" "f\rg\x01\xFE\x80";
  text += '\0';
  text += 'h';
  WriteField(1, text, 0);
  EXPECT_EQ(text[1], '\n');  // the caller's text is not changed
  EXPECT_EQ(Contents(),
            "DEVICEPRN\r\nPAGE 66 \r\n 1 ,a b c d,e f g \xFE\x80 h, 0 \r\n");
}

TEST_F(PrintFileTest, LineEndsNeverSplitOtherLines) {
  OpenPrintFile("LP\r\nPAGE 1 ");
  WriteCommand("@e\nPAGE 9 \x1B" "E");
  std::string code = "N2\\#\n#\\";
  SetJustification(code);
  EXPECT_EQ(code, "N 2 \\#\n#\\");
  EXPECT_EQ(Contents(),
            "DEVICELP  PAGE 1 \r\n*@e PAGE 9 \x1B" "E\r\nJUSN 2 \\# #\\\r\n");
}

TEST_F(PrintFileTest, JustificationCodesNormalise) {
  struct Case {
    std::string code;
    std::string normalised;
  };
  const Case cases[] = {
      {"C", "C"},
      {"c", "C"},
      {"  Centre ", "C"},
      {"D", "D"},
      {"r", "D"},
      {"Der", "D"},
      {"A", "A"},
      {" b", "A"},
      {"E", "E"},
      {"X", "E"},
      {"", "E"},
      {"    ", "E"},
      {"*", "E"},
      {"\xB5", "E"},
      {"N", "N 0 "},
      {"n", "N 0 "},
      {"N-3.7", "N 3 "},
      {"N2\\#.###,##\\", "N 2 \\#.###,##\\"},
      {"  N 12\\##\\ tail\\x\\ ", "N 12 \\##\\"},
      {"N2\\##  ", "N 2 \\##  "},
      {"Nx\\##\\", "N 0 \\##\\"},
      {"N9.99", "N 9 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    std::string code = c.code;
    OpenPrintFile("PRN");
    SetJustification(code);
    EXPECT_EQ(code, c.normalised);
    EXPECT_EQ(Contents(), "DEVICEPRN\r\nJUS" + c.normalised + "\r\n");
  }
}

TEST_F(PrintFileTest, HugeJustificationNumberStaysDigits) {
  for (const std::string& digits : {std::string(25, '9'), std::string(400, '9')}) {
    std::string code = "N" + digits + "\\#\\";
    SetJustification(code);
    ASSERT_GE(code.size(), 6u);
    EXPECT_EQ(code.substr(0, 2), "N ");
    EXPECT_EQ(code.find_first_not_of("0123456789", 2), code.size() - 4);
    EXPECT_EQ(code.substr(code.size() - 4), " \\#\\");
  }
}

TEST_F(PrintFileTest, OpeningAgainTruncatesAndKeepsTheCounts) {
  OpenPrintFile("FIRST");
  SetPageLength(10);
  WriteField(1, std::string(500, 'x'), 3);
  ClosePrintFile();
  OpenPrintFile("SECOND");
  EXPECT_EQ(PageLength(), 10);
  EXPECT_EQ(LineCount(), 3);
  WriteField(1, "y", 1);
  EXPECT_EQ(Contents(), "DEVICESECOND\r\n 1 ,y, 1 \r\n");
  // Opening while open closes the first file and starts anew.
  OpenPrintFile("THIRD");
  OpenPrintFile("FOURTH");
  EXPECT_EQ(Contents(), "DEVICEFOURTH\r\n");
}

TEST_F(PrintFileTest, FileIsOwnerOnly) {
  OpenPrintFile("PRN");
  ClosePrintFile();
  struct stat st;
  ASSERT_EQ(stat(PrintPath().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0077, 0u);
}

TEST_F(PrintFileTest, SymbolicLinkIsNotFollowed) {
  const std::string target = dir_.Write("victim", "keep me");
  ASSERT_EQ(symlink(target.c_str(), PrintPath().c_str()), 0);
  OpenPrintFile("PRN");
  SetPageLength(66);
  WriteField(1, "x", 1);
  ClosePrintFile();
  std::ifstream in(target, std::ios::binary);
  std::string kept;
  std::getline(in, kept);
  EXPECT_EQ(kept, "keep me");
}

TEST_F(PrintFileTest, MissingDirectoryWritesNothingButCountsGoOn) {
  SessionSettings.TemporaryDirectory = dir_.Path() + "missing/";
  OpenPrintFile("PRN");
  SetPageLength(66);
  WriteField(1, "x", 4);
  std::string code = "r";
  SetJustification(code);
  ClosePrintFile();
  EXPECT_EQ(code, "D");
  EXPECT_EQ(PageLength(), 66);
  EXPECT_EQ(LineCount(), 4);
  EXPECT_FALSE(std::ifstream(dir_.Path() + "missing/tavprint.tmp").good());
}

TEST_F(PrintFileTest, BackslashTemporaryDirectoryIsFound) {
  // The suite writes directories with backslashes; the file still lands in the directory.
  std::string suite = dir_.Path();
  for (char& c : suite)
    if (c == '/') c = '\\';
  SessionSettings.TemporaryDirectory = suite;
  OpenPrintFile("PRN");
  EXPECT_EQ(Contents(), "DEVICEPRN\r\n");
}

TEST_F(PrintFileTest, LineCountStaysWithinSixteenBits) {
  OpenPrintFile("PRN");
  SetPageLength(32767);
  WriteField(1, "a", 32000);
  WriteField(1, "b", 32000);
  EXPECT_EQ(LineCount(), 32767);
  WriteField(1, "c", 0);  // the full page still breaks
  EXPECT_EQ(LineCount(), 0);
  const std::string text = Contents();
  EXPECT_NE(text.find("PAGE 32767 \r\n 1 ,c, 0 \r\n"), std::string::npos);
}

}  // namespace
