#include "config/company.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "config/session.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Field(const std::string& text) { return text + std::string(35 - text.size(), ' '); }

TEST(NormaliseTaxIdentifierTest, Table) {
  const struct {
    std::string identifier;
    std::string result;
  } cases[] = {
      {"B-12345678", Field("ESB12345678")},
      {"B-.12345678", Field("ESB12345678")},   // two separators in a row both go
      {"b12345678", Field("ES12345678")},      // small letters go
      {"ES B 123", Field("ESES B 123")},       // blanks inside stay, a second ES in front
      {"", Field("ES")},
      {std::string(35, ' '), Field("ES")},
      {"\x90-1.2/3", Field("ES123")},           // accented letters and punctuation go
      {"Q12345678", Field("ESQ12345678")},
      {std::string(35, '9'), "ES" + std::string(33, '9')},  // cut to 35
      {std::string(40, 'A'), "ES" + std::string(33, 'A')},  // longer input fitted first
      {std::string(34, '-') + "X", Field("ESX")},
  };
  for (const auto& c : cases) {
    const std::string result = NormaliseTaxIdentifier(c.identifier);
    EXPECT_EQ(result, c.result) << "[" << c.identifier << "]";
    EXPECT_EQ(result.size(), 35u);
  }
}

TEST(CompanyFieldTest, NumberedFromOneAndBlankOutside) {
  ResetCompanyDetails();
  CompanyDetails.Fields[0] = Field("NAME");
  CompanyDetails.Fields[7] = Field("EIGHT");
  EXPECT_EQ(CompanyField(1), Field("NAME"));
  EXPECT_EQ(CompanyField(8), Field("EIGHT"));
  EXPECT_EQ(CompanyField(0), std::string(35, ' '));
  EXPECT_EQ(CompanyField(9), std::string(35, ' '));
  EXPECT_EQ(CompanyField(-1), std::string(35, ' '));
  ResetCompanyDetails();
  EXPECT_EQ(CompanyField(1), std::string(35, ' '));
}

// The company data sits in the scratch root's Kelo.ini; TAVROOT and TAVTMP point at it and the
// other session variables are unset.
class LoadCompanyDetailsTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* v : kVariables) {
      if (const char* value = std::getenv(v)) saved_[v] = value;
      unsetenv(v);
    }
    setenv("TAVROOT", root_.Path().c_str(), 1);
    setenv("TAVTMP", root_.Path().c_str(), 1);
    ResetCompanyDetails();
    ResetSessionSettings();
  }
  void TearDown() override {
    for (const char* v : kVariables) unsetenv(v);
    for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
    ResetCompanyDetails();
    ResetSessionSettings();
  }

  static constexpr const char* kVariables[] = {"TAVROOT", "TAVEXE", "TAVTMP", "TERM",
                                               "HTTP_USER_AGENT", "HTTP_ACCEPT", "WINDIR",
                                               "SYSTEMROOT"};
  std::map<std::string, std::string> saved_;
  TempDir root_;
};

TEST_F(LoadCompanyDetailsTest, FieldsFromKeloIniThenTheSession) {
  root_.Write("Kelo.ini",
              "[Usuari]\r\nIdioma=SPA\r\n"
              "[Empresa]\r\n"
              "Camp1=DISTRIBUCIONS DEL PENED\xD4S, S.L.\r\n"
              "Camp2=  C/ MAJOR, 25\r\n"
              "Camp3=" + std::string(50, 'X') + "\r\n"
              "camp4=small key\r\n"
              "Camp7=b-12.345.678 x\r\n"
              "Camp9=ignored\r\n"
              "[Altres]\r\nCamp5=other section\r\n");
  LoadCompanyDetails();
  EXPECT_EQ(CompanyField(1), Field("DISTRIBUCIONS DEL PENED\xD4S, S.L."));
  EXPECT_EQ(CompanyField(2), Field("  C/ MAJOR, 25"));
  EXPECT_EQ(CompanyField(3), std::string(35, 'X'));
  EXPECT_EQ(CompanyField(4), Field("small key"));
  EXPECT_EQ(CompanyField(5), std::string(35, ' '));
  EXPECT_EQ(CompanyField(6), std::string(35, ' '));
  EXPECT_EQ(CompanyField(7), Field("ES12345678 "));
  EXPECT_EQ(CompanyField(8), std::string(35, ' '));
  // The session is set up afterwards, from the same root.
  EXPECT_EQ(SessionSettings.RootDirectory, root_.Path());
  EXPECT_EQ(SessionSettings.LanguageCode, "SPA");
  EXPECT_EQ(SessionSettings.RunMode, "DOS");
}

TEST_F(LoadCompanyDetailsTest, NoCompanyDataGivesBlankFields) {
  LoadCompanyDetails();
  for (int n = 1; n <= 8; ++n)
    EXPECT_EQ(CompanyField(n), n == 7 ? Field("ES") : std::string(35, ' ')) << n;
  EXPECT_EQ(SessionSettings.RunMode, "DOS");
}

TEST_F(LoadCompanyDetailsTest, TheDemoInstallationCarriesACompany) {
  setenv("TAVROOT", BANKLIST_SOURCE_DIR "/demo/root/", 1);
  LoadCompanyDetails();
  EXPECT_NE(CompanyField(1), std::string(35, ' '));
  EXPECT_EQ(CompanyField(7).substr(0, 3), "ESB");
}

}  // namespace
