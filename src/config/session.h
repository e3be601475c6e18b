#pragma once
// The session of the program: directories, menu, colours, working date, output device, language
// and run mode, taken once at start-up from the environment and the session files.
#include <string>

struct ColourPair {
  short Foreground = 0;
  short Background = 0;
};

struct SessionSettingsTable {
  std::string RootDirectory;       // TAVROOT as it stands (carries its own trailing backslash)
  std::string ProgramDirectory;    // TAVEXE as it stands
  std::string TemporaryDirectory;  // TAVTMP or the terminal directory, with its backslash
  std::string TerminalDirectory;
  std::string MenuTitle;           // " " + title + " "
  std::string MenuName;
  ColourPair ColourScheme[5];
  std::string SystemDate;          // packed date
  std::string OutputDevice;
  std::string LanguageCode;        // exactly three characters once set up
  std::string RunMode;             // "CGI", "WIN" or "DOS"
};

extern SessionSettingsTable SessionSettings;

// Name of the program's module: the base name of its form definition and language file. Set by
// the main sequence before anything is translated.
extern std::string ModuleName;

// Fills SessionSettings from TAVROOT, TAVEXE, TAVTMP, TERM, HTTP_USER_AGENT, HTTP_ACCEPT, WINDIR,
// SYSTEMROOT, Sessio.ini, KeloTerm.ini and Kelo.ini. Never fails: missing values give defaults.
void SetUpSession();

// Back to the state before SetUpSession (for tests).
void ResetSessionSettings();

// Appends a backslash unless the text is empty or already ends in ":" or "\".
std::string WithBackslash(const std::string& directory);
