// The file specification block of a data file: parsing and validation at Create, and the key
// transformations that follow from it (raw key out of a record, collated key for byte ordering).
#ifndef RECMAN_FILE_SPEC_H
#define RECMAN_FILE_SPEC_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace recman {

enum class SegmentKind { String, Zstring, Unsigned, Integer, Autoincrement };

struct KeySegment {
  std::size_t position = 0;  // 0-based offset in the record
  std::size_t length = 0;
  std::uint16_t flags = 0;
  SegmentKind kind = SegmentKind::String;
};

struct KeyDefinition {
  std::vector<KeySegment> segments;
  std::size_t length = 0;  // sum of the segment lengths
  bool duplicates = false;
  bool modifiable = false;
  bool autoincrement = false;  // a single autoincrement segment
};

struct FileSpec {
  std::size_t record_length = 0;
  bool variable_length = false;
  std::vector<KeyDefinition> keys;
  bool has_alternate = false;
  std::array<unsigned char, 256> alternate{};
  std::string block;  // the block as created, trimmed to its meaningful bytes, record count zeroed
};

// Parses and checks a FileSpecificationBlock of `length` bytes. Returns 0 and fills `spec`, or the
// status that refuses it (22, 26, 27, 28, 29, 48, 49).
short ParseFileSpec(const unsigned char* data, std::size_t length, FileSpec& spec);

// The key value of `key` as it stands in `record` (segments concatenated).
std::string RawKey(const FileSpec& spec, int key, const unsigned char* record);

// The key value turned into bytes whose plain comparison gives the key's order. `raw` holds the
// key's full length.
std::string CollateKey(const FileSpec& spec, int key, const unsigned char* raw);

}  // namespace recman

#endif
