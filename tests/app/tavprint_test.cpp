#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tools/tavprint/print_layout.h"
#include "tools/tavprint/print_output.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Lines of a print file, each ended by CR LF.
std::string PrintFile(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

// A two-page print in the report's shape: a page header, fields on one line, a field holding
// commas, a negative column, an accented byte and a page number right-aligned by JUS.
const std::vector<std::string> kTwoPages = {
    "DEVICE./out.txt",
    "PAGE 6 ",
    "*@e",
    " 1 ,EMPRESA, 0 ",
    "JUSD",
    " 12 ,P\xB7GINA 1  , 2 ",
    " 1 ,R., 0 ",
    " 4 ,NOM, 1 ",
    " 1 , 7, 0 ",
    " 4 ,PUIG, JOSEP, 1 ",
    "PAGE 6 ",
    "-2 ,TITOL, 1 ",
    " 3 ,X, 0 ",
    " 1 ,AB, 1 ",
};

TEST(TavprintLayout, LaysOutFieldsAtTheirColumnsAndAdvances) {
  PrintLayout layout;
  ASSERT_TRUE(LayOutPrintFile(PrintFile(kTwoPages), layout)) << layout.Error;
  EXPECT_EQ(layout.Device, "./out.txt");
  ASSERT_EQ(layout.Pages.size(), 2u);
  EXPECT_EQ(layout.Pages[0].Length, 6);
  EXPECT_EQ(layout.Pages[0].Lines,
            (std::vector<std::string>{"EMPRESA      P\xB7GINA 1", "", "R. NOM",
                                      " 7 PUIG, JOSEP"}));
  // A column before the first places the field at the left margin; a later field overwrites.
  EXPECT_EQ(layout.Pages[1].Lines, (std::vector<std::string>{"TITOL", "ABX"}));
  EXPECT_EQ(PagesAsText(layout, false),
            "EMPRESA      P\xC3\x80GINA 1\n\nR. NOM\n 7 PUIG, JOSEP\n\fTITOL\nABX\n");
  EXPECT_EQ(PagesAsText(layout, true),
            "EMPRESA      P\xC3\x80GINA 1\n\nR. NOM\n 7 PUIG, JOSEP\n\nTITOL\nABX\n");
}

TEST(TavprintLayout, FullPageContinuesOnANewPageOfTheSameLength) {
  PrintLayout layout;
  ASSERT_TRUE(LayOutPrintFile(PrintFile({"DEVICE", "PAGE 2 ", " 1 ,A, 1 ", " 1 ,B, 1 ",
                                         " 1 ,C, 3 ", " 1 ,D, 0 "}),
                              layout));
  ASSERT_EQ(layout.Pages.size(), 3u);
  EXPECT_EQ(layout.Pages[1].Lines, (std::vector<std::string>{"C"}));
  EXPECT_EQ(layout.Pages[2].Lines, (std::vector<std::string>{"D"}));
  EXPECT_EQ(layout.Pages[2].Length, 2);
}

TEST(TavprintLayout, JustificationAlignsTheNextFieldWithinItsWidth) {
  const struct {
    const char* Code;
    const char* Line;
  } cases[] = {
      {"JUSE", "[  A B   ]"}, {"JUSD", "[     A B]"}, {"JUSN 2 \\#.##\\", "[     A B]"},
      {"JUSC", "[  A B   ]"}, {"JUSA", "[A      B]"}, {"*@e", "[  A B   ]"},
      {"*@x", "[     A B]"},  // an unknown command changes nothing
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Code);
    PrintLayout layout;
    ASSERT_TRUE(LayOutPrintFile(
        PrintFile({"DEVICE", " 1 ,[, 0 ", "JUSD", c.Code, " 2 ,  A B   , 0 ", " 10 ,], 1 ",
                   " 1 ,  A B   , 0 "}),
        layout));
    ASSERT_EQ(layout.Pages.size(), 1u);
    EXPECT_EQ(layout.Pages[0].Lines[0], c.Line);
    EXPECT_EQ(layout.Pages[0].Lines[1], "  A B   ");  // alignment applies to one field only
  }
  PrintLayout centred;
  ASSERT_TRUE(LayOutPrintFile(PrintFile({"DEVICE", "JUSC", " 1 ,  ABC , 0 ", " 7 ,|, 0 "}),
                              centred));
  EXPECT_EQ(centred.Pages[0].Lines[0], " ABC  |");
}

