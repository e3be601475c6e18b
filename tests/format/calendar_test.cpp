#include "format/calendar.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// A packed date built byte by byte, independently of PackDigits.
std::string Packed(int year, int month, int day) {
  return {static_cast<char>(128 + year / 100), static_cast<char>(128 + year % 100),
          static_cast<char>(128 + month), static_cast<char>(128 + day)};
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

TEST(PackDigitsTest, Table) {
  struct Case {
    std::string digits;
    std::string packed;
  };
  const Case cases[] = {
      {"20240115", Bytes({148, 152, 129, 143})},
      {"123", Bytes({140, 158})},  // completed with a 0 on the right: 1230
      {"", ""},
      {"7", Bytes({128 + 70})},
      {"  12", Bytes({128, 140})},    // right-aligned in its own length
      {"12  ", Bytes({128, 140})},    // trailing blanks move it right
      {" 1 2 ", Bytes({128, 128 + 10, 128 + 20})},  // " 1 2 " -> "001 2" -> "00102" + "0"
      {"1x2y", Bytes({128 + 10, 128 + 20})},  // non-digits count as 0
      {"    ", Bytes({128, 128})},
      {"99999999", Bytes({227, 227, 227, 227})},
  };
  for (const Case& c : cases) EXPECT_EQ(PackDigits(c.digits), c.packed) << "[" << c.digits << "]";
}

TEST(UnpackDigitsTest, Table) {
  EXPECT_EQ(UnpackDigits(Bytes({148, 152, 129, 143})), "20240115");
  EXPECT_EQ(UnpackDigits(PackDigits("123")), "1230");
  EXPECT_EQ(UnpackDigits("    "), "32323232");  // bytes without the high bit are not rejected
  EXPECT_EQ(UnpackDigits(std::string(4, '\0')), "00000000");
  EXPECT_EQ(UnpackDigits(Bytes({255, 228, 127})), "270027");  // last two digits of (b AND 127)
  EXPECT_EQ(UnpackDigits(""), "");
}

TEST(LeapTest, GregorianFrom1582JulianBefore) {
  const struct {
    int year;
    int leap;
  } cases[] = {{2024, 1}, {2023, 0}, {2000, 1}, {1900, 0}, {1600, 1}, {1700, 0}, {1582, 0},
               {1584, 1}, {1580, 1}, {1500, 1}, {1100, 1}, {4, 1},    {1, 0},    {0, 1}};
  for (const auto& c : cases) EXPECT_EQ(Leap(c.year), c.leap) << c.year;
}

TEST(MonthLengthTest, EveryMonth) {
  const int common[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int m = 1; m <= 12; ++m) {
    EXPECT_EQ(MonthLength(m, 2023), common[m - 1]) << m;
    EXPECT_EQ(MonthLength(m, 2024), common[m - 1] + (m == 2 ? 1 : 0)) << m;
  }
  EXPECT_EQ(MonthLength(2, 1500), 29);
  EXPECT_EQ(MonthLength(2, 1900), 28);
  // Out-of-range months follow the formula and never fail.
  EXPECT_EQ(MonthLength(0, 2024), 30);
  EXPECT_EQ(MonthLength(13, 2024), 30);
  EXPECT_EQ(MonthLength(14, 2024), 31);
  EXPECT_EQ(MonthLength(99, 2024), 30);
}

TEST(DateDifferenceTest, Table) {
  const struct {
    std::string from;
    std::string to;
    const char* unit;
    int result;
  } cases[] = {
      {Packed(2024, 1, 1), Packed(2024, 12, 31), "D", 365},
      {Packed(2024, 12, 31), Packed(2024, 1, 1), "D", 365},
      {Packed(1999, 12, 31), Packed(2000, 1, 1), "D", 1},
      {Packed(1900, 1, 1), Packed(1901, 1, 1), "D", 365},
      {Packed(1500, 1, 1), Packed(1501, 1, 1), "D", 366},
      {Packed(1582, 10, 4), Packed(1582, 10, 15), "d", 11},  // no days dropped
      {Packed(2024, 3, 1), Packed(2024, 3, 1), "D", 0},
      {Packed(2024, 1, 31), Packed(2024, 3, 1), "M", 2},
      {Packed(2024, 3, 1), Packed(2024, 1, 31), "m", 2},
      {Packed(2023, 11, 30), Packed(2025, 2, 1), "M", 15},
      {Packed(2000, 2, 29), Packed(2024, 2, 28), "A", 23},
      {Packed(2000, 2, 29), Packed(2024, 2, 29), "a", 24},
      {Packed(2000, 5, 10), Packed(2024, 4, 30), "A", 23},
      {Packed(2000, 5, 10), Packed(2000, 5, 9), "A", 0},
      {Packed(2000, 1, 1), Packed(2024, 1, 1), "X", 0},
      {Packed(2000, 1, 1), Packed(2024, 1, 1), "", 0},
      {Packed(2000, 1, 1), Packed(2024, 1, 1), "DD", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DateDifference(c.from, c.to, c.unit), c.result)
        << UnpackDigits(c.from) << " " << UnpackDigits(c.to) << " " << c.unit;
}

TEST(DateDifferenceTest, MalformedDatesStayInBounds) {
  // Short, empty, over-long and non-packed dates: arithmetic on whatever digits are there.
  EXPECT_EQ(DateDifference("", "", "D"), 0);
  EXPECT_EQ(DateDifference(Packed(2024, 1, 1) + "xyz", Packed(2024, 1, 2), "D"), 1);
  // Three bytes give six digits, read as the number 202401: year 20, month 24, day 1.
  EXPECT_EQ(DateDifference(PackDigits("202401"), Packed(2024, 1, 1), "M"),
            (2024 - 20) * 12 + 1 - 24);
  (void)DateDifference(Packed(2024, 13, 40), Packed(2024, 99, 99), "D");
  (void)DateDifference("    ", std::string(4, '\xff'), "D");
  EXPECT_GE(DayOfWeek(""), 1);
  EXPECT_LE(DayOfWeek(""), 7);
  // Month 0 with a large day gives a negative day count (2024-00-99 is 68 days "before" the new
  // year); the weekday still stays within 1 to 7.
  for (int m = 0; m < 100; m += 7)
    for (int d = 0; d < 100; d += 11) {
      const short w = DayOfWeek(Packed(2024, m, d));
      EXPECT_GE(w, 1);
      EXPECT_LE(w, 7);
    }
}

// Independent reference: Julian day numbers, in the Julian calendar before 15 October 1582 and
// in the Gregorian calendar from then on.
long JulianDayNumber(int y, int m, int d, bool gregorian) {
  const long a = (14 - m) / 12;
  const long yy = y + 4800 - a;
  const long mm = m + 12 * a - 3;
  long jdn = d + (153 * mm + 2) / 5 + 365 * yy + yy / 4;
  return gregorian ? jdn - yy / 100 + yy / 400 - 32045 : jdn - 32083;
}

bool Before(int y, int m, int d, int y2, int m2, int d2) {
  return y != y2 ? y < y2 : m != m2 ? m < m2 : d < d2;
}

// The day count the operation keeps: the Julian day number of the calendar in force, with the
// ten days that the calendar change skipped counted all the same (5 to 14 October 1582 are
// ordinary days of the month here).
long DayCount(int y, int m, int d) {
  if (Before(y, m, d, 1582, 10, 15)) return JulianDayNumber(y, m, d, false);
  return JulianDayNumber(y, m, d, true) + 10;
}

// Weekday 1 (Monday) to 7: Julian calendar up to 4 October 1582, Gregorian from 5 October on.
int ReferenceWeekday(int y, int m, int d) {
  return static_cast<int>(JulianDayNumber(y, m, d, !Before(y, m, d, 1582, 10, 5)) % 7) + 1;
}

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = y < 1582 ? y % 4 == 0 : (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0));
  return kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

struct Date {
  int y, m, d;
};

class Lcg {
 public:
  std::uint32_t Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state_ >> 33);
  }
  Date RandomDate() {
    const int y = 1 + static_cast<int>(Next() % 9999);
    const int m = 1 + static_cast<int>(Next() % 12);
    const int d = 1 + static_cast<int>(Next() % static_cast<std::uint32_t>(DaysInMonth(y, m)));
    return {y, m, d};
  }

 private:
  std::uint64_t state_ = 20240115;
};

