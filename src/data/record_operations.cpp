#include "data/record_operations.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "config/session.h"
#include "console/screen.h"
#include "data/btrcall.h"
#include "data/data_files.h"
#include "platform/console_device.h"

LockModeStackTable LockModeStack;

namespace {

constexpr short kOpGetEqual = 5;
constexpr short kOpGetNext = 6;
constexpr short kOpGetPrevious = 7;
constexpr short kOpGetGreaterOrEqual = 9;
constexpr short kOpGetLessOrEqual = 11;
constexpr short kOpGetPosition = 22;
constexpr short kOpGetDirect = 23;
constexpr short kNoWaitLockBias = 200;
constexpr short kStatusDataBufferTooShort = 22;
constexpr short kStatusRecordLocked = 84;
constexpr short kStatusFileLocked = 85;
constexpr unsigned kSegmentBinary = 0x04;
constexpr unsigned kSegmentFollows = 0x10;
constexpr unsigned kSegmentAlternate = 0x20;
constexpr std::size_t kMaxKeyText = kKeyBufferSize - 1;

bool TakesLockBias(short operation) {
  return (operation >= 5 && operation <= 13) || operation == 19 ||
         (operation >= 22 && operation <= 24) || (operation >= 33 && operation <= 35);
}

unsigned Word(const std::string& block, std::size_t at) {
  if (at + 2 > block.size()) return 0;
  return static_cast<unsigned char>(block[at]) |
         (static_cast<unsigned>(static_cast<unsigned char>(block[at + 1])) << 8);
}

// The current key value in a key buffer; returns the key length passed with it.
unsigned char PutKey(const DataFileSlot& slot, unsigned char (&key)[kKeyBufferSize]) {
  std::memset(key, 0, sizeof key);
  const std::size_t n = std::min(slot.KeyValue.size(), kMaxKeyText);
  std::memcpy(key, slot.KeyValue.data(), n);
  return static_cast<unsigned char>(n);
}

// The first bytes of the returned key buffer, as many as the key value has, replace it.
void TakeKey(DataFileSlot& slot, const unsigned char (&key)[kKeyBufferSize]) {
  const std::size_t n = std::min(slot.KeyValue.size(), kMaxKeyText);
  std::memcpy(slot.KeyValue.data(), key, n);
}

void CopyToRecordArea(DataFileSlot& slot, const unsigned char* data, std::int32_t returned) {
  if (slot.RecordArea == nullptr) return;
  std::int64_t n = std::min<std::int64_t>(slot.RecordLength, returned);
  n = std::min<std::int64_t>(n, kDataBufferSize);
  n = std::min<std::int64_t>(n, static_cast<std::int64_t>(slot.RecordAreaSize));
  if (n > 0) std::memcpy(slot.RecordArea, data, static_cast<std::size_t>(n));
}

// Opens a message window and tells whether one was opened (a text too long opens none).
bool ShowWindowedMessage(short row, std::string text) {
  const short depth = WindowState.WindowDepth;
  ShowMessage(row, text);
  CurrentConsole().Flush();
  return WindowState.WindowDepth > depth;
}

struct Segment {
  unsigned Length = 0;
  unsigned Flags = 0;
};

// Segments of every key of a file specification block; false when the block ends inside them.
bool KeySegments(const std::string& block, std::vector<std::vector<Segment>>& keys) {
  keys.clear();
  const unsigned count = Word(block, 4);
  if (block.size() < 16) return false;
  std::size_t offset = 16;
  for (unsigned k = 0; k < count; ++k) {
    std::vector<Segment> segments;
    unsigned flags = 0;
    do {
      if (offset + 16 > block.size()) return false;
      flags = Word(block, offset + 4);
      segments.push_back({Word(block, offset + 2), flags});
      offset += 16;
    } while (flags & kSegmentFollows);
    keys.push_back(std::move(segments));
  }
  return true;
}

}  // namespace

int LockWaitMilliseconds(double r) {
  const double ms = std::round(10000.0 * r + 1.0);
  if (!(ms >= 1.0)) return 1;  // also for NaN
  if (ms > 10001.0) return 10001;
  return static_cast<int>(ms);
}

std::string LockedFileText() {
  const std::string& language = SessionSettings.LanguageCode;
  if (language == "SPA") return "FICHERO BLOQUEADO. ESPERE UN MOMENTO.";
  if (language == "GLG") return "FICHEIRO BLOQUEADO. ESPERE UM MOMENTO.";
  if (language == "OCI") return "FICH\xD4R BLOQUEJAT. ESPERATZ UN MOMENT.";
  return "FITXER BLOQUEJAT. ESPEREU UN MOMENT.";
}

