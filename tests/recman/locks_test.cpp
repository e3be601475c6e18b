// Record locks between position blocks and between processes: no-wait and wait locks, writes of
// a record someone else holds, locks released by death, and reads that never wait.
#include <gtest/gtest.h>

#include <chrono>

#include "process_support.h"
#include "recman_support.h"

namespace recman_test {
namespace {

constexpr int kLength = 20;

std::string Id(std::uint32_t id) { return std::string(reinterpret_cast<const char*>(&id), 4); }

std::string Record(std::uint32_t id) {
  std::string r(kLength, '.');
  std::memcpy(r.data(), &id, 4);
  return r;
}

class RecmanLocks : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.File("locks.dat");
    ASSERT_EQ(CreateFile(path_, MakeSpec(kLength, {{{1, 4, KeyBinary}}})), 0);
    Handle h;
    ASSERT_EQ(h.Open(path_), 0);
    for (std::uint32_t id = 1; id <= 3; ++id) ASSERT_EQ(h.Insert(Record(id)), 0);
    ResetEngine();  // children start with no open files
  }
  void TearDown() override { ResetEngine(); }

  short Read(Handle& h, std::uint32_t id, unsigned bias = 0) {
    std::string rec;
    return h.GetByKey(OpGetEqual + bias, 0, Id(id), rec, kLength);
  }
  // A child that opens the file, locks record `id` with a no-wait lock, says 'L', then runs `then`.
  pid_t LockingChild(std::uint32_t id, Signal& to_parent, const std::function<int(Handle&)>& then) {
    const pid_t pid = Spawn([&, id]() {
      Handle h;
      if (h.Open(path_) != 0) return 10;
      if (Read(h, id, LockBiasNoWait) != 0) return 11;
      to_parent.Send('L');
      return then(h);
    });
    to_parent.CloseWrite();  // a child that fails shows as end of file, not as a hang
    return pid;
  }

  ScratchDir dir_;
  std::string path_;
};

TEST_F(RecmanLocks, AnotherProcessesLockRefusesNoWaitLocksAndWrites) {
  Signal up, down;
  const pid_t child = LockingChild(1, up, [&](Handle&) {
    down.CloseWrite();
    return down.Receive() == 'Q' ? 0 : 12;
  });
  down.CloseRead();
  ASSERT_EQ(up.Receive(), 'L');
  Handle h;
  ASSERT_EQ(h.Open(path_), 0);
  EXPECT_EQ(Read(h, 1, LockBiasNoWait), StatusRecordLocked);
  EXPECT_EQ(Read(h, 1), 0);  // a plain read does not wait for the lock
  std::int32_t pos = 0;
  ASSERT_EQ(h.Position(pos), 0);
  std::string rec = Record(1);
  rec[10] = 'u';
  EXPECT_EQ(h.Call(OpUpdate, rec, 0), StatusRecordLocked);
  EXPECT_EQ(h.Delete(), StatusRecordLocked);
  std::string direct;
  EXPECT_EQ(h.Direct(pos, 0, direct, kLength, LockBiasNoWait), StatusRecordLocked);
  EXPECT_EQ(Read(h, 2, LockBiasNoWait), 0);  // other records are free
  down.Send('Q');
  EXPECT_EQ(Reap(child), 0);
  EXPECT_EQ(Read(h, 1, LockBiasNoWait), 0);
  rec = Record(1);
  rec[10] = 'u';
  EXPECT_EQ(h.Call(OpUpdate, rec, 0), 0);
}

TEST_F(RecmanLocks, WaitLockWaitsUntilTheHolderUnlocks) {
  Signal up, down;
  const pid_t child = LockingChild(2, up, [&](Handle& h) {
    down.CloseWrite();
    ::usleep(300 * 1000);
    std::string none;
    if (h.Call(OpUnlock, none, -1) != 0) return 13;
    return down.Receive() == 'Q' ? 0 : 12;  // stays alive: the unlock, not the exit, frees it
  });
  down.CloseRead();
  ASSERT_EQ(up.Receive(), 'L');
  Handle h;
  ASSERT_EQ(h.Open(path_), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Read(h, 2, LockBiasWait), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  down.Send('Q');
  EXPECT_EQ(Reap(child), 0);
}

TEST_F(RecmanLocks, AKilledProcessReleasesItsLocks) {
  Signal up;
  const pid_t child = LockingChild(3, up, [](Handle&) {
    for (;;) ::pause();
    return 0;
  });
  ASSERT_EQ(up.Receive(), 'L');
  Handle h;
  ASSERT_EQ(h.Open(path_), 0);
  EXPECT_EQ(Read(h, 3, LockBiasNoWait), StatusRecordLocked);
  ::kill(child, SIGKILL);
  EXPECT_EQ(Reap(child), 128 + SIGKILL);
  EXPECT_EQ(Read(h, 3, LockBiasNoWait), 0);
}

TEST_F(RecmanLocks, ReadsDoNotWaitForAnotherWriter) {
  Signal up, down;
  const pid_t child = Spawn([&]() {
    down.CloseWrite();
    Handle w;
    std::string none;
    if (w.Open(path_) != 0 || w.Call(OpBeginTransaction, none, 0) != 0) return 10;
    if (w.Insert(Record(9)) != 0) return 11;
    up.Send('T');
    return down.Receive() == 'Q' ? 0 : 12;
  });
  up.CloseWrite();
  down.CloseRead();
  ASSERT_EQ(up.Receive(), 'T');
  Handle h;
  ASSERT_EQ(h.Open(path_), 0);
  std::string rec;
  EXPECT_EQ(h.Get(OpGetLast, 0, rec, kLength), 0);
  EXPECT_EQ(rec, Record(3));  // the uncommitted insert is not seen
  EXPECT_EQ(h.Insert(Record(8)), StatusFileLocked);  // after a short bounded wait
  down.Send('Q');
  EXPECT_EQ(Reap(child), 0);  // the child's transaction dies with it
  EXPECT_EQ(h.Insert(Record(8)), 0);
  EXPECT_EQ(h.RecordCount(), 4u);
}

TEST_F(RecmanLocks, LocksBelongToTheirPositionBlock) {
  Handle a, b;
  ASSERT_EQ(a.Open(path_), 0);
  ASSERT_EQ(b.Open(path_), 0);
  ASSERT_EQ(Read(a, 1, LockBiasNoWait), 0);
  EXPECT_EQ(Read(a, 1, LockBiasNoWait), 0);  // the holder may read it again
  EXPECT_EQ(Read(b, 1, LockBiasNoWait), StatusRecordLocked);
  ASSERT_EQ(Read(a, 2, LockBiasNoWait), 0);  // the next locking read moves the lock
  ASSERT_EQ(Read(b, 1, LockBiasNoWait), 0);
  std::string rec = Record(2);
  rec[12] = 'x';
  ASSERT_EQ(Read(a, 2), 0);
  EXPECT_EQ(a.Call(OpUpdate, rec, 0), 0);  // the holder writes, and that releases its lock
  ASSERT_EQ(Read(b, 2, LockBiasNoWait), 0);
  EXPECT_EQ(Read(a, 2, LockBiasNoWait), StatusRecordLocked);
  EXPECT_EQ(Read(a, 1, LockBiasNoWait), 0);  // b's lock moved on from record 1
  ASSERT_EQ(b.Close(), 0);  // closing releases too
  EXPECT_EQ(Read(a, 2, LockBiasNoWait), 0);
}

}  // namespace
}  // namespace recman_test
