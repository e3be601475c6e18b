// Draws a small screen on the terminal and reports every key event it reads, for the
// end-to-end test in a real terminal emulator. Ends on Ctrl+Q.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/session.h"
#include "console/colour.h"
#include "console/screen.h"
#include "platform/console_device.h"
#include "platform/console_terminal.h"
#include "platform/process.h"

int main() {
  std::string error;
  if (!OpenTerminalConsole(error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  ConsoleDevice& console = CurrentConsole();
  const char* tmp = std::getenv("CONSOLE_DEMO_TMP");
  SessionSettings.TemporaryDirectory = std::string(tmp != nullptr ? tmp : "/tmp") + "/";
  const ColourPair scheme[5] = {{15, 0}, {7, 0}, {0, 7}, {1, 3}, {14, 1}};
  for (int i = 0; i < 5; ++i) SessionSettings.ColourScheme[i] = scheme[i];
  console.SetCursorVisible(false);
  std::string colour = "n";
  SetColour(colour);
  console.Clear();
  PushWindow(2, 3, 8, 44);
  console.SetAttribute(0x1E);  // yellow on blue
  DrawFrame(2);
  LocateInWindow(1, 2);
  console.Write("P\xb7GINA \x85 \x87 \xd5 \x10\x11\x1e\x1f");  // PÀGINA à ç € ►◄▲▼
  LocateInWindow(2, 2);
  console.SetAttribute(0x4A);  // bright green on red
  console.Write("COLOUR");
  PushWindow(10, 3, 12, 30);
  console.SetAttribute(0x07);
  DrawFrame(1);
  LocateInWindow(1, 1);
  console.Write("READY");
  int line = 14;
  for (;;) {
    ConsoleEvent e;
    if (!console.ReadEvent(e)) break;
    char text[80];
    if (e.Type == ConsoleEventType::Mouse)
      std::snprintf(text, sizeof text, "MOUSE %d %d %d", e.Row, e.Column, e.Buttons);
    else
      std::snprintf(text, sizeof text, "KEY %d %02X %04X", e.Character, e.ScanCode, e.ControlKeys);
    console.SetAttribute(0x07);
    console.SetCursorPosition(line, 1);
    console.Write(std::string(text) + std::string(30, ' '));
    line = line >= 24 ? 14 : line + 1;
    console.SetCursorPosition(25, 1);
    console.Write("LAST " + std::string(text) + std::string(30, ' '));
    if (e.Type == ConsoleEventType::Key && e.Character == 17) break;  // Ctrl+Q
    if (e.Type == ConsoleEventType::Key && e.ScanCode == 0x3C && e.Character == 0)  // F2
      RunCommandLine("sh -c \"echo CHILD RAN; sleep 0.5\"");
    if (e.Type == ConsoleEventType::Key && e.ScanCode == 0x3E && e.Character == 0)  // F4
      std::abort();  // a crash: the terminal must still be given back
    if (e.Type == ConsoleEventType::Key && e.ScanCode == 0x3D && e.Character == 0)  // F3
      console.SetMouseReporting(!console.MouseReporting());
  }
  PopWindow();
  PopWindow();
  RunEndHandlers();
  return 0;
}
