// The console help viewer: page positions by key, TOPPANEL on F1, colour bytes, cut lines,
// missing pages, and the document command of the WIN run mode.
#include "forms/help_viewer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "config/session.h"
#include "console/colour.h"
#include "console/key_input.h"
#include "console/screen.h"
#include "platform/console_memory.h"

namespace {

// Keeps the text of the help window's rows 5 to 21 each time a key is read.
class SnapshotConsole : public MemoryConsole {
 public:
  bool ReadEvent(ConsoleEvent& event) override {
    std::vector<std::string> rows;
    for (int row = 5; row <= 21; ++row) rows.push_back(Text(row, 3, 76));
    snapshots.push_back(rows);
    return MemoryConsole::ReadEvent(event);
  }
  std::vector<std::vector<std::string>> snapshots;
};

// A page of `lines` records of 80 bytes: "LINE nn" and blanks.
std::string Page(int lines) {
  std::string page;
  for (int k = 1; k <= lines; ++k) {
    std::string line = "LINE " + std::string(k < 10 ? "0" : "") + std::to_string(k);
    line.resize(80, ' ');
    page += line;
  }
  return page;
}

// "first-last" of the line numbers shown on the first and last row ("-" for a blank row).
std::string Shown(const std::vector<std::string>& rows) {
  auto number = [](const std::string& row) {
    return row.rfind("LINE ", 0) == 0 ? std::to_string(std::atoi(row.c_str() + 5)) : "-";
  };
  return number(rows.front()) + "-" + number(rows.back());
}

class HelpViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char buffer[4096];
    if (getcwd(buffer, sizeof buffer) != nullptr) saved_cwd_ = buffer;
    ASSERT_EQ(chdir(dir.Path().c_str()), 0);
    ::mkdir((dir.Path() + "AJUDA").c_str(), 0755);
    ResetConsoleState();
    ResetColourState();
    ResetWindowState();
    ResetKeyReader();
    ResetSessionSettings();
    SessionSettings.TemporaryDirectory = dir.Path();
    SessionSettings.RunMode = "DOS";
    const ColourPair scheme[5] = {{15, 0}, {7, 0}, {0, 7}, {1, 3}, {14, 1}};
    for (int i = 0; i < 5; ++i) SessionSettings.ColourScheme[i] = scheme[i];
    SetCurrentConsole(&console);
  }
  void TearDown() override {
    SetCurrentConsole(nullptr);
    ResetSessionSettings();
    if (!saved_cwd_.empty()) {
      EXPECT_EQ(chdir(saved_cwd_.c_str()), 0);
    }
  }

  void Key(unsigned char character, unsigned char scan) { console.PushKey(character, scan); }

  TempDir dir;
  SnapshotConsole console;
  std::string saved_cwd_;
};

