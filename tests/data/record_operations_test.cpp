#include "data/record_operations.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <random>

#include "data_support.h"

namespace data_test {
namespace {

using Record = std::array<unsigned char, 20>;

// Record length 20: bytes 0-3 a binary number (key 0), 4-13 a name (key 1, duplicates),
// 14-19 a code of three segments (key 2).
std::string FixtureSpec() {
  return MakeSpec(20, {{{1, 4, KeyBinary}},
                       {{5, 10, KeyDuplicates}},
                       {{15, 2, 0}, {17, 1, 0}, {18, 3, 0}}});
}

std::string FixtureRecord(unsigned number, const std::string& name) {
  std::string record = Le32(number);
  std::string padded = name;
  padded.resize(10, ' ');
  record += padded;
  record += "AB";
  record.push_back(static_cast<char>('0' + number));
  record += "XYZ";
  return record;
}

unsigned NumberIn(const Record& record) {
  return record[0] | (record[1] << 8) | (record[2] << 16) | (static_cast<unsigned>(record[3]) << 24);
}

class RecordOperationsTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    ASSERT_EQ(CreateDataFile(Native("DADES/TRemeses.dat"), FixtureSpec(),
                             {FixtureRecord(1, "E"), FixtureRecord(2, "D"), FixtureRecord(3, "C"),
                              FixtureRecord(4, "B"), FixtureRecord(5, "A")}),
              0);
  }
  void Open(short file_number = 502) {
    short status = -1;
    OpenDataFile(file_number, SessionSettings.RootDirectory + "DADES\\TRemeses", record_, status);
    ASSERT_EQ(status, 0);
  }
  const DataFileSlot& Slot(short file_number = 502) { return DataSlot(FindDataFileSlot(file_number)); }
  Record record_{};
};

TEST_F(RecordOperationsTest, FirstRecordByKeyZeroThenStepsToTheEnd) {
  Open();
  short status = -1;
  ReadByKey(502, 0, "", 1, status);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(NumberIn(record_), 1u);
  EXPECT_EQ(std::string(record_.begin(), record_.end()), FixtureRecord(1, "E"));
  EXPECT_EQ(Slot().KeyValue, Le32(1));
  std::vector<unsigned> seen;
  for (;;) {
    StepRecords(502, 1, status);
    if (status != 0) break;
    seen.push_back(NumberIn(record_));
  }
  EXPECT_EQ(status, 9);
  EXPECT_EQ(seen, (std::vector<unsigned>{2, 3, 4, 5}));
}

