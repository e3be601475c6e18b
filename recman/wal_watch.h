// A cheap test of "has anything been committed to this database since I last looked": the header
// of the database's WAL index, which every commit rewrites, read through the connection's own
// shared-memory mapping (opening the -shm file separately would drop SQLite's locks on it, since
// closing any descriptor of a file releases the process's POSIX locks on that file).
// Used to let Get Next/Previous continue an open statement instead of seeking again.
#ifndef RECMAN_WAL_WATCH_H
#define RECMAN_WAL_WATCH_H

#include <cstddef>

struct sqlite3;

namespace recman {

inline constexpr std::size_t kWalHeaderBytes = 96;  // both copies of the WAL index header

struct WalWatch {
  const volatile unsigned char* header = nullptr;  // SQLite's mapping; nullptr when not available
};

// Finds the mapping of `db`'s WAL index; call it after a first read, once the index exists. The
// mapping lives as long as the connection.
void StartWalWatch(sqlite3* db, WalWatch& watch);
void StopWalWatch(WalWatch& watch);

// Copies the current header into `out` (kWalHeaderBytes). False when the watch is not available.
bool ReadWalHeader(const WalWatch& watch, unsigned char* out);
// True when the header still equals `seen`.
bool WalUnchanged(const WalWatch& watch, const unsigned char* seen);

}  // namespace recman

#endif
