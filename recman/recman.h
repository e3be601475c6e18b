// recman: the record manager engine. One entry point, RecordManagerCall, in the style of the classic
// record manager call interface; every data file is one SQLite database (WAL mode) plus a side file
// "<file>.lck" that carries the record and file locks.
//
// Contract of RecordManagerCall(operation, position_block, data_buffer, data_length, key_buffer,
//                               key_length, key_number):
// - operation: one of the Op* codes below, plus LockBiasWait (+100) or LockBiasNoWait (+200) for a
//   single-record lock on the Get operations (5 to 13) and Get Direct (23). Unknown codes: status 1.
// - position_block: 128 bytes owned by the caller, one per open file. Zero it before Open; the engine
//   writes an engine handle into it at Open and clears it at Close. A block that does not hold a live
//   handle gives StatusFileNotOpen (3). Reset and Create ignore it.
// - data_buffer / data_length: *data_length is the buffer's size on input and the number of bytes
//   returned on output. Reads need at least the record length (fixed-length files), otherwise
//   StatusDataBufferTooShort (22) and nothing is copied; for variable-length files the fixed part is
//   enough and a longer record is cut to the buffer with status 22 (the file is still positioned).
//   Insert and Update take exactly the record length (fixed) or at least it (variable).
// - key_buffer / key_length: the key value of key_number, raw as it stands in the record (the
//   concatenated segments). Get operations read it (Get Equal, Greater, ...) and every successful
//   positioning writes the record's key value back into it. key_length must be at least the key's
//   total length, otherwise StatusKeyBufferTooShort (21). Open and Create take the file name in the
//   key buffer: a native UTF-8 path of key_length bytes (a NUL byte before that ends it).
// - key_number: the key (index) number, 0 to number of keys - 1; otherwise StatusInvalidKeyNumber.
//   Open: the open mode, OpenNormal (0), OpenAccelerated (-1), OpenReadOnly (-2), OpenExclusive (-4).
//   Create: CreateNoReplace (-1) refuses an existing file with StatusFileExists; 0 replaces it.
//   Insert/Update: a negative number keeps the current position and leaves the key buffer alone.
// - Open: the data buffer may carry an owner name (any bytes, *data_length of them); it is accepted
//   and not checked. A file that is not writable opens read-only; writes then give StatusAccessDenied.
//   A file that is not one of ours (garbage, empty, a foreign SQLite database) gives StatusNotOurFile.
// - Create: the data buffer holds a FileSpecificationBlock (little-endian):
//     0  2 record length         2  2 page size (stored, not used)   4  2 number of keys
//     6  4 (Stat: record count)  10 2 file flags (0x01 variable-length records)   12 4 reserved
//     16 + 16*s: key segment s (all segments of key 0, then key 1, ...):
//        0 2 position (from 1)   2 2 length   4 2 flags   6 4 reserved   10 1 extended type
//        11 4 reserved           15 1 reserved
//     16 + 16*S (S = all segments), when any segment has KeyAlternate: the alternate collating
//        sequence, 0xAC, 8 bytes of name, 256-byte table (entry for byte c at offset 9 + c).
//   Segment flags: KeyDuplicates 0x01, KeyModifiable 0x02, KeyBinary 0x04, KeySegmented 0x10 (another
//   segment of the same key follows), KeyAlternate 0x20, KeyDescending 0x40, KeyExtendedType 0x100,
//   KeyCaseInsensitive 0x400. Extended types: TypeString 0, TypeInteger 1 (1, 2, 4, 8 bytes), TypeZstring
//   11, TypeUnsignedBinary 14, TypeAutoincrement 15 (2, 4 or 8 bytes; a zero value on Insert gets the
//   highest value + 1). A block the engine cannot honour is refused: 26 number of keys,
//   27 key position or inconsistent key flags, 28 record length, 29 key length, 48 collating sequence,
//   49 key type or unsupported flags (null keys); a data length shorter than the block gives 22.
// - Stat: the data buffer receives the block as created (16 + 16*S bytes, plus 265 for the collating
//   sequence), with the current record count as 4 bytes at offset 6; *data_length its size. The key
//   buffer is not touched.
// - Get Position: 4 bytes, the current record's position (1 to 2^31 - 1, never reused), little-endian.
//   Get Direct: bytes 0-3 of the data buffer hold a position; the record comes back and becomes the
//   current one in key_number's order. A position that does not exist: StatusInvalidRecordAddress.
// - Next/Previous continue from the current (key, position) pair of key_number's path; a different
//   key number gives StatusKeyNumberChanged, no position StatusInvalidPositioning. Duplicates come in
//   insertion order. After Delete the pair stays, so Next/Previous reach the neighbours.
// - A failed operation changes neither the position nor the buffers (except *data_length on 22).
// - Locks: a single-record lock belongs to its position block; the next locking read (whether or not
//   it gets its own lock), Update, Delete, Unlock, Close or Reset releases it, and the kernel releases it when the process dies. A no-wait
//   lock on a record another block holds gives StatusRecordLocked (84); the wait bias waits. Update or
//   Delete of a record another block has locked gives 84. Reads without a lock bias never wait.
//   Another writer holding the file beyond a short wait gives StatusFileLocked (85); an exclusive open
//   elsewhere gives 85 at Open.
// - Begin/End/Abort Transaction (19/20/21) group the writes made through one position block into one
//   commit; without them every Insert, Update and Delete is committed before its status returns.
// - Reset closes every file the process opened through the engine and releases their locks.
#ifndef RECMAN_RECMAN_H
#define RECMAN_RECMAN_H

