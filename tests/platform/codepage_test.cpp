#include "platform/codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace {

// The table must agree with the system's IBM858 converter for every byte.
TEST(CodePage, EveryByteMatchesIconvIbm858) {
  iconv_t cd = iconv_open("UTF-8", "IBM858");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (int b = 0; b < 256; ++b) {
    char in[1] = {static_cast<char>(b)};
    char out[8] = {};
    char* inp = in;
    char* outp = out;
    size_t inleft = 1, outleft = sizeof out;
    ASSERT_NE(iconv(cd, &inp, &inleft, &outp, &outleft), static_cast<size_t>(-1)) << b;
    const std::string expected(out, sizeof out - outleft);
    EXPECT_EQ(Cp850ToUtf8(std::string(1, static_cast<char>(b))), expected) << "byte " << b;
    EXPECT_EQ(Utf8ToCp850(expected), std::string(1, static_cast<char>(b))) << "byte " << b;
  }
  iconv_close(cd);
}

TEST(CodePage, EuroSignAndAccentedLetters) {
  EXPECT_EQ(Cp850ToUtf8("\xD5"), "\u20AC");
  EXPECT_EQ(Cp850ToUtf8("P\xB7GINA "), "P\u00C0GINA ");
  EXPECT_EQ(Utf8ToCp850("\u00C0\u00C7\u00F1"), "\xB7\x80\xA4");
}

TEST(CodePage, CharactersOutsideTheCodePage) {
  struct Case {
    std::string utf8;
    char replacement;
    std::string expected;
  } cases[] = {
      {"a\u4E2Db", 0, "ab"},          // not in the code page: dropped
      {"a\u4E2Db", '?', "a?b"},       // or replaced
      {"a\xC3", 0, "a"},              // truncated sequence at the end
      {"\xE2\x82" "A", '?', "?A"},    // truncated sequence before an ASCII byte keeps the byte
      {"\xC0\xAF", '?', "?"},         // overlong form
      {"\xED\xA0\x80", '?', "?"},     // surrogate
      {"\xFF", '?', "?"},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToCp850(c.utf8, c.replacement), c.expected) << c.utf8;
}

}  // namespace
