#include "platform/terminal_input.h"

#include <vector>

#include "platform/codepage.h"

namespace {

constexpr unsigned char kEsc = 0x1B;
constexpr std::size_t kLongestSequence = 64;
constexpr std::size_t kLongestPaste = 1u << 20;
constexpr int kPasteTimeouts = 20;
const std::string_view kPasteEnd = "\x1b[201~";

// Scan codes of the function keys F1..F12.
constexpr unsigned char kFunctionScan[12] = {0x3B, 0x3C, 0x3D, 0x3E, 0x3F, 0x40,
                                             0x41, 0x42, 0x43, 0x44, 0x85, 0x86};
// Scan codes of keypad keys 0..9 (Insert, End, Down, PgDn, Left, 5, Right, Home, Up, PgUp).
constexpr unsigned char kKeypadScan[10] = {0x52, 0x4F, 0x50, 0x51, 0x4B, 0x4C,
                                           0x4D, 0x47, 0x48, 0x49};

// Control-key state of an xterm modifier parameter (1 + bits: 1 Shift, 2 Alt, 4 Ctrl, 8 Meta).
unsigned short ModifierState(int parameter) {
  if (parameter < 2) return 0;
  const int bits = parameter - 1;
  unsigned short state = 0;
  if (bits & 1) state |= kShiftPressed;
  if (bits & (2 | 8)) state |= kLeftAltPressed;
  if (bits & 4) state |= kLeftCtrlPressed;
  return state;
}

// Scan code of the cursor-key finals shared by CSI and SS3; 0 for others.
unsigned char CursorFinalScan(char final) {
  switch (final) {
    case 'A': return 0x48;
    case 'B': return 0x50;
    case 'C': return 0x4D;
    case 'D': return 0x4B;
    case 'H': return 0x47;
    case 'F': return 0x4F;
    case 'E': case 'G': return 0x4C;
    case 'P': return 0x3B;
    case 'Q': return 0x3C;
    case 'R': return 0x3D;
    case 'S': return 0x3E;
    default: return 0;
  }
}

// Scan code and implied state of "CSI n ~" keys; false for unknown numbers.
bool TildeKey(int n, unsigned char& scan, unsigned short& state) {
  state = 0;
  switch (n) {
    case 1: case 7: scan = 0x47; return true;
    case 2: scan = 0x52; return true;
    case 3: scan = 0x53; return true;
    case 4: case 8: scan = 0x4F; return true;
    case 5: scan = 0x49; return true;
    case 6: scan = 0x51; return true;
    case 11: case 12: case 13: case 14: case 15: scan = kFunctionScan[n - 11]; return true;
    case 17: case 18: case 19: case 20: case 21: scan = kFunctionScan[n - 12]; return true;
    case 23: case 24: scan = kFunctionScan[n - 13]; return true;
    default: break;
  }
  // The Linux console and VT220 keyboards send Shift+F3..Shift+F10 as F13..F20.
  static const int kShifted[8] = {25, 26, 28, 29, 31, 32, 33, 34};
  for (int i = 0; i < 8; ++i) {
    if (kShifted[i] == n) {
      scan = kFunctionScan[i + 2];
      state = kShiftPressed;
      return true;
    }
  }
  return false;
}

// Numeric parameters of a sequence ("1;5" -> 1, 5); empty ones are -1. Sub-parameters after ":"
// are ignored.
std::vector<int> Parameters(std::string_view text) {
  std::vector<int> out;
  int value = -1;
  bool sub = false;
  for (char ch : text) {
    if (ch == ';') {
      out.push_back(value);
      value = -1;
      sub = false;
      if (out.size() > 16) break;
    } else if (ch == ':') {
      sub = true;
    } else if (!sub && ch >= '0' && ch <= '9') {
      value = value < 0 ? 0 : value;
      if (value < 100000) value = value * 10 + (ch - '0');
    }
  }
  out.push_back(value);
  return out;
}

// The key event that a typed byte gives with Alt held (ESC prefix).
ConsoleEvent AltEvent(unsigned char c) {
  ConsoleEvent e = CharacterEvent(c);
  e.ControlKeys |= kLeftAltPressed;
  // Alt with a letter (and Alt with Ctrl+letter) comes as an extended key.
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= 1 && c <= 26 && c != 8 &&
                                                           c != 9 && c != 13))
    e.Character = 0;
  return e;
}

// Expected length of a UTF-8 sequence from its first byte; 0 when the byte cannot start one.
std::size_t Utf8Length(unsigned char b) {
  if (b >= 0xC2 && b <= 0xDF) return 2;
  if (b >= 0xE0 && b <= 0xEF) return 3;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  return 0;
}

}  // namespace

