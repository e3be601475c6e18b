// recutil: create, fill, dump and inspect record manager data files.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "description.h"
#include "recman/recman.h"
#include "sequential.h"
#include "status_text.h"

namespace {

const char kUsage[] =
    "Usage: recutil COMMAND ARGUMENTS\n"
    "\n"
    "Commands:\n"
    "  dict DESCRIPTION OUT.xdf        write a dictionary file (2-byte length and the file\n"
    "                                  specification block) from a readable description\n"
    "  create FILE DICTIONARY.xdf      create an empty data file from a dictionary file\n"
    "  load FILE SEQUENTIAL            insert the records of a sequential file (one transaction)\n"
    "  save FILE SEQUENTIAL [--key N]  write every record in the order of key N (default 0)\n"
    "  stat FILE                       show record length, keys, segments and record count\n"
    "  lock FILE POSITION --seconds N  hold a lock on the record at POSITION for N seconds\n"
    "\n"
    "A description is a list of keyword=value words (# starts a comment):\n"
    "  record=LENGTH [variable=y|n] [page=SIZE] key=NUMBER-OF-KEYS\n"
    "  per key segment: position=P length=L [duplicates=y|n] [modifiable=y|n]\n"
    "    [type=string|binary|integer|unsigned|zstring|autoincrement] [descending=y|n]\n"
    "    [alternate=y|n] [insensitive=y|n] segment=y|n  (y: the key has another segment)\n"
    "  [name=FILE] alternate collating sequence file (0xAC, 8-byte name, 256-byte table)\n"
    "\n"
    "A sequential file holds each record as its length in decimal, a comma, the record\n"
    "bytes and CR LF.\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "recutil: %s\nTry 'recutil --help'.\n", problem.c_str());
  return 1;
}

int Fail(const std::string& problem) {
  std::fprintf(stderr, "recutil: %s\n", problem.c_str());
  return 2;
}

bool ReadFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), {});
  return !in.bad();
}

bool ParseCount(const std::string& text, long max, long& out) {
  if (text.empty() || text.size() > 10) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  out = std::strtol(text.c_str(), nullptr, 10);
  return out <= max;
}

unsigned Word(const std::string& s, std::size_t at) {
  return static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
}

struct File {
  unsigned char block[PositionBlockSize] = {};
  short Open(const std::string& path, signed char mode) {
    std::string name = path;
    if (name.size() > 255) return StatusInvalidFileName;
    std::uint32_t len = 0;
    return RecordManagerCall(OpOpen, block, nullptr, &len, name.data(),
                             static_cast<unsigned char>(name.size()), mode);
  }
  ~File() { RecordManagerCall(OpClose, block, nullptr, nullptr, nullptr, 0, 0); }
};

int Dict(const std::string& description, const std::string& out) {
  std::string text, block, error;
  if (!ReadFile(description, text)) return Fail("cannot read " + description);
  if (!ParseDescription(text, block, error)) return Fail(description + ": " + error);
  std::string file;
  file.push_back(static_cast<char>(block.size() & 0xff));
  file.push_back(static_cast<char>(block.size() >> 8));
  file += block;
  std::ofstream o(out, std::ios::binary | std::ios::trunc);
  if (!o || !o.write(file.data(), static_cast<std::streamsize>(file.size())) || !o.flush())
    return Fail("cannot write " + out);
  return 0;
}

int Create(const std::string& path, const std::string& dictionary) {
  std::string file;
  if (!ReadFile(dictionary, file)) return Fail("cannot read " + dictionary);
  if (file.size() < 2) return Fail(dictionary + " is not a dictionary file (too short)");
  const std::size_t n = Word(file, 0);
  if (n > file.size() - 2) return Fail(dictionary + " is not a dictionary file (length past the end)");
  std::string block = file.substr(2, n);
  std::string name = path;
  if (name.size() > 255) return Fail("file name too long: " + path);
  std::uint32_t len = static_cast<std::uint32_t>(block.size());
  const short s = RecordManagerCall(OpCreate, nullptr, block.data(), &len, name.data(),
                                    static_cast<unsigned char>(name.size()), CreateNoReplace);
  if (s != 0) return Fail("cannot create " + path + ": " + StatusText(s));
  return 0;
}

