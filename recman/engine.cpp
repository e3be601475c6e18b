#include "recman/engine.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "recman/file_spec.h"
#include "recman/recman.h"
#include "recman/record_locks.h"
#include "recman/wal_watch.h"

namespace recman {
namespace {

constexpr int kBusyMilliseconds = 1000;
constexpr unsigned char kBlockMagic[4] = {'R', 'M', 'H', '1'};
constexpr std::int64_t kMaxPosition = 0x7FFFFFFF;
constexpr std::int64_t kFileLockByte = 0;

// Positioning statements per key: ascending from (>=, >, after the current pair, all), descending.
enum StatementKind { kGe, kGt, kAfter, kAll, kLe, kLt, kBefore, kAllDesc, kStatementKinds };

struct Row {
  std::int64_t position = 0;
  std::string record;
  std::string ckey;
};

struct Handle {
  std::uint32_t generation = 0;
  std::string path;
  sqlite3* db = nullptr;
  FileSpec spec;
  bool read_only = false;
  bool in_transaction = false;
  LockFile locks;
  WalWatch watch;
  std::vector<std::vector<sqlite3_stmt*>> key_statements;  // [key][kind], prepared on first use
  sqlite3_stmt* by_position = nullptr;
  sqlite3_stmt* insert = nullptr;
  sqlite3_stmt* update = nullptr;
  sqlite3_stmt* remove = nullptr;
  sqlite3_stmt* count = nullptr;
  sqlite3_stmt* next_position = nullptr;
  // Current position: the key path and the (collated key, position) pair; has_record is false
  // after Delete, when the pair only marks the place between the neighbours.
  int path_key = -1;
  bool positioned = false;
  bool has_record = false;
  std::string current_key;
  std::int64_t current_position = 0;
  std::int64_t locked = 0;  // position of the held single-record lock, 0 for none
  // An open statement standing on the current record, continued by Next (dir 1) or Previous (-1)
  // while the WAL index header shows no commit since it started.
  sqlite3_stmt* cont = nullptr;
  int cont_key = -1;
  int cont_dir = 0;
  bool cont_watched = false;
  alignas(4) unsigned char cont_header[kWalHeaderBytes] = {};
  Row row;  // scratch, kept to reuse its buffers
};

void CloseHandle(Handle& h);

struct Engine {
  std::vector<std::unique_ptr<Handle>> slots;
  std::uint32_t next_generation = 1;
  // A program that ends without Reset still closes its files (and rolls back open transactions).
  ~Engine() {
    for (auto& slot : slots)
      if (slot) CloseHandle(*slot);
  }
};

Engine& TheEngine() {
  static Engine engine;
  return engine;
}

short MapSqliteError(int rc) {
  switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return StatusFileLocked;
    case SQLITE_FULL: return StatusDiskFull;
    case SQLITE_CONSTRAINT: return StatusDuplicateKey;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return StatusAccessDenied;
    case SQLITE_NOTADB: return StatusNotOurFile;
    default: return StatusIoError;
  }
}

std::uint32_t ReadU32(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

void WriteU32(void* p, std::uint32_t v) {
  auto* b = static_cast<unsigned char*>(p);
  for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
}

Handle* FindHandle(const void* block) {
  if (block == nullptr) return nullptr;
  const auto* b = static_cast<const unsigned char*>(block);
  if (std::memcmp(b, kBlockMagic, 4) != 0) return nullptr;
  const std::uint32_t slot = ReadU32(b + 4);
  const std::uint32_t generation = ReadU32(b + 8);
  Engine& engine = TheEngine();
  if (slot >= engine.slots.size() || !engine.slots[slot]) return nullptr;
  Handle* h = engine.slots[slot].get();
  return h->generation == generation ? h : nullptr;
}

// The file name of Open and Create: key_length bytes, or fewer when a NUL comes first.
std::string FileName(const void* key_buffer, unsigned char key_length) {
  if (key_buffer == nullptr) return {};
  const char* k = static_cast<const char*>(key_buffer);
  std::size_t n = 0;
  while (n < key_length && k[n] != '\0') ++n;
  return std::string(k, n);
}

bool Exec(sqlite3* db, const char* sql, int* rc_out = nullptr) {
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  if (rc_out != nullptr) *rc_out = rc;
  return rc == SQLITE_OK;
}

sqlite3_stmt* Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr) != SQLITE_OK) {
    sqlite3_finalize(st);
    return nullptr;
  }
  return st;
}

std::string KeyColumns(const FileSpec& spec) {
  std::string s;
  for (std::size_t k = 0; k < spec.keys.size(); ++k) s += ", " + KeyColumn(static_cast<int>(k));
  return s;
}

std::string PositioningSql(int key, StatementKind kind) {
  const std::string c = KeyColumn(key);
  const std::string asc = " ORDER BY " + c;
  const std::string desc = " ORDER BY " + c + " DESC";
  std::string sql = "SELECT position, record, " + c + " FROM recman_records";
  switch (kind) {
    case kGe: return sql + " WHERE " + c + " >= ?1" + asc;
    case kGt:
    case kAfter: return sql + " WHERE " + c + " > ?1" + asc;
    case kAll: return sql + asc;
    case kLe: return sql + " WHERE " + c + " <= ?1" + desc;
    case kLt:
    case kBefore: return sql + " WHERE " + c + " < ?1" + desc;
    case kAllDesc: return sql + desc;
    default: return sql;
  }
}

