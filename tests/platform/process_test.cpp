#include "platform/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

TEST(Process, SplitCommandLine) {
  EXPECT_EQ(SplitCommandLine("  prog  a \"b c\" d\"e\"  "),
            (std::vector<std::string>{"prog", "a", "b c", "de"}));
  EXPECT_TRUE(SplitCommandLine("   ").empty());
  EXPECT_EQ(SplitCommandLine("\"\""), (std::vector<std::string>{""}));
}

TEST(Process, RunsAProgramFoundWithoutRegardToCaseAndRunsTheHooks) {
  char templ[] = "/tmp/process_test_XXXXXX";
  ASSERT_NE(mkdtemp(templ), nullptr);
  const std::string dir = templ;
  {
    std::ofstream script(dir + "/tavprint");
    script << "#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/out\"\nexit 3\n";
  }
  ASSERT_EQ(std::system(("chmod +x " + dir + "/tavprint").c_str()), 0);
  std::vector<std::string> calls;
  SetChildProgramHooks([&] { calls.push_back("suspend"); }, [&] { calls.push_back("resume"); });
  EXPECT_EQ(RunCommandLine(dir + "\\TAVPRINT \"x y\""), 3);
  EXPECT_EQ(calls, (std::vector<std::string>{"suspend", "resume"}));
  std::ifstream out(dir + "/out");
  std::string line;
  std::getline(out, line);
  EXPECT_EQ(line, "x y");
  EXPECT_EQ(RunCommandLine(dir + "\\MISSING"), -1);
  const std::string old_path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  setenv("PATH", ("/nonexistent::" + dir).c_str(), 1);
  EXPECT_EQ(FindInPath("tavprint"), dir + "/tavprint");
  EXPECT_EQ(FindInPath("out"), "");  // not executable
  EXPECT_EQ(RunCommandLine("TAVPRINT"), 3);  // found in PATH without regard to case
  setenv("PATH", old_path.c_str(), 1);
  EXPECT_EQ(RunCommandLine(""), -1);
  SetChildProgramHooks(nullptr, nullptr);
  std::system(("rm -rf " + dir).c_str());
}

TEST(Process, RandomIsInTheUnitInterval) {
  for (int i = 0; i < 1000; ++i) {
    const double r = RandomUniform();
    EXPECT_GE(r, 0.0);
    EXPECT_LT(r, 1.0);
  }
}

TEST(Process, EndHandlersRunLastFirstAndOnce) {
  std::vector<int> order;
  AddEndHandler([&] { order.push_back(1); });
  AddEndHandler([&] { order.push_back(2); });
  RunEndHandlers();
  RunEndHandlers();
  EXPECT_EQ(order, (std::vector<int>{2, 1}));
}

TEST(Process, EnvironmentValuesBecomeCodePage850) {
  setenv("BANKLIST_TEST_VALUE", "C:\\Tr\u00E0mit \u20AC", 1);
  EXPECT_EQ(EnvironmentValue("BANKLIST_TEST_VALUE"), "C:\\Tr\x85mit \xD5");
  unsetenv("BANKLIST_TEST_VALUE");
  EXPECT_EQ(EnvironmentValue("BANKLIST_TEST_VALUE"), "");
}

}  // namespace
