#include "platform/console_memory.h"

#include <algorithm>

namespace {

bool OnScreen(int row, int column) {
  return row >= 1 && row <= kConsoleRows && column >= 1 && column <= kConsoleColumns;
}

}  // namespace

MemoryConsole::MemoryConsole() { Reset(); }

void MemoryConsole::Reset() {
  for (auto& row : cells_)
    for (auto& cell : row) cell = ConsoleCell{};
  cursor_row_ = 1;
  cursor_column_ = 1;
  cursor_visible_ = true;
  cursor_size_ = 25;
  attribute_ = kDefaultAttribute;
  input_.clear();
  mouse_reporting_ = false;
  mouse_buttons_ = 2;
  bells_ = suspends_ = resumes_ = 0;
}

void MemoryConsole::SetCursorPosition(int row, int column) {
  cursor_row_ = std::clamp(row, 1, kConsoleRows);
  cursor_column_ = std::clamp(column, 1, kConsoleColumns);
}

void MemoryConsole::SetCursorSize(int size) { cursor_size_ = std::clamp(size, 1, 100); }

void MemoryConsole::Write(std::string_view bytes) {
  for (unsigned char b : bytes) {
    cells_[cursor_row_ - 1][cursor_column_ - 1] = ConsoleCell{b, attribute_};
    if (cursor_column_ < kConsoleColumns) {
      ++cursor_column_;
    } else if (cursor_row_ < kConsoleRows) {
      cursor_column_ = 1;
      ++cursor_row_;
    } else {
      return;  // past the last cell: the rest is dropped
    }
  }
}

void MemoryConsole::WriteBlanks(int count) {
  if (count <= 0) return;
  count = std::min(count, kConsoleRows * kConsoleColumns);
  Write(std::string(static_cast<std::size_t>(count), ' '));
}

void MemoryConsole::ScrollRectangle(int top, int left, int bottom, int right, int lines,
                                    ConsoleCell fill) {
  top = std::max(top, 1);
  left = std::max(left, 1);
  bottom = std::min(bottom, kConsoleRows);
  right = std::min(right, kConsoleColumns);
  if (top > bottom || left > right || lines == 0) return;
  const int height = bottom - top + 1;
  const int shift = std::clamp(lines, -height, height);
  auto copy_row = [&](int to, int from) {
    for (int c = left; c <= right; ++c) cells_[to - 1][c - 1] = cells_[from - 1][c - 1];
  };
  auto fill_row = [&](int row) {
    for (int c = left; c <= right; ++c) cells_[row - 1][c - 1] = fill;
  };
  if (shift > 0) {
    for (int r = top; r <= bottom; ++r) {
      if (r + shift <= bottom) copy_row(r, r + shift);
      else fill_row(r);
    }
  } else {
    for (int r = bottom; r >= top; --r) {
      if (r + shift >= top) copy_row(r, r + shift);
      else fill_row(r);
    }
  }
}

void MemoryConsole::Clear() {
  for (auto& row : cells_)
    for (auto& cell : row) cell = ConsoleCell{' ', attribute_};
  cursor_row_ = cursor_column_ = 1;
}

ConsoleCell MemoryConsole::ReadCell(int row, int column) const {
  if (!OnScreen(row, column)) return ConsoleCell{};
  return cells_[row - 1][column - 1];
}

bool MemoryConsole::ReadEvent(ConsoleEvent& event) {
  while (!input_.empty()) {
    event = input_.front();
    input_.pop_front();
    if (event.Type == ConsoleEventType::Mouse && !mouse_reporting_) continue;
    return true;
  }
  return false;
}

bool MemoryConsole::EventWaiting() {
  for (const ConsoleEvent& e : input_)
    if (e.Type == ConsoleEventType::Key || mouse_reporting_) return true;
  return false;
}

void MemoryConsole::PushKey(unsigned char character, unsigned char scan_code,
                            unsigned short control_keys) {
  input_.push_back(KeyEvent(character, scan_code, control_keys));
}

void MemoryConsole::PushText(std::string_view text) {
  for (unsigned char c : text) input_.push_back(CharacterEvent(c));
}

void MemoryConsole::PushMouse(short row, short column, unsigned char buttons) {
  input_.push_back(MouseEvent(row, column, buttons));
}

std::string MemoryConsole::RowText(int row) const {
  return Text(row, 1, kConsoleColumns);
}

std::string MemoryConsole::Text(int row, int column, int length) const {
  std::string out;
  if (row < 1 || row > kConsoleRows) return out;
  for (int c = column; c < column + length && c <= kConsoleColumns; ++c)
    if (c >= 1) out.push_back(static_cast<char>(cells_[row - 1][c - 1].Character));
  return out;
}

MemoryConsole& BuiltInConsole() {
  static MemoryConsole console;
  return console;
}
