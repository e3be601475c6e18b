// The form driver on the memory console: moves between fields by key, linked screens, help,
// blank-start fields, mouse clicks, the program hooks and the print dialogue.
#include "forms/form_driver.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "config/language.h"
#include "config/session.h"
#include "console/colour.h"
#include "console/key_input.h"
#include "console/screen.h"
#include "forms/form_definition.h"
#include "platform/console_memory.h"

namespace {

constexpr const char* kExitKeys = "\"d,1b,4800,5000,4900,5100,3c00\"";

// Fields 1 and 3 editable, field 2 display-only, in a window from (5, 10) to (12, 70).
std::string ThreeFields() {
  return std::string("1, 3\r\n") + kExitKeys + ", 3, 0, 5, 10, 12, 70\r\n" +
         "1, 2, \"Primer: \", 5, 0, 0, 0, 0, 0, \"\"\r\n"
         "2, 2, \"Segon: \", 5, 0, 0, 4, 0, 0, \"\"\r\n"
         "3, 2, \"Tercer: \", 5, 0, 0, 0, 0, 0, \"\"\r\n";
}

// Screen 1 (two fields) continues on screen 2 (one field), which continues on screen 3.
std::string LinkedScreens() {
  return std::string("3, 2\r\n") + kExitKeys + ", 2, 2, 5, 10, 9, 70\r\n" +
         "1, 2, \"A: \", 3, 0, 0, 0, 0, 0, \"\"\r\n"
         "2, 2, \"B: \", 3, 0, 0, 0, 0, 0, \"\"\r\n" +
         kExitKeys + ", 1, 3, 11, 10, 14, 70\r\n" +
         "1, 2, \"C: \", 3, 0, 0, 0, 0, 0, \"\"\r\n" +
         kExitKeys + ", 1, 0, 16, 10, 19, 70\r\n" +
         "1, 2, \"D: \", 3, 0, 0, 0, 0, 0, \"\"\r\n";
}

struct Accepted {
  short screen;
  short field;
  short key;
  std::string text;
  bool operator==(const Accepted&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Accepted& a) {
  return out << "{" << a.screen << "," << a.field << "," << a.key << ",'" << a.text << "'}";
}

class FormDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer) != nullptr) saved_cwd_ = buffer;
    ASSERT_EQ(chdir(dir.Path().c_str()), 0);
    ResetConsoleState();
    ResetColourState();
    ResetWindowState();
    ResetKeyReader();
    ResetFormDriver();
    ResetFormDefinition();
    ResetSessionSettings();
    LanguageFileName.clear();
    SessionSettings.TemporaryDirectory = dir.Path();
    SessionSettings.RootDirectory = dir.Path();
    SessionSettings.LanguageCode = "CAT";
    SessionSettings.RunMode = "DOS";
    SessionSettings.MenuTitle = " GESTIO ";
    const ColourPair scheme[5] = {{15, 0}, {7, 0}, {0, 7}, {1, 3}, {14, 1}};
    for (int i = 0; i < 5; ++i) SessionSettings.ColourScheme[i] = scheme[i];
    ModuleName = "BANKLIST";
    SetCurrentConsole(&console);
  }
  void TearDown() override {
    SetCurrentConsole(nullptr);
    ResetFormDriver();
    ResetFormDefinition();
    ResetSessionSettings();
    ResetKeyReader();
    if (!saved_cwd_.empty()) {
      EXPECT_EQ(chdir(saved_cwd_.c_str()), 0);
    }
  }

  // Scripted keys: plain characters, and <Enter>, <Esc>, <Up>, <Down>, <PgUp>, <PgDn>, <F1>,
  // <F2>, <End>, <Right> for the named keys.
  void Keys(const std::string& script) {
    std::size_t i = 0;
    while (i < script.size()) {
      if (script[i] == '<') {
        const std::size_t close = script.find('>', i);
        const std::string name = script.substr(i + 1, close - i - 1);
        struct Named {
          const char* name;
          unsigned char character, scan;
        } named[] = {{"Enter", 13, 0x1C}, {"Esc", 27, 0x01}, {"Up", 0, 0x48},
                     {"Down", 0, 0x50},   {"PgUp", 0, 0x49}, {"PgDn", 0, 0x51},
                     {"F1", 0, 0x3B},     {"F2", 0, 0x3C},   {"End", 0, 0x4F},
                     {"Right", 0, 0x4D}};
        bool found = false;
        for (const Named& n : named)
          if (name == n.name) {
            console.PushKey(n.character, n.scan);
            found = true;
          }
        EXPECT_TRUE(found) << name;
        i = close + 1;
      } else {
        console.PushText(std::string(1, script[i]));
        ++i;
      }
    }
  }

  // Records every accepted edit, then stores it as this program does.
  void Spy() {
    SetFieldAcceptedHook([this](short screen, std::string& text, short field, short key) {
      accepted.push_back({screen, field, key, text});
      return ProgramFieldAccepted(screen, text, field, key);
    });
  }

  short Run(short screen, short page_up = 0, short page_down = 0) {
    short key = 0;
    RunForm(screen, page_up, page_down, key);
    return key;
  }

  std::string Value(short screen, short field) {
    const FieldDefinition* f = FormField(screen, field);
    return f != nullptr ? f->FieldValue : "<none>";
  }

  TempDir dir;
  MemoryConsole console;
  std::vector<Accepted> accepted;
  std::string saved_cwd_;
};