void TerminalInputDecoder::Reset() {
  buffer_.clear();
  output_.clear();
  in_paste_ = false;
  paste_.clear();
  paste_timeouts_ = 0;
  discarding_ = false;
}

void TerminalInputDecoder::Feed(std::string_view bytes) {
  std::size_t i = 0;
  while (discarding_ && i < bytes.size()) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b == kEsc || b < 0x20) {
      discarding_ = false;
      break;
    }
    ++i;
    if (b >= 0x40 && b <= 0x7E) discarding_ = false;
  }
  buffer_.append(bytes.substr(i));
  paste_timeouts_ = 0;
  while (!buffer_.empty()) {
    if (in_paste_) {
      PasteBytes();
      if (in_paste_) break;
      continue;
    }
    const std::size_t n = ParseOne(false);
    if (n == 0) break;
    buffer_.erase(0, n);
  }
}

void TerminalInputDecoder::Timeout() {
  if (in_paste_) {
    if (++paste_timeouts_ < kPasteTimeouts) return;
    paste_timeouts_ = 0;
    paste_ += buffer_;
    buffer_.clear();
    in_paste_ = false;
    PasteBytes();  // delivers what came
    return;
  }
  discarding_ = false;
  while (!buffer_.empty()) {
    const std::size_t n = ParseOne(true);
    buffer_.erase(0, n == 0 ? buffer_.size() : n);
    if (in_paste_) {
      PasteBytes();
      if (in_paste_) return;
    }
  }
}

bool TerminalInputDecoder::Next(DecodedInput& out) {
  if (output_.empty()) return false;
  out = std::move(output_.front());
  output_.pop_front();
  return true;
}

void TerminalInputDecoder::EmitKey(unsigned char character, unsigned char scan,
                                   unsigned short state) {
  DecodedInput d;
  d.Event = KeyEvent(character, scan, state);
  output_.push_back(std::move(d));
}

void TerminalInputDecoder::EmitMouse(int code, int column, int row, bool press) {
  if (!mouse_on_ || !press || code < 0 || (code & (32 | 64 | 128))) return;
  static const unsigned char kButtons[4] = {kLeftButton, kMiddleButton, kRightButton, 0};
  const unsigned char buttons = kButtons[code & 3];
  if (buttons == 0 || row < 1 || row > kConsoleRows || column < 1 || column > kConsoleColumns)
    return;
  DecodedInput d;
  d.Event = MouseEvent(static_cast<short>(row), static_cast<short>(column), buttons);
  if (code & 4) d.Event.ControlKeys |= kShiftPressed;
  if (code & 8) d.Event.ControlKeys |= kLeftAltPressed;
  if (code & 16) d.Event.ControlKeys |= kLeftCtrlPressed;
  output_.push_back(std::move(d));
}

void TerminalInputDecoder::PasteBytes() {
  if (in_paste_) {
    const std::size_t end = buffer_.find(kPasteEnd);
    if (end == std::string::npos) {
      // Keep a tail that may be the start of the end marker.
      std::size_t keep = 0;
      for (std::size_t k = std::min(buffer_.size(), kPasteEnd.size() - 1); k > 0; --k) {
        if (kPasteEnd.substr(0, k) == std::string_view(buffer_).substr(buffer_.size() - k)) {
          keep = k;
          break;
        }
      }
      if (paste_.size() < kLongestPaste) paste_.append(buffer_, 0, buffer_.size() - keep);
      buffer_.erase(0, buffer_.size() - keep);
      return;
    }
    if (paste_.size() < kLongestPaste) paste_.append(buffer_, 0, end);
    buffer_.erase(0, end + kPasteEnd.size());
    in_paste_ = false;
  }
  std::string text;
  for (unsigned char c : Utf8ToCp850(paste_))
    if (c >= 32 || c == '\t' || c == '\r' || c == '\n') text.push_back(static_cast<char>(c));
  paste_.clear();
  DecodedInput d;
  d.Event = KeyEvent(22, 0x2F, kLeftCtrlPressed);
  d.IsPaste = true;
  d.Text = std::move(text);
  output_.push_back(std::move(d));
}

