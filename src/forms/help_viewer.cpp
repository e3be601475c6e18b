#include "forms/help_viewer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>

#include "config/session.h"
#include "console/colour.h"
#include "console/key_input.h"
#include "console/screen.h"
#include "platform/console_device.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace {

constexpr int kVisibleCharacters = 76;
constexpr const char* kTopPanel = "TOPPANEL";

void Colour(const char* text) {
  std::string colour = text;
  SetColour(colour);
}

// A help file read by records of `record` bytes; no file gives no lines.
class HelpFile {
 public:
  HelpFile(const std::string& path, int record) : record_(record) {
    const std::string native = NativePath(path);
    fd_ = open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info;
    if (fd_ >= 0 && (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode))) {
      close(fd_);
      fd_ = -1;
    }
    if (fd_ >= 0 && record_ > 0)
      lines_ = static_cast<long long>(
          std::nearbyint(static_cast<double>(info.st_size) / static_cast<double>(record_)));
  }
  ~HelpFile() {
    if (fd_ >= 0) close(fd_);
  }
  HelpFile(const HelpFile&) = delete;
  HelpFile& operator=(const HelpFile&) = delete;

  long long Lines() const { return lines_; }

  // Line k (1-based); a record cut short by the end of the file is completed with blanks.
  std::string Line(long long k) const {
    std::string line(static_cast<std::size_t>(record_), ' ');
    if (fd_ < 0 || k < 1 || k > lines_) return line;
    const off_t offset = static_cast<off_t>((k - 1) * record_);
    std::size_t got = 0;
    while (got < line.size()) {
      const ssize_t n = pread(fd_, line.data() + got, line.size() - got,
                              offset + static_cast<off_t>(got));
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    for (std::size_t i = got; i < line.size(); ++i) line[i] = ' ';
    return line;
  }

 private:
  int fd_ = -1;
  int record_ = 0;
  long long lines_ = 0;
};

class HelpViewer {
 public:
  HelpViewer(const std::string& path)
      : file_(path, ScreenColumns()), page_(ScreenRows() - 8) {}

  // Writes line k of the file on window row `row`; nothing for a line outside the file.
  void ShowLine(long long k, int row) {
    if (k < 1 || k > file_.Lines()) return;
    const std::string line = file_.Line(k);
    ConsoleDevice& console = CurrentConsole();
    LocateInWindow(static_cast<short>(row), 2);
    Colour("n");
    bool highlight = false, underline = false, reverse = false;
    int visible = 0;
    std::string run;
    auto flush = [&] {
      console.Write(run);
      run.clear();
    };
    for (char c : line) {
      if (visible >= kVisibleCharacters) break;
      if (c == kHelpHighlight) {
        if (underline) continue;
        flush();
        highlight = !highlight;
        Colour(highlight ? "h" : "n");
      } else if (c == kHelpUnderline) {
        flush();
        underline = !underline;
        Colour(underline ? "u" : "n");
      } else if (c == kHelpReverse) {
        flush();
        reverse = !reverse;
        Colour(reverse ? "rh" : "n");
      } else {
        run += c;
        ++visible;
      }
    }
    flush();
    Colour("n");
  }

  // Lines first to first + P - 1 on rows 1 to P.
  void ShowPage(long long first) {
    for (int row = 1; row <= page_; ++row) ShowLine(first + row - 1, row);
  }

  // Scrolls the inside of the window by n lines (up for n > 0); vacated lines are blank.
  void Scroll(int n) {
    Colour("n");
    ScrollRegion(4, 1, static_cast<short>(ScreenRows() - 5), static_cast<short>(ScreenColumns() - 2),
                 static_cast<short>(n));
  }

  void Run(const std::string& page) {
    const long long n = file_.Lines();
    const long long p = page_;
    ShowPage(1);
    long long o = p + 1;  // the line after the last one shown
    for (;;) {
      const short key = ReadPlainKey();
      if (key == kKeyEsc) return;
      if (key == kKeyF1) {
        if (page != kTopPanel) ShowHelp(kTopPanel);
      } else if (key == kKeyDown) {
        if (o <= n) {
          Scroll(1);
          ShowLine(o, page_);
          ++o;
        }
      } else if (key == kKeyUp) {
        if (o - p > 1) {
          --o;
          Scroll(-1);
          ShowLine(o - p, 1);
        }
      } else if (key == kKeyPgDn) {
        if (o <= n) {
          Scroll(page_);
          if (n < o + p - 1) o = n - p + 1;
          ShowPage(o);
          o += p;
        }
      } else if (key == kKeyPgUp) {
        if (o - p > 1) {
          Scroll(page_);
          if (o - 2 * p < 1) o = 2 * p;
          ShowPage(o - 2 * p + 1);
          o = o - p + 1;
        }
      } else if (key == kKeyHome) {
        if (o - p > 1) {
          Scroll(page_);
          ShowPage(1);
          o = p + 1;
        }
      } else if (key == kKeyEnd) {
        if (o <= n) {
          Scroll(page_);
          ShowPage(n - p + 1);
          o = n + 1;
        }
      }
    }
  }

 private:
  // A plain keyboard key: its character, or its scan code x 256. No typeahead, no hot keys, no
  // mouse. When no input can come any more the key is Esc.
  static short ReadPlainKey() {
    ConsoleDevice& console = CurrentConsole();
    console.Flush();
    for (;;) {
      ConsoleEvent event;
      if (!console.ReadEvent(event)) return kKeyEsc;
      if (event.Type != ConsoleEventType::Key) continue;
      if (event.Character != 0) return static_cast<short>(event.Character);
      if (event.ScanCode != 0) return static_cast<short>(event.ScanCode * 256);
    }
  }

  HelpFile file_;
  int page_;
};

}  // namespace

std::string HelpDocumentCommand(const std::string& page) {
  const std::string document = "AJUDA\\" + page + ".HTM";
  const std::string interpreter = EnvironmentValue("COMSPEC");
  if (!interpreter.empty()) return interpreter + " /C DOCRUN " + document;
  // Without a command interpreter DOCRUN is started from the program directory, like TAVPRINT.
  return SessionSettings.ProgramDirectory + "DOCRUN " + document;
}

void ShowHelp(const std::string& page) {
  if (SessionSettings.RunMode == "WIN") {
    RunCommandLine(HelpDocumentCommand(page));
    return;
  }
  HelpViewer viewer("AJUDA\\" + page + ".HLP");
  const short depth = WindowState.WindowDepth;
  Colour("+h");
  PushWindow(4, 1, static_cast<short>(ScreenRows() - 3), ScreenColumns());
  const bool window_open = WindowState.WindowDepth > depth;
  if (window_open) DrawFrame(2);
  Colour("n");
  viewer.Run(page);
  if (window_open) PopWindow();
  Colour("-");
}
