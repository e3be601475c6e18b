#include "data/data_files.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "config/session.h"
#include "console/screen.h"
#include "data/btrcall.h"
#include "platform/console_device.h"
#include "platform/paths.h"
#include "platform/process.h"

DataFileTableType DataFileTable;

namespace {

constexpr unsigned short kOpOpen = 0;
constexpr unsigned short kOpCreate = 14;
constexpr unsigned short kOpStat = 15;
constexpr unsigned short kOpReset = 28;
constexpr short kStatusInvalidFileName = 11;
constexpr short kStatusFileNotFound = 12;
constexpr short kStatusDataBufferTooShort = 22;
constexpr short kStatusKeyBufferTooShort = 21;
constexpr short kStatusFileLocked = 85;
constexpr int kOpenRetryMilliseconds = 3000;
constexpr unsigned char kSegmentFollows = 0x10;

DataHooksTable DefaultHooks() {
  DataHooksTable hooks;
  hooks.End = [](int exit_code) { EndProgram(exit_code); };
  hooks.Sleep = [](int milliseconds) { SleepMilliseconds(milliseconds); };
  hooks.Random = [] { return RandomUniform(); };
  return hooks;
}

unsigned Word(const std::string& block, std::size_t at) {
  if (at + 2 > block.size()) return 0;
  return static_cast<unsigned char>(block[at]) |
         (static_cast<unsigned>(static_cast<unsigned char>(block[at + 1])) << 8);
}

// The name in a key buffer: at most 255 bytes and a zero byte; false when it does not fit.
bool PutName(const std::string& name, unsigned char (&buffer)[kKeyBufferSize]) {
  std::memset(buffer, 0, sizeof buffer);
  if (name.empty() || name.size() > kKeyBufferSize - 1) return false;
  std::memcpy(buffer, name.data(), name.size());
  return true;
}

short OpenCall(DataFileSlot& slot, const std::string& native_name) {
  unsigned char key[kKeyBufferSize];
  if (!PutName(native_name, key)) return kStatusInvalidFileName;
  std::string owner = OwnerName();
  std::int32_t length = static_cast<std::int32_t>(owner.size());
  return BTRCALL(kOpOpen, slot.PositionBlock, owner.data(), &length, key,
                 static_cast<unsigned char>(native_name.size()), 0);
}

// Creates the missing file from ROOT + "ddf\" + base + ".xdf": a 2-byte length N, then the N bytes
// of the file specification block. A dictionary that is missing, empty or shorter than it says
// leaves the file not found; one too large for the data buffer is refused like a too long record.
short CreateFromDictionary(DataFileSlot& slot, const std::string& base,
                           const std::string& native_name) {
  const std::string dictionary =
      NativePath(SessionSettings.RootDirectory + "ddf\\" + base + ".xdf");
  std::FILE* file = std::fopen(dictionary.c_str(), "rb");
  if (file == nullptr) return kStatusFileNotFound;
  unsigned char data[kDataBufferSize];
  std::memset(data, ' ', sizeof data);
  unsigned char prefix[2] = {};
  short status = kStatusFileNotFound;
  if (std::fread(prefix, 1, 2, file) == 2) {
    const int n = static_cast<short>(prefix[0] | (prefix[1] << 8));
    if (n > kDataBufferSize) {
      status = kStatusDataBufferTooShort;
    } else if (n > 0 && std::fread(data, 1, static_cast<std::size_t>(n), file) ==
                            static_cast<std::size_t>(n)) {
      status = 0;
    }
  }
  std::fclose(file);
  if (status != 0) return status;
  unsigned char key[kKeyBufferSize];
  if (!PutName(native_name, key)) return kStatusInvalidFileName;
  std::int32_t length = kDataBufferSize;
  return BTRCALL(kOpCreate, slot.PositionBlock, data, &length, key,
                 static_cast<unsigned char>(native_name.size()), -1);
}

// Shows why the file cannot be opened, waits for a key and ends the program.
void FailOpen(const std::string& name, short status) {
  std::string text = FileAccessFailureText() + name + " (" + std::to_string(status) + ")";
  const short depth = WindowState.WindowDepth;
  ShowMessage(12, text);
  // A message too long for the screen opens no window: then there is nothing to close.
  const bool opened = WindowState.WindowDepth > depth;
  ConsoleDevice& console = CurrentConsole();
  console.Bell();
  console.DiscardInput();
  ConsoleEvent event;
  while (console.ReadEvent(event) && event.Type != ConsoleEventType::Key) {
  }
  if (opened) PopWindow();
  // Plain files (print file, work files) are closed with the process by the end below.
  short reset = 0;
  CloseAllDataFiles(reset);
  DataHooks.End(0);
}

}  // namespace

DataHooksTable DataHooks = DefaultHooks();

DataFileSlot& DataSlot(short slot) {
  const int index = std::clamp<int>(slot, 1, kDataFileSlots) - 1;
  return DataFileTable.Slots[index];
}

std::string OwnerName() {
  std::string owner = std::string("2") + std::string("6") + std::string("0") + std::string("4");
  owner.push_back('\0');
  return owner;
}

short FindDataFileSlot(short file_number) {
  short candidate = 0;
  for (short s = 1; s <= kDataFileSlots; ++s) {
    const short held = DataFileTable.Slots[s - 1].FileNumber;
    // File number 0 marks a free slot, so no file is ever open under it.
    if (file_number != 0 && held == file_number) return s;
    if (held == 0) candidate = s;
  }
  return static_cast<short>(-candidate);
}

