// Bytes sent to the terminal for typical screen work: the first paint of a form screen, one
// character typed into a field, and opening and closing a framed 10x40 window. The "bytes"
// counter is the figure of interest; the time is the cost of drawing plus diffing.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "config/session.h"
#include "console/colour.h"
#include "console/screen.h"
#include "platform/console_memory.h"
#include "platform/terminal_output.h"

namespace {

TerminalFrame FrameOf(const MemoryConsole& console) {
  TerminalFrame frame;
  for (int r = 0; r < kConsoleRows; ++r)
    for (int c = 0; c < kConsoleColumns; ++c) frame.Cells[r][c] = console.ReadCell(r + 1, c + 1);
  frame.CursorRow = console.CursorRow();
  frame.CursorColumn = console.CursorColumn();
  frame.CursorVisible = console.CursorVisible();
  frame.CursorSize = console.CursorSize();
  return frame;
}

void Colour(const char* text) {
  std::string s = text;
  SetColour(s);
}

struct Setup {
  Setup() {
    ResetConsoleState();
    ResetColourState();
    ResetWindowState();
    const ColourPair scheme[5] = {{15, 1}, {7, 1}, {1, 7}, {0, 3}, {14, 4}};
    for (int i = 0; i < 5; ++i) SessionSettings.ColourScheme[i] = scheme[i];
    char pattern[] = "/tmp/console_bench_XXXXXX";
    if (mkdtemp(pattern) != nullptr) directory = pattern;
    SessionSettings.TemporaryDirectory = directory + "/";
    SetCurrentConsole(&console);
  }
  ~Setup() {
    SetCurrentConsole(nullptr);
    unlink(WindowStackPath().c_str());
    rmdir(directory.c_str());
  }
  std::string directory;
  MemoryConsole console;
};

// A form screen: title bar, a double frame, labels, several fields and a status line.
void DrawFormScreen(MemoryConsole& console) {
  Colour("n");
  console.Clear();
  console.SetCursorVisible(false);
  Colour("rh");
  console.SetCursorPosition(1, 1);
  console.Write(" TAULA DE REMESES EN DISKETTE" + std::string(51, ' '));
  PushWindow(3, 5, 20, 76);
  Colour("n");
  DrawFrame(2);
  const char* labels[] = {"Remesa inicial ....: ", "Remesa final ......: ", "Data ..............: ",
                          "Entitat ...........: ", "Oficina ...........: ", "Imprimir (S/N) ....: "};
  for (int i = 0; i < 6; ++i) {
    LocateInWindow(static_cast<short>(2 + 2 * i), 3);
    Colour("h");
    console.Write(labels[i]);
    Colour("u");
    console.Write(std::string(12, ' '));
  }
  Colour("rh");
  console.SetCursorPosition(25, 1);
  console.Write(" F1 Ajuda  Esc Sortir  Alt+X Calculadora  Alt+C Calendari" + std::string(23, ' '));
  PopWindow();  // leave the screen as drawn but the stack empty
}

void BM_FirstFullPaint(benchmark::State& state) {
  Setup setup;
  std::size_t bytes = 0;
  for (auto _ : state) {
    DrawFormScreen(setup.console);
    TerminalOutput output;
    const std::string out = output.Render(FrameOf(setup.console));
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_FirstFullPaint);

void BM_OneTypedCharacter(benchmark::State& state) {
  Setup setup;
  DrawFormScreen(setup.console);
  TerminalOutput output;
  output.Render(FrameOf(setup.console));
  // The field editor's cycle: cursor shown at the field, key read, cursor hidden, the character
  // written, the cursor placed after it and shown again before the next read.
  // The first field: row 5, columns 29 to 40.
  int column = 29;
  int typed = 0;
  std::size_t bytes = 0, most = 0;
  for (auto _ : state) {
    MemoryConsole& c = setup.console;
    c.SetCursorPosition(5, column);
    c.SetCursorVisible(true);
    output.Render(FrameOf(c));
    c.SetCursorVisible(false);
    Colour("u");
    c.Write(std::string(1, static_cast<char>('a' + typed++ % 25)));
    c.SetCursorVisible(true);
    const std::string out = output.Render(FrameOf(c));
    bytes = out.size();
    if (bytes > most) most = bytes;
    column = column < 40 ? column + 1 : 29;
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["most_bytes"] = static_cast<double>(most);
}
BENCHMARK(BM_OneTypedCharacter);

void BM_OpenAndCloseWindow(benchmark::State& state) {
  Setup setup;
  DrawFormScreen(setup.console);
  TerminalOutput output;
  output.Render(FrameOf(setup.console));
  std::size_t open_bytes = 0, close_bytes = 0;
  for (auto _ : state) {
    PushWindow(8, 20, 17, 59);
    Colour("rh");
    DrawFrame(1);
    LocateInWindow(1, 2);
    setup.console.Write("Missatge");
    open_bytes = output.Render(FrameOf(setup.console)).size();
    PopWindow();
    close_bytes = output.Render(FrameOf(setup.console)).size();
  }
  state.counters["open_bytes"] = static_cast<double>(open_bytes);
  state.counters["close_bytes"] = static_cast<double>(close_bytes);
  state.counters["bytes"] = static_cast<double>(open_bytes + close_bytes);
}
BENCHMARK(BM_OpenAndCloseWindow);

}  // namespace
