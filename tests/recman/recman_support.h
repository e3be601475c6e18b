// Small helpers for the record manager tests: a scratch directory, a builder of file specification
// blocks, and a position block with typed wrappers around RecordManagerCall.
#ifndef TESTS_RECMAN_SUPPORT_H
#define TESTS_RECMAN_SUPPORT_H

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "recman/recman.h"
#include "tests/support/specification_block.h"

namespace recman_test {

class ScratchDir {
 public:
  ScratchDir() {
    char tmpl[] = "/tmp/recman_test_XXXXXX";
    const char* made = ::mkdtemp(tmpl);
    path_ = made != nullptr ? made : "/tmp";
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

using test_support::MakeSpec;
using test_support::PutWord;
using test_support::Segment;

// An alternate collating sequence block: signature, name, table.
inline std::string MakeAlternate(const std::string& name, const unsigned char (&table)[256]) {
  std::string s(1, static_cast<char>(AlternateSignature));
  std::string n = name;
  n.resize(8, ' ');
  s += n;
  s.append(reinterpret_cast<const char*>(table), 256);
  return s;
}

inline short CreateFile(const std::string& path, std::string spec, signed char mode = CreateNoReplace) {
  std::uint32_t len = static_cast<std::uint32_t>(spec.size());
  std::string name = path;
  return RecordManagerCall(OpCreate, nullptr, spec.data(), &len, name.data(),
                           static_cast<unsigned char>(name.size()), mode);
}

class Handle {
 public:
  unsigned char block[PositionBlockSize] = {};
  std::string key = std::string(255, '\0');

  short Open(const std::string& path, signed char mode = OpenNormal) {
    std::string name = path;
    std::string owner = "0000";
    owner.push_back('\0');
    std::uint32_t len = 5;
    return RecordManagerCall(OpOpen, block, owner.data(), &len, name.data(),
                             static_cast<unsigned char>(name.size()), mode);
  }
  short Close() { return RecordManagerCall(OpClose, block, nullptr, nullptr, nullptr, 0, 0); }
  // Any operation with a data buffer `data` (its size is the data length in; resized to the
  // length out) and the handle's 255-byte key buffer.
  short Call(unsigned op, std::string& data, int key_number, unsigned char key_length = 255) {
    std::uint32_t len = static_cast<std::uint32_t>(data.size());
    const short status = RecordManagerCall(static_cast<unsigned short>(op), block, data.data(), &len,
                                           key.data(), key_length,
                                           static_cast<signed char>(key_number));
    if (len <= data.size()) data.resize(len);
    return status;
  }
  // A get that passes `record_length` bytes of buffer.
  short Get(unsigned op, int key_number, std::string& record, std::size_t record_length) {
    record.assign(record_length, '\0');
    return Call(op, record, key_number);
  }
  short GetByKey(unsigned op, int key_number, const std::string& value, std::string& record,
                 std::size_t record_length) {
    key.assign(255, '\0');
    std::memcpy(key.data(), value.data(), value.size());
    return Get(op, key_number, record, record_length);
  }
  short Insert(std::string record, int key_number = 0) { return Call(OpInsert, record, key_number); }
  short Delete() {
    std::string none;
    return Call(OpDelete, none, 0);
  }
  short Position(std::int32_t& position) {
    std::string data(4, '\0');
    const short status = Call(OpGetPosition, data, 0);
    if (status == 0) std::memcpy(&position, data.data(), 4);
    return status;
  }
  short Direct(std::int32_t position, int key_number, std::string& record, std::size_t record_length,
               unsigned bias = 0) {
    record.assign(record_length, '\0');
    std::memcpy(record.data(), &position, 4);
    return Call(OpGetDirect + bias, record, key_number);
  }
  std::uint32_t RecordCount() {
    std::string data(1536, '\0');
    if (Call(OpStat, data, 0) != 0 || data.size() < 10) return 0xffffffffu;
    std::uint32_t n = 0;
    std::memcpy(&n, data.data() + 6, 4);
    return n;
  }
};

inline void ResetEngine() { RecordManagerCall(OpReset, nullptr, nullptr, nullptr, nullptr, 0, 0); }

}  // namespace recman_test

#endif
