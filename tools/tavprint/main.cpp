// tavprint: the print program. Reads the print file that banklist leaves in the temporary
// directory (or the file named on the command line), lays out its pages and sends them where
// the file's DEVICE line says.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "config/session.h"
#include "platform/paths.h"
#include "print_layout.h"
#include "print_output.h"

namespace {

constexpr const char* kUsage =
    "usage: tavprint [PRINT_FILE]\n"
    "Prints a print file: by default TAVTMP's tavprint.tmp, found through the same session\n"
    "set-up as banklist (TAVTMP, else the terminal directory). The DEVICE line chooses the\n"
    "output: empty for the screen (through less when it is installed), a text with / or \\ for\n"
    "a file, any other text for the printer of that name (lp -d NAME).\n"
    "Exit status: 0 printed, 1 print file missing or malformed, 2 output failed.\n";

// Shows a failure; the operator gets a chance to read it before the calling program redraws.
void Fail(const std::string& message) {
  std::cerr << "tavprint: " << message << "\n";
  if (isatty(STDIN_FILENO) && isatty(STDERR_FILENO)) {
    std::cerr << "Press Enter to continue." << std::flush;
    std::string ignored;
    std::getline(std::cin, ignored);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::string path;
  if (argc > 2 || (argc == 2 && (std::strcmp(argv[1], "--help") == 0 ||
                                 std::strcmp(argv[1], "-h") == 0 || argv[1][0] == '-'))) {
    const bool help = argc == 2 && (std::strcmp(argv[1], "--help") == 0 ||
                                    std::strcmp(argv[1], "-h") == 0);
    (help ? std::cout : std::cerr) << kUsage;
    return help ? 0 : 1;
  }
  if (argc == 2) {
    path = argv[1];
  } else {
    SetUpSession();
    path = NativePath(SessionSettings.TemporaryDirectory + "tavprint.tmp");
  }

  std::ifstream in(path, std::ios::binary);
  if (!in) {
    Fail("cannot read the print file " + path);
    return 1;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  PrintLayout layout;
  if (!LayOutPrintFile(bytes.str(), layout)) {
    Fail(path + ", " + layout.Error);
    return 1;
  }

  std::string failure;
  switch (KindOfDevice(layout.Device)) {
    case DeviceKind::Screen:
      failure = SendToScreen(PagesAsText(layout, true));
      break;
    case DeviceKind::File:
      failure = SendToFile(layout.Device, PagesAsText(layout, false));
      break;
    case DeviceKind::Printer:
      failure = SendToPrinter(layout.Device, PagesAsText(layout, false));
      break;
  }
  if (!failure.empty()) {
    Fail(failure);
    return 2;
  }
  return 0;
}