std::size_t TerminalInputDecoder::ParseOne(bool at_timeout) {
  const unsigned char b0 = static_cast<unsigned char>(buffer_[0]);
  const std::size_t size = buffer_.size();
  if (b0 == kEsc) {
    if (size == 1) {
      if (!at_timeout) return 0;
      EmitKey(27, 0x01, 0);
      return 1;
    }
    const unsigned char b1 = static_cast<unsigned char>(buffer_[1]);
    if (b1 == '[') return ParseCsi(2, 0, at_timeout);
    if (b1 == 'O') return ParseSs3(2, 0, at_timeout);
    if (b1 == kEsc) {
      if (size == 2 && !at_timeout) return 0;
      const unsigned char b2 = size > 2 ? static_cast<unsigned char>(buffer_[2]) : 0;
      if (b2 == '[') return ParseCsi(3, kLeftAltPressed, at_timeout);
      if (b2 == 'O') return ParseSs3(3, kLeftAltPressed, at_timeout);
      EmitKey(27, 0x01, 0);
      return 1;
    }
    if (b1 < 0x80) {
      const ConsoleEvent e = AltEvent(b1);
      EmitKey(e.Character, e.ScanCode, e.ControlKeys);
      return 2;
    }
    // Alt with a UTF-8 character.
    const std::size_t want = Utf8Length(b1);
    if (want == 0) return 2;
    if (size < 1 + want) {
      for (std::size_t i = 2; i < size; ++i)
        if ((static_cast<unsigned char>(buffer_[i]) & 0xC0) != 0x80) return i;
      return at_timeout ? size : 0;
    }
    char32_t c = 0;
    const std::size_t n = DecodeUtf8(buffer_, 1, c);
    const int byte = c == kInvalidCodePoint ? -1 : UnicodeToCp850(c);
    if (byte >= 128) EmitKey(static_cast<unsigned char>(byte), 0, kLeftAltPressed);
    return 1 + n;
  }
  if (b0 < 0x80) {
    const ConsoleEvent e = CharacterEvent(b0);
    EmitKey(e.Character, e.ScanCode, e.ControlKeys);
    return 1;
  }
  const std::size_t want = Utf8Length(b0);
  if (want == 0) return 1;  // not a UTF-8 start byte: dropped
  if (size < want) {
    for (std::size_t i = 1; i < size; ++i)
      if ((static_cast<unsigned char>(buffer_[i]) & 0xC0) != 0x80) return i;
    return at_timeout ? size : 0;
  }
  char32_t c = 0;
  const std::size_t n = DecodeUtf8(buffer_, 0, c);
  const int byte = c == kInvalidCodePoint ? -1 : UnicodeToCp850(c);
  if (byte >= 32 && byte != 127) {
    const ConsoleEvent e = CharacterEvent(static_cast<unsigned char>(byte));
    EmitKey(e.Character, e.ScanCode, e.ControlKeys);
  }
  return n;
}

std::size_t TerminalInputDecoder::ParseCsi(std::size_t start, unsigned short extra,
                                           bool at_timeout) {
  const std::size_t size = buffer_.size();
  auto at = [&](std::size_t i) { return static_cast<unsigned char>(buffer_[i]); };
  if (start >= size) return at_timeout ? size : 0;
  // Linux console F1..F5: ESC [ [ A..E.
  if (at(start) == '[') {
    if (start + 1 >= size) return at_timeout ? size : 0;
    const unsigned char f = at(start + 1);
    if (f >= 'A' && f <= 'E') EmitKey(0, kFunctionScan[f - 'A'], extra);
    return f < 0x20 || f == kEsc ? start + 1 : start + 2;
  }
  // Mouse report of mode 1000 without 1006: CSI M and three bytes.
  if (at(start) == 'M') {
    if (start + 4 > size) return at_timeout ? size : 0;
    EmitMouse(at(start + 1) - 32, at(start + 2) - 32, at(start + 3) - 32, true);
    return start + 4;
  }
  std::size_t i = start;
  while (i < size && at(i) >= 0x30 && at(i) <= 0x3F) ++i;
  const std::size_t parameters_end = i;
  // rxvt ends Shift variants with "$", which lies in the intermediate range.
  if (!(i < size && at(i) == '$' && i > start))
    while (i < size && at(i) >= 0x20 && at(i) <= 0x2F) ++i;
  if (i >= size) {
    if (size - start > kLongestSequence) {
      discarding_ = true;
      return size;
    }
    return at_timeout ? size : 0;
  }
  const unsigned char final = at(i);
  const bool rxvt_dollar = final == '$' && i == parameters_end;
  if (!rxvt_dollar && (final < 0x40 || final > 0x7E)) return i;  // broken: dropped up to here
  const std::size_t consumed = i + 1;
  const std::string_view params = std::string_view(buffer_).substr(start, parameters_end - start);
  const bool has_intermediates = i > parameters_end && !rxvt_dollar;

  if (!params.empty() && params[0] == '<') {
    if ((final == 'M' || final == 'm') && !has_intermediates) {
      const std::vector<int> p = Parameters(params.substr(1));
      if (p.size() == 3) EmitMouse(p[0], p[1], p[2], final == 'M');
    }
    return consumed;
  }
  if (has_intermediates || (!params.empty() && params.find_first_of("<=>?") != std::string::npos))
    return consumed;
  const std::vector<int> p = Parameters(params);
  const int first = p[0];
  const int modifier = p.size() >= 2 ? p[1] : 1;
  unsigned short state = static_cast<unsigned short>(ModifierState(modifier) | extra);

  if (final == '~' || final == '^' || final == '$' || final == '@') {
    if (final == '^') state |= kLeftCtrlPressed;
    if (final == '$') state |= kShiftPressed;
    if (final == '@') state |= kLeftCtrlPressed | kShiftPressed;
    if (first == 200 && final == '~') {
      in_paste_ = true;
      paste_.clear();
      paste_timeouts_ = 0;
      return consumed;
    }
    if (first == 27 && p.size() >= 3 && p[2] > 0 && p[2] < 128 && final == '~') {
      // xterm's modifyOtherKeys form: CSI 27 ; modifier ; character ~
      ConsoleEvent e = CharacterEvent(static_cast<unsigned char>(p[2]));
      e.ControlKeys |= state;
      if (e.ControlKeys & kAnyAltPressed) e = AltEvent(static_cast<unsigned char>(p[2]));
      EmitKey(e.Character, e.ScanCode, static_cast<unsigned short>(e.ControlKeys | state));
      return consumed;
    }
    unsigned char scan = 0;
    unsigned short implied = 0;
    if (TildeKey(first, scan, implied)) EmitKey(0, scan, static_cast<unsigned short>(state | implied));
    return consumed;
  }
  if (final == 'Z') {
    EmitKey(0, 0x0F, static_cast<unsigned short>(state | kShiftPressed));
    return consumed;
  }
  if (final >= 'a' && final <= 'd' && params.empty()) {  // rxvt Shift+arrows
    static const unsigned char kArrows[4] = {0x48, 0x50, 0x4D, 0x4B};
    EmitKey(0, kArrows[final - 'a'], static_cast<unsigned short>(extra | kShiftPressed));
    return consumed;
  }
  if (const unsigned char scan = CursorFinalScan(static_cast<char>(final)); scan != 0) {
    // "CSI R" with two parameters is also a cursor position report; only "1;m R" is a key.
    if (final == 'R' && p.size() >= 2 && first != 1) return consumed;
    EmitKey(0, scan, state);
  }
  return consumed;
}

