#include "config/ini.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

struct IniCase {
  const char* name;
  std::string file;
  std::string section;
  std::string key;
  std::string expected;
};

TEST(ReadIniValue, Cases) {
  const IniCase cases[] = {
      {"plain", "[Sistema]\r\nIdioma=SPA\r\n", "Sistema", "Idioma", "SPA"},
      {"key case", "[Sistema]\r\nidioma=SPA\r\n", "Sistema", "IDIOMA", "SPA"},
      {"section case", "[sistema]\r\nIdioma=SPA\r\n", "SISTEMA", "Idioma", "SPA"},
      {"blanks around =", "[Sistema]\r\nIdioma = SPA\r\n", "Sistema", "Idioma", " SPA"},
      {"comment after", "[Sistema]\r\nIdioma = SPA ;comment\r\n", "Sistema", "Idioma", " SPA "},
      {"semicolon cuts value", "[S]\r\nK=a;b\r\n", "S", "K", "a"},
      {"quoted", "[S]\r\nK=\"C:\\TMP\"\r\n", "S", "K", "C:\\TMP"},
      {"lone quote", "[S]\r\nK=\"\r\n", "S", "K", "\""},
      {"quote then blank", "[S]\r\nK=\"x\" \r\n", "S", "K", "\"x\" "},
      {"two quotes", "[S]\r\nK=\"\"\r\n", "S", "K", ""},
      {"second section of the same name", "[S]\r\nA=1\r\n[T]\r\n[S]\r\nK=2\r\n", "S", "K", ""},
      {"first key wins", "[S]\r\nK=1\r\nK=2\r\n", "S", "K", "1"},
      {"key before any section", "K=1\r\n[S]\r\n", "S", "K", ""},
      {"blanks in brackets", "[  S  ]\r\nK=1\r\n", "S", "K", "1"},
      {"header without ]", "[S\r\nK=1\r\n", "S", "K", "1"},
      {"text after ]", "[S] trailing\r\nK=1\r\n", "S", "K", "1"},
      {"indented key", "[S]\r\n    K=1\r\n", "S", "K", "1"},
      {"indented header", "  [S]\r\nK=1\r\n", "S", "K", "1"},
      {"key without =", "[S]\r\nK\r\nK=2\r\n", "S", "K", "2"},
      {"section ends", "[S]\r\n[T]\r\nK=1\r\n", "S", "K", ""},
      {"trimmed arguments", "[S]\r\nK=1\r\n", "  S ", " K  ", "1"},
      {"tab is not a blank", "[S]\r\n\tK=1\r\n", "S", "K", ""},
      {"trailing blanks of key", "[S]\r\nK   =1\r\n", "S", "K", "1"},
      {"lone line feed", "[S]\nK=1\r\n", "S", "K", ""},
      {"end-of-file mark", "[S]\r\n\x1aK=1\r\n", "S", "K", ""},
      {"no line ends", "[S]\rK=v", "S", "K", "v"},
      {"commented header", ";[S]\r\nK=1\r\n", "S", "K", ""},
      {"empty value", "[S]\r\nK=\r\nK=2\r\n", "S", "K", ""},
      {"key with = in value", "[S]\r\nK=a=b\r\n", "S", "K", "a=b"},
  };
  TempDir dir;
  for (const IniCase& c : cases) {
    const std::string file = dir.Write("case.ini", c.file);
    EXPECT_EQ(ReadIniValue(file, c.section, c.key), c.expected) << c.name;
  }
}

TEST(ReadIniValue, MissingFileGivesEmptyEveryTime) {
  EXPECT_EQ(ReadIniValue("/nonexistent/Kelo.ini", "Usuari", "Idioma"), "");
  EXPECT_EQ(ReadIniValue("/nonexistent/Kelo.ini", "Usuari", "Idioma"), "");
  EXPECT_EQ(ReadIniValue("", "Usuari", "Idioma"), "");
  TempDir dir;
  EXPECT_EQ(ReadIniValue(dir.Path(), "S", "K"), "");  // a directory
}

TEST(ReadIniValue, SeesChangesBetweenCalls) {
  TempDir dir;
  const std::string file = dir.Write("a.ini", "[S]\r\nK=1\r\n");
  EXPECT_EQ(ReadIniValue(file, "S", "K"), "1");
  dir.Write("a.ini", "[S]\r\nK=2\r\n");
  EXPECT_EQ(ReadIniValue(file, "S", "K"), "2");
}

TEST(ReadIniValue, RandomBytesNeverCrash) {
  TempDir dir;
  std::mt19937 random(12345);
  const char alphabet[] = "[]=;\" \r\n\x1a" "ab";
  for (int round = 0; round < 300; ++round) {
    std::string bytes(random() % 400, '\0');
    for (char& c : bytes)
      c = random() % 2 ? alphabet[random() % (sizeof alphabet - 1)] : static_cast<char>(random());
    const std::string file = dir.Write("random.ini", bytes);
    const std::string value = ReadIniValue(file, "a", "b");
    EXPECT_LE(value.size(), bytes.size());
  }
}

TEST(ReadIniValue, LongLinesAndLargeFiles) {
  TempDir dir;
  std::string big = "[S]\r\n";
  big.append(1 << 20, 'x').append("\r\n");
  for (int i = 0; i < 20000; ++i) big.append("X").append(std::to_string(i)).append("=v\r\n");
  big.append("K=").append(100000, 'y').append("\r\n");
  const std::string file = dir.Write("big.ini", big);
  EXPECT_EQ(ReadIniValue(file, "S", "K"), std::string(100000, 'y'));
  EXPECT_EQ(ReadIniValue(file, "S", "X19999"), "v");
}

}  // namespace
