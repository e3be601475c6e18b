#pragma once
// International bank account numbers (IBAN): the BBAN layout of 35 countries, the national check
// digits and the ISO 7064 modulus 97-10 check digits.
#include <cstdint>
#include <string>
#include <string_view>

// One country of the IBAN table. `Format` is a sequence of groups, each a decimal length (one or
// two digits) followed by a type letter: "n" digits only, "a" letters only, "x" either.
struct IbanCountry {
  const char* Country;
  const char* Format;
};

constexpr int kIbanCountryCount = 35;
extern const IbanCountry IbanCountryTable[kIbanCountryCount];

// The table row of an upper-case country code, or nullptr.
const IbanCountry* FindIbanCountry(std::string_view country);

// The BBAN length of a format: the sum of its group lengths.
std::int16_t IbanFormatLength(const char* format);

// Checks and completes `account` in place: characters 1-2 country, 3-4 check digits, from 5 on
// the BBAN. Returns
//    0  valid, or no account at all (a BBAN that is empty or all zeros);
//    1  country not in the table (the account is left untouched);
//    2  check digits not two digits (the account is left untouched), or not matching;
//    3  BBAN of the wrong length or with a character of the wrong kind for the country;
//   -1  national check digits wrong.
// A later finding replaces an earlier one: 2 wins over -1, which wins over 3.
// From the fifth character on, every character that is not a letter or a digit (blank, hyphen,
// full stop, accented letter) is removed and one blank appended instead, so the account keeps
// its length. When the check digits are "00", the computed ones are written over them.
std::int16_t CheckIban(std::string& account);
