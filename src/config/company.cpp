#include "config/company.h"

#include "config/ini.h"
#include "config/session.h"
#include "platform/process.h"

CompanyDetailsTable CompanyDetails;

namespace {

constexpr std::size_t kFieldLength = 35;

std::string Fitted(std::string text) {
  text.resize(kFieldLength, ' ');
  return text;
}

bool AllowedInTaxIdentifier(char c) {
  return c == ' ' || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

const std::string& CompanyField(int number) {
  static const std::string kBlank(kFieldLength, ' ');
  if (number < 1 || number > static_cast<int>(CompanyDetails.Fields.size())) return kBlank;
  return CompanyDetails.Fields[static_cast<std::size_t>(number - 1)];
}

void ResetCompanyDetails() { CompanyDetails = CompanyDetailsTable{}; }

std::string NormaliseTaxIdentifier(const std::string& identifier) {
  std::string kept;
  for (char c : Fitted(identifier))
    if (AllowedInTaxIdentifier(c)) kept += c;
  return Fitted("ES" + Fitted(kept));
}

void LoadCompanyDetails() {
  // The company details come before the session, so SessionSettings.RootDirectory is not set
  // yet: read TAVROOT directly, which is exactly what SetUpSession will store there.
  const std::string file = EnvironmentValue("TAVROOT") + "Kelo.ini";
  for (std::size_t i = 0; i < CompanyDetails.Fields.size(); ++i)
    CompanyDetails.Fields[i] =
        Fitted(ReadIniValue(file, "Empresa", "Camp" + std::to_string(i + 1)));
  CompanyDetails.Fields[6] = NormaliseTaxIdentifier(CompanyDetails.Fields[6]);
  SetUpSession();
}
