#include "console/screen.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "config/session.h"
#include "console/colour.h"
#include "format/calendar.h"
#include "platform/console_device.h"
#include "platform/paths.h"
#include "platform/work_files.h"

WindowStateTable WindowState;

namespace {

constexpr long kHeaderLength = 4;
constexpr long kFixedLength = 20 + 5;  // ten 2-digit fields and the 5-digit length

long FileLength(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return 0;
  const long length = std::ftell(file);
  return length < 0 ? 0 : length;
}

// TopPointer as stored (1-based position after the last record); 0 when it cannot be read.
long ReadTopPointer(std::FILE* file) {
  unsigned char bytes[4];
  if (std::fseek(file, 0, SEEK_SET) != 0 || std::fread(bytes, 1, 4, file) != 4) return 0;
  const std::uint32_t u = static_cast<std::uint32_t>(bytes[0]) |
                          (static_cast<std::uint32_t>(bytes[1]) << 8) |
                          (static_cast<std::uint32_t>(bytes[2]) << 16) |
                          (static_cast<std::uint32_t>(bytes[3]) << 24);
  return static_cast<std::int32_t>(u);
}

void WriteTopPointer(std::FILE* file, long position) {
  const std::uint32_t u = static_cast<std::uint32_t>(static_cast<std::int32_t>(position));
  const unsigned char bytes[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                                  static_cast<unsigned char>(u >> 16),
                                  static_cast<unsigned char>(u >> 24)};
  if (std::fseek(file, 0, SEEK_SET) == 0) std::fwrite(bytes, 1, 4, file);
}

// Value of a fixed field of decimal digits; -1 when a byte is no digit.
long DigitsValue(const std::string& digits) {
  long value = 0;
  for (char ch : digits) {
    if (!std::isdigit(static_cast<unsigned char>(ch))) return -1;
    value = value * 10 + (ch - '0');
  }
  return value;
}

std::string Pad(long value, short width) { return ZeroPad(static_cast<double>(value), width); }

}  // namespace

std::string WindowStackPath() { return SessionSettings.TemporaryDirectory + "WinPush.tmp"; }

void ResetWindowState() { WindowState = WindowStateTable{}; }

short ScreenRows() { return static_cast<short>(CurrentConsole().Rows()); }
short ScreenColumns() { return static_cast<short>(CurrentConsole().Columns()); }

void LocateInWindow(short row, short column) {
  if (WindowState.WindowDepth > 0)
    CurrentConsole().SetCursorPosition(WindowState.Top + row, WindowState.Left + column);
  else
    CurrentConsole().SetCursorPosition(row, column);
}

short InnerTop() { return WindowState.WindowDepth > 0 ? static_cast<short>(WindowState.Top + 1) : 1; }
short InnerLeft() {
  return WindowState.WindowDepth > 0 ? static_cast<short>(WindowState.Left + 1) : 1;
}
short InnerRight() {
  return WindowState.WindowDepth > 0 ? static_cast<short>(WindowState.Right - 1) : ScreenColumns();
}

void PushWindow(short top, short left, short bottom, short right) {
  const short rows = ScreenRows();
  const short columns = ScreenColumns();
  if (top < 1 || top > rows || left < 1 || left > columns || bottom < 1 || bottom > rows ||
      right < 1 || right > columns)
    return;
  const std::string path = WindowStackPath();
  std::FILE* file = OpenWorkFile(path);
  if (file == nullptr) return;  // without a stack file the window cannot be saved: refused
  const long length = FileLength(file);
  long top_pointer = length > 3 ? ReadTopPointer(file) : kHeaderLength + 1;
  // A damaged pointer is brought back into the file (records never start inside the header).
  if (top_pointer < kHeaderLength + 1) top_pointer = kHeaderLength + 1;
  if (top_pointer > length + 1 && length >= kHeaderLength) top_pointer = length + 1;
  if (length < kHeaderLength) {
    WriteTopPointer(file, kHeaderLength + 1);  // the header exists before the first record
    top_pointer = kHeaderLength + 1;
  }

  ConsoleDevice& console = CurrentConsole();
  std::string record;
  record += Pad(console.CursorRow(), 2);
  record += Pad(console.CursorColumn(), 2);
  record += Pad(WindowState.Top, 2);
  record += Pad(WindowState.Left, 2);
  record += Pad(WindowState.Bottom, 2);
  record += Pad(WindowState.Right, 2);
  record += Pad(top, 2);
  record += Pad(left, 2);
  record += Pad(bottom, 2);
  record += Pad(right, 2);
  for (int r = top; r <= bottom; ++r) {
    for (int c = left; c <= right; ++c) {
      const ConsoleCell cell = console.ReadCell(r, c);
      record.push_back(static_cast<char>(cell.Character));
      record.push_back(static_cast<char>(cell.Attribute));
    }
  }
  record += Pad(static_cast<long>(record.size()) + 5, 5);
  bool written = std::fseek(file, top_pointer - 1, SEEK_SET) == 0 &&
                 std::fwrite(record.data(), 1, record.size(), file) == record.size();
  if (written) {
    WriteTopPointer(file, top_pointer + static_cast<long>(record.size()));
    written = std::fflush(file) == 0;
  }
  std::fclose(file);
  if (!written) return;  // nothing usable was stored: the window is refused
  WindowState.Top = top;
  WindowState.Left = left;
  WindowState.Bottom = bottom;
  WindowState.Right = right;
  ++WindowState.WindowDepth;
}

