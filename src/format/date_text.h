#pragma once
// Dates as display text: the ISO form, the numeric form with the user's separator and part
// order, the same with a three-letter month, and the long form with month names and connecting
// words in the session language (Catalan, Spanish, Galician, Aranese).
#include <string>

// The user's date settings from the root directory's Kelo.ini, [Usuari] DatCaracter and
// DatOrdre. NUL bytes mean "not loaded yet"; they are loaded on the first DateText call and then
// kept for the run.
struct DateTextSettingsTable {
  char DateSeparator = '\0';                     // default "/"
  std::string DateOrder = std::string(3, '\0');  // three letters D, M, A; default "DMA"
};

extern DateTextSettingsTable DateTextSettings;

// Back to "not loaded" (for tests).
void ResetDateTextSettings();

// `date` is a packed date (yyyymmdd in four bytes). `kind`: -1 (or less) ISO yyyy-mm-dd; 0
// numeric parts joined by the separator, blank-padded to a fixed width; 1 the same with the
// month's first three letters; 2 or more the long form, not padded. `layout` selects the parts
// shown by its letters d, m, a in either case; their order always comes from DateOrder.
std::string DateText(const std::string& date, short kind, const std::string& layout);
