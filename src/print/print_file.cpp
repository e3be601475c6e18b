#include "print/print_file.h"

#include <sys/file.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "config/session.h"
#include "format/numeric_value.h"
#include "platform/paths.h"
#include "platform/work_files.h"

PrintFileState PrintFile;

namespace {

// The number form of the file: sign position, digits, one blank.
std::string NumberText(long long value) {
  const std::string digits = std::to_string(value < 0 ? -value : value);
  return (value < 0 ? "-" : " ") + digits + " ";
}

// Line ends may not appear inside a line of their own.
std::string WithoutLineEnds(std::string text) {
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  return text;
}

// Field lines held back at most, for a caller that never ends its printed line.
constexpr std::size_t kFieldsHeldMost = 1 << 16;

// The longest number form of a 16-bit value: sign, five digits, blank.
constexpr std::size_t kNumberFormMost = 7;

// The number form of a 16-bit value into `text` (room for kNumberFormMost bytes); returns its
// length.
std::size_t NumberForm(int value, char* text) {
  char digits[8];
  std::size_t n = 0;
  unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude > 0);
  std::size_t length = 0;
  text[length++] = value < 0 ? '-' : ' ';
  while (n > 0) text[length++] = digits[--n];
  text[length++] = ' ';
  return length;
}

bool IsControl(char c) {
  const unsigned char byte = static_cast<unsigned char>(c);
  return byte <= 31 || byte == 127 || byte == 255;
}

// Hands the field lines gathered for the current printed line to the file: the fields of one
// printed line reach the file in one write, and always before any other line.
void FlushFields() {
  std::string& fields = PrintFile.Fields;
  if (PrintFile.File != nullptr && !fields.empty())
    fwrite_unlocked(fields.data(), 1, fields.size(), PrintFile.File);
  fields.clear();
}

void WriteLine(const std::string& line) {
  FlushFields();
  if (PrintFile.File == nullptr) return;
  std::fwrite(line.data(), 1, line.size(), PrintFile.File);
  std::fwrite("\r\n", 1, 2, PrintFile.File);
}

std::int16_t Clamped16(int value) {
  constexpr int kLowest = std::numeric_limits<std::int16_t>::min();
  constexpr int kHighest = std::numeric_limits<std::int16_t>::max();
  return static_cast<std::int16_t>(value < kLowest ? kLowest : value > kHighest ? kHighest : value);
}

// The digits of the whole part of `value` without its sign ("0" for anything below 1).
std::string WholeDigits(double value) {
  value = std::trunc(std::fabs(value));
  if (!std::isfinite(value)) value = std::numeric_limits<double>::max();
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.0f", value);
  return buffer;
}

// The mask of a numeric justification: from the first backslash up to and including the next,
// or to the end of the code when there is no second one; empty without a backslash.
std::string MaskPart(const std::string& code) {
  const std::size_t first = code.find('\\');
  if (first == std::string::npos) return {};
  const std::size_t second = code.find('\\', first + 1);
  return second == std::string::npos ? code.substr(first) : code.substr(first, second - first + 1);
}

}  // namespace

void ResetPrintFile() {
  FlushFields();
  if (PrintFile.File != nullptr) std::fclose(PrintFile.File);
  PrintFile = PrintFileState{};
}

void OpenPrintFile(const std::string& device) {
  ClosePrintFile();
  // A file left by an earlier run is removed rather than truncated: on file systems that delay
  // block allocation, a file truncated and written anew is forced to the disk when it is closed,
  // which costs a table run more than its writing. The new file is owner-only in any case.
  const std::string path = SessionSettings.TemporaryDirectory + "tavprint.tmp";
  RemoveFile(path);
  PrintFile.File = CreateWorkFile(path);
  if (PrintFile.File == nullptr) return;
  // A large buffer: a table of many records is written in few system calls.
  std::setvbuf(PrintFile.File, nullptr, _IOFBF, 1 << 16);
  // Keep other processes that honour advisory locks (the print program) away while writing.
  flock(fileno(PrintFile.File), LOCK_EX | LOCK_NB);
  WriteLine("DEVICE" + WithoutLineEnds(device));
}

void SetPageLength(std::int16_t lines) {
  WriteLine("PAGE" + NumberText(lines));
  PrintFile.PageLength = lines;
  PrintFile.LineCount = 0;
}

void WriteCommand(const std::string& command) {
  std::string line = "*";
  line += WithoutLineEnds(command);
  WriteLine(line);
}

void SetJustification(std::string& code) {
  const std::size_t first = code.find_first_not_of(' ');
  const std::size_t last = code.find_last_not_of(' ');
  const std::string trimmed =
      first == std::string::npos ? std::string() : code.substr(first, last - first + 1);
  const char k = trimmed.empty() ? ' ' : trimmed[0];
  std::string normalised;
  switch (k) {
    case 'C': case 'c':
      normalised = "C";
      break;
    case 'D': case 'd': case 'R': case 'r':
      normalised = "D";
      break;
    case 'A': case 'a': case 'B': case 'b':
      normalised = "A";
      break;
    case 'N': case 'n':
      normalised = "N " + WholeDigits(NumericValue(std::string_view(trimmed).substr(1))) + " " +
                   MaskPart(code);
      break;
    default:
      normalised = "E";
  }
  code = normalised;
  WriteLine("JUS" + WithoutLineEnds(code));
}

void WriteField(std::int16_t column, const std::string& text, std::int16_t advance) {
  if (PrintFile.LineCount >= PrintFile.PageLength) SetPageLength(PrintFile.PageLength);
  if (PrintFile.File != nullptr) {
    // The field line is put together at the end of the fields gathered so far, control
    // characters blanked on the way; they go to the file together once the printed line ends.
    std::string& fields = PrintFile.Fields;
    const std::size_t at = fields.size();
    fields.resize(at + 2 * kNumberFormMost + 4 + text.size());
    char* const start = fields.data() + at;
    char* out = start + NumberForm(column, start);
    *out++ = ',';
    for (const char c : text) *out++ = IsControl(c) ? ' ' : c;
    *out++ = ',';
    out += NumberForm(advance, out);
    *out++ = '\r';
    *out++ = '\n';
    fields.resize(at + static_cast<std::size_t>(out - start));
    if (advance != 0 || fields.size() >= kFieldsHeldMost) FlushFields();
  }
  if (advance != 0) PrintFile.LineCount = Clamped16(PrintFile.LineCount + advance);
}

void ClosePrintFile() {
  FlushFields();
  if (PrintFile.File == nullptr) return;
  std::fclose(PrintFile.File);
  PrintFile.File = nullptr;
}

std::int16_t PageLength() { return PrintFile.PageLength; }
std::int16_t LineCount() { return PrintFile.LineCount; }
