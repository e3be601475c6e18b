// Frame output for the terminal: glyphs, colours and change-only updates.
#include <gtest/gtest.h>

#include <string>

#include "platform/codepage.h"
#include "platform/terminal_output.h"

namespace {

TEST(TerminalOutputTest, GlyphsOfCodePage850) {
  struct {
    unsigned char byte;
    const char* utf8;
  } cases[] = {{'A', "A"},           {0, " "},            {16, "\u25BA"}, {17, "\u25C4"},
               {30, "\u25B2"},       {31, "\u25BC"},      {127, "\u2302"}, {218, "\u250C"},
               {205, "\u2550"},      {213, "\u20AC"},     {0x85, "\u00E0"}, {0xB7, "\u00C0"},
               {255, "\u00A0"}};
  for (const auto& c : cases) EXPECT_EQ(Cp850Glyph(c.byte), c.utf8) << int(c.byte);
  // Bytes 32-254 agree with the code page conversion.
  for (int b = 32; b < 255; ++b) {
    if (b == 127) continue;
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Cp850Glyph(static_cast<unsigned char>(b)), Cp850ToUtf8(one)) << b;
  }
}

TEST(TerminalOutputTest, ColoursSwapRedAndBlue) {
  EXPECT_EQ(AnsiForeground(1), 34);   // blue
  EXPECT_EQ(AnsiForeground(4), 31);   // red
  EXPECT_EQ(AnsiForeground(7), 37);
  EXPECT_EQ(AnsiForeground(0), 30);
  EXPECT_EQ(AnsiForeground(9), 94);   // bright blue
  EXPECT_EQ(AnsiForeground(15), 97);
  EXPECT_EQ(AnsiBackground(6), 43);   // brown/yellow
  EXPECT_EQ(AnsiBackground(12), 101); // bright red
}

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    output.SetTerminalSize(25, 80);
    frame.CursorVisible = false;
    output.Render(frame);  // first full paint
  }
  TerminalOutput output;
  TerminalFrame frame;
};

TEST_F(FrameTest, FirstPaintClearsAndSendsEverything) {
  TerminalOutput fresh;
  const std::string out = fresh.Render(frame);
  EXPECT_EQ(out.rfind("\x1b[0m\x1b[H\x1b[2J", 0), 0u);
  EXPECT_GE(out.size(), 25u * 80u);
}

TEST_F(FrameTest, UnchangedFrameSendsNothing) { EXPECT_EQ(output.Render(frame), ""); }

TEST_F(FrameTest, OneCellChangeSendsAMoveAndTheCell) {
  frame.Cells[9][19].Character = 'X';
  EXPECT_EQ(output.Render(frame), "\x1b[10;20HX");
  frame.Cells[9][19].Character = 0x85;
  EXPECT_EQ(output.Render(frame), "\x1b[10;20H\xc3\xa0");
}

TEST_F(FrameTest, TypingAtTheCursorSendsOnlyTheCharacter) {
  frame.CursorVisible = true;
  frame.CursorRow = 5;
  frame.CursorColumn = 10;
  output.Render(frame);
  frame.Cells[4][9].Character = 'a';
  frame.CursorColumn = 11;
  EXPECT_EQ(output.Render(frame), "a");
}

TEST_F(FrameTest, CursorStepOverAnUnchangedCellResendsIt) {
  frame.Cells[4][9] = ConsoleCell{'q', kDefaultAttribute};
  frame.CursorVisible = true;
  frame.CursorRow = 5;
  frame.CursorColumn = 10;
  output.Render(frame);
  frame.CursorColumn = 11;
  EXPECT_EQ(output.Render(frame), "q");
  frame.CursorColumn = 20;
  EXPECT_EQ(output.Render(frame), "\x1b[9C");
}

TEST_F(FrameTest, ColourChangesOnlyAtRunBoundaries) {
  for (int c = 10; c < 20; ++c) frame.Cells[2][c] = ConsoleCell{'x', 0x1F};
  for (int c = 20; c < 25; ++c) frame.Cells[2][c] = ConsoleCell{'y', 0x1E};
  const std::string out = output.Render(frame);
  EXPECT_EQ(out, "\x1b[3;11H\x1b[97;44mxxxxxxxxxx\x1b[93myyyyy");
}

TEST_F(FrameTest, NearbyChangesOnOneRowUseShortMoves) {
  frame.Cells[0][0].Character = 'a';
  frame.Cells[0][2].Character = 'b';   // one unchanged cell between: sent again
  frame.Cells[0][30].Character = 'c';  // far: cursor forward
  frame.Cells[1][0].Character = 'd';   // next row, first column
  // The terminal's cursor was left at (1, 1) by the first paint.
  EXPECT_EQ(output.Render(frame), "a b\x1b[27Cc\r\nd");
}

TEST_F(FrameTest, CursorStateIsSentWhenItChanges) {
  frame.CursorVisible = true;
  frame.CursorRow = 3;
  frame.CursorColumn = 4;
  EXPECT_EQ(output.Render(frame), "\x1b[3;4H\x1b[?25h");
  frame.CursorSize = 100;
  EXPECT_EQ(output.Render(frame), "\x1b[2 q");
  frame.CursorSize = 50;  // insert mode: a bar
  EXPECT_EQ(output.Render(frame), "\x1b[6 q");
  frame.CursorSize = 25;
  EXPECT_EQ(output.Render(frame), "\x1b[4 q");
  frame.CursorVisible = false;
  EXPECT_EQ(output.Render(frame), "\x1b[?25l");
}

TEST_F(FrameTest, LastColumnMakesThePositionUnknown) {
  frame.Cells[0][79].Character = 'a';
  frame.Cells[1][0].Character = 'b';
  EXPECT_EQ(output.Render(frame), "\x1b[79Ca\x1b[2Hb");
}

TEST_F(FrameTest, SmallerTerminalGetsOnlyWhatFits) {
  output.SetTerminalSize(10, 40);
  output.Render(frame);
  frame.Cells[20][5].Character = 'z';
  frame.Cells[5][50].Character = 'z';
  EXPECT_EQ(output.Render(frame), "");
}

}  // namespace
