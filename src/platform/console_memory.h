#pragma once
// Memory backend of the console device for tests: the cells, the cursor and the attribute live in
// memory, input comes from a scripted queue, nothing is printed. Inspection helpers read the cells
// back as text.
#include <deque>
#include <string>
#include <string_view>

#include "platform/console_device.h"

class MemoryConsole : public ConsoleDevice {
 public:
  MemoryConsole();

  void SetCursorPosition(int row, int column) override;
  int CursorRow() const override { return cursor_row_; }
  int CursorColumn() const override { return cursor_column_; }
  void SetCursorVisible(bool visible) override { cursor_visible_ = visible; }
  bool CursorVisible() const override { return cursor_visible_; }
  void SetCursorSize(int size) override;
  int CursorSize() const override { return cursor_size_; }
  void SetAttribute(unsigned char attribute) override { attribute_ = attribute; }
  unsigned char Attribute() const override { return attribute_; }
  void Write(std::string_view bytes) override;
  void WriteBlanks(int count) override;
  void ScrollRectangle(int top, int left, int bottom, int right, int lines,
                       ConsoleCell fill) override;
  void Clear() override;
  void Bell() override { ++bells_; }
  ConsoleCell ReadCell(int row, int column) const override;

  bool ReadEvent(ConsoleEvent& event) override;
  bool EventWaiting() override;
  void DiscardInput() override { input_.clear(); }
  void SetMouseReporting(bool on) override { mouse_reporting_ = on; }
  bool MouseReporting() const override { return mouse_reporting_; }
  int MouseButtons() const override { return mouse_buttons_; }
  void Suspend() override { ++suspends_; }
  void Resume() override { ++resumes_; }

  // Scripted input, delivered in order. Mouse events are delivered only while reporting is on
  // (others are skipped, as a terminal would not send them).
  void PushEvent(const ConsoleEvent& event) { input_.push_back(event); }
  void PushKey(unsigned char character, unsigned char scan_code, unsigned short control_keys = 0);
  // Each byte as the key that types it (CharacterEvent).
  void PushText(std::string_view text);
  void PushMouse(short row, short column, unsigned char buttons = kLeftButton);
  std::size_t PendingEvents() const { return input_.size(); }
  void SetMouseButtons(int buttons) { mouse_buttons_ = buttons; }

  // Inspection (1-based). RowText gives the 80 character bytes of a row (empty outside);
  // Text gives `length` bytes from (row, column) on the same row.
  std::string RowText(int row) const;
  std::string Text(int row, int column, int length) const;
  unsigned char Character(int row, int column) const { return ReadCell(row, column).Character; }
  unsigned char Attribute(int row, int column) const { return ReadCell(row, column).Attribute; }
  int Bells() const { return bells_; }
  int Suspends() const { return suspends_; }
  int Resumes() const { return resumes_; }

  // Everything back to the start state: blank screen of attribute 7, cursor (1, 1) visible of
  // size 25, no input, mouse reporting off, two mouse buttons, counters zero.
  void Reset();

 private:
  ConsoleCell cells_[kConsoleRows][kConsoleColumns];
  int cursor_row_ = 1;
  int cursor_column_ = 1;
  bool cursor_visible_ = true;
  int cursor_size_ = 25;
  unsigned char attribute_ = kDefaultAttribute;
  std::deque<ConsoleEvent> input_;
  bool mouse_reporting_ = false;
  int mouse_buttons_ = 2;
  int bells_ = 0;
  int suspends_ = 0;
  int resumes_ = 0;
};

// The built-in memory device that CurrentConsole() gives while no other device is set.
MemoryConsole& BuiltInConsole();
