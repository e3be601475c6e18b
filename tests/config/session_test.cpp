#include "config/session.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <string>

#include "format/calendar.h"
#include "tests/support/temp_dir.h"

namespace {

const char* const kVariables[] = {"TAVROOT", "TAVEXE", "TAVTMP", "TERM", "HTTP_USER_AGENT",
                                  "HTTP_ACCEPT", "WINDIR", "SYSTEMROOT"};

// Sets exactly the given session variables (the others unset) and runs the set-up.
class SessionTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* v : kVariables) {
      const char* value = std::getenv(v);
      if (value != nullptr) saved_[v] = value;
      unsetenv(v);
    }
    char buffer[4096];
    ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
    cwd_ = buffer;
    ResetSessionSettings();
  }
  void TearDown() override {
    for (const char* v : kVariables) unsetenv(v);
    for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
    ASSERT_EQ(chdir(cwd_.c_str()), 0);
    ResetSessionSettings();
  }
  static void Set(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

  std::map<std::string, std::string> saved_;
  std::string cwd_;
  TempDir dir_;
};

TEST_F(SessionTest, BackslashWhenNeeded) {
  EXPECT_EQ(WithBackslash("C:\\TMP"), "C:\\TMP\\");
  EXPECT_EQ(WithBackslash("C:\\TMP\\"), "C:\\TMP\\");
  EXPECT_EQ(WithBackslash("C:"), "C:");
  EXPECT_EQ(WithBackslash(""), "");
  EXPECT_EQ(WithBackslash("/srv/tmp"), "/srv/tmp\\");
  EXPECT_EQ(WithBackslash("/srv/tmp/"), "/srv/tmp/\\");
}