std::size_t TerminalInputDecoder::ParseSs3(std::size_t start, unsigned short extra,
                                           bool at_timeout) {
  const std::size_t size = buffer_.size();
  auto at = [&](std::size_t i) { return static_cast<unsigned char>(buffer_[i]); };
  if (start >= size) {
    if (!at_timeout) return 0;
    // A lone "ESC O" is Alt+Shift+O.
    EmitKey(0, 0x18, static_cast<unsigned short>(kLeftAltPressed | kShiftPressed | extra));
    return size;
  }
  std::size_t i = start;
  while (i < size && ((at(i) >= '0' && at(i) <= '9') || at(i) == ';')) ++i;
  if (i >= size) {
    if (size - start > kLongestSequence) {
      discarding_ = true;
      return size;
    }
    return at_timeout ? size : 0;
  }
  const unsigned char final = at(i);
  if (final < 0x40 || final > 0x7E) return i;
  const std::vector<int> p = Parameters(std::string_view(buffer_).substr(start, i - start));
  const int modifier = p.size() >= 2 ? p[1] : p[0];
  const unsigned short state = static_cast<unsigned short>(ModifierState(modifier) | extra);
  if (const unsigned char scan = CursorFinalScan(static_cast<char>(final)); scan != 0) {
    EmitKey(0, scan, state);
  } else if (final >= 'a' && final <= 'd') {  // rxvt Ctrl+arrows
    static const unsigned char kArrows[4] = {0x48, 0x50, 0x4D, 0x4B};
    EmitKey(0, kArrows[final - 'a'], static_cast<unsigned short>(state | kLeftCtrlPressed));
  } else if (final >= 'p' && final <= 'y') {  // application keypad digits
    const int digit = final - 'p';
    const unsigned short s = static_cast<unsigned short>(state | kKeypadKey);
    EmitKey((s & kAnyAltPressed) ? 0 : static_cast<unsigned char>('0' + digit), kKeypadScan[digit], s);
  } else if (final == 'M') {  // keypad Enter
    EmitKey(13, 0x1C, static_cast<unsigned short>(state | kKeypadKey));
  } else {
    static const std::string_view kKeypadSymbols = "jkmno";  // * + - . /
    static const char kSymbols[] = "*+-./";
    const std::size_t k = kKeypadSymbols.find(static_cast<char>(final));
    if (k != std::string_view::npos) {
      const ConsoleEvent e = CharacterEvent(static_cast<unsigned char>(kSymbols[k]));
      EmitKey(e.Character, e.ScanCode, static_cast<unsigned short>(state | kKeypadKey));
    }
  }
  return i + 1;
}
