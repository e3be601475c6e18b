// Memory backend of the console device.
#include <gtest/gtest.h>

#include "platform/console_memory.h"

namespace {

class MemoryConsoleTest : public ::testing::Test {
 protected:
  MemoryConsole console;
};

TEST_F(MemoryConsoleTest, WriteWrapsAndStopsAtTheLastCell) {
  console.SetAttribute(0x1E);
  console.SetCursorPosition(1, 79);
  console.Write("abc");
  EXPECT_EQ(console.Text(1, 79, 2), "ab");
  EXPECT_EQ(console.Character(2, 1), 'c');
  EXPECT_EQ(console.Attribute(2, 1), 0x1E);
  EXPECT_EQ(console.CursorRow(), 2);
  EXPECT_EQ(console.CursorColumn(), 2);
  console.SetCursorPosition(25, 79);
  console.Write("xyz");
  EXPECT_EQ(console.Text(25, 79, 2), "xy");
  EXPECT_EQ(console.CursorRow(), 25);
  EXPECT_EQ(console.CursorColumn(), 80);
  EXPECT_EQ(console.Character(1, 1), ' ');  // nothing wrapped round to the top
}

TEST_F(MemoryConsoleTest, PositionsAreClippedAndReadsOutsideAreBlank) {
  console.SetCursorPosition(0, 200);
  EXPECT_EQ(console.CursorRow(), 1);
  EXPECT_EQ(console.CursorColumn(), 80);
  EXPECT_EQ(console.ReadCell(26, 1), ConsoleCell{});
  EXPECT_EQ(console.ReadCell(1, 0), ConsoleCell{});
  EXPECT_EQ(console.RowText(0), "");
  EXPECT_EQ(console.RowText(3).size(), 80u);
}

TEST_F(MemoryConsoleTest, ScrollMovesOnlyTheRectangle) {
  for (int r = 1; r <= 5; ++r) {
    console.SetCursorPosition(r, 1);
    console.Write(std::string(10, static_cast<char>('0' + r)));
  }
  const ConsoleCell fill{' ', 0x70};
  console.ScrollRectangle(2, 3, 4, 5, 1, fill);
  EXPECT_EQ(console.RowText(1).substr(0, 10), "1111111111");
  EXPECT_EQ(console.RowText(2).substr(0, 10), "2233322222");
  EXPECT_EQ(console.RowText(3).substr(0, 10), "3344433333");
  EXPECT_EQ(console.RowText(4).substr(0, 10), "44   44444");
  EXPECT_EQ(console.Attribute(4, 3), 0x70);
  console.ScrollRectangle(2, 3, 4, 5, -2, fill);
  EXPECT_EQ(console.RowText(2).substr(0, 10), "22   22222");
  EXPECT_EQ(console.RowText(4).substr(0, 10), "4433344444");
  console.ScrollRectangle(-5, -5, 100, 100, 30, fill);  // clipped, everything vacated
  EXPECT_EQ(console.RowText(1), std::string(80, ' '));
}

TEST_F(MemoryConsoleTest, ScriptedInputComesInOrder) {
  console.PushText("a\r");
  console.PushMouse(3, 4);
  console.PushKey(0, 0x3B);
  ConsoleEvent e;
  ASSERT_TRUE(console.ReadEvent(e));
  EXPECT_EQ(e, KeyEvent('a', 0x1E));
  ASSERT_TRUE(console.ReadEvent(e));
  EXPECT_EQ(e, KeyEvent(13, 0x1C));
  ASSERT_TRUE(console.ReadEvent(e));  // the mouse press is skipped: reporting is off
  EXPECT_EQ(e, KeyEvent(0, 0x3B));
  EXPECT_FALSE(console.ReadEvent(e));
  console.SetMouseReporting(true);
  console.PushMouse(3, 4, kRightButton);
  ASSERT_TRUE(console.ReadEvent(e));
  EXPECT_EQ(e, MouseEvent(3, 4, kRightButton));
}

TEST(ConsoleStateTest, CurrentDeviceAndProcessValues) {
  ResetConsoleState();
  MemoryConsole mine;
  SetCurrentConsole(&mine);
  EXPECT_EQ(&CurrentConsole(), &mine);
  SetCurrentConsole(nullptr);
  EXPECT_EQ(&CurrentConsole(), &BuiltInConsole());
  SetInsertToggle(true);
  EXPECT_TRUE(InsertToggle());
  SetClipboardText("abc");
  EXPECT_EQ(ClipboardText(), "abc");
  SetPastedText("pasted");
  EXPECT_EQ(ClipboardText(), "pasted");
  EXPECT_EQ(ClipboardText(), "pasted");  // it stays the clipboard's text
  ResetConsoleState();
  EXPECT_FALSE(InsertToggle());
  EXPECT_EQ(ClipboardText(), "");
}

TEST(ConsoleStateTest, CharacterEventsOfControlBytes) {
  EXPECT_EQ(CharacterEvent(2), KeyEvent(2, 0x30, kLeftCtrlPressed));
  EXPECT_EQ(CharacterEvent(22), KeyEvent(22, 0x2F, kLeftCtrlPressed));
  EXPECT_EQ(CharacterEvent(27), KeyEvent(27, 0x01));
  EXPECT_EQ(CharacterEvent(0x82), KeyEvent(0x82, 0));
}

}  // namespace
