#include "bank/iban.h"

#include <algorithm>
#include <cstddef>

#include "bank/national_digits.h"

const IbanCountry IbanCountryTable[kIbanCountryCount] = {
    {"AT", "05n11n"},       {"BE", "03n07n02n"},     {"BG", "04a04n02n08x"},
    {"CH", "05n12x"},       {"CY", "03n05n16x"},     {"CZ", "04n06n10n"},
    {"DE", "08n10n"},       {"DK", "04n09n01n"},     {"EE", "02n14n"},
    {"ES", "04n04n02n10n"}, {"FI", "06n07n01n"},     {"FR", "05n05n11x02n"},
    {"GB", "04a06n08n"},    {"GI", "04a15x"},        {"GR", "03n04n16x"},
    {"HR", "07n10n"},       {"HU", "03n04n01n15n1n"}, {"IE", "04a06n08n"},
    {"IS", "04n02n06n10n"}, {"IT", "01a05n05n12x"},  {"LI", "05n12x"},
    {"LT", "05n11n"},       {"LU", "03n13x"},        {"LV", "04a13x"},
    {"MC", "05n05n11x2n"},  {"MT", "04a05n18x"},     {"NL", "04a10n"},
    {"NO", "04n06n01n"},    {"PL", "08n16n"},        {"PT", "04n04n11n02n"},
    {"RO", "04a16x"},       {"SE", "03n16n01n"},     {"SI", "05n08n02n"},
    {"SK", "04n06n10n"},    {"SM", "01a05n05n12x"},
};

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Reads one group of a format at `*format`: its length and type letter. False at the end.
bool NextGroup(const char*& format, int& length, char& type) {
  if (*format == '\0') return false;
  length = 0;
  while (IsDigit(*format)) length = 10 * length + (*format++ - '0');
  type = *format;
  if (*format != '\0') ++format;
  return true;
}

std::size_t TrimmedLength(const std::string& text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string::npos ? 0 : last + 1;
}

// Removes every character that is neither letter nor digit from the fifth character up to the
// last non-blank one, appending a blank for each so the text keeps its length.
void CleanAccount(std::string& account) {
  std::size_t end = TrimmedLength(account);
  std::size_t pos = 4;
  while (pos < end) {
    if (IsLetter(account[pos]) || IsDigit(account[pos])) {
      ++pos;
    } else {
      account.erase(pos, 1);
      account.push_back(' ');
      end = TrimmedLength(account);
    }
  }
}

// Walks the country's groups over the BBAN; true when every character has the kind its group
// asks for and the lengths agree. `total` receives the format's length, as IbanFormatLength
// gives it.
bool MatchesFormat(std::string_view bban, const char* format, int& total) {
  bool ok = true;
  std::size_t pos = 0;
  total = 0;
  int length;
  char type;
  while (NextGroup(format, length, type)) {
    total += length;
    const std::size_t end = pos + static_cast<std::size_t>(length);
    if (end > bban.size()) ok = false;
    const auto first = bban.begin() + static_cast<std::ptrdiff_t>(std::min(pos, bban.size()));
    const auto last = bban.begin() + static_cast<std::ptrdiff_t>(std::min(end, bban.size()));
    if (ok && type == 'n') ok = std::all_of(first, last, IsDigit);
    if (ok && type == 'a') ok = std::all_of(first, last, IsLetter);
    pos = end;
  }
  return ok && pos >= bban.size();
}

// Running remainder modulo 97 of a long digit string, reduced only when it grows large (the
// remainder is the same, and the check runs for every account of a report).
struct Modulo97 {
  std::uint64_t value = 0;
  // A digit as itself, a letter as the two digits of its alphabet position plus 9 (A = 10).
  void Feed(char c) {
    value = IsDigit(c) ? 10 * value + static_cast<unsigned>(c - '0')
                       : 100 * value + static_cast<unsigned>(Upper(c) - 'A' + 10);
    if (value >= kReduceAt) value %= 97;
  }
  int Remainder() const { return static_cast<int>(value % 97); }
  static constexpr std::uint64_t kReduceAt = 1'000'000'000'000'000;
};

}  // namespace

const IbanCountry* FindIbanCountry(std::string_view country) {
  if (country.size() != 2) return nullptr;
  for (const IbanCountry& row : IbanCountryTable)
    if (row.Country[0] == country[0] && row.Country[1] == country[1]) return &row;
  return nullptr;
}

std::int16_t IbanFormatLength(const char* format) {
  int total = 0;
  int length;
  char type;
  while (NextGroup(format, length, type)) total += length;
  return static_cast<std::int16_t>(total);
}

std::int16_t CheckIban(std::string& account) {
  if (account.size() < 2) return 1;
  const char upper[2] = {Upper(account[0]), Upper(account[1])};
  const std::string_view country(upper, 2);
  const IbanCountry* row = FindIbanCountry(country);
  if (row == nullptr) return 1;
  if (account.size() < 4 || !IsDigit(account[2]) || !IsDigit(account[3])) return 2;

  CleanAccount(account);
  const std::string_view bban = std::string_view(account).substr(4, TrimmedLength(account) - 4);
  if (bban.find_first_not_of('0') == std::string_view::npos) return 0;

  std::int16_t result = 0;
  int total = 0;
  if (!MatchesFormat(bban, row->Format, total)) result = 3;
  const auto length = static_cast<std::int16_t>(total);
  CheckNationalDigits(country, bban, length, result);

  // ISO 7064 modulus 97-10 over BBAN, country and check digits, the check digits taken as 00.
  Modulo97 number;
  for (char c : bban) number.Feed(c);
  number.Feed(account[0]);
  number.Feed(account[1]);
  const int r = (100 * number.Remainder()) % 97;
  const int expected = 98 - r;
  if (account[2] == '0' && account[3] == '0') {
    account[2] = static_cast<char>('0' + expected / 10);
    account[3] = static_cast<char>('0' + expected % 10);
  } else if ((account[2] - '0') * 10 + (account[3] - '0') != expected) {
    result = 2;
  }
  return result;
}
