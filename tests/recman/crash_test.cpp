// A writer killed with SIGKILL at random moments: afterwards the file passes SQLite's integrity
// check and holds every record whose insert had returned 0.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <random>
#include <set>

#include "process_support.h"
#include "recman_support.h"

namespace recman_test {
namespace {

constexpr int kLength = 64;

std::string IntegrityCheck(const std::string& path) {
  sqlite3* db = nullptr;
  std::string result = "cannot open";
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
      result = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return result;
}

TEST(RecmanCrash, AKilledWriterLosesNothingThatWasCommitted) {
  ScratchDir dir;
  const std::string path = dir.File("crash.dat");
  ASSERT_EQ(CreateFile(path, MakeSpec(kLength, {{{1, 4, KeyBinary}}, {{5, 8, KeyDuplicates}}})), 0);
  std::mt19937 rng(42);
  std::set<std::uint32_t> acknowledged;
  for (std::uint32_t round = 0; round < 5; ++round) {
    Signal acks;
    const pid_t child = Spawn([&]() {
      acks.CloseRead();
      Handle h;
      if (h.Open(path) != 0) return 10;
      for (std::uint32_t i = 0;; ++i) {
        const std::uint32_t id = round * 1000000 + i;
        std::string rec(kLength, static_cast<char>('a' + i % 26));
        std::memcpy(rec.data(), &id, 4);
        if (h.Insert(rec) != 0) return 11;
        acks.SendBytes(&id, 4);
      }
    });
    acks.CloseWrite();
    ::usleep(std::uniform_int_distribution<int>(20, 150)(rng) * 1000);
    ::kill(child, SIGKILL);
    ASSERT_EQ(Reap(child), 128 + SIGKILL);
    std::uint32_t id = 0;
    std::size_t got = 0;
    while (true) {
      const ssize_t n = ::read(acks.read_fd(), reinterpret_cast<char*>(&id) + got, 4 - got);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
      if (got == 4) {
        acknowledged.insert(id);
        got = 0;
      }
    }
    ASSERT_EQ(IntegrityCheck(path), "ok") << "round " << round;
    Handle h;
    ASSERT_EQ(h.Open(path), 0);
    EXPECT_GE(h.RecordCount(), acknowledged.size());
    for (std::uint32_t want : acknowledged) {
      std::string rec;
      ASSERT_EQ(h.GetByKey(OpGetEqual, 0, std::string(reinterpret_cast<char*>(&want), 4), rec, kLength), 0)
          << "record " << want << " of round " << round;
    }
    ResetEngine();
  }
  EXPECT_GT(acknowledged.size(), 0u);
}

}  // namespace
}  // namespace recman_test