void DrawFrame(short style) {
  if (WindowState.WindowDepth <= 0) return;
  static const unsigned char kStyles[3][6] = {{32, 32, 32, 32, 32, 32},
                                              {218, 191, 192, 217, 196, 179},
                                              {201, 187, 200, 188, 205, 186}};
  static const unsigned char kNone[6] = {0, 0, 0, 0, 0, 0};
  const unsigned char* s = style >= 0 && style <= 2 ? kStyles[style] : kNone;
  const int top = WindowState.Top, left = WindowState.Left;
  const int bottom = WindowState.Bottom, right = WindowState.Right;
  // Only the window's own cells are drawn, since only they come back when it closes: a window
  // given with its edges swapped covers none, and a one-column window gets its left edge only.
  if (bottom < top || right < left) return;
  const int inner = right - left - 1 > 0 ? right - left - 1 : 0;
  ConsoleDevice& console = CurrentConsole();
  const auto line = [&](int row, unsigned char first, unsigned char middle, unsigned char last) {
    console.SetCursorPosition(row, left);
    std::string text(1, static_cast<char>(first));
    text.append(static_cast<std::size_t>(inner), static_cast<char>(middle));
    text.push_back(static_cast<char>(last));
    text.resize(static_cast<std::size_t>(right - left + 1));
    console.Write(text);
  };
  line(top, s[0], s[4], s[1]);
  for (int row = top + 1; row <= bottom - 1; ++row) line(row, s[5], ' ', s[5]);
  line(bottom, s[2], s[4], s[3]);
}

void PopWindow() {
  const std::string path = WindowStackPath();
  std::FILE* file = OpenWorkFile(path);
  if (file == nullptr) return;
  const long length = FileLength(file);
  if (length <= 3) {
    std::fclose(file);
    RemoveFile(path);
    return;
  }
  if (WindowState.WindowDepth > 0) --WindowState.WindowDepth;
  const long top_pointer = ReadTopPointer(file);
  // The record must lie between the header and TopPointer, inside the file; a damaged stack
  // file is dropped rather than read out of bounds.
  bool sound = top_pointer >= kHeaderLength + 1 + kFixedLength && top_pointer <= length + 1;
  std::string record;
  long start = 0;
  if (sound) {
    std::string digits(5, '\0');
    sound = std::fseek(file, top_pointer - 6, SEEK_SET) == 0 &&
            std::fread(digits.data(), 1, 5, file) == 5;
    const long n = sound ? DigitsValue(digits) : -1;
    start = top_pointer - n;  // 1-based position of the record
    sound = n >= kFixedLength && start >= kHeaderLength + 1;
    if (sound) {
      record.resize(static_cast<std::size_t>(n));
      sound = std::fseek(file, start - 1, SEEK_SET) == 0 &&
              std::fread(record.data(), 1, record.size(), file) == record.size();
    }
  }
  long fields[10] = {};
  if (sound) {
    for (int f = 0; f < 10 && sound; ++f) {
      fields[f] = DigitsValue(record.substr(static_cast<std::size_t>(f * 2), 2));
      sound = fields[f] >= 0;
    }
  }
  long cells = 0;
  if (sound) {
    for (long r = fields[6]; r <= fields[8]; ++r)
      for (long c = fields[7]; c <= fields[9]; ++c) ++cells;
    sound = 2 * cells + kFixedLength == static_cast<long>(record.size());
  }
  if (!sound) {
    std::fclose(file);
    RemoveFile(path);
    return;
  }
  WindowState.Top = static_cast<short>(fields[2]);
  WindowState.Left = static_cast<short>(fields[3]);
  WindowState.Bottom = static_cast<short>(fields[4]);
  WindowState.Right = static_cast<short>(fields[5]);
  ConsoleDevice& console = CurrentConsole();
  std::size_t at = 20;
  for (long r = fields[6]; r <= fields[8]; ++r) {
    for (long c = fields[7]; c <= fields[9]; ++c) {
      const char character = record[at];
      const unsigned char attribute = static_cast<unsigned char>(record[at + 1]);
      at += 2;
      console.SetAttribute(attribute);
      if (r < 1 || r > console.Rows() || c < 1 || c > console.Columns()) continue;
      console.SetCursorPosition(static_cast<int>(r), static_cast<int>(c));
      console.Write(std::string_view(&character, 1));
    }
  }
  console.SetCursorPosition(static_cast<int>(fields[0]), static_cast<int>(fields[1]));
  WriteTopPointer(file, start);
  std::fclose(file);
  if (start < 6) RemoveFile(path);
}