TEST(TavprintLayout, MalformedFilesAreRefusedWithTheirLine) {
  const struct {
    std::string Bytes;
    const char* Error;
  } cases[] = {
      {"", "line 0: the file is empty"},
      {PrintFile({"PAGE 66 "}), "line 1: the file does not begin with DEVICE"},
      {PrintFile({"DEVICE", "DEVICEX"}), "line 2: a second DEVICE line"},
      {PrintFile({"DEVICE", "PAGE"}), "line 2: PAGE without a page length"},
      {PrintFile({"DEVICE", "PAGEx"}), "line 2: PAGE without a page length"},
      {PrintFile({"DEVICE", " 1 ,A"}), "line 2: not a line of a print file"},
      {PrintFile({"DEVICE", " 1 ,A, x "}), "line 2: not a line of a print file"},
      {PrintFile({"DEVICE", " 99999 ,A, 0 "}), "line 2: not a line of a print file"},
      {PrintFile({"DEVICE", "", " 1 ,A, 0 "}), "line 2: not a line of a print file"},
      {PrintFile({"DEVICE", "- ,A, 0 "}), "line 2: not a line of a print file"},
  };
  for (const auto& c : cases) {
    PrintLayout layout;
    EXPECT_FALSE(LayOutPrintFile(c.Bytes, layout));
    EXPECT_EQ(layout.Error, c.Error);
    EXPECT_TRUE(layout.Pages.empty());
  }
}

TEST(TavprintLayout, HugeColumnsAndAdvancesStayBounded) {
  std::vector<std::string> lines = {"DEVICE", "PAGE 0 "};
  for (int i = 0; i < 40; ++i) lines.push_back(" 32767 ,X, 32767 ");
  PrintLayout layout;
  EXPECT_FALSE(LayOutPrintFile(PrintFile(lines), layout));
  PrintLayout wide;
  ASSERT_TRUE(LayOutPrintFile(PrintFile({"DEVICE", " 32767 ,X, 1 ", " 1 ,Y, 0 "}), wide));
  EXPECT_EQ(wide.Pages[0].Lines[1], "Y");
  EXPECT_LE(wide.Pages[0].Lines[0].size(), 1000u);
}

TEST(TavprintDevice, KindFollowsTheDeviceText) {
  EXPECT_EQ(KindOfDevice(""), DeviceKind::Screen);
  EXPECT_EQ(KindOfDevice("   "), DeviceKind::Screen);
  EXPECT_EQ(KindOfDevice("/tmp/x.txt"), DeviceKind::File);
  EXPECT_EQ(KindOfDevice("C:\\LLISTATS\\REMESES.TXT"), DeviceKind::File);
  EXPECT_EQ(KindOfDevice("oficina"), DeviceKind::Printer);
  EXPECT_EQ(KindOfDevice(" LPT1 "), DeviceKind::Printer);
}

// The print program run as banklist runs it: no argument, the print file found in TAVTMP, the
// pages written to the file that DEVICE names.
TEST(TavprintProgram, RendersThePrintFileOfTheTemporaryDirectoryToAFile) {
  TempDir dir;
  std::vector<std::string> lines = kTwoPages;
  lines[0] = "DEVICE" + dir.Path() + "pages.txt";
  dir.Write("tavprint.tmp", PrintFile(lines));
  const std::string program = BANKLIST_BINARY_DIR "/tools/tavprint/tavprint";
  const std::string env = "env -i TAVTMP='" + dir.Path() + "' TAVROOT='" + dir.Path() + "' ";
  ASSERT_EQ(std::system((env + program + " </dev/null").c_str()), 0);
  EXPECT_EQ(ReadAll(dir.Path() + "pages.txt"),
            "EMPRESA      P\xC3\x80GINA 1\n\nR. NOM\n 7 PUIG, JOSEP\n\fTITOL\nABX\n");

  // A missing or malformed print file: a message and a non-zero exit.
  dir.Write("tavprint.tmp", "PAGE 66 \r\n");
  EXPECT_NE(std::system((env + program + " </dev/null 2>/dev/null").c_str()), 0);
  std::system(("rm -f '" + dir.Path() + "tavprint.tmp'").c_str());
  EXPECT_NE(std::system((env + program + " </dev/null 2>/dev/null").c_str()), 0);
}

}  // namespace
