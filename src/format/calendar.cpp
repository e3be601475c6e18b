#include "format/calendar.h"

#include <cmath>
#include <cstdio>

namespace {

int DigitValue(char c) { return c >= '0' && c <= '9' ? c - '0' : 0; }

}  // namespace

std::string PackDigits(const std::string& digits) {
  const std::size_t a = digits.size();
  // Right-align the trimmed text in its own length, zero-filled on the left.
  const std::size_t first = digits.find_first_not_of(' ');
  std::string trimmed;
  if (first != std::string::npos)
    trimmed = digits.substr(first, digits.find_last_not_of(' ') - first + 1);
  std::string t = std::string(a, '0') + trimmed;
  t = t.substr(t.size() - a);
  for (char& c : t)
    if (c == ' ') c = '0';

  std::string packed;
  for (std::size_t i = 0; i < (a + 1) / 2; ++i) {
    const int high = DigitValue(t[2 * i]);
    const int low = 2 * i + 1 < a ? DigitValue(t[2 * i + 1]) : 0;
    packed += static_cast<char>(128 | (10 * high + low));
  }
  return packed;
}

std::string UnpackDigits(const std::string& packed) {
  std::string digits;
  digits.reserve(packed.size() * 2);
  for (unsigned char b : packed) {
    const int value = (b & 127) % 100;
    digits += static_cast<char>('0' + value / 10);
    digits += static_cast<char>('0' + value % 10);
  }
  return digits;
}

std::string ZeroPad(double number, short width) {
  if (width <= 0) return {};
  // The standard decimal text of the number without its sign position.
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", std::fabs(number));
  std::string digits = buffer;
  std::string text = std::string(static_cast<std::size_t>(width), '0') + digits;
  return text.substr(text.size() - static_cast<std::size_t>(width));
}
