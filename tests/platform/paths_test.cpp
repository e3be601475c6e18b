#include "platform/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

class PathsTest : public testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/paths_test_XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    root_ = templ;
    mkdir((root_ + "/Dades").c_str(), 0700);
    mkdir((root_ + "/\xC3\x80rea").c_str(), 0700);  // "Àrea" in UTF-8
    std::ofstream(root_ + "/Dades/TRemeses.dat") << "x";
    std::ofstream(root_ + "/Dades/both") << "lower";
    std::ofstream(root_ + "/Dades/BOTH") << "upper";
  }
  void TearDown() override { std::system(("rm -rf '" + root_ + "'").c_str()); }
  std::string root_;
};

TEST_F(PathsTest, MapsBackslashesAndCase) {
  struct Case {
    std::string suite_path;  // relative to root, code page 850
    std::string native;      // relative to root, UTF-8
  } cases[] = {
      {"\\DADES\\TRemeses.dat", "/Dades/TRemeses.dat"},
      {"\\dades\\tremeses.DAT", "/Dades/TRemeses.dat"},
      {"/Dades/TRemeses.dat", "/Dades/TRemeses.dat"},
      {"\\Dades\\both", "/Dades/both"},          // an exact match wins over a case match
      {"\\Dades\\BOTH", "/Dades/BOTH"},
      {"\\DADES\\missing\\x.dat", "/Dades/missing/x.dat"},  // missing parts kept as written
      {"\\NOWHERE\\TRemeses", "/NOWHERE/TRemeses"},
      {"\\\xB7REA", "/\xC3\x80rea"},            // accented letters compare without case
      {"\\tmp\\\\Dades", "/tmp//Dades"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NativePath(root_ + c.suite_path), root_ + c.native) << c.suite_path;
}

TEST_F(PathsTest, TrailingSeparatorReadsAsTheSameDirectory) {
  EXPECT_TRUE(DirectoryExists(root_ + "/dades\\"));
  EXPECT_TRUE(DirectoryExists(root_ + "/dades/\\"));
  EXPECT_TRUE(FileExists(root_ + "\\DADES\\TREMESES.DAT"));
  EXPECT_FALSE(FileExists(root_ + "\\DADES\\TREMESES"));
}

TEST_F(PathsTest, RelativePathsResolveFromTheCurrentDirectory) {
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(root_.c_str()), 0);
  EXPECT_EQ(NativePath("DADES\\TREMESES.DAT"), "Dades/TRemeses.dat");
  EXPECT_EQ(NativePath(""), "");
  ASSERT_EQ(chdir(old), 0);
}

}  // namespace