int Stat(const std::string& path) {
  File f;
  short s = f.Open(path, OpenReadOnly);
  if (s != 0) return Fail("cannot open " + path + ": " + StatusText(s));
  std::string data(4096, '\0');
  std::uint32_t len = static_cast<std::uint32_t>(data.size());
  char key[255];
  s = RecordManagerCall(OpStat, f.block, data.data(), &len, key, 255, 0);
  if (s != 0) return Fail("cannot read the statistics of " + path + ": " + StatusText(s));
  data.resize(len);
  const unsigned records = Word(data, 6) | (Word(data, 8) << 16);
  std::printf("file %s\nrecord length %u%s\npage size %u\nrecords %u\nkeys %u\n", path.c_str(),
              Word(data, 0), (Word(data, 10) & FileVariableLength) ? " (variable)" : "",
              Word(data, 2), records, Word(data, 4));
  std::size_t at = 16;
  bool alternate = false;
  for (unsigned k = 0; k < Word(data, 4); ++k) {
    bool more = true;
    while (more && at + 16 <= data.size()) {
      const unsigned flags = Word(data, at + 4);
      more = (flags & KeySegmented) != 0;
      std::string kind = "string";
      if (flags & KeyExtendedType) {
        switch (static_cast<unsigned char>(data[at + 10])) {
          case TypeInteger: kind = "integer"; break;
          case TypeZstring: kind = "zstring"; break;
          case TypeUnsignedBinary: kind = "unsigned"; break;
          case TypeAutoincrement: kind = "autoincrement"; break;
          default: break;
        }
      } else if (flags & KeyBinary) {
        kind = "binary";
      }
      std::printf("key %u segment: position %u length %u %s%s%s%s%s%s\n", k, Word(data, at),
                  Word(data, at + 2), kind.c_str(), (flags & KeyDuplicates) ? " duplicates" : "",
                  (flags & KeyModifiable) ? " modifiable" : "",
                  (flags & KeyDescending) ? " descending" : "",
                  (flags & KeyAlternate) ? " alternate" : "",
                  (flags & KeyCaseInsensitive) ? " insensitive" : "");
      if (flags & KeyAlternate) alternate = true;
      at += 16;
    }
  }
  if (alternate && at + AlternateSequenceSize <= data.size())
    std::printf("alternate collating sequence %.8s\n", data.data() + at + 1);
  return 0;
}

int Lock(const std::string& path, long position, long seconds) {
  File f;
  short s = f.Open(path, OpenNormal);
  if (s != 0) return Fail("cannot open " + path + ": " + StatusText(s));
  std::vector<char> data(1u << 20);
  std::uint32_t len = static_cast<std::uint32_t>(data.size());
  const auto pos = static_cast<std::uint32_t>(position);
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>(pos >> (8 * i));
  char key[255];
  s = RecordManagerCall(OpGetDirect + LockBiasNoWait, f.block, data.data(), &len, key, 255, 0);
  if (s != 0) return Fail("cannot lock record " + std::to_string(position) + ": " + StatusText(s));
  std::printf("record %ld locked for %ld seconds\n", position, seconds);
  std::fflush(stdout);
  ::sleep(static_cast<unsigned>(seconds));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("no command given");
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const std::string& command = args[0];
  if (command == "dict") {
    if (args.size() != 3) return Usage("dict needs DESCRIPTION and OUT.xdf");
    return Dict(args[1], args[2]);
  }
  if (command == "create") {
    if (args.size() != 3) return Usage("create needs FILE and DICTIONARY.xdf");
    return Create(args[1], args[2]);
  }
  if (command == "load") {
    if (args.size() != 3) return Usage("load needs FILE and SEQUENTIAL");
    std::size_t count = 0;
    std::string error;
    if (!LoadSequential(args[1], args[2], count, error)) return Fail(error);
    std::printf("%zu records loaded\n", count);
    return 0;
  }
  if (command == "save") {
    long key = 0;
    if (args.size() == 5 && args[3] == "--key") {
      if (!ParseCount(args[4], 118, key)) return Usage("--key needs a key number from 0 to 118");
    } else if (args.size() != 3) {
      return Usage("save needs FILE and SEQUENTIAL, optionally --key N");
    }
    std::size_t count = 0;
    std::string error;
    if (!SaveSequential(args[1], args[2], static_cast<int>(key), count, error)) return Fail(error);
    std::printf("%zu records saved\n", count);
    return 0;
  }
  if (command == "stat") {
    if (args.size() != 2) return Usage("stat needs FILE");
    return Stat(args[1]);
  }
  if (command == "lock") {
    long position = 0, seconds = 0;
    if (args.size() != 5 || args[3] != "--seconds") return Usage("lock needs FILE POSITION --seconds N");
    if (!ParseCount(args[2], 0x7fffffff, position) || position == 0)
      return Usage("POSITION must be a record position from 1");
    if (!ParseCount(args[4], 86400, seconds)) return Usage("--seconds needs a number up to 86400");
    return Lock(args[1], position, seconds);
  }
  return Usage("unknown command \"" + command + "\"");
}
