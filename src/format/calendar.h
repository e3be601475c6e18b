#pragma once
// Packed digits: two decimal digits per byte, each byte 128 plus the two-digit value. Dates are
// four such bytes of yyyymmdd and compare byte by byte in time order. None of these operations
// validates its input: out-of-range fields are used in the arithmetic as they stand.
#include <string>

// Right-aligns the trimmed digit text in its own length (zeros on the left, inner blanks become
// zeros) and packs it into (length + 1) / 2 bytes; non-digit characters count as 0.
std::string PackDigits(const std::string& digits);
// Two digits per byte: the last two digits of (byte AND 127).
std::string UnpackDigits(const std::string& packed);

// 1 for a leap year, else 0: Gregorian rule from 1582 on, Julian rule before.
int Leap(int year);
// Days of month `month` of `year` (31, 28 + Leap, 31, 30, ... for months 1 to 12; months out of
// range follow the same alternating formula).
int MonthLength(int month, int year);

// Distance from the earlier to the later of two packed dates, in either argument order: unit "D"
// days, "M" months (days ignored), "A" completed years; small letters count as capitals; any
// other unit gives 0. No days are dropped for the calendar change of October 1582. Only the first
// four bytes of each date are read.
int DateDifference(const std::string& first, const std::string& second, const std::string& unit);

// Weekday of a packed date: 1 Monday ... 7 Sunday. Julian calendar up to 4 October 1582,
// Gregorian from 5 October 1582 on.
short DayOfWeek(const std::string& date);

// The last `width` characters of the number's digits preceded by zeros ("07" for 7 and width 2,
// "24" for 2024); a negative number loses its sign.
std::string ZeroPad(double number, short width);
