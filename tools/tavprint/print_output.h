#pragma once
// Where the print program sends its pages, chosen by the print file's DEVICE text.
#include <string>

enum class DeviceKind {
  Screen,   // an empty text (blanks only): a pager when the output is a terminal, else stdout
  File,     // a text with "/" or "\": the path of a file, written from its start
  Printer,  // any other text: the name of a printer, reached through "lp -d NAME"
};

DeviceKind KindOfDevice(const std::string& device);

// Sends UTF-8 `text` to the device. Returns an empty text on success, otherwise what failed.
std::string SendToScreen(const std::string& text);
std::string SendToFile(const std::string& device, const std::string& text);
std::string SendToPrinter(const std::string& device, const std::string& text);
