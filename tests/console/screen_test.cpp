// Screen layer: window stack, frames, scrolling, message windows and paragraph formatting.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "config/session.h"
#include "console/colour.h"
#include "console/screen.h"
#include "platform/console_memory.h"

namespace {

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetConsoleState();
    ResetColourState();
    ResetWindowState();
    ResetSessionSettings();
    const ColourPair scheme[5] = {{15, 0}, {7, 0}, {0, 7}, {1, 3}, {14, 1}};
    for (int i = 0; i < 5; ++i) SessionSettings.ColourScheme[i] = scheme[i];
    char pattern[] = "/tmp/screen_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory = pattern;
    SessionSettings.TemporaryDirectory = directory + "/";
    SetCurrentConsole(&console);
    // A screen where every cell differs from its neighbours in character and colour.
    for (int r = 1; r <= 25; ++r) {
      for (int c = 1; c <= 80; ++c) {
        console.SetCursorPosition(r, c);
        console.SetAttribute(static_cast<unsigned char>(r * 7 + c));
        console.Write(std::string(1, static_cast<char>(33 + (r * 80 + c) % 200)));
      }
    }
    console.SetCursorPosition(3, 7);
  }
  void TearDown() override {
    SetCurrentConsole(nullptr);
    std::remove(WindowStackPath().c_str());
    rmdir(directory.c_str());
  }
  std::vector<ConsoleCell> Snapshot() const {
    std::vector<ConsoleCell> cells;
    for (int r = 1; r <= 25; ++r)
      for (int c = 1; c <= 80; ++c) cells.push_back(console.ReadCell(r, c));
    return cells;
  }
  bool StackExists() const { return access(WindowStackPath().c_str(), F_OK) == 0; }

  std::string directory;
  MemoryConsole console;
};

TEST_F(ScreenTest, ThreeNestedWindowsRestoreEverything) {
  struct Level {
    std::vector<ConsoleCell> cells;
    int row, column;
  };
  std::vector<Level> before;
  const short rects[3][4] = {{2, 2, 20, 60}, {5, 10, 12, 70}, {1, 1, 25, 80}};
  for (int i = 0; i < 3; ++i) {
    console.SetCursorPosition(4 + i, 9 + i);
    before.push_back({Snapshot(), console.CursorRow(), console.CursorColumn()});
    PushWindow(rects[i][0], rects[i][1], rects[i][2], rects[i][3]);
    std::string colour = i == 1 ? "u" : "rh";
    SetColour(colour);
    DrawFrame(static_cast<short>(i % 3));
    LocateInWindow(1, 1);
    console.Write("window " + std::to_string(i));
    EXPECT_EQ(WindowState.WindowDepth, i + 1);
  }
  for (int i = 2; i >= 0; --i) {
    PopWindow();
    EXPECT_EQ(WindowState.WindowDepth, i);
    EXPECT_TRUE(Snapshot() == before[static_cast<std::size_t>(i)].cells) << "level " << i;
    EXPECT_EQ(console.CursorRow(), before[static_cast<std::size_t>(i)].row);
    EXPECT_EQ(console.CursorColumn(), before[static_cast<std::size_t>(i)].column);
    if (i > 0) {
      EXPECT_EQ(WindowState.Top, rects[i - 1][0]);
      EXPECT_EQ(WindowState.Right, rects[i - 1][3]);
    }
  }
  EXPECT_FALSE(StackExists());
}