// What a key column holds: the collated key, and for keys with duplicates the position after it
// (8 bytes, big-endian), so that one unique index orders by (key, position) and every seek is a
// single range. `position` -1 and -2 give the lowest and highest suffix, for searches by key alone.
std::string StoredKey(const Handle& h, int key, const std::string& ckey, std::int64_t position) {
  if (!h.spec.keys[key].duplicates) return ckey;
  std::string s = ckey;
  for (int i = 7; i >= 0; --i) {
    const unsigned char byte = position == -1   ? 0x00
                               : position == -2 ? 0xff
                                                : static_cast<unsigned char>(position >> (8 * i));
    s.push_back(static_cast<char>(byte));
  }
  return s;
}

constexpr std::int64_t kLowest = -1;
constexpr std::int64_t kHighest = -2;

sqlite3_stmt* KeyStatement(Handle& h, int key, StatementKind kind) {
  sqlite3_stmt*& st = h.key_statements[key][kind];
  if (st == nullptr) st = Prepare(h.db, PositioningSql(key, kind));
  return st;
}

void DropCont(Handle& h) {
  if (h.cont != nullptr) sqlite3_reset(h.cont);
  h.cont = nullptr;
  h.cont_key = -1;
  h.cont_dir = 0;
  h.cont_watched = false;
}

void ReleaseLock(Handle& h) {
  if (h.locked != 0) UnlockByte(h.locks, h.locked);
  h.locked = 0;
}

void CloseHandle(Handle& h) {
  DropCont(h);
  for (auto& kinds : h.key_statements)
    for (sqlite3_stmt* st : kinds) sqlite3_finalize(st);
  h.key_statements.clear();
  for (sqlite3_stmt* st : {h.by_position, h.insert, h.update, h.remove, h.count, h.next_position})
    sqlite3_finalize(st);
  h.by_position = h.insert = h.update = h.remove = h.count = h.next_position = nullptr;
  if (h.db != nullptr) {
    if (h.in_transaction) Exec(h.db, "ROLLBACK");
    sqlite3_close_v2(h.db);
  }
  h.db = nullptr;
  StopWalWatch(h.watch);
  ReleaseLock(h);
  CloseLockFile(h.locks);  // also drops the shared lock on the file byte
}

// Reads the current row of a stepped statement (columns position, record[, key]).
short ReadRow(Handle& h, sqlite3_stmt* st, int key, bool key_column, Row& row) {
  row.position = sqlite3_column_int64(st, 0);
  const void* rec = sqlite3_column_blob(st, 1);
  const int rec_len = sqlite3_column_bytes(st, 1);
  if (rec_len < static_cast<int>(h.spec.record_length) || rec == nullptr) return StatusIoError;
  row.record.assign(static_cast<const char*>(rec), rec_len);
  if (key < 0) {
    row.ckey.clear();
  } else if (key_column) {
    const void* k = sqlite3_column_blob(st, 2);
    const int k_len = sqlite3_column_bytes(st, 2);
    const int want = static_cast<int>(h.spec.keys[key].length);
    const int stored = want + (h.spec.keys[key].duplicates ? 8 : 0);
    if (k == nullptr || k_len != stored) return StatusIoError;
    row.ckey.assign(static_cast<const char*>(k), want);
  } else {
    const std::string raw =
        RawKey(h.spec, key, reinterpret_cast<const unsigned char*>(row.record.data()));
    row.ckey = CollateKey(h.spec, key, reinterpret_cast<const unsigned char*>(raw.data()));
  }
  return StatusSuccess;
}

// Runs a positioning statement from its start and reads its first row. With `keep` the statement
// stays open as the continuation for Next (dir 1) or Previous (dir -1).
short FirstRow(Handle& h, sqlite3_stmt* st, int key, int dir, bool keep, Row& row) {
  DropCont(h);
  if (st == nullptr) return StatusIoError;
  alignas(4) unsigned char header[kWalHeaderBytes];
  const bool watched = keep && !h.in_transaction && ReadWalHeader(h.watch, header);
  const int rc = sqlite3_step(st);
  if (rc == SQLITE_DONE) {
    sqlite3_reset(st);
    return StatusEndOfFile;
  }
  if (rc != SQLITE_ROW) {
    sqlite3_reset(st);
    return MapSqliteError(rc);
  }
  const short status = ReadRow(h, st, key, true, row);
  if (status != StatusSuccess || !keep) {
    sqlite3_reset(st);
    return status;
  }
  h.cont = st;
  h.cont_key = key;
  h.cont_dir = dir;
  h.cont_watched = watched;
  if (watched) std::memcpy(h.cont_header, header, kWalHeaderBytes);
  return StatusSuccess;
}

