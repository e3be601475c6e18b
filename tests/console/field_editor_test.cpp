#include "console/field_editor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/session.h"
#include "console/colour.h"
#include "console/key_input.h"
#include "console/screen.h"
#include "platform/console_device.h"
#include "platform/console_memory.h"

namespace {

ConsoleEvent Key(short code, unsigned short state = 0) {
  if (code > 0 && code < 256) return KeyEvent(static_cast<unsigned char>(code), 0, state);
  return KeyEvent(0, static_cast<unsigned char>(static_cast<unsigned short>(code) >> 8), state);
}
const ConsoleEvent kEnter = KeyEvent(13, 0x1C);
const ConsoleEvent kEsc = KeyEvent(27, 0x01);
const ConsoleEvent kCtrlY = KeyEvent(25, 0x15, kLeftCtrlPressed);
const ConsoleEvent kCtrlC = KeyEvent(3, 0x2E, kLeftCtrlPressed);
const ConsoleEvent kCtrlV = KeyEvent(22, 0x2F, kLeftCtrlPressed);
const ConsoleEvent kCtrlLeft = KeyEvent(0, 0x4B, kLeftCtrlPressed);
const ConsoleEvent kCtrlRight = KeyEvent(0, 0x4D, kLeftCtrlPressed);
const ConsoleEvent kCtrlHome = KeyEvent(0, 0x47, kLeftCtrlPressed);
const ConsoleEvent kShiftTab = KeyEvent(0, 0x0F, kShiftPressed);

class FieldEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetConsoleState();
    ResetKeyReader();
    ResetColourState();
    ResetWindowState();
    CurrentOptions.clear();
    ResetSessionSettings();
    const ColourPair scheme[5] = {{15, 0}, {7, 0}, {0, 7}, {1, 3}, {14, 1}};
    for (int i = 0; i < 5; ++i) SessionSettings.ColourScheme[i] = scheme[i];
    SetKeyMode("ea", "d,1b");
  }
  void TearDown() override {
    CurrentOptions.clear();
    ResetColourState();
    ResetKeyReader();
    ResetSessionSettings();
    ResetConsoleState();
  }
  MemoryConsole& console() { return BuiltInConsole(); }

  // Edits `value` at (3, 5) after scripting `events`; returns the key.
  short Edit(std::string& value, short& cursor, const std::vector<ConsoleEvent>& events,
             short line_width = 0) {
    console().DiscardInput();
    for (const ConsoleEvent& e : events) console().PushEvent(e);
    short key = 0;
    EditField(3, 5, line_width, value, cursor, key);
    return key;
  }
};

struct EditCase {
  const char* name;
  std::string value;
  short cursor;
  bool insert;
  std::vector<ConsoleEvent> events;  // Enter is added at the end
  std::string expected_value;
  short expected_cursor;
};

