// Colour slots and the exit key set.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/session.h"
#include "console/colour.h"
#include "platform/console_memory.h"

namespace {

class ColourTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetConsoleState();
    ResetColourState();
    ResetSessionSettings();
    const ColourPair scheme[5] = {{15, 0}, {7, 0}, {0, 7}, {1, 3}, {14, 1}};
    for (int i = 0; i < 5; ++i) SessionSettings.ColourScheme[i] = scheme[i];
    SetCurrentConsole(&console);
  }
  void TearDown() override { SetCurrentConsole(nullptr); }

  void Colour(std::string text) { SetColour(text); }
  std::vector<short> Keys() const {
    std::vector<short> out;
    for (int i = 0; i < ExitKeyCount(); ++i) out.push_back(ExitKeyAt(i));
    return out;
  }
  std::vector<short> Reports() const {
    std::vector<short> out;
    for (int i = 0; i < ExitKeyCount(); ++i) out.push_back(ReportCodeAt(i));
    return out;
  }
  MemoryConsole console;
};

TEST_F(ColourTest, StringsSelectSlotsAndAttributes) {
  struct {
    const char* text;
    short slot;
    unsigned char attribute;
  } cases[] = {{"n", 1, 0x07}, {"h", 0, 0x0F}, {"rh", 2, 0x70}, {"u", 4, 0x1E},  {"NR", 3, 0x31},
               {"rn", 3, 0x31}, {"+h", 0, 0x0F}, {"x", 0, 0x0F},  {"ur", 4, 0x1E}};
  for (const auto& c : cases) {
    ResetColourState();
    console.SetAttribute(0x99);
    Colour(c.text);
    EXPECT_EQ(ColourState.ColourSlot, c.slot) << c.text;
    EXPECT_EQ(console.Attribute(), c.attribute) << c.text;
  }
}

TEST_F(ColourTest, StringIsUpperCasedInPlace) {
  std::string text = "+rh";
  SetColour(text);
  EXPECT_EQ(text, "+RH");
}

TEST_F(ColourTest, SaveAndRestore) {
  Colour("n");
  Colour("+rh");
  EXPECT_EQ(ColourState.ColourSlot, 2);
  Colour("+u");
  Colour("-");
  EXPECT_EQ(ColourState.ColourSlot, 2);
  Colour("-");
  EXPECT_EQ(ColourState.ColourSlot, 1);
  EXPECT_EQ(console.Attribute(), 0x07);
  EXPECT_TRUE(ColourState.ColourStack.empty());
  Colour("u");
  Colour("-");  // nothing saved: slot 0
  EXPECT_EQ(ColourState.ColourSlot, 0);
  Colour("n");
  Colour("+-u");  // saves and restores the same slot; letters are ignored with "-"
  EXPECT_EQ(ColourState.ColourSlot, 1);
  EXPECT_TRUE(ColourState.ColourStack.empty());
}

TEST_F(ColourTest, BlankStringChangesNothing) {
  Colour("u");
  console.SetAttribute(0x42);
  Colour("   ");
  Colour("");
  EXPECT_EQ(ColourState.ColourSlot, 4);
  EXPECT_EQ(console.Attribute(), 0x42);
}

TEST_F(ColourTest, HexadecimalItems) {
  EXPECT_EQ(HexadecimalValue("d"), 13);
  EXPECT_EQ(HexadecimalValue("4F00"), 0x4F00);
  EXPECT_EQ(HexadecimalValue("1bz9"), 0x1B);
  EXPECT_EQ(HexadecimalValue(""), 0);
  EXPECT_EQ(HexadecimalValue("ffff"), -1);
  EXPECT_EQ(HexadecimalValue("123456"), 0x3456);
}

TEST_F(ColourTest, KeySetCommands) {
  SetKeyMode("+ea", "d,1b");
  EXPECT_EQ(Keys(), (std::vector<short>{13, 27}));
  EXPECT_EQ(Reports(), (std::vector<short>{13, 27}));
  SetKeyMode("-", "");
  EXPECT_TRUE(Keys().empty());
  EXPECT_EQ(ExitKeySet.SavedDepth, 0);

  SetKeyMode("a", "1b=4f00");
  EXPECT_EQ(Keys(), (std::vector<short>{27}));
  EXPECT_EQ(Reports(), (std::vector<short>{20224}));
  short report = 0;
  EXPECT_TRUE(FindExitKey(27, report));
  EXPECT_EQ(report, 20224);
  EXPECT_FALSE(FindExitKey(13, report));

  SetKeyMode("e", "");
  SetKeyMode("A", "4d00=1,4b00=2");
  SetKeyMode("d", "4b00,5000");
  EXPECT_EQ(Keys(), (std::vector<short>{0x4D00}));
  EXPECT_EQ(Reports(), (std::vector<short>{1}));
}

TEST_F(ColourTest, DeleteMatchesWholeEntriesOnly) {
  // Entries 0x0D00 and 0x004D are the bytes 00 0D 4D 00: the code 0x4D0D (bytes 0D 4D) occurs
  // across the two entries, which is no entry of the set.
  SetKeyMode("a", "d00,4d");
  SetKeyMode("d", "4d0d");
  EXPECT_EQ(Keys(), (std::vector<short>{0x0D00, 0x4D}));
  SetKeyMode("d", "4d");
  EXPECT_EQ(Keys(), (std::vector<short>{0x0D00}));
}

TEST_F(ColourTest, OnlyOneLevelIsSaved) {
  SetKeyMode("a", "d");
  SetKeyMode("+ea", "1b");
  SetKeyMode("+ea", "3b00");
  SetKeyMode("-", "");
  EXPECT_EQ(Keys(), (std::vector<short>{13}));
  SetKeyMode("-", "");
  EXPECT_EQ(Keys(), (std::vector<short>{13}));
}

TEST_F(ColourTest, MaskCommandsAndIgnoredCharacters) {
  SetKeyMode("a", "d");
  SetKeyMode("h", "1b");
  EXPECT_EQ(EchoMask, 88);
  EXPECT_EQ(Keys(), (std::vector<short>{13}));
  SetKeyMode("V", "");
  EXPECT_EQ(EchoMask, 0);
  SetKeyMode("xyz", "4d00");
  EXPECT_EQ(Keys(), (std::vector<short>{13}));
  EXPECT_EQ(ExitKeySet.SavedDepth, 0);
}

}  // namespace
