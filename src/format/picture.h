#pragma once
// Numbers as text of a fixed width through a picture mask. Mask characters: "9" digit, "Z"/"z"
// digit with blank suppression, "*" digit with asterisk fill, "." decimal point (the first one
// fixes the decimals), "," thousands separator, "-" sign (blank or "-"), "+" sign ("+" or "-");
// everything else is copied as a literal. A mask without "-" or "+" shows a negative value's
// minus as a floating sign in front of the digits.
#include <string>

// The characters shown for "." and "," of a mask, from the root directory's Kelo.ini, [Usuari]
// DecCaracter and MilCaracter. NUL means "not loaded yet"; each is loaded on the first
// FormatPicture call and kept for the run.
struct PictureSettingsTable {
  char DecimalChar = '\0';    // default "'"
  char ThousandsChar = '\0';  // default "."
};

extern PictureSettingsTable PictureSettings;

// Back to "not loaded" (for tests).
void ResetPictureSettings();

// `value` through `mask`: a text of the mask's length. The value is rounded to the mask's
// decimals, halves to the even neighbour. A number that does not fit is shown without
// separators, right-aligned and cut to the width, or as "!" characters when even its integer
// digits do not fit; a value that is not finite also gives "!" characters.
std::string FormatPicture(const std::string& mask, double value);