TEST_F(FieldEditorTest, EditingKeys) {
  const std::vector<EditCase> cases = {
      {"End after two letters", "ab        ", 1, false, {Key(kKeyEnd)}, "ab        ", 3},
      {"End on a blank field", "          ", 6, false, {Key(kKeyEnd)}, "          ", 1},
      {"End on a full field", "abcdefghij", 1, false, {Key(kKeyEnd)}, "abcdefghij", 11},
      {"Home", "abc", 3, false, {Key(kKeyHome)}, "abc", 1},
      {"Ctrl+Y blanks", "ab        ", 3, false, {kCtrlY}, "          ", 1},
      {"Ctrl+Home blanks", "abc", 2, false, {kCtrlHome}, "   ", 1},
      {"Left stops at 1", "abc", 1, false, {Key(kKeyLeft)}, "abc", 1},
      {"Right stops past the end", "abc", 3, false, {Key(kKeyRight), Key(kKeyRight)}, "abc", 4},
      {"cursor limited to the field", "abc", 40, false, {}, "abc", 4},
      {"overwrite", "abc", 2, false, {Key('X'), Key('Y')}, "aXY", 4},
      {"overwrite at the end ignored", "abc", 4, false, {Key('X')}, "abc", 4},
      {"insert", "ab  ", 1, true, {Key('X')}, "Xab ", 2},
      {"insert into a full field ignored", "abcd", 2, true, {Key('X')}, "abcd", 2},
      {"insert of an accented letter", "ab  ", 3, true, {Key(130)}, "ab\x82 ", 4},
      {"characters 127 and 255 are no text", "ab  ", 1, false, {Key(127), Key(255)}, "ab  ", 1},
      {"Backspace", "abcd", 3, false, {Key(kKeyBackspace)}, "acd ", 2},
      {"Backspace at 1", "abcd", 1, false, {Key(kKeyBackspace)}, "abcd", 1},
      {"Delete", "abcd", 2, false, {Key(kKeyDelete)}, "acd ", 2},
      {"Delete at the end", "abcd", 5, false, {Key(kKeyDelete)}, "abcd", 5},
      {"Ctrl+Left to the second word", " ab cd   ", 7, false, {kCtrlLeft}, " ab cd   ", 5},
      {"Ctrl+Left twice", " ab cd   ", 7, false, {kCtrlLeft, kCtrlLeft}, " ab cd   ", 2},
      {"Ctrl+Left inside a word", "ab,cd", 5, false, {kCtrlLeft}, "ab,cd", 4},
      {"Ctrl+Left without separator", "abcd", 3, false, {kCtrlLeft}, "abcd", 1},
      {"Ctrl+Right to the next word", "ab;cd.ef", 1, false, {kCtrlRight}, "ab;cd.ef", 4},
      {"Ctrl+Right twice", "ab;cd.ef", 1, false, {kCtrlRight, kCtrlRight}, "ab;cd.ef", 7},
      {"Ctrl+Right past the last word", "ab cd ", 4, false, {kCtrlRight}, "ab cd ", 7},
      {"Up on the first line ignored", "abc", 2, false, {Key(kKeyUp)}, "abc", 2},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetInsertToggle(c.insert);
    std::string value = c.value;
    short cursor = c.cursor;
    std::vector<ConsoleEvent> events = c.events;
    events.push_back(kEnter);
    EXPECT_EQ(Edit(value, cursor, events), kKeyEnter);
    EXPECT_EQ(value, c.expected_value);
    EXPECT_EQ(cursor, c.expected_cursor);
    EXPECT_EQ(console().PendingEvents(), 0u);
  }
}

struct ExitCase {
  const char* name;
  const char* keys;  // exit key list
  ConsoleEvent event;
  short expected;
};

TEST_F(FieldEditorTest, ExitCheck) {
  const std::vector<ExitCase> cases = {
      {"Enter reported as End", "d,1b,4f00", kEnter, kKeyEnd},
      {"Enter when End is not a key", "d,1b", kEnter, kKeyEnter},
      {"report code", "d,1b=4f00", kEsc, kKeyEnd},
      {"Tab as Enter", "d,1b", Key(kKeyTab), kKeyEnter},
      {"Tab as End", "d,4f00", Key(kKeyTab), kKeyEnd},
      {"Shift+Tab as Up", "d,4800", kShiftTab, kKeyUp},
      {"Ctrl+F4 as Esc", "d,1b", KeyEvent(0, 0x3E, kLeftCtrlPressed), kKeyEsc},
      {"Alt+F4 as Esc", "d,1b", KeyEvent(0, 0x3E, kLeftAltPressed), kKeyEsc},
      {"F11 is negative", "d", Key(kKeyF11), kKeyF11},
      {"empty set returns any key", "", Key(kKeyF1 + 0x100), kKeyF1 + 0x100},
      {"empty set: Enter unchanged", "", kEnter, kKeyEnter},
      {"Down on the last line", "d,5000", Key(kKeyDown), kKeyDown},
      {"Ctrl+Right at the end", "d,7400", kCtrlRight, kKeyCtrlRight},
  };
  for (const ExitCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetKeyMode("ea", c.keys);
    std::string value = "abc";
    short cursor = 4;
    EXPECT_EQ(Edit(value, cursor, {c.event, kEnter}), c.expected);
  }
}

