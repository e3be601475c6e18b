// Loading form definition files: values, comments, quoting, numbers, translation, short files.
#include "forms/form_definition.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>

#include "../support/temp_dir.h"
#include "config/language.h"
#include "config/session.h"

namespace {

class FormDefinitionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSessionSettings();
    ResetFormDefinition();
    LanguageFileName.clear();
    SessionSettings.RootDirectory = dir.Path();
    SessionSettings.LanguageCode = "CAT";
    ModuleName = "BANKLIST";
  }
  void TearDown() override {
    ResetFormDefinition();
    ResetSessionSettings();
    LanguageFileName.clear();
  }
  TempDir dir;
};

// Two screens: the first with two fields and a link to the second, the second with one field.
const char kTwoScreens[] =
    "' header\r\n"
    "2, 3\r\n"
    "' screen 1\r\n"
    "  ' indented comment\r\n"
    "\"d,1b\", 2, 2, 5, 10, 12, 70\r\n"
    "1, 2, \"Imprimir? \", 1, 0, 10, 0, 0, 0, \"|S,S\xa1|N,No\"\r\n"
    "3, 2, Nom, 20, 10, 0, 9, 7, 1, \"\"\r\n"
    "' screen 2\r\n"
    "\"d,1b,4800\", 1, 0, 0, 0, 0, 0\r\n"
    "1, 1, \" Data, llarga \", 8, 0, 0, 4, 0, 0, \"\"\r\n"
    "' browses\r\n"
    "1\r\n"
    "' browse 1\r\n"
    "502, 0, 5, 5, 20, 75, 2, \"Remeses_del_dia\", 0\r\n"
    "this line comes after the last browse entry and is ignored\r\n";

TEST_F(FormDefinitionTest, ReadsScreensFieldsAndBrowses) {
  LoadFormDefinitionText(kTwoScreens);
  ASSERT_EQ(ScreenCount(), 2);
  EXPECT_EQ(FormDefinition.LargestFieldCount, 3);

  const ScreenDefinition* s1 = FormScreen(1);
  ASSERT_NE(s1, nullptr);
  EXPECT_EQ(s1->ScreenExitKeys, "d,1b");
  EXPECT_EQ(s1->ScreenFieldCount, 2);
  EXPECT_EQ(s1->ScreenNext, 2);
  EXPECT_EQ(s1->ScreenWindow[kWindowTop], 5);
  EXPECT_EQ(s1->ScreenWindow[kWindowLeft], 10);
  EXPECT_EQ(s1->ScreenWindow[kWindowBottom], 12);
  EXPECT_EQ(s1->ScreenWindow[kWindowRight], 70);

  const FieldDefinition* f1 = FormField(1, 1);
  ASSERT_NE(f1, nullptr);
  EXPECT_EQ(f1->FieldRow, 1);
  EXPECT_EQ(f1->FieldColumn, 2);
  EXPECT_EQ(f1->FieldLabel, "Imprimir? ");
  EXPECT_EQ(f1->FieldWidth, 1);
  EXPECT_EQ(f1->FieldExtraWidth, 10);
  EXPECT_EQ(f1->FieldOptions, "|S,S\xa1|N,No");
  EXPECT_EQ(f1->FieldValue, " ");
  EXPECT_EQ(FieldValueColumn(*f1), 12);

  const FieldDefinition* f2 = FormField(1, 2);
  ASSERT_NE(f2, nullptr);
  EXPECT_EQ(f2->FieldLabel, "Nom");
  EXPECT_EQ(f2->FieldLineWidth, 10);
  EXPECT_EQ(f2->FieldFlags, 9);
  EXPECT_EQ(f2->FieldCheckCode, 7);
  EXPECT_EQ(f2->FieldBrowse, 1);
  EXPECT_EQ(f2->FieldOptions, "");
  EXPECT_EQ(f2->FieldValue, std::string(20, ' '));

  // A quoted label keeps its comma and its leading and trailing blanks.
  ASSERT_NE(FormField(2, 1), nullptr);
  EXPECT_EQ(FormField(2, 1)->FieldLabel, " Data, llarga ");
  EXPECT_EQ(FormScreen(2)->ScreenExitKeys, "d,1b,4800");

  ASSERT_EQ(BrowseCount(), 1);
  ASSERT_NE(FormBrowse(0), nullptr);
  EXPECT_EQ(FormBrowse(0)->Item[0], 0);
  EXPECT_EQ(FormBrowse(0)->Title, "");
  const BrowseDefinition* b = FormBrowse(1);
  ASSERT_NE(b, nullptr);
  const short items[8] = {502, 0, 5, 5, 20, 75, 2, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(b->Item[i], items[i]) << i;
  EXPECT_EQ(b->Title, "Remeses_del_dia");

  // Nothing outside what was loaded.
  EXPECT_EQ(FormScreen(0), nullptr);
  EXPECT_EQ(FormScreen(3), nullptr);
  EXPECT_EQ(FormField(1, 0), nullptr);
  EXPECT_EQ(FormField(1, 3), nullptr);
  EXPECT_EQ(FormField(3, 1), nullptr);
  EXPECT_EQ(FormBrowse(2), nullptr);
  EXPECT_EQ(FormBrowse(-1), nullptr);
  EXPECT_TRUE(FormScreenUsable(1));
  EXPECT_FALSE(FormScreenUsable(3));
}

TEST_F(FormDefinitionTest, CommentInsideAGroupIsData) {
  // The comment between the two field records is read as the first value of the second record
  // (its row, which is no number: 0), so every later value moves by one.
  LoadFormDefinitionText(
      "1, 2\r\n"
      "\"d\", 2, 0, 0, 0, 0, 0\r\n"
      "1, 2, A, 3, 0, 0, 0, 0, 0, \"\"\r\n"
      "' not a comment here\r\n"
      "4, 5, B, 6, 0, 0, 0, 0, 0, \"\"\r\n");
  const FieldDefinition* second = FormField(1, 2);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->FieldRow, 0);
  EXPECT_EQ(second->FieldColumn, 4);
  EXPECT_EQ(second->FieldLabel, "5");
  EXPECT_EQ(second->FieldWidth, 0);  // "B"
  EXPECT_EQ(second->FieldLineWidth, 6);
  EXPECT_EQ(second->FieldValue, "");
}

