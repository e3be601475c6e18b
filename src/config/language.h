#pragma once
// Translation of the program's built-in Catalan texts through the module's language file,
// RootDirectory + "LOCALE\" + LanguageFileName + ".LNG": entries of four lines (the Catalan key
// byte for byte, then the Galician, Aranese and Spanish texts), one after the other.
#include <string>

// Base name of the language file; empty until the first translation sets it to ModuleName.
extern std::string LanguageFileName;

// `text` in the session language. "CAT" returns it without touching the file; otherwise the
// file is created empty when missing and scanned from the top, the first entry whose key equals
// the text wins (an empty translation gives an empty text), and a text without an entry, an
// unrecognised language or an unreadable file gives the text itself.
std::string TranslateText(const std::string& text);
