#include "status_text.h"

#include "recman/recman.h"

std::string StatusText(short status) {
  const char* text = "unknown status";
  switch (status) {
    case StatusSuccess: text = "success"; break;
    case StatusInvalidOperation: text = "invalid operation"; break;
    case StatusIoError: text = "I/O error"; break;
    case StatusFileNotOpen: text = "file not open"; break;
    case StatusKeyNotFound: text = "key value not found"; break;
    case StatusDuplicateKey: text = "duplicate key value"; break;
    case StatusInvalidKeyNumber: text = "invalid key number"; break;
    case StatusKeyNumberChanged: text = "key number changed"; break;
    case StatusInvalidPositioning: text = "invalid positioning"; break;
    case StatusEndOfFile: text = "end of file"; break;
    case StatusKeyNotModifiable: text = "key not modifiable"; break;
    case StatusInvalidFileName: text = "invalid file name"; break;
    case StatusFileNotFound: text = "file not found"; break;
    case StatusDiskFull: text = "disk full"; break;
    case StatusKeyBufferTooShort: text = "key buffer too short"; break;
    case StatusDataBufferTooShort: text = "data buffer too short or record length wrong"; break;
    case StatusCreateIoError: text = "cannot create the file"; break;
    case StatusNumberOfKeys: text = "invalid number of keys"; break;
    case StatusKeyPosition: text = "invalid key position or key flags"; break;
    case StatusRecordLength: text = "invalid record length"; break;
    case StatusKeyLength: text = "invalid key length"; break;
    case StatusNotOurFile: text = "not a data file"; break;
    case StatusTransactionActive: text = "transaction already active"; break;
    case StatusNoTransaction: text = "no transaction active"; break;
    case StatusInvalidRecordAddress: text = "no record at that position"; break;
    case StatusAccessDenied: text = "access denied"; break;
    case StatusCollatingSequence: text = "invalid alternate collating sequence"; break;
    case StatusKeyType: text = "unsupported key type or flags"; break;
    case StatusFileExists: text = "file already exists"; break;
    case StatusRecordLocked: text = "record locked"; break;
    case StatusFileLocked: text = "file locked"; break;
    default: break;
  }
  return "status " + std::to_string(status) + " (" + text + ")";
}