TEST_F(ScreenTest, StackFileAfterOnePush) {
  const ConsoleCell first = console.ReadCell(5, 10);
  const ConsoleCell last = console.ReadCell(8, 40);
  PushWindow(5, 10, 8, 40);
  const std::string bytes = FileBytes(WindowStackPath());
  const int cells = 4 * 31;
  ASSERT_EQ(bytes.size(), static_cast<std::size_t>(4 + 25 + 2 * cells));
  const unsigned top_pointer = static_cast<unsigned char>(bytes[0]) |
                               (static_cast<unsigned char>(bytes[1]) << 8) |
                               (static_cast<unsigned char>(bytes[2]) << 16) |
                               (static_cast<unsigned char>(bytes[3]) << 24);
  EXPECT_EQ(top_pointer, bytes.size() + 1);
  EXPECT_EQ(bytes.substr(4, 20), "03070000000005100840");
  EXPECT_EQ(static_cast<unsigned char>(bytes[24]), first.Character);
  EXPECT_EQ(static_cast<unsigned char>(bytes[25]), first.Attribute);
  EXPECT_EQ(static_cast<unsigned char>(bytes[24 + 2 * cells - 2]), last.Character);
  EXPECT_EQ(static_cast<unsigned char>(bytes[24 + 2 * cells - 1]), last.Attribute);
  EXPECT_EQ(bytes.substr(bytes.size() - 5), "00273");
  // The second record records the first window as the one beneath.
  PushWindow(6, 11, 7, 12);
  const std::string more = FileBytes(WindowStackPath());
  EXPECT_EQ(more.substr(bytes.size(), 20), "03070510084006110712");
  PopWindow();
  PopWindow();
  EXPECT_FALSE(StackExists());
}

TEST_F(ScreenTest, PopWithoutRecordOnlyDeletesTheFile) {
  const auto cells = Snapshot();
  PopWindow();
  EXPECT_EQ(WindowState.WindowDepth, 0);
  EXPECT_TRUE(Snapshot() == cells);
  EXPECT_FALSE(StackExists());
}

TEST_F(ScreenTest, RectanglesOffTheScreenAreRefused) {
  const short bad[][4] = {{0, 1, 5, 5}, {1, 0, 5, 5}, {1, 1, 26, 5}, {1, 1, 5, 81}, {-3, 1, 5, 5}};
  for (const auto& r : bad) {
    PushWindow(r[0], r[1], r[2], r[3]);
    EXPECT_EQ(WindowState.WindowDepth, 0);
  }
  EXPECT_FALSE(StackExists());
}

