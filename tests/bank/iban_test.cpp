#include "bank/iban.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <set>
#include <string>

namespace {

// The registry's example IBAN of every country of the table.
const char* const kExampleIbans[] = {
    "AT611904300234573201",         "BE68539007547034",
    "BG80BNBG96611020345678",       "CH9300762011623852957",
    "CY17002001280000001200527600", "CZ6508000000192000145399",
    "DE89370400440532013000",       "DK5000400440116243",
    "EE382200221020145685",         "ES9121000418450200051332",
    "FI2112345600000785",           "FR1420041010050500013M02606",
    "GB29NWBK60161331926819",       "GI75NWBK000000007099453",
    "GR1601101250000000012300695",  "HR1210010051863000160",
    "HU42117730161111101800000000", "IE29AIBK93115212345678",
    "IS140159260076545510730339",   "IT60X0542811101000000123456",
    "LI21088100002324013AA",        "LT121000011101001000",
    "LU280019400644750000",         "LV80BANK0000435195001",
    "MC5811222000010123456789030",  "MT84MALT011000012345MTLCAST001S",
    "NL91ABNA0417164300",           "NO9386011117947",
    "PL61109010140000071219812874", "PT50000201231234567890154",
    "RO49AAAA1B31007593840000",     "SE4550000000058398257466",
    "SI56263300012039086",          "SK3112000000198742637541",
    "SM86U0322509800000000270100",
};

// Independent ISO 13616 reference: rearranged, letters as two digits, remainder 1 by 97.
bool ReferenceValid(const std::string& iban) {
  const std::string moved = iban.substr(4) + iban.substr(0, 4);
  int r = 0;
  for (char c : moved) {
    const std::string digits = std::isdigit(static_cast<unsigned char>(c))
                                   ? std::string(1, c)
                                   : std::to_string(std::toupper(c) - 'A' + 10);
    for (char d : digits) r = (r * 10 + (d - '0')) % 97;
  }
  return r == 1;
}

// The IBAN of `bban` in `country` with correct check digits, found by the reference above.
std::string ReferenceIban(const std::string& country, const std::string& bban) {
  for (int check = 2; check <= 98; ++check) {
    const std::string candidate = country + (check < 10 ? "0" : "") + std::to_string(check) + bban;
    if (ReferenceValid(candidate)) return candidate;
  }
  return {};
}

std::int16_t Check(std::string& account) { return CheckIban(account); }

TEST(IbanCountryTableTest, HoldsEveryExampleCountryOnceWithItsLength) {
  std::set<std::string> countries;
  for (const IbanCountry& row : IbanCountryTable) countries.insert(row.Country);
  EXPECT_EQ(countries.size(), static_cast<std::size_t>(kIbanCountryCount));
  for (const std::string iban : kExampleIbans) {
    SCOPED_TRACE(iban);
    const IbanCountry* row = FindIbanCountry(iban.substr(0, 2));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(IbanFormatLength(row->Format), static_cast<int>(iban.size()) - 4);
  }
  EXPECT_EQ(IbanFormatLength("03n04n01n15n1n"), 24);  // one-digit last group read whole
  EXPECT_EQ(IbanFormatLength("05n05n11x2n"), 23);
}

TEST(CheckIbanTest, ExampleIbansPassUnchanged) {
  for (const std::string iban : kExampleIbans) {
    SCOPED_TRACE(iban);
    ASSERT_TRUE(ReferenceValid(iban));
    std::string account = iban;
    EXPECT_EQ(Check(account), 0);
    EXPECT_EQ(account, iban);
  }
}

TEST(CheckIbanTest, ZeroCheckDigitsAreComputedAndWrittenIn) {
  for (const std::string iban : kExampleIbans) {
    SCOPED_TRACE(iban);
    std::string account = iban;
    account[2] = account[3] = '0';
    EXPECT_EQ(Check(account), 0);
    EXPECT_EQ(account, iban);
  }
  // Below 10 the computed digits get a leading zero.
  std::string account = "ES0021000418440200051334";
  EXPECT_EQ(Check(account), 0);
  EXPECT_EQ(account, "ES0221000418440200051334");
  EXPECT_EQ(account, ReferenceIban("ES", "21000418440200051334"));
}

TEST(CheckIbanTest, WrongCheckDigitsGive2) {
  for (const std::string iban : kExampleIbans) {
    SCOPED_TRACE(iban);
    for (const char* digits : {"01", "99", "98"}) {
      std::string account = iban;
      if (account.compare(2, 2, digits) == 0) continue;
      account.replace(2, 2, digits);
      EXPECT_EQ(Check(account), 2);
    }
  }
  // A single changed BBAN digit is caught too (Germany has no national check).
  std::string account = "DE89370400440532013001";
  EXPECT_EQ(Check(account), 2);
}

TEST(CheckIbanTest, CleansBlanksHyphensAndOtherCharactersInPlace) {
  struct Case {
    std::string input;
    std::string expected;
  };
  const Case cases[] = {
      {"ES91 2100 0418 4502 0005 1332", "ES9121000418450200051332     "},
      {"ES91-2100-0418-45-0200051332", "ES9121000418450200051332    "},
      {"ES91 2100.0418\t45/0200051332   ", "ES9121000418450200051332       "},
      {"ES00 2100 0418 45 0200051332", "ES9121000418450200051332    "},
      {"ES91 2100 0418 4502 0005 133\x82" "2", "ES9121000418450200051332      "},
      {"GB29 NWBK 6016 1331 9268 19 -", "GB29NWBK60161331926819       "},
      {"ES9121000418450200051332   ", "ES9121000418450200051332   "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    std::string account = c.input;
    EXPECT_EQ(Check(account), 0);
    EXPECT_EQ(account, c.expected);
  }
  // Characters 1 to 4 are not cleaned: a blank among them is refused as it stands.
  std::string account = "ES 9121000418450200051332";
  EXPECT_EQ(Check(account), 2);
  EXPECT_EQ(account, "ES 9121000418450200051332");
}

TEST(CheckIbanTest, LowerCaseCountryAndLettersCount) {
  for (const char* iban : {"es9121000418450200051332", "gb29nwbk60161331926819",
                           "Gb29NwBk60161331926819", "mt84malt011000012345mtlcast001s",
                           "fr1420041010050500013m02606", "nl91abna0417164300"}) {
    SCOPED_TRACE(iban);
    std::string account = iban;
    EXPECT_EQ(Check(account), 0);
    EXPECT_EQ(account, iban);
  }
  std::string account = "gb00nwbk60161331926819";
  EXPECT_EQ(Check(account), 0);
  EXPECT_EQ(account, "gb29nwbk60161331926819");
}

TEST(CheckIbanTest, EmptyOrZeroBbanIsNoAccount) {
  for (const char* input : {"ES00", "ES91", "ES00    ", "ES000000000000000000000000", "DE12000",
                            "ES00 0000-0000 00"}) {
    SCOPED_TRACE(input);
    std::string account = input;
    EXPECT_EQ(Check(account), 0);
    EXPECT_EQ(account.compare(0, 4, input, 4), 0);  // check digits not written in
  }
}

TEST(CheckIbanTest, UnknownCountryGives1AndLeavesTheAccount) {
  for (const char* input : {"", "E", "XX00 1234", "US00123456789",
                            "E S91 2100", "\xA5S9121000418450200051332", "1234"}) {
    SCOPED_TRACE(input);
    std::string account = input;
    EXPECT_EQ(Check(account), 1);
    EXPECT_EQ(account, input);
  }
}

TEST(CheckIbanTest, BadCheckDigitFormGives2BeforeCleaning) {
  for (const char* input : {"ES", "ES9", "ES9A 2100 0418", "ESA1-2100", "ES 1 2100", "ES**21000418",
                            "es-92100"}) {
    SCOPED_TRACE(input);
    std::string account = input;
    EXPECT_EQ(Check(account), 2);
    EXPECT_EQ(account, input);
  }
}

TEST(CheckIbanTest, FormatFailuresGive3) {
  // With "00" the check digits are computed, so nothing but the format can fail.
  const char* const cases[] = {
      "DE00370400440532013",                  // too short
      "DE0037040044053201300012",             // too long
      "DE003704004405320130A0",               // letter in a digit group
      "GB00NW1K60161331926819",               // digit in a letter group
      "HU0011773016111110180000000A",         // last single-digit group must be digits
      "MC001122200001012345678903A",          // last group of two
      "MC00112220000101234567890A0",
      "ES00210004184502000513320",            // national check passes, one digit too many
      "BE00539007547034000",                  // too long, check digits still right
  };
  for (const char* input : cases) {
    SCOPED_TRACE(input);
    std::string account = input;
    EXPECT_EQ(Check(account), 3);
    EXPECT_TRUE(ReferenceValid(account)) << account;
  }
  // Letters are welcome in "x" groups.
  std::string account = "IT00X0542811101ABCDEFGHIJKL";
  EXPECT_EQ(Check(account), 0);
  EXPECT_EQ(account, ReferenceIban("IT", "X0542811101ABCDEFGHIJKL"));
}

TEST(CheckIbanTest, NationalFailureGivesMinus1) {
  std::string account = "ES0021000418550200051332";  // first control digit wrong
  EXPECT_EQ(Check(account), -1);
  EXPECT_EQ(account, ReferenceIban("ES", "21000418550200051332"));
  account = ReferenceIban("NL", "ABNA0417164301");
  EXPECT_EQ(Check(account), -1);
  account = ReferenceIban("BE", "539007547035");
  EXPECT_EQ(Check(account), -1);
  account = ReferenceIban("FR", "20041010050500013M02607");
  EXPECT_EQ(Check(account), -1);
  account = ReferenceIban("PT", "000201231234567890155");
  EXPECT_EQ(Check(account), -1);
}

TEST(CheckIbanTest, LaterFindingsWin) {
  // National failure over format failure: Spanish BBAN one digit short, control digit wrong.
  std::string account = ReferenceIban("ES", "2100041845020005133");
  EXPECT_EQ(Check(account), -1);
  // The same with the second control digit that the missing last digit, read as 0, asks for.
  account = ReferenceIban("ES", "2100041846020005133");
  EXPECT_EQ(Check(account), 3);
  // Wrong check digits over a national failure.
  account = "ES9921000418550200051332";
  EXPECT_EQ(Check(account), 2);
  // Wrong check digits over a format failure.
  account = "DE993704004405320130";
  EXPECT_EQ(Check(account), 2);
  // French: a short BBAN fails both its format and its national conversion.
  account = "FR0020041010050500013M026";
  EXPECT_EQ(Check(account), -1);
}

TEST(CheckIbanTest, OddTextsStayInBounds) {
  const std::string cases[] = {
      std::string(300, '9'),
      "ES00" + std::string(296, '1'),
      "ES00" + std::string(296, ' '),
      "ES00" + std::string(296, '-'),
      "ES00" + std::string(150, '\xFF') + std::string(146, '7'),
      std::string("ES00\0\0" "12", 8),
      "FR00" + std::string(200, 'Z'),
      "PT00A",
      "NL00",
      "BE001",
      "ES91\xE9",
  };
  for (const std::string& input : cases) {
    std::string account = input;
    const std::int16_t result = Check(account);
    EXPECT_TRUE(result >= -1 && result <= 3);
    EXPECT_EQ(account.size(), input.size());
  }
}

}  // namespace