TEST_F(FormDefinitionTest, LineEndsAndCommasMixFreely) {
  // One value per line, values split over lines, blank lines between values, LF-only ends.
  LoadFormDefinitionText(
      "1\r\n2\r\n"
      "\"d\",1,\r\n0,0,0,0,0\n"
      "\r\n"
      "  7 ,  8 , \"Label\" , 4,0,0,0,0,0\r\n"
      "\"|S   ,S\xa1\"");
  const FieldDefinition* f = FormField(1, 1);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->FieldRow, 7);
  EXPECT_EQ(f->FieldColumn, 8);
  EXPECT_EQ(f->FieldLabel, "Label");
  EXPECT_EQ(f->FieldWidth, 4);
  EXPECT_EQ(f->FieldOptions, "|S   ,S\xa1");
  EXPECT_EQ(BrowseCount(), 0);
}

TEST_F(FormDefinitionTest, NumbersRoundHalfToEvenAndClip) {
  struct Case {
    const char* text;
    short value;
  } cases[] = {
      {"2.5", 2},      {"3.5", 4},        {"-2.5", -2},    {"0.49", 0},   {"1.51", 2},
      {"12", 12},      {"+7", 7},         {"-0", 0},       {"1E2", 100},  {"2.5d1", 25},
      {"40000", 32767}, {"-40000", -32768}, {"9e99", 32767}, {"abc", 0},   {"", 0},
      {"12abc", 12},   {".5", 0},         {"1.5", 2},      {"- 3", 0},    {"7e", 7},
  };
  for (const Case& c : cases) {
    LoadFormDefinitionText(std::string("1, 1\r\n\"d\", 1, 0, 0, 0, 0, 0\r\n") + c.text +
                           ", 1, L, 1, 0, 0, 0, 0, 0, \"\"\r\n");
    ASSERT_NE(FormField(1, 1), nullptr) << c.text;
    EXPECT_EQ(FormField(1, 1)->FieldRow, c.value) << c.text;
  }
}

