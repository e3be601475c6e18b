#include "console/field_editor.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "console/colour.h"
#include "console/key_input.h"
#include "console/option_list.h"
#include "console/screen.h"
#include "platform/console_device.h"

std::string CurrentOptions;

namespace {

// Capitals without accents for the codes 64 to 237; every other symbol a blank.
constexpr std::string_view kFoldAccents =
    " ABCDEFGHIJKLMNOPQRSTUVWXYZ      ABCDEFGHIJKLMNOPQRSTUVWXY"
    "Z     CUEAAAACEEEIIIAAEAAOOOUUYOUO O  AIOUNNAO            "
    " AAA              AA        DDEEEEIII     I OSOOOO TTUUUYY";
static_assert(kFoldAccents.size() == 237 - 64 + 1);

// Capital of each small letter of code page 850 that has one, for the codes 64 to 237.
unsigned char UpperCp850(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 'a' + 'A');
  switch (c) {
    case 129: return 154;  // u diaeresis
    case 130: return 144;  // e acute
    case 131: return 182;  // a circumflex
    case 132: return 142;  // a diaeresis
    case 133: return 183;  // a grave
    case 134: return 143;  // a ring
    case 135: return 128;  // c cedilla
    case 136: return 210;  // e circumflex
    case 137: return 211;  // e diaeresis
    case 138: return 212;  // e grave
    case 139: return 216;  // i diaeresis
    case 140: return 215;  // i circumflex
    case 141: return 222;  // i grave
    case 145: return 146;  // ae
    case 147: return 226;  // o circumflex
    case 148: return 153;  // o diaeresis
    case 149: return 227;  // o grave
    case 150: return 234;  // u circumflex
    case 151: return 235;  // u grave
    case 160: return 181;  // a acute
    case 161: return 214;  // i acute
    case 162: return 224;  // o acute
    case 163: return 233;  // u acute
    case 164: return 165;  // n tilde
    case 198: return 199;  // a tilde
    case 208: return 209;  // eth
    case 228: return 229;  // o tilde
    case 236: return 237;  // y acute
    default: return c;
  }
}

constexpr char kLeftTriangle = 0x11;
constexpr char kRightTriangle = 0x10;
constexpr int kInsertCursor = 50;
constexpr int kOverwriteCursor = 100;

bool IsSeparator(char c) { return std::string_view(" ,.;:").find(c) != std::string_view::npos; }

bool IsTypedCharacter(short key, int lowest) {
  return (key >= lowest && key <= 126) || (key >= 128 && key <= 254);
}

void SelectColour(const char* name) {
  std::string colour = name;
  SetColour(colour);
}

// Screen position of a window position.
void ScreenPosition(int row, int column, int& screen_row, int& screen_column) {
  if (WindowState.WindowDepth > 0) {
    screen_row = WindowState.Top + row;
    screen_column = WindowState.Left + column;
  } else {
    screen_row = row;
    screen_column = column;
  }
}

