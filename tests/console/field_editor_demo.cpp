// Edits two fields in the terminal, for the end-to-end test of the key reader and the field
// editor in a real terminal emulator: a free-text field of 20 characters and an option field.
// After each field it shows the value, its bytes in hexadecimal and the key that ended it.
#include <cstdio>
#include <string>

#include "config/session.h"
#include "console/colour.h"
#include "console/field_editor.h"
#include "console/key_input.h"
#include "console/screen.h"
#include "platform/console_device.h"
#include "platform/console_terminal.h"
#include "platform/process.h"

namespace {

std::string Hex(const std::string& bytes) {
  std::string out;
  char digits[3];
  for (const char c : bytes) {
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned char>(c));
    out += digits;
  }
  return out;
}

void Report(int row, const char* name, const std::string& value, short key) {
  ConsoleDevice& console = CurrentConsole();
  console.SetAttribute(0x07);
  console.SetCursorPosition(row, 1);
  console.Write(std::string(name) + " [" + value + "] KEY " + std::to_string(key));
  console.SetCursorPosition(row + 1, 1);
  console.Write("HEX " + Hex(value));
}

}  // namespace

int main() {
  std::string error;
  if (!OpenTerminalConsole(error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  const ColourPair scheme[5] = {{15, 0}, {7, 0}, {0, 7}, {1, 3}, {14, 1}};
  for (int i = 0; i < 5; ++i) SessionSettings.ColourScheme[i] = scheme[i];
  ConsoleDevice& console = CurrentConsole();
  std::string colour = "n";
  SetColour(colour);
  console.Clear();
  console.SetCursorPosition(3, 3);
  console.Write("Nom:");
  console.SetCursorPosition(5, 3);
  console.Write("Imp:");
  console.SetCursorPosition(1, 1);
  console.Write("READY");
  SetKeyMode("ea", "d,1b");

  std::string name(20, ' ');
  short cursor = 1;
  short key = 0;
  EditField(3, 10, 0, name, cursor, key);
  Report(20, "NAME", name, key);

  CurrentOptions = "|S,S\xa1|N,No|E,\xd4poca";
  std::string answer = "N";
  cursor = 1;
  EditField(5, 10, 0, answer, cursor, key);
  CurrentOptions.clear();
  Report(22, "ANSWER", answer, key);

  console.SetCursorPosition(25, 1);
  console.Write("DONE");
  WaitKey(key);
  RunEndHandlers();
  return 0;
}