TEST_F(FormDefinitionTest, FileEndingAfterTheScreensHasNoBrowses) {
  LoadFormDefinitionText(
      "2, 1\r\n"
      "\"d\", 1, 0, 0, 0, 0, 0\r\n"
      "1, 1, A, 1, 0, 0, 0, 0, 0, \"\"\r\n"
      "\"d\", 1, 0, 0, 0, 0, 0\r\n"
      "2, 1, B, 2, 0, 0, 0, 0, 0, \"\"\r\n");
  ASSERT_EQ(ScreenCount(), 2);
  ASSERT_NE(FormField(2, 1), nullptr);
  EXPECT_EQ(FormField(2, 1)->FieldLabel, "B");
  EXPECT_EQ(FormField(2, 1)->FieldValue, "  ");
  EXPECT_EQ(BrowseCount(), 0);
}

TEST_F(FormDefinitionTest, ShortAndOddFilesStayInBounds) {
  // A file cut inside a field record, a header promising more screens than follow, huge counts,
  // a browse count of 0 followed by more lines, and a last line without its line end.
  LoadFormDefinitionText("3, 30000\r\n\"d\", 30000, 0, 0, 0, 0, 0\r\n1, 2, A");
  ASSERT_EQ(ScreenCount(), 3);
  ASSERT_EQ(FormScreen(1)->ScreenFieldCount, 1);
  EXPECT_EQ(FormField(1, 1)->FieldLabel, "A");
  EXPECT_EQ(FormField(1, 1)->FieldValue, "");
  EXPECT_EQ(FormScreen(2)->ScreenFieldCount, 0);
  EXPECT_FALSE(FormScreenUsable(2));

  LoadFormDefinitionText(
      "1, 1\r\n\"d\", 1, 0, 0, 0, 0, 0\r\n1, 1, A, 1, 0, 0, 0, 0, 0, \"\"\r\n0\r\n"
      "1, 2, 3, 4, 5, 6, 7, T, 8\r\n");
  EXPECT_EQ(BrowseCount(), 0);
  ASSERT_NE(FormBrowse(0), nullptr);

  LoadFormDefinitionText("-4, -1\r\n' only a comment");
  EXPECT_EQ(ScreenCount(), 0);
  EXPECT_EQ(FormScreen(1), nullptr);

  LoadFormDefinitionText("");
  EXPECT_EQ(ScreenCount(), 0);
  EXPECT_TRUE(FormDefinition.FileRead);

  LoadFormDefinitionText(
      "1, 1\r\n\"unterminated, d\r\n1, 0, 0, 0, 0, 0\r\n1, 1, A, 1, 0, 0, 0, 0, 0, x\x1a" "9, 9");
  ASSERT_NE(FormScreen(1), nullptr);
  EXPECT_EQ(FormScreen(1)->ScreenExitKeys, "unterminated, d");  // ends at the line end
  ASSERT_NE(FormField(1, 1), nullptr);
  EXPECT_EQ(FormField(1, 1)->FieldOptions, "x");  // byte 26 ends the text
}

