// Sequential files: each record as its length in decimal, a comma, the record bytes, CR LF.
#ifndef TOOLS_RECUTIL_SEQUENTIAL_H
#define TOOLS_RECUTIL_SEQUENTIAL_H

#include <cstddef>
#include <string>

// Inserts every record of `sequential` into `data_file` in one transaction; nothing is kept when a
// record fails. False with a message in `error`; `count` records loaded.
bool LoadSequential(const std::string& data_file, const std::string& sequential, std::size_t& count,
                    std::string& error);

// Writes every record of `data_file` in the order of `key` into `sequential`.
bool SaveSequential(const std::string& data_file, const std::string& sequential, int key,
                    std::size_t& count, std::string& error);

#endif
