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

int Leap(int year) {
  if (year >= 1582) return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0) ? 1 : 0;
  return year % 4 == 0 ? 1 : 0;
}

int MonthLength(int month, int year) {
  int days = 30 + (1 + (month + 1) % 9) % 2;
  if (month == 2) days -= 2 - Leap(year);
  return days;
}

namespace {

// The digits of a packed date read as the number yyyymmdd.
struct DateFields {
  int year = 0;
  int month = 0;
  int day = 0;
};

DateFields ReadDate(const std::string& date) {
  const std::string digits = UnpackDigits(date.substr(0, 4));
  long n = 0;
  for (char c : digits) n = n * 10 + (c - '0');
  return {static_cast<int>(n / 10000), static_cast<int>(n / 100 % 100), static_cast<int>(n % 100)};
}

std::string Capitals(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

}  // namespace

int DateDifference(const std::string& first, const std::string& second, const std::string& unit) {
  // std::string compares as unsigned bytes, which is the time order of packed dates.
  const bool first_earlier = first < second;
  const DateFields a = ReadDate(first_earlier ? first : second);
  const DateFields b = ReadDate(first_earlier ? second : first);
  const std::string u = Capitals(unit);

  if (u == "D") {
    int total = 0;
    for (int y = a.year + 1; y < b.year; ++y) total += 365 + Leap(y);
    if (a.year < b.year) {
      for (int m = a.month; m <= 12; ++m) total += MonthLength(m, a.year);
      for (int m = 1; m < b.month; ++m) total += MonthLength(m, b.year);
    } else if (a.year == b.year) {
      for (int m = a.month; m < b.month; ++m) total += MonthLength(m, a.year);
    }
    return total + b.day - a.day;
  }
  if (u == "M") return (b.year - a.year) * 12 + b.month - a.month;
  if (u == "A") {
    const bool before_anniversary = b.month < a.month || (b.month == a.month && b.day < a.day);
    return b.year - a.year - (before_anniversary ? 1 : 0);
  }
  return 0;
}

short DayOfWeek(const std::string& date) {
  const std::string century_year = date.substr(0, 2);
  const std::string new_year = century_year + PackDigits("0101");
  const int n = DateDifference(date, new_year, "d") - 1;  // -1 on 1 January
  int y = 0;
  for (char c : UnpackDigits(century_year)) y = y * 10 + (c - '0');
  y -= 1;
  int result;
  if (date < PackDigits("15821005"))
    result = ((y + y / 4) % 7 + 6 + n) % 7 + 1;
  else
    result = ((y + y / 4 - y / 100 + y / 400) % 7 + 1 + n) % 7 + 1;
  // Only a date with fields out of range can make n negative enough to leave 1 to 7.
  if (result < 1) result += 7;
  return static_cast<short>(result);
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
