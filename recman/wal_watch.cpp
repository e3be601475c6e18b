#include "recman/wal_watch.h"

#include <sqlite3.h>

#include <cstdint>

namespace recman {

void StartWalWatch(sqlite3* db, WalWatch& watch) {
  watch = WalWatch{};
  sqlite3_file* file = nullptr;
  if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
      file == nullptr || file->pMethods == nullptr || file->pMethods->iVersion < 2 ||
      file->pMethods->xShmMap == nullptr)
    return;
  volatile void* region = nullptr;
  if (file->pMethods->xShmMap(file, 0, 32768, 0, &region) != SQLITE_OK || region == nullptr) return;
  watch.header = static_cast<const volatile unsigned char*>(region);
}

void StopWalWatch(WalWatch& watch) { watch = WalWatch{}; }

bool ReadWalHeader(const WalWatch& watch, unsigned char* out) {
  if (watch.header == nullptr) return false;
  // Other processes write this memory; read it word by word with atomic loads.
  const auto* words = reinterpret_cast<const volatile std::uint32_t*>(watch.header);
  auto* dest = reinterpret_cast<std::uint32_t*>(out);
  for (std::size_t i = 0; i < kWalHeaderBytes / 4; ++i)
    dest[i] = __atomic_load_n(words + i, __ATOMIC_ACQUIRE);
  return true;
}

bool WalUnchanged(const WalWatch& watch, const unsigned char* seen) {
  if (watch.header == nullptr) return false;
  const auto* words = reinterpret_cast<const volatile std::uint32_t*>(watch.header);
  const auto* old = reinterpret_cast<const std::uint32_t*>(seen);
  for (std::size_t i = 0; i < kWalHeaderBytes / 4; ++i)
    if (__atomic_load_n(words + i, __ATOMIC_ACQUIRE) != old[i]) return false;
  return true;
}

}  // namespace recman
