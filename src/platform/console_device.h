#pragma once
// The console device: the one way to the screen and the keyboard. It models a text console of
// 80 columns by 25 rows whose cells hold a code page 850 byte and an attribute byte, with a cursor,
// a current attribute and a stream of key and mouse events. Two backends implement it: a memory
// backend for tests (console_memory.h) and a terminal backend (console_terminal.h).
//
// Coordinates are 1-based: row 1 is the top line, column 1 the left edge. Every operation clips
// to the screen; nothing outside it is ever read or written.
#include <string>
#include <string_view>

inline constexpr int kConsoleRows = 25;
inline constexpr int kConsoleColumns = 80;

// Attribute byte: low nibble foreground, high nibble background; colour numbers 1 blue, 2 green,
// 4 red, 8 bright (7 grey, 15 white).
inline constexpr unsigned char kDefaultAttribute = 0x07;

struct ConsoleCell {
  unsigned char Character = ' ';
  unsigned char Attribute = kDefaultAttribute;
  bool operator==(const ConsoleCell&) const = default;
};

// Control-key state of an input event (bit values of the console convention).
enum ControlKeyFlag : unsigned short {
  kRightAltPressed = 0x0001,
  kLeftAltPressed = 0x0002,
  kRightCtrlPressed = 0x0004,
  kLeftCtrlPressed = 0x0008,
  kShiftPressed = 0x0010,
  kKeypadKey = 0x0020,  // the key is on the numeric keypad
};
inline constexpr unsigned short kAnyAltPressed = kRightAltPressed | kLeftAltPressed;
inline constexpr unsigned short kAnyCtrlPressed = kRightCtrlPressed | kLeftCtrlPressed;

// Mouse button masks of a mouse event.
inline constexpr unsigned char kLeftButton = 1;
inline constexpr unsigned char kRightButton = 2;
inline constexpr unsigned char kMiddleButton = 4;

enum class ConsoleEventType : unsigned char { Key, Mouse };

// One input event. Key events: `Character` is the code page 850 byte typed (0 for none: function
// and cursor keys, Alt+letter, Shift+Tab) and `ScanCode` the key's keyboard scan code as the key
// codes use it (F1 0x3B ... F10 0x44, F11 0x85, F12 0x86, Home 0x47, Up 0x48, PgUp 0x49, Left 0x4B,
// keypad 5 0x4C, Right 0x4D, End 0x4F, Down 0x50, PgDn 0x51, Insert 0x52, Delete 0x53, Esc 0x01,
// Backspace 0x0E, Tab 0x0F, Enter 0x1C, letters by their key: Q 0x10 ... P 0x19, A 0x1E ... L 0x26,
// Z 0x2C ... M 0x32; 0 when unknown, e.g. for an accented letter). Typical events:
//   'a'         Character 'a', ScanCode 0x1E
//   Ctrl+B      Character 2, ScanCode 0x30, kLeftCtrlPressed
//   Alt+X       Character 0, ScanCode 0x2D, kLeftAltPressed
//   Shift+F5    Character 0, ScanCode 0x3F, kShiftPressed
//   Shift+Tab   Character 0, ScanCode 0x0F, kShiftPressed
//   Backspace   Character 8, ScanCode 0x0E;   Enter Character 13, ScanCode 0x1C
// Mouse events: a button press at the 1-based `Row` and `Column` with the `Buttons` mask.
// A bracketed paste arrives as the key Ctrl+V with the pasted text in the clipboard.
struct ConsoleEvent {
  ConsoleEventType Type = ConsoleEventType::Key;
  unsigned char Character = 0;
  unsigned char ScanCode = 0;
  unsigned short ControlKeys = 0;
  short Row = 0;
  short Column = 0;
  unsigned char Buttons = 0;
  bool operator==(const ConsoleEvent&) const = default;
};

// Convenience constructors for scripted input and tests.
ConsoleEvent KeyEvent(unsigned char character, unsigned char scan_code,
                      unsigned short control_keys = 0);
ConsoleEvent MouseEvent(short row, short column, unsigned char buttons = kLeftButton);
// The event a plain typed character gives (its scan code where the key is known, Shift for
// capital letters); control bytes give their Ctrl+letter or named key.
ConsoleEvent CharacterEvent(unsigned char character);