short ReadWithLockWait(short operation, short slot_number) {
  if (slot_number < 1 || slot_number > kDataFileSlots) return kStatusFileNotOpen;
  DataFileSlot& slot = DataSlot(slot_number);
  unsigned short call = static_cast<unsigned short>(operation);
  if (TakesLockBias(operation) && slot.LockMode != 0) call += kNoWaitLockBias;
  int attempt = 0;
  bool message_open = false;
  short status = 0;
  for (;;) {
    if (attempt == 1) message_open = ShowWindowedMessage(24, LockedFileText());
    // The call is offered RecordLength bytes, so only they are prepared: the record area's
    // bytes, zeros after them. The rest of the buffer is never read or written.
    unsigned char data[kDataBufferSize];
    const std::size_t offered = std::min<std::size_t>(
        static_cast<std::size_t>(std::max(slot.RecordLength, 0)), kDataBufferSize);
    const std::size_t n =
        slot.RecordArea != nullptr ? std::min<std::size_t>(slot.RecordAreaSize, offered) : 0;
    if (n > 0) std::memcpy(data, slot.RecordArea, n);
    std::memset(data + n, 0, offered - n);
    std::int32_t length = slot.RecordLength;
    unsigned char key[kKeyBufferSize];
    const unsigned char key_length = PutKey(slot, key);
    status = BTRCALL(call, slot.PositionBlock, data, &length, key, key_length,
                     static_cast<signed char>(slot.KeyNumber));
    CopyToRecordArea(slot, data, length);
    TakeKey(slot, key);
    if ((status == kStatusRecordLocked || status == kStatusFileLocked) &&
        slot.LockMode == kLockAndWait) {
      DataHooks.Sleep(LockWaitMilliseconds(DataHooks.Random()));
      if (attempt < 2) ++attempt;
      continue;
    }
    break;
  }
  if (message_open) PopWindow();
  return status;
}

void ReadByKey(short file_number, short key_number, const std::string& key_value, short direction,
               short& status) {
  const short slot_number = FindDataFileSlot(file_number);
  if (slot_number < 1) {
    status = kStatusFileNotOpen;
    return;
  }
  short key_length = 0;
  short record_length = 0;
  StatDataFile(file_number, key_number, key_length, record_length);
  // Key numbers travel as one signed byte and key values in the 255-byte key buffer.
  if (key_length == 0 || key_number > 127 || static_cast<std::size_t>(key_length) > kMaxKeyText) {
    status = kStatusNoSuchKey;
    return;
  }
  DataFileSlot& slot = DataSlot(slot_number);
  slot.KeyNumber = key_number;
  slot.KeyValue = key_value;
  slot.KeyValue.resize(static_cast<std::size_t>(key_length), '\0');
  const short operation = direction == 0  ? kOpGetEqual
                          : direction > 0 ? kOpGetGreaterOrEqual
                                          : kOpGetLessOrEqual;
  status = ReadWithLockWait(operation, slot_number);
  if (status == kStatusDataBufferTooShort) status = 0;
}

void StepRecords(short file_number, short count, short& status) {
  const short slot_number = FindDataFileSlot(file_number);
  if (slot_number < 1) {
    status = kStatusFileNotOpen;
    return;
  }
  DataFileSlot& slot = DataSlot(slot_number);
  const short operation = count >= 0 ? kOpGetNext : kOpGetPrevious;
  int n = count < 0 ? -static_cast<int>(count) : count;
  status = 0;
  while (n > 1 && status == 0) {
    unsigned char data[kDataBufferSize] = {};
    std::int32_t length = kDataBufferSize;
    unsigned char key[kKeyBufferSize];
    const unsigned char key_length = PutKey(slot, key);
    status = BTRCALL(static_cast<unsigned short>(operation), slot.PositionBlock, data, &length, key,
                     key_length, static_cast<signed char>(slot.KeyNumber));
    TakeKey(slot, key);
    if (status == kStatusDataBufferTooShort) status = 0;
    --n;
  }
  if (n == 1 && status == 0) {
    status = ReadWithLockWait(operation, slot_number);
    if (status == kStatusDataBufferTooShort) status = 0;
  }
}

