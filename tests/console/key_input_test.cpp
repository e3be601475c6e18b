#include "console/key_input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/console_device.h"
#include "platform/console_memory.h"

namespace {

class KeyInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetConsoleState();
    ResetKeyReader();
  }
  void TearDown() override {
    ResetKeyReader();
    ResetConsoleState();
  }
  MemoryConsole& console() { return BuiltInConsole(); }

  short Read() {
    short key = 0, button = 0, row = 0, column = 0;
    ReadKey(key, button, row, column);
    return key;
  }
};

struct KeyCase {
  const char* name;
  ConsoleEvent event;
  int code;  // as a 16-bit pattern
};

TEST_F(KeyInputTest, KeyCodeTable) {
  const std::vector<KeyCase> cases = {
      {"letter", KeyEvent('a', 0x1E), 'a'},
      {"capital", KeyEvent('A', 0x1E, kShiftPressed), 'A'},
      {"accented letter", KeyEvent(130, 0), 130},
      {"Ctrl+B", KeyEvent(2, 0x30, kLeftCtrlPressed), 2},
      {"Ctrl+C", KeyEvent(3, 0x2E, kLeftCtrlPressed), 3},
      {"Backspace", KeyEvent(8, 0x0E), 8},
      {"Tab", KeyEvent(9, 0x0F), 9},
      {"Enter", KeyEvent(13, 0x1C), 13},
      {"Esc", KeyEvent(27, 0x01), 27},
      {"Shift+Tab", KeyEvent(0, 0x0F, kShiftPressed), 0x0F00},
      {"Alt+E", KeyEvent(0, 0x12, kLeftAltPressed), 213},
      {"Alt+F", KeyEvent(0, 0x21, kLeftAltPressed), 0x2100},
      {"Alt+Q", KeyEvent(0, 0x10, kRightAltPressed), 0x1000},
      {"F1", KeyEvent(0, 0x3B), 0x3B00},
      {"F10", KeyEvent(0, 0x44), 0x4400},
      {"F11", KeyEvent(0, 0x85), 0x8500},
      {"F12", KeyEvent(0, 0x86), 0x8600},
      {"Shift+F1", KeyEvent(0, 0x3B, kShiftPressed), 0x5400},
      {"Shift+F10", KeyEvent(0, 0x44, kShiftPressed), 0x5D00},
      {"Shift+F12", KeyEvent(0, 0x86, kShiftPressed), 0x8800},
      {"Ctrl+F1", KeyEvent(0, 0x3B, kLeftCtrlPressed), 0x5E00},
      {"Ctrl+F4", KeyEvent(0, 0x3E, kRightCtrlPressed), 0x6100},
      {"Ctrl+F11", KeyEvent(0, 0x85, kLeftCtrlPressed), 0x8900},
      {"Alt+F1", KeyEvent(0, 0x3B, kLeftAltPressed), 0x6800},
      {"Alt+F4", KeyEvent(0, 0x3E, kLeftAltPressed), 0x6B00},
      {"Alt+F12", KeyEvent(0, 0x86, kRightAltPressed), 0x8C00},
      {"Alt wins over Ctrl", KeyEvent(0, 0x3B, kLeftAltPressed | kLeftCtrlPressed), 0x6800},
      {"Ctrl wins over Shift", KeyEvent(0, 0x3B, kLeftCtrlPressed | kShiftPressed), 0x5E00},
      {"Home", KeyEvent(0, 0x47), 0x4700},
      {"Ctrl+Home", KeyEvent(0, 0x47, kLeftCtrlPressed), 0x7700},
      {"Ctrl+Left", KeyEvent(0, 0x4B, kLeftCtrlPressed), 0x7300},
      {"Ctrl+Right", KeyEvent(0, 0x4D, kRightCtrlPressed), 0x7400},
      {"Shift+Home unchanged", KeyEvent(0, 0x47, kShiftPressed), 0x4700},
      {"Ctrl+Up unchanged", KeyEvent(0, 0x48, kLeftCtrlPressed), 0x4800},
      {"keypad 5", KeyEvent(0, 0x4C), 0x4C00},
      {"End", KeyEvent(0, 0x4F), 0x4F00},
      {"PgDn", KeyEvent(0, 0x51), 0x5100},
      {"Delete", KeyEvent(0, 0x53), 0x5300},
      {"Alt+X without handler", KeyEvent(0, 0x2D, kLeftAltPressed), 0x2D00},
      {"Alt+C without handler", KeyEvent(0, 0x2E, kLeftAltPressed), 0x2E00},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    ResetKeyReader();
    console().PushEvent(c.event);
    EXPECT_EQ(static_cast<unsigned short>(Read()), static_cast<unsigned short>(c.code));
  }
}

TEST_F(KeyInputTest, KeysPressedAloneGiveNothing) {
  for (unsigned char scan : {0x1D, 0x2A, 0x36, 0x38, 0x3A, 0x45, 0x46}) {
    console().PushKey(0, scan, kShiftPressed | kLeftCtrlPressed | kLeftAltPressed);
  }
  console().PushKey('z', 0x2C);
  EXPECT_EQ(Read(), 'z');
  EXPECT_EQ(console().PendingEvents(), 0u);
}

