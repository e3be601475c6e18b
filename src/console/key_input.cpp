#include "console/key_input.h"

#include <utility>

#include "platform/console_device.h"

KeyReaderTable KeyReader;

namespace {

// An event read past the end of an Alt+keypad composition that is a real key: it is handed out
// by the next read instead of being lost.
struct PendingEventTable {
  bool Held = false;
  ConsoleEvent Event;
};
PendingEventTable g_pending;

// Keys that give no code when pressed alone: Ctrl, left and right Shift, Alt, Caps Lock,
// Num Lock, Scroll Lock.
bool IsModifierAlone(const ConsoleEvent& e) {
  if (e.Type != ConsoleEventType::Key || e.Character != 0) return false;
  switch (e.ScanCode) {
    case 0x00: case 0x1D: case 0x2A: case 0x36: case 0x38: case 0x3A: case 0x45: case 0x46:
      return true;
    default:
      return false;
  }
}

// Digit of a keypad key by its extended scan code, -1 for other keys.
int KeypadDigit(const ConsoleEvent& e) {
  if (e.Type != ConsoleEventType::Key || e.Character != 0) return -1;
  switch (e.ScanCode) {
    case 0x52: return 0;  // Insert
    case 0x4F: return 1;  // End
    case 0x50: return 2;  // Down
    case 0x51: return 3;  // PgDn
    case 0x4B: return 4;  // Left
    case 0x4C: return 5;  // keypad 5
    case 0x4D: return 6;  // Right
    case 0x47: return 7;  // Home
    case 0x48: return 8;  // Up
    case 0x49: return 9;  // PgUp
    default: return -1;
  }
}

// Next key or mouse press with keys pressed alone skipped; false when input has ended.
bool NextEvent(ConsoleEvent& event) {
  if (g_pending.Held) {
    g_pending.Held = false;
    event = g_pending.Event;
    return true;
  }
  ConsoleDevice& console = CurrentConsole();
  console.Flush();
  while (console.ReadEvent(event)) {
    if (event.Type == ConsoleEventType::Mouse) {
      if (event.Buttons != 0) return true;
      continue;
    }
    if (!IsModifierAlone(event)) return true;
  }
  return false;
}

short ToKeyCode(int code) { return static_cast<short>(static_cast<unsigned short>(code & 0xFFFF)); }

// Key code of a key event, with the Shift, Ctrl and Alt variants.
short KeyCodeOf(const ConsoleEvent& e) {
  if (e.Character != 0) return static_cast<short>(e.Character);
  int code = e.ScanCode * 256;
  if (code == 0x1200) return kKeyEuro;
  const bool f1_to_f10 = code >= 0x3B00 && code <= 0x4400;
  const bool f11_f12 = code == 0x8500 || code == 0x8600;
  if (e.ControlKeys & kAnyAltPressed) {
    if (f1_to_f10) code += 0x2D00;
    else if (f11_f12) code += 0x600;
  } else if (e.ControlKeys & kAnyCtrlPressed) {
    if (f1_to_f10) code += 0x2300;
    else if (f11_f12) code += 0x400;
    else if (code == 0x4700) code = 0x7700;
    else if (code == 0x4D00) code = 0x7400;
    else if (code == 0x4B00) code = 0x7300;
  } else if (e.ControlKeys & kShiftPressed) {
    if (f1_to_f10) code += 0x1900;
    else if (f11_f12) code += 0x200;
  }
  return ToKeyCode(code);
}

// Runs a hot-key handler once (never re-entered) and queues its result as typed text.
void RunHotKey(HotKeyHandler& handler, bool& active) {
  if (!handler || active) return;
  active = true;
  // A copy, so that a handler that re-registers itself while it runs stays valid.
  HotKeyHandler run = handler;
  std::string result = run();
  active = false;
  KeyReader.TypeaheadText += result;
}

}  // namespace

bool RegisterHotKey(short key, HotKeyHandler handler) {
  if (key == kKeyAltX) {
    KeyReader.Calculator = std::move(handler);
    return true;
  }
  if (key == kKeyAltC) {
    KeyReader.Calendar = std::move(handler);
    return true;
  }
  return false;
}

void ReadKey(short& key, short& button, short& row, short& column) {
  if (!KeyReader.TypeaheadText.empty()) {
    key = static_cast<short>(static_cast<unsigned char>(KeyReader.TypeaheadText[0]));
    button = row = column = 0;
    KeyReader.TypeaheadText.erase(0, 1);
    return;
  }
  ConsoleDevice& console = CurrentConsole();
  if (KeyReader.MouseState == kMouseUnknown) {
    KeyReader.MouseState = console.MouseButtons() > 0 ? kMouseReportingOff : kMouseAbsent;
  }
  if (KeyReader.MouseState == kMouseReportingOff) {
    console.SetMouseReporting(true);
    KeyReader.MouseState = kMouseReportingOn;
  }
  key = button = row = column = 0;

  ConsoleEvent event;
  bool have = NextEvent(event);
  KeyReader.InputEnded = false;
  // Alt plus keypad digits: the digits typed while the left Alt key is held make one character.
  int digits = 0;
  int number = 0;
  while (have && (event.ControlKeys & kLeftAltPressed) && KeypadDigit(event) >= 0) {
    number = (number * 10 + KeypadDigit(event)) % 256;
    ++digits;
    have = NextEvent(event);
  }
  if (digits > 0) {
    // The event that ended the composition is dropped when it is the release of Alt (a key
    // alone, already skipped) or the end of input; a real key is kept for the next read.
    if (have) {
      g_pending.Held = true;
      g_pending.Event = event;
    }
    key = static_cast<short>(number);  // 0 composes to no key at all
  } else if (!have) {
    KeyReader.InputEnded = true;
    key = kKeyEsc;
  } else if (event.Type == ConsoleEventType::Key) {
    key = KeyCodeOf(event);
  } else if (KeyReader.MouseState == kMouseReportingOn) {
    button = event.Buttons;
    row = event.Row;
    column = event.Column;
  }

  if (key == kKeyAltX) RunHotKey(KeyReader.Calculator, KeyReader.CalculatorActive);
  if (key == kKeyAltC) RunHotKey(KeyReader.Calendar, KeyReader.CalendarActive);

  if (KeyReader.MouseState == kMouseReportingOn) {
    CurrentConsole().SetMouseReporting(false);
    KeyReader.MouseState = kMouseReportingOff;
  }
}

void WaitKey(short& key) {
  short button = 0;
  short row = 0;
  short column = 0;
  do {
    ReadKey(key, button, row, column);
  } while (key == 0 && button == 0 && !KeyReader.InputEnded);
  if (key == 0 && button != 0) key = ToKeyCode(column * 256 + button * 64 + row);
}

void ResetKeyReader() {
  KeyReader = KeyReaderTable{};
  g_pending = PendingEventTable{};
}
