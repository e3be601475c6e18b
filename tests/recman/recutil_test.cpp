// recutil end to end: description -> dictionary -> data file -> load -> save gives back the same
// bytes, and bad input gives a clear failure without touching the data.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>
#include <random>

#include "recman_support.h"

namespace recman_test {
namespace {

const std::string kRecutil = std::string(BANKLIST_BINARY_DIR) + "/tools/recutil/recutil";

int RunRecutil(const std::string& args, std::string* output = nullptr) {
  const std::string command = kRecutil + " " + args + " 2>&1";
  std::FILE* p = ::popen(command.c_str(), "r");
  if (p == nullptr) return -1;
  std::string out;
  char buf[512];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  const int status = ::pclose(p);
  if (output != nullptr) *output = out;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class Recutil : public ::testing::Test {
 protected:
  void SetUp() override {
    unsigned char table[256];
    for (int c = 0; c < 256; ++c) table[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    Write(dir_.File("upper.alt"), MakeAlternate("UPPER", table));
    Write(dir_.File("file.des"),
          "# a file of 30-byte records\n"
          "record=30 key=3\n"
          "position=1 length=4 type=unsigned segment=n\n"
          "position=5 length=6 duplicates=y modifiable=y alternate=y segment=y\n"
          "position=11 length=2 duplicates=y modifiable=y type=integer descending=y segment=n\n"
          "position=13 length=8 duplicates=y type=zstring segment=n\n"
          "name=" + dir_.File("upper.alt") + "\n");
  }
  ScratchDir dir_;
};

TEST_F(Recutil, DictCreateLoadSaveGivesBackTheSameBytes) {
  const std::string xdf = dir_.File("file.xdf"), dat = dir_.File("file.dat");
  ASSERT_EQ(RunRecutil("dict " + dir_.File("file.des") + " " + xdf), 0);
  const std::string dict = Read(xdf);
  ASSERT_EQ(dict.size(), 2u + 16 + 4 * 16 + AlternateSequenceSize);
  EXPECT_EQ(static_cast<unsigned char>(dict[0]) | (static_cast<unsigned char>(dict[1]) << 8),
            static_cast<int>(dict.size() - 2));
  ASSERT_EQ(RunRecutil("create " + dat + " " + xdf), 0);
  std::string out;
  EXPECT_EQ(RunRecutil("create " + dat + " " + xdf, &out), 2);
  EXPECT_NE(out.find("already exists"), std::string::npos) << out;

  std::mt19937 rng(7);
  std::string sequential;
  for (std::uint32_t id = 1; id <= 300; ++id) {
    std::string rec(30, '\0');
    for (char& c : rec) c = static_cast<char>(rng());  // CR, LF and commas included
    std::memcpy(rec.data(), &id, 4);
    sequential += "30," + rec + "\r\n";
  }
  Write(dir_.File("in.seq"), sequential);
  ASSERT_EQ(RunRecutil("load " + dat + " " + dir_.File("in.seq"), &out), 0) << out;
  EXPECT_NE(out.find("300 records loaded"), std::string::npos);
  ASSERT_EQ(RunRecutil("save " + dat + " " + dir_.File("out.seq"), &out), 0) << out;
  EXPECT_EQ(Read(dir_.File("out.seq")), sequential);  // key 0 is the id, in load order
  ASSERT_EQ(RunRecutil("save " + dat + " " + dir_.File("k2.seq") + " --key 2"), 0);
  EXPECT_EQ(Read(dir_.File("k2.seq")).size(), sequential.size());
  ASSERT_EQ(RunRecutil("stat " + dat, &out), 0);
  EXPECT_NE(out.find("records 300"), std::string::npos) << out;
  EXPECT_NE(out.find("alternate collating sequence UPPER"), std::string::npos) << out;
}

TEST_F(Recutil, BadInputFailsClearlyAndLoadsNothing) {
  const std::string xdf = dir_.File("file.xdf"), dat = dir_.File("file.dat");
  ASSERT_EQ(RunRecutil("dict " + dir_.File("file.des") + " " + xdf), 0);
  ASSERT_EQ(RunRecutil("create " + dat + " " + xdf), 0);
  struct Case {
    const char* what;
    std::string sequential;
  };
  const std::string good = "30," + std::string(30, 'a') + "\r\n";
  const Case cases[] = {
      {"short record", good + "30,abc\r\n"},
      {"no comma", good + "30;" + std::string(30, 'b') + "\r\n"},
      {"wrong length for the file", good + "4,bbbb\r\n"},
      {"duplicate key", good + good},
      {"missing line end", good + "30," + std::string(30, 'b') + "xx"},
  };
  for (const Case& c : cases) {
    Write(dir_.File("bad.seq"), c.sequential);
    std::string out;
    EXPECT_EQ(RunRecutil("load " + dat + " " + dir_.File("bad.seq"), &out), 2) << c.what;
    EXPECT_NE(out.find("record 2"), std::string::npos) << c.what << ": " << out;
  }
  std::string out;
  ASSERT_EQ(RunRecutil("stat " + dat, &out), 0);
  EXPECT_NE(out.find("records 0"), std::string::npos) << out;

  Write(dir_.File("bad.des"), "record=10 key=1 position=1 length=4 segment=y");
  EXPECT_EQ(RunRecutil("dict " + dir_.File("bad.des") + " " + dir_.File("bad.xdf"), &out), 2);
  EXPECT_NE(out.find("segment=y"), std::string::npos) << out;
  Write(dir_.File("bad.xdf"), std::string("\x10", 1));
  EXPECT_EQ(RunRecutil("create " + dir_.File("new.dat") + " " + dir_.File("bad.xdf"), &out), 2);
  EXPECT_EQ(RunRecutil("stat " + dir_.File("missing.dat"), &out), 2);
  EXPECT_NE(out.find("file not found"), std::string::npos) << out;
  EXPECT_EQ(RunRecutil("frobnicate", &out), 1);
  EXPECT_EQ(RunRecutil("lock " + dat + " x --seconds 1", &out), 1);
  EXPECT_EQ(RunRecutil("--help", &out), 0);
  EXPECT_NE(out.find("Usage: recutil"), std::string::npos);
}

}  // namespace
}  // namespace recman_test
