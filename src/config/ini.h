#pragma once
#include <string>

// The value of `key` in the first section named `section` of the INI file `file` (code page 850
// path), or the empty text when the file, the section or the key is missing. Names compare
// without regard to case; comments start at the first ";" of a line; a value between double
// quotes loses them.
std::string ReadIniValue(const std::string& file, const std::string& section,
                         const std::string& key);