TEST_F(KeyInputTest, AltKeypadComposesACharacter) {
  const unsigned short alt = kLeftAltPressed | kKeypadKey;
  console().PushKey(0, 0x4F, alt);  // 1
  console().PushKey(0, 0x51, alt);  // 3
  console().PushKey(0, 0x52, alt);  // 0
  console().PushKey(0, 0x38, 0);    // Alt released
  console().PushKey('x', 0x2D);
  EXPECT_EQ(Read(), 130);
  EXPECT_EQ(Read(), 'x');
}

TEST_F(KeyInputTest, AltKeypadKeepsTheKeyThatEndsIt) {
  const unsigned short alt = kLeftAltPressed | kKeypadKey;
  // 2, 9, 7 is 297: modulo 256 that is 41, ")".
  console().PushKey(0, 0x50, alt);
  console().PushKey(0, 0x49, alt);
  console().PushKey(0, 0x47, alt);
  console().PushKey('q', 0x10);
  EXPECT_EQ(Read(), 41);
  EXPECT_EQ(Read(), 'q');
}

TEST_F(KeyInputTest, RightAltDoesNotCompose) {
  console().PushKey(0, 0x4F, kRightAltPressed);
  EXPECT_EQ(Read(), 0x4F00);
}

TEST_F(KeyInputTest, TypeaheadComesFirstOneCharacterAtATime) {
  KeyReader.TypeaheadText = std::string("1\x82", 2);
  console().PushKey('z', 0x2C);
  EXPECT_EQ(Read(), '1');
  EXPECT_EQ(Read(), 130);
  EXPECT_EQ(Read(), 'z');
}

TEST_F(KeyInputTest, MousePressGivesButtonAndPosition) {
  console().PushMouse(5, 12, kRightButton);
  short key = -1, button = 0, row = 0, column = 0;
  ReadKey(key, button, row, column);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(button, kRightButton);
  EXPECT_EQ(row, 5);
  EXPECT_EQ(column, 12);
  // Reporting is on only while the reader waits.
  EXPECT_FALSE(console().MouseReporting());
  EXPECT_EQ(KeyReader.MouseState, kMouseReportingOff);
}

TEST_F(KeyInputTest, NoMouseMeansNoReporting) {
  console().SetMouseButtons(0);
  console().PushMouse(5, 12);
  console().PushKey('k', 0x25);
  EXPECT_EQ(Read(), 'k');
  EXPECT_EQ(KeyReader.MouseState, kMouseAbsent);
  EXPECT_FALSE(console().MouseReporting());
}

TEST_F(KeyInputTest, WaitKeyEncodesMousePresses) {
  console().PushMouse(7, 30, kLeftButton);
  short key = 0;
  WaitKey(key);
  EXPECT_EQ(key, 30 * 256 + 64 + 7);
  console().PushMouse(3, 200 % 80, kRightButton);
  WaitKey(key);
  EXPECT_EQ(key, static_cast<short>(40 * 256 + 128 + 3));
}

TEST_F(KeyInputTest, EndOfInputReadsAsEsc) {
  short key = 0;
  WaitKey(key);
  EXPECT_EQ(key, kKeyEsc);
  EXPECT_TRUE(KeyReader.InputEnded);
  console().PushKey('a', 0x1E);
  EXPECT_EQ(Read(), 'a');
  EXPECT_FALSE(KeyReader.InputEnded);
}

TEST_F(KeyInputTest, HotKeyRunsItsHandlerAndQueuesTheResult) {
  int runs = 0;
  ASSERT_TRUE(RegisterHotKey(kKeyAltX, [&] {
    ++runs;
    EXPECT_TRUE(KeyReader.CalculatorActive);
    return std::string("12,5");
  }));
  console().PushKey(0, 0x2D, kLeftAltPressed);
  EXPECT_EQ(Read(), kKeyAltX);
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(KeyReader.CalculatorActive);
  std::string typed;
  for (int i = 0; i < 4; ++i) typed.push_back(static_cast<char>(Read()));
  EXPECT_EQ(typed, "12,5");
}

TEST_F(KeyInputTest, HotKeyIsNotReenteredWhileItsHandlerRuns) {
  int runs = 0;
  short inner = 0;
  RegisterHotKey(kKeyAltC, [&] {
    ++runs;
    inner = Read();  // the pop-up reads Alt+C again
    return std::string("D");
  });
  console().PushKey(0, 0x2E, kLeftAltPressed);
  console().PushKey(0, 0x2E, kLeftAltPressed);
  EXPECT_EQ(Read(), kKeyAltC);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(inner, kKeyAltC);
  EXPECT_EQ(Read(), 'D');
}

TEST_F(KeyInputTest, OnlyTheTwoHotKeysCanBeRegistered) {
  EXPECT_FALSE(RegisterHotKey(kKeyF1, [] { return std::string("x"); }));
  EXPECT_TRUE(RegisterHotKey(kKeyAltX, [] { return std::string("x"); }));
  EXPECT_TRUE(RegisterHotKey(kKeyAltX, HotKeyHandler()));
  console().PushKey(0, 0x2D, kLeftAltPressed);
  console().PushKey('q', 0x10);
  EXPECT_EQ(Read(), kKeyAltX);
  EXPECT_EQ(Read(), 'q');
}

}  // namespace