// Writes the bytes at a window position, only where it lies on the screen.
void WriteAt(int row, int column, std::string_view bytes) {
  int screen_row = 0;
  int screen_column = 0;
  ScreenPosition(row, column, screen_row, screen_column);
  ConsoleDevice& console = CurrentConsole();
  if (screen_row < 1 || screen_row > console.Rows() || screen_column < 1 ||
      screen_column > console.Columns()) {
    return;
  }
  console.SetCursorPosition(screen_row, screen_column);
  console.Write(bytes);
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// Everything one EditField call works on.
struct Edit {
  int Row = 0;          // window position of the field
  int Column = 0;
  int LineWidth = 0;    // w
  std::string& Value;   // v
  int Length = 0;       // n
  int End = 0;          // b = n + 1
  int Cursor = 1;       // p
  // Option fields.
  bool Options = false;
  std::vector<OptionEntry> Entries;
  int Current = 0;
  int Room = 0;
  // Screen position of the field's first character.
  int ScreenRow = 0;
  int ScreenColumn = 0;

  explicit Edit(std::string& value) : Value(value) {}

  void Redraw() const {
    if (Options) {
      WriteAt(Row, Column, FitText(Entries[static_cast<std::size_t>(Current)].Text,
                                   static_cast<std::size_t>(Room)));
      return;
    }
    for (int start = 1, line = 0; start <= Length; start += LineWidth, ++line) {
      const int count = std::min(LineWidth, Length - start + 1);
      if (EchoMask != 0) {
        WriteAt(Row + line, Column,
                std::string(static_cast<std::size_t>(count),
                            static_cast<char>(static_cast<unsigned char>(EchoMask))));
      } else {
        WriteAt(Row + line, Column, std::string_view(Value).substr(
                                        static_cast<std::size_t>(start - 1),
                                        static_cast<std::size_t>(count)));
      }
    }
  }

  // Window position of the cursor.
  void CursorPlace(int& row, int& column) const {
    row = Row + (Cursor - 1) / LineWidth;
    column = Column + (Cursor - 1) % LineWidth;
    if (Cursor == End && Cursor > 1 && column == Column) {
      row -= 1;
      column = Column + LineWidth;
    }
  }

  void SelectOption(int index) {
    Current = index;
    Value = FitText(Entries[static_cast<std::size_t>(Current)].Code,
                    static_cast<std::size_t>(Length));
  }
};

void ShowCursor(const Edit& e, bool insert) {
  int row = 0;
  int column = 0;
  e.CursorPlace(row, column);
  LocateInWindow(static_cast<short>(row), static_cast<short>(column));
  ConsoleDevice& console = CurrentConsole();
  console.SetCursorVisible(true);
  console.SetCursorSize(insert ? kInsertCursor : kOverwriteCursor);
}

// Handles an editing key of a free-text field; false when the key is no editing key here (or
// ends the editing). `redraw` is set when the field must be written again.
bool FreeTextKey(Edit& e, short key, bool insert, bool& redraw) {
  std::string& v = e.Value;
  const int n = e.Length;
  const int b = e.End;
  int& p = e.Cursor;
  const int w = e.LineWidth;
  if (IsTypedCharacter(key, 32)) {
    const char c = static_cast<char>(static_cast<unsigned char>(key));
    if (insert) {
      if (p < b && v[static_cast<std::size_t>(n - 1)] == ' ') {
        v.insert(static_cast<std::size_t>(p - 1), 1, c);
        v.resize(static_cast<std::size_t>(n));
        ++p;
        redraw = true;
      }
    } else if (p < b) {
      v[static_cast<std::size_t>(p - 1)] = c;
      if (EchoMask == 0) {
        WriteAt(e.Row + (p - 1) / w, e.Column + (p - 1) % w, std::string_view(&c, 1));
      }
      ++p;
    }
    return true;
  }
  switch (key) {
    case kKeyLeft:
      if (p > 1) --p;
      return true;
    case kKeyRight:
      if (p < b) ++p;
      return true;
    case kKeyBackspace:
      if (p > 1) {
        --p;
        v.erase(static_cast<std::size_t>(p - 1), 1);
        v.push_back(' ');
        redraw = true;
      }
      return true;
    case kKeyDelete:
      if (p < b) {
        v.erase(static_cast<std::size_t>(p - 1), 1);
        v.push_back(' ');
        redraw = true;
      }
      return true;
    case kKeyHome:
      p = 1;
      return true;
    case kKeyEnd: {
      const std::size_t last = v.find_last_not_of(' ');
      p = last == std::string::npos ? 1 : static_cast<int>(last) + 2;
      return true;
    }
    case kKeyCtrlHome:
    case kKeyCtrlY:
      v.assign(static_cast<std::size_t>(n), ' ');
      p = 1;
      redraw = true;
      return true;
    case kKeyUp:
    case kKeyShiftTab:
      if ((p - 1) / w > 0) {
        p -= w;
        return true;
      }
      return false;
    case kKeyDown:
      if (p <= b - w) {
        p += w;
        return true;
      }
      return false;
    case kKeyCtrlRight:
      if (p >= b) return false;
      {
        int q = p + 1;
        while (q <= n && !(IsSeparator(v[static_cast<std::size_t>(q - 2)]) &&
                           !IsSeparator(v[static_cast<std::size_t>(q - 1)]))) {
          ++q;
        }
        p = q <= n ? q : b;
      }
      return true;
    case kKeyCtrlLeft:
      if (p <= 1) return false;
      {
        int q = p - 1;  // the character before the cursor
        while (q >= 1 && IsSeparator(v[static_cast<std::size_t>(q - 1)])) --q;
        while (q >= 1 && !IsSeparator(v[static_cast<std::size_t>(q - 1)])) --q;
        p = q + 1;
      }
      return true;
    case kKeyCtrlC:
      // A masked field's value is never shown, so it is not handed to the clipboard either.
      if (EchoMask == 0) SetClipboardText(Trimmed(v));
      return true;
    case kKeyCtrlV: {
      std::string text;
      for (const char c : ClipboardText()) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 32 && u != 127 && u != 255) text.push_back(c);
      }
      text = Trimmed(text);
      for (std::size_t i = 0; i < text.size() && p - 1 + static_cast<int>(i) < n; ++i) {
        v[static_cast<std::size_t>(p - 1) + i] = text[i];
      }
      if (!text.empty()) redraw = true;
      return true;
    }
    default:
      return false;
  }
}

// Handles a key of an option field; false when the key ends the editing (exit check).
bool OptionKey(Edit& e, short key) {
  const int count = static_cast<int>(e.Entries.size());
  if (key == kKeyLeft) {
    e.SelectOption(e.Current > 0 ? e.Current - 1 : count - 1);
    return true;
  }
  if (key == kKeyRight || key == kKeySpace) {
    e.SelectOption(e.Current + 1 < count ? e.Current + 1 : 0);
    return true;
  }
  if (IsTypedCharacter(key, 33)) {
    e.SelectOption(FindOptionByLetter(e.Entries, e.Current, static_cast<unsigned char>(key)));
    return true;
  }
  switch (key) {
    case kKeyCtrlC:
      SetClipboardText(e.Entries[static_cast<std::size_t>(e.Current)].Text);
      return true;
    case kKeyBackspace:
    case kKeyDelete:
    case kKeyCtrlHome:
    case kKeyCtrlY:
    case kKeyCtrlV:
    case kKeyHome:
    case kKeyEnd:
      return true;
    default:
      return false;
  }
}

