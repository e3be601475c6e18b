// Record and file locks of a data file: open-file-description locks on single bytes of the side file
// "<data file>.lck". Byte 0 stands for the file (shared by every open, exclusive for an exclusive
// open); byte p stands for the record at position p. The kernel drops them when the process dies.
#ifndef RECMAN_RECORD_LOCKS_H
#define RECMAN_RECORD_LOCKS_H

#include <cstdint>
#include <string>

namespace recman {

struct LockFile {
  int fd = -1;
  bool writable = false;
};

enum class LockResult { Taken, Conflict, Failed };

// Opens (creating it when `create` is set) the side file of `data_path`. False when it cannot be
// opened at all; a read-only side file still takes shared locks.
bool OpenLockFile(const std::string& data_path, bool create, LockFile& file);
void CloseLockFile(LockFile& file);

// Locks byte `offset`: exclusive (or shared when `exclusive` is false or the side file is
// read-only), waiting or not.
LockResult LockByte(LockFile& file, std::int64_t offset, bool exclusive, bool wait);
void UnlockByte(LockFile& file, std::int64_t offset);

}  // namespace recman

#endif
