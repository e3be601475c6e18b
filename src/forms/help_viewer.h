#pragma once
// Help pages. In the WIN run mode a page is an HTML document, AJUDA\ + page + ".HTM", opened by
// the suite's document program DOCRUN (through COMSPEC /C when the environment names a command
// interpreter, otherwise DOCRUN of the program directory), and the program waits until it ends.
// In the other run modes the page is AJUDA\ + page + ".HLP", shown in a framed console window
// (rows 4 to ScreenRows - 3, full width) that the operator scrolls with Up, Down, PgUp, PgDn, Home
// and End; F1 opens the general page "TOPPANEL" on top, Esc closes the page.
//
// A .HLP file is a sequence of fixed records of ScreenColumns bytes, one per line, without a
// header. Of each line the first 76 visible characters are shown. Inside a line byte 30 switches
// highlight on and off (ignored while underline is on), byte 31 underline and byte 16 reverse; the
// bytes take no room. A missing file shows an empty page.
#include <string>

inline constexpr char kHelpHighlight = 30;
inline constexpr char kHelpUnderline = 31;
inline constexpr char kHelpReverse = 16;

// Shows the page and returns when the operator closed it (or DOCRUN ended).
void ShowHelp(const std::string& page);

// The command line that opens the HTML page in the WIN run mode.
std::string HelpDocumentCommand(const std::string& page);