// A click inside the field: true when it is consumed (the key is then 0).
bool FieldClick(Edit& e, int row, int column, short& key) {
  if (e.Options) {
    if (row != e.ScreenRow) return false;
    if (column == e.ScreenColumn - 1) {
      key = kKeyLeft;
      return false;  // handled as the key Left
    }
    if (column == e.ScreenColumn + e.Room) {
      key = kKeyRight;
      return false;
    }
    return column >= e.ScreenColumn && column < e.ScreenColumn + e.Room;
  }
  const int rows = e.End / e.LineWidth;
  if (row < e.ScreenRow || row > e.ScreenRow + rows - 1 || column < e.ScreenColumn ||
      column > e.ScreenColumn + e.LineWidth - 1) {
    return false;
  }
  e.Cursor = std::min(e.LineWidth * (row - e.ScreenRow) + (column - e.ScreenColumn) + 1, e.End);
  return true;
}

}  // namespace

std::string FoldUpper(const std::string& text, bool fold_accents) {
  std::string folded = text;
  for (char& c : folded) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 64 || u > 237) continue;
    c = fold_accents ? kFoldAccents[u - 64] : static_cast<char>(UpperCp850(u));
  }
  return folded;
}

bool CheckExitKey(short& key) {
  short report = 0;
  if (key == kKeyShiftTab) {
    key = kKeyUp;
  } else if (key == kKeyTab) {
    key = kKeyEnter;
  }
  if (key == kKeyEnter && FindExitKey(kKeyEnd, report)) key = kKeyEnd;
  if (key == kKeyCtrlF4 || key == kKeyAltF4) key = kKeyEsc;
  if (ExitKeyCount() == 0) return true;
  if (FindExitKey(key, report)) {
    key = report;
    return true;
  }
  return key < 0;
}

void EditField(short row, short column, short line_width, std::string& value, short& cursor,
               short& key) {
  ConsoleDevice& console = CurrentConsole();
  Edit e(value);
  // A position of 0 is the cursor's, taken back to the innermost window.
  const bool in_window = WindowState.WindowDepth > 0;
  if (row == 0) row = static_cast<short>(console.CursorRow() - (in_window ? WindowState.Top : 0));
  if (column == 0) {
    column = static_cast<short>(console.CursorColumn() - (in_window ? WindowState.Left : 0));
  }
  e.Row = row;
  e.Column = column;
  e.Length = static_cast<int>(value.size());
  e.End = e.Length + 1;
  e.Cursor = std::clamp<int>(cursor, 1, e.End);
  e.LineWidth = line_width > 0 ? line_width : e.End;
  ScreenPosition(e.Row, e.Column, e.ScreenRow, e.ScreenColumn);

  if (!CurrentOptions.empty()) {
    e.Entries = ParseOptionList(CurrentOptions);
    e.Options = !e.Entries.empty();
  }
  if (e.Options) {
    e.Room = static_cast<int>(OptionTextRoom(e.Entries));
    const int found = FindOptionByCode(e.Entries, value);
    e.Current = found >= 0 ? found : 0;
    WriteAt(e.Row, e.Column - 1, std::string(1, kLeftTriangle));
    WriteAt(e.Row, e.Column + e.Room, std::string(1, kRightTriangle));
    console.SetCursorVisible(false);
  }
  SelectColour("u");

  bool redraw = true;
  key = 0;
  for (;;) {
    if (redraw) {
      if (e.Options) e.SelectOption(e.Current);
      e.Redraw();
      redraw = false;
    }
    bool insert = InsertToggle();
    if (!e.Options) ShowCursor(e, insert);

    short button = 0;
    short mouse_row = 0;
    short mouse_column = 0;
    for (;;) {
      ReadKey(key, button, mouse_row, mouse_column);
      if (key == kKeyInsert) {
        insert = !insert;
        SetInsertToggle(insert);
        console.SetCursorSize(insert ? kInsertCursor : kOverwriteCursor);
        continue;
      }
      if (key != 0 || button != 0) break;
    }
    console.SetCursorVisible(false);
    if (KeyReader.InputEnded) {
      key = kKeyEsc;  // no more input can come: leave the field as Esc would
      break;
    }

    if (key == 0) {
      if (FieldClick(e, mouse_row, mouse_column, key)) continue;
      if (key == 0) key = static_cast<short>(-(mouse_column * 100 + mouse_row));
    }
    bool consumed = false;
    if (e.Options) {
      consumed = OptionKey(e, key);
      redraw = consumed;
    } else {
      consumed = FreeTextKey(e, key, insert, redraw);
    }
    if (consumed) continue;
    if (CheckExitKey(key)) break;
    redraw = true;
  }

  cursor = static_cast<short>(e.Cursor);
  SelectColour("h");
  if (e.Options) {
    WriteAt(e.Row, e.Column - 1, " ");
    WriteAt(e.Row, e.Column + e.Room, " ");
  }
  LocateInWindow(row, column);
}
