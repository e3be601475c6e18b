#pragma once
// Builds FileSpecificationBlocks for tests of the engine and of the data layer.
#include <string>
#include <vector>

#include "recman/recman.h"

namespace test_support {

struct Segment {
  int position;  // from 1
  int length;
  unsigned flags = 0;
  unsigned char type = 0;  // extended type, with KeyExtendedType in the flags
};

inline void PutWord(std::string& s, std::size_t at, unsigned v) {
  s[at] = static_cast<char>(v & 0xff);
  s[at + 1] = static_cast<char>((v >> 8) & 0xff);
}

// A block with a page size of 1024; the "another segment follows" flag is set on every segment
// of a key but its last. `alternate` (a collating sequence block) is appended as it is.
inline std::string MakeSpec(int record_length, const std::vector<std::vector<Segment>>& keys,
                            const std::string& alternate = "", unsigned file_flags = 0) {
  std::string s(16, '\0');
  PutWord(s, 0, static_cast<unsigned>(record_length));
  PutWord(s, 2, 1024);
  PutWord(s, 4, static_cast<unsigned>(keys.size()));
  PutWord(s, 10, file_flags);
  for (const auto& key : keys) {
    for (std::size_t i = 0; i < key.size(); ++i) {
      std::string seg(16, '\0');
      PutWord(seg, 0, static_cast<unsigned>(key[i].position));
      PutWord(seg, 2, static_cast<unsigned>(key[i].length));
      PutWord(seg, 4, key[i].flags | (i + 1 < key.size() ? KeySegmented : 0u));
      seg[10] = static_cast<char>(key[i].type);
      s += seg;
    }
  }
  return s + alternate;
}

}  // namespace test_support