// Finds the record an operation reaches, without changing the current position.
short Locate(Handle& h, unsigned op, int key, const std::string& target, std::int64_t direct,
             bool keep, Row& row) {
  if (op == OpGetDirect) {
    DropCont(h);
    sqlite3_reset(h.by_position);
    sqlite3_bind_int64(h.by_position, 1, direct);
    const int rc = sqlite3_step(h.by_position);
    short status = StatusSuccess;
    if (rc == SQLITE_ROW) {
      status = ReadRow(h, h.by_position, key, false, row);
    } else {
      status = rc == SQLITE_DONE ? StatusInvalidRecordAddress : MapSqliteError(rc);
    }
    sqlite3_reset(h.by_position);
    return status;
  }
  if (op == OpGetNext || op == OpGetPrevious) {
    const int dir = op == OpGetNext ? 1 : -1;
    if (keep && h.cont != nullptr && h.cont_key == key && h.cont_dir == dir && h.cont_watched &&
        WalUnchanged(h.watch, h.cont_header)) {
      const int rc = sqlite3_step(h.cont);
      if (rc == SQLITE_ROW) {
        const short status = ReadRow(h, h.cont, key, true, row);
        if (status != StatusSuccess) DropCont(h);
        return status;
      }
      DropCont(h);
      return rc == SQLITE_DONE ? StatusEndOfFile : MapSqliteError(rc);
    }
    DropCont(h);
    sqlite3_stmt* st = KeyStatement(h, key, dir > 0 ? kAfter : kBefore);
    if (st == nullptr) return StatusIoError;
    const std::string from = StoredKey(h, key, h.current_key, h.current_position);
    sqlite3_bind_blob(st, 1, from.data(), static_cast<int>(from.size()), SQLITE_TRANSIENT);
    return FirstRow(h, st, key, dir, keep, row);
  }
  StatementKind kind = kAll;
  int dir = 1;
  std::int64_t suffix = kLowest;
  switch (op) {
    case OpGetEqual: kind = kGe; break;
    case OpGetGreater: kind = kGt; suffix = kHighest; break;
    case OpGetGreaterOrEqual: kind = kGe; break;
    case OpGetLess: kind = kLt; dir = -1; break;
    case OpGetLessOrEqual: kind = kLe; dir = -1; suffix = kHighest; break;
    case OpGetFirst: kind = kAll; break;
    case OpGetLast: kind = kAllDesc; dir = -1; break;
    default: return StatusInvalidOperation;
  }
  DropCont(h);
  sqlite3_stmt* st = KeyStatement(h, key, kind);
  if (st == nullptr) return StatusIoError;
  if (kind != kAll && kind != kAllDesc) {
    const std::string bound = StoredKey(h, key, target, suffix);
    sqlite3_bind_blob(st, 1, bound.data(), static_cast<int>(bound.size()), SQLITE_TRANSIENT);
  }
  short status = FirstRow(h, st, key, dir, keep, row);
  if (op == OpGetEqual) {
    if (status == StatusEndOfFile) return StatusKeyNotFound;
    if (status == StatusSuccess && row.ckey != target) {
      DropCont(h);
      return StatusKeyNotFound;
    }
  }
  return status;
}

short CheckKey(const Handle& h, int key, const void* key_buffer, unsigned char key_length) {
  if (key < 0 || key >= static_cast<int>(h.spec.keys.size())) return StatusInvalidKeyNumber;
  if (key_buffer == nullptr || key_length < h.spec.keys[key].length) return StatusKeyBufferTooShort;
  return StatusSuccess;
}

// Copies a found record out and makes it the current one.
short Deliver(Handle& h, int key, const Row& row, void* data_buffer, std::uint32_t* data_length,
              void* key_buffer) {
  short status = StatusSuccess;
  std::size_t n = row.record.size();
  if (n > *data_length) {
    n = *data_length;
    status = StatusDataBufferTooShort;
  }
  std::memcpy(data_buffer, row.record.data(), n);
  *data_length = static_cast<std::uint32_t>(n);
  const std::string raw =
      RawKey(h.spec, key, reinterpret_cast<const unsigned char*>(row.record.data()));
  std::memcpy(key_buffer, raw.data(), raw.size());
  h.path_key = key;
  h.positioned = true;
  h.has_record = true;
  h.current_key = row.ckey;
  h.current_position = row.position;
  return status;
}

short GetRecord(Handle& h, unsigned op, bool lock, bool wait, void* data_buffer,
                std::uint32_t* data_length, void* key_buffer, unsigned char key_length, int key) {
  if (op != OpGetNext && op != OpGetPrevious) DropCont(h);
  const short key_status = CheckKey(h, key, key_buffer, key_length);
  if (key_status != StatusSuccess) return key_status;
  std::int64_t direct = 0;
  if (op == OpGetDirect) {
    if (data_buffer == nullptr || *data_length < 4) return StatusDataBufferTooShort;
    direct = static_cast<std::int32_t>(ReadU32(data_buffer));
  }
  if (data_buffer == nullptr || *data_length < h.spec.record_length) return StatusDataBufferTooShort;
  if (op == OpGetDirect && direct <= 0) return StatusInvalidRecordAddress;
  if (op == OpGetNext || op == OpGetPrevious) {
    if (!h.positioned) return StatusInvalidPositioning;
    if (h.path_key != key) return StatusKeyNumberChanged;
  }
  std::string target;
  if (op == OpGetEqual || op == OpGetGreater || op == OpGetGreaterOrEqual || op == OpGetLess ||
      op == OpGetLessOrEqual)
    target = CollateKey(h.spec, key, static_cast<const unsigned char*>(key_buffer));

  Row& row = h.row;
  for (;;) {
    const short status = Locate(h, op, key, target, direct, !lock, row);
    if (status != StatusSuccess) return status;
    if (!lock || h.locked == row.position) break;
    ReleaseLock(h);
    LockResult r = LockByte(h.locks, row.position, true, false);
    if (r == LockResult::Taken) {
      h.locked = row.position;
      break;
    }
    if (r == LockResult::Failed) return StatusIoError;
    if (!wait) return StatusRecordLocked;
    // Wait for the holder (no statement is open now), then look again: the record may have
    // changed or gone meanwhile; the loop ends once the lock sits on the record found.
    r = LockByte(h.locks, row.position, true, true);
    if (r != LockResult::Taken) return StatusIoError;
    h.locked = row.position;
  }
  return Deliver(h, key, row, data_buffer, data_length, key_buffer);
}

