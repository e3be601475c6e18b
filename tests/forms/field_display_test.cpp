// Field display and the option texts of option fields.
#include "forms/field_display.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console/field_editor.h"
#include "console/screen.h"
#include "forms/option_fields.h"
#include "platform/console_memory.h"

namespace {

FieldDefinition Field(std::string label, short width, std::string value, std::string options = {},
                      short line_width = 0, short extra = 0, short flags = 0) {
  FieldDefinition f;
  f.FieldRow = 2;
  f.FieldColumn = 3;
  f.FieldLabel = std::move(label);
  f.FieldWidth = width;
  f.FieldLineWidth = line_width;
  f.FieldExtraWidth = extra;
  f.FieldFlags = flags;
  f.FieldOptions = std::move(options);
  f.FieldValue = std::move(value);
  return f;
}

class FieldDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetConsoleState();
    ResetWindowState();
    CurrentOptions.clear();
    // Mark the screen so that writing nothing can be told from writing blanks.
    for (int r = 1; r <= 25; ++r) {
      console().SetCursorPosition(r, 1);
      console().Write(std::string(80, '.'));
    }
    console().SetAttribute(0x1E);
  }
  void TearDown() override {
    ResetWindowState();
    CurrentOptions.clear();
    ResetConsoleState();
  }
  MemoryConsole& console() { return BuiltInConsole(); }
};

const char kYesNo[] = "|S,S\xa1|N,No";

TEST_F(FieldDisplayTest, FreeTextAfterTheLabel) {
  ShowField(Field("Nom: ", 6, "Anna  "));
  EXPECT_EQ(console().Text(2, 1, 16), ".......Anna  ...");
  EXPECT_EQ(console().Attribute(2, 8), 0x1E);
}

TEST_F(FieldDisplayTest, MultiLineInPieces) {
  ShowField(Field("Obs: ", 20, "0123456789abcdefghij", {}, 10));
  EXPECT_EQ(console().Text(2, 8, 11), "0123456789.");
  EXPECT_EQ(console().Text(3, 8, 11), "abcdefghij.");
  EXPECT_EQ(console().Text(4, 8, 11), "...........");
  // A last piece shorter than the line width.
  ShowField(Field("Obs: ", 13, "0123456789XYZ", {}, 10));
  EXPECT_EQ(console().Text(3, 8, 11), "XYZdefghij.");
}

TEST_F(FieldDisplayTest, HiddenFieldWritesNothing) {
  ShowField(Field("Clau: ", 6, "secret", {}, 0, 0, 2 + 1));
  EXPECT_EQ(console().RowText(2), std::string(80, '.'));
  EXPECT_EQ(console().CursorRow(), 2);
  EXPECT_EQ(console().CursorColumn(), 9);
}

TEST_F(FieldDisplayTest, OptionFieldShowsTheTextOfItsCode) {
  struct Case {
    const char* name;
    FieldDefinition field;
    std::string expected;  // 12 cells from the value column
  };
  const std::vector<Case> cases = {
      {"match fitted to width and extra", Field("? ", 1, "S", kYesNo, 0, 3), "S\xa1  ........"},
      {"cut to width and extra", Field("? ", 1, "N", "|N,Nothing at all", 0, 2), "Not........."},
      {"no match writes nothing", Field("? ", 1, "X", kYesNo, 0, 3), "............"},
      {"code shorter than the width", Field("? ", 2, "S ", kYesNo, 0, 3), "............"},
      {"padded code", Field("? ", 2, "S ", "|S ,Yes|N ,No", 0, 1), "Yes........."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    ShowField(c.field);
    EXPECT_EQ(console().Text(2, 5, 12), c.expected);
  }
}

TEST_F(FieldDisplayTest, RelativeToTheInnermostWindow) {
  WindowState.WindowDepth = 1;
  WindowState.Top = 5;
  WindowState.Left = 10;
  WindowState.Bottom = 12;
  WindowState.Right = 60;
  ShowField(Field("A: ", 4, "abcd"));
  EXPECT_EQ(console().Text(7, 16, 4), "abcd");
}

TEST_F(FieldDisplayTest, FieldOfTheFormDefinition) {
  ResetFormDefinition();
  ScreenDefinition screen;
  screen.Fields.push_back(Field("A: ", 4, "abcd"));
  screen.Fields.push_back(Field("B: ", 1, "N", kYesNo, 0, 2));
  screen.Fields.back().FieldRow = 4;
  screen.ScreenFieldCount = 2;
  FormDefinition.Screens.push_back(screen);
  ShowField(1, 2);
  EXPECT_EQ(console().Text(4, 6, 4), "No .");
  ShowField(1, 3);
  ShowField(2, 1);
  ShowField(0, 1);
  EXPECT_EQ(console().RowText(2), std::string(80, '.'));
  ShowField(1, 1);
  EXPECT_EQ(console().Text(2, 6, 5), "abcd.");
  ResetFormDefinition();
}

TEST(OptionFieldsTest, OptionTextOfAValue) {
  std::string text = "stale";
  EXPECT_TRUE(FindOptionText(kYesNo, "N", text));
  EXPECT_EQ(text, "No");
  EXPECT_FALSE(FindOptionText(kYesNo, "n", text));
  EXPECT_EQ(text, "");
  EXPECT_FALSE(FindOptionText("", "", text));
  EXPECT_TRUE(IsOptionField(Field("", 1, "S", kYesNo)));
  EXPECT_FALSE(IsOptionField(Field("", 1, "S")));
}

TEST(OptionFieldsTest, SelectFieldOptionsForTheEditor) {
  SelectFieldOptions(Field("", 1, "S", kYesNo));
  EXPECT_EQ(CurrentOptions, kYesNo);
  SelectFieldOptions(Field("", 1, "S"));
  EXPECT_EQ(CurrentOptions, "");
}

}  // namespace