TEST_F(ScreenTest, DamagedStackFileIsDroppedSafely) {
  PushWindow(5, 10, 8, 40);
  const auto with_window = Snapshot();
  const std::vector<std::string> damages = {
      std::string("\xff\xff\xff\x7f", 4) + "junk",  // pointer far past the end
      std::string("\x09\x00\x00\x00", 4) + "12345",  // record longer than the file
      std::string("\x1e\x00\x00\x00", 4) + std::string(20, '9') + "00025",  // cells mismatch
  };
  for (const std::string& damage : damages) {
    std::FILE* f = std::fopen(WindowStackPath().c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(damage.data(), 1, damage.size(), f);
    std::fclose(f);
    WindowState.WindowDepth = 1;
    PopWindow();
    EXPECT_TRUE(Snapshot() == with_window);
    EXPECT_FALSE(StackExists());
  }
}

TEST_F(ScreenTest, LocateAndInnerEdges) {
  LocateInWindow(1, 2);
  EXPECT_EQ(console.CursorRow(), 1);
  EXPECT_EQ(console.CursorColumn(), 2);
  EXPECT_EQ(InnerTop(), 1);
  EXPECT_EQ(InnerLeft(), 1);
  EXPECT_EQ(InnerRight(), 80);
  PushWindow(5, 10, 8, 40);
  LocateInWindow(1, 2);
  EXPECT_EQ(console.CursorRow(), 6);
  EXPECT_EQ(console.CursorColumn(), 12);
  EXPECT_EQ(InnerTop(), 6);
  EXPECT_EQ(InnerLeft(), 11);
  EXPECT_EQ(InnerRight(), 39);
  EXPECT_EQ(ScreenRows(), 25);
  EXPECT_EQ(ScreenColumns(), 80);
  PopWindow();
}

TEST_F(ScreenTest, FrameStyles) {
  struct {
    short style;
    unsigned char corners[4];
    unsigned char horizontal, vertical;
  } cases[] = {{1, {218, 191, 192, 217}, 196, 179},
               {2, {201, 187, 200, 188}, 205, 186},
               {0, {32, 32, 32, 32}, 32, 32},
               {7, {0, 0, 0, 0}, 0, 0}};
  for (const auto& c : cases) {
    PushWindow(3, 5, 6, 12);
    console.SetAttribute(0x4E);
    DrawFrame(c.style);
    EXPECT_EQ(console.Character(3, 5), c.corners[0]);
    EXPECT_EQ(console.Character(3, 12), c.corners[1]);
    EXPECT_EQ(console.Character(6, 5), c.corners[2]);
    EXPECT_EQ(console.Character(6, 12), c.corners[3]);
    EXPECT_EQ(console.Character(3, 8), c.horizontal);
    EXPECT_EQ(console.Character(5, 12), c.vertical);
    EXPECT_EQ(console.Text(4, 6, 6), "      ");
    EXPECT_EQ(console.Attribute(5, 9), 0x4E);
    EXPECT_NE(console.Character(4, 13), ' ');  // outside untouched
    PopWindow();
  }
  const auto cells = Snapshot();
  DrawFrame(1);  // no window open
  EXPECT_TRUE(Snapshot() == cells);
}

// A frame never reaches past its window, whose cells are all that PopWindow puts back: after
// drawing and closing, the screen is as before, also for windows one column or row wide, at the
// screen edge, or given with top and bottom (left and right) swapped.
TEST_F(ScreenTest, FramesStayInsideTheirWindow) {
  struct {
    short top, left, bottom, right;
  } cases[] = {{5, 10, 8, 10}, {5, 80, 8, 80}, {7, 3, 7, 20}, {25, 1, 25, 80},
               {9, 30, 4, 40}, {4, 40, 9, 30}, {9, 40, 4, 30}, {3, 3, 3, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.top << ',' << c.left << '-' << c.bottom << ',' << c.right);
    const auto cells = Snapshot();
    PushWindow(c.top, c.left, c.bottom, c.right);
    ASSERT_EQ(WindowState.WindowDepth, 1);
    console.SetAttribute(0x4E);
    DrawFrame(2);
    PopWindow();
    EXPECT_TRUE(Snapshot() == cells);
  }
  // A one-column window shows its left frame characters.
  PushWindow(5, 10, 8, 10);
  DrawFrame(1);
  EXPECT_EQ(console.Character(5, 10), 218);
  EXPECT_EQ(console.Character(6, 10), 179);
  EXPECT_EQ(console.Character(8, 10), 192);
  PopWindow();
}

TEST_F(ScreenTest, PopLeavesTheLastRestoredColour) {
  const unsigned char last = console.Attribute(8, 40);
  PushWindow(5, 10, 8, 40);
  console.SetAttribute(0x11);
  PopWindow();
  EXPECT_EQ(console.Attribute(), last);
}

TEST_F(ScreenTest, ScrollRegionTakesZeroBasedCoordinates) {
  const std::string row3 = console.Text(3, 3, 4);
  const std::string row4 = console.Text(4, 3, 4);
  const std::string outside = console.Text(3, 7, 1);
  console.SetAttribute(0x2A);
  ScrollRegion(1, 2, 3, 5, 1);  // rows 2-4, columns 3-6 up by one
  EXPECT_EQ(console.Text(2, 3, 4), row3);
  EXPECT_EQ(console.Text(3, 3, 4), row4);
  EXPECT_EQ(console.Text(4, 3, 4), "    ");
  EXPECT_EQ(console.Attribute(4, 3), 0x2A);
  EXPECT_EQ(console.Text(3, 7, 1), outside);
  ScrollRegion(1, 2, 3, 5, 0);  // 0 moves down by one
  EXPECT_EQ(console.Text(2, 3, 4), "    ");
  EXPECT_EQ(console.Text(3, 3, 4), row3);
}

TEST_F(ScreenTest, MessageWindowPlacement) {
  std::string colour = "n";
  SetColour(colour);
  std::string text(30, 'm');
  ShowMessage(12, text);
  EXPECT_EQ(text, std::string(30, 'm') + std::string(46, ' '));
  ASSERT_EQ(WindowState.WindowDepth, 1);
  EXPECT_EQ(WindowState.Top, 9);
  EXPECT_EQ(WindowState.Bottom, 11);
  EXPECT_EQ(WindowState.Left, 24);
  EXPECT_EQ(WindowState.Right, 57);
  EXPECT_EQ(console.Character(9, 24), 218);
  EXPECT_EQ(console.Character(11, 57), 217);
  EXPECT_EQ(console.Text(10, 25, 33), " " + std::string(30, 'm') + " \xb3");
  EXPECT_EQ(console.Attribute(10, 26), 0x70);
  EXPECT_EQ(ColourState.ColourSlot, 1);  // colour restored
  PopWindow();
}

TEST_F(ScreenTest, MessageNearTheBottomAndTooLong) {
  std::string text = std::string(76, 'a') + std::string(76, 'b') + "c";
  ShowMessage(25, text);
  ASSERT_EQ(WindowState.WindowDepth, 1);
  EXPECT_EQ(WindowState.Bottom, 25);
  EXPECT_EQ(WindowState.Top, 21);
  EXPECT_EQ(WindowState.Left, 1);
  EXPECT_EQ(WindowState.Right, 80);
  EXPECT_EQ(console.Character(24, 3), 'c');
  PopWindow();

  const auto cells = Snapshot();
  std::string colour = "u";
  SetColour(colour);
  std::string huge;
  for (int i = 0; i < 30; ++i) huge += "word" + std::to_string(i) + std::string(76, ' ');
  ShowMessage(12, huge);
  EXPECT_EQ(WindowState.WindowDepth, 0);
  EXPECT_TRUE(Snapshot() == cells);
  EXPECT_EQ(ColourState.ColourSlot, 4);
  EXPECT_TRUE(ColourState.ColourStack.empty());
}

// An empty text has no line and so no window; the window beneath keeps its frame and contents.
TEST_F(ScreenTest, EmptyMessageLeavesTheWindowBeneathAlone) {
  PushWindow(5, 10, 15, 60);
  const auto cells = Snapshot();
  std::string colour = "n";
  SetColour(colour);
  std::string text;
  ShowMessage(12, text);
  EXPECT_EQ(WindowState.WindowDepth, 1);
  EXPECT_EQ(WindowState.Top, 5);
  EXPECT_TRUE(Snapshot() == cells);
  EXPECT_EQ(ColourState.ColourSlot, 1);
  EXPECT_TRUE(ColourState.ColourStack.empty());
  PopWindow();
}

TEST(FormatParagraphTest, Modes) {
  struct {
    const char* text;
    short indent, width;
    const char* mode;
    std::string expected;
  } cases[] = {
      {"abc def ghi", 0, 8, "I", "abc def ghi     "},
      {"abc def ghi", 0, 8, "i", "abc def ghi     "},
      {"abc def ghi", 0, 8, "A", "abc  defghi"},
      {"abc def ghi", 0, 8, "C", "abc def   ghi   "},
      {"a b c dddddd", 0, 8, "A", "a  b   cdddddd"},
      {"ab", 0, 5, "N", "ab---"},
      {"ab", 0, 5, "R", "   ab"},
      {"ab", 0, 5, "d", "   ab"},
      {"ab", 0, 5, "Z", "ab"},
      {"ab", 0, 5, "", "ab"},
      {"aaa bbb ccc ddd", -2, 8, "I", "aaa bbb   ccc     ddd   "},
      {"aaa bbb ccc", 3, 8, "L", "   aaa  bbb ccc "},
      {"abcdefghijkl", 0, 5, "I", "abcdefghijkl   "},
      {"a\x01" "b c", 0, 3, "I", "a\x01" "b c  "},
      {"ab   ", 0, 4, "I", "ab  "},
      {"", 0, 8, "I", ""},
      {"ab", 0, 0, "I", "ab"},
      // An indent wider than the line still moves on by one character per line.
      {"abc", 10, 4, "I", "          abc  "},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    FormatParagraph(text, c.indent, c.width, c.mode);
    EXPECT_EQ(text, c.expected) << '"' << c.text << "\" " << c.indent << ' ' << c.width << ' '
                                << c.mode;
  }
}

}  // namespace
