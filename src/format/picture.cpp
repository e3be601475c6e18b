#include "format/picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "config/ini.h"
#include "platform/process.h"

PictureSettingsTable PictureSettings;

namespace {

enum class Fill { kNone, kBlank, kAsterisk };

// Fill state of the passes: the fill character so far and whether its last position was
// suppressed (showed no digit).
struct FillState {
  Fill fill = Fill::kNone;
  bool suppressed = false;

  void Set(Fill f, bool s) {
    fill = f;
    suppressed = s;
  }
  char Character() const { return fill == Fill::kAsterisk ? '*' : ' '; }
  bool Suppressed() const { return fill != Fill::kNone && suppressed; }
};

bool IsDigitPosition(char c) { return c == '9' || c == 'Z' || c == 'z' || c == '*'; }
bool IsCountedAfterPoint(char c) { return IsDigitPosition(c) || c == '-' || c == '+'; }

// First character of a setting; an empty value counts as a blank, and a blank (or a NUL, which
// would read as "not loaded") gives the default.
char SettingCharacter(const std::string& file, const char* key, char fallback) {
  const std::string value = ReadIniValue(file, "Usuari", key);
  const char c = value.empty() ? ' ' : value[0];
  return c == ' ' || c == '\0' ? fallback : c;
}

void LoadSettings() {
  PictureSettingsTable& s = PictureSettings;
  if (s.DecimalChar != '\0' && s.ThousandsChar != '\0') return;
  const std::string file = EnvironmentValue("TAVROOT") + "Kelo.ini";
  if (s.DecimalChar == '\0') s.DecimalChar = SettingCharacter(file, "DecCaracter", '\'');
  if (s.ThousandsChar == '\0') s.ThousandsChar = SettingCharacter(file, "MilCaracter", '.');
}

double PowerOfTen(long exponent) {
  static constexpr double kExact[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                      1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (exponent < 23) return kExact[exponent];
  return std::pow(10.0, static_cast<double>(exponent));
}

// Room for the digits of any double (the largest has 309).
constexpr std::size_t kDigitsRoom = 400;

// Decimal digits of a whole, non-negative, finite number, without leading zeros (empty for 0),
// written into `buffer`; the view points into it.
std::string_view DigitsOf(double n, char (&buffer)[kDigitsRoom]) {
  if (n < 1.8e19) {
    std::uint64_t v = static_cast<std::uint64_t>(n);
    char* const end = buffer + kDigitsRoom;
    char* start = end;
    while (v != 0) {
      *--start = static_cast<char>('0' + v % 10);
      v /= 10;
    }
    return std::string_view(start, static_cast<std::size_t>(end - start));
  }
  const int length = std::snprintf(buffer, kDigitsRoom, "%.0f", n);
  return length > 0 && length < static_cast<int>(kDigitsRoom)
             ? std::string_view(buffer, static_cast<std::size_t>(length))
             : std::string_view();
}

}  // namespace

void ResetPictureSettings() { PictureSettings = PictureSettingsTable{}; }

std::string FormatPicture(const std::string& mask, double value) {
  LoadSettings();
  const char decimal_char = PictureSettings.DecimalChar;
  const char thousands_char = PictureSettings.ThousandsChar;

  // Mask analysis. Positions p count from 1; mask[p - 1] is position p.
  const long length = static_cast<long>(mask.size());
  if (!std::isfinite(value)) return std::string(mask.size(), '!');
  const bool is_signed =
      std::any_of(mask.begin(), mask.end(), [](char c) { return c == '-' || c == '+'; });
  const std::size_t point = mask.find('.');
  long after_point = 0;  // digit and sign positions after the point
  long decimals = 0;
  if (point != std::string::npos) {
    for (std::size_t i = point + 1; i < mask.size(); ++i)
      if (IsCountedAfterPoint(mask[i])) ++after_point;
    if (after_point > 0)
      for (std::size_t i = point + 1; i < mask.size() && IsDigitPosition(mask[i]); ++i) ++decimals;
  }

  // Rounding of the scaled value, halves to even.
  const double scaled = value == 0 ? 0.0 : std::fabs(value) * PowerOfTen(decimals);
  if (!std::isfinite(scaled)) return std::string(mask.size(), '!');
  double whole = std::trunc(scaled);
  const double fraction = scaled - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) == 1.0)) whole += 1.0;
  const bool negative = value < 0;

  char digits_buffer[kDigitsRoom];
  const std::string_view digits = DigitsOf(whole, digits_buffer);
  const long digit_count = static_cast<long>(digits.size());
  const long integer_digits = digit_count - decimals;
  // The digits from position w on are all zeros exactly when w > last_non_zero.
  const std::size_t last_nz = digits.find_last_not_of('0');
  const long last_non_zero = last_nz == std::string_view::npos ? 0 : static_cast<long>(last_nz) + 1;
  auto digit_at = [&](long w) -> char { return w >= 1 && w <= digit_count ? digits[w - 1] : 0; };

  std::string out = mask;
  FillState fill;
  long a = after_point;  // the decimal area is p >= length - a; the first "." ends it
  long w = integer_digits + after_point;
  long p = length;

  // First pass: the digits, from the right.
  for (; p >= 1 && w != 0; --p) {
    char& at = out[p - 1];
    const bool decimal_area = p >= length - a;
    switch (mask[p - 1]) {
      case '9': {
        const char d = digit_at(w);
        at = d != 0 ? d : '0';
        fill.Set(Fill::kNone, false);
        --w;
        break;
      }
      case 'Z':
      case 'z': {
        const char d = digit_at(w);
        if (decimal_area && a != 0 && w > last_non_zero) {
          at = ' ';
          fill.Set(Fill::kBlank, true);
        } else {
          at = d != 0 ? d : (decimal_area ? '0' : ' ');
          fill.Set(Fill::kBlank, d == 0);
        }
        --w;
        break;
      }
      case '*': {
        const char d = digit_at(w);
        at = d != 0 ? d : '*';
        fill.Set(Fill::kAsterisk, d == 0);
        --w;
        break;
      }
      case '.':
        at = fill.Suppressed() ? fill.Character() : decimal_char;
        a = 0;
        break;
      case ',':
        at = thousands_char;
        break;
      case '-':
        if (!negative) at = ' ';
        if (a > 0) --w;
        break;
      case '+':
        at = negative ? '-' : '+';
        if (a > 0) --w;
        break;
      default:
        break;
    }
  }

  // Overflow: digits left over, or no room for the floating minus.
  if (w != 0 || (negative && !is_signed && p == 0)) {
    if (length < integer_digits + (negative ? 1 : 0)) return std::string(mask.size(), '!');
    std::string text = negative ? "-" : "";
    if (integer_digits > 0) text += digits.substr(0, static_cast<std::size_t>(integer_digits));
    if (decimals > 0) {
      text += decimal_char;
      text += digits.substr(static_cast<std::size_t>(std::max(0L, digit_count - decimals)));
    }
    if (text.size() >= mask.size()) return text.substr(0, mask.size());
    return std::string(mask.size() - text.size(), ' ') + text;
  }

  // Second pass: the positions left of the digits.
  bool minus_pending = negative && !is_signed;
  for (; p >= 1; --p) {
    char& at = out[p - 1];
    const bool decimal_area = p >= length - a;
    switch (mask[p - 1]) {
      case '9':
        if (minus_pending && !decimal_area) {
          at = '-';
          minus_pending = false;
        } else {
          at = '0';
        }
        fill.Set(Fill::kNone, false);
        break;
      case 'Z':
      case 'z':
        if (minus_pending) {
          at = '-';
          minus_pending = false;
        } else if (!decimal_area || value == 0) {
          at = ' ';
          fill.Set(Fill::kBlank, true);
        } else {
          at = '0';
          fill.Set(Fill::kBlank, false);
        }
        break;
      case '*':
        if (minus_pending) {
          at = '-';
          minus_pending = false;
        } else {
          at = decimal_area ? '0' : '*';
          fill.Set(Fill::kAsterisk, false);
        }
        break;
      case ',':
        if (minus_pending) {
          at = '-';
          minus_pending = false;
        } else {
          at = fill.fill != Fill::kNone ? fill.Character() : thousands_char;
        }
        break;
      case '.':
        at = fill.Suppressed() ? fill.Character() : decimal_char;
        break;
      case '-':
        if (!negative) at = ' ';
        break;
      case '+':
        at = negative ? '-' : '+';
        break;
      default:
        break;
    }
  }
  return out;
}