TEST_F(FieldEditorTest, KeysOutsideTheSetAreIgnored) {
  std::string value = "abc";
  short cursor = 1;
  EXPECT_EQ(Edit(value, cursor, {Key(kKeyF1 + 0x100), Key(kKeyUp), Key('Z'), kEnter}), kKeyEnter);
  EXPECT_EQ(value, "Zbc");
}

TEST_F(FieldEditorTest, EndOfInputLeavesAsEsc) {
  SetKeyMode("ea", "d");
  std::string value = "abc";
  short cursor = 1;
  EXPECT_EQ(Edit(value, cursor, {Key('x')}), kKeyEsc);
  EXPECT_EQ(value, "xbc");
}

TEST_F(FieldEditorTest, DrawsTheFieldAndTheTypedCharacters) {
  std::string h = "h";
  SetColour(h);
  std::string value = "ab        ";
  short cursor = 3;
  Edit(value, cursor, {Key('c'), kEnter});
  EXPECT_EQ(console().Text(3, 5, 10), "abc       ");
  EXPECT_EQ(console().Attribute(3, 5), 0x1E);  // colour "u"
  EXPECT_EQ(ColourState.ColourSlot, kSlotHighlight);
  EXPECT_EQ(console().CursorRow(), 3);
  EXPECT_EQ(console().CursorColumn(), 5);
}

TEST_F(FieldEditorTest, MaskedFieldShowsXOnly) {
  SetKeyMode("h", "");
  std::string value = "          ";
  short cursor = 1;
  Edit(value, cursor, {Key('p'), Key('w'), Key('d'), kEnter});
  EXPECT_EQ(value, "pwd       ");
  EXPECT_EQ(console().Text(3, 5, 11), "XXXXXXXXXX ");
  SetInsertToggle(true);
  value = "          ";
  cursor = 1;
  Edit(value, cursor, {Key('q'), kEnter});
  EXPECT_EQ(value, "q         ");
  EXPECT_EQ(console().Text(3, 5, 11), "XXXXXXXXXX ");
}

TEST_F(FieldEditorTest, MultiLineField) {
  SetKeyMode("ea", "d,5000,4800");
  std::string value = "first line" "secondline";
  short cursor = 3;
  EXPECT_EQ(Edit(value, cursor, {Key(kKeyDown), kEnter}, 10), kKeyEnter);
  EXPECT_EQ(cursor, 13);
  EXPECT_EQ(console().Text(3, 5, 10), "first line");
  EXPECT_EQ(console().Text(4, 5, 10), "secondline");
  EXPECT_EQ(Edit(value, cursor, {Key(kKeyDown)}, 10), kKeyDown);
  EXPECT_EQ(cursor, 13);
  EXPECT_EQ(Edit(value, cursor, {Key(kKeyUp), Key(kKeyUp)}, 10), kKeyUp);
  EXPECT_EQ(cursor, 3);
}

TEST_F(FieldEditorTest, CursorAtTheEndOfAFullLineStaysOnThatLine) {
  // The cursor is placed before each key is read: look at it from a hot-key handler.
  int row = 0, column = 0, size = 0;
  bool visible = false;
  RegisterHotKey(kKeyAltX, [&] {
    row = console().CursorRow();
    column = console().CursorColumn();
    size = console().CursorSize();
    visible = console().CursorVisible();
    return std::string();
  });
  SetInsertToggle(false);
  std::string value(20, 'a');
  short cursor = 21;
  Edit(value, cursor, {KeyEvent(0, 0x2D, kLeftAltPressed), kEnter}, 10);
  EXPECT_EQ(row, 4);
  EXPECT_EQ(column, 15);
  EXPECT_EQ(size, 100);
  EXPECT_TRUE(visible);
  cursor = 11;
  Edit(value, cursor, {KeyEvent(0, 0x2D, kLeftAltPressed), kEnter}, 10);
  EXPECT_EQ(row, 4);
  EXPECT_EQ(column, 5);
}