TEST(DateDifferenceTest, DaysAgreeWithJulianDayNumbers) {
  Lcg random;
  for (int i = 0; i < 20000; ++i) {
    const Date a = random.RandomDate();
    Date b = random.RandomDate();
    if (i % 3 == 0) b = {a.y + static_cast<int>(random.Next() % 3), b.m, 1};  // near pairs
    if (b.y > 9999) b.y = 9999;
    const long expected = std::labs(DayCount(a.y, a.m, a.d) - DayCount(b.y, b.m, b.d));
    ASSERT_EQ(DateDifference(Packed(a.y, a.m, a.d), Packed(b.y, b.m, b.d), "D"), expected)
        << a.y << "-" << a.m << "-" << a.d << " " << b.y << "-" << b.m << "-" << b.d;
  }
  // Every day of October 1582 against days on both sides of the change.
  const Date others[] = {{1582, 1, 1}, {1582, 9, 30}, {1582, 12, 31}, {1583, 3, 1}, {1, 1, 1},
                         {9999, 12, 31}};
  for (int d = 1; d <= 31; ++d)
    for (const Date& o : others)
      EXPECT_EQ(DateDifference(Packed(1582, 10, d), Packed(o.y, o.m, o.d), "D"),
                std::labs(DayCount(1582, 10, d) - DayCount(o.y, o.m, o.d)))
          << d << " " << o.y << "-" << o.m << "-" << o.d;
  EXPECT_EQ(DateDifference(Packed(1, 1, 1), Packed(9999, 12, 31), "D"),
            DayCount(9999, 12, 31) - DayCount(1, 1, 1));
}

