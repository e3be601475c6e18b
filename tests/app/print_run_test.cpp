#include "app/print_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/remittance_numbers.h"
#include "app/remittance_report.h"
#include "config/company.h"
#include "config/language.h"
#include "config/session.h"
#include "data/data_files.h"
#include "format/calendar.h"
#include "print/print_file.h"
#include "recman/recman.h"
#include "tests/app/report_lines.h"
#include "tests/support/specification_block.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kRecordLength = 80;

// The remittance file's specification: key 0 is the remittance number, its first two digits
// (byte 76, counted from 1) then its last two (byte 1), duplicates allowed.
std::string RemittanceSpec() {
  return test_support::MakeSpec(kRecordLength, {{{76, 1, KeyDuplicates}, {1, 1, KeyDuplicates}}});
}

struct Remittance {
  int Number;
  std::string Account = "21000418450200051332";
  std::string Name = "CLIENT";
  std::string Pre = "012";
  std::string TaxId = "ESB87654321";
};

std::string Field(const std::string& text, std::size_t width) {
  std::string out = text.substr(0, width);
  return out + std::string(width - out.size(), ' ');
}

std::string TwoDigits(int n) { return std::string{char('0' + n / 10 % 10), char('0' + n % 10)}; }

std::string RecordBytes(const Remittance& r) {
  std::string b(kRecordLength, ' ');
  b.replace(0, 1, PackDigits(TwoDigits(r.Number % 100)));
  b.replace(1, 10, PackDigits(r.Account));
  b.replace(11, 2, PackDigits("0418"));
  b.replace(13, 3, Field(r.Pre, 3));
  b.replace(16, 30, Field(r.Name, 30));
  b.replace(46, 9, "XXXXXXXXX");
  b.replace(55, 3, "003");
  b.replace(58, 17, Field(r.TaxId, 17));
  b.replace(75, 1, PackDigits(TwoDigits(r.Number / 100)));
  b.replace(76, 4, "\x01\x02\x03\x04");
  return b;
}

// Creates the data file with the engine and inserts the records in the order given.
void CreateRemittanceFile(const std::string& path, const std::vector<Remittance>& records) {
  std::string spec = RemittanceSpec();
  std::uint32_t length = static_cast<std::uint32_t>(spec.size());
  std::string name = path;
  ASSERT_EQ(RecordManagerCall(OpCreate, nullptr, spec.data(), &length, name.data(),
                              static_cast<unsigned char>(name.size()), CreateNoReplace),
            0);
  unsigned char block[PositionBlockSize] = {};
  std::string owner("0000", 5);
  length = 5;
  ASSERT_EQ(RecordManagerCall(OpOpen, block, owner.data(), &length, name.data(),
                              static_cast<unsigned char>(name.size()), OpenNormal),
            0);
  for (const Remittance& r : records) {
    std::string bytes = RecordBytes(r);
    std::string key(255, '\0');
    length = kRecordLength;
    ASSERT_EQ(RecordManagerCall(OpInsert, block, bytes.data(), &length, key.data(), 255, 0), 0);
  }
  RecordManagerCall(OpClose, block, nullptr, nullptr, nullptr, 0, 0);
}

using report_test::kCompanyName;

class PrintRunTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSessionSettings();
    ResetCompanyDetails();
    ResetPrintFile();
    ResetDataFileTable();
    LanguageFileName.clear();
    ModuleName = "BANKLIST";
    std::system(("mkdir -p '" + dir_.Path() + "DADES' '" + dir_.Path() + "exe'").c_str());
    SessionSettings.RootDirectory = dir_.Path();
    SessionSettings.TemporaryDirectory = dir_.Path();
    SessionSettings.ProgramDirectory = dir_.Path() + "exe/";
    SessionSettings.LanguageCode = "CAT";
    SessionSettings.OutputDevice = "oficina";
    CompanyDetails.Fields[0] = kCompanyName;
    CompanyDetails.Fields[6] = Field("ESB12345678", 35);
    LongRemittanceNumbers = false;
    // The print program stand-in keeps a copy of the print file as it found it.
    dir_.Write("exe/tavprint", "#!/bin/sh\ncat '" + dir_.Path() + "tavprint.tmp' > '" +
                                   dir_.Path() + "seen.tmp'\nexit 3\n");
    std::system(("chmod 755 '" + dir_.Path() + "exe/tavprint'").c_str());
  }
  void TearDown() override {
    short status = 0;
    CloseAllDataFiles(status);
    ResetDataFileTable();
    ResetPrintFile();
    ResetCompanyDetails();
    ResetSessionSettings();
    LanguageFileName.clear();
    LongRemittanceNumbers = false;
    PageNumber = 0;
  }

  void OpenRemittances(const std::vector<Remittance>& records) {
    CreateRemittanceFile(dir_.Path() + "DADES/TRemeses.dat", records);
    short status = -1;
    OpenDataFile(RemittanceFileNumber, SessionSettings.RootDirectory + "DADES\\TRemeses",
                 RemittanceRecordArea, status);
    ASSERT_EQ(status, 0);
  }

  std::string Read(const std::string& name) {
    std::ifstream in(dir_.Path() + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  std::vector<std::string> Lines(const std::string& name) {
    const std::string text = Read(name);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = text.find("\r\n", start);
      if (end == std::string::npos) end = text.size();
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

  TempDir dir_;
};

// The fixture: 53 ordinary remittances numbered 1 to 53, then 99 with an all-zero account, 100
// with an empty identifier, 101 (the 56th record, first of page 2), 1000 with a control character
// in its name and PRE without digits, and 1001; inserted out of order.
std::vector<Remittance> Fixture() {
  std::vector<Remittance> in_order;
  for (int n = 1; n <= 53; ++n) in_order.push_back({n});
  in_order.push_back({99, std::string(20, '0')});
  in_order.push_back({100, "21000418450200051332", "CLIENT", "012", "ES"});
  in_order.push_back({101});
  in_order.push_back({1000, "21000418450200051332", "MAR\x07IA", "X"});
  in_order.push_back({1001});
  std::vector<Remittance> shuffled;
  for (std::size_t i = 0; i < in_order.size(); ++i)
    shuffled.push_back(in_order[(i * 37) % in_order.size()]);  // 37 and 58 share no factor
  return shuffled;
}

// The seven detail lines of a fixture record, given how its number prints.
std::vector<std::string> Detail(const std::string& number, const Remittance& r) {
  const bool zero = r.Account == std::string(20, '0');
  const bool no_id = r.TaxId == "ES";
  return {" 1 ," + number + ", 0 ",
          zero ? " 4 ,ES0000000000000000000000, 0 " : " 4 ,ES9121000418450200051332, 0 ",
          " 34 , 418, 0 ",
          r.Pre == "X" ? " 40 ,  0, 0 " : " 40 , 12, 0 ",
          " 44 ," + Field(r.Name == "MAR\x07IA" ? "MAR IA" : r.Name, 30) + ", 0 ",
          no_id ? " 75 ,ESB12345678      , 0 " : " 75 ,ESB87654321      , 0 ",
          " 93 ,  3, 1 "};
}

TEST_F(PrintRunTest, PrintsTheWholeFileInKeyOrderOnTwoPages) {
  OpenRemittances(Fixture());
  for (const bool long_numbers : {false, true}) {
    SCOPED_TRACE(long_numbers ? "three digits" : "two digits");
    LongRemittanceNumbers = long_numbers;
    RunRemittancePrint();

    std::vector<std::string> expected = {"DEVICEoficina"};
    auto add = [&](const std::vector<std::string>& lines) {
      expected.insert(expected.end(), lines.begin(), lines.end());
    };
    add(report_test::CatalanHeader("   1"));
    char number[8];
    for (int n = 1; n <= 53; ++n) {
      std::snprintf(number, sizeof number, long_numbers ? "%3d" : "%2d", n);
      add(Detail(number, {n}));
    }
    add(Detail(long_numbers ? " 99" : "99", {99, std::string(20, '0')}));
    add(Detail(long_numbers ? "100" : "!!", {100, "21000418450200051332", "CLIENT", "012", "ES"}));
    add(report_test::CatalanHeader("   2"));
    add(Detail(long_numbers ? "101" : "!!", {101}));
    add(Detail(long_numbers ? "!!!" : "!!", {1000, "21000418450200051332", "MAR\x07IA", "X"}));
    add(Detail(long_numbers ? "!!!" : "!!", {1001}));

    const std::vector<std::string> lines = Lines("tavprint.tmp");
    ASSERT_EQ(lines.size(), expected.size());
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << "line " << i;
    // The print program ran after the file was closed: it saw all of it.
    EXPECT_EQ(Read("seen.tmp"), Read("tavprint.tmp"));
    EXPECT_EQ(PageNumber, 2);
    std::remove((dir_.Path() + "seen.tmp").c_str());
  }
}

TEST_F(PrintRunTest, EmptyFileGivesOnlyTheDeviceLineAndStillStartsThePrintProgram) {
  OpenRemittances({});
  RunRemittancePrint();
  EXPECT_EQ(Read("tavprint.tmp"), "DEVICEoficina\r\n");
  EXPECT_EQ(Read("seen.tmp"), "DEVICEoficina\r\n");
  EXPECT_EQ(PageNumber, 0);
}

TEST_F(PrintRunTest, RecordLoopEndsAtTheFirstNonZeroStatus) {
  // Not open: the first read fails and nothing is printed.
  OpenPrintFile("");
  EXPECT_EQ(PrintRemittanceRecords(), 3);
  EXPECT_EQ(PageNumber, 0);
  ClosePrintFile();
  EXPECT_EQ(Read("tavprint.tmp"), "DEVICE\r\n");

  OpenRemittances({{5}, {6}});
  OpenPrintFile("");
  PageNumber = 9;  // left from an earlier loop
  EXPECT_EQ(PrintRemittanceRecords(), StatusEndOfFile);
  EXPECT_EQ(PageNumber, 1);
  ClosePrintFile();
  EXPECT_EQ(Lines("tavprint.tmp").size(), 1u + 14u + 2u * 7u);
}

TEST_F(PrintRunTest, PrintProgramInADirectoryWithABlankIsStarted) {
  std::system(("mkdir -p '" + dir_.Path() + "my exe'").c_str());
  std::system(("cp '" + dir_.Path() + "exe/tavprint' '" + dir_.Path() + "my exe/tavprint'").c_str());
  SessionSettings.ProgramDirectory = dir_.Path() + "my exe/";
  OpenRemittances({{5}});
  RunRemittancePrint();
  EXPECT_EQ(Read("seen.tmp"), Read("tavprint.tmp"));
}

}  // namespace
