#pragma once
// Frame output for the terminal: the bytes that bring a terminal from the frame last sent to a
// new one. Only cells that changed are sent; cursor moves and colour changes are sent as deltas.
// Pure: it produces text, the caller writes it in one go.
#include <string>
#include <string_view>

#include "platform/console_device.h"

// UTF-8 text shown for a code page 850 byte (control bytes as their console glyphs: 16 is a
// right-pointing triangle, 17 a left-pointing one, 30 and 31 up and down triangles).
std::string_view Cp850Glyph(unsigned char byte);

// ANSI parameter for a console colour number as foreground or background (red and blue swapped,
// bright colours 90-97 and 100-107).
int AnsiForeground(int colour);
int AnsiBackground(int colour);

struct TerminalFrame {
  ConsoleCell Cells[kConsoleRows][kConsoleColumns];
  int CursorRow = 1;
  int CursorColumn = 1;
  bool CursorVisible = true;
  int CursorSize = 25;
};

class TerminalOutput {
 public:
  // Bytes that turn the last frame sent into `frame`; `frame` becomes the last frame sent.
  std::string Render(const TerminalFrame& frame);
  // The next Render clears the terminal and sends everything (start, resume, resize).
  void Invalidate() { valid_ = false; }
  // Size of the real terminal; cells beyond it are not sent.
  void SetTerminalSize(int rows, int columns);

 private:
  void MoveTo(std::string& out, int row, int column);
  // MoveTo, or the cells in between sent again when that is shorter.
  void AdvanceTo(std::string& out, const TerminalFrame& frame, int row, int column);
  void SetAttribute(std::string& out, unsigned char attribute);

  TerminalFrame sent_;
  bool valid_ = false;
  int terminal_rows_ = kConsoleRows;
  int terminal_columns_ = kConsoleColumns;
  // State of the terminal after the last output; 0 row/column and attribute_known_ false when
  // unknown.
  int row_ = 0;
  int column_ = 0;
  bool attribute_known_ = false;
  unsigned char attribute_ = 0;
};