short BeginWrite(Handle& h) {
  DropCont(h);
  if (h.in_transaction) return StatusSuccess;
  int rc = SQLITE_OK;
  if (!Exec(h.db, "BEGIN IMMEDIATE", &rc)) return MapSqliteError(rc);
  return StatusSuccess;
}

// Ends the write begun by BeginWrite: commits on success, rolls back otherwise (inside an explicit
// transaction both are left to End/Abort Transaction).
short EndWrite(Handle& h, short status) {
  if (h.in_transaction) return status;
  if (status == StatusSuccess) {
    int rc = SQLITE_OK;
    if (Exec(h.db, "COMMIT", &rc)) return StatusSuccess;
    status = MapSqliteError(rc);
  }
  Exec(h.db, "ROLLBACK");
  return status;
}

short CheckRecordLength(const Handle& h, const void* data_buffer, std::uint32_t length) {
  if (data_buffer == nullptr) return StatusDataBufferTooShort;
  if (h.spec.variable_length ? length < h.spec.record_length : length != h.spec.record_length)
    return StatusDataBufferTooShort;
  return StatusSuccess;
}

std::int64_t ReadInteger(const unsigned char* p, std::size_t n) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
  if (n < 8 && (v >> (8 * n - 1)) & 1) v |= ~std::uint64_t{0} << (8 * n);
  return static_cast<std::int64_t>(v);
}

