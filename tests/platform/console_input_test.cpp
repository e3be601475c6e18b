// Decoding of terminal input bytes into console key and mouse events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/terminal_input.h"

namespace {

constexpr unsigned short kShift = kShiftPressed;
constexpr unsigned short kAlt = kLeftAltPressed;
constexpr unsigned short kCtrl = kLeftCtrlPressed;

std::string Describe(const ConsoleEvent& e) {
  if (e.Type == ConsoleEventType::Mouse)
    return "mouse " + std::to_string(e.Row) + "," + std::to_string(e.Column) + " b" +
           std::to_string(e.Buttons) + " s" + std::to_string(e.ControlKeys);
  return "key c" + std::to_string(e.Character) + " sc" + std::to_string(e.ScanCode) + " s" +
         std::to_string(e.ControlKeys);
}

// Feeds the pieces (each a separate read), then a timeout, and describes every event.
std::vector<std::string> Decode(const std::vector<std::string>& pieces, bool mouse = true) {
  TerminalInputDecoder decoder;
  decoder.SetMouseReporting(mouse);
  for (const std::string& p : pieces) decoder.Feed(p);
  decoder.Timeout();
  std::vector<std::string> out;
  DecodedInput d;
  while (decoder.Next(d)) out.push_back(Describe(d.Event));
  return out;
}

std::string Key(unsigned char c, unsigned char scan, unsigned short state = 0) {
  return Describe(KeyEvent(c, scan, state));
}

struct Case {
  const char* name;
  std::vector<std::string> pieces;
  std::vector<std::string> events;
};

TEST(TerminalInputTest, SequencesGiveTheirEvents) {
  const std::vector<Case> cases = {
      // Plain keys and control characters.
      {"letter", {"a"}, {Key('a', 0x1E)}},
      {"capital", {"Q"}, {Key('Q', 0x10, kShift)}},
      {"enter", {"\r"}, {Key(13, 0x1C)}},
      {"tab", {"\t"}, {Key(9, 0x0F)}},
      {"backspace as DEL", {"\x7f"}, {Key(8, 0x0E)}},
      {"backspace as ^H", {"\x08"}, {Key(8, 0x0E)}},
      {"ctrl+c", {"\x03"}, {Key(3, 0x2E, kCtrl)}},
      {"ctrl+y", {"\x19"}, {Key(25, 0x15, kCtrl)}},
      {"lone escape", {"\x1b"}, {Key(27, 0x01)}},
      {"two escapes", {"\x1b\x1b"}, {Key(27, 0x01), Key(27, 0x01)}},
      // Function keys: xterm, VT220, Linux console.
      {"F1 SS3", {"\x1bOP"}, {Key(0, 0x3B)}},
      {"F4 SS3", {"\x1bOS"}, {Key(0, 0x3E)}},
      {"F1 VT220", {"\x1b[11~"}, {Key(0, 0x3B)}},
      {"F1 linux", {"\x1b[[A"}, {Key(0, 0x3B)}},
      {"F5 linux", {"\x1b[[E"}, {Key(0, 0x3F)}},
      {"F5", {"\x1b[15~"}, {Key(0, 0x3F)}},
      {"F10", {"\x1b[21~"}, {Key(0, 0x44)}},
      {"F11", {"\x1b[23~"}, {Key(0, 0x85)}},
      {"F12", {"\x1b[24~"}, {Key(0, 0x86)}},
      {"shift F1", {"\x1b[1;2P"}, {Key(0, 0x3B, kShift)}},
      {"ctrl F3", {"\x1b[1;5R"}, {Key(0, 0x3D, kCtrl)}},
      {"shift F5", {"\x1b[15;2~"}, {Key(0, 0x3F, kShift)}},
      {"ctrl F5", {"\x1b[15;5~"}, {Key(0, 0x3F, kCtrl)}},
      {"alt F4", {"\x1b[1;3S"}, {Key(0, 0x3E, kAlt)}},
      {"ctrl shift F12", {"\x1b[24;6~"}, {Key(0, 0x86, kShift | kCtrl)}},
      {"shift F3 as F13", {"\x1b[25~"}, {Key(0, 0x3D, kShift)}},
      {"shift F10 as F20", {"\x1b[34~"}, {Key(0, 0x44, kShift)}},
      {"rxvt ctrl F2", {"\x1b[12^"}, {Key(0, 0x3C, kCtrl)}},
      {"rxvt shift F2", {"\x1b[12$"}, {Key(0, 0x3C, kShift)}},
      // Cursor and editing keys.
      {"up", {"\x1b[A"}, {Key(0, 0x48)}},
      {"down SS3", {"\x1bOB"}, {Key(0, 0x50)}},
      {"right", {"\x1b[C"}, {Key(0, 0x4D)}},
      {"left", {"\x1b[D"}, {Key(0, 0x4B)}},
      {"home", {"\x1b[H"}, {Key(0, 0x47)}},
      {"end", {"\x1b[F"}, {Key(0, 0x4F)}},
      {"home SS3", {"\x1bOH"}, {Key(0, 0x47)}},
      {"home VT220", {"\x1b[1~"}, {Key(0, 0x47)}},
      {"end VT220", {"\x1b[4~"}, {Key(0, 0x4F)}},
      {"insert", {"\x1b[2~"}, {Key(0, 0x52)}},
      {"delete", {"\x1b[3~"}, {Key(0, 0x53)}},
      {"page up", {"\x1b[5~"}, {Key(0, 0x49)}},
      {"page down", {"\x1b[6~"}, {Key(0, 0x51)}},
      {"keypad 5", {"\x1b[E"}, {Key(0, 0x4C)}},
      {"keypad 5 linux", {"\x1b[G"}, {Key(0, 0x4C)}},
      {"ctrl up", {"\x1b[1;5A"}, {Key(0, 0x48, kCtrl)}},
      {"ctrl left", {"\x1b[1;5D"}, {Key(0, 0x4B, kCtrl)}},
      {"ctrl home", {"\x1b[1;5H"}, {Key(0, 0x47, kCtrl)}},
      {"shift page down", {"\x1b[6;2~"}, {Key(0, 0x51, kShift)}},
      {"alt up as ESC prefix", {"\x1b\x1b[A"}, {Key(0, 0x48, kAlt)}},
      {"rxvt ctrl right", {"\x1bOc"}, {Key(0, 0x4D, kCtrl)}},
      {"shift tab", {"\x1b[Z"}, {Key(0, 0x0F, kShift)}},
      {"keypad digit application mode", {"\x1bOq"}, {Key('1', 0x4F, kKeypadKey)}},
      // Alt as ESC prefix.
      {"alt x", {"\x1bx"}, {Key(0, 0x2D, kAlt)}},
      {"alt c", {"\x1b" "c"}, {Key(0, 0x2E, kAlt)}},
      {"alt shift X", {"\x1bX"}, {Key(0, 0x2D, kAlt | kShift)}},
      {"alt 1", {"\x1b" "1"}, {Key('1', 0x02, kAlt)}},
      {"alt then letter in two reads", {"\x1b", "x"}, {Key(0, 0x2D, kAlt)}},
      // UTF-8 typed characters.
      {"a grave", {"\xc3\xa0"}, {Key(0x85, 0)}},
      {"euro", {"\xe2\x82\xac"}, {Key(213, 0)}},
      {"euro split", {"\xe2", "\x82", "\xac"}, {Key(213, 0)}},
      {"outside code page dropped", {"\xe4\xb8\xad" "b"}, {Key('b', 0x30)}},
      {"malformed utf-8 dropped", {"\xc3(" }, {Key('(', 0x0A)}},
      {"lone continuation dropped", {"\x80" "z"}, {Key('z', 0x2C)}},
      {"truncated utf-8 dropped", {"\xe2\x82"}, {}},
      // Split reads, truncated and garbage sequences.
      {"csi split", {"\x1b[", "1;5", "A"}, {Key(0, 0x48, kCtrl)}},
      {"ss3 split", {"\x1bO", "P"}, {Key(0, 0x3B)}},
      {"truncated csi", {"\x1b[1;"}, {}},
      {"truncated csi then key", {"\x1b[1;\x1b[B"}, {Key(0, 0x50)}},
      {"unknown csi final", {"\x1b[5z" "k"}, {Key('k', 0x25)}},
      {"unknown tilde number", {"\x1b[99~" "k"}, {Key('k', 0x25)}},
      {"private sequence", {"\x1b[?1;2c" "k"}, {Key('k', 0x25)}},
      {"csi with intermediate", {"\x1b[1 q" "k"}, {Key('k', 0x25)}},
      {"overlong csi", {"\x1b[" + std::string(100, '1'), std::string(50, '2') + "~k"},
       {Key('k', 0x25)}},
      {"stray paste end", {"\x1b[201~"}, {}},
      // Mouse (SGR and X10 forms).
      {"sgr left press", {"\x1b[<0;10;5M"}, {Describe(MouseEvent(5, 10, kLeftButton))}},
      {"sgr right press", {"\x1b[<2;80;25M"}, {Describe(MouseEvent(25, 80, kRightButton))}},
      {"sgr release ignored", {"\x1b[<0;10;5m"}, {}},
      {"sgr wheel ignored", {"\x1b[<64;10;5M"}, {}},
      {"sgr motion ignored", {"\x1b[<32;10;5M"}, {}},
      {"sgr outside screen", {"\x1b[<0;81;5M"}, {}},
      {"x10 press", {std::string("\x1b[M") + char(32) + char(33 + 2) + char(33 + 3)},
       {Describe(MouseEvent(4, 3, kLeftButton))}},
      {"sgr split", {"\x1b[<0;1", "2;7M"}, {Describe(MouseEvent(7, 12, kLeftButton))}},
  };
  for (const Case& c : cases) EXPECT_EQ(Decode(c.pieces), c.events) << c.name;
}

TEST(TerminalInputTest, MouseReportsAreDroppedWhileReportingIsOff) {
  EXPECT_EQ(Decode({"\x1b[<0;10;5M" "a"}, false), std::vector<std::string>{Key('a', 0x1E)});
}

TEST(TerminalInputTest, LoneEscapeWaitsForTheTimeout) {
  TerminalInputDecoder decoder;
  decoder.Feed("\x1b");
  DecodedInput d;
  EXPECT_FALSE(decoder.Next(d));
  EXPECT_TRUE(decoder.Pending());
  decoder.Timeout();
  ASSERT_TRUE(decoder.Next(d));
  EXPECT_EQ(d.Event, KeyEvent(27, 0x01));
  EXPECT_FALSE(decoder.Pending());
}

TEST(TerminalInputTest, BracketedPasteBecomesOneClipboardPaste) {
  TerminalInputDecoder decoder;
  decoder.Feed("x\x1b[200~Pa\xc3\xa7");
  decoder.Feed("a\x01\x1b[A\x1b[20");
  decoder.Feed("1~y");
  std::vector<DecodedInput> got;
  DecodedInput d;
  while (decoder.Next(d)) got.push_back(d);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].Event, KeyEvent('x', 0x2D));
  EXPECT_TRUE(got[1].IsPaste);
  EXPECT_EQ(got[1].Event, KeyEvent(22, 0x2F, kLeftCtrlPressed));
  EXPECT_EQ(got[1].Text, "Pa\x87" "a[A");  // control bytes removed, the rest kept as text
  EXPECT_EQ(got[2].Event, KeyEvent('y', 0x15));
}

