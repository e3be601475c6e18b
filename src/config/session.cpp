#include "config/session.h"

#include <cmath>

#include "config/ini.h"
#include "format/calendar.h"
#include "format/numeric_value.h"
#include "platform/paths.h"
#include "platform/process.h"

SessionSettingsTable SessionSettings;
std::string ModuleName;

namespace {

constexpr const char* kDefaultColours = "15000700000700070007";

std::string FittedToThree(std::string text) {
  text.resize(3, ' ');
  return text;
}

bool AllBlanks(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

// TERM names the terminal directory only when it names an existing directory; on Linux it
// usually holds the terminal type instead.
std::string TerminalDirectoryFromEnvironment() {
  const std::string term = EnvironmentValue("TERM");
  return !term.empty() && DirectoryExists(term) ? term : std::string();
}

}  // namespace

std::string WithBackslash(const std::string& directory) {
  if (directory.empty() || directory.back() == ':' || directory.back() == '\\') return directory;
  return directory + "\\";
}

void ResetSessionSettings() {
  SessionSettings = SessionSettingsTable{};
  ModuleName.clear();
}

void SetUpSession() {
  // Every conversion of this program is code page 850 already (platform/codepage.h).
  SessionSettingsTable& s = SessionSettings;
  s.RootDirectory = EnvironmentValue("TAVROOT");
  s.ProgramDirectory = EnvironmentValue("TAVEXE");
  s.TemporaryDirectory = WithBackslash(EnvironmentValue("TAVTMP"));

  const std::string session_file = s.TemporaryDirectory + "Sessio.ini";
  s.MenuTitle = " " + ReadIniValue(session_file, "Menu", "Titol") + " ";
  s.MenuName = ReadIniValue(session_file, "Menu", "NomMenu");
  std::string terminal = ReadIniValue(session_file, "Terminal", "Dir");
  if (terminal.empty()) terminal = TerminalDirectoryFromEnvironment();
  s.TerminalDirectory = WithBackslash(terminal);
  if (s.TemporaryDirectory.empty()) s.TemporaryDirectory = s.TerminalDirectory;

  const std::string terminal_file = s.TemporaryDirectory + "KeloTerm.ini";
  const double selection =
      std::nearbyint(NumericValue(ReadIniValue(terminal_file, "Pantalla", "Seleccio")));
  const long long n = std::isfinite(selection) && std::fabs(selection) < 1e15
                          ? static_cast<long long>(selection) : 0;
  std::string colours = ReadIniValue(terminal_file, "Pantalla", "Col" + std::to_string(n));
  if (colours.empty()) colours = kDefaultColours;
  for (int i = 0; i < 5; ++i) {
    short* component[2] = {&s.ColourScheme[i].Foreground, &s.ColourScheme[i].Background};
    for (int j = 0; j < 2; ++j) {
      const std::size_t pos = static_cast<std::size_t>(i * 4 + j * 2);
      const std::string digits = pos < colours.size() ? colours.substr(pos, 2) : std::string();
      *component[j] = static_cast<short>(NumericValue(digits));
    }
  }

  s.SystemDate = PackDigits(ReadIniValue(terminal_file, "Sistema", "Data"));
  s.OutputDevice = ReadIniValue(terminal_file, "Sistema", "Sortida");
  s.LanguageCode = FittedToThree(ReadIniValue(terminal_file, "Sistema", "Idioma"));
  if (AllBlanks(s.LanguageCode))
    s.LanguageCode = FittedToThree(ReadIniValue(s.RootDirectory + "Kelo.ini", "Usuari", "Idioma"));

  if (!EnvironmentValue("HTTP_USER_AGENT").empty() || !EnvironmentValue("HTTP_ACCEPT").empty())
    s.RunMode = "CGI";
  else if (!EnvironmentValue("WINDIR").empty() || !EnvironmentValue("SYSTEMROOT").empty())
    s.RunMode = "WIN";
  else
    s.RunMode = "DOS";
}