TEST_F(FormDefinitionTest, LoadsTheModuleFileAndTranslatesTexts) {
  ::mkdir((dir.Path() + "FORMS").c_str(), 0755);
  ::mkdir((dir.Path() + "LOCALE").c_str(), 0755);
  dir.Write("FORMS/BANKLIST.TPN",
            "1, 2\r\n\"d,1b\", 2, 0, 0, 0, 0, 0\r\n"
            "1, 2, \"Imprimir? \", 1, 0, 2, 0, 0, 0, \"|S,S\xa1|N,No\"\r\n"
            "2, 2, Nom, 3, 0, 0, 0, 0, 0, \"\"\r\n"
            "1\r\n0, 0, 1, 1, 5, 40, 0, Llista, 0\r\n");
  // Entries: Catalan key, then Galician, Aranese and Spanish.
  dir.Write("LOCALE/BANKLIST.LNG",
            "Imprimir? \r\nImprimir? \r\nImprimir? \r\n\xa8" "Desea imprimir? \r\n"
            "|S,S\xa1|N,No\r\n|S,Si|N,Non\r\n|S,\xe3" "c|N,Non\r\n|S,S\xa1|N,No \r\n"
            "Llista\r\nLista\r\nLista\r\nListado\r\n");
  SessionSettings.LanguageCode = "SPA";
  LoadFormDefinition();
  ASSERT_TRUE(FormDefinition.FileRead);
  const FieldDefinition* f = FormField(1, 1);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->FieldLabel, "\xa8" "Desea imprimir? ");
  // The longer label moves the value to the right.
  EXPECT_EQ(FieldValueColumn(*f), 2 + 17);
  EXPECT_EQ(f->FieldOptions, "|S,S\xa1|N,No ");
  EXPECT_EQ(FormField(1, 2)->FieldLabel, "Nom");  // no entry: unchanged
  EXPECT_EQ(FormBrowse(1)->Title, "Listado");
  EXPECT_EQ(FormDefinitionPath(), dir.Path() + "FORMS\\BANKLIST.TPN");
}

TEST_F(FormDefinitionTest, MissingOrUnreadableFileLoadsNothing) {
  LoadFormDefinitionText(kTwoScreens);
  LoadFormDefinition();  // no FORMS directory
  EXPECT_FALSE(FormDefinition.FileRead);
  EXPECT_EQ(ScreenCount(), 0);
  EXPECT_FALSE(FormScreenUsable(1));

  ::mkdir((dir.Path() + "FORMS").c_str(), 0755);
  ::mkdir((dir.Path() + "FORMS/BANKLIST.TPN").c_str(), 0755);  // a directory, not a file
  EXPECT_FALSE(LoadFormDefinitionFile(FormDefinitionPath()));
  EXPECT_EQ(ScreenCount(), 0);
}

}  // namespace

namespace {

std::string ReadSource(const std::string& relative) {
  std::ifstream in(std::string(BANKLIST_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The demo installation's form: the answer is the first field of screen 1, an option field with
// the codes N and S, left with Enter or Esc; its texts are translated by the demo's language file.
TEST_F(FormDefinitionTest, DemoFormAndItsTranslations) {
  const std::string form = ReadSource("demo/root/FORMS/BANKLIST.TPN");
  ASSERT_FALSE(form.empty());
  ::mkdir((dir.Path() + "LOCALE").c_str(), 0755);
  dir.Write("LOCALE/BANKLIST.LNG", ReadSource("demo/locale/30-form.lng"));
  struct Case {
    const char* language;
    const char* label;
    const char* options;
  } cases[] = {
      {"CAT", "Imprimir la taula de remeses? ", "|N,No|S,S\xa1"},
      {"SPA", "\xa8" "Imprimir la tabla de remesas? ", "|N,No|S,S\xa1"},
      {"GLG", "Imprimir a t\xa0" "boa de remesas? ", "|N,Non|S,Si"},
      {"OCI", "Imprimir eth tabl\x8a" "u de remesas? ", "|N,Non|S,\xe3" "c"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    SessionSettings.LanguageCode = c.language;
    LoadFormDefinitionText(form);
    ASSERT_TRUE(FormScreenUsable(1));
    EXPECT_EQ(FormScreen(1)->ScreenExitKeys, "d,1b");
    const FieldDefinition* answer = FormField(1, 1);
    EXPECT_EQ(answer->FieldLabel, c.label);
    EXPECT_EQ(answer->FieldOptions, c.options);
    EXPECT_EQ(answer->FieldWidth, 1);
    EXPECT_EQ(answer->FieldFlags, 0);
    EXPECT_EQ(answer->FieldValue, " ");
    // The other fields are shown only.
    for (short f = 2; f <= FormScreen(1)->ScreenFieldCount; ++f)
      EXPECT_EQ(FormField(1, f)->FieldFlags & kFieldDisplayOnly, kFieldDisplayOnly);
    EXPECT_EQ(BrowseCount(), 0);
  }
}

}  // namespace
