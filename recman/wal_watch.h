// A cheap test of "has anything been committed to this database since I last looked": a read-only
// mapping of the header of the database's WAL index ("<file>-shm"), which every commit rewrites.
// Used to let Get Next/Previous continue an open statement instead of seeking again.
#ifndef RECMAN_WAL_WATCH_H
#define RECMAN_WAL_WATCH_H

#include <cstddef>
#include <string>

namespace recman {

inline constexpr std::size_t kWalHeaderBytes = 96;  // both copies of the WAL index header

struct WalWatch {
  const unsigned char* header = nullptr;  // mapped, nullptr when not available
  std::size_t mapped = 0;
};

// Maps the header of "<data_path>-shm" when the file exists and is large enough; call it while a
// connection of this process has the database open, so that nobody truncates the file.
void StartWalWatch(const std::string& data_path, WalWatch& watch);
void StopWalWatch(WalWatch& watch);

// Copies the current header into `out` (kWalHeaderBytes). False when the watch is not available.
bool ReadWalHeader(const WalWatch& watch, unsigned char* out);
// True when the header still equals `seen`.
bool WalUnchanged(const WalWatch& watch, const unsigned char* seen);

}  // namespace recman

#endif