#include <cstdint>

inline constexpr unsigned short OpOpen = 0;
inline constexpr unsigned short OpClose = 1;
inline constexpr unsigned short OpInsert = 2;
inline constexpr unsigned short OpUpdate = 3;
inline constexpr unsigned short OpDelete = 4;
inline constexpr unsigned short OpGetEqual = 5;
inline constexpr unsigned short OpGetNext = 6;
inline constexpr unsigned short OpGetPrevious = 7;
inline constexpr unsigned short OpGetGreater = 8;
inline constexpr unsigned short OpGetGreaterOrEqual = 9;
inline constexpr unsigned short OpGetLess = 10;
inline constexpr unsigned short OpGetLessOrEqual = 11;
inline constexpr unsigned short OpGetFirst = 12;
inline constexpr unsigned short OpGetLast = 13;
inline constexpr unsigned short OpCreate = 14;
inline constexpr unsigned short OpStat = 15;
inline constexpr unsigned short OpBeginTransaction = 19;
inline constexpr unsigned short OpEndTransaction = 20;
inline constexpr unsigned short OpAbortTransaction = 21;
inline constexpr unsigned short OpGetPosition = 22;
inline constexpr unsigned short OpGetDirect = 23;
inline constexpr unsigned short OpUnlock = 27;
inline constexpr unsigned short OpReset = 28;
inline constexpr unsigned short LockBiasWait = 100;
inline constexpr unsigned short LockBiasNoWait = 200;

inline constexpr signed char OpenNormal = 0;
inline constexpr signed char OpenAccelerated = -1;
inline constexpr signed char OpenReadOnly = -2;
inline constexpr signed char OpenExclusive = -4;
inline constexpr signed char CreateNoReplace = -1;

inline constexpr int PositionBlockSize = 128;
inline constexpr int AlternateSequenceSize = 265;
inline constexpr unsigned char AlternateSignature = 0xAC;

inline constexpr unsigned short KeyDuplicates = 0x01;
inline constexpr unsigned short KeyModifiable = 0x02;
inline constexpr unsigned short KeyBinary = 0x04;
inline constexpr unsigned short KeyNull = 0x08;
inline constexpr unsigned short KeySegmented = 0x10;
inline constexpr unsigned short KeyAlternate = 0x20;
inline constexpr unsigned short KeyDescending = 0x40;
inline constexpr unsigned short KeySupplemental = 0x80;
inline constexpr unsigned short KeyExtendedType = 0x100;
inline constexpr unsigned short KeyManual = 0x200;
inline constexpr unsigned short KeyCaseInsensitive = 0x400;

inline constexpr unsigned char TypeString = 0;
inline constexpr unsigned char TypeInteger = 1;
inline constexpr unsigned char TypeZstring = 11;
inline constexpr unsigned char TypeUnsignedBinary = 14;
inline constexpr unsigned char TypeAutoincrement = 15;

inline constexpr unsigned short FileVariableLength = 0x01;

inline constexpr short StatusSuccess = 0;
inline constexpr short StatusInvalidOperation = 1;
inline constexpr short StatusIoError = 2;
inline constexpr short StatusFileNotOpen = 3;
inline constexpr short StatusKeyNotFound = 4;
inline constexpr short StatusDuplicateKey = 5;
inline constexpr short StatusInvalidKeyNumber = 6;
inline constexpr short StatusKeyNumberChanged = 7;
inline constexpr short StatusInvalidPositioning = 8;
inline constexpr short StatusEndOfFile = 9;
inline constexpr short StatusKeyNotModifiable = 10;
inline constexpr short StatusInvalidFileName = 11;
inline constexpr short StatusFileNotFound = 12;
inline constexpr short StatusDiskFull = 18;
inline constexpr short StatusKeyBufferTooShort = 21;
inline constexpr short StatusDataBufferTooShort = 22;
inline constexpr short StatusPageSize = 24;
inline constexpr short StatusCreateIoError = 25;
inline constexpr short StatusNumberOfKeys = 26;
inline constexpr short StatusKeyPosition = 27;
inline constexpr short StatusRecordLength = 28;
inline constexpr short StatusKeyLength = 29;
inline constexpr short StatusNotOurFile = 30;
inline constexpr short StatusTransactionActive = 37;
inline constexpr short StatusNoTransaction = 39;
inline constexpr short StatusInvalidRecordAddress = 43;
inline constexpr short StatusAccessDenied = 46;
inline constexpr short StatusCollatingSequence = 48;
inline constexpr short StatusKeyType = 49;
inline constexpr short StatusFileExists = 59;
inline constexpr short StatusRecordLocked = 84;
inline constexpr short StatusFileLocked = 85;

// The one entry point. Never throws; bad arguments give a status.
short RecordManagerCall(unsigned short operation, void* position_block, void* data_buffer,
                        std::uint32_t* data_length, void* key_buffer, unsigned char key_length,
                        signed char key_number);

#endif
