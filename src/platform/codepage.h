#pragma once
// Code page 850 (euro sign at 213) is the program's text. These are the only conversions between
// it and the UTF-8 of the file system, the environment and the terminal.
#include <cstddef>
#include <string>
#include <string_view>

inline constexpr char32_t kInvalidCodePoint = 0xFFFFFFFF;

char32_t Cp850ToUnicode(unsigned char byte);
// The code page 850 byte of a Unicode character, or -1 when the code page has none.
int UnicodeToCp850(char32_t c);

std::string Cp850ToUtf8(std::string_view text);
// Characters without a code page 850 byte become `replacement`, or are dropped when it is 0.
// Malformed UTF-8 counts as such a character.
std::string Utf8ToCp850(std::string_view text, char replacement = 0);

// Decodes one UTF-8 character at `pos` (pos < text.size()); returns the bytes consumed (at least
// 1). Malformed or truncated input gives kInvalidCodePoint.
std::size_t DecodeUtf8(std::string_view text, std::size_t pos, char32_t& c);