TEST(TerminalInputTest, UnfinishedPasteIsDeliveredAfterALongSilence) {
  TerminalInputDecoder decoder;
  decoder.Feed("\x1b[200~abc");
  DecodedInput d;
  for (int i = 0; i < 5; ++i) decoder.Timeout();
  EXPECT_FALSE(decoder.Next(d));
  for (int i = 0; i < 50; ++i) decoder.Timeout();
  ASSERT_TRUE(decoder.Next(d));
  EXPECT_TRUE(d.IsPaste);
  EXPECT_EQ(d.Text, "abc");
}

TEST(TerminalInputTest, RandomBytesNeverCrashOrHang) {
  unsigned seed = 12345;
  TerminalInputDecoder decoder;
  decoder.SetMouseReporting(true);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes;
    const int n = static_cast<int>(seed % 17);
    for (int i = 0; i < n; ++i) {
      seed = seed * 1103515245u + 12345u;
      const char pool[] = "\x1b[O;<0123456789~ABCDHFPQRSMZm\xc3\xa0\xe2\x82\xac" "a\x7f";
      bytes.push_back(pool[(seed >> 16) % (sizeof pool - 1)]);
    }
    decoder.Feed(bytes);
    if (round % 7 == 0) decoder.Timeout();
    DecodedInput d;
    while (decoder.Next(d)) {
      if (d.Event.Type == ConsoleEventType::Mouse) {
        EXPECT_GE(d.Event.Row, 1);
        EXPECT_LE(d.Event.Row, kConsoleRows);
      }
    }
  }
}

}  // namespace
