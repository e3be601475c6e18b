// Shared fixture of the data layer tests: a scratch root directory, data files and dictionaries
// built through the engine directly, the memory console, hooks that record instead of sleeping
// or ending, and a second process that holds a record or file lock.
#ifndef TESTS_DATA_SUPPORT_H
#define TESTS_DATA_SUPPORT_H

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "config/session.h"
#include "console/colour.h"
#include "console/screen.h"
#include "data/data_files.h"
#include "data/record_operations.h"
#include "platform/console_device.h"
#include "platform/console_memory.h"
#include "recman/recman.h"
#include "tests/support/specification_block.h"

namespace data_test {

using test_support::MakeSpec;
using test_support::PutWord;
using test_support::Segment;

// An alternate collating sequence whose table maps byte c to table(c).
inline std::string MakeAlternate(const std::function<unsigned char(unsigned char)>& table) {
  std::string s(1, static_cast<char>(AlternateSignature));
  s += "TESTSEQ ";
  for (int c = 0; c < 256; ++c) s.push_back(static_cast<char>(table(static_cast<unsigned char>(c))));
  return s;
}

// Creates a data file at the native `path` and inserts the records.
inline short CreateDataFile(const std::string& path, std::string spec,
                            const std::vector<std::string>& records = {}) {
  std::uint32_t length = static_cast<std::uint32_t>(spec.size());
  std::string name = path;
  short status = RecordManagerCall(OpCreate, nullptr, spec.data(), &length, name.data(),
                                   static_cast<unsigned char>(name.size()), CreateNoReplace);
  if (status != 0 || records.empty()) return status;
  unsigned char block[PositionBlockSize] = {};
  std::string owner("0000", 5);
  length = 5;
  status = RecordManagerCall(OpOpen, block, owner.data(), &length, name.data(),
                             static_cast<unsigned char>(name.size()), OpenNormal);
  if (status != 0) return status;
  for (std::string record : records) {
    std::string key(255, '\0');
    length = static_cast<std::uint32_t>(record.size());
    status = RecordManagerCall(OpInsert, block, record.data(), &length, key.data(), 255, 0);
    if (status != 0) break;
  }
  RecordManagerCall(OpClose, block, nullptr, nullptr, nullptr, 0, 0);
  return status;
}

// A dictionary file: 2-byte length, then the block.
inline void WriteDictionary(const std::string& path, const std::string& spec) {
  std::string bytes(2, '\0');
  PutWord(bytes, 0, static_cast<unsigned>(spec.size()));
  bytes += spec;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

inline std::string Le32(std::uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
  return s;
}

// A second process holding a lock through the engine: a record lock (Get Equal with the no-wait
// lock bias on key 0) or the whole file (exclusive open). It keeps it until Release().
class LockHolder {
 public:
  enum class Kind { Record, File };
  ~LockHolder() { Release(); }

  // True once the child holds the lock.
  bool Start(const std::string& path, Kind kind, const std::string& key0 = "") {
    if (::pipe(to_child_) != 0 || ::pipe(from_child_) != 0) return false;
    std::fflush(nullptr);
    pid_ = ::fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) RunChild(path, kind, key0);
    ::close(to_child_[0]);
    ::close(from_child_[1]);
    char answer = 0;
    return ::read(from_child_[0], &answer, 1) == 1 && answer == 'k';
  }

  // The child gives the lock up; returns once it has.
  void Release() {
    if (pid_ <= 0) return;
    const char go = 'r';
    if (::write(to_child_[1], &go, 1) == 1) {
      char done = 0;
      [[maybe_unused]] const auto n = ::read(from_child_[0], &done, 1);
    }
    int wstatus = 0;
    ::waitpid(pid_, &wstatus, 0);
    ::close(to_child_[1]);
    ::close(from_child_[0]);
    pid_ = -1;
  }

 private:
  [[noreturn]] void RunChild(const std::string& path, Kind kind, const std::string& key0) {
    ::close(to_child_[1]);
    ::close(from_child_[0]);
    unsigned char block[PositionBlockSize] = {};
    std::string name = path;
    std::string owner("0000", 5);
    std::uint32_t length = 5;
    short status = RecordManagerCall(OpOpen, block, owner.data(), &length, name.data(),
                                     static_cast<unsigned char>(name.size()),
                                     kind == Kind::File ? OpenExclusive : OpenNormal);
    if (status == 0 && kind == Kind::Record) {
      std::string data(1536, '\0');
      std::string key = key0;
      key.resize(255, '\0');
      length = static_cast<std::uint32_t>(data.size());
      status = RecordManagerCall(OpGetEqual + LockBiasNoWait, block, data.data(), &length,
                                 key.data(), 255, 0);
    }
    const char answer = status == 0 ? 'k' : 'f';
    [[maybe_unused]] auto n = ::write(from_child_[1], &answer, 1);
    char go = 0;
    n = ::read(to_child_[0], &go, 1);
    RecordManagerCall(OpClose, block, nullptr, nullptr, nullptr, 0, 0);
    const char done = 'd';
    n = ::write(from_child_[1], &done, 1);
    ::_exit(0);
  }

  pid_t pid_ = -1;
  int to_child_[2] = {-1, -1};
  int from_child_[2] = {-1, -1};
};

// Scratch root directory, memory console, session and data layer in their start state; the end
// and sleep hooks record their calls.
class DataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/data_test_XXXXXX";
    const char* made = ::mkdtemp(tmpl);
    ASSERT_NE(made, nullptr);
    root_ = made;
    std::filesystem::create_directories(root_ + "/ddf");
    std::filesystem::create_directories(root_ + "/DADES");
    RecordManagerCall(OpReset, nullptr, nullptr, nullptr, nullptr, 0, 0);
    ResetConsoleState();
    ResetColourState();
    ResetWindowState();
    ResetSessionSettings();
    ResetDataFileTable();
    ResetLockModeStack();
    SessionSettings.RootDirectory = root_ + "\\";
    SessionSettings.TemporaryDirectory = root_ + "/";
    SessionSettings.LanguageCode = "   ";
    DataHooks.End = [this](int code) { ends_.push_back(code); };
    DataHooks.Sleep = [this](int ms) {
      sleeps_.push_back(ms);
      if (on_sleep_) on_sleep_(static_cast<int>(sleeps_.size()));
    };
    DataHooks.Random = [] { return 0.5; };
  }

  void TearDown() override {
    short status = 0;
    CloseAllDataFiles(status);
    ResetDataFileTable();
    ResetLockModeStack();
    RecordManagerCall(OpReset, nullptr, nullptr, nullptr, nullptr, 0, 0);
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

  MemoryConsole& Screen() { return BuiltInConsole(); }
  std::string Native(const std::string& relative) const { return root_ + "/" + relative; }

  std::string root_;
  std::vector<int> ends_;
  std::vector<int> sleeps_;
  std::function<void(int)> on_sleep_;  // called with the number of the sleep
};

}  // namespace data_test

#endif
