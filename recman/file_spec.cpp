#include "recman/file_spec.h"

#include "recman/recman.h"

namespace recman {
namespace {

constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kSegmentSize = 16;
constexpr int kMaxKeys = 119;
constexpr std::size_t kMaxKeyLength = 255;
constexpr std::uint16_t kKnownFlags = KeyDuplicates | KeyModifiable | KeyBinary | KeySegmented |
                                      KeyAlternate | KeyDescending | KeySupplemental |
                                      KeyExtendedType | KeyCaseInsensitive;

unsigned Word(const unsigned char* p) { return p[0] | (p[1] << 8); }

short SegmentKindOf(std::uint16_t flags, unsigned char type, std::size_t length, SegmentKind& kind) {
  if (!(flags & KeyExtendedType)) {
    kind = (flags & KeyBinary) ? SegmentKind::Unsigned : SegmentKind::String;
    return StatusSuccess;
  }
  switch (type) {
    case TypeString: kind = SegmentKind::String; return StatusSuccess;
    case TypeZstring: kind = SegmentKind::Zstring; return StatusSuccess;
    case TypeUnsignedBinary: kind = SegmentKind::Unsigned; return StatusSuccess;
    case TypeInteger:
      kind = SegmentKind::Integer;
      return (length == 1 || length == 2 || length == 4 || length == 8) ? StatusSuccess
                                                                          : StatusKeyLength;
    case TypeAutoincrement:
      kind = SegmentKind::Autoincrement;
      return (length == 2 || length == 4 || length == 8) ? StatusSuccess : StatusKeyLength;
    default: return StatusKeyType;
  }
}

}  // namespace

short ParseFileSpec(const unsigned char* data, std::size_t length, FileSpec& spec) {
  spec = FileSpec{};
  if (data == nullptr || length < kHeaderSize) return StatusDataBufferTooShort;
  spec.record_length = Word(data);
  if (spec.record_length == 0) return StatusRecordLength;
  const int key_count = static_cast<std::int16_t>(Word(data + 4));
  if (key_count < 0 || key_count > kMaxKeys) return StatusNumberOfKeys;
  spec.variable_length = (Word(data + 10) & FileVariableLength) != 0;

  std::size_t offset = kHeaderSize;
  bool any_alternate = false;
  for (int k = 0; k < key_count; ++k) {
    KeyDefinition key;
    bool more = true;
    while (more) {
      if (offset + kSegmentSize > length) return StatusDataBufferTooShort;
      const unsigned char* s = data + offset;
      offset += kSegmentSize;
      KeySegment seg;
      const unsigned position = Word(s);
      seg.length = Word(s + 2);
      seg.flags = static_cast<std::uint16_t>(Word(s + 4));
      more = (seg.flags & KeySegmented) != 0;
      if (seg.flags & (KeyNull | KeyManual)) return StatusKeyType;
      if (seg.flags & ~kKnownFlags) return StatusKeyType;
      if (seg.length == 0) return StatusKeyLength;
      if (position == 0 || position - 1 + seg.length > spec.record_length) return StatusKeyPosition;
      seg.position = position - 1;
      const short kind_status = SegmentKindOf(seg.flags, s[10], seg.length, seg.kind);
      if (kind_status != StatusSuccess) return kind_status;
      const bool duplicates = (seg.flags & KeyDuplicates) != 0;
      const bool modifiable = (seg.flags & KeyModifiable) != 0;
      if (key.segments.empty()) {
        key.duplicates = duplicates;
        key.modifiable = modifiable;
      } else if (key.duplicates != duplicates || key.modifiable != modifiable) {
        return StatusKeyPosition;
      }
      if (seg.flags & KeyAlternate) any_alternate = true;
      key.length += seg.length;
      if (key.length > kMaxKeyLength) return StatusKeyLength;
      key.segments.push_back(seg);
    }
    for (const KeySegment& seg : key.segments) {
      if (seg.kind != SegmentKind::Autoincrement) continue;
      // An autoincrement value is unique and ascending, and is the whole key.
      if (key.segments.size() != 1 || key.duplicates || (seg.flags & KeyDescending))
        return StatusKeyPosition;
      key.autoincrement = true;
    }
    spec.keys.push_back(std::move(key));
  }
  if (any_alternate) {
    if (offset + AlternateSequenceSize > length) return StatusDataBufferTooShort;
    if (data[offset] != AlternateSignature) return StatusCollatingSequence;
    spec.has_alternate = true;
    for (int c = 0; c < 256; ++c) spec.alternate[c] = data[offset + 9 + c];
    offset += AlternateSequenceSize;
  }
  spec.block.assign(reinterpret_cast<const char*>(data), offset);
  for (int i = 6; i < 10; ++i) spec.block[i] = 0;
  return StatusSuccess;
}

std::string RawKey(const FileSpec& spec, int key, const unsigned char* record) {
  std::string raw;
  const KeyDefinition& def = spec.keys[key];
  raw.reserve(def.length);
  for (const KeySegment& seg : def.segments)
    raw.append(reinterpret_cast<const char*>(record + seg.position), seg.length);
  return raw;
}

std::string CollateKey(const FileSpec& spec, int key, const unsigned char* raw) {
  const KeyDefinition& def = spec.keys[key];
  std::string out(def.length, '\0');
  std::size_t p = 0;
  for (const KeySegment& seg : def.segments) {
    const unsigned char* in = raw + p;
    unsigned char* o = reinterpret_cast<unsigned char*>(out.data()) + p;
    const std::size_t n = seg.length;
    switch (seg.kind) {
      case SegmentKind::String:
      case SegmentKind::Zstring: {
        std::size_t used = n;
        if (seg.kind == SegmentKind::Zstring) {
          used = 0;
          while (used < n && in[used] != 0) ++used;
        }
        for (std::size_t i = 0; i < used; ++i) {
          unsigned char c = in[i];
          if ((seg.flags & KeyAlternate) && spec.has_alternate) {
            c = spec.alternate[c];
          } else if ((seg.flags & KeyCaseInsensitive) && c >= 'a' && c <= 'z') {
            c = static_cast<unsigned char>(c - 'a' + 'A');
          }
          o[i] = c;
        }
        break;  // bytes after a zstring's terminator stay zero
      }
      case SegmentKind::Unsigned:
        for (std::size_t i = 0; i < n; ++i) o[i] = in[n - 1 - i];
        break;
      case SegmentKind::Integer:
      case SegmentKind::Autoincrement:
        for (std::size_t i = 0; i < n; ++i) o[i] = in[n - 1 - i];
        o[0] ^= 0x80;
        break;
    }
    if (seg.flags & KeyDescending)
      for (std::size_t i = 0; i < n; ++i) o[i] = static_cast<unsigned char>(~o[i]);
    p += n;
  }
  return out;
}

}  // namespace recman