void WriteInteger(unsigned char* p, std::size_t n, std::int64_t value) {
  const auto v = static_cast<std::uint64_t>(value);
  for (std::size_t i = 0; i < n; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

// Gives every autoincrement key whose value is zero the highest value in the file plus one.
short FillAutoincrement(Handle& h, std::string& record) {
  for (std::size_t k = 0; k < h.spec.keys.size(); ++k) {
    const KeyDefinition& def = h.spec.keys[k];
    if (!def.autoincrement) continue;
    const KeySegment& seg = def.segments[0];
    auto* p = reinterpret_cast<unsigned char*>(record.data()) + seg.position;
    if (ReadInteger(p, seg.length) != 0) continue;
    sqlite3_stmt* st = KeyStatement(h, static_cast<int>(k), kAllDesc);
    if (st == nullptr) return StatusIoError;
    std::int64_t highest = 0;
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
      const auto* last = static_cast<const unsigned char*>(sqlite3_column_blob(st, 1));
      if (last == nullptr ||
          sqlite3_column_bytes(st, 1) < static_cast<int>(h.spec.record_length)) {
        sqlite3_reset(st);
        return StatusIoError;
      }
      highest = ReadInteger(last + seg.position, seg.length);
    } else if (rc != SQLITE_DONE) {
      sqlite3_reset(st);
      return MapSqliteError(rc);
    }
    sqlite3_reset(st);
    const std::int64_t top =
        seg.length == 8 ? INT64_MAX : (std::int64_t{1} << (8 * seg.length - 1)) - 1;
    if (highest >= top) return StatusDuplicateKey;
    WriteInteger(p, seg.length, highest < 0 ? 1 : highest + 1);
  }
  return StatusSuccess;
}

// The collated keys of a record, one per key.
std::vector<std::string> CollatedKeys(const Handle& h, const std::string& record) {
  std::vector<std::string> keys;
  const auto* rec = reinterpret_cast<const unsigned char*>(record.data());
  for (std::size_t k = 0; k < h.spec.keys.size(); ++k) {
    const std::string raw = RawKey(h.spec, static_cast<int>(k), rec);
    keys.push_back(
        CollateKey(h.spec, static_cast<int>(k), reinterpret_cast<const unsigned char*>(raw.data())));
  }
  return keys;
}

// Binds record and key columns of an insert or update: ?1 record, ?2... the stored keys.
void BindRecord(const Handle& h, sqlite3_stmt* st, const std::string& record,
                const std::vector<std::string>& keys, std::int64_t position,
                std::vector<std::string>& stored) {
  stored.clear();
  for (std::size_t k = 0; k < keys.size(); ++k)
    stored.push_back(StoredKey(h, static_cast<int>(k), keys[k], position));
  sqlite3_bind_blob(st, 1, record.data(), static_cast<int>(record.size()), SQLITE_STATIC);
  for (std::size_t k = 0; k < stored.size(); ++k)
    sqlite3_bind_blob(st, static_cast<int>(k) + 2, stored[k].data(),
                      static_cast<int>(stored[k].size()), SQLITE_STATIC);
  sqlite3_bind_int64(st, static_cast<int>(keys.size()) + 2, position);
}

short RunWrite(sqlite3_stmt* st) {
  const int rc = sqlite3_step(st);
  sqlite3_reset(st);
  sqlite3_clear_bindings(st);
  return rc == SQLITE_DONE ? StatusSuccess : MapSqliteError(rc);
}

short Insert(Handle& h, void* data_buffer, std::uint32_t* data_length, void* key_buffer,
             unsigned char key_length, int key) {
  DropCont(h);
  if (h.read_only) return StatusAccessDenied;
  const short length_status = CheckRecordLength(h, data_buffer, *data_length);
  if (length_status != StatusSuccess) return length_status;
  const bool set_position = key >= 0 && !h.spec.keys.empty();
  if (set_position) {
    const short key_status = CheckKey(h, key, key_buffer, key_length);
    if (key_status != StatusSuccess) return key_status;
  }
  std::string record(static_cast<const char*>(data_buffer), *data_length);
  short status = BeginWrite(h);
  if (status != StatusSuccess) return status;
  status = FillAutoincrement(h, record);
  std::vector<std::string> keys;
  std::int64_t position = 0;
  if (status == StatusSuccess) {
    // The position is chosen here, as AUTOINCREMENT would, because keys with duplicates carry it.
    const int rc = sqlite3_step(h.next_position);
    if (rc == SQLITE_ROW) position = sqlite3_column_int64(h.next_position, 0);
    sqlite3_reset(h.next_position);
    if (rc != SQLITE_ROW) status = MapSqliteError(rc);
    else if (position <= 0 || position > kMaxPosition) status = StatusDiskFull;
  }
  if (status == StatusSuccess) {
    keys = CollatedKeys(h, record);
    std::vector<std::string> stored;
    BindRecord(h, h.insert, record, keys, position, stored);
    status = RunWrite(h.insert);
  }
  status = EndWrite(h, status);
  if (status != StatusSuccess) return status;
  std::memcpy(data_buffer, record.data(), record.size());
  if (set_position) {
    const std::string raw =
        RawKey(h.spec, key, reinterpret_cast<const unsigned char*>(record.data()));
    std::memcpy(key_buffer, raw.data(), raw.size());
    h.path_key = key;
    h.positioned = true;
    h.has_record = true;
    h.current_key = keys[key];
    h.current_position = position;
  }
  return StatusSuccess;
}

// Makes sure no other position block holds the current record's lock; `temporary` tells whether the
// lock taken for the check must be dropped afterwards.
short GuardCurrentRecord(Handle& h, bool& temporary) {
  temporary = false;
  if (h.locked == h.current_position) return StatusSuccess;
  const LockResult r = LockByte(h.locks, h.current_position, true, false);
  if (r == LockResult::Conflict) return StatusRecordLocked;
  if (r == LockResult::Failed) return StatusIoError;
  temporary = true;
  return StatusSuccess;
}

short Update(Handle& h, void* data_buffer, std::uint32_t* data_length, void* key_buffer,
             unsigned char key_length, int key) {
  DropCont(h);
  if (h.read_only) return StatusAccessDenied;
  if (!h.positioned || !h.has_record) return StatusInvalidPositioning;
  const bool set_position = key >= 0 && !h.spec.keys.empty();
  if (set_position) {
    if (key != h.path_key) return StatusKeyNumberChanged;
    const short key_status = CheckKey(h, key, key_buffer, key_length);
    if (key_status != StatusSuccess) return key_status;
  }
  const short length_status = CheckRecordLength(h, data_buffer, *data_length);
  if (length_status != StatusSuccess) return length_status;
  bool temporary = false;
  short status = GuardCurrentRecord(h, temporary);
  if (status != StatusSuccess) return status;
  status = BeginWrite(h);
  const std::string record(static_cast<const char*>(data_buffer), *data_length);
  const std::vector<std::string> keys = CollatedKeys(h, record);
  if (status == StatusSuccess) {
    sqlite3_bind_int64(h.by_position, 1, h.current_position);
    const int rc = sqlite3_step(h.by_position);
    if (rc == SQLITE_ROW) {
      Row old;
      status = ReadRow(h, h.by_position, -1, false, old);
      if (status == StatusSuccess) {
        const std::vector<std::string> old_keys = CollatedKeys(h, old.record);
        for (std::size_t k = 0; k < keys.size(); ++k)
          if (!h.spec.keys[k].modifiable && keys[k] != old_keys[k]) status = StatusKeyNotModifiable;
      }
    } else {
      status = rc == SQLITE_DONE ? StatusInvalidPositioning : MapSqliteError(rc);
    }
    sqlite3_reset(h.by_position);
  }
  if (status == StatusSuccess) {
    std::vector<std::string> stored;
    BindRecord(h, h.update, record, keys, h.current_position, stored);
    status = RunWrite(h.update);
  }
  status = EndWrite(h, status);
  if (temporary) UnlockByte(h.locks, h.current_position);
  if (status != StatusSuccess) return status;
  ReleaseLock(h);
  if (set_position) {
    const std::string raw =
        RawKey(h.spec, key, reinterpret_cast<const unsigned char*>(record.data()));
    std::memcpy(key_buffer, raw.data(), raw.size());
    h.current_key = keys[key];
  }
  return StatusSuccess;
}

short Delete(Handle& h) {
  DropCont(h);
  if (h.read_only) return StatusAccessDenied;
  if (!h.positioned || !h.has_record) return StatusInvalidPositioning;
  bool temporary = false;
  short status = GuardCurrentRecord(h, temporary);
  if (status != StatusSuccess) return status;
  status = BeginWrite(h);
  if (status == StatusSuccess) {
    sqlite3_bind_int64(h.remove, 1, h.current_position);
    status = RunWrite(h.remove);
    if (status == StatusSuccess && sqlite3_changes(h.db) == 0) status = StatusInvalidPositioning;
  }
  status = EndWrite(h, status);
  if (temporary) UnlockByte(h.locks, h.current_position);
  if (status != StatusSuccess) return status;
  ReleaseLock(h);
  h.has_record = false;
  return StatusSuccess;
}

short Stat(Handle& h, void* data_buffer, std::uint32_t* data_length) {
  DropCont(h);
  const std::string& block = h.spec.block;
  if (data_buffer == nullptr || *data_length < block.size()) return StatusDataBufferTooShort;
  const int rc = sqlite3_step(h.count);
  std::int64_t records = 0;
  if (rc == SQLITE_ROW) records = sqlite3_column_int64(h.count, 0);
  sqlite3_reset(h.count);
  if (rc != SQLITE_ROW) return MapSqliteError(rc);
  std::memcpy(data_buffer, block.data(), block.size());
  WriteU32(static_cast<unsigned char*>(data_buffer) + 6,
           static_cast<std::uint32_t>(records > UINT32_MAX ? UINT32_MAX : records));
  *data_length = static_cast<std::uint32_t>(block.size());
  return StatusSuccess;
}

short GetPosition(Handle& h, void* data_buffer, std::uint32_t* data_length) {
  if (!h.positioned || !h.has_record) return StatusInvalidPositioning;
  if (data_buffer == nullptr || *data_length < 4) return StatusDataBufferTooShort;
  WriteU32(data_buffer, static_cast<std::uint32_t>(h.current_position));
  *data_length = 4;
  return StatusSuccess;
}

short Transaction(Handle& h, unsigned op) {
  DropCont(h);
  int rc = SQLITE_OK;
  if (op == OpBeginTransaction) {
    if (h.in_transaction) return StatusTransactionActive;
    if (h.read_only) return StatusAccessDenied;
    if (!Exec(h.db, "BEGIN IMMEDIATE", &rc)) return MapSqliteError(rc);
    h.in_transaction = true;
    return StatusSuccess;
  }
  if (!h.in_transaction) return StatusNoTransaction;
  if (op == OpEndTransaction) {
    if (!Exec(h.db, "COMMIT", &rc)) return MapSqliteError(rc);
  } else {
    Exec(h.db, "ROLLBACK");
  }
  h.in_transaction = false;
  return StatusSuccess;
}

// Prepares the statements every handle needs; false when the database lacks our tables.
bool PrepareHandle(Handle& h) {
  const std::string cols = KeyColumns(h.spec);
  std::string values = "?1";
  std::string sets = "record = ?1";
  for (std::size_t k = 0; k < h.spec.keys.size(); ++k) {
    values += ", ?" + std::to_string(k + 2);
    sets += ", " + KeyColumn(static_cast<int>(k)) + " = ?" + std::to_string(k + 2);
  }
  h.by_position = Prepare(h.db, "SELECT position, record FROM recman_records WHERE position = ?1");
  const std::string last = "?" + std::to_string(h.spec.keys.size() + 2);
  h.insert = Prepare(h.db, "INSERT INTO recman_records(record" + cols + ", position) VALUES(" +
                               values + ", " + last + ")");
  h.update = Prepare(h.db, "UPDATE recman_records SET " + sets + " WHERE position = " + last);
  h.remove = Prepare(h.db, "DELETE FROM recman_records WHERE position = ?1");
  h.count = Prepare(h.db, "SELECT count(*) FROM recman_records");
  h.next_position = Prepare(
      h.db,
      "SELECT max(coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'recman_records'), 0),"
      " coalesce((SELECT max(position) FROM recman_records), 0)) + 1");
  h.key_statements.assign(h.spec.keys.size(), std::vector<sqlite3_stmt*>(kStatementKinds, nullptr));
  return h.by_position && h.insert && h.update && h.remove && h.count && h.next_position;
}

// Reads and checks the file's own table; 0 with the file specification filled, or 30 / 85 / 46.
short ReadFileSpec(sqlite3* db, FileSpec& spec) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, "SELECT format, version, spec FROM recman_file WHERE id = 1", -1,
                              &st, nullptr);
  short status = StatusNotOurFile;
  if (rc == SQLITE_OK) rc = sqlite3_step(st);
  if (rc == SQLITE_ROW) {
    const auto* format = sqlite3_column_text(st, 0);
    const auto* block = static_cast<const unsigned char*>(sqlite3_column_blob(st, 2));
    const int block_len = sqlite3_column_bytes(st, 2);
    if (format != nullptr && std::strcmp(reinterpret_cast<const char*>(format), kFileFormat) == 0 &&
        sqlite3_column_int(st, 1) == kFileVersion && block != nullptr &&
        ParseFileSpec(block, static_cast<std::size_t>(block_len), spec) == StatusSuccess)
      status = StatusSuccess;
  } else if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) {
    status = StatusFileLocked;
  } else if ((rc & 0xff) == SQLITE_CANTOPEN || (rc & 0xff) == SQLITE_READONLY) {
    status = StatusAccessDenied;
  }
  sqlite3_finalize(st);
  return status;
}