DataFileName SplitDataFileName(const std::string& name) {
  DataFileName parts;
  std::size_t directory_end = 0;  // length of the directory part
  std::size_t dot = std::string::npos;
  for (std::size_t i = name.size(); i > 0; --i) {
    const char c = name[i - 1];
    if (c == ':' || c == '\\' || c == '/') {
      directory_end = i;
      break;
    }
    if (c == '.') dot = i - 1;
  }
  parts.Directory = name.substr(0, directory_end);
  if (dot == std::string::npos) {
    parts.Base = name.substr(directory_end);
    parts.Extension = ".dat";
  } else {
    parts.Base = name.substr(directory_end, dot - directory_end);
    parts.Extension = name.substr(dot);
  }
  return parts;
}

std::string FileAccessFailureText() {
  const std::string& language = SessionSettings.LanguageCode;
  if (language == "SPA") return "NO SE PUEDE ACCEDER AL FICHERO ";
  if (language == "GLG") return "NOM SE PODE ACEDER AO FICHEIRO ";
  if (language == "OCI") return "NON SE P\xE3T ACCEDIR ATH FICH\xD4R ";
  return "NO ES POT ACCEDIR AL FITXER ";
}

short ReadFileSpecification(short slot, std::string& block) {
  block.clear();
  unsigned char data[kDataBufferSize] = {};
  unsigned char key[kKeyBufferSize];
  std::memset(key, ' ', kKeyBufferSize - 1);
  key[kKeyBufferSize - 1] = 0;
  std::int32_t length = kDataBufferSize;
  const short status = BTRCALL(kOpStat, DataSlot(slot).PositionBlock, data, &length, key,
                               kKeyBufferSize - 1, 0);
  if (status == 0)
    block.assign(reinterpret_cast<const char*>(data),
                 static_cast<std::size_t>(std::clamp<std::int32_t>(length, 0, kDataBufferSize)));
  return status;
}

int KeyLengthInSpecification(const std::string& block, int key_number) {
  if (key_number < 0 || block.size() < 6) return 0;
  const int keys = static_cast<int>(Word(block, 4));
  if (key_number >= keys) return 0;
  std::size_t offset = 16;
  int sum = 0;
  for (int k = 0; k <= key_number; ++k) {
    sum = 0;
    unsigned char flags = 0;
    do {
      if (offset + 16 > block.size()) return 0;  // the block ends inside the key
      sum += static_cast<int>(Word(block, offset + 2));
      flags = static_cast<unsigned char>(block[offset + 4]);
      offset += 16;
    } while (flags & kSegmentFollows);
  }
  return sum;
}

void StatDataFile(short file_number, short key_number, short& key_length, short& record_length) {
  key_length = 0;
  record_length = 0;
  const short slot = FindDataFileSlot(file_number);
  if (slot < 1) return;
  std::string block;
  if (ReadFileSpecification(slot, block) != 0) return;
  record_length = static_cast<short>(Word(block, 0));
  key_length = static_cast<short>(std::min(KeyLengthInSpecification(block, key_number), 32767));
}

void OpenDataFile(short file_number, const std::string& name, void* record_area,
                  std::size_t record_area_size, short& status) {
  const short found = file_number == 0 ? short{1} : FindDataFileSlot(file_number);
  if (found > 0) {
    status = kStatusAlreadyOpen;
    return;
  }
  if (found == 0) {
    status = kStatusNoFreeSlot;
    return;
  }
  const short slot_number = static_cast<short>(-found);
  DataFileSlot& slot = DataSlot(slot_number);
  slot = DataFileSlot{};
  slot.FileNumber = file_number;
  slot.RecordArea = static_cast<unsigned char*>(record_area);
  slot.RecordAreaSize = record_area == nullptr ? 0 : record_area_size;

  const DataFileName parts = SplitDataFileName(name);
  const std::string native_name = NativePath(parts.Directory + parts.Base + parts.Extension);
  short result = 0;
  for (;;) {
    result = OpenCall(slot, native_name);
    if (result == kStatusFileLocked) {
      DataHooks.Sleep(kOpenRetryMilliseconds);
      continue;
    }
    if (result == kStatusFileNotFound) {
      result = CreateFromDictionary(slot, parts.Base, native_name);
      if (result == 0) continue;
    }
    break;
  }
  if (result == 0) {
    std::string block;
    result = ReadFileSpecification(slot_number, block);
    const int record_length = static_cast<int>(Word(block, 0));
    const int key_length = KeyLengthInSpecification(block, 0);
    // Records and keys must fit the data and key buffers of every exchange.
    if (result == 0 && (record_length < 1 || record_length > kDataBufferSize))
      result = kStatusDataBufferTooShort;
    if (result == 0 && key_length > kKeyBufferSize - 1) result = kStatusKeyBufferTooShort;
    if (result == 0) {
      slot.RecordLength = record_length;
      slot.KeyValue.assign(static_cast<std::size_t>(key_length), '\0');
      status = 0;
      return;
    }
  }
  status = result;
  FailOpen(name, result);
}

void CloseAllDataFiles(short& status) {
  unsigned char* scratch = DataFileTable.ScratchPositionBlock;
  std::memset(scratch, ' ', kPositionBlockSize);
  unsigned char data[1] = {};
  unsigned char key[1] = {};
  std::int32_t length = 0;
  status = BTRCALL(kOpReset, scratch, data, &length, key, 0, 0);
  std::memset(scratch, 0, kPositionBlockSize);
  if (status != 0) return;
  for (DataFileSlot& slot : DataFileTable.Slots) slot = DataFileSlot{};
}

void ResetDataFileTable() {
  DataFileTable = DataFileTableType{};
  DataHooks = DefaultHooks();
}
