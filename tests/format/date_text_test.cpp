#include "format/date_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "config/session.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Packed(int year, int month, int day) {
  return {static_cast<char>(128 + year / 100), static_cast<char>(128 + year % 100),
          static_cast<char>(128 + month), static_cast<char>(128 + day)};
}

// TAVROOT points at a scratch root (no Kelo.ini unless a test writes one); the settings are
// reloaded and the session language is Catalan unless a test sets it.
class DateTextTest : public testing::Test {
 protected:
  void SetUp() override {
    if (const char* v = std::getenv("TAVROOT")) saved_ = v;
    setenv("TAVROOT", root_.Path().c_str(), 1);
    ResetDateTextSettings();
    ResetSessionSettings();
    SessionSettings.LanguageCode = "CAT";
  }
  void TearDown() override {
    if (saved_)
      setenv("TAVROOT", saved_->c_str(), 1);
    else
      unsetenv("TAVROOT");
    ResetDateTextSettings();
    ResetSessionSettings();
  }
  void WriteKeloIni(const std::string& usuari_lines) {
    root_.Write("Kelo.ini", "[Usuari]\r\n" + usuari_lines);
  }

  std::optional<std::string> saved_;
  TempDir root_;
};

TEST_F(DateTextTest, FourKindsInFourLanguages) {
  const std::string date = Packed(2024, 4, 15);
  const struct {
    const char* language;
    const char* kind2;
  } rows[] = {
      {"CAT", "15 d'abril del 2024"},
      {"SPA", "15 de abril de 2024"},
      {"GLG", "15 de abril do 2024"},
      {"OCI", "15 d'abriu deth 2024"},
      {"   ", "15 d'abril del 2024"},  // any other code is Catalan
      {"spa", "15 d'abril del 2024"},
  };
  for (const auto& row : rows) {
    SessionSettings.LanguageCode = row.language;
    EXPECT_EQ(DateText(date, -1, "dma"), "2024-04-15") << row.language;
    EXPECT_EQ(DateText(date, 0, "dma"), "15/4/2024 ") << row.language;
    EXPECT_EQ(DateText(date, 1, "dma"), "15/abr/2024") << row.language;
    EXPECT_EQ(DateText(date, 2, "dma"), row.kind2) << row.language;
    EXPECT_EQ(DateText(date, 7, "dma"), row.kind2) << row.language;
  }
}

