#pragma once
// Reads on an open data file: position on a key value, step along the current key, ask for and
// read at a physical position. Every read delivers the record into the record area registered at
// open and keeps the file's current key value in its slot. Reads lock per the file's lock mode
// and, in lock mode 1, wait while another program holds the record or the file, with a message.
// A file that is not open gives status 3; status 22 (record longer than the buffer) counts as 0.
#include <cstdint>
#include <string>

// Lock modes of a file.
inline constexpr short kLockNone = 0;
inline constexpr short kLockAndWait = 1;
inline constexpr short kLockNoWait = 2;

// Saved lock modes, two bytes a pair: slot number, then the mode saved for it.
struct LockModeStackTable {
  std::string Pairs;
};
extern LockModeStackTable LockModeStack;

// Makes `key_number` current and reads the first record whose key equals `key_value`
// (direction 0), the first at or after it (direction > 0) or the last at or before it (< 0).
// The value is padded with zero bytes or cut to the key's length. Status 1004 when the file has
// no such key; then neither the current key nor the position changes.
void ReadByKey(short file_number, short key_number, const std::string& key_value, short direction,
               short& status);

// Moves `count` records forwards (> 0) or backwards (< 0) along the current key and reads the
// record reached; count 0 does nothing (status 0).
void StepRecords(short file_number, short count, short& status);

// Position 0: the physical position of the current record, 0 when there is none or the file is
// not open. Otherwise reads the record at that position, makes it current in the current key's
// order and returns the status.
std::int32_t ReadDirect(short file_number, std::int32_t position);

// Applies the commands in order (case-insensitive): "D" mode 0, "A" mode 1, "B" mode 2, "+" saves
// the mode, "-" restores the file's last saved mode; others are ignored. Status 3 when the file is
// not open, otherwise untouched.
void SetLockMode(short file_number, const std::string& commands, short& status);

// Runs `operation` on the file in `slot` (1 to 40) with the lock bias of its lock mode, waiting
// in lock mode 1 while the record or file is locked (message from the second attempt on, removed
// at the end); copies the record into the record area and updates the current key value.
short ReadWithLockWait(short operation, short slot);

// Milliseconds of one wait for a locked record: the whole number nearest to 10000 r + 1 for a
// random r in [0, 1), so 1 to 10001.
int LockWaitMilliseconds(double r);

// Text of the message for a locked file, in the session language.
std::string LockedFileText();

// `key_value` as a value of the file's current key, rewritten segment by segment so that byte
// comparison of two results follows the record manager's order: binary segments reversed (padded
// with zero bytes first), alternate collating segments translated. Unchanged when the file is not
// open.
std::string KeyInCollatingOrder(const std::string& key_value, short file_number);
// The same for the file's current key value; empty when the file is not open.
std::string CurrentKeyInCollatingOrder(short file_number);

// Empties the lock mode stack (tests).
void ResetLockModeStack();
