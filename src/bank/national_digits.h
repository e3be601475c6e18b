#pragma once
// Check digits that five countries carry inside the BBAN of their accounts: Spain (ES), Belgium
// (BE), the Netherlands (NL), France (FR) and Portugal (PT).
#include <cstdint>
#include <string_view>

// `country` is the upper-cased country code, `bban` the cleaned BBAN (letters and digits, no
// trailing blanks) and `length` the country's BBAN length from its format, which may differ from
// the BBAN's own length. `result` is the result of the IBAN check so far (0, or 3 after a format
// failure): it becomes -1 when the national check digits are wrong and is left alone otherwise,
// also for countries without a national rule.
//
// Positions that lie beyond the end of the BBAN, and letters where a digit is read, count as the
// digit 0 for ES, BE and NL. For FR and PT the account part may hold letters (converted to digits
// as the French RIB does); a letter elsewhere or a missing position fails at once, and the key
// is compared only when `result` is still 0.
void CheckNationalDigits(std::string_view country, std::string_view bban, std::int16_t length,
                         std::int16_t& result);
