#pragma once
// Packed digits: two decimal digits per byte, each byte 128 plus the two-digit value. Dates are
// four such bytes of yyyymmdd and compare byte by byte in time order.
#include <string>

std::string PackDigits(const std::string& digits);
std::string UnpackDigits(const std::string& packed);
