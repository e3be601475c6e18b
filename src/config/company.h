#pragma once
// The identity of the company that owns the installation: eight fields of 35 characters each,
// blank-padded. Field 1 is the company name, field 7 the normalised tax identifier.
#include <array>
#include <string>

struct CompanyDetailsTable {
  std::array<std::string, 8> Fields;  // field n at Fields[n - 1]
  CompanyDetailsTable() { Fields.fill(std::string(35, ' ')); }
};

extern CompanyDetailsTable CompanyDetails;

// Field `number` (1 to 8); 35 blanks for any other number.
const std::string& CompanyField(int number);

// Back to eight blank fields (for tests).
void ResetCompanyDetails();

// The identifier fitted to 35 characters, with every character other than the blank, the
// capital letters A to Z and the digits removed (the rest moving left, blanks added at the
// end), then "ES" in front, cut back to 35 characters.
std::string NormaliseTaxIdentifier(const std::string& identifier);

// The first step of the start-up: fills the fields from the root directory's Kelo.ini, section
// [Empresa], keys Camp1 to Camp8 (each fitted to 35 characters), normalises field 7 and then
// sets up the session (SetUpSession).
void LoadCompanyDetails();
