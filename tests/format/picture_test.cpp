#include "format/picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "tests/support/temp_dir.h"

namespace {

// TAVROOT points at a scratch root; the settings are reloaded for every test.
class PictureTest : public testing::Test {
 protected:
  void SetUp() override {
    if (const char* v = std::getenv("TAVROOT")) saved_ = v;
    setenv("TAVROOT", root_.Path().c_str(), 1);
    ResetPictureSettings();
  }
  void TearDown() override {
    if (saved_)
      setenv("TAVROOT", saved_->c_str(), 1);
    else
      unsetenv("TAVROOT");
    ResetPictureSettings();
  }
  void WriteKeloIni(const std::string& usuari_lines) {
    root_.Write("Kelo.ini", "[Usuari]\r\n" + usuari_lines);
  }

  std::optional<std::string> saved_;
  TempDir root_;
};

TEST_F(PictureTest, MasksAndValuesWithTheDefaultCharacters) {
  const struct {
    const char* mask;
    double value;
    const char* result;
  } cases[] = {
      {"ZZ9", 0, "  0"},
      {"ZZ9", 5, "  5"},
      {"ZZ9", -5, " -5"},
      {"ZZ9", -12, "-12"},
      {"ZZ9", -123, "!!!"},
      {"ZZ9", 1234, "!!!"},
      {"ZZ9", 2.5, "  2"},
      {"ZZ9", 3.5, "  4"},
      {"ZZ9", -0.3, " -0"},
      {"ZZZ9", 42, "  42"},
      {"ZZZ", 0, "   "},
      {"ZZZ", 10, " 10"},
      {"ZZZ", 0.3, "  0"},
      {"Z,ZZ9", 123, "  123"},
      {"Z,ZZ9", 1234, "1.234"},
      {"Z,ZZ9", -123, " -123"},
      {"Z,ZZ9", -1234, "-1234"},
      {"Z,ZZZ,ZZZ,ZZZ,ZZZ,ZZ9", 0, "                    0"},
      {"Z,ZZZ,ZZZ,ZZZ,ZZZ,ZZ9", -1234567, "           -1.234.567"},
      {"-Z,ZZZ,ZZZ,ZZZ,ZZZ,ZZ9", -1234567, "-            1.234.567"},
      {"ZZ9.99", 0, "  0'00"},
      {"ZZ9.99", 0.05, "  0'05"},
      {"ZZ9.99", 0.125, "  0'12"},
      {"ZZ9.99", 0.375, "  0'38"},
      {"ZZ9.99", 1.005, "  1'00"},  // the double lies just below the half
      {"ZZZ.ZZ", 0, "      "},
      {"ZZZ.ZZ", 1.5, "  1'5 "},
      {"ZZZ.ZZ", 1, "  1   "},
      {"ZZZ.ZZ", 0.05, "   '05"},
      {"ZZ9.99-", -1.5, "  1'50-"},
      {"ZZ9.99-", 1.5, "  1'50 "},
      {"+ZZ9", 5, "+  5"},
      {"+ZZ9", -5, "-  5"},
      {"***,**9", 5, "******5"},
      {"ZZZ,999", 5, "   .005"},
      {"999", -5, "0-5"},
      {"Z,ZZ9.99", 12345.67, "12345'67"},
      {"Z,ZZ9.99", 123456.78, "123456'7"},
      {"Z,ZZ9.99", 1234567, "1234567'"},
      {"Z,ZZ9.99", 123456789, "!!!!!!!!"},
      {"Z,ZZ9.99", -12345678, "!!!!!!!!"},
      {"Fr ZZ9", 12, "Fr  12"},  // literals are copied
      {"zz9", 7, "  7"},
      {"", 5, ""},
      {"", -5, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatPicture(c.mask, c.value), c.result) << c.mask << " " << c.value;
}

TEST_F(PictureTest, ResultKeepsTheMaskWidth) {
  // Odd masks and values: never a crash, always the mask's length.
  const char* masks[] = {".", ".99", "9.", "-", "+", ",", "Z.Z.Z", ".-9", "-.-9", "9-9.9+9",
                         "***.**", "99999999999999999999999999999.99999999999999999999999999"};
  const double values[] = {0,     -0.0,  1,     -1,    0.5,   -0.5,      1e15, -1e15,
                           1e300, -1e300, 1e-300, 12.345, -99.995, 4.2e18, 9.9e18};
  for (const char* mask : masks)
    for (double value : values)
      EXPECT_EQ(FormatPicture(mask, value).size(), std::string(mask).size())
          << mask << " " << value;
  const std::string long_mask = "." + std::string(400, '9');
  EXPECT_EQ(FormatPicture(long_mask, 0.5).size(), long_mask.size());
}

TEST_F(PictureTest, ValuesThatAreNotFiniteOverflow) {
  EXPECT_EQ(FormatPicture("ZZ9", std::numeric_limits<double>::infinity()), "!!!");
  EXPECT_EQ(FormatPicture("ZZ9", -std::numeric_limits<double>::infinity()), "!!!");
  EXPECT_EQ(FormatPicture("ZZ9.99", std::nan("")), "!!!!!!");
}

TEST_F(PictureTest, ConfiguredCharacters) {
  WriteKeloIni("DecCaracter=,\r\nMilCaracter=.\r\n");
  EXPECT_EQ(FormatPicture("Z,ZZ9.99", 1234.5), "1.234,50");
  EXPECT_EQ(FormatPicture("Z,ZZ9.99", 12345.67), "12345,67");
}

TEST_F(PictureTest, NoConfigurationGivesTheDefaults) {
  EXPECT_EQ(FormatPicture("Z,ZZ9.99", 1234.5), "1.234'50");
}

TEST_F(PictureTest, BlankSettingsGiveTheDefaultsEachOnItsOwn) {
  WriteKeloIni("DecCaracter=\r\nMilCaracter= \r\n");
  EXPECT_EQ(FormatPicture("Z,ZZ9.99", 1234.5), "1.234'50");
  ResetPictureSettings();
  WriteKeloIni("MilCaracter=' x\r\n");  // only the first character counts
  EXPECT_EQ(FormatPicture("Z,ZZ9.99", 1234.5), "1'234'50");
}

TEST_F(PictureTest, SettingsAreReadOnce) {
  EXPECT_EQ(FormatPicture("9.9", 1.5), "1'5");
  WriteKeloIni("DecCaracter=,\r\n");
  EXPECT_EQ(FormatPicture("9.9", 1.5), "1'5");
  ResetPictureSettings();
  EXPECT_EQ(FormatPicture("9.9", 1.5), "1,5");
}

}  // namespace
