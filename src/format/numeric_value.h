#pragma once
#include <string_view>

// The numeric value of a text read as a decimal number: leading blanks skipped, an optional sign,
// digits with an optional decimal point; reading stops at the first other character. A text
// without digits gives 0.
double NumericValue(std::string_view text);