short Open(void* position_block, const void* key_buffer, unsigned char key_length, int mode) {
  if (position_block == nullptr) return StatusFileNotOpen;
  const std::string path = FileName(key_buffer, key_length);
  if (path.empty()) return StatusInvalidFileName;
  if (mode != OpenNormal && mode != OpenAccelerated && mode != OpenReadOnly && mode != OpenExclusive)
    return StatusInvalidOperation;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    return (errno == ENOENT || errno == ENOTDIR) ? StatusFileNotFound : StatusIoError;
  if (!S_ISREG(st.st_mode)) return StatusInvalidFileName;

  auto h = std::make_unique<Handle>();
  h->path = path;
  h->read_only = mode == OpenReadOnly || ::access(path.c_str(), W_OK) != 0;
  if (h->read_only && mode == OpenExclusive) return StatusAccessDenied;
  if (OpenLockFile(path, true, h->locks)) {
    const LockResult r = LockByte(h->locks, kFileLockByte, mode == OpenExclusive, false);
    if (r != LockResult::Taken) {
      CloseLockFile(h->locks);
      return r == LockResult::Conflict ? StatusFileLocked : StatusIoError;
    }
  }
  const int flags = (h->read_only ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                    SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE;
  if (sqlite3_open_v2(path.c_str(), &h->db, flags, nullptr) != SQLITE_OK) {
    CloseHandle(*h);
    return StatusNotOurFile;
  }
  sqlite3_busy_timeout(h->db, kBusyMilliseconds);
  short status = ReadFileSpec(h->db, h->spec);
  if (status == StatusSuccess && !PrepareHandle(*h)) status = StatusNotOurFile;
  if (status == StatusSuccess) {
    Exec(h->db, mode == OpenAccelerated ? "PRAGMA synchronous = NORMAL" : "PRAGMA synchronous = FULL");
    StartWalWatch(h->db, h->watch);
  }
  if (status != StatusSuccess) {
    CloseHandle(*h);
    return status;
  }
  Engine& engine = TheEngine();
  std::size_t slot = 0;
  while (slot < engine.slots.size() && engine.slots[slot]) ++slot;
  if (slot == engine.slots.size()) engine.slots.emplace_back();
  h->generation = engine.next_generation++;
  auto* b = static_cast<unsigned char*>(position_block);
  std::memset(b, 0, PositionBlockSize);
  std::memcpy(b, kBlockMagic, 4);
  WriteU32(b + 4, static_cast<std::uint32_t>(slot));
  WriteU32(b + 8, h->generation);
  engine.slots[slot] = std::move(h);
  return StatusSuccess;
}

short Close(void* position_block) {
  Handle* h = FindHandle(position_block);
  if (h == nullptr) return StatusFileNotOpen;
  CloseHandle(*h);
  Engine& engine = TheEngine();
  for (auto& slot : engine.slots)
    if (slot.get() == h) slot.reset();
  std::memset(position_block, 0, PositionBlockSize);
  return StatusSuccess;
}

void SyncDirectory(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// Builds the new database under a temporary name; true when it is complete and closed.
bool BuildDatabase(const std::string& temp, const FileSpec& spec) {
  sqlite3* db = nullptr;
  bool ok = sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                            nullptr) == SQLITE_OK;
  std::string schema =
      "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; BEGIN;"
      "CREATE TABLE recman_file(id INTEGER PRIMARY KEY CHECK (id = 1), format TEXT NOT NULL,"
      " version INTEGER NOT NULL, spec BLOB NOT NULL);"
      "CREATE TABLE recman_records(position INTEGER PRIMARY KEY AUTOINCREMENT,"
      " record BLOB NOT NULL";
  for (std::size_t k = 0; k < spec.keys.size(); ++k)
    schema += ", " + KeyColumn(static_cast<int>(k)) + " BLOB NOT NULL";
  schema += ");";
  for (std::size_t k = 0; k < spec.keys.size(); ++k) {
    const std::string c = KeyColumn(static_cast<int>(k));
    schema += "CREATE UNIQUE INDEX recman_" + c + " ON recman_records(" + c + ");";
  }
  ok = ok && Exec(db, schema.c_str());
  sqlite3_stmt* st = nullptr;
  ok = ok && sqlite3_prepare_v2(db, "INSERT INTO recman_file(id, format, version, spec) VALUES(1, ?1, ?2, ?3)",
                                -1, &st, nullptr) == SQLITE_OK;
  if (ok) {
    sqlite3_bind_text(st, 1, kFileFormat, -1, SQLITE_STATIC);
    sqlite3_bind_int(st, 2, kFileVersion);
    sqlite3_bind_blob(st, 3, spec.block.data(), static_cast<int>(spec.block.size()), SQLITE_STATIC);
    ok = sqlite3_step(st) == SQLITE_DONE;
  }
  sqlite3_finalize(st);
  ok = ok && Exec(db, "COMMIT");
  if (db != nullptr && sqlite3_close(db) != SQLITE_OK) ok = false;
  return ok;
}

void RemoveDatabase(const std::string& path) {
  ::unlink(path.c_str());
  ::unlink((path + "-wal").c_str());
  ::unlink((path + "-shm").c_str());
}

short Create(const void* data_buffer, const std::uint32_t* data_length, const void* key_buffer,
             unsigned char key_length, int key_number) {
  const std::string path = FileName(key_buffer, key_length);
  if (path.empty()) return StatusInvalidFileName;
  FileSpec spec;
  const short parsed = ParseFileSpec(static_cast<const unsigned char*>(data_buffer),
                                     data_buffer == nullptr ? 0 : *data_length, spec);
  if (parsed != StatusSuccess) return parsed;
  struct stat st {};
  const bool exists = ::lstat(path.c_str(), &st) == 0;
  if (exists && key_number == CreateNoReplace) return StatusFileExists;
  if (exists && !S_ISREG(st.st_mode)) return StatusInvalidFileName;
  LockFile guard;
  if (exists) {
    // Replacing: nobody may have the old file open.
    if (OpenLockFile(path, true, guard) &&
        LockByte(guard, kFileLockByte, true, false) != LockResult::Taken) {
      CloseLockFile(guard);
      return StatusFileLocked;
    }
  }
  std::string temp = path + ".new-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    CloseLockFile(guard);
    return errno == ENOENT || errno == ENOTDIR ? StatusCreateIoError
           : errno == EACCES || errno == EROFS ? StatusAccessDenied
                                                : StatusCreateIoError;
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  ::close(fd);
  short status = StatusSuccess;
  if (!BuildDatabase(temp, spec)) {
    status = StatusCreateIoError;
  } else {
    // A WAL left by an earlier file of this name must never be replayed into the new one.
    ::unlink((path + "-wal").c_str());
    ::unlink((path + "-shm").c_str());
    if (exists) {
      if (::rename(temp.c_str(), path.c_str()) != 0) status = StatusCreateIoError;
    } else if (::link(temp.c_str(), path.c_str()) != 0) {
      status = errno == EEXIST ? StatusFileExists : StatusCreateIoError;
    }
  }
  RemoveDatabase(temp);
  if (status == StatusSuccess) SyncDirectory(path);
  CloseLockFile(guard);
  return status;
}

}  // namespace

