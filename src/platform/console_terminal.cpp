#include "platform/console_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/codepage.h"
#include "platform/console_memory.h"
#include "platform/process.h"
#include "platform/terminal_input.h"
#include "platform/terminal_output.h"

namespace {

// Sent when the terminal is taken over and when it is given back.
constexpr char kEnterSequence[] = "\x1b[?1049h\x1b[?2004h";
constexpr char kLeaveSequence[] =
    "\x1b[0m\x1b[?1000l\x1b[?1006l\x1b[?2004l\x1b[0 q\x1b[?25h\x1b[?1049l";
constexpr int kEscapeTimeoutMs = 40;

// What the signal handlers need, kept in plain variables.
volatile sig_atomic_t g_active = 0;
volatile sig_atomic_t g_resized = 0;
volatile sig_atomic_t g_continued = 0;
int g_input_fd = -1;
int g_output_fd = -1;
struct termios g_saved_termios;

void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n > 0) {
      data += n;
      size -= static_cast<std::size_t>(n);
    } else if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
      continue;
    } else {
      return;
    }
  }
}

// Async-signal-safe: gives the terminal back.
void RestoreTerminalNow() {
  if (!g_active) return;
  g_active = 0;
  WriteAll(g_output_fd, kLeaveSequence, sizeof kLeaveSequence - 1);
  tcsetattr(g_input_fd, TCSANOW, &g_saved_termios);
}

void EndingSignal(int signal_number) {
  const int saved_errno = errno;
  RestoreTerminalNow();
  errno = saved_errno;
  // SA_RESETHAND put the default action back: raising again ends the process as the signal would.
  raise(signal_number);
}

void StopSignal(int) {
  const int saved_errno = errno;
  const bool was_active = g_active;
  RestoreTerminalNow();
  if (was_active) g_continued = 1;
  raise(SIGSTOP);
  errno = saved_errno;
}

void FlagSignal(int signal_number) {
  if (signal_number == SIGWINCH) g_resized = 1;
  if (signal_number == SIGCONT) g_continued = 1;  // after a stop from outside: take over again
}

void MakeRaw(struct termios& t) {
  t.c_iflag &= static_cast<tcflag_t>(~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                       IXON | IXOFF));
  t.c_oflag &= static_cast<tcflag_t>(~OPOST);
  t.c_lflag &= static_cast<tcflag_t>(~(ECHO | ECHONL | ICANON | ISIG | IEXTEN));
  t.c_cflag |= CS8;
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
}

bool TerminalSize(int fd, int& rows, int& columns) {
  struct winsize size;
  if (ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_row == 0 || size.ws_col == 0) return false;
  rows = size.ws_row;
  columns = size.ws_col;
  return true;
}