TEST_F(HelpViewerTest, KeysMoveThePage) {
  struct Case {
    int lines;
    std::vector<unsigned char> scans;  // keys by scan code (Esc is added at the end)
    std::vector<std::string> shown;    // after each key, starting with the first page
  } cases[] = {
      // 30 lines: Down one line at a time until line 30 is on the last row, then no further.
      {30,
       {0x50, 0x50, 0x50, 0x50, 0x50, 0x50, 0x50, 0x50, 0x50, 0x50, 0x50, 0x50, 0x50, 0x50},
       {"1-17", "2-18", "3-19", "4-20", "5-21", "6-22", "7-23", "8-24", "9-25", "10-26", "11-27",
        "12-28", "13-29", "14-30", "14-30"}},
      // End, Home, Up at the top, PgDn to the end, PgUp back to the top.
      {30, {0x4F, 0x47, 0x48, 0x49, 0x51, 0x51, 0x49, 0x48},
       {"1-17", "14-30", "1-17", "1-17", "1-17", "14-30", "14-30", "1-17", "1-17"}},
      // 50 lines: PgDn moves on 17 lines, PgUp back by 16, the first page once more.
      {50, {0x51, 0x51, 0x49, 0x49, 0x49, 0x50, 0x48, 0x4F, 0x50},
       {"1-17", "18-34", "34-50", "18-34", "2-18", "1-17", "2-18", "1-17", "34-50", "34-50"}},
      // A page shorter than the window: nothing moves, the rows after it stay blank.
      {5, {0x50, 0x51, 0x4F}, {"1--", "1--", "1--", "1--"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    dir.Write("AJUDA/PAGE.HLP", Page(c.lines));
    console.snapshots.clear();
    for (unsigned char scan : c.scans) Key(0, scan);
    Key(27, 0x01);
    ShowHelp("PAGE");
    ASSERT_EQ(console.snapshots.size(), c.shown.size());
    for (std::size_t i = 0; i < c.shown.size(); ++i)
      EXPECT_EQ(Shown(console.snapshots[i]), c.shown[i]) << "after key " << i;
    // Every row shows the line that belongs there.
    const std::vector<std::string>& last = console.snapshots.back();
    const int first = std::atoi(last.front().c_str() + 5);
    for (int row = 0; row < 17 && first + row <= c.lines; ++row)
      EXPECT_EQ(std::atoi(last[static_cast<std::size_t>(row)].c_str() + 5), first + row);
    EXPECT_EQ(WindowState.WindowDepth, 0);
  }
}

TEST_F(HelpViewerTest, WindowFrameAndClose) {
  dir.Write("AJUDA/PAGE.HLP", Page(3));
  console.Clear();
  console.Write("UNDER");
  Key(27, 0x01);
  ShowHelp("PAGE");
  ASSERT_EQ(console.snapshots.size(), 1u);
  // The screen is restored afterwards and the colour slot is back.
  EXPECT_EQ(console.Text(1, 1, 5), "UNDER");
  EXPECT_EQ(ColourState.ColourSlot, 0);
  EXPECT_TRUE(ColourState.ColourStack.empty());
}

TEST_F(HelpViewerTest, FrameSpansRowsFourToTwentyTwo) {
  dir.Write("AJUDA/PAGE.HLP", Page(3));
  // Read the frame while the page is open: from the key read.
  class FrameConsole : public MemoryConsole {
   public:
    bool ReadEvent(ConsoleEvent& event) override {
      top = Text(4, 1, 3);
      bottom = Text(22, 78, 3);
      above = Text(3, 1, 3);
      return MemoryConsole::ReadEvent(event);
    }
    std::string top, bottom, above;
  } frame;
  SetCurrentConsole(&frame);
  frame.PushKey(27, 0x01);
  ShowHelp("PAGE");
  EXPECT_EQ(frame.top, "\xc9\xcd\xcd");
  EXPECT_EQ(frame.bottom, "\xcd\xcd\xbc");
  EXPECT_EQ(frame.above, "   ");
}

TEST_F(HelpViewerTest, F1OpensTopPanelAndComesBack) {
  dir.Write("AJUDA/PAGE.HLP", Page(30));
  std::string top(80, ' ');
  top.replace(0, 9, "TOP PANEL");
  dir.Write("AJUDA/TOPPANEL.HLP", top);
  // Down, F1 (TOPPANEL), F1 inside TOPPANEL does nothing, Esc back, Esc closes.
  Key(0, 0x50);
  Key(0, 0x3B);
  Key(0, 0x3B);
  Key(27, 0x01);
  Key(27, 0x01);
  ShowHelp("PAGE");
  ASSERT_EQ(console.snapshots.size(), 5u);
  EXPECT_EQ(Shown(console.snapshots[1]), "2-18");
  EXPECT_EQ(console.snapshots[2][0].substr(0, 9), "TOP PANEL");
  EXPECT_EQ(console.snapshots[3][0].substr(0, 9), "TOP PANEL");
  EXPECT_EQ(console.snapshots[3][1], std::string(76, ' '));
  EXPECT_EQ(Shown(console.snapshots[4]), "2-18");
  EXPECT_EQ(WindowState.WindowDepth, 0);
}

TEST_F(HelpViewerTest, ColourBytesAndLongLines) {
  // Slots: H 0x0F, N 0x07, R 0x70, U 0x1E (see the scheme of the fixture).
  std::string line1 = "A\x1fUND\x1f" "B\x1eHI\x1e\x10REV\x10" "C";
  std::string line2 = "\x1fX\x1eY\x1f" "Z";  // highlight is ignored while underline is on
  std::string line3(80, 'w');               // cut after 76 characters
  for (std::string* line : {&line1, &line2, &line3}) line->resize(80, ' ');
  dir.Write("AJUDA/PAGE.HLP", line1 + line2 + line3);
  class AttributeConsole : public MemoryConsole {
   public:
    bool ReadEvent(ConsoleEvent& event) override {
      for (int row = 5; row <= 7; ++row) {
        std::string text, attributes;
        for (int column = 3; column <= 79; ++column) {
          text += static_cast<char>(Character(row, column));
          attributes += static_cast<char>(Attribute(row, column));
        }
        texts.push_back(text);
        attrs.push_back(attributes);
      }
      return MemoryConsole::ReadEvent(event);
    }
    std::vector<std::string> texts, attrs;
  } screen;
  SetCurrentConsole(&screen);
  screen.PushKey(27, 0x01);
  ShowHelp("PAGE");
  ASSERT_EQ(screen.texts.size(), 3u);
  EXPECT_EQ(screen.texts[0].substr(0, 10), "AUNDBHIREV");
  const std::string expected1 = std::string("\x07\x1e\x1e\x1e\x07\x0f\x0f\x70\x70\x70\x07", 11);
  EXPECT_EQ(screen.attrs[0].substr(0, 11), expected1);
  EXPECT_EQ(screen.texts[1].substr(0, 3), "XYZ");
  EXPECT_EQ(screen.attrs[1].substr(0, 3), std::string("\x1e\x1e\x07"));
  EXPECT_EQ(screen.texts[2], std::string(76, 'w') + " ");
}

TEST_F(HelpViewerTest, MissingPageIsEmptyAndEscCloses) {
  Key(0, 0x50);
  Key('q', 0x10);  // ignored
  Key(27, 0x01);
  ShowHelp("NOPAGE");
  ASSERT_EQ(console.snapshots.size(), 3u);
  for (const std::string& row : console.snapshots[0]) EXPECT_EQ(row, std::string(76, ' '));
  EXPECT_EQ(WindowState.WindowDepth, 0);
  EXPECT_EQ(console.PendingEvents(), 0u);

  // No more input at all closes the page as Esc would.
  ShowHelp("NOPAGE");
  EXPECT_EQ(WindowState.WindowDepth, 0);
}

TEST_F(HelpViewerTest, DocumentCommandInWinMode) {
  const char* saved = std::getenv("COMSPEC");
  const std::string saved_value = saved != nullptr ? saved : "";
  setenv("COMSPEC", "C:\\WINDOWS\\CMD.EXE", 1);
  EXPECT_EQ(HelpDocumentCommand("BANKLIST"), "C:\\WINDOWS\\CMD.EXE /C DOCRUN AJUDA\\BANKLIST.HTM");
  unsetenv("COMSPEC");
  SessionSettings.ProgramDirectory = dir.Path();
  EXPECT_EQ(HelpDocumentCommand("BANKLIST"), dir.Path() + "DOCRUN AJUDA\\BANKLIST.HTM");

  // The program is found whatever the case of its name, and the console is left alone.
  dir.Write("docrun", "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/args\"\n");
  ASSERT_EQ(chmod((dir.Path() + "docrun").c_str(), 0755), 0);
  SessionSettings.RunMode = "WIN";
  ShowHelp("BANKLIST");
  std::ifstream args(dir.Path() + "args");
  std::stringstream text;
  text << args.rdbuf();
  EXPECT_EQ(text.str(), "AJUDA\\BANKLIST.HTM\n");
  EXPECT_TRUE(console.snapshots.empty());
  EXPECT_EQ(WindowState.WindowDepth, 0);
  if (saved != nullptr) setenv("COMSPEC", saved_value.c_str(), 1);
}

}  // namespace