TEST_F(FieldEditorTest, InsertKeyTogglesModeAndCursor) {
  std::string value = "ab  ";
  short cursor = 1;
  int size = 0;
  RegisterHotKey(kKeyAltX, [&] {
    size = console().CursorSize();
    return std::string();
  });
  Edit(value, cursor, {Key(kKeyInsert), KeyEvent(0, 0x2D, kLeftAltPressed), Key('X'), kEnter});
  EXPECT_TRUE(InsertToggle());
  EXPECT_EQ(size, 50);
  EXPECT_EQ(value, "Xab ");
  Edit(value, cursor, {Key(kKeyInsert), KeyEvent(0, 0x2D, kLeftAltPressed), Key('Y'), kEnter});
  EXPECT_FALSE(InsertToggle());
  EXPECT_EQ(size, 100);
  EXPECT_EQ(value, "XYb ");
  EXPECT_FALSE(console().CursorVisible());
}

TEST_F(FieldEditorTest, HotKeyResultIsTyped) {
  RegisterHotKey(kKeyAltX, [] { return std::string("42"); });
  std::string value = "     ";
  short cursor = 1;
  Edit(value, cursor, {KeyEvent(0, 0x2D, kLeftAltPressed), kEnter});
  EXPECT_EQ(value, "42   ");
}

TEST_F(FieldEditorTest, CopyTrimsThePasteCleansAndTrims) {
  std::string value = "  ab cd   ";
  short cursor = 1;
  Edit(value, cursor, {kCtrlC, kEnter});
  EXPECT_EQ(ClipboardText(), "ab cd");

  SetClipboardText(std::string(" x\ty\x7f\x01z\xff ", 10));
  value = "abcdef";
  cursor = 3;
  Edit(value, cursor, {kCtrlV, kEnter});
  EXPECT_EQ(value, "abxyzf");
  EXPECT_EQ(console().Text(3, 5, 6), "abxyzf");

  value = "abcdef";
  cursor = 5;
  Edit(value, cursor, {kCtrlV, kEnter});
  EXPECT_EQ(value, "abcdxy");

  SetClipboardText("");
  value = "abcdef";
  Edit(value, cursor, {kCtrlV, kEnter});
  EXPECT_EQ(value, "abcdef");
}

TEST_F(FieldEditorTest, ClicksInsideMoveTheCursorOutsideEndTheEditing) {
  std::string value = "abcdefghij";
  short cursor = 1;
  // Field at screen row 3, columns 5 to 15 (one line: width 11 including the end position).
  EXPECT_EQ(Edit(value, cursor, {MouseEvent(3, 8), kEnter}), kKeyEnter);
  EXPECT_EQ(cursor, 4);
  EXPECT_EQ(Edit(value, cursor, {MouseEvent(3, 15), kEnter}), kKeyEnter);
  EXPECT_EQ(cursor, 11);
  EXPECT_EQ(Edit(value, cursor, {MouseEvent(10, 20)}), -(20 * 100 + 10));
  EXPECT_EQ(Edit(value, cursor, {MouseEvent(3, 4)}), -(4 * 100 + 3));
  EXPECT_EQ(Edit(value, cursor, {MouseEvent(4, 5)}), -(5 * 100 + 4));
  EXPECT_FALSE(console().MouseReporting());
}

TEST_F(FieldEditorTest, MaskedFieldIsNotCopied) {
  SetClipboardText("before");
  SetKeyMode("h", "");
  std::string value = "secret";
  short cursor = 1;
  Edit(value, cursor, {kCtrlC, kEnter});
  EXPECT_EQ(ClipboardText(), "before");
}

TEST_F(FieldEditorTest, PositionsAreRelativeToTheInnermostWindow) {
  WindowState.WindowDepth = 1;
  WindowState.Top = 5;
  WindowState.Left = 10;
  WindowState.Bottom = 15;
  WindowState.Right = 60;
  std::string value = "abcdef";
  short cursor = 1;
  // The field is drawn at screen row 8, column 15; a click there moves the cursor.
  EXPECT_EQ(Edit(value, cursor, {MouseEvent(8, 17), kEnter}), kKeyEnter);
  EXPECT_EQ(console().Text(8, 15, 6), "abcdef");
  EXPECT_EQ(cursor, 3);
  EXPECT_EQ(Edit(value, cursor, {MouseEvent(3, 5)}), -(5 * 100 + 3));
  // A zero row takes the cursor's row back to the window.
  console().SetCursorPosition(9, 20);
  short key = 0;
  console().PushEvent(kEnter);
  EditField(0, 0, 0, value, cursor, key);
  EXPECT_EQ(console().Text(9, 20, 6), "abcdef");
  ResetWindowState();
}

