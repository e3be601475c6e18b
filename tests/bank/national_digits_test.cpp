#include "bank/national_digits.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

struct Case {
  const char* country;
  std::string bban;
  std::int16_t length;
  std::int16_t before;
  std::int16_t after;
  const char* why;
};

class NationalDigitsTest : public testing::TestWithParam<Case> {};

TEST_P(NationalDigitsTest, SetsMinus1OnlyWhenTheCheckFails) {
  const Case& c = GetParam();
  std::int16_t result = c.before;
  CheckNationalDigits(c.country, c.bban, c.length, result);
  EXPECT_EQ(result, c.after) << c.country << " " << c.bban << ": " << c.why;
}

const Case kSpain[] = {
    {"ES", "21000418450200051332", 20, 0, 0, "published example"},
    {"ES", "20015838001234710432", 20, 0, 0, "both weighted sums are multiples of 11: digits 0"},
    {"ES", "20015838101234710432", 20, 0, -1, "first digit 1 where 0 is due"},
    {"ES", "20110866111234639161", 20, 0, 0, "both sums leave remainder 1: digits 1"},
    {"ES", "20095028101234710432", 20, 0, 0, "remainder 10 also gives digit 1"},
    {"ES", "21000418460200051332", 20, 0, -1, "second digit wrong, first right"},
    {"ES", "21000418550200051332", 20, 0, -1, "first digit wrong, second right"},
    {"ES", "21000418450200051333", 20, 0, -1, "account digit changed"},
    {"ES", "2100041846020005133", 20, 3, 3, "short: the missing digit reads as 0"},
    {"ES", "2100041845020005133", 20, 3, -1, "short and wrong: the comparison runs anyway"},
    {"ES", "2100041845020005133A", 20, 3, -1, "a letter reads as 0"},
    {"ES", "", 20, 0, 0, "nothing reads as zeros, whose digits are 0"},
};
INSTANTIATE_TEST_SUITE_P(Spain, NationalDigitsTest, testing::ValuesIn(kSpain));

const Case kBelgium[] = {
    {"BE", "539007547034", 12, 0, 0, "published example"},
    {"BE", "539007547035", 12, 0, -1, "check digits one off"},
    {"BE", "970000000097", 12, 0, 0, "multiple of 97 carries 97"},
    {"BE", "000000009797", 12, 0, 0, "97 itself"},
    {"BE", "970000000000", 12, 0, -1, "00 is never a Belgian check"},
    {"BE", "5390075470", 12, 3, -1, "short: missing check digits read as 00"},
    {"BE", "53900754703", 12, 3, -1, "short by one"},
};
INSTANTIATE_TEST_SUITE_P(Belgium, NationalDigitsTest, testing::ValuesIn(kBelgium));

const Case kNetherlands[] = {
    {"NL", "ABNA0417164300", 14, 0, 0, "published example"},
    {"NL", "ABNA0417164301", 14, 0, -1, "sum not a multiple of 11"},
    {"NL", "ABNA0000000000", 14, 0, 0, "ten zeros"},
    {"NL", "abna0417164300", 14, 0, 0, "bank letters are not weighed"},
    {"NL", "ABNA041716430", 14, 3, 3, "short: the missing last digit reads as 0"},
    {"NL", "ABNA041716431", 14, 3, -1, "short and the sum fails: the comparison runs anyway"},
};
INSTANTIATE_TEST_SUITE_P(Netherlands, NationalDigitsTest, testing::ValuesIn(kNetherlands));

const Case kFrancePortugal[] = {
    {"FR", "20041010050500013M02606", 23, 0, 0, "published example, M in the account"},
    {"FR", "20041010050500013M02607", 23, 0, -1, "key one off"},
    {"FR", "2004101005AJS1234567876", 23, 0, 0, "A and J read 1, S reads 2"},
    {"FR", "2004101005ajs1234567876", 23, 0, 0, "lower case letters convert alike"},
    {"FR", "2004101005111223456787" "6", 23, 0, -1, "the converted digits carry another key"},
    {"FR", "2004101005112123456787" "6", 23, 0, 0, "the digits the letters stand for"},
    {"FR", "200A1010050500013M02606", 23, 0, -1, "letter in the bank part"},
    {"FR", "200410100A0500013M02606", 23, 0, -1, "letter in the branch part"},
    {"FR", "20041010050500013M026A6", 23, 0, -1, "letter in the key"},
    {"FR", "20041010050500013M026", 23, 0, -1, "missing key positions"},
    {"FR", "20041010050500013M02607", 23, 3, 3, "after a format failure no key comparison"},
    {"FR", "200A1010050500013M02606", 23, 3, -1, "but a misplaced letter still fails"},
    {"PT", "000201231234567890154", 21, 0, 0, "published example"},
    {"PT", "000201231234567890155", 21, 0, -1, "check digits one off"},
    {"PT", "00020123123456789015", 21, 0, -1, "one position missing"},
    {"PT", "2004101005AJS1234567877", 23, 0, 0, "Portuguese key of the French digits: one more"},
    {"PT", "2004101005AJS1234567876", 23, 0, -1, "the French key is not the Portuguese one"},
    {"FR", "2004101005AJS1234567877", 23, 0, -1, "nor the other way round"},
};
INSTANTIATE_TEST_SUITE_P(FrancePortugal, NationalDigitsTest, testing::ValuesIn(kFrancePortugal));

const Case kOthers[] = {
    {"DE", "370400440532013000", 18, 0, 0, "no national rule"},
    {"DE", "xyz", 18, 3, 3, "no national rule keeps a format failure"},
    {"es", "21000418460200051332", 20, 0, 0, "the country arrives upper-cased"},
};
INSTANTIATE_TEST_SUITE_P(Others, NationalDigitsTest, testing::ValuesIn(kOthers));

TEST(NationalDigitsBoundsTest, OddBbansAndLengthsStayInBounds) {
  for (const char* country : {"ES", "BE", "NL", "FR", "PT"}) {
    for (const std::string& bban : {std::string(), std::string("7"), std::string(300, '9'),
                                   std::string(300, 'Z'), std::string(40, '\xFF')}) {
      for (std::int16_t length : {0, 1, 2, 12, 14, 20, 21, 23, 300}) {
        std::int16_t result = 0;
        CheckNationalDigits(country, bban, length, result);
        EXPECT_TRUE(result == 0 || result == -1);
      }
    }
  }
}

}  // namespace
