// Reading option lists "|code,text|code,text".
#include "console/option_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Entry {
  std::size_t start;
  std::string code;
  std::string text;
};

TEST(OptionListTest, Parsing) {
  struct Case {
    const char* name;
    std::string options;
    std::vector<Entry> expected;
  };
  const std::vector<Case> cases = {
      {"empty", "", {}},
      {"no bar", "S,Yes", {}},
      {"two entries", "|S,S\xa1|N,No", {{0, "S", "S\xa1"}, {5, "N", "No"}}},
      {"comma inside the text", "|1,one, two|2,x", {{0, "1", "one, two"}, {11, "2", "x"}}},
      {"text before the first bar", "xx|A,a", {{2, "A", "a"}}},
      {"entry without comma", "|AB|C,c", {{0, "AB", ""}, {3, "C", "c"}}},
      {"empty entries", "||,", {{0, "", ""}, {1, "", ""}}},
      {"blanks kept", "|S ,  Yes ", {{0, "S ", "  Yes "}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<OptionEntry> entries = ParseOptionList(c.options);
    ASSERT_EQ(entries.size(), c.expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].Start, c.expected[i].start);
      EXPECT_EQ(entries[i].Code, c.expected[i].code);
      EXPECT_EQ(entries[i].Text, c.expected[i].text);
    }
  }
}

TEST(OptionListTest, LookUps) {
  const std::vector<OptionEntry> entries = ParseOptionList("|S ,S\xa1|N ,No|E ,\x90s|e ,est");
  EXPECT_EQ(FindOptionByCode(entries, "N "), 1);
  EXPECT_EQ(FindOptionByCode(entries, "N"), -1);
  EXPECT_EQ(OptionTextRoom(entries), 3u);
  EXPECT_EQ(OptionTextRoom({}), 0u);
  // "\x90s" begins with a capital E acute: found by e, E and e acute, alternating with "est".
  EXPECT_EQ(FindOptionByLetter(entries, 0, 'e'), 2);
  EXPECT_EQ(FindOptionByLetter(entries, 2, 0x82), 3);
  EXPECT_EQ(FindOptionByLetter(entries, 3, 'E'), 2);
  EXPECT_EQ(FindOptionByLetter(entries, 1, 'n'), 1);  // round to itself
  EXPECT_EQ(FindOptionByLetter(entries, 1, 'q'), 1);
  EXPECT_EQ(FindOptionByLetter({}, 0, 'a'), 0);
  EXPECT_EQ(FindOptionByLetter(entries, 99, 's'), 0);
}

TEST(OptionListTest, FitText) {
  EXPECT_EQ(FitText("abc", 5), "abc  ");
  EXPECT_EQ(FitText("abcdef", 2), "ab");
  EXPECT_EQ(FitText("abc", 0), "");
}

}  // namespace