TEST_F(FieldEditorTest, ClickOnTheSecondLineOfAMultiLineField) {
  std::string value(20, 'a');
  short cursor = 1;
  EXPECT_EQ(Edit(value, cursor, {MouseEvent(4, 7), kEnter}, 10), kKeyEnter);
  EXPECT_EQ(cursor, 13);
  EXPECT_EQ(Edit(value, cursor, {MouseEvent(5, 7)}, 10), -(7 * 100 + 5));
}

TEST_F(FieldEditorTest, ZeroPositionTakesTheCursor) {
  console().SetCursorPosition(7, 9);
  std::string value = "xy";
  short cursor = 1;
  short key = 0;
  console().PushEvent(kEnter);
  EditField(0, 0, 0, value, cursor, key);
  EXPECT_EQ(console().Text(7, 9, 2), "xy");
  EXPECT_EQ(console().CursorRow(), 7);
  EXPECT_EQ(console().CursorColumn(), 9);
}

TEST_F(FieldEditorTest, EmptyValueDoesNotBreak) {
  std::string value;
  short cursor = 5;
  SetInsertToggle(true);
  EXPECT_EQ(Edit(value, cursor, {Key('a'), Key(kKeyBackspace), Key(kKeyDelete), kCtrlV,
                                 kCtrlRight, kCtrlLeft, Key(kKeyEnd), MouseEvent(3, 5), kEnter}),
            kKeyEnter);
  EXPECT_EQ(value, "");
  EXPECT_EQ(cursor, 1);
}

// Option fields.

class OptionEditTest : public FieldEditorTest {
 protected:
  // "Sí", "No", "Àlber", "alfa", "Bet": codes of two characters.
  void SetUp() override {
    FieldEditorTest::SetUp();
    CurrentOptions = "|S ,S\xa1|N ,No|A1,\xb7lber|A2,alfa|B ,Bet";
  }
};

TEST_F(OptionEditTest, ValueMatchingNoCodeStartsOnTheFirstOption) {
  std::string value = "  ";
  short cursor = 1;
  EXPECT_EQ(Edit(value, cursor, {kEnter}), kKeyEnter);
  EXPECT_EQ(value, "S ");
  EXPECT_EQ(console().Text(3, 5, 5), "S\xa1   ");
}

TEST_F(OptionEditTest, TrianglesAroundTheTextAndBlankedAfter) {
  std::string value = "N ";
  short cursor = 1;
  int size_before = console().CursorSize();
  std::string left, right, text;
  RegisterHotKey(kKeyAltX, [&] {
    left = console().Text(3, 4, 1);
    text = console().Text(3, 5, 5);
    right = console().Text(3, 10, 1);
    return std::string();
  });
  bool visible = true;
  RegisterHotKey(kKeyAltC, [&] {
    visible = console().CursorVisible();
    return std::string();
  });
  console().SetCursorVisible(true);
  Edit(value, cursor,
       {KeyEvent(0, 0x2E, kLeftAltPressed), KeyEvent(0, 0x2D, kLeftAltPressed), kEnter});
  EXPECT_FALSE(visible);
  EXPECT_EQ(left, "\x11");
  EXPECT_EQ(text, "No   ");
  EXPECT_EQ(right, "\x10");
  EXPECT_EQ(console().Text(3, 4, 7), " No    ");
  EXPECT_EQ(console().CursorSize(), size_before);
  EXPECT_FALSE(console().CursorVisible());
}

