#include "format/date_text.h"

#include "config/ini.h"
#include "config/session.h"
#include "format/calendar.h"
#include "platform/process.h"

DateTextSettingsTable DateTextSettings;

namespace {

// Month names and connecting words of one language, code page 850.
struct DateLanguage {
  const char* month[12];
  const char* before_consonant;  // before a month name beginning with a consonant
  const char* before_vowel;      // before a month name beginning with a vowel
  const char* before_day_year;
};

constexpr DateLanguage kCatalan = {
    {"gener", "febrer", "mar\x87", "abril", "maig", "juny", "juliol", "agost", "setembre",
     "octubre", "novembre", "desembre"},
    " de ", " d'", " del "};
constexpr DateLanguage kSpanish = {
    {"enero", "febrero", "marzo", "abril", "mayo", "junio", "julio", "agosto", "septiembre",
     "octubre", "noviembre", "diciembre"},
    " de ", " de ", " de "};
constexpr DateLanguage kGalician = {
    {"janeiro", "fevereiro", "mar\x87o", "abril", "maio", "junho", "julho", "agosto", "setembro",
     "outubro", "novembro", "dezembro"},
    " de ", " de ", " do "};
constexpr DateLanguage kAranese = {
    {"g\x8Ar", "hereu\x8Ar", "mar\x87", "abriu", "mai", "junh", "junhsega", "agost", "seteme",
     "octobre", "noveme", "deseme"},
    " de ", " d'", " deth "};

const DateLanguage& LanguageOfSession() {
  const std::string& code = SessionSettings.LanguageCode;
  if (code == "SPA") return kSpanish;
  if (code == "GLG") return kGalician;
  if (code == "OCI") return kAranese;
  return kCatalan;
}

// The month's slot of ten characters, blank-filled; empty for a month outside 1 to 12.
std::string MonthSlot(const DateLanguage& language, int month) {
  if (month < 1 || month > 12) return {};
  std::string slot = language.month[month - 1];
  slot.resize(10, ' ');
  return slot;
}

std::string TrimmedRight(const std::string& text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

std::string Capitals(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

int NumberOf(const std::string& digits, std::size_t pos) {
  int n = 0;
  for (std::size_t i = pos; i < pos + 2 && i < digits.size(); ++i) n = n * 10 + (digits[i] - '0');
  return n;
}

std::string TwoDigits(int n) {
  return {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
}

void LoadSettings() {
  DateTextSettingsTable& s = DateTextSettings;
  const std::string file = EnvironmentValue("TAVROOT") + "Kelo.ini";
  if (s.DateSeparator == '\0') {
    const std::string value = ReadIniValue(file, "Usuari", "DatCaracter");
    const char c = value.empty() ? ' ' : value[0];
    // A NUL in the file would look unloaded; it counts as a blank like an empty value.
    s.DateSeparator = c == ' ' || c == '\0' ? '/' : c;
  }
  if (s.DateOrder == std::string(3, '\0')) {
    std::string value = ReadIniValue(file, "Usuari", "DatOrdre").substr(0, 3);
    value.resize(3, ' ');
    s.DateOrder = value == "   " || value == std::string(3, '\0') ? "DMA" : value;
  }
}

}  // namespace

void ResetDateTextSettings() { DateTextSettings = DateTextSettingsTable{}; }

std::string DateText(const std::string& date, short kind_in, const std::string& layout) {
  LoadSettings();
  const int kind = kind_in < -1 ? -1 : kind_in;

  const std::string digits = UnpackDigits(date.substr(0, 4));
  const std::string year_text = digits.substr(0, 4);
  const int month = NumberOf(digits, 4);
  const int day = NumberOf(digits, 6);

  if (kind == -1) return year_text + "-" + TwoDigits(month) + "-" + TwoDigits(day);

  const DateLanguage& language = kind > 0 ? LanguageOfSession() : kCatalan;
  const std::string shown = Capitals(layout);
  std::string result;
  if (month != 0 || day != 0) {
    for (char letter : DateTextSettings.DateOrder) {
      if (shown.find(letter) == std::string::npos) continue;
      std::string part;
      const char* word;
      if (letter == 'D') {
        part = std::to_string(day);
        word = language.before_day_year;
      } else if (letter == 'M') {
        if (kind >= 2)
          part = TrimmedRight(MonthSlot(language, month));
        else if (kind == 1)
          part = MonthSlot(language, month).substr(0, 3);
        else
          part = std::to_string(month);
        const char first = part.empty() ? ' ' : Capitals(part.substr(0, 1))[0];
        word = std::string("AEIOU").find(first) != std::string::npos ? language.before_vowel
                                                                     : language.before_consonant;
      } else if (letter == 'A') {
        part = year_text;
        word = language.before_day_year;
      } else {
        continue;  // only D, M and A name parts
      }
      if (!result.empty()) {
        if (kind >= 2)
          result += word;
        else
          result += DateTextSettings.DateSeparator;
      }
      result += part;
    }
  }
  if (kind >= 2) return result;

  long width = static_cast<long>(shown.size()) - 1;
  if (shown.find('M') != std::string::npos) width += kind + 2;
  if (shown.find('A') != std::string::npos) width += 4;
  if (shown.find('D') != std::string::npos) width += 2;
  result.resize(width > 0 ? static_cast<std::size_t>(width) : 0, ' ');
  return result;
}