std::string Base64(std::string_view data) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  std::size_t i = 0;
  for (; i + 2 < data.size(); i += 3) {
    const unsigned v = (static_cast<unsigned char>(data[i]) << 16) |
                       (static_cast<unsigned char>(data[i + 1]) << 8) |
                       static_cast<unsigned char>(data[i + 2]);
    for (int s = 18; s >= 0; s -= 6) out.push_back(kDigits[(v >> s) & 63]);
  }
  if (i < data.size()) {
    unsigned v = static_cast<unsigned char>(data[i]) << 16;
    if (i + 1 < data.size()) v |= static_cast<unsigned char>(data[i + 1]) << 8;
    out.push_back(kDigits[(v >> 18) & 63]);
    out.push_back(kDigits[(v >> 12) & 63]);
    out.push_back(i + 1 < data.size() ? kDigits[(v >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

class TerminalConsole : public ConsoleDevice {
 public:
  void SetCursorPosition(int row, int column) override { shadow_.SetCursorPosition(row, column); }
  int CursorRow() const override { return shadow_.CursorRow(); }
  int CursorColumn() const override { return shadow_.CursorColumn(); }
  void SetCursorVisible(bool visible) override { shadow_.SetCursorVisible(visible); }
  bool CursorVisible() const override { return shadow_.CursorVisible(); }
  void SetCursorSize(int size) override { shadow_.SetCursorSize(size); }
  int CursorSize() const override { return shadow_.CursorSize(); }
  void SetAttribute(unsigned char attribute) override { shadow_.SetAttribute(attribute); }
  unsigned char Attribute() const override { return shadow_.Attribute(); }
  void Write(std::string_view bytes) override { shadow_.Write(bytes); }
  void WriteBlanks(int count) override { shadow_.WriteBlanks(count); }
  void ScrollRectangle(int top, int left, int bottom, int right, int lines,
                       ConsoleCell fill) override {
    shadow_.ScrollRectangle(top, left, bottom, right, lines, fill);
  }
  void Clear() override { shadow_.Clear(); }
  void Bell() override { pending_ += '\a'; }
  ConsoleCell ReadCell(int row, int column) const override {
    return shadow_.ReadCell(row, column);
  }

  void Flush() override;
  bool ReadEvent(ConsoleEvent& event) override;
  bool EventWaiting() override;
  void DiscardInput() override;
  void SetMouseReporting(bool on) override;
  bool MouseReporting() const override { return mouse_on_; }
  int MouseButtons() const override { return mouse_buttons_; }
  void Suspend() override;
  void Resume() override;
  void SendToHostClipboard(const std::string& text) override;

  bool Open(std::string& error);
  void Close();

 private:
  void HandleSignals();
  bool TakeDecoded(ConsoleEvent& event);
  // Reads what is there (waiting up to timeout_ms, -1 for ever); false when the terminal is gone.
  bool ReadInput(int timeout_ms);

  MemoryConsole shadow_;
  TerminalOutput output_;
  TerminalInputDecoder decoder_;
  std::string pending_;  // control sequences to send with the next flush
  bool mouse_on_ = false;
  int mouse_buttons_ = 3;
  bool suspended_ = false;
  bool open_ = false;  // between Open and Close
  struct termios raw_;
};

TerminalConsole g_terminal;
bool g_hooks_installed = false;

void TerminalConsole::Flush() {
  if (!g_active) return;
  TerminalFrame frame;
  for (int r = 0; r < kConsoleRows; ++r)
    for (int c = 0; c < kConsoleColumns; ++c) frame.Cells[r][c] = shadow_.ReadCell(r + 1, c + 1);
  frame.CursorRow = shadow_.CursorRow();
  frame.CursorColumn = shadow_.CursorColumn();
  frame.CursorVisible = shadow_.CursorVisible();
  frame.CursorSize = shadow_.CursorSize();
  std::string out = std::move(pending_);
  pending_.clear();
  out += output_.Render(frame);
  if (!out.empty()) WriteAll(g_output_fd, out.data(), out.size());
}

void TerminalConsole::HandleSignals() {
  if (g_continued && open_ && !suspended_) {
    g_continued = 0;
    tcsetattr(g_input_fd, TCSANOW, &raw_);
    g_active = 1;
    WriteAll(g_output_fd, kEnterSequence, sizeof kEnterSequence - 1);
    if (mouse_on_) pending_ += "\x1b[?1000h\x1b[?1006h";
    output_.Invalidate();
  }
  if (g_resized) {
    g_resized = 0;
    int rows = 0, columns = 0;
    if (TerminalSize(g_input_fd, rows, columns)) output_.SetTerminalSize(rows, columns);
    output_.Invalidate();
  }
}

bool TerminalConsole::TakeDecoded(ConsoleEvent& event) {
  DecodedInput d;
  if (!decoder_.Next(d)) return false;
  if (d.IsPaste) SetPastedText(d.Text);
  event = d.Event;
  return true;
}

bool TerminalConsole::ReadInput(int timeout_ms) {
  struct pollfd p = {g_input_fd, POLLIN, 0};
  const int r = poll(&p, 1, timeout_ms);
  if (r < 0) return errno == EINTR;
  if (r == 0) {
    if (timeout_ms >= 0 && decoder_.Pending()) decoder_.Timeout();
    return true;
  }
  char buffer[4096];
  const ssize_t n = read(g_input_fd, buffer, sizeof buffer);
  if (n > 0) {
    decoder_.Feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    return true;
  }
  if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
  return false;
}

bool TerminalConsole::ReadEvent(ConsoleEvent& event) {
  for (;;) {
    if (TakeDecoded(event)) return true;
    HandleSignals();
    Flush();
    if (!ReadInput(decoder_.Pending() ? kEscapeTimeoutMs : -1)) {
      // The terminal is gone (hang-up or end of input): nothing can be asked any more.
      EndProgram(1);
    }
  }
}

bool TerminalConsole::EventWaiting() {
  if (decoder_.HasOutput()) return true;
  HandleSignals();
  Flush();
  if (!ReadInput(0)) EndProgram(1);
  return decoder_.HasOutput();
}

void TerminalConsole::DiscardInput() {
  tcflush(g_input_fd, TCIFLUSH);
  while (decoder_.HasOutput()) {
    DecodedInput d;
    decoder_.Next(d);
  }
}

void TerminalConsole::SetMouseReporting(bool on) {
  if (on == mouse_on_) return;
  mouse_on_ = on;
  decoder_.SetMouseReporting(on);
  pending_ += on ? "\x1b[?1000h\x1b[?1006h" : "\x1b[?1000l\x1b[?1006l";
}

void TerminalConsole::Suspend() {
  if (suspended_ || !g_active) return;
  Flush();
  RestoreTerminalNow();
  suspended_ = true;
}

void TerminalConsole::Resume() {
  if (!suspended_) return;
  suspended_ = false;
  g_continued = 0;
  tcsetattr(g_input_fd, TCSANOW, &raw_);
  g_active = 1;
  WriteAll(g_output_fd, kEnterSequence, sizeof kEnterSequence - 1);
  if (mouse_on_) pending_ += "\x1b[?1000h\x1b[?1006h";
  int rows = 0, columns = 0;
  if (TerminalSize(g_input_fd, rows, columns)) output_.SetTerminalSize(rows, columns);
  output_.Invalidate();
  decoder_.Reset();
  Flush();
}

void TerminalConsole::SendToHostClipboard(const std::string& text) {
  pending_ += "\x1b]52;c;" + Base64(Cp850ToUtf8(text)) + "\x07";
}

bool TerminalConsole::Open(std::string& error) {
  if (open_) return true;
  if (!isatty(0)) {
    error = "banklist: standard input is not a terminal; run the program in a terminal of at "
            "least 80 columns and 25 rows.";
    return false;
  }
  int rows = 0, columns = 0;
  if (!TerminalSize(0, rows, columns)) {
    error = "banklist: the size of the terminal cannot be read; a terminal of at least 80 "
            "columns and 25 rows is needed.";
    return false;
  }
  if (rows < kConsoleRows || columns < kConsoleColumns) {
    error = "banklist: the terminal has " + std::to_string(columns) + " columns and " +
            std::to_string(rows) + " rows; at least 80 columns and 25 rows are needed.";
    return false;
  }
  int output_fd = isatty(1) ? 1 : open("/dev/tty", O_WRONLY | O_CLOEXEC | O_NOCTTY);
  if (output_fd < 0) {
    error = "banklist: the terminal cannot be written to.";
    return false;
  }
  if (tcgetattr(0, &g_saved_termios) != 0) {
    error = std::string("banklist: the terminal cannot be set up: ") + std::strerror(errno);
    return false;
  }
  g_input_fd = 0;
  g_output_fd = output_fd;
  raw_ = g_saved_termios;
  MakeRaw(raw_);

  if (!g_hooks_installed) {
    g_hooks_installed = true;
    struct sigaction ending = {};
    ending.sa_handler = EndingSignal;
    ending.sa_flags = SA_RESETHAND | SA_NODEFER;
    sigemptyset(&ending.sa_mask);
    for (int s : {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
      sigaction(s, &ending, nullptr);
    struct sigaction flag = {};
    flag.sa_handler = FlagSignal;
    sigemptyset(&flag.sa_mask);
    sigaction(SIGWINCH, &flag, nullptr);
    sigaction(SIGCONT, &flag, nullptr);
    struct sigaction stop = {};
    stop.sa_handler = StopSignal;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTSTP, &stop, nullptr);
    AddEndHandler([] { CloseTerminalConsole(); });
    std::atexit([] { RestoreTerminalNow(); });
    SetChildProgramHooks([] { g_terminal.Suspend(); }, [] { g_terminal.Resume(); });
  }

  if (tcsetattr(0, TCSANOW, &raw_) != 0) {
    error = std::string("banklist: the terminal cannot be set up: ") + std::strerror(errno);
    return false;
  }
  g_active = 1;
  WriteAll(g_output_fd, kEnterSequence, sizeof kEnterSequence - 1);
  const char* term = std::getenv("TERM");
  mouse_buttons_ = term != nullptr && (std::strcmp(term, "linux") == 0 ||
                                       std::strcmp(term, "dumb") == 0) ? 0 : 3;
  shadow_.Reset();
  output_.SetTerminalSize(rows, columns);
  output_.Invalidate();
  decoder_.Reset();
  mouse_on_ = false;
  open_ = true;
  SetCurrentConsole(this);
  Flush();
  return true;
}

void TerminalConsole::Close() {
  if (g_active) {
    Flush();
    RestoreTerminalNow();
  }
  suspended_ = false;
  open_ = false;
  if (&CurrentConsole() == this) SetCurrentConsole(nullptr);
}

}  // namespace

bool OpenTerminalConsole(std::string& error) { return g_terminal.Open(error); }

void CloseTerminalConsole() { g_terminal.Close(); }
