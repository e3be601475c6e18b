#include "app/remittance_report.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/remittance_numbers.h"
#include "config/company.h"
#include "config/language.h"
#include "config/session.h"
#include "format/calendar.h"
#include "print/print_file.h"
#include "tests/app/report_lines.h"
#include "tests/support/temp_dir.h"

namespace {

// One remittance as the tests write it into the record area.
struct Remittance {
  int Number;
  std::string Account;  // 20 digits
  std::string Office;   // 4 digits
  std::string Pre;      // 3 characters
  std::string Name;
  std::string Suf;      // 3 characters
  std::string TaxId;    // up to 17 characters
};

std::string TwoDigits(int n) { return std::string{char('0' + n / 10 % 10), char('0' + n % 10)}; }

void StoreRecord(const Remittance& r) {
  using R = RemittanceRecord;
  RemittanceRecordArea = RemittanceRecord{};
  R& area = RemittanceRecordArea;
  area.SetText(R::kNumberHigh, 1, PackDigits(TwoDigits(r.Number / 100)));
  area.SetText(R::kNumberLow, 1, PackDigits(TwoDigits(r.Number % 100)));
  area.SetText(R::kAccount, R::kAccountLength, PackDigits(r.Account));
  area.SetText(R::kOffice, R::kOfficeLength, PackDigits(r.Office));
  area.SetText(R::kPre, R::kPreLength, r.Pre);
  area.SetText(R::kName, R::kNameLength, r.Name);
  area.SetText(46, 9, "XXXXXXXXX");  // not read by the report
  area.SetText(R::kSuf, R::kSufLength, r.Suf);
  area.SetText(R::kTaxId, R::kTaxIdLength, r.TaxId);
}

using report_test::CatalanHeader;
using report_test::kCompanyName;
using report_test::kCompanyTaxId;
using report_test::Padded;

class RemittanceReportTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSessionSettings();
    ResetCompanyDetails();
    ResetPrintFile();
    LanguageFileName.clear();
    ModuleName = "BANKLIST";
    SessionSettings.TemporaryDirectory = dir_.Path();
    SessionSettings.RootDirectory = dir_.Path();
    SessionSettings.LanguageCode = "CAT";
    CompanyDetails.Fields[0] = kCompanyName;
    CompanyDetails.Fields[6] = kCompanyTaxId;
    LongRemittanceNumbers = false;
    PageNumber = 0;
  }
  void TearDown() override {
    ResetPrintFile();
    ResetCompanyDetails();
    ResetSessionSettings();
    LanguageFileName.clear();
    LongRemittanceNumbers = false;
    PageNumber = 0;
  }

  // Prints the remittances as the record loop does and returns the print file's lines.
  std::vector<std::string> Print(const std::vector<Remittance>& remittances) {
    OpenPrintFile("");
    for (const Remittance& r : remittances) {
      StoreRecord(r);
      PrintRemittanceLine();
    }
    ClosePrintFile();
    std::ifstream in(dir_.Path() + "tavprint.tmp", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string text = bytes.str();
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
      const std::size_t end = text.find("\r\n", start);
      if (end == std::string::npos) {
        ADD_FAILURE() << "line without CR LF at the end of the file";
        break;
      }
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

  TempDir dir_;
};

const Remittance kPlain{7, "21000418450200051332", "0418", "012", "JOSEP PUIG", "003",
                        "ESB87654321"};

TEST_F(RemittanceReportTest, OneRecordGivesTheHeaderAndOneDetailLine) {
  std::vector<std::string> expected = {"DEVICE"};
  for (const std::string& line : CatalanHeader("   1")) expected.push_back(line);
  const std::vector<std::string> detail = {
      " 1 , 7, 0 ",
      " 4 ,ES9121000418450200051332, 0 ",
      " 34 , 418, 0 ",
      " 40 , 12, 0 ",
      " 44 ," + Padded("JOSEP PUIG", 30) + ", 0 ",
      " 75 ," + Padded("ESB87654321", 17) + ", 0 ",
      " 93 ,  3, 1 "};
  expected.insert(expected.end(), detail.begin(), detail.end());
  EXPECT_EQ(Print({kPlain}), expected);
  EXPECT_EQ(PageNumber, 1);
  EXPECT_EQ(LineCount(), 7);
}

// The seven detail fields of one record, for the cases that differ field by field.
struct DetailCase {
  const char* What;
  Remittance Record;
  bool LongNumbers;
  std::vector<std::string> Fields;
};

TEST_F(RemittanceReportTest, DetailFieldsFollowTheirMasksAndRules) {
  const std::string name = Padded("JOSEP PUIG", 30);
  const std::string own_id = " 75 ,ESB12345678      , 0 ";
  const std::string other_id = " 75 ," + Padded("ESB87654321", 17) + ", 0 ";
  const std::string iban = " 4 ,ES9121000418450200051332, 0 ";
  auto with = [](Remittance r, auto change) {
    change(r);
    return r;
  };
  const std::vector<DetailCase> cases = {
      {"7 in two digits", kPlain, false,
       {" 1 , 7, 0 ", iban, " 34 , 418, 0 ", " 40 , 12, 0 ", " 44 ," + name + ", 0 ", other_id,
        " 93 ,  3, 1 "}},
      {"7 in three digits", kPlain, true,
       {" 1 ,  7, 0 ", iban, " 34 , 418, 0 ", " 40 , 12, 0 ", " 44 ," + name + ", 0 ", other_id,
        " 93 ,  3, 1 "}},
      {"100 overflows two digits", with(kPlain, [](Remittance& r) { r.Number = 100; }), false,
       {" 1 ,!!, 0 "}},
      {"100 in three digits", with(kPlain, [](Remittance& r) { r.Number = 100; }), true,
       {" 1 ,100, 0 "}},
      {"1000 in two digits", with(kPlain, [](Remittance& r) { r.Number = 1000; }), false,
       {" 1 ,!!, 0 "}},
      {"1000 overflows three digits", with(kPlain, [](Remittance& r) { r.Number = 1000; }), true,
       {" 1 ,!!!, 0 "}},
      {"9999 in three digits", with(kPlain, [](Remittance& r) { r.Number = 9999; }), true,
       {" 1 ,!!!, 0 "}},
      {"empty identifier after its prefix",
       with(kPlain, [](Remittance& r) { r.TaxId = "ES"; }), false,
       {" 1 , 7, 0 ", iban, " 34 , 418, 0 ", " 40 , 12, 0 ", " 44 ," + name + ", 0 ", own_id,
        " 93 ,  3, 1 "}},
      {"identifier all blanks", with(kPlain, [](Remittance& r) { r.TaxId = ""; }), false,
       {" 1 , 7, 0 ", iban, " 34 , 418, 0 ", " 40 , 12, 0 ", " 44 ," + name + ", 0 ", own_id}},
      {"prefix of another kind kept with its blanks",
       with(kPlain, [](Remittance& r) { r.TaxId = "FR"; }), false,
       {" 1 , 7, 0 ", iban, " 34 , 418, 0 ", " 40 , 12, 0 ", " 44 ," + name + ", 0 ", own_id}},
      {"control characters in the name",
       with(kPlain, [](Remittance& r) { r.Name = "MAR\x09" "IA\x1B" "FERR\xFF"; }), false,
       {" 1 , 7, 0 ", iban, " 34 , 418, 0 ", " 40 , 12, 0 ",
        " 44 ," + Padded("MAR IA FERR ", 30) + ", 0 "}},
      {"accented name kept byte for byte",
       with(kPlain, [](Remittance& r) { r.Name = "N\xA5" "EZ, JOS\x90"; }), false,
       {" 1 , 7, 0 ", iban, " 34 , 418, 0 ", " 40 , 12, 0 ",
        " 44 ," + Padded("N\xA5" "EZ, JOS\x90", 30) + ", 0 "}},
      {"PRE and SUF without digits",
       with(kPlain, [](Remittance& r) { r.Pre = "ABC"; r.Suf = "   "; }), false,
       {" 1 , 7, 0 ", iban, " 34 , 418, 0 ", " 40 ,  0, 0 ", " 44 ," + name + ", 0 ", other_id,
        " 93 ,  0, 1 "}},
      {"PRE and SUF read up to their first non-digit",
       with(kPlain, [](Remittance& r) { r.Pre = " 4X"; r.Suf = "-12"; }), false,
       {" 1 , 7, 0 ", iban, " 34 , 418, 0 ", " 40 ,  4, 0 ", " 44 ," + name + ", 0 ", other_id,
        " 93 ,-12, 1 "}},
      {"all-zero account left as it is",
       with(kPlain, [](Remittance& r) { r.Account = std::string(20, '0'); r.Office = "0000"; }),
       false,
       {" 1 , 7, 0 ", " 4 ,ES0000000000000000000000, 0 ", " 34 ,   0, 0 "}},
      {"wrong national digits printed with computed check digits",
       with(kPlain, [](Remittance& r) { r.Account = "21000418990200051332"; }), false,
       {" 1 , 7, 0 ", " 4 ,ES4121000418990200051332, 0 "}},
  };
  for (const DetailCase& c : cases) {
    SCOPED_TRACE(c.What);
    LongRemittanceNumbers = c.LongNumbers;
    PageNumber = 0;
    const std::vector<std::string> lines = Print({c.Record});
    ASSERT_EQ(lines.size(), 1u + 14u + 7u);
    for (std::size_t i = 0; i < c.Fields.size(); ++i) EXPECT_EQ(lines[15 + i], c.Fields[i]) << i;
  }
}

TEST_F(RemittanceReportTest, BytesAfterTheUsedPartAreNotRead) {
  StoreRecord(kPlain);
  const RemittanceRecord plain = RemittanceRecordArea;
  OpenPrintFile("");
  PrintRemittanceLine();
  RemittanceRecordArea = plain;
  RemittanceRecordArea.SetText(RemittanceRecord::kUsedLength, 20, "\x01\x02 garbage ,,,");
  RemittanceRecordArea.SetText(46, 9, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF");
  PrintRemittanceLine();
  ClosePrintFile();
  std::ifstream in(dir_.Path() + "tavprint.tmp", std::ios::binary);
  std::string line;
  std::vector<std::string> lines;
  while (std::getline(in, line)) lines.push_back(line);
  ASSERT_EQ(lines.size(), 1u + 14u + 14u);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(lines[15 + i], lines[22 + i]);
}

TEST_F(RemittanceReportTest, The56thRecordStartsPageTwo) {
  std::vector<Remittance> records;
  for (int i = 1; i <= 57; ++i) {
    Remittance r = kPlain;
    r.Number = i;
    records.push_back(r);
  }
  const std::vector<std::string> lines = Print(records);
  ASSERT_EQ(lines.size(), 1u + 14u + 55u * 7u + 14u + 2u * 7u);
  const std::vector<std::string> page1 = CatalanHeader("   1");
  const std::vector<std::string> page2 = CatalanHeader("   2");
  for (std::size_t i = 0; i < page1.size(); ++i) EXPECT_EQ(lines[1 + i], page1[i]);
  EXPECT_EQ(lines[15 + 54 * 7], " 1 ,55, 0 ");
  const std::size_t second = 15 + 55 * 7;
  for (std::size_t i = 0; i < page2.size(); ++i) EXPECT_EQ(lines[second + i], page2[i]);
  EXPECT_EQ(lines[second + 14], " 1 ,56, 0 ");
  EXPECT_EQ(lines[second + 21], " 1 ,57, 0 ");
  // No automatic page line anywhere: every PAGE line is a header's.
  int pages = 0;
  for (const std::string& line : lines) pages += line.rfind("PAGE", 0) == 0;
  EXPECT_EQ(pages, 2);
  EXPECT_EQ(PageNumber, 2);
}

// Writes the module's language file under the root directory.
void WriteLanguageFile(const TempDir& dir, const std::string& bytes) {
  std::system(("mkdir -p '" + dir.Path() + "LOCALE'").c_str());
  dir.Write("LOCALE/BANKLIST.LNG", bytes);
}

std::string Entry(const std::string& key, const std::string& galician, const std::string& aranese,
                  const std::string& spanish) {
  return key + "\r\n" + galician + "\r\n" + aranese + "\r\n" + spanish + "\r\n";
}

TEST_F(RemittanceReportTest, SpanishHeaderWithTheTitleAtItsComputedColumn) {
  WriteLanguageFile(
      dir_,
      Entry("P\xB7GINA ", "P\xB5XINA ", "PAGINA ", "P\xB5GINA ") +
          Entry("TAULA DE REMESES EN DISKETTE", "T\xB5" "BOA DE REMESAS EN DISQUETE",
                "TAULA DE REMESES EN DISQUET", "RELACI\xE0N DE REMESAS EN DISQUETE") +
          Entry("NOM ORDENANT", "NOME ORDENANTE", "NOM ORDENANT", "NOMBRE ORDENANTE") +
          Entry("IBAN A ABONAR", "IBAN A ABOAR", "IBAN A PAGAR", "IBAN A ABONAR"));
  SessionSettings.LanguageCode = "SPA";
  const std::vector<std::string> lines = Print({kPlain});
  ASSERT_EQ(lines.size(), 1u + 14u + 7u);
  EXPECT_EQ(lines[5], " 85 ,P\xB5GINA    1, 2 ");
  // 31 characters: (96 - 31) / 2 = 32.
  EXPECT_EQ(lines[6], " 32 ,RELACI\xE0N DE REMESAS EN DISQUETE, 2 ");
  EXPECT_EQ(lines[7], " 1 ,R., 0 ");
  EXPECT_EQ(lines[11], " 44 ,NOMBRE ORDENANTE, 0 ");

  SessionSettings.LanguageCode = "GLG";
  PageNumber = 0;
  const std::vector<std::string> galician = Print({kPlain});
  ASSERT_EQ(galician.size(), 1u + 14u + 7u);
  EXPECT_EQ(galician[6], " 34 ,T\xB5" "BOA DE REMESAS EN DISQUETE, 2 ");
  EXPECT_EQ(galician[8], " 4 ,IBAN A ABOAR, 0 ");
}

TEST_F(RemittanceReportTest, TitleColumnForShortEmptyAndOverlongTitles) {
  const struct {
    std::string Title;
    std::string Line;
  } cases[] = {
      {"A", " 47 ,A, 2 "},                                  // (96 - 1) / 2 = 47
      {"", " 48 ,, 2 "},                                    // an empty translation
      {std::string(97, 'T'), " 0 ," + std::string(97, 'T') + ", 2 "},   // -1 / 2 cut to 0
      {std::string(100, 'T'), "-2 ," + std::string(100, 'T') + ", 2 "},
  };
  SessionSettings.LanguageCode = "SPA";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Title.size());
    WriteLanguageFile(dir_, Entry("TAULA DE REMESES EN DISKETTE", "", "", c.Title));
    PageNumber = 0;
    const std::vector<std::string> lines = Print({kPlain});
    ASSERT_GT(lines.size(), 6u);
    EXPECT_EQ(lines[6], c.Line);
  }
}

TEST_F(RemittanceReportTest, NoRecordsNoPage) {
  EXPECT_EQ(Print({}), std::vector<std::string>{"DEVICE"});
  EXPECT_EQ(PageNumber, 0);
}

}  // namespace