std::string KeyColumn(int key) { return "key" + std::to_string(key); }

void CloseAllFiles() {
  Engine& engine = TheEngine();
  for (auto& slot : engine.slots)
    if (slot) CloseHandle(*slot);
  engine.slots.clear();
}

}  // namespace recman

short RecordManagerCall(unsigned short operation, void* position_block, void* data_buffer,
                        std::uint32_t* data_length, void* key_buffer, unsigned char key_length,
                        signed char key_number) {
  using namespace recman;
  unsigned op = operation;
  bool lock = false;
  bool wait = false;
  if (op >= LockBiasNoWait && op < LockBiasNoWait + 100) {
    op -= LockBiasNoWait;
    lock = true;
  } else if (op >= LockBiasWait && op < LockBiasWait + 100) {
    op -= LockBiasWait;
    lock = wait = true;
  }
  if (lock && op != OpGetDirect && (op < OpGetEqual || op > OpGetLast)) {
    // A lock bias means nothing to these; others cannot take one.
    if (op != OpBeginTransaction && op != OpGetPosition) return StatusInvalidOperation;
    lock = wait = false;
  }
  std::uint32_t no_length = 0;
  if (data_length == nullptr) data_length = &no_length;

  switch (op) {
    case OpOpen: return Open(position_block, key_buffer, key_length, key_number);
    case OpCreate: return Create(data_buffer, data_length, key_buffer, key_length, key_number);
    case OpReset: CloseAllFiles(); return StatusSuccess;
    default: break;
  }
  Handle* h = FindHandle(position_block);
  switch (op) {
    case OpClose: return Close(position_block);
    case OpInsert:
    case OpUpdate:
    case OpDelete:
    case OpGetEqual:
    case OpGetNext:
    case OpGetPrevious:
    case OpGetGreater:
    case OpGetGreaterOrEqual:
    case OpGetLess:
    case OpGetLessOrEqual:
    case OpGetFirst:
    case OpGetLast:
    case OpStat:
    case OpBeginTransaction:
    case OpEndTransaction:
    case OpAbortTransaction:
    case OpGetPosition:
    case OpGetDirect:
    case OpUnlock: break;
    default: return StatusInvalidOperation;
  }
  if (h == nullptr) return StatusFileNotOpen;
  switch (op) {
    case OpInsert: return Insert(*h, data_buffer, data_length, key_buffer, key_length, key_number);
    case OpUpdate: return Update(*h, data_buffer, data_length, key_buffer, key_length, key_number);
    case OpDelete: return Delete(*h);
    case OpStat: return Stat(*h, data_buffer, data_length);
    case OpGetPosition: return GetPosition(*h, data_buffer, data_length);
    case OpUnlock: ReleaseLock(*h); return StatusSuccess;
    case OpBeginTransaction:
    case OpEndTransaction:
    case OpAbortTransaction: return Transaction(*h, op);
    default:
      return GetRecord(*h, op, lock, wait, data_buffer, data_length, key_buffer, key_length,
                       key_number);
  }
}