TEST_F(SessionTest, EverythingMissingGivesTheDefaults) {
  ASSERT_EQ(chdir(dir_.Path().c_str()), 0);
  SetUpSession();
  const SessionSettingsTable& s = SessionSettings;
  EXPECT_EQ(s.RootDirectory, "");
  EXPECT_EQ(s.TemporaryDirectory, "");
  EXPECT_EQ(s.TerminalDirectory, "");
  EXPECT_EQ(s.MenuTitle, "  ");
  EXPECT_EQ(s.MenuName, "");
  EXPECT_EQ(s.LanguageCode, "   ");
  EXPECT_EQ(s.RunMode, "DOS");
  EXPECT_EQ(s.SystemDate, "");
  const short expected[5][2] = {{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(s.ColourScheme[i].Foreground, expected[i][0]) << i;
    EXPECT_EQ(s.ColourScheme[i].Background, expected[i][1]) << i;
  }
}

TEST_F(SessionTest, ValuesFromEnvironmentAndFiles) {
  const std::string tmp = dir_.Path() + "tmp";
  ASSERT_EQ(system(("mkdir -p " + tmp + " " + dir_.Path() + "root").c_str()), 0);
  dir_.Write("tmp/Sessio.ini",
             "[Menu]\r\nTitol=COMPTABILITAT\r\nNomMenu=REMESES\r\n[Terminal]\r\nDir=C:\\TERM\r\n");
  dir_.Write("tmp/KeloTerm.ini",
             "[Pantalla]\r\nSeleccio=2\r\nCol2=01020304050607080910\r\n"
             "[Sistema]\r\nData=20240115\r\nSortida=LPT1\r\nIdioma=SPANISH\r\n");
  Set("TAVROOT", dir_.Path() + "root/");
  Set("TAVEXE", "/opt/tav/");
  Set("TAVTMP", tmp);
  SetUpSession();
  const SessionSettingsTable& s = SessionSettings;
  EXPECT_EQ(s.RootDirectory, dir_.Path() + "root/");
  EXPECT_EQ(s.ProgramDirectory, "/opt/tav/");
  EXPECT_EQ(s.TemporaryDirectory, tmp + "\\");  // the path mapping reads it as the same folder
  EXPECT_EQ(s.TerminalDirectory, "C:\\TERM\\");
  EXPECT_EQ(s.MenuTitle, " COMPTABILITAT ");
  EXPECT_EQ(s.MenuName, "REMESES");
  EXPECT_EQ(s.SystemDate, PackDigits("20240115"));
  EXPECT_EQ(s.OutputDevice, "LPT1");
  EXPECT_EQ(s.LanguageCode, "SPA");
  const short expected[5][2] = {{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(s.ColourScheme[i].Foreground, expected[i][0]) << i;
    EXPECT_EQ(s.ColourScheme[i].Background, expected[i][1]) << i;
  }
}

TEST_F(SessionTest, ColourSchemeSelection) {
  struct Case {
    std::string pantalla;
    short pairs[5][2];
  } cases[] = {
      {"Col0=01000200030004000500\r\n", {{1, 0}, {2, 0}, {3, 0}, {4, 0}, {5, 0}}},
      {"Seleccio=2\r\nCol2=15000700\r\n", {{15, 0}, {7, 0}, {0, 0}, {0, 0}, {0, 0}}},
      {"Seleccio=1.6\r\nCol2=0101010101010101010 1\r\n",
       {{1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 0}}},
      {"Seleccio=-1\r\nCol-1=AB1 0203040506070809\r\n", {{0, 1}, {2, 3}, {4, 5}, {6, 7}, {8, 9}}},
      {"Seleccio=12\r\nCol12=99999999999999999999\r\n",
       {{99, 99}, {99, 99}, {99, 99}, {99, 99}, {99, 99}}},
      {"Seleccio=3\r\n", {{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}}},
  };
  for (const Case& c : cases) {
    dir_.Write("KeloTerm.ini", "[Pantalla]\r\n" + c.pantalla);
    Set("TAVTMP", dir_.Path());
    ResetSessionSettings();
    SetUpSession();
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(SessionSettings.ColourScheme[i].Foreground, c.pairs[i][0]) << c.pantalla << i;
      EXPECT_EQ(SessionSettings.ColourScheme[i].Background, c.pairs[i][1]) << c.pantalla << i;
    }
  }
}

TEST_F(SessionTest, LanguageFallsBackToKeloIni) {
  struct Case {
    std::string keloterm;
    std::string kelo;
    std::string expected;
  } cases[] = {
      {"", "GLG", "GLG"},
      {"SPA", "GLG", "SPA"},
      {"   ", "OCI", "OCI"},
      {"spa", "GLG", "spa"},
      {"", "", "   "},
      {"S", "", "S  "},
  };
  for (const Case& c : cases) {
    dir_.Write("KeloTerm.ini", "[Sistema]\r\nIdioma=" + c.keloterm + "\r\n");
    dir_.Write("Kelo.ini", "[Usuari]\r\nIdioma=" + c.kelo + "\r\n");
    Set("TAVTMP", dir_.Path());
    Set("TAVROOT", dir_.Path());
    ResetSessionSettings();
    SetUpSession();
    EXPECT_EQ(SessionSettings.LanguageCode, c.expected) << c.keloterm << "/" << c.kelo;
  }
}

TEST_F(SessionTest, TemporaryDirectoryFallsBackToTheTerminalDirectory) {
  // No TAVTMP: Sessio.ini comes from the current directory, KeloTerm.ini from its terminal
  // directory.
  ASSERT_EQ(system(("mkdir -p " + dir_.Path() + "term").c_str()), 0);
  dir_.Write("Sessio.ini", "[Terminal]\r\nDir=" + dir_.Path() + "term\r\n");
  dir_.Write("term/KeloTerm.ini", "[Sistema]\r\nSortida=PRN\r\n");
  ASSERT_EQ(chdir(dir_.Path().c_str()), 0);
  SetUpSession();
  EXPECT_EQ(SessionSettings.TerminalDirectory, dir_.Path() + "term\\");
  EXPECT_EQ(SessionSettings.TemporaryDirectory, dir_.Path() + "term\\");
  EXPECT_EQ(SessionSettings.OutputDevice, "PRN");
}

TEST_F(SessionTest, TermCountsOnlyWhenItNamesADirectory) {
  ASSERT_EQ(chdir(dir_.Path().c_str()), 0);
  Set("TERM", "xterm-256color");
  SetUpSession();
  EXPECT_EQ(SessionSettings.TerminalDirectory, "");
  EXPECT_EQ(SessionSettings.TemporaryDirectory, "");

  ResetSessionSettings();
  Set("TERM", dir_.Path() + "\\");
  dir_.Write("KeloTerm.ini", "[Sistema]\r\nSortida=FROMTERM\r\n");
  SetUpSession();
  EXPECT_EQ(SessionSettings.TerminalDirectory, dir_.Path() + "\\");
  EXPECT_EQ(SessionSettings.OutputDevice, "FROMTERM");
}

TEST_F(SessionTest, RunMode) {
  struct Case {
    std::map<std::string, std::string> env;
    std::string expected;
  } cases[] = {
      {{{"HTTP_USER_AGENT", "x"}}, "CGI"},
      {{{"HTTP_ACCEPT", "text/html"}}, "CGI"},
      {{{"HTTP_ACCEPT", "a"}, {"WINDIR", "C:\\WINDOWS"}}, "CGI"},
      {{{"WINDIR", "C:\\WINDOWS"}}, "WIN"},
      {{{"SYSTEMROOT", "C:\\WINDOWS"}}, "WIN"},
      {{{"WINDIR", ""}}, "DOS"},
      {{}, "DOS"},
  };
  ASSERT_EQ(chdir(dir_.Path().c_str()), 0);
  for (const Case& c : cases) {
    for (const char* v : kVariables) unsetenv(v);
    for (const auto& [name, value] : c.env) Set(name.c_str(), value);
    ResetSessionSettings();
    SetUpSession();
    EXPECT_EQ(SessionSettings.RunMode, c.expected);
  }
}

}  // namespace
