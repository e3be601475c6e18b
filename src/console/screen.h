#pragma once
// Screen layer and window stack. Windows open and close strictly nested: PushWindow saves the
// covered cells, the cursor and the window beneath as one record of the stack file WinPush.tmp in
// the session's temporary directory; PopWindow repaints them from the last record. Only the
// innermost window's frame rectangle and the depth are kept in memory. Coordinates are 1-based.
//
// Stack file: bytes 1-4 the position (1-based) of the first byte after the last record, as a
// 32-bit little-endian signed integer (5 when empty); then the records, oldest first. A record:
// ten 2-digit zero-padded numbers (cursor row and column when the window opened, the previous
// top, left, bottom, right, the new top, left, bottom, right), the covered cells row by row, each
// as character byte then attribute byte, and the record's own length as 5 digits.
#include <string>

struct WindowStateTable {
  short WindowDepth = 0;
  short Top = 0;
  short Left = 0;
  short Bottom = 0;
  short Right = 0;
};
extern WindowStateTable WindowState;

// Size of the visible console (25 and 80).
short ScreenRows();
short ScreenColumns();

// Cursor to (top + row, left + column) of the innermost window while one is open, else to
// (row, column). Row 0 is the window's top frame line, so the inside starts at (1, 1).
void LocateInWindow(short row, short column);
// First inside row and column, last inside column of the innermost window; 1, 1 and
// ScreenColumns() when none is open.
short InnerTop();
short InnerLeft();
short InnerRight();

// Saves the covered cells and makes the frame rectangle the innermost window; draws nothing. A
// rectangle with a corner off the screen is refused silently.
void PushWindow(short top, short left, short bottom, short right);
// Border of the innermost window (style 0 blank, 1 single line, 2 double line, others byte 0) and
// blank inside, in the current colour; nothing while no window is open. Nothing outside the
// window's own cells is drawn (a one-column window shows its left edge only).
void DrawFrame(short style);
// Restores the cells and cursor under the innermost window and makes the one beneath current.
// Afterwards the console colour is the attribute of the last cell restored. With no record
// stored it only deletes the stack file.
void PopWindow();

// Scrolls the rectangle of zero-based rows top..bottom and columns left..right by n lines (up for
// n > 0, down for n < 0, down by one for 0); vacated lines get blanks in the current colour.
void ScrollRegion(short top, short left, short bottom, short right, short n);

// Opens a framed message window in reverse colour near `row` and leaves it open (the caller pops
// it). `text` is replaced by its formatted form (76-character lines). Nothing is opened when the
// text has more lines than the screen holds, or none at all.
void ShowMessage(short row, std::string& text);

// Breaks `text` into lines of `width` characters (control characters take no room) and replaces
// it by the lines concatenated. Indent > 0 indents the first line, < 0 every line after the first.
// Mode, upper-cased: "E", "L", "I" left-aligned with blanks; "N" padded with "-"; "D", "R"
// right-aligned; "C" centred; "A", "B" justified; anything else unpadded.
void FormatParagraph(std::string& text, short indent, short width, const std::string& mode);

// Full path of the stack file and the start state of the window state (for tests).
std::string WindowStackPath();
void ResetWindowState();
