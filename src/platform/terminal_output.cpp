#include "platform/terminal_output.h"

#include <algorithm>
#include <array>

#include "platform/codepage.h"

namespace {

// Glyphs of the control bytes 0-31 as the console shows them.
constexpr char32_t kControlGlyphs[32] = {
    0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

const std::array<std::string, 256>& GlyphTable() {
  static const std::array<std::string, 256> table = [] {
    std::array<std::string, 256> t;
    for (int b = 0; b < 256; ++b) {
      char32_t c = b < 32 ? kControlGlyphs[b] : Cp850ToUnicode(static_cast<unsigned char>(b));
      if (b == 127) c = 0x2302;
      if (b == 255) c = 0x00A0;
      AppendUtf8(t[static_cast<std::size_t>(b)], c);
    }
    return t;
  }();
  return table;
}

int Ansi(int colour) { return ((colour & 1) << 2) | (colour & 2) | ((colour & 4) >> 2); }

void AppendNumber(std::string& out, int n) { out += std::to_string(n); }

}  // namespace

std::string_view Cp850Glyph(unsigned char byte) { return GlyphTable()[byte]; }

int AnsiForeground(int colour) { return ((colour & 8) ? 90 : 30) + Ansi(colour & 7); }
int AnsiBackground(int colour) { return ((colour & 8) ? 100 : 40) + Ansi(colour & 7); }

void TerminalOutput::SetTerminalSize(int rows, int columns) {
  terminal_rows_ = std::max(rows, 1);
  terminal_columns_ = std::max(columns, 1);
  valid_ = false;
}

void TerminalOutput::MoveTo(std::string& out, int row, int column) {
  if (row_ == row && column_ == column) return;
  if (row_ == row && column_ > 0 && column > column_) {
    out += "\x1b[";
    if (column - column_ > 1) AppendNumber(out, column - column_);
    out += 'C';
  } else if (row_ == row && column_ > 0 && column == 1) {
    out += '\r';
  } else if (row_ > 0 && row == row_ + 1 && column == 1) {
    out += "\r\n";
  } else {
    out += "\x1b[";
    AppendNumber(out, row);
    if (column > 1) {
      out += ';';
      AppendNumber(out, column);
    }
    out += 'H';
  }
  row_ = row;
  column_ = column;
}

void TerminalOutput::SetAttribute(std::string& out, unsigned char attribute) {
  if (attribute_known_ && attribute == attribute_) return;
  const bool fg = !attribute_known_ || ((attribute ^ attribute_) & 0x0F);
  const bool bg = !attribute_known_ || ((attribute ^ attribute_) & 0xF0);
  out += "\x1b[";
  if (fg) AppendNumber(out, AnsiForeground(attribute & 15));
  if (fg && bg) out += ';';
  if (bg) AppendNumber(out, AnsiBackground(attribute >> 4));
  out += 'm';
  attribute_ = attribute;
  attribute_known_ = true;
}

void TerminalOutput::AdvanceTo(std::string& out, const TerminalFrame& frame, int row, int column) {
  // A short run of cells of the current colour, already on the terminal, is cheaper to send
  // again than a cursor move over it.
  if (row_ == row && column_ > 0 && column > column_ && column - column_ <= 3 && attribute_known_) {
    std::size_t bytes = 0;
    bool same = true;
    for (int k = column_ - 1; k < column - 1 && same; ++k) {
      same = frame.Cells[row - 1][k].Attribute == attribute_ &&
             frame.Cells[row - 1][k] == sent_.Cells[row - 1][k];
      bytes += Cp850Glyph(frame.Cells[row - 1][k].Character).size();
    }
    const std::size_t move_cost = column - column_ == 1 ? 3 : 4;
    if (same && bytes < move_cost) {
      for (int k = column_ - 1; k < column - 1; ++k)
        out += Cp850Glyph(frame.Cells[row - 1][k].Character);
      column_ = column;
      return;
    }
  }
  MoveTo(out, row, column);
}

std::string TerminalOutput::Render(const TerminalFrame& frame) {
  std::string out;
  const bool full = !valid_;
  if (full) {
    out += "\x1b[0m\x1b[H\x1b[2J";
    row_ = 1;
    column_ = 1;
    attribute_known_ = false;
  }
  const int rows = std::min(kConsoleRows, terminal_rows_);
  const int columns = std::min(kConsoleColumns, terminal_columns_);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const ConsoleCell& cell = frame.Cells[r][c];
      if (!full && cell == sent_.Cells[r][c]) continue;
      AdvanceTo(out, frame, r + 1, c + 1);
      SetAttribute(out, cell.Attribute);
      out += Cp850Glyph(cell.Character);
      // At the last column the terminal's cursor waits to wrap: its position is unknown.
      column_ = c + 2 > terminal_columns_ ? 0 : c + 2;
      if (column_ == 0) row_ = 0;
    }
  }
  const int cursor_row = std::clamp(frame.CursorRow, 1, kConsoleRows);
  const int cursor_column = std::clamp(frame.CursorColumn, 1, kConsoleColumns);
  if (full || frame.CursorVisible) {
    if (cursor_row <= terminal_rows_ && cursor_column <= terminal_columns_)
      AdvanceTo(out, frame, cursor_row, cursor_column);
  }
  // Full height is a block, the insert mode's half height a bar, anything lower an underline.
  const auto shape = [](int size) { return size >= 75 ? 2 : size >= 40 ? 6 : 4; };
  if (full || shape(frame.CursorSize) != shape(sent_.CursorSize)) {
    out += "\x1b[";
    AppendNumber(out, shape(frame.CursorSize));
    out += " q";
  }
  if (full || frame.CursorVisible != sent_.CursorVisible)
    out += frame.CursorVisible ? "\x1b[?25h" : "\x1b[?25l";
  sent_ = frame;
  valid_ = true;
  return out;
}