class ConsoleDevice {
 public:
  virtual ~ConsoleDevice() = default;

  // Size of the logical screen (25 and 80).
  virtual int Rows() const { return kConsoleRows; }
  virtual int Columns() const { return kConsoleColumns; }

  // Cursor. The position is clipped to the screen. Size is the share of the cell the cursor
  // fills, 1 to 100 (values outside are clipped); 25 at start, visible at start.
  virtual void SetCursorPosition(int row, int column) = 0;
  virtual int CursorRow() const = 0;
  virtual int CursorColumn() const = 0;
  virtual void SetCursorVisible(bool visible) = 0;
  virtual bool CursorVisible() const = 0;
  virtual void SetCursorSize(int size) = 0;
  virtual int CursorSize() const = 0;

  // Current attribute for everything written from now on.
  virtual void SetAttribute(unsigned char attribute) = 0;
  virtual unsigned char Attribute() const = 0;

  // Writes the bytes at the cursor in the current attribute, each byte as one cell (control bytes
  // too: they are shown as their glyphs), moving the cursor on; at the end of a row the text goes
  // on at the start of the next one. What would fall past the last cell of the screen is dropped
  // and the cursor stays on the last cell.
  virtual void Write(std::string_view bytes) = 0;
  // Same as writing `count` blanks.
  virtual void WriteBlanks(int count) = 0;
  // Scrolls the rectangle (1-based, inclusive, clipped to the screen) by `lines`: up for lines > 0,
  // down for lines < 0. Vacated lines are filled with `fill`; nothing outside the rectangle changes.
  virtual void ScrollRectangle(int top, int left, int bottom, int right, int lines,
                               ConsoleCell fill) = 0;
  // Every cell blank in the current attribute; the cursor goes to (1, 1).
  virtual void Clear() = 0;
  virtual void Bell() = 0;
  // The cell at (row, column); a blank cell of attribute 7 outside the screen.
  virtual ConsoleCell ReadCell(int row, int column) const = 0;
  // Sends pending output (the terminal backend also flushes before it waits for input).
  virtual void Flush() {}

  // Waits for the next key press or mouse press. False when no input can ever come again (the
  // memory backend's script is used up); callers then treat it as the Esc key.
  virtual bool ReadEvent(ConsoleEvent& event) = 0;
  // True when an event is waiting (never blocks).
  virtual bool EventWaiting() = 0;
  // Drops every waiting event.
  virtual void DiscardInput() = 0;
  // Mouse presses are delivered only while reporting is on (off at start).
  virtual void SetMouseReporting(bool on) = 0;
  virtual bool MouseReporting() const = 0;
  // Number of mouse buttons; 0 when the console has no mouse.
  virtual int MouseButtons() const = 0;

  // Around a child program in the same terminal: Suspend gives the terminal back in its normal
  // state, Resume takes it again and redraws the whole screen.
  virtual void Suspend() {}
  virtual void Resume() {}

  // Offers text (code page 850) to the terminal's own clipboard; nothing by default.
  virtual void SendToHostClipboard(const std::string& /*text*/) {}
};

// The process-wide current device. Until one is set (and after SetCurrentConsole(nullptr)) it is
// a built-in memory device, so code that draws works in tests without any set-up.
ConsoleDevice& CurrentConsole();
void SetCurrentConsole(ConsoleDevice* device);

// Keyboard state: the Insert toggle (the field editor's insert mode), off at start.
bool InsertToggle();
void SetInsertToggle(bool on);

// Clipboard, code page 850 text. SetClipboardText keeps the text for the process and offers it to
// the terminal (OSC 52). ClipboardText gives a pending bracketed paste first, then the desktop
// clipboard through wl-paste, xclip or xsel where one is available, then the process's own text.
void SetClipboardText(const std::string& text);
std::string ClipboardText();
// Stores a bracketed paste: the next ClipboardText returns it.
void SetPastedText(const std::string& text);

// Back to the start state: built-in device as current (its screen cleared, its input emptied),
// Insert off, clipboard empty, desktop clipboard not consulted (for tests).
void ResetConsoleState();
// Whether ClipboardText may run the desktop clipboard programs (on by default, off after
// ResetConsoleState so that tests never depend on the desktop).
void SetDesktopClipboard(bool on);
