#pragma once
// Packed digits: two decimal digits per byte, each byte 128 plus the two-digit value. Dates are
// four such bytes of yyyymmdd and compare byte by byte in time order.
#include <string>

std::string PackDigits(const std::string& digits);
std::string UnpackDigits(const std::string& packed);

// The last `width` characters of the number's digits preceded by zeros ("07" for 7 and width 2,
// "24" for 2024); a negative number loses its sign.
std::string ZeroPad(double number, short width);