void ScrollRegion(short top, short left, short bottom, short right, short n) {
  ConsoleDevice& console = CurrentConsole();
  const ConsoleCell fill{' ', console.Attribute()};
  console.ScrollRectangle(top + 1, left + 1, bottom + 1, right + 1, n == 0 ? -1 : n, fill);
}

void ShowMessage(short row, std::string& text) {
  std::string colour = "+rh";
  SetColour(colour);
  FormatParagraph(text, 0, 76, "i");
  const int n = static_cast<int>(text.size() / 76);
  const int rows = ScreenRows();
  int top = row - ((n + 1) / 2) - 2;
  if (top < 1) top = 1;
  int bottom = n + top + 1;
  if (bottom > rows) {
    bottom = rows;
    top = bottom - n - 1;
  }
  std::string restore = "-";
  if (top < 1) {
    SetColour(restore);
    return;
  }
  int left = 0, right = 0;
  for (int k = 0; k < n; ++k) {
    const std::string line = text.substr(static_cast<std::size_t>(k) * 76, 76);
    const std::size_t last = line.find_last_not_of(' ');
    const int g = last == std::string::npos ? 0 : static_cast<int>(last + 1);
    if (right - left < g + 4) {
      left = 41 - ((g + 1) / 2) - 2;
      right = (g / 2) + 42;
    }
  }
  const short depth = WindowState.WindowDepth;
  PushWindow(static_cast<short>(top), static_cast<short>(left), static_cast<short>(bottom),
             static_cast<short>(right));
  if (WindowState.WindowDepth == depth) {  // no window (an empty text): draw nowhere else
    SetColour(restore);
    return;
  }
  DrawFrame(1);
  for (int k = 1; k <= n; ++k) {
    std::string line = text.substr(static_cast<std::size_t>(k - 1) * 76, 76);
    line.erase(line.find_last_not_of(' ') + 1);
    LocateInWindow(static_cast<short>(k), 2);
    CurrentConsole().Write(line);
  }
  SetColour(restore);
}

void FormatParagraph(std::string& text, short indent, short width, const std::string& mode) {
  const long length = static_cast<long>(text.size());
  // Character at 1-based position p; -1 past either end.
  const auto at = [&](long p) -> int {
    return p >= 1 && p <= length ? static_cast<unsigned char>(text[static_cast<std::size_t>(p - 1)])
                                 : -1;
  };
  const auto control = [&](long p) { return at(p) >= 0 && at(p) < 32; };
  const auto above_blank = [&](long p) { return at(p) > 32; };
  std::string upper = mode;
  for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  const long hanging = indent < 0 ? -static_cast<long>(indent) : indent;

  std::string result;
  long c = 1;
  long b = indent > 0 ? indent : 0;
  while (c <= length) {
    long room = width - b;
    long i = 0;
    while (i != room && c + i <= length) {
      if (control(c + i)) ++room;
      ++i;
    }
    if (above_blank(c + i - 1)) {
      while (c + i <= length && control(c + i)) {
        ++room;
        ++i;
      }
    }
    long k = room;
    if (above_blank(c + k)) {
      while (above_blank(c + k) && k > 0) {
        if (control(c + k - 1)) --room;
        --k;
      }
    }
    if ((control(c + k) || c + k > length) && k > 0) {
      while (k > 0 && at(c + k - 1) == ' ') --k;
    }
    if (k < 1) k = room;
    if (k < 1) k = 1;  // a line without room still takes one character, so the loop ends
    std::string line(static_cast<std::size_t>(b), ' ');
    line += text.substr(static_cast<std::size_t>(c - 1), static_cast<std::size_t>(k));
    room += b;
    const long size = static_cast<long>(line.size());
    const std::size_t missing = room > size ? static_cast<std::size_t>(room - size) : 0;
    if (upper == "E" || upper == "L" || upper == "I") {
      line.append(missing, ' ');
    } else if (upper == "N") {
      line.append(missing, '-');
    } else if (upper == "D" || upper == "R") {
      line.insert(0, missing, ' ');
    } else if (upper == "C") {
      line.insert(0, missing / 2, ' ');
      line.append((missing + 1) / 2, ' ');
    } else if (upper == "A" || upper == "B") {
      const bool has_gap = line.find(' ', static_cast<std::size_t>(hanging)) != std::string::npos &&
                           hanging < size;
      if (has_gap && c + k < length) {
        long p = 1 + hanging;
        long g = 2;
        while (static_cast<long>(line.size()) < room) {
          std::size_t q = line.find(' ', static_cast<std::size_t>(p + g - 1));
          if (q == std::string::npos) q = line.find(' ', static_cast<std::size_t>(hanging));
          line.insert(q, 1, ' ');
          p = static_cast<long>(q) + 1;
          g = 2;
          while (p + g <= static_cast<long>(line.size()) &&
                 line[static_cast<std::size_t>(p + g - 1)] == ' ')
            ++g;
        }
      }
    }
    result += line;
    c += k;
    while (at(c) == ' ') ++c;
    b = indent < 0 ? -static_cast<long>(indent) : 0;
  }
  text = std::move(result);
}