TEST_F(DateTextTest, CatalanAndOtherForms) {
  const struct {
    const char* language;
    std::string date;
    short kind;
    const char* layout;
    std::string result;
  } cases[] = {
      {"CAT", Packed(2024, 1, 5), 2, "dma", "5 de gener del 2024"},
      {"CAT", Packed(2024, 8, 1), 2, "dma", "1 d'agost del 2024"},
      {"CAT", Packed(2024, 10, 31), 2, "dma", "31 d'octubre del 2024"},
      {"CAT", Packed(2024, 3, 2), 2, "dma", "2 de mar\x87 del 2024"},
      {"CAT", Packed(2024, 1, 5), 0, "dma", "5/1/2024  "},
      {"CAT", Packed(2024, 10, 31), 0, "dma", "31/10/2024"},
      {"OCI", Packed(2024, 7, 1), 1, "m", "jun"},
      {"OCI", Packed(2024, 1, 5), 1, "dma", "5/g\x8Ar/2024 "},
      {"OCI", Packed(2024, 1, 5), 2, "dma", "5 de g\x8Ar deth 2024"},
      {"CAT", Packed(2024, 5, 1), 1, "m", "mai"},
      {"SPA", Packed(2024, 9, 30), 2, "dma", "30 de septiembre de 2024"},
      {"SPA", Packed(2024, 9, 30), 1, "DMA", "30/sep/2024"},
      {"GLG", Packed(2024, 3, 2), 2, "dma", "2 de mar\x87o do 2024"},
      {"CAT", Packed(2024, 4, 15), 2, "m", "abril"},
      {"CAT", Packed(2024, 4, 15), 2, "ma", "abril del 2024"},
      {"CAT", Packed(2024, 4, 15), 2, "DA", "15 del 2024"},
      {"CAT", Packed(2024, 4, 15), 0, "m", "4 "},           // width kind + 2
      {"CAT", Packed(2024, 4, 15), 0, "", ""},              // no part, no width
      {"CAT", Packed(2024, 4, 15), 0, "xyz", "  "},         // width of the layout alone
      {"CAT", Packed(2024, 0, 0), 0, "dma", "          "},  // empty date
      {"CAT", Packed(2024, 0, 0), 1, "dma", "           "},
      {"CAT", Packed(2024, 0, 0), 2, "dma", ""},
      {"CAT", Packed(2024, 0, 0), -1, "dma", "2024-00-00"},
      {"CAT", Packed(2024, 4, 15), -5, "", "2024-04-15"},  // kinds below -1 act as -1
      {"CAT", Packed(2024, 0, 7), 0, "dma", "7/0/2024  "},
      {"CAT", Packed(2024, 13, 7), 2, "dma", "7 de  del 2024"},  // no name outside 1 to 12
      {"CAT", Packed(2024, 99, 7), 1, "dma", "7//2024    "},
      {"CAT", Packed(2024, 4, 15) + "\x85", 0, "dma", "15/4/2024 "},  // extra bytes unused
      {"CAT", std::string("\x94"), -1, "", "20-00-00"},                  // short date
      {"CAT", std::string(), 0, "dma", "          "},
      {"CAT", std::string("    "), 0, "dma", "32/32/3232"},  // digits of bytes without the high bit
  };
  for (const auto& c : cases) {
    SessionSettings.LanguageCode = c.language;
    EXPECT_EQ(DateText(c.date, c.kind, c.layout), c.result)
        << c.language << " kind " << c.kind << " " << c.layout << " -> " << c.result;
  }
}

TEST_F(DateTextTest, ConfiguredOrderAndSeparator) {
  WriteKeloIni("DatCaracter=-\r\nDatOrdre=AMD\r\n");
  const std::string date = Packed(2024, 4, 15);
  EXPECT_EQ(DateText(date, 0, "dma"), "2024-4-15 ");
  EXPECT_EQ(DateText(date, 2, "dma"), "2024 d'abril del 15");
  EXPECT_EQ(DateTextSettings.DateSeparator, '-');
  EXPECT_EQ(DateTextSettings.DateOrder, "AMD");
}

TEST_F(DateTextTest, OrderLettersAreTakenAsStored) {
  const struct {
    const char* order;
    const char* result;
  } cases[] = {
      {"dma", "          "},   // small letters name no part
      {"DXA", "15/2024   "},   // other letters add nothing
      {"MD", "4/15      "},    // blank-filled to three
      {"DMAD", "15/4/2024 "},  // only the first three count
      {"   ", "15/4/2024 "},   // three blanks give the default
      {"DDD", "15/15/15  "},
  };
  for (const auto& c : cases) {
    ResetDateTextSettings();
    WriteKeloIni(std::string("DatOrdre=") + c.order + "\r\n");
    EXPECT_EQ(DateText(Packed(2024, 4, 15), 0, "dma"), c.result) << c.order;
  }
}

TEST_F(DateTextTest, SettingsAreReadOnceEachOnItsOwn) {
  WriteKeloIni("DatCaracter= \r\n");
  EXPECT_EQ(DateText(Packed(2024, 4, 15), 0, "dma"), "15/4/2024 ");
  WriteKeloIni("DatCaracter=.\r\nDatOrdre=AMD\r\n");
  EXPECT_EQ(DateText(Packed(2024, 4, 15), 0, "dma"), "15/4/2024 ");
  DateTextSettings.DateOrder = std::string(3, '\0');  // only the order is reloaded
  EXPECT_EQ(DateText(Packed(2024, 4, 15), 0, "dma"), "2024/4/15 ");
}

}  // namespace
