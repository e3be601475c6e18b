#include "bank/national_digits.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The digit at 1-based position `p`: 0 beyond the end or where the character is not a digit.
int DigitAt(std::string_view bban, int p) {
  if (p < 1 || static_cast<std::size_t>(p) > bban.size()) return 0;
  const char c = bban[static_cast<std::size_t>(p - 1)];
  return IsDigit(c) ? c - '0' : 0;
}

// The number formed by positions `first` to `last`, reduced modulo 97 as it is read.
int NumberModulo97(std::string_view bban, int first, int last) {
  int r = 0;
  for (int p = first; p <= last; ++p) r = (10 * r + DigitAt(bban, p)) % 97;
  return r;
}

int TwoDigitsAt(std::string_view bban, int p) {
  return 10 * DigitAt(bban, p) + DigitAt(bban, p + 1);
}

// A Spanish control digit over eight or ten digits starting at `first`, with the given weights.
int SpanishControlDigit(std::string_view bban, int first, const int* weights, int count) {
  int sum = 0;
  for (int i = 0; i < count; ++i) sum += weights[i] * DigitAt(bban, first + i);
  const int r = sum % 11;
  return r <= 1 ? r : 11 - r;
}

// Bank 4, branch 4, control digits 2, account 10. The first control digit covers bank and
// branch, the second the account.
bool SpanishDigitsMatch(std::string_view bban) {
  static const int kBranchWeights[8] = {4, 8, 5, 10, 9, 7, 3, 6};
  static const int kAccountWeights[10] = {1, 2, 4, 8, 5, 10, 9, 7, 3, 6};
  const bool first = SpanishControlDigit(bban, 1, kBranchWeights, 8) == DigitAt(bban, 9);
  const bool second = SpanishControlDigit(bban, 11, kAccountWeights, 10) == DigitAt(bban, 10);
  return first && second;
}

// The first length - 2 digits modulo 97 give the last two; a remainder of 0 is written as 97.
bool BelgianDigitsMatch(std::string_view bban, int length) {
  int expected = NumberModulo97(bban, 1, length - 2);
  if (expected == 0) expected = 97;
  return expected == TwoDigitsAt(bban, length - 1);
}

// Bank code of four letters, then ten digits whose weighted sum (10, 9, ... 1) is a multiple
// of 11.
bool DutchDigitsMatch(std::string_view bban, int length) {
  int sum = 0;
  for (int p = 5, weight = 10; p <= length; ++p, --weight) sum += DigitAt(bban, p) * weight;
  return sum % 11 == 0;
}

// France (bank 5, branch 5, account 11, key 2) and Portugal (bank 4, branch 4, account 11, check
// digits 2). Letters of the account convert to digits: A-I and J-R to 1-9, S-Z to 2-9.
void CheckRibKey(std::string_view bban, int length, int key_base, std::int16_t& result) {
  int r = 0;
  for (int p = 1; p <= length; ++p) {
    const char c = static_cast<std::size_t>(p) <= bban.size()
                       ? Upper(bban[static_cast<std::size_t>(p - 1)])
                       : ' ';
    int digit;
    if (IsDigit(c)) {
      digit = c - '0';
    } else if (IsLetter(c) && p >= length - 12 && p <= length - 2) {
      if (c <= 'I')
        digit = c - 'A' + 1;
      else if (c <= 'R')
        digit = c - 'J' + 1;
      else
        digit = c - 'S' + 2;
    } else {
      result = -1;
      return;
    }
    if (p <= length - 2) r = (10 * r + digit) % 97;
  }
  if (result != 0) return;
  r = (100 * r) % 97;
  if (key_base - r != TwoDigitsAt(bban, length - 1)) result = -1;
}

}  // namespace

void CheckNationalDigits(std::string_view country, std::string_view bban, std::int16_t length,
                         std::int16_t& result) {
  const int l = length;
  if (country == "ES") {
    if (!SpanishDigitsMatch(bban)) result = -1;
  } else if (country == "BE") {
    if (!BelgianDigitsMatch(bban, l)) result = -1;
  } else if (country == "NL") {
    if (!DutchDigitsMatch(bban, l)) result = -1;
  } else if (country == "FR") {
    CheckRibKey(bban, l, 97, result);
  } else if (country == "PT") {
    CheckRibKey(bban, l, 98, result);
  }
}
