#include "sequential.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "recman/recman.h"
#include "status_text.h"

namespace {

constexpr std::uint32_t kLargestRecord = 1u << 20;

struct OpenFile {
  unsigned char block[PositionBlockSize] = {};
  bool open = false;
  short Open(const std::string& path, signed char mode) {
    std::string name = path;
    if (name.size() > 255) return StatusInvalidFileName;
    std::uint32_t len = 0;
    const short s = RecordManagerCall(OpOpen, block, nullptr, &len, name.data(),
                                      static_cast<unsigned char>(name.size()), mode);
    open = s == 0;
    return s;
  }
  short Call(unsigned short op, void* data, std::uint32_t* len, void* key, int key_number) {
    return RecordManagerCall(op, block, data, len, key, 255, static_cast<signed char>(key_number));
  }
  ~OpenFile() {
    if (open) RecordManagerCall(OpClose, block, nullptr, nullptr, nullptr, 0, 0);
  }
};

}  // namespace

bool LoadSequential(const std::string& data_file, const std::string& sequential, std::size_t& count,
                    std::string& error) {
  count = 0;
  std::ifstream in(sequential, std::ios::binary);
  if (!in) return error = "cannot read " + sequential, false;
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  OpenFile file;
  short s = file.Open(data_file, OpenNormal);
  if (s != 0) return error = "cannot open " + data_file + ": " + StatusText(s), false;
  std::uint32_t none = 0;
  char key[255];
  s = file.Call(OpBeginTransaction, nullptr, &none, key, 0);
  if (s != 0) return error = "cannot begin the load: " + StatusText(s), false;
  std::size_t p = 0;
  auto fail = [&](const std::string& why) {
    file.Call(OpAbortTransaction, nullptr, &none, key, 0);
    error = "record " + std::to_string(count + 1) + " (byte " + std::to_string(p) + "): " + why +
            "; nothing loaded";
    count = 0;
    return false;
  };
  while (p < text.size()) {
    if (text[p] == '\x1a' && p + 1 == text.size()) break;  // end-of-file mark
    std::size_t length = 0;
    std::size_t digits = 0;
    while (p < text.size() && text[p] >= '0' && text[p] <= '9' && digits < 8) {
      length = length * 10 + static_cast<std::size_t>(text[p] - '0');
      ++p;
      ++digits;
    }
    if (digits == 0 || p >= text.size() || text[p] != ',') return fail("expected a length and a comma");
    ++p;
    if (length > text.size() - p) return fail("the record runs past the end of the file");
    std::string record = text.substr(p, length);
    p += length;
    if (text.compare(p, 2, "\r\n") == 0) p += 2;
    else if (p < text.size() && text[p] == '\n') p += 1;
    else return fail("expected CR LF after the record");
    std::uint32_t len = static_cast<std::uint32_t>(record.size());
    s = file.Call(OpInsert, record.data(), &len, key, -1);
    if (s != 0) return fail(StatusText(s));
    ++count;
  }
  s = file.Call(OpEndTransaction, nullptr, &none, key, 0);
  if (s != 0) return error = "cannot commit the load: " + StatusText(s), count = 0, false;
  return true;
}

bool SaveSequential(const std::string& data_file, const std::string& sequential, int key,
                    std::size_t& count, std::string& error) {
  count = 0;
  OpenFile file;
  short s = file.Open(data_file, OpenReadOnly);
  if (s != 0) return error = "cannot open " + data_file + ": " + StatusText(s), false;
  std::vector<char> data(kLargestRecord);
  char key_buffer[255];
  std::uint32_t len = kLargestRecord;
  std::FILE* out = std::fopen(sequential.c_str(), "wb");
  if (out == nullptr) return error = "cannot write " + sequential, false;
  s = file.Call(OpGetFirst, data.data(), &len, key_buffer, key);
  while (s == 0) {
    std::fprintf(out, "%u,", static_cast<unsigned>(len));
    std::fwrite(data.data(), 1, len, out);
    std::fputs("\r\n", out);
    ++count;
    len = kLargestRecord;
    s = file.Call(OpGetNext, data.data(), &len, key_buffer, key);
  }
  const bool written = std::fclose(out) == 0;
  if (s != StatusEndOfFile) return error = "cannot read along key " + std::to_string(key) + ": " + StatusText(s), false;
  if (!written) return error = "cannot write " + sequential, false;
  return true;
}