TEST(DayOfWeekTest, Table) {
  EXPECT_EQ(DayOfWeek(Packed(2024, 1, 15)), 1);
  EXPECT_EQ(DayOfWeek(Packed(2000, 3, 1)), 3);
  EXPECT_EQ(DayOfWeek(Packed(1582, 10, 4)), 4);
  EXPECT_EQ(DayOfWeek(Packed(1582, 10, 15)), 5);
  EXPECT_EQ(DayOfWeek(Packed(1582, 1, 1)), 1);
  EXPECT_EQ(DayOfWeek(Packed(1, 1, 1)), 6);
  EXPECT_EQ(DayOfWeek(Packed(2026, 12, 11)), 5);
}

TEST(DayOfWeekTest, AgreesWithJulianDayNumbers) {
  // Every day of the years around the calendar change and of a few century years, and one
  // random day per month of every 7th year from year 1 to 9999.
  for (int y : {1, 4, 1500, 1581, 1582, 1583, 1600, 1700, 1900, 2000, 2024, 9999})
    for (int m = 1; m <= 12; ++m)
      for (int d = 1; d <= DaysInMonth(y, m); ++d)
        ASSERT_EQ(DayOfWeek(Packed(y, m, d)), ReferenceWeekday(y, m, d))
            << y << "-" << m << "-" << d;
  Lcg random;
  for (int y = 1; y <= 9999; y += 7)
    for (int m = 1; m <= 12; ++m) {
      const int d =
          1 + static_cast<int>(random.Next() % static_cast<std::uint32_t>(DaysInMonth(y, m)));
      ASSERT_EQ(DayOfWeek(Packed(y, m, d)), ReferenceWeekday(y, m, d))
          << y << "-" << m << "-" << d;
    }
}

TEST(ZeroPadTest, Table) {
  const struct {
    double number;
    short width;
    const char* text;
  } cases[] = {{7, 2, "07"},  {2024, 2, "24"}, {0, 3, "000"}, {2024, 6, "002024"},
               {-5, 3, "005"}, {12, 0, ""},    {12, -3, ""},  {31, 2, "31"}};
  for (const auto& c : cases) EXPECT_EQ(ZeroPad(c.number, c.width), c.text) << c.number;
}

}  // namespace
