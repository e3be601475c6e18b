// The engine's process-wide table of open files (one handle per position block) and the operations
// behind RecordManagerCall. Every data file is one SQLite database in WAL mode:
//   recman_file(id, format, version, spec)   the file specification block as created
//   recman_records(position INTEGER PRIMARY KEY AUTOINCREMENT, record BLOB, key0 BLOB, key1 ...)
// with one unique index per key column. keyN holds the collated key (file_spec.h), so that plain
// BLOB order is the key's order; for a key with duplicates the record's position follows it as 8
// big-endian bytes, so the index orders by (key, position) and every seek is one range.
#ifndef RECMAN_ENGINE_H
#define RECMAN_ENGINE_H

#include <string>

namespace recman {

inline constexpr char kFileFormat[] = "recman data file";
inline constexpr int kFileVersion = 1;

// The SQL name of key column `key` ("key0", "key1", ...).
std::string KeyColumn(int key);

// Closes every open file of the process and empties the table (the Reset operation).
void CloseAllFiles();

}  // namespace recman

#endif
