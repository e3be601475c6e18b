#include "data/data_files.h"

#include <array>
#include <filesystem>

#include "data_support.h"

namespace data_test {
namespace {

using Record = std::array<unsigned char, 20>;

// Record length 20; key 0 a 4-byte binary number, key 1 a 10-byte name with duplicates, key 2
// three segments of 2, 1 and 3 bytes.
std::string FixtureSpec() {
  return MakeSpec(20, {{{1, 4, KeyBinary}},
                       {{5, 10, KeyDuplicates}},
                       {{15, 2, 0}, {17, 1, 0}, {18, 3, 0}}});
}

class DataFilesTest : public DataTest {
 protected:
  // Creates DADES/<name> natively and returns the suite's name of it (without extension when
  // `suite_extension` is empty).
  std::string MakeFile(const std::string& native_name, const std::string& suite_name) {
    EXPECT_EQ(CreateDataFile(Native("DADES/" + native_name), FixtureSpec()), 0);
    return SessionSettings.RootDirectory + "DADES\\" + suite_name;
  }
  Record record_{};
};

TEST_F(DataFilesTest, SlotsAreTakenFromTheHighestDown) {
  const std::string name = MakeFile("TRemeses.dat", "TRemeses");
  short status = -1;
  OpenDataFile(502, name, record_, status);
  EXPECT_EQ(status, 0);
  OpenDataFile(77, name, record_, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(FindDataFileSlot(502), 40);
  EXPECT_EQ(FindDataFileSlot(77), 39);
  EXPECT_EQ(FindDataFileSlot(5), -38);  // not open: minus the highest free slot
  EXPECT_EQ(FindDataFileSlot(0), -38);  // no file is ever open under number 0
  EXPECT_TRUE(ends_.empty());
}

TEST_F(DataFilesTest, SecondOpenOfANumberAndAFullTableAreRefused) {
  const std::string name = MakeFile("TRemeses.dat", "TRemeses");
  short status = -1;
  OpenDataFile(502, name, record_, status);
  ASSERT_EQ(status, 0);
  OpenDataFile(502, SessionSettings.RootDirectory + "DADES\\Other", record_, status);
  EXPECT_EQ(status, 1002);
  short key_length = 0, record_length = 0;
  StatDataFile(502, 0, key_length, record_length);
  EXPECT_EQ(record_length, 20);  // the first opening is intact

  for (short n = 1; n < 40; ++n) {
    OpenDataFile(n, name, record_, status);
    ASSERT_EQ(status, 0) << n;
  }
  OpenDataFile(41, name, record_, status);
  EXPECT_EQ(status, 1003);
  EXPECT_EQ(FindDataFileSlot(41), 0);
  OpenDataFile(0, name, record_, status);
  EXPECT_EQ(status, 1002);
  EXPECT_TRUE(ends_.empty());
  EXPECT_EQ(Screen().Bells(), 0);
}

TEST_F(DataFilesTest, FileNumberZeroIsNeverOpened) {
  const std::string name = MakeFile("TRemeses.dat", "TRemeses");
  short status = -1;
  OpenDataFile(0, name, record_, status);
  EXPECT_EQ(status, 1002);
  for (const DataFileSlot& slot : DataFileTable.Slots) EXPECT_EQ(slot.FileNumber, 0);
}

TEST(DataFileNameTest, SplitsDirectoryBaseAndExtension) {
  struct Case {
    std::string name, directory, base, extension;
  };
  const Case cases[] = {
      {"DADES\\TRemeses", "DADES\\", "TRemeses", ".dat"},
      {"C:\\DATA\\X.OLD.DAT", "C:\\DATA\\", "X", ".OLD.DAT"},
      {"A.B.C", "", "A", ".B.C"},
      {"plain", "", "plain", ".dat"},
      {"dir/sub/file.idx", "dir/sub/", "file", ".idx"},
      {"C:file", "C:", "file", ".dat"},
      {"C:file.x", "C:", "file", ".x"},
      {"DIR.V2\\FILE", "DIR.V2\\", "FILE", ".dat"},
      {"a.b/c", "a.b/", "c", ".dat"},
      {"x:y/z\\w.e", "x:y/z\\", "w", ".e"},
      {"name.", "", "name", "."},
      {"DADES\\", "DADES\\", "", ".dat"},
      {"", "", "", ".dat"},
  };
  for (const Case& c : cases) {
    const DataFileName parts = SplitDataFileName(c.name);
    EXPECT_EQ(parts.Directory, c.directory) << c.name;
    EXPECT_EQ(parts.Base, c.base) << c.name;
    EXPECT_EQ(parts.Extension, c.extension) << c.name;
  }
}

TEST_F(DataFilesTest, NameWithoutExtensionOpensTheDatFileWhateverItsCase) {
  MakeFile("remeses.dat", "");
  MakeFile("remeses.old", "");
  short status = -1;
  OpenDataFile(1, SessionSettings.RootDirectory + "dades\\REMESES", record_, status);
  EXPECT_EQ(status, 0);
  OpenDataFile(2, SessionSettings.RootDirectory + "DADES\\Remeses.OLD", record_, status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(ends_.empty());
}

TEST_F(DataFilesTest, MissingFileIsCreatedFromItsDictionaryAndOpened) {
  WriteDictionary(Native("ddf/TRemeses.xdf"), FixtureSpec());
  short status = -1;
  OpenDataFile(502, SessionSettings.RootDirectory + "DADES\\TRemeses", record_, status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(ends_.empty());
  EXPECT_TRUE(std::filesystem::exists(Native("DADES/TRemeses.dat")));
  const DataFileSlot& slot = DataSlot(FindDataFileSlot(502));
  EXPECT_EQ(slot.RecordLength, 20);
  EXPECT_EQ(slot.KeyNumber, 0);
  EXPECT_EQ(slot.LockMode, 0);
  EXPECT_EQ(slot.KeyValue, std::string(4, '\0'));  // as long as key 0
}

TEST_F(DataFilesTest, DictionaryIsFoundByTheBaseNameOnly) {
  std::filesystem::create_directories(Native("DATA"));
  WriteDictionary(Native("ddf/X.xdf"), FixtureSpec());
  short status = -1;
  OpenDataFile(3, SessionSettings.RootDirectory + "DATA\\X.OLD.DAT", record_, status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(std::filesystem::exists(Native("DATA/X.OLD.DAT")));
}

TEST_F(DataFilesTest, StatDataFileSumsSegmentsAndRefusesUnknownKeys) {
  const std::string name = MakeFile("TRemeses.dat", "TRemeses");
  short status = -1;
  OpenDataFile(502, name, record_, status);
  ASSERT_EQ(status, 0);
  struct Case {
    short key;
    short key_length;
  };
  const Case cases[] = {{0, 4}, {1, 10}, {2, 6}, {3, 0}, {-1, 0}, {127, 0}};
  for (const Case& c : cases) {
    short key_length = -1, record_length = -1;
    StatDataFile(502, c.key, key_length, record_length);
    EXPECT_EQ(key_length, c.key_length) << c.key;
    EXPECT_EQ(record_length, 20) << c.key;
  }
  short key_length = -1, record_length = -1;
  StatDataFile(9, 0, key_length, record_length);
  EXPECT_EQ(key_length, 0);
  EXPECT_EQ(record_length, 0);
}

TEST(KeyLengthInSpecificationTest, BlockEndingInsideTheSegmentsGivesZero) {
  const std::string spec = FixtureSpec();
  EXPECT_EQ(KeyLengthInSpecification(spec, 2), 6);
  EXPECT_EQ(KeyLengthInSpecification(spec.substr(0, spec.size() - 1), 2), 0);
  EXPECT_EQ(KeyLengthInSpecification(spec.substr(0, 5), 0), 0);
  std::string many_keys = spec;
  PutWord(many_keys, 4, 0xffff);  // claims more keys than the block holds
  EXPECT_EQ(KeyLengthInSpecification(many_keys, 500), 0);
}

TEST_F(DataFilesTest, OpenWaitsWhileTheFileIsLockedElsewhere) {
  const std::string name = MakeFile("TRemeses.dat", "TRemeses");
  LockHolder holder;
  ASSERT_TRUE(holder.Start(Native("DADES/TRemeses.dat"), LockHolder::Kind::File));
  on_sleep_ = [&](int count) {
    if (count == 2) holder.Release();
  };
  short status = -1;
  OpenDataFile(502, name, record_, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(sleeps_, (std::vector<int>{3000, 3000}));
  EXPECT_EQ(Screen().Bells(), 0);  // silently
  EXPECT_EQ(WindowState.WindowDepth, 0);
  EXPECT_EQ(Screen().RowText(10), std::string(80, ' '));
}

TEST_F(DataFilesTest, CloseAllEmptiesTheTable) {
  const std::string name = MakeFile("TRemeses.dat", "TRemeses");
  short status = -1;
  OpenDataFile(502, name, record_, status);
  OpenDataFile(7, name, record_, status);
  ASSERT_EQ(status, 0);
  CloseAllDataFiles(status);
  EXPECT_EQ(status, 0);
  for (const DataFileSlot& slot : DataFileTable.Slots) {
    EXPECT_EQ(slot.FileNumber, 0);
    EXPECT_EQ(slot.RecordArea, nullptr);
    EXPECT_TRUE(slot.KeyValue.empty());
  }
  EXPECT_EQ(FindDataFileSlot(502), -40);
  // The table starts again from slot 40.
  OpenDataFile(8, name, record_, status);
  EXPECT_EQ(FindDataFileSlot(8), 40);
}

TEST(OwnerNameTest, IsFourDigitsAndANul) {
  const std::string owner = OwnerName();
  ASSERT_EQ(owner.size(), 5u);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(owner[i] >= '0' && owner[i] <= '9');
  EXPECT_EQ(owner[4], '\0');
}

// A console that records the screen while the program waits for the key, and delivers the
// operator's key only after the waiting keys have been discarded.
class OperatorConsole : public MemoryConsole {
 public:
  bool ReadEvent(ConsoleEvent& event) override {
    ++reads;
    if (reads == 1) {
      for (int row = 1; row <= kConsoleRows; ++row) screen_while_waiting.push_back(RowText(row));
      depth_while_waiting = WindowState.WindowDepth;
    }
    return MemoryConsole::ReadEvent(event);
  }
  void DiscardInput() override {
    MemoryConsole::DiscardInput();
    ++discards;
    PushKey(13, 0x1C);  // the key pressed after the message appeared
  }
  int reads = 0;
  int discards = 0;
  short depth_while_waiting = 0;
  std::vector<std::string> screen_while_waiting;
};

class OpenFailureTest : public DataFilesTest {
 protected:
  void SetUp() override {
    DataFilesTest::SetUp();
    SetCurrentConsole(&console_);
  }
  void TearDown() override {
    SetCurrentConsole(nullptr);
    DataFilesTest::TearDown();
  }
  OperatorConsole console_;
};

TEST(FailureTextTest, MessagesInEachLanguageAsCodePage850Bytes) {
  struct Case {
    const char* language;
    std::string access;
    std::string locked;
  };
  const Case cases[] = {
      {"SPA", "NO SE PUEDE ACCEDER AL FICHERO ", "FICHERO BLOQUEADO. ESPERE UN MOMENTO."},
      {"GLG", "NOM SE PODE ACEDER AO FICHEIRO ", "FICHEIRO BLOQUEADO. ESPERE UM MOMENTO."},
      {"OCI", "NON SE P\xE3T ACCEDIR ATH FICH\xD4R ", "FICH\xD4R BLOQUEJAT. ESPERATZ UN MOMENT."},
      {"CAT", "NO ES POT ACCEDIR AL FITXER ", "FITXER BLOQUEJAT. ESPEREU UN MOMENT."},
      {"   ", "NO ES POT ACCEDIR AL FITXER ", "FITXER BLOQUEJAT. ESPEREU UN MOMENT."},
      {"spa", "NO ES POT ACCEDIR AL FITXER ", "FITXER BLOQUEJAT. ESPEREU UN MOMENT."},
  };
  for (const Case& c : cases) {
    ResetSessionSettings();
    SessionSettings.LanguageCode = c.language;
    EXPECT_EQ(FileAccessFailureText(), c.access) << c.language;
    EXPECT_EQ(LockedFileText(), c.locked) << c.language;
  }
  ResetSessionSettings();
}

TEST_F(OpenFailureTest, MessageKeyAndEndInEachLanguage) {
  const char* languages[] = {"SPA", "GLG", "OCI", "   "};
  for (const char* language : languages) {
    SCOPED_TRACE(language);
    SessionSettings.LanguageCode = language;
    console_.Reset();
    console_.reads = console_.discards = 0;
    console_.screen_while_waiting.clear();
    ends_.clear();
    console_.PushKey('x', 0x2D);  // typed ahead: must not answer the message

    const std::string name = "NOWHERE\\Missing";  // neither the file nor its dictionary exist
    short status = -1;
    OpenDataFile(502, name, record_, status);

    EXPECT_EQ(ends_, std::vector<int>{0});
    EXPECT_EQ(status, 12);
    EXPECT_EQ(console_.Bells(), 1);
    EXPECT_EQ(console_.discards, 1);
    EXPECT_EQ(console_.PendingEvents(), 0u);  // the key pressed after the discard was read
    // The message window, one line, placed near row 12: frame rows 9 to 11.
    const std::string message = FileAccessFailureText() + name + " (12)";
    const int width = static_cast<int>(message.size()) + 4;
    const int left = 41 - ((static_cast<int>(message.size()) + 1) / 2) - 2;
    ASSERT_EQ(console_.screen_while_waiting.size(), 25u);
    EXPECT_EQ(console_.depth_while_waiting, 1);
    EXPECT_EQ(console_.screen_while_waiting[9].substr(static_cast<std::size_t>(left + 1),
                                                      message.size()),
              message);
    EXPECT_EQ(static_cast<unsigned char>(console_.screen_while_waiting[8][left - 1]), 218);
    EXPECT_EQ(static_cast<unsigned char>(console_.screen_while_waiting[10][left + width - 2]),
              217);
    // Afterwards the window is gone and every data file closed.
    EXPECT_EQ(WindowState.WindowDepth, 0);
    EXPECT_EQ(console_.RowText(10), std::string(80, ' '));
    EXPECT_FALSE(std::filesystem::exists(WindowStackPath()));
    for (const DataFileSlot& slot : DataFileTable.Slots) EXPECT_EQ(slot.FileNumber, 0);
  }
}

TEST_F(OpenFailureTest, UnusableDictionaryFailsTheCreation) {
  struct Case {
    std::string base;
    std::string dictionary;  // empty: no dictionary file at all
    bool write;
    short status;
  };
  const Case cases[] = {
      {"Absent", "", false, 12},
      {"Empty", "", true, 12},
      {"Refused", MakeSpec(0, {{{1, 4, KeyBinary}}}), true, 28},  // the engine's own status
      {"TooBig", std::string(1600, '\0'), true, 22},
  };
  for (const Case& c : cases) {
    ends_.clear();
    if (c.write) WriteDictionary(Native("ddf/" + c.base + ".xdf"), c.dictionary);
    short status = -1;
    OpenDataFile(502, "NOWHERE\\" + c.base, record_, status);
    EXPECT_EQ(status, c.status) << c.base;
    EXPECT_EQ(ends_, std::vector<int>{0}) << c.base;
    EXPECT_EQ(FindDataFileSlot(502), -40) << c.base;
  }
}

TEST_F(OpenFailureTest, RecordLongerThanTheDataBufferIsRefused) {
  ASSERT_EQ(CreateDataFile(Native("DADES/Big.dat"), MakeSpec(2000, {{{1, 4, KeyBinary}}})), 0);
  short status = -1;
  OpenDataFile(502, SessionSettings.RootDirectory + "DADES\\Big", record_, status);
  EXPECT_EQ(status, 22);
  EXPECT_EQ(ends_, std::vector<int>{0});
  EXPECT_EQ(FindDataFileSlot(502), -40);
}

TEST_F(OpenFailureTest, TooLongANameStillEndsWithoutAWindowBeneathBeingClosed) {
  // A caller's window stays open under the failure; the message is too long for any window.
  PushWindow(2, 2, 4, 10);
  ASSERT_EQ(WindowState.WindowDepth, 1);
  const std::string name(2000, 'N');
  short status = -1;
  OpenDataFile(502, name, record_, status);
  EXPECT_EQ(ends_, std::vector<int>{0});
  EXPECT_EQ(status, 11);
  EXPECT_EQ(WindowState.WindowDepth, 1);
  PopWindow();
}

}  // namespace
}  // namespace data_test
