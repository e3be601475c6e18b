// Single-process behaviour of the engine: creating, refusing bad specifications, reading along keys,
// positions, writes and their refusals, and files that are not ours.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "recman_support.h"

namespace recman_test {
namespace {

constexpr int kRecordLength = 20;

// Key 0: 4-byte unsigned binary, unique, at 1. Key 1: 8-byte string with duplicates, modifiable.
std::string SimpleSpec() {
  return MakeSpec(kRecordLength, {{{1, 4, KeyBinary}}, {{5, 8, KeyDuplicates | KeyModifiable}}});
}

std::string Record(std::uint32_t id, const std::string& name, const std::string& rest = "") {
  std::string r(kRecordLength, ' ');
  std::memcpy(r.data(), &id, 4);
  r.replace(4, std::min<std::size_t>(8, name.size()), name.substr(0, 8));
  r.replace(12, std::min<std::size_t>(8, rest.size()), rest.substr(0, 8));
  return r;
}

std::string Id(std::uint32_t id) { return std::string(reinterpret_cast<const char*>(&id), 4); }
std::uint32_t IdOf(const std::string& record) {
  std::uint32_t id = 0;
  std::memcpy(&id, record.data(), 4);
  return id;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class RecmanFile : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("simple.dat");
    ASSERT_EQ(CreateFile(path_, SimpleSpec()), 0);
    ASSERT_EQ(file_.Open(path_, OpenAccelerated), 0);
  }
  void TearDown() override { ResetEngine(); }
  void Fill(const std::vector<std::pair<std::uint32_t, std::string>>& rows) {
    for (const auto& [id, name] : rows) ASSERT_EQ(file_.Insert(Record(id, name)), 0);
  }
  // The ids met by walking key `key` from First (or Last when backwards) to the end.
  std::vector<std::uint32_t> Walk(int key, bool backwards = false) {
    std::vector<std::uint32_t> ids;
    std::string rec;
    short s = file_.Get(backwards ? OpGetLast : OpGetFirst, key, rec, kRecordLength);
    while (s == 0) {
      ids.push_back(IdOf(rec));
      s = file_.Get(backwards ? OpGetPrevious : OpGetNext, key, rec, kRecordLength);
    }
    EXPECT_EQ(s, StatusEndOfFile);
    return ids;
  }
  ScratchDir dir_;
  std::string path_;
  Handle file_;
};

TEST_F(RecmanFile, KeysOrderRecordsAndDuplicatesKeepInsertionOrder) {
  Fill({{300, "bravo"}, {2, "alpha"}, {70000, "bravo"}, {1, "charlie"}, {256, "bravo"}});
  EXPECT_EQ(Walk(0), (std::vector<std::uint32_t>{1, 2, 256, 300, 70000}));
  EXPECT_EQ(Walk(0, true), (std::vector<std::uint32_t>{70000, 300, 256, 2, 1}));
  EXPECT_EQ(Walk(1), (std::vector<std::uint32_t>{2, 300, 70000, 256, 1}));
  EXPECT_EQ(Walk(1, true), (std::vector<std::uint32_t>{1, 256, 70000, 300, 2}));
}

TEST_F(RecmanFile, SearchOperationsFindTheRightNeighbour) {
  Fill({{10, "a"}, {20, "b"}, {30, "c"}});
  struct Case {
    unsigned op;
    std::uint32_t value;
    short status;
    std::uint32_t found;
  };
  const Case cases[] = {
      {OpGetEqual, 20, 0, 20},           {OpGetEqual, 25, StatusKeyNotFound, 0},
      {OpGetGreater, 20, 0, 30},         {OpGetGreater, 30, StatusEndOfFile, 0},
      {OpGetGreaterOrEqual, 20, 0, 20},  {OpGetGreaterOrEqual, 21, 0, 30},
      {OpGetLess, 20, 0, 10},            {OpGetLess, 10, StatusEndOfFile, 0},
      {OpGetLessOrEqual, 25, 0, 20},     {OpGetLessOrEqual, 5, StatusEndOfFile, 0},
  };
  for (const Case& c : cases) {
    std::string rec;
    EXPECT_EQ(file_.GetByKey(c.op, 0, Id(c.value), rec, kRecordLength), c.status)
        << "op " << c.op << " value " << c.value;
    if (c.status == 0) {
      EXPECT_EQ(IdOf(rec), c.found);
      EXPECT_EQ(file_.key.substr(0, 4), Id(c.found));  // the key buffer gets the record's key
    }
  }
}

TEST_F(RecmanFile, PositionsAreStableAndNeverReused) {
  Fill({{1, "a"}, {2, "b"}});
  std::string rec;
  std::int32_t first = 0, second = 0;
  ASSERT_EQ(file_.GetByKey(OpGetEqual, 0, Id(2), rec, kRecordLength), 0);
  ASSERT_EQ(file_.Position(second), 0);
  ASSERT_EQ(file_.Delete(), 0);
  ASSERT_EQ(file_.Insert(Record(3, "c")), 0);
  std::int32_t third = 0;
  ASSERT_EQ(file_.Position(third), 0);
  EXPECT_GT(third, second);
  ASSERT_EQ(file_.GetByKey(OpGetEqual, 0, Id(1), rec, kRecordLength), 0);
  ASSERT_EQ(file_.Position(first), 0);
  // Get Direct on key 1, then Next along key 1 continues from there.
  ASSERT_EQ(file_.Direct(first, 1, rec, kRecordLength), 0);
  EXPECT_EQ(IdOf(rec), 1u);
  EXPECT_EQ(file_.key.substr(0, 8), std::string("a       "));
  ASSERT_EQ(file_.Get(OpGetNext, 1, rec, kRecordLength), 0);
  EXPECT_EQ(IdOf(rec), 3u);
  EXPECT_EQ(file_.Direct(second, 0, rec, kRecordLength), StatusInvalidRecordAddress);
  EXPECT_EQ(file_.Direct(0, 0, rec, kRecordLength), StatusInvalidRecordAddress);
  EXPECT_EQ(file_.Direct(-5, 0, rec, kRecordLength), StatusInvalidRecordAddress);
  EXPECT_EQ(file_.Direct(123456, 0, rec, kRecordLength), StatusInvalidRecordAddress);
}

TEST_F(RecmanFile, DeleteKeepsThePlaceBetweenNeighbours) {
  Fill({{1, "a"}, {2, "b"}, {3, "c"}});
  std::string rec;
  ASSERT_EQ(file_.GetByKey(OpGetEqual, 0, Id(2), rec, kRecordLength), 0);
  ASSERT_EQ(file_.Delete(), 0);
  std::int32_t pos = 0;
  EXPECT_EQ(file_.Position(pos), StatusInvalidPositioning);
  EXPECT_EQ(file_.Delete(), StatusInvalidPositioning);
  ASSERT_EQ(file_.Get(OpGetNext, 0, rec, kRecordLength), 0);
  EXPECT_EQ(IdOf(rec), 3u);
  ASSERT_EQ(file_.GetByKey(OpGetEqual, 0, Id(3), rec, kRecordLength), 0);
  ASSERT_EQ(file_.Delete(), 0);
  ASSERT_EQ(file_.Get(OpGetPrevious, 0, rec, kRecordLength), 0);
  EXPECT_EQ(IdOf(rec), 1u);
}

TEST_F(RecmanFile, WritesAreCheckedBeforeTheyHappen) {
  Fill({{1, "a"}, {2, "b"}});
  std::string rec;
  EXPECT_EQ(file_.Insert(Record(1, "dup")), StatusDuplicateKey);
  EXPECT_EQ(file_.RecordCount(), 2u);
  Handle fresh;
  ASSERT_EQ(fresh.Open(path_), 0);
  EXPECT_EQ(fresh.Call(OpUpdate, rec = Record(1, "x"), 0), StatusInvalidPositioning);
  ASSERT_EQ(file_.GetByKey(OpGetEqual, 0, Id(1), rec, kRecordLength), 0);
  EXPECT_EQ(file_.Call(OpUpdate, rec = Record(9, "a"), 0), StatusKeyNotModifiable);
  EXPECT_EQ(file_.Call(OpUpdate, rec = Record(1, "a"), 1), StatusKeyNumberChanged);
  EXPECT_EQ(file_.Call(OpUpdate, rec = Record(1, "a").substr(0, 10), 0), StatusDataBufferTooShort);
  EXPECT_EQ(file_.Insert(Record(5, "a") + "xx"), StatusDataBufferTooShort);
  EXPECT_EQ(file_.Call(OpInsert, rec = Record(5, "a"), 0, 3), StatusKeyBufferTooShort);
  EXPECT_EQ(file_.Call(OpInsert, rec = Record(5, "a"), 7), StatusInvalidKeyNumber);
  ASSERT_EQ(file_.Call(OpUpdate, rec = Record(1, "zulu"), 0), 0);
  EXPECT_EQ(Walk(1), (std::vector<std::uint32_t>{2, 1}));
  EXPECT_EQ(file_.RecordCount(), 2u);
}

TEST_F(RecmanFile, ReadsRefuseShortBuffersAndStrayKeys) {
  Fill({{1, "a"}});
  std::string rec;
  EXPECT_EQ(file_.Get(OpGetFirst, 0, rec, kRecordLength - 1), StatusDataBufferTooShort);
  rec.assign(kRecordLength, '\0');
  EXPECT_EQ(file_.Call(OpGetFirst, rec, 0, 3), StatusKeyBufferTooShort);
  EXPECT_EQ(file_.Get(OpGetFirst, 2, rec, kRecordLength), StatusInvalidKeyNumber);
  EXPECT_EQ(file_.Get(OpGetFirst, -1, rec, kRecordLength), StatusInvalidKeyNumber);
  Handle fresh;
  ASSERT_EQ(fresh.Open(path_), 0);
  EXPECT_EQ(fresh.Get(OpGetNext, 0, rec, kRecordLength), StatusInvalidPositioning);
  ASSERT_EQ(file_.Get(OpGetFirst, 0, rec, kRecordLength), 0);
  EXPECT_EQ(file_.Get(OpGetNext, 1, rec, kRecordLength), StatusKeyNumberChanged);
  EXPECT_EQ(file_.Get(OpGetNext, 0, rec, kRecordLength), StatusEndOfFile);
  EXPECT_EQ(RecordManagerCall(OpGetFirst, file_.block, nullptr, nullptr, nullptr, 0, 0),
            StatusKeyBufferTooShort);
  EXPECT_EQ(RecordManagerCall(OpGetFirst, file_.block, nullptr, nullptr, file_.key.data(), 255, 0),
            StatusDataBufferTooShort);
  EXPECT_EQ(file_.Get(99, 0, rec, kRecordLength), StatusInvalidOperation);
  EXPECT_EQ(file_.Get(OpInsert + LockBiasNoWait, 0, rec, kRecordLength), StatusInvalidOperation);
}

TEST_F(RecmanFile, StatReturnsTheBlockAsCreatedWithTheRecordCount) {
  Fill({{1, "a"}, {2, "b"}, {3, "c"}});
  std::string data(1536, 'x');
  ASSERT_EQ(file_.Call(OpStat, data, 0), 0);
  std::string expected = SimpleSpec();
  expected[6] = 3;
  EXPECT_EQ(data, expected);
  std::string small(10, '\0');
  EXPECT_EQ(file_.Call(OpStat, small, 0), StatusDataBufferTooShort);
}

TEST_F(RecmanFile, ClosedAndForeignBlocksAreNotOpen) {
  ASSERT_EQ(file_.Close(), 0);
  std::string rec;
  EXPECT_EQ(file_.Get(OpGetFirst, 0, rec, kRecordLength), StatusFileNotOpen);
  EXPECT_EQ(file_.Close(), StatusFileNotOpen);
  Handle blank;
  std::memset(blank.block, ' ', sizeof blank.block);
  EXPECT_EQ(blank.Get(OpGetFirst, 0, rec, kRecordLength), StatusFileNotOpen);
  EXPECT_EQ(RecordManagerCall(OpGetFirst, nullptr, nullptr, nullptr, nullptr, 0, 0), StatusFileNotOpen);
}

TEST_F(RecmanFile, TransactionsCommitOrRollBackTogether) {
  std::string data;
  ASSERT_EQ(file_.Call(OpBeginTransaction, data, 0), 0);
  EXPECT_EQ(file_.Call(OpBeginTransaction, data, 0), StatusTransactionActive);
  Fill({{1, "a"}, {2, "b"}});
  ASSERT_EQ(file_.Call(OpAbortTransaction, data, 0), 0);
  EXPECT_EQ(file_.RecordCount(), 0u);
  ASSERT_EQ(file_.Call(OpBeginTransaction, data, 0), 0);
  Fill({{1, "a"}, {2, "b"}});
  EXPECT_EQ(file_.Insert(Record(1, "again")), StatusDuplicateKey);
  ASSERT_EQ(file_.Call(OpEndTransaction, data, 0), 0);
  EXPECT_EQ(file_.Call(OpEndTransaction, data, 0), StatusNoTransaction);
  EXPECT_EQ(file_.RecordCount(), 2u);
}

TEST(RecmanCreate, RefusesSpecificationsItCannotHonour) {
  const unsigned char identity[256] = {};
  struct Case {
    const char* what;
    std::string spec;
    short status;
  };
  std::string bad_signature = MakeAlternate("UPPER", identity);
  bad_signature[0] = 0x12;
  std::string negative_keys = MakeSpec(10, {});
  PutWord(negative_keys, 4, 0xffff);
  const Case cases[] = {
      {"record length 0", MakeSpec(0, {}), StatusRecordLength},
      {"too many keys", MakeSpec(10, std::vector<std::vector<Segment>>(120, {{1, 2}})), StatusNumberOfKeys},
      {"negative key count", negative_keys, StatusNumberOfKeys},
      {"key past the record", MakeSpec(10, {{{8, 4}}}), StatusKeyPosition},
      {"key at position 0", MakeSpec(10, {{{0, 4}}}), StatusKeyPosition},
      {"segment length 0", MakeSpec(10, {{{1, 0}}}), StatusKeyLength},
      {"key longer than 255", MakeSpec(400, {{{1, 200}, {201, 100}}}), StatusKeyLength},
      {"mixed duplicates", MakeSpec(10, {{{1, 2, KeyDuplicates}, {3, 2}}}), StatusKeyPosition},
      {"null key", MakeSpec(10, {{{1, 2, KeyNull}}}), StatusKeyType},
      {"manual key", MakeSpec(10, {{{1, 2, KeyManual}}}), StatusKeyType},
      {"float type", MakeSpec(10, {{{1, 4, KeyExtendedType, 2}}}), StatusKeyType},
      {"3-byte integer", MakeSpec(10, {{{1, 3, KeyExtendedType, TypeInteger}}}), StatusKeyLength},
      {"1-byte autoincrement", MakeSpec(10, {{{1, 1, KeyExtendedType, TypeAutoincrement}}}), StatusKeyLength},
      {"autoincrement with duplicates",
       MakeSpec(10, {{{1, 4, KeyExtendedType | KeyDuplicates, TypeAutoincrement}}}), StatusKeyPosition},
      {"alternate without table", MakeSpec(10, {{{1, 4, KeyAlternate}}}), StatusDataBufferTooShort},
      {"alternate with bad signature", MakeSpec(10, {{{1, 4, KeyAlternate}}}, bad_signature),
       StatusCollatingSequence},
      {"block cut short", MakeSpec(10, {{{1, 4}, {5, 2}}}).substr(0, 40), StatusDataBufferTooShort},
      {"header only", std::string(8, '\0'), StatusDataBufferTooShort},
  };
  ScratchDir dir;
  for (const Case& c : cases) {
    const std::string path = dir.File("refused.dat");
    EXPECT_EQ(CreateFile(path, c.spec), c.status) << c.what;
    EXPECT_NE(::access(path.c_str(), F_OK), 0) << c.what;
  }
  EXPECT_EQ(CreateFile("", SimpleSpec()), StatusInvalidFileName);
  EXPECT_EQ(CreateFile(dir.File("missing/x.dat"), SimpleSpec()), StatusCreateIoError);
}

TEST(RecmanCreate, ReplacesOnlyWhenAskedAndOnlyWhenNobodyHasItOpen) {
  ScratchDir dir;
  const std::string path = dir.File("replace.dat");
  ASSERT_EQ(CreateFile(path, SimpleSpec()), 0);
  EXPECT_EQ(CreateFile(path, SimpleSpec()), StatusFileExists);
  Handle h;
  ASSERT_EQ(h.Open(path), 0);
  ASSERT_EQ(h.Insert(Record(1, "a")), 0);
  EXPECT_EQ(CreateFile(path, SimpleSpec(), 0), StatusFileLocked);
  ASSERT_EQ(h.Close(), 0);
  ASSERT_EQ(CreateFile(path, SimpleSpec(), 0), 0);
  ASSERT_EQ(h.Open(path), 0);
  EXPECT_EQ(h.RecordCount(), 0u);
  ResetEngine();
}

TEST(RecmanOpen, FilesThatAreNotOursAreRefusedAndLeftAlone) {
  ScratchDir dir;
  std::string garbage(4096, '\0');
  for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>((i * 7919) >> 3);
  const std::string foreign = dir.File("foreign.db");
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(foreign.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE t(a); INSERT INTO t VALUES(1);", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }
  const std::string lookalike = dir.File("lookalike.db");
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(lookalike.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE recman_file(id, format, version, spec);"
                               "INSERT INTO recman_file VALUES(1, 'other', 1, x'00');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
  }
  struct Case {
    const char* name;
    std::string contents;
  };
  const Case cases[] = {{"garbage.dat", garbage}, {"empty.dat", ""}, {"header.dat", "SQLite format 3"}};
  for (const Case& c : cases) {
    std::ofstream(dir.File(c.name), std::ios::binary) << c.contents;
  }
  for (const std::string name : {"garbage.dat", "empty.dat", "header.dat", "foreign.db", "lookalike.db"}) {
    const std::string path = dir.File(name);
    const std::string before = ReadWhole(path);
    Handle h;
    EXPECT_EQ(h.Open(path), StatusNotOurFile) << name;
    EXPECT_EQ(ReadWhole(path), before) << name;
  }
  Handle h;
  EXPECT_EQ(h.Open(dir.File("absent.dat")), StatusFileNotFound);
  EXPECT_EQ(h.Open(dir.File("absent/x.dat")), StatusFileNotFound);
  EXPECT_EQ(h.Open(dir.path()), StatusInvalidFileName);
  EXPECT_EQ(h.Open(""), StatusInvalidFileName);
  std::string name = dir.File("garbage.dat");
  EXPECT_EQ(RecordManagerCall(OpOpen, h.block, nullptr, nullptr, name.data(),
                              static_cast<unsigned char>(name.size()), 3),
            StatusInvalidOperation);
  ResetEngine();
}

TEST(RecmanOpen, ReadOnlyFilesReadButRefuseWrites) {
  ScratchDir dir;
  const std::string path = dir.File("ro.dat");
  ASSERT_EQ(CreateFile(path, SimpleSpec()), 0);
  {
    Handle w;
    ASSERT_EQ(w.Open(path), 0);
    ASSERT_EQ(w.Insert(Record(1, "a")), 0);
    ResetEngine();
  }
  auto check = [&](signed char mode) {
    Handle r;
    ASSERT_EQ(r.Open(path, mode), 0);
    std::string rec;
    ASSERT_EQ(r.Get(OpGetFirst, 0, rec, kRecordLength), 0);
    EXPECT_EQ(IdOf(rec), 1u);
    EXPECT_EQ(r.Insert(Record(2, "b")), StatusAccessDenied);
    EXPECT_EQ(r.Call(OpUpdate, rec, 0), StatusAccessDenied);
    EXPECT_EQ(r.Delete(), StatusAccessDenied);
    EXPECT_EQ(r.RecordCount(), 1u);
    ResetEngine();
  };
  check(OpenReadOnly);
  if (::geteuid() != 0) {  // root writes whatever the mode bits say
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    check(OpenNormal);
    Handle x;
    EXPECT_EQ(x.Open(path, OpenExclusive), StatusAccessDenied);
  }
}

TEST(RecmanOpen, ExclusiveOpenKeepsOthersOut) {
  ScratchDir dir;
  const std::string path = dir.File("excl.dat");
  ASSERT_EQ(CreateFile(path, SimpleSpec()), 0);
  Handle a, b;
  ASSERT_EQ(a.Open(path, OpenExclusive), 0);
  EXPECT_EQ(b.Open(path), StatusFileLocked);
  ASSERT_EQ(a.Close(), 0);
  ASSERT_EQ(b.Open(path), 0);
  EXPECT_EQ(a.Open(path, OpenExclusive), StatusFileLocked);
  ResetEngine();
}

TEST(RecmanKeys, AutoincrementFillsZeroValues) {
  ScratchDir dir;
  const std::string path = dir.File("auto.dat");
  ASSERT_EQ(CreateFile(path, MakeSpec(8, {{{1, 4, KeyExtendedType, TypeAutoincrement}}})), 0);
  Handle h;
  ASSERT_EQ(h.Open(path, OpenAccelerated), 0);
  auto insert = [&](std::int32_t value) {
    std::string rec(8, 'r');
    std::memcpy(rec.data(), &value, 4);
    EXPECT_EQ(h.Call(OpInsert, rec, 0), 0);
    std::int32_t got = 0;
    std::memcpy(&got, rec.data(), 4);
    return got;
  };
  EXPECT_EQ(insert(0), 1);
  EXPECT_EQ(insert(0), 2);
  EXPECT_EQ(insert(10), 10);
  EXPECT_EQ(insert(0), 11);
  ResetEngine();
}

TEST(RecmanKeys, VariableLengthRecordsAreCutToTheBufferWithStatus22) {
  ScratchDir dir;
  const std::string path = dir.File("var.dat");
  ASSERT_EQ(CreateFile(path, MakeSpec(4, {{{1, 4, KeyBinary}}}, "", FileVariableLength)), 0);
  Handle h;
  ASSERT_EQ(h.Open(path, OpenAccelerated), 0);
  ASSERT_EQ(h.Insert(std::string("\x01\0\0\0long tail", 13)), 0);
  EXPECT_EQ(h.Insert(std::string("\x02\0", 2)), StatusDataBufferTooShort);
  std::string rec(8, '\0');
  EXPECT_EQ(h.Call(OpGetFirst, rec, 0), StatusDataBufferTooShort);
  EXPECT_EQ(rec, std::string("\x01\0\0\0long", 8));
  rec.assign(64, '\0');
  EXPECT_EQ(h.Call(OpGetFirst, rec, 0), 0);
  EXPECT_EQ(rec.size(), 13u);
  ResetEngine();
}

}  // namespace
}  // namespace recman_test
