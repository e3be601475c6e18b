#pragma once
// Key reader: every keyboard and mouse input of the console dialogue comes through ReadKey, which
// turns console events into 16-bit key codes. Characters give their code page 850 code (1-255),
// extended keys (function and cursor keys, Alt+letter) their scan code x 256 (F1 = 0x3B00),
// characters typed as Alt plus keypad digits are composed, Shift, Ctrl and Alt variants of the
// function keys get codes of their own, and mouse presses are reported with their position.
//
// Hot keys: Alt+X (0x2D00) and Alt+C (0x2E00) run the handler registered for them (the calculator
// and the calendar register themselves); the handler's result text is queued in TypeaheadText and
// handed out one character per ReadKey before the keyboard is read again. A handler is not
// re-entered while it runs. Without a registered handler the hot key is an ordinary key.
#include <functional>
#include <string>

// Key codes. Codes of 0x8000 and above are negative as 16-bit values.
inline constexpr short kKeyCtrlB = 2;
inline constexpr short kKeyCtrlC = 3;        // copy
inline constexpr short kKeyBackspace = 8;
inline constexpr short kKeyTab = 9;
inline constexpr short kKeyEnter = 13;
inline constexpr short kKeyCtrlV = 22;       // paste
inline constexpr short kKeyCtrlY = 25;       // clear
inline constexpr short kKeyEsc = 27;
inline constexpr short kKeySpace = 32;
inline constexpr short kKeyEuro = 213;       // what Alt+E gives
inline constexpr short kKeyShiftTab = 0x0F00;
inline constexpr short kKeyAltE = 0x1200;
inline constexpr short kKeyAltF = 0x2100;
inline constexpr short kKeyAltX = 0x2D00;    // calculator
inline constexpr short kKeyAltC = 0x2E00;    // calendar
inline constexpr short kKeyF1 = 0x3B00;      // F1 to F10: 0x3B00 to 0x4400
inline constexpr short kKeyF4 = 0x3E00;
inline constexpr short kKeyF10 = 0x4400;
inline constexpr short kKeyHome = 0x4700;
inline constexpr short kKeyUp = 0x4800;
inline constexpr short kKeyPgUp = 0x4900;
inline constexpr short kKeyLeft = 0x4B00;
inline constexpr short kKeyKeypad5 = 0x4C00;
inline constexpr short kKeyRight = 0x4D00;
inline constexpr short kKeyEnd = 0x4F00;
inline constexpr short kKeyDown = 0x5000;
inline constexpr short kKeyPgDn = 0x5100;
inline constexpr short kKeyInsert = 0x5200;
inline constexpr short kKeyDelete = 0x5300;
inline constexpr short kKeyShiftF1 = 0x5400;  // Shift+F1 to Shift+F10: 0x5400 to 0x5D00
inline constexpr short kKeyCtrlF1 = 0x5E00;   // Ctrl+F1 to Ctrl+F10: 0x5E00 to 0x6700
inline constexpr short kKeyCtrlF4 = 0x6100;
inline constexpr short kKeyAltF1 = 0x6800;    // Alt+F1 to Alt+F10: 0x6800 to 0x7100
inline constexpr short kKeyAltF4 = 0x6B00;
inline constexpr short kKeyCtrlLeft = 0x7300;
inline constexpr short kKeyCtrlRight = 0x7400;
inline constexpr short kKeyCtrlHome = 0x7700;
inline constexpr short kKeyF11 = static_cast<short>(0x8500);
inline constexpr short kKeyF12 = static_cast<short>(0x8600);
inline constexpr short kKeyShiftF11 = static_cast<short>(0x8700);
inline constexpr short kKeyShiftF12 = static_cast<short>(0x8800);
inline constexpr short kKeyCtrlF11 = static_cast<short>(0x8900);
inline constexpr short kKeyCtrlF12 = static_cast<short>(0x8A00);
inline constexpr short kKeyAltF11 = static_cast<short>(0x8B00);
inline constexpr short kKeyAltF12 = static_cast<short>(0x8C00);

// Mouse states of the key reader.
inline constexpr short kMouseUnknown = 0;
inline constexpr short kMouseReportingOn = 1;
inline constexpr short kMouseReportingOff = 2;
inline constexpr short kMouseAbsent = 3;

// A hot-key handler runs its pop-up and gives back the text to type (empty for none).
using HotKeyHandler = std::function<std::string()>;

// Process-wide state of the key reader.
struct KeyReaderTable {
  std::string TypeaheadText;   // characters handed out as keys before the keyboard is read again
  short MouseState = kMouseUnknown;
  bool CalculatorActive = false;  // the Alt+X handler is running
  bool CalendarActive = false;    // the Alt+C handler is running
  HotKeyHandler Calculator;       // handler of Alt+X, empty until registered
  HotKeyHandler Calendar;         // handler of Alt+C, empty until registered
  bool InputEnded = false;        // the console can deliver no more input (then keys are Esc)
};
extern KeyReaderTable KeyReader;

// Registers (or, with an empty handler, removes) the handler of kKeyAltX or kKeyAltC; false for
// any other key.
bool RegisterHotKey(short key, HotKeyHandler handler);

// Reads one key or mouse press. `key` is the key code, 0 for a mouse press; then `button` holds
// the button mask (1 left, 2 right) and `row`, `column` the 1-based screen position. When the
// console can deliver no more input the key is Esc (27) and KeyReader.InputEnded is set.
// Mouse reporting is on only while ReadKey waits.
void ReadKey(short& key, short& button, short& row, short& column);

// Waits for a key or a mouse press. A press gives column x 256 + button x 64 + row, kept to its
// low 16 bits.
void WaitKey(short& key);

// Start state of the key reader: no typeahead, mouse state unknown, no handlers (for tests).
void ResetKeyReader();
