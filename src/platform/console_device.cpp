#include "platform/console_device.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/codepage.h"
#include "platform/console_memory.h"
#include "platform/process.h"

namespace {

struct ConsoleStateTable {
  ConsoleDevice* Current = nullptr;
  bool Insert = false;
  std::string Clipboard;
  std::string Pasted;
  bool HasPasted = false;
  bool DesktopClipboard = true;
};
ConsoleStateTable g_console;

// Keyboard scan codes of the printable ASCII characters (US layout), 0 where there is none.
unsigned char ScanCodeOf(unsigned char c) {
  static const unsigned char kLetters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                             0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                             0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
  if (c >= 'a' && c <= 'z') return kLetters[c - 'a'];
  if (c >= 'A' && c <= 'Z') return kLetters[c - 'A'];
  if (c >= '1' && c <= '9') return static_cast<unsigned char>(c - '1' + 2);
  switch (c) {
    case '0': case ')': return 0x0B;
    case '!': return 0x02;
    case '@': return 0x03;
    case '#': return 0x04;
    case '$': return 0x05;
    case '%': return 0x06;
    case '^': return 0x07;
    case '&': return 0x08;
    case '*': return 0x09;
    case '(': return 0x0A;
    case '-': case '_': return 0x0C;
    case '=': case '+': return 0x0D;
    case '[': case '{': return 0x1A;
    case ']': case '}': return 0x1B;
    case ';': case ':': return 0x27;
    case '\'': case '"': return 0x28;
    case '`': case '~': return 0x29;
    case '\\': case '|': return 0x2B;
    case ',': case '<': return 0x33;
    case '.': case '>': return 0x34;
    case '/': case '?': return 0x35;
    case ' ': return 0x39;
    default: return 0;
  }
}

// Output of a clipboard program (at most 1 MiB); false when it could not run or failed.
bool RunClipboardProgram(const std::string& program, const std::vector<const char*>& args,
                         std::string& output) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (pid == 0) {
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, 0);
      dup2(null, 2);
    }
    dup2(fds[1], 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const char* a : args) argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(fds[1]);
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n > 0) {
      if (output.size() < (1u << 20)) output.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;
  }
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool ReadDesktopClipboard(std::string& text) {
  std::string output;
  bool ok = false;
  if (std::getenv("WAYLAND_DISPLAY") != nullptr) {
    const std::string p = FindInPath("wl-paste");
    if (!p.empty()) ok = RunClipboardProgram(p, {"--no-newline"}, output);
  }
  if (!ok && std::getenv("DISPLAY") != nullptr) {
    std::string p = FindInPath("xclip");
    if (!p.empty()) {
      output.clear();
      ok = RunClipboardProgram(p, {"-selection", "clipboard", "-o"}, output);
    }
    if (!ok && !(p = FindInPath("xsel")).empty()) {
      output.clear();
      ok = RunClipboardProgram(p, {"--clipboard", "--output"}, output);
    }
  }
  if (ok) text = Utf8ToCp850(output);
  return ok;
}

}  // namespace

ConsoleEvent KeyEvent(unsigned char character, unsigned char scan_code,
                      unsigned short control_keys) {
  ConsoleEvent e;
  e.Type = ConsoleEventType::Key;
  e.Character = character;
  e.ScanCode = scan_code;
  e.ControlKeys = control_keys;
  return e;
}

ConsoleEvent MouseEvent(short row, short column, unsigned char buttons) {
  ConsoleEvent e;
  e.Type = ConsoleEventType::Mouse;
  e.Row = row;
  e.Column = column;
  e.Buttons = buttons;
  return e;
}

ConsoleEvent CharacterEvent(unsigned char c) {
  switch (c) {
    case 8: case 127: return KeyEvent(8, 0x0E);
    case 9: return KeyEvent(9, 0x0F);
    case 13: return KeyEvent(13, 0x1C);
    case 27: return KeyEvent(27, 0x01);
    case 0: return KeyEvent(0, 0x39, kLeftCtrlPressed);  // Ctrl+Space
    default: break;
  }
  if (c < 32) {
    if (c <= 26) return KeyEvent(c, ScanCodeOf(static_cast<unsigned char>('a' + c - 1)),
                                 kLeftCtrlPressed);
    static const unsigned char kOthers[5] = {0x1A, 0x2B, 0x1B, 0x07, 0x0C};  // [ \ ] ^ _
    return KeyEvent(c, kOthers[c - 27], kLeftCtrlPressed);
  }
  unsigned short state = 0;
  if (c >= 'A' && c <= 'Z') state = kShiftPressed;
  return KeyEvent(c, c < 128 ? ScanCodeOf(c) : 0, state);
}

ConsoleDevice& CurrentConsole() {
  if (g_console.Current != nullptr) return *g_console.Current;
  return BuiltInConsole();
}

void SetCurrentConsole(ConsoleDevice* device) { g_console.Current = device; }

bool InsertToggle() { return g_console.Insert; }
void SetInsertToggle(bool on) { g_console.Insert = on; }

void SetClipboardText(const std::string& text) {
  g_console.Clipboard = text;
  g_console.HasPasted = false;
  CurrentConsole().SendToHostClipboard(text);
}

std::string ClipboardText() {
  if (g_console.HasPasted) {
    g_console.HasPasted = false;
    g_console.Clipboard = g_console.Pasted;
    return g_console.Pasted;
  }
  std::string desktop;
  if (g_console.DesktopClipboard && ReadDesktopClipboard(desktop)) return desktop;
  return g_console.Clipboard;
}

void SetPastedText(const std::string& text) {
  g_console.Pasted = text;
  g_console.HasPasted = true;
}

void SetDesktopClipboard(bool on) { g_console.DesktopClipboard = on; }

void ResetConsoleState() {
  g_console = ConsoleStateTable{};
  g_console.DesktopClipboard = false;
  BuiltInConsole().Reset();
}
