#pragma once
// The table of open data files and the operations that fill and empty it: OpenDataFile opens a
// record manager file under a number the caller chooses (creating it from its data dictionary
// ROOT + "ddf\" + base + ".xdf" when it is missing), CloseAllDataFiles closes every file of the
// process, FindDataFileSlot finds a file's slot and StatDataFile reads record and key lengths.
//
// Data status values: 0 success, the record manager's own codes, and 3 (file not open), 1002 (file
// number already open), 1003 (no free slot), 1004 (no such key).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>

inline constexpr int kDataFileSlots = 40;
inline constexpr int kDataBufferSize = 1536;  // largest record and file specification handled
inline constexpr int kKeyBufferSize = 256;    // at most 255 bytes of text and a zero byte
inline constexpr int kPositionBlockSize = 128;

inline constexpr short kStatusFileNotOpen = 3;
inline constexpr short kStatusAlreadyOpen = 1002;
inline constexpr short kStatusNoFreeSlot = 1003;
inline constexpr short kStatusNoSuchKey = 1004;

// One open file. The record area belongs to the caller; the table only refers to it.
struct DataFileSlot {
  short FileNumber = 0;                                // 0: the slot is free
  unsigned char PositionBlock[kPositionBlockSize + 1] = {};  // written by the record manager
  unsigned char* RecordArea = nullptr;
  std::size_t RecordAreaSize = 0;                      // bytes of the record area
  std::int32_t RecordLength = 0;
  short KeyNumber = 0;                                 // current key
  std::string KeyValue;                                // always exactly the current key's length
  short LockMode = 0;                                  // 0 none, 1 lock and wait, 2 lock, no wait
};

struct DataFileTableType {
  DataFileSlot Slots[kDataFileSlots];  // slot s (1 to 40) is Slots[s - 1]
  unsigned char ScratchPositionBlock[kPositionBlockSize + 1] = {};  // used by the reset only
};
extern DataFileTableType DataFileTable;

// Slot 1 to 40 of the table (callers check the number with FindDataFileSlot first).
DataFileSlot& DataSlot(short slot);

// What the data layer waits and ends with; tests replace them. Defaults: EndProgram,
// SleepMilliseconds and RandomUniform.
struct DataHooksTable {
  std::function<void(int)> End;
  std::function<void(int)> Sleep;
  std::function<double()> Random;
};
extern DataHooksTable DataHooks;

// The owner name every open presents: four digits and a NUL byte (5 bytes).
std::string OwnerName();

// Opens `name` (code page 850; ".dat" when it has no extension) as `file_number` and registers the
// record area that every read fills. Status 0, 1002 or 1003; any other failure shows its message
// in the session language, waits for a key and ends the program (when the end hook returns, as in
// tests, the status is the failure's).
void OpenDataFile(short file_number, const std::string& name, void* record_area,
                  std::size_t record_area_size, short& status);
template <class Record>
void OpenDataFile(short file_number, const std::string& name, Record& record, short& status) {
  static_assert(std::is_trivially_copyable_v<Record>, "the record area is a plain record");
  OpenDataFile(file_number, name, &record, sizeof(Record), status);
}

// Closes every open file of the process; on failure the table is left as it was.
void CloseAllDataFiles(short& status);

// The slot (1 to 40) holding the file number; otherwise minus the highest free slot, or 0.
short FindDataFileSlot(short file_number);

// Record length of the file and total length of key `key_number`; both 0 when the file is not
// open, the key length 0 when the key does not exist.
void StatDataFile(short file_number, short key_number, short& key_length, short& record_length);

// The file specification block of the open file in `slot` into `block` (at most 1536 bytes);
// the record manager's status.
short ReadFileSpecification(short slot, std::string& block);

// Total length of key `key_number` in a file specification block; 0 when the key does not exist
// or the block ends before its segments.
int KeyLengthInSpecification(const std::string& block, int key_number);

// A data file name split into directory (up to the last ":", "\" or "/"), base and extension
// (from the leftmost dot of the last component; ".dat" when there is none).
struct DataFileName {
  std::string Directory;
  std::string Base;
  std::string Extension;
};
DataFileName SplitDataFileName(const std::string& name);

// Text of the message for a file that cannot be accessed, in the session language.
std::string FileAccessFailureText();

// Empties the table and restores the default hooks without calling the record manager (tests).
void ResetDataFileTable();
