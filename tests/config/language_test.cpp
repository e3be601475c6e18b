#include "config/language.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "config/session.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace {

// A scratch root with a LOCALE directory, the module BANKLIST and a session language.
class TranslateTextTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSessionSettings();
    LanguageFileName.clear();
    SessionSettings.RootDirectory = root_.Path();
    ModuleName = "BANKLIST";
    mkdir((root_.Path() + "LOCALE").c_str(), 0755);
  }
  void TearDown() override {
    ResetSessionSettings();
    LanguageFileName.clear();
  }
  std::string FilePath() const { return root_.Path() + "LOCALE/BANKLIST.LNG"; }
  void WriteLanguageFile(const std::string& bytes) { root_.Write("LOCALE/BANKLIST.LNG", bytes); }
  std::string Translate(const char* language, const std::string& text) {
    SessionSettings.LanguageCode = language;
    return TranslateText(text);
  }

  TempDir root_;
};

const char kTitle[] = "TAULA DE REMESES EN DISKETTE";

TEST_F(TranslateTextTest, EachLanguageTakesItsLine) {
  WriteLanguageFile(std::string(kTitle) +
                    "\r\nTABOA DE REMESAS EN DISQUETE\r\nTAULA DE REMESES EN DISQUET\r\n"
                    "TABLA DE REMESAS EN DISQUETE\r\nP\xB7GINA \r\nP\xB5XINA \r\nPAGINA \r\n"
                    "P\xB5GINA \r\n");
  const struct {
    const char* language;
    std::string text;
    std::string result;
  } cases[] = {
      {"SPA", kTitle, "TABLA DE REMESAS EN DISQUETE"},
      {"GLG", kTitle, "TABOA DE REMESAS EN DISQUETE"},
      {"OCI", kTitle, "TAULA DE REMESES EN DISQUET"},
      {"ENG", kTitle, kTitle},
      {"   ", kTitle, kTitle},
      {"spa", kTitle, kTitle},
      {"SPA", "P\xB7GINA ", "P\xB5GINA "},
      {"SPA", "P\xB7GINA", "P\xB7GINA"},    // trailing blanks count
      {"SPA", "TAULA", "TAULA"},            // no entry
      {"SPA", "", ""},
      {"SPA", "TABLA DE REMESAS EN DISQUETE", "TABLA DE REMESAS EN DISQUETE"},  // only keys match
  };
  for (const auto& c : cases)
    EXPECT_EQ(Translate(c.language, c.text), c.result) << c.language << " [" << c.text << "]";
  EXPECT_EQ(LanguageFileName, "BANKLIST");
}

TEST_F(TranslateTextTest, CatalanNeitherOpensNorCreatesTheFile) {
  EXPECT_EQ(Translate("CAT", kTitle), kTitle);
  EXPECT_FALSE(FileExists(FilePath()));
  EXPECT_EQ(LanguageFileName, "");
}

TEST_F(TranslateTextTest, MissingFileIsCreatedEmpty) {
  EXPECT_EQ(Translate("SPA", kTitle), kTitle);
  ASSERT_TRUE(FileExists(FilePath()));
  struct stat info;
  ASSERT_EQ(stat(FilePath().c_str(), &info), 0);
  EXPECT_EQ(info.st_size, 0);
  EXPECT_EQ(Translate("ENG", kTitle), kTitle);
}

TEST_F(TranslateTextTest, NoLocaleDirectoryGivesTheText) {
  rmdir((root_.Path() + "LOCALE").c_str());
  EXPECT_EQ(Translate("SPA", kTitle), kTitle);
}

TEST_F(TranslateTextTest, FirstEntryWinsAndEmptyTranslationsStayEmpty) {
  WriteLanguageFile("A\r\nga1\r\noc1\r\nes1\r\nA\r\nga2\r\noc2\r\nes2\r\nB\r\n\r\noc\r\n\r\n");
  EXPECT_EQ(Translate("SPA", "A"), "es1");
  EXPECT_EQ(Translate("GLG", "B"), "");
  EXPECT_EQ(Translate("OCI", "B"), "oc");
}

TEST_F(TranslateTextTest, LinesMissingAtTheEnd) {
  // The last entry has its key and two translations: the Spanish one reads as empty.
  WriteLanguageFile("A\r\nga\r\noc\r\nes\r\nB\r\ngb\r\nob\r\n");
  EXPECT_EQ(Translate("SPA", "A"), "es");
  EXPECT_EQ(Translate("SPA", "B"), "");
  EXPECT_EQ(Translate("OCI", "B"), "ob");
  // A key on the very last line has no translations and never matches, line end or not.
  WriteLanguageFile("A\r\nga\r\noc\r\nes\r\nC");
  EXPECT_EQ(Translate("SPA", "C"), "C");
  WriteLanguageFile("A\r\nga\r\noc\r\nes\r\nC\r\n");
  EXPECT_EQ(Translate("SPA", "C"), "C");
  // The end-of-text byte ends the file.
  WriteLanguageFile("A\r\nga\r\noc\r\nes\r\n\x1A" "B\r\ngb\r\nob\r\nsb\r\n");
  EXPECT_EQ(Translate("SPA", "B"), "B");
}

TEST_F(TranslateTextTest, TrailingBlanksOnKeyLines) {
  WriteLanguageFile("TITOL \r\ng\r\no\r\ns\r\nNOM\r\ng2\r\no2\r\ns2\r\n");
  EXPECT_EQ(Translate("SPA", "TITOL"), "TITOL");
  EXPECT_EQ(Translate("SPA", "TITOL "), "s");
  EXPECT_EQ(Translate("SPA", "NOM "), "NOM ");
  EXPECT_EQ(Translate("SPA", "NOM"), "s2");
}

TEST_F(TranslateTextTest, FileChangesTakeEffectAtTheNextCall) {
  WriteLanguageFile("A\r\ng\r\no\r\nold\r\n");
  EXPECT_EQ(Translate("SPA", "A"), "old");
  WriteLanguageFile("A\r\ng\r\no\r\nnew\r\n");
  EXPECT_EQ(Translate("SPA", "A"), "new");
}

TEST_F(TranslateTextTest, LanguageFileNameIsKeptOnceSet) {
  LanguageFileName = "OTHER";
  root_.Write("LOCALE/OTHER.LNG", "A\r\ng\r\no\r\nother\r\n");
  EXPECT_EQ(Translate("SPA", "A"), "other");
  EXPECT_FALSE(FileExists(FilePath()));
}

TEST_F(TranslateTextTest, ADirectoryInPlaceOfTheFileGivesTheText) {
  mkdir(FilePath().c_str(), 0755);
  EXPECT_EQ(Translate("SPA", kTitle), kTitle);
}

}  // namespace