TEST_F(RecordOperationsTest, KeyValueIsPaddedWithZerosOrCutToTheKey) {
  Open();
  short status = -1;
  ReadByKey(502, 1, "C", 1, status);  // first at or after "C" and nine zero bytes
  EXPECT_EQ(status, 0);
  EXPECT_EQ(NumberIn(record_), 3u);
  ReadByKey(502, 1, "C", -1, status);  // last at or before it
  EXPECT_EQ(status, 0);
  EXPECT_EQ(NumberIn(record_), 4u);
  ReadByKey(502, 1, "C", 0, status);  // "C" padded with zeros is no stored name
  EXPECT_EQ(status, 4);
  ReadByKey(502, 0, Le32(2) + "longer than the key", 0, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(NumberIn(record_), 2u);
  EXPECT_EQ(Slot().KeyValue, Le32(2));
  ReadByKey(502, 2, "AB4XYZ", 0, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(NumberIn(record_), 4u);
}

TEST_F(RecordOperationsTest, StepCountsBackwardsAndZero) {
  Open();
  short status = -1;
  ReadByKey(502, 0, Le32(5), 0, status);
  ASSERT_EQ(status, 0);
  record_[10] = 0xEE;
  StepRecords(502, 0, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(record_[10], 0xEE);  // nothing read
  StepRecords(502, -3, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(NumberIn(record_), 2u);
  EXPECT_EQ(Slot().KeyValue, Le32(2));
  // From 2, three back: the plain moves reach 1 and then the start; the last read never runs.
  StepRecords(502, -3, status);
  EXPECT_EQ(status, 9);
  EXPECT_EQ(NumberIn(record_), 2u);
  ReadByKey(502, 1, "", 1, status);  // along the names: A (5), B (4), ...
  StepRecords(502, 2, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(NumberIn(record_), 3u);
}

TEST_F(RecordOperationsTest, UnknownKeyChangesNeitherKeyNorPosition) {
  Open();
  short status = -1;
  ReadByKey(502, 0, Le32(2), 0, status);
  ASSERT_EQ(status, 0);
  for (short key : {3, -1, 200}) {
    ReadByKey(502, key, "", 1, status);
    EXPECT_EQ(status, 1004) << key;
  }
  EXPECT_EQ(Slot().KeyNumber, 0);
  EXPECT_EQ(Slot().KeyValue, Le32(2));
  StepRecords(502, 1, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(NumberIn(record_), 3u);
}

TEST_F(RecordOperationsTest, DirectReads) {
  Open();
  EXPECT_EQ(ReadDirect(502, 0), 0);  // no current record
  short status = -1;
  ReadByKey(502, 0, Le32(4), 0, status);
  const std::int32_t position = ReadDirect(502, 0);
  EXPECT_GT(position, 0);
  ReadByKey(502, 0, "", 1, status);
  ASSERT_EQ(NumberIn(record_), 1u);
  EXPECT_EQ(ReadDirect(502, position), 0);
  EXPECT_EQ(NumberIn(record_), 4u);
  EXPECT_EQ(Slot().KeyValue, Le32(4));
  StepRecords(502, 1, status);  // current in the current key's order
  EXPECT_EQ(status, 0);
  EXPECT_EQ(NumberIn(record_), 5u);
  EXPECT_EQ(ReadDirect(502, 99999), 43);
  EXPECT_EQ(NumberIn(record_), 5u);
}

TEST_F(RecordOperationsTest, FileNotOpenGivesStatusThree) {
  Open();
  short status = -1;
  ReadByKey(9, 0, "", 1, status);
  EXPECT_EQ(status, 3);
  status = -1;
  StepRecords(9, 1, status);
  EXPECT_EQ(status, 3);
  status = -1;
  SetLockMode(9, "A", status);
  EXPECT_EQ(status, 3);
  EXPECT_EQ(ReadDirect(9, 0), 0);
  EXPECT_EQ(ReadDirect(9, 12), 3);
  EXPECT_EQ(KeyInCollatingOrder("ab", 9), "ab");
  EXPECT_EQ(CurrentKeyInCollatingOrder(9), "");
  status = 77;
  SetLockMode(502, "A", status);
  EXPECT_EQ(status, 77);  // untouched for an open file
}

TEST_F(RecordOperationsTest, RecordLongerThanTheRecordLengthCountsAsRead) {
  // Variable-length records: 8 bytes of fixed part, stored records of 12.
  ASSERT_EQ(CreateDataFile(Native("DADES/Var.dat"), MakeSpec(8, {{{1, 4, KeyBinary}}}, "",
                                                             FileVariableLength),
                           {Le32(1) + "abcdWXYZ", Le32(2) + "efghWXYZ"}),
            0);
  std::array<unsigned char, 16> area;
  area.fill(0xAA);
  short status = -1;
  OpenDataFile(60, SessionSettings.RootDirectory + "DADES\\Var", area, status);
  ASSERT_EQ(status, 0);
  ReadByKey(60, 0, "", 1, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(std::string(area.begin(), area.begin() + 8), Le32(1) + "abcd");
  EXPECT_EQ(area[8], 0xAA);
  StepRecords(60, 1, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(std::string(area.begin(), area.begin() + 8), Le32(2) + "efgh");
}

TEST_F(RecordOperationsTest, LockCommandsSaveAndRestore) {
  Open(502);
  Open(7);
  short status = 0;
  struct Step {
    short file;
    const char* commands;
    short mode_502;
    short mode_7;
  };
  const Step steps[] = {
      {502, "a", 1, 0},  {502, "+b", 2, 0}, {502, "-", 1, 0},  // save, switch, restore
      {502, "-", 1, 0},                                         // no pair left: nothing
      {502, "+", 1, 0},  {7, "B+", 1, 2},   {502, "d", 0, 2},  {7, "+d", 0, 0},
      {502, "q!", 0, 0},                                        // unknown letters ignored
      {7, "-", 0, 2},    {502, "-", 1, 2},  {7, "-", 1, 2},    // pairs interleave per file
      {7, "-", 1, 2},
  };
  for (const Step& s : steps) {
    SetLockMode(s.file, s.commands, status);
    EXPECT_EQ(Slot(502).LockMode, s.mode_502) << s.file << " " << s.commands;
    EXPECT_EQ(Slot(7).LockMode, s.mode_7) << s.file << " " << s.commands;
  }
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(LockModeStack.Pairs.empty());
  SetLockMode(502, "a+", status);
  EXPECT_EQ(LockModeStack.Pairs, std::string({static_cast<char>(FindDataFileSlot(502)), '\1'}));
}

TEST(LockWaitMillisecondsTest, NearestWholeNumberToTenThousandRPlusOne) {
  const std::pair<double, int> cases[] = {
      {0.0, 1},         {0.00004, 1},      {0.00005, 2},  {0.5, 5001},
      {0.99994, 10000}, {0.99999, 10001},  {0.9999999999, 10001},
      {-1.0, 1},        {2.0, 10001},
  };
  for (const auto& [r, ms] : cases) EXPECT_EQ(LockWaitMilliseconds(r), ms) << r;
}

class LockTest : public RecordOperationsTest {
 protected:
  void HoldRecord(unsigned number) {
    ASSERT_TRUE(holder_.Start(Native("DADES/TRemeses.dat"), LockHolder::Kind::Record, Le32(number)));
  }
  LockHolder holder_;
};

TEST_F(LockTest, ModeTwoReportsALockedRecordAtOnce) {
  HoldRecord(3);
  Open();
  short status = -1;
  SetLockMode(502, "B", status);
  ReadByKey(502, 0, Le32(3), 0, status);
  EXPECT_EQ(status, 84);
  EXPECT_TRUE(sleeps_.empty());
  EXPECT_EQ(WindowState.WindowDepth, 0);
  ReadByKey(502, 0, Le32(2), 0, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(NumberIn(record_), 2u);
}

TEST_F(LockTest, ModeZeroReadsWithoutWaiting) {
  HoldRecord(3);
  Open();
  short status = -1;
  ReadByKey(502, 0, Le32(3), 0, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(NumberIn(record_), 3u);
  EXPECT_TRUE(sleeps_.empty());
}

TEST_F(LockTest, ModeOneWaitsWithTheMessageFromTheSecondAttempt) {
  HoldRecord(3);
  Open();
  std::vector<short> depth_at_sleep;
  std::vector<std::string> text_row_at_sleep;
  on_sleep_ = [&](int count) {
    depth_at_sleep.push_back(WindowState.WindowDepth);
    text_row_at_sleep.push_back(Screen().RowText(22));  // the message's text row (window 21-23)
    if (count == 2) holder_.Release();
  };
  short status = -1;
  SetLockMode(502, "A", status);
  ReadByKey(502, 0, Le32(3), 0, status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(NumberIn(record_), 3u);
  EXPECT_EQ(sleeps_, (std::vector<int>{5001, 5001}));
  EXPECT_EQ(depth_at_sleep, (std::vector<short>{0, 1}));
  ASSERT_EQ(text_row_at_sleep.size(), 2u);
  EXPECT_EQ(text_row_at_sleep[0], std::string(80, ' '));
  EXPECT_NE(text_row_at_sleep[1].find(LockedFileText()), std::string::npos);
  // The message is gone again.
  EXPECT_EQ(WindowState.WindowDepth, 0);
  EXPECT_EQ(Screen().RowText(22), std::string(80, ' '));
  EXPECT_FALSE(std::filesystem::exists(WindowStackPath()));
}

TEST_F(LockTest, ModeOneWithoutConflictShowsNothing) {
  Open();
  short status = -1;
  SetLockMode(502, "A", status);
  ReadByKey(502, 0, Le32(3), 0, status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(sleeps_.empty());
  EXPECT_FALSE(std::filesystem::exists(WindowStackPath()));
}

TEST_F(LockTest, OnlyTheLastMoveOfAStepTakesTheLock) {
  HoldRecord(3);
  Open();
  short status = -1;
  SetLockMode(502, "B", status);
  ReadByKey(502, 0, Le32(5), 0, status);
  ASSERT_EQ(status, 0);
  StepRecords(502, -3, status);  // passes the locked record 3 in plain moves
  EXPECT_EQ(status, 0);
  EXPECT_EQ(NumberIn(record_), 2u);
  StepRecords(502, 1, status);  // lands on it with the lock
  EXPECT_EQ(status, 84);
}

// Key 0: a 4-byte binary number; key 1: a 2-byte binary segment, a 2-byte string segment and a
// 3-byte segment through the alternate collating sequence.
unsigned char Translate(unsigned char c) { return static_cast<unsigned char>(c * 7 + 3); }

class CollatingTest : public DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    spec_ = MakeSpec(16, {{{9, 4, KeyBinary}},
                          {{1, 2, KeyBinary | KeyDuplicates},
                           {3, 2, KeyDuplicates},
                           {5, 3, KeyAlternate | KeyDuplicates}}},
                     MakeAlternate(Translate));
  }
  void Open(const std::vector<std::string>& records) {
    ASSERT_EQ(CreateDataFile(Native("DADES/Keys.dat"), spec_, records), 0);
    short status = -1;
    OpenDataFile(20, SessionSettings.RootDirectory + "DADES\\Keys", record_, status);
    ASSERT_EQ(status, 0);
  }
  std::string spec_;
  std::array<unsigned char, 16> record_{};
};

std::string Translated(const std::string& s) {
  std::string out;
  for (char c : s) out.push_back(static_cast<char>(Translate(static_cast<unsigned char>(c))));
  return out;
}

TEST_F(CollatingTest, BinarySegmentsReversedAndAlternateSegmentsTranslated) {
  Open({std::string("\x01\x02" "abxyz" "-" "\x01\x00\x00\x00" "----", 16)});
  short status = -1;
  ReadByKey(20, 0, "", 1, status);  // key 0 current
  ASSERT_EQ(status, 0);
  EXPECT_EQ(KeyInCollatingOrder(std::string("\x01\x02\x03\x04"), 20), "\x04\x03\x02\x01");
  EXPECT_EQ(KeyInCollatingOrder("", 20), std::string(4, '\0'));  // padded, then reversed
  EXPECT_EQ(CurrentKeyInCollatingOrder(20), std::string("\x00\x00\x00\x01", 4));

  ReadByKey(20, 1, "", 1, status);  // key 1 current
  ASSERT_EQ(status, 0);
  struct Case {
    std::string value, expected;
  };
  const Case cases[] = {
      {"\x01\x02" "ab" "xyz", "\x02\x01" "ab" + Translated("xyz")},
      {"\x05", std::string("\x00\x05", 2)},
      {"\x01\x02" "a", "\x02\x01" "a"},
      {"\x01\x02" "ab" "x", "\x02\x01" "ab" + Translated("x")},
  };
  for (const Case& c : cases) EXPECT_EQ(KeyInCollatingOrder(c.value, 20), c.expected) << c.value;
  EXPECT_EQ(CurrentKeyInCollatingOrder(20), "\x02\x01" "ab" + Translated("xyz"));
}

TEST_F(CollatingTest, ByteOrderOfTheResultsIsTheEnginesOrder) {
  std::mt19937 random(12345);
  std::vector<std::string> records;
  std::vector<std::string> keys;
  for (int i = 0; i < 150; ++i) {
    std::string record(16, '\0');
    for (int b = 0; b < 7; ++b) record[static_cast<std::size_t>(b)] = static_cast<char>(random() & 0xff);
    if (i % 5 == 0) record[0] = 0;  // equal high bytes: the low byte decides
    record.replace(8, 4, Le32(static_cast<unsigned>(i)));  // key 0 is unique
    records.push_back(record);
    keys.push_back(record.substr(0, 7));
  }
  Open(records);
  short status = -1;
  ReadByKey(20, 1, "", 1, status);
  std::vector<std::string> engine_order;
  while (status == 0) {
    engine_order.push_back(CurrentKeyInCollatingOrder(20));
    StepRecords(20, 1, status);
  }
  EXPECT_EQ(status, 9);
  ASSERT_EQ(engine_order.size(), records.size());
  std::vector<std::string> expected;  // the stored keys put in order by their bytes alone
  for (const std::string& key : keys) expected.push_back(KeyInCollatingOrder(key, 20));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(engine_order, expected);
}

}  // namespace
}  // namespace data_test