std::int32_t ReadDirect(short file_number, std::int32_t position) {
  const short slot_number = FindDataFileSlot(file_number);
  if (slot_number < 1) return position == 0 ? 0 : kStatusFileNotOpen;
  DataFileSlot& slot = DataSlot(slot_number);
  unsigned char data[kDataBufferSize] = {};
  std::int32_t length = kDataBufferSize;
  unsigned char key[kKeyBufferSize] = {};
  if (position == 0) {
    const short status = BTRCALL(kOpGetPosition, slot.PositionBlock, data, &length, key, 0, 0);
    if (status != 0 || length < 4) return 0;
    const std::uint32_t value = data[0] | (static_cast<std::uint32_t>(data[1]) << 8) |
                                (static_cast<std::uint32_t>(data[2]) << 16) |
                                (static_cast<std::uint32_t>(data[3]) << 24);
    return static_cast<std::int32_t>(value);
  }
  const auto value = static_cast<std::uint32_t>(position);
  for (int i = 0; i < 4; ++i) data[i] = static_cast<unsigned char>(value >> (8 * i));
  const unsigned char key_length = PutKey(slot, key);
  short status = BTRCALL(kOpGetDirect, slot.PositionBlock, data, &length, key, key_length,
                         static_cast<signed char>(slot.KeyNumber));
  TakeKey(slot, key);
  if (status == kStatusDataBufferTooShort) status = 0;
  if (status == 0) CopyToRecordArea(slot, data, length);
  return status;
}

void SetLockMode(short file_number, const std::string& commands, short& status) {
  const short slot_number = FindDataFileSlot(file_number);
  if (slot_number < 1) {
    status = kStatusFileNotOpen;
    return;
  }
  DataFileSlot& slot = DataSlot(slot_number);
  std::string& pairs = LockModeStack.Pairs;
  for (const char raw : commands) {
    const char command = raw >= 'a' && raw <= 'z' ? static_cast<char>(raw - 'a' + 'A') : raw;
    switch (command) {
      case 'D': slot.LockMode = kLockNone; break;
      case 'A': slot.LockMode = kLockAndWait; break;
      case 'B': slot.LockMode = kLockNoWait; break;
      case '+':
        pairs.push_back(static_cast<char>(slot_number));
        pairs.push_back(static_cast<char>(slot.LockMode & 0xff));
        break;
      case '-':
        for (std::size_t i = pairs.size() / 2; i > 0; --i) {
          const std::size_t at = (i - 1) * 2;
          if (static_cast<unsigned char>(pairs[at]) == slot_number) {
            slot.LockMode = static_cast<unsigned char>(pairs[at + 1]);
            pairs.erase(at, 2);
            break;
          }
        }
        break;
      default: break;
    }
  }
}

std::string KeyInCollatingOrder(const std::string& key_value, short file_number) {
  const short slot_number = FindDataFileSlot(file_number);
  if (slot_number < 1) return key_value;
  const DataFileSlot& slot = DataSlot(slot_number);
  std::string block;
  std::vector<std::vector<Segment>> keys;
  if (ReadFileSpecification(slot_number, block) != 0 || !KeySegments(block, keys))
    return key_value;
  if (slot.KeyNumber < 0 || static_cast<std::size_t>(slot.KeyNumber) >= keys.size())
    return key_value;
  std::size_t total = 0;
  for (const auto& key : keys) total += key.size();
  const std::size_t table = 16 + 16 * total + 9;  // translation table of the collating sequence
  const bool has_table = table + 256 <= block.size();

  std::string result = key_value;
  std::size_t p = 0;
  for (const Segment& segment : keys[static_cast<std::size_t>(slot.KeyNumber)]) {
    const std::size_t n = segment.Length;
    if (segment.Flags & kSegmentBinary) {
      if (result.size() < p + n) result.resize(p + n, '\0');
      std::reverse(result.begin() + static_cast<std::ptrdiff_t>(p),
                   result.begin() + static_cast<std::ptrdiff_t>(p + n));
    } else if ((segment.Flags & kSegmentAlternate) && has_table) {
      const std::size_t end = std::min(p + n, result.size());
      for (std::size_t i = p; i < end; ++i)
        result[i] = block[table + static_cast<unsigned char>(result[i])];
    }
    p += n;
  }
  return result;
}

std::string CurrentKeyInCollatingOrder(short file_number) {
  const short slot_number = FindDataFileSlot(file_number);
  if (slot_number < 1) return {};
  return KeyInCollatingOrder(DataSlot(slot_number).KeyValue, file_number);
}

void ResetLockModeStack() { LockModeStack = LockModeStackTable{}; }