TEST_F(FormDriverTest, MovesBetweenFieldsByKey) {
  struct Case {
    const char* name;
    const char* keys;
    short leave_key;
    std::vector<Accepted> accepted;
    const char* first_value;
    const char* third_value;
  } cases[] = {
      {"display-only field skipped both ways", "A<Enter>C<Up><Enter><Enter>", 13,
       {{1, 1, 13, "A    "}, {1, 3, 0x4800, "C    "}, {1, 1, 13, "A    "}, {1, 3, 13, "C    "}},
       "A    ", "C    "},
      {"Esc on the third field drops its edit and goes back to the first", "A<Enter>C<Esc><Esc>",
       27, {{1, 1, 13, "A    "}}, "A    ", "     "},
      {"Esc on the first field leaves at once", "<Esc>", 27, {}, "     ", "     "},
      {"Down stops on the last field", "<Down><Down><Down><Esc><Esc>", 27,
       {{1, 1, 0x5000, "     "}, {1, 3, 0x5000, "     "}, {1, 3, 0x5000, "     "}},
       "     ", "     "},
      {"PgDn and PgUp move to the last and first field", "<PgDn>X<PgUp><Esc>", 27,
       {{1, 1, 0x5100, "     "}, {1, 3, 0x4900, "X    "}}, "     ", "X    "},
      {"Up on the first field of a main screen stays", "<Up>B<Enter><Enter>", 13,
       {{1, 1, 0x4800, "     "}, {1, 1, 13, "B    "}, {1, 3, 13, "     "}}, "B    ", "     "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadFormDefinitionText(ThreeFields());
    accepted.clear();
    Spy();
    Keys(c.keys);
    EXPECT_EQ(Run(1), c.leave_key);
    EXPECT_EQ(accepted, c.accepted);
    EXPECT_EQ(Value(1, 1), c.first_value);
    EXPECT_EQ(Value(1, 3), c.third_value);
    EXPECT_EQ(console.PendingEvents(), 0u);
    EXPECT_EQ(WindowState.WindowDepth, 0);
    EXPECT_EQ(FormDriver.LastFieldScreen, 0);
    EXPECT_TRUE(FormDriver.LastFieldText.empty());
  }
}

TEST_F(FormDriverTest, DrawsTitleLabelsAndValuesInTheWindow) {
  LoadFormDefinitionText(ThreeFields());
  FormField(1, 1)->FieldValue = "UNO  ";
  FormField(1, 2)->FieldValue = "DOS  ";
  // The screen as it stands while the first field is edited: read it from the hook.
  std::string row6, row7, title, frame;
  SetFieldAcceptedHook([&](short, std::string&, short, short) {
    frame = console.Text(5, 10, 3);
    row6 = console.Text(6, 10, 30);
    row7 = console.Text(7, 10, 30);
    title = console.Text(1, 30, 20);
    return short{0};
  });
  Keys("<Enter><Esc><Esc>");
  Run(1);
  // Window rows are relative to the frame at (5, 10): field row 1 is screen row 6.
  EXPECT_EQ(row6, "\xba Primer: UNO                 ");
  EXPECT_EQ(row7, "\xba Segon: DOS                  ");
  // " GESTIO " is 8 characters long: it starts at column 41 - 4.
  EXPECT_EQ(title, std::string(7, ' ') + " GESTIO " + std::string(5, ' '));
  EXPECT_EQ(frame, "\xc9\xcd\xcd");
  // The window is closed afterwards; the title drawn outside it stays.
  EXPECT_EQ(console.Text(6, 10, 10), std::string(10, ' '));
  EXPECT_EQ(console.Text(1, 37, 8), " GESTIO ");
}

TEST_F(FormDriverTest, LinkedScreensAndUpBack) {
  struct Case {
    const char* name;
    const char* keys;
    short leave_key;
    std::vector<Accepted> accepted;
  } cases[] = {
      {"Enter on the last field runs the linked screens; Enter on the last leaves",
       "<Enter><Enter>c<Enter>d<Enter>", 13,
       {{1, 1, 13, "   "}, {1, 2, 13, "   "}, {2, 1, 13, "c  "}, {3, 1, 13, "d  "}}},
      {"Up on a linked screen's first field comes back to the last field before it",
       "<Enter><Enter><Up>b<Up><Esc>", 27,
       {{1, 1, 13, "   "}, {1, 2, 13, "   "}, {2, 1, 0x4800, "   "}, {1, 2, 0x4800, "b  "}}},
      {"F2 runs the linked screen from any field", "<F2>x<Enter><Enter>", 13,
       {{1, 1, 0x3C00, "   "}, {2, 1, 13, "x  "}, {3, 1, 13, "   "}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadFormDefinitionText(LinkedScreens());
    accepted.clear();
    Spy();
    Keys(c.keys);
    EXPECT_EQ(Run(1), c.leave_key);
    EXPECT_EQ(accepted, c.accepted);
    EXPECT_EQ(console.PendingEvents(), 0u);
    EXPECT_EQ(WindowState.WindowDepth, 0);
  }
}

TEST_F(FormDriverTest, PageTargetReturnsToTheScreenLeftWithPgDn) {
  LoadFormDefinitionText(LinkedScreens());
  Spy();
  // PgDn on the last field of screen 3 leaves the whole chain when the caller allows it.
  Keys("<Enter><Enter><Enter><PgDn>");
  EXPECT_EQ(Run(1, 0, 1), 0x5100);
  EXPECT_EQ(FormDriver.PageTarget, 3);
  // Run again from screen 1: the driver goes straight to screen 3.
  accepted.clear();
  Keys("z<Enter>");
  EXPECT_EQ(Run(1, 0, 1), 13);
  ASSERT_EQ(accepted.size(), 1u);
  EXPECT_EQ(accepted[0], (Accepted{3, 1, 13, "z  "}));
  EXPECT_EQ(FormDriver.PageTarget, 0);
}

TEST_F(FormDriverTest, HelpOpensTheMenuPageAndComesBack) {
  ::mkdir((dir.Path() + "AJUDA").c_str(), 0755);
  std::string page(80, ' ');
  page.replace(0, 10, "HELP PAGE!");
  dir.Write("AJUDA/BANKLIST.HLP", page);
  struct Case {
    const char* menu;
    short leave_key;
    std::vector<Accepted> accepted;
  } cases[] = {
      // F1, Esc closes the help page, Enter confirms the field edited again from its value.
      {"BANKLIST  ", 13, {{1, 1, 13, "OLD  "}, {1, 3, 13, "     "}}},
      // Without a menu name F1 shows nothing and the Esc reaches the field.
      {"", 27, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.menu);
    LoadFormDefinitionText(ThreeFields());
    FormField(1, 1)->FieldValue = "OLD  ";
    SessionSettings.MenuName = c.menu;
    accepted.clear();
    Spy();
    Keys("<F1><Esc><Enter><Enter>");
    EXPECT_EQ(Run(1), c.leave_key);
    EXPECT_EQ(accepted, c.accepted);
    EXPECT_EQ(WindowState.WindowDepth, 0);
    console.DiscardInput();
  }
}

TEST_F(FormDriverTest, BlankStartFieldKeepsItsValueOnABlankAnswer) {
  LoadFormDefinitionText(std::string("1, 2\r\n") + kExitKeys + ", 2, 0, 0, 0, 0, 0\r\n" +
                         "1, 1, \"Clau: \", 3, 0, 0, 1, 0, 0, \"\"\r\n"
                         "2, 1, \"Nom: \", 3, 0, 0, 1, 0, 0, \"\"\r\n");
  FormField(1, 1)->FieldValue = "OLD";
  FormField(1, 2)->FieldValue = "ABC";
  Spy();
  // Field 1 confirmed blank keeps "OLD"; field 2 starts blank, so typing N gives "N  ".
  Keys("<Enter>N<Enter>");
  EXPECT_EQ(Run(1), 13);
  EXPECT_EQ(Value(1, 1), "OLD");
  EXPECT_EQ(Value(1, 2), "N  ");
  ASSERT_EQ(accepted.size(), 2u);
  EXPECT_EQ(accepted[0].text, "OLD");
}

TEST_F(FormDriverTest, ClickOnALabelMovesToThatField) {
  LoadFormDefinitionText(std::string("1, 2\r\n") + kExitKeys + ", 2, 0, 5, 10, 12, 70\r\n" +
                         "1, 2, \"Primer: \", 5, 0, 0, 0, 0, 0, \"\"\r\n"
                         "3, 2, \"Tercer: \", 5, 0, 0, 0, 0, 0, \"\"\r\n");
  Spy();
  // Field 2's label starts at window column 2 of row 3: screen row 8, column 12.
  console.PushMouse(8, 13);
  Keys("Q<Enter>");
  EXPECT_EQ(Run(1), 13);
  ASSERT_EQ(accepted.size(), 2u);
  EXPECT_EQ(accepted[0].field, 1);
  EXPECT_EQ(accepted[0].key, -(13 * 100 + 8));
  EXPECT_EQ(accepted[1], (Accepted{1, 2, 13, "Q    "}));

  // A click that hits no field keeps the field.
  accepted.clear();
  console.PushMouse(20, 60);
  Keys("<Esc>");
  EXPECT_EQ(Run(1), 27);
  ASSERT_EQ(accepted.size(), 1u);
  EXPECT_EQ(accepted[0].field, 1);
}

TEST_F(FormDriverTest, HooksRejectAndRepeat) {
  LoadFormDefinitionText(ThreeFields());
  int calls = 0;
  // The first edit of field 1 is rejected: bell, and the same field again.
  SetFieldAcceptedHook([&](short screen, std::string& text, short field, short key) -> short {
    if (++calls == 1) return 1;
    return ProgramFieldAccepted(screen, text, field, key);
  });
  int finished = 0;
  SetFormFinishedHook([&](short, short) -> short { return ++finished == 1 ? 1 : 0; });
  Keys("A<Enter>B<Enter><Enter><Esc>");
  EXPECT_EQ(Run(1), 27);
  EXPECT_EQ(console.Bells(), 1);
  EXPECT_EQ(Value(1, 1), "B    ");  // edited again from the rejected buffer (overwrite mode)
  EXPECT_EQ(finished, 2);            // the fields ran twice
  // An empty registration gives back this program's hooks.
  SetFieldAcceptedHook(nullptr);
  SetFormFinishedHook(nullptr);
  std::string text = "xy";
  EXPECT_EQ(FieldAccepted(1, text, 3, 13), 0);
  EXPECT_EQ(Value(1, 3), "xy   ");
  EXPECT_EQ(FormFinished(1, 13), 0);
}

TEST_F(FormDriverTest, ScreensWithoutEditableFieldsOrNotLoaded) {
  LoadFormDefinitionText(std::string("1, 1\r\n") + kExitKeys + ", 1, 0, 0, 0, 0, 0\r\n" +
                         "1, 1, \"Info: \", 3, 0, 0, 4, 0, 0, \"\"\r\n");
  int finished = 0;
  SetFormFinishedHook([&](short, short) -> short {
    ++finished;
    return 1;  // would run the fields again, but there are none
  });
  short screen = 1, up = 0, down = 0, key = 77;
  RunForm(screen, up, down, key);
  EXPECT_EQ(key, 77);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(console.Text(1, 1, 11), "Info:      ");

  screen = -5;
  RunForm(screen, up, down, key);
  EXPECT_EQ(screen, 5);
  EXPECT_EQ(key, 77);
}

TEST_F(FormDriverTest, PrintDialogueAnswers) {
  const std::string form = "1, 1\r\n\"d,1b\", 1, 0, 5, 10, 9, 70\r\n"
                           "2, 3, \"Imprimir? \", 1, 0, 3, 0, 0, 0, \"|N,No|S,S\xa1\"\r\n";
  struct Case {
    const char* keys;
    const char* answer;
  } cases[] = {{"S<Enter>", "S"}, {"<Enter>", "N"}, {"<Esc>", " "}, {"s<Right><Enter>", "N"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    LoadFormDefinitionText(form);
    FormField(1, 1)->FieldValue.assign(1, 'S');  // blanked before the form runs
    Keys(c.keys);
    EXPECT_EQ(RunPrintDialogue(), c.answer);
    EXPECT_EQ(WindowState.WindowDepth, 0);
  }
}

TEST_F(FormDriverTest, PrintDialogueWithoutAFormShowsTheMessage) {
  LoadFormDefinition();  // no FORMS directory
  console.PushKey('x', 0x2D);  // the message stays until a key
  EXPECT_EQ(RunPrintDialogue(), "");
  EXPECT_EQ(console.PendingEvents(), 0u);
  EXPECT_EQ(WindowState.WindowDepth, 0);
  EXPECT_NE(FormFileMessageText().find("NO ES POT LLEGIR EL FORMULARI "), std::string::npos);
  EXPECT_NE(FormFileMessageText().find("FORMS\\BANKLIST.TPN"), std::string::npos);
  SessionSettings.LanguageCode = "SPA";
  EXPECT_EQ(FormFileMessageText().rfind("NO SE PUEDE LEER EL FORMULARIO ", 0), 0u);

  // A form whose first screen has no field is refused the same way.
  LoadFormDefinitionText("1, 0\r\n\"d\", 0, 0, 0, 0, 0, 0\r\n");
  console.PushKey('x', 0x2D);
  EXPECT_EQ(RunPrintDialogue(), "");
  EXPECT_EQ(console.PendingEvents(), 0u);
}

}  // namespace