TEST_F(OptionEditTest, StepsThroughTheListRound) {
  struct Case {
    const char* name;
    std::string start;
    std::vector<ConsoleEvent> events;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"Right", "S ", {Key(kKeyRight)}, "N "},
      {"space", "S ", {Key(' ')}, "N "},
      {"Right from the last", "B ", {Key(kKeyRight)}, "S "},
      {"Left from the first", "S ", {Key(kKeyLeft)}, "B "},
      {"Left", "N ", {Key(kKeyLeft)}, "S "},
      {"ignored keys", "N ",
       {Key(kKeyBackspace), Key(kKeyDelete), kCtrlY, kCtrlHome, kCtrlV, Key(kKeyHome),
        Key(kKeyEnd)},
       "N "},
      {"first letter", "S ", {Key('b')}, "B "},
      {"accented text by a plain letter", "S ", {Key('a')}, "A1"},
      {"accented text by an accented small letter", "S ", {Key(133)}, "A1"},
      {"same letter alternates", "S ", {Key('A'), Key('A')}, "A2"},
      {"same letter three times", "S ", {Key('a'), Key('a'), Key('a')}, "A1"},
      {"no match changes nothing", "N ", {Key('z')}, "N "},
      {"a symbol matches nothing", "N ", {Key('@')}, "N "},
      {"click on the right triangle", "S ", {MouseEvent(3, 10)}, "N "},
      {"click on the left triangle", "S ", {MouseEvent(3, 4)}, "B "},
      {"click on the text", "N ", {MouseEvent(3, 7)}, "N "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string value = c.start;
    short cursor = 1;
    std::vector<ConsoleEvent> events = c.events;
    events.push_back(kEnter);
    EXPECT_EQ(Edit(value, cursor, events), kKeyEnter);
    EXPECT_EQ(value, c.expected);
    EXPECT_EQ(console().PendingEvents(), 0u);
  }
}

TEST_F(OptionEditTest, MovesThatEndTheEditingAtOnce) {
  SetKeyMode("ea", "d,4800,5000,7300,7400");
  for (const ConsoleEvent& e : {Key(kKeyUp), Key(kKeyDown), kCtrlLeft, kCtrlRight, kShiftTab}) {
    std::string value = "N ";
    short cursor = 1;
    const short key = Edit(value, cursor, {e});
    EXPECT_NE(key, 0);
    EXPECT_EQ(value, "N ");
  }
  std::string value = "N ";
  short cursor = 1;
  EXPECT_EQ(Edit(value, cursor, {MouseEvent(8, 30)}), -(30 * 100 + 8));
}

TEST_F(OptionEditTest, CopyGivesTheOptionText) {
  std::string value = "A1";
  short cursor = 1;
  Edit(value, cursor, {kCtrlC, kEnter});
  EXPECT_EQ(ClipboardText(), "\xb7lber");
}

TEST_F(OptionEditTest, CodeIsFittedToTheValue) {
  CurrentOptions = "|LONGCODE,Long|S,Short";
  std::string value = "   ";
  short cursor = 1;
  Edit(value, cursor, {kEnter});
  EXPECT_EQ(value, "LON");
  Edit(value, cursor, {Key(kKeyRight), kEnter});
  EXPECT_EQ(value, "S  ");
}

TEST(FoldUpperTest, BothTables) {
  struct Case {
    std::string text;
    bool fold;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"abc XYZ 019", true, "ABC XYZ 019"},
      {"@[]{}~", true, "      "},
      {"\x87\x80\xa4\xa5\xb7\x85\xd5", true, "CCNNAAE"},
      {"\x9b\xe7\xe1\xe6", true, "OTS "},
      {"\xee\xff\x10", true, "\xee\xff\x10"},  // outside 64 to 237: unchanged
      {"abc XYZ @[", false, "ABC XYZ @["},
      {"\x87\xa4\x82\x85\xa0\xec", false, "\x80\xa5\x90\xb7\xb5\xed"},
      {"\x9b\xd5\xe7\xe1\x98", false, "\x9b\xd5\xe7\xe1\x98"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FoldUpper(c.text, c.fold), c.expected) << c.text;
  }
}

TEST(FoldUpperTest, UpperCasingIsIdempotentAndKeepsCapitals) {
  for (int code = 0; code < 256; ++code) {
    const std::string one(1, static_cast<char>(code));
    const std::string upper = FoldUpper(one, false);
    EXPECT_EQ(FoldUpper(upper, false), upper) << code;
    // Folding accents of a character or of its capital gives the same letter.
    EXPECT_EQ(FoldUpper(upper, true), FoldUpper(one, true)) << code;
  }
}

}  // namespace
