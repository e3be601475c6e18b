#include "platform/text_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Lines(const std::string& text) {
  TextLineReader reader;
  reader.OpenText(text);
  std::vector<std::string> lines;
  std::string line;
  while (reader.ReadLine(line)) lines.push_back(line);
  return lines;
}

TEST(TextLines, LineEnds) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      {"a\nb\r\n", {"a\nb"}},           // a lone line feed is an ordinary character
      {"a\r\r\nb", {"a", "", "b"}},
      {"a\r\n\x1a" "b\r\n", {"a"}},    // byte 26 ends the text
      {"a\x1a", {"a"}},
      {"\r\n", {""}},
      {"a\r\n\nb", {"a", "\nb"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Lines(c.text), c.lines) << testing::PrintToString(c.text);
}

TEST(TextLines, AtEndAfterTheLastLine) {
  TextLineReader reader;
  reader.OpenText("key\r\nvalue\r\n");
  std::string line;
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_TRUE(reader.ReadLine(line));
  EXPECT_FALSE(reader.AtEnd());
  EXPECT_TRUE(reader.ReadLine(line));
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_FALSE(reader.ReadLine(line));
  EXPECT_EQ(line, "");
}

TEST(TextLines, MissingFileDoesNotOpen) {
  TextLineReader reader;
  EXPECT_FALSE(reader.Open("/nonexistent/dir/file.ini"));
  EXPECT_TRUE(reader.AtEnd());
}

}  // namespace
