#include "recman/record_locks.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace recman {

bool OpenLockFile(const std::string& data_path, bool create, LockFile& file) {
  const std::string path = data_path + ".lck";
  file = LockFile{};
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0666);
  if (fd >= 0) {
    file.fd = fd;
    file.writable = true;
    return true;
  }
  fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  file.fd = fd;
  return true;
}

void CloseLockFile(LockFile& file) {
  if (file.fd >= 0) ::close(file.fd);
  file = LockFile{};
}

LockResult LockByte(LockFile& file, std::int64_t offset, bool exclusive, bool wait) {
  if (file.fd < 0) return LockResult::Taken;  // no side file (read-only place): nothing to guard
  struct flock lock {};
  lock.l_type = (exclusive && file.writable) ? F_WRLCK : F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = offset;
  lock.l_len = 1;
  lock.l_pid = 0;
  for (;;) {
    if (::fcntl(file.fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock) == 0) return LockResult::Taken;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EACCES) return LockResult::Conflict;
    return LockResult::Failed;
  }
}

void UnlockByte(LockFile& file, std::int64_t offset) {
  if (file.fd < 0) return;
  struct flock lock {};
  lock.l_type = F_UNLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = offset;
  lock.l_len = 1;
  lock.l_pid = 0;
  while (::fcntl(file.fd, F_OFD_SETLK, &lock) != 0 && errno == EINTR) {
  }
}

}  // namespace recman
