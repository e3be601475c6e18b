#include "recman/wal_watch.h"

#include <cstdint>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recman {

void StartWalWatch(const std::string& data_path, WalWatch& watch) {
  StopWalWatch(watch);
  const std::string path = data_path + "-shm";
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size >= static_cast<off_t>(kWalHeaderBytes)) {
    void* p = ::mmap(nullptr, kWalHeaderBytes, PROT_READ, MAP_SHARED, fd, 0);
    if (p != MAP_FAILED) {
      watch.header = static_cast<const unsigned char*>(p);
      watch.mapped = kWalHeaderBytes;
    }
  }
  ::close(fd);
}

void StopWalWatch(WalWatch& watch) {
  if (watch.header != nullptr) ::munmap(const_cast<unsigned char*>(watch.header), watch.mapped);
  watch = WalWatch{};
}

bool ReadWalHeader(const WalWatch& watch, unsigned char* out) {
  if (watch.header == nullptr) return false;
  // Another process writes this memory; read it word by word with atomic loads.
  const auto* words = reinterpret_cast<const std::uint32_t*>(watch.header);
  auto* dest = reinterpret_cast<std::uint32_t*>(out);
  for (std::size_t i = 0; i < kWalHeaderBytes / 4; ++i)
    dest[i] = __atomic_load_n(words + i, __ATOMIC_ACQUIRE);
  return true;
}

bool WalUnchanged(const WalWatch& watch, const unsigned char* seen) {
  if (watch.header == nullptr) return false;
  const auto* words = reinterpret_cast<const std::uint32_t*>(watch.header);
  const auto* old = reinterpret_cast<const std::uint32_t*>(seen);
  for (std::size_t i = 0; i < kWalHeaderBytes / 4; ++i)
    if (__atomic_load_n(words + i, __ATOMIC_ACQUIRE) != old[i]) return false;
  return true;
}

}  // namespace recman
