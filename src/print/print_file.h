#pragma once
// The print file: all printed output of the program, written as a line-oriented description of
// a device, pages and fields at columns, and read afterwards by the print program (tavprint).
//
// File: SessionSettings.TemporaryDirectory + "tavprint.tmp", created owner-only without following
// a symbolic link; an existing one (or a symbolic link of that name) is removed first. 8-bit
// text, bytes as the program holds them (code page 850). Every line ends with CR LF (bytes 13 10);
// no line holds a CR or LF of its own.
//
// A number <n> is always written as: a sign position (blank for 0 and positive numbers, "-" for
// negative ones), the decimal digits without leading zeros, one trailing blank:
//   1 -> " 1 "    66 -> " 66 "    0 -> " 0 "    -3 -> "-3 "
//
// Lines, by their first character:
//   DEVICE<device>              "DEVICE" then the device text, no separator. First line of the
//                               file and the only one of its kind.
//   PAGE<n>                     a new page of n lines starts ("PAGE 66 ").
//   *<command>                  a command for the print program, text as given ("*@e").
//   JUS<code>                   justification of the fields that follow, one of
//                                 "C" centred, "D" right-aligned, "A" both margins, "E" left,
//                                 "N"<n><mask> numeric fields, n >= 0: "N 2 \#.##\", "N 0 "
//                                 (<mask> from the first "\" to the next one inclusive, or to
//                                 the end when unterminated; possibly empty).
//   <column>,<text>,<advance>   a field (first character blank or "-"): <column> and <advance>
//                               are numbers. <text> is placed at the 1-based column of the
//                               current line; then the print moves <advance> lines down (0 stays
//                               on the line, 1 ends it, 2 leaves an empty line...). <text> is
//                               neither quoted nor escaped and may hold commas: the column is the
//                               text before the first comma, the advance the text after the last
//                               one. It never holds bytes 0-31, 127 or 255 (written as blanks).
//   Example: " 1 ,R., 0 "       "R." at column 1, the next field on the same line.
//
// In device, command and justification texts a CR or LF becomes a blank; other bytes are kept.
// When a field is written while LineCount >= PageLength (nothing written since the last page
// line fills a page, or no page line yet), a page line for the current PageLength comes first.
#include <cstdint>
#include <cstdio>
#include <string>

// Process-wide state of the writer. PageLength and LineCount live for the whole run.
struct PrintFileState {
  std::FILE* File = nullptr;     // open from OpenPrintFile to ClosePrintFile
  std::int16_t PageLength = 0;   // lines per page of the last page line
  std::int16_t LineCount = 0;    // lines advanced since the last page line
  std::string Fields;            // field lines of the current printed line, not yet in File
};

extern PrintFileState PrintFile;

// Closes any open file and returns the state to its start (for tests).
void ResetPrintFile();

// Creates the print file (an open one is closed first) and writes the device line. Leaves
// PageLength and LineCount as they are. When the file cannot be created, the writing operations
// below write nothing; their counting goes on all the same.
void OpenPrintFile(const std::string& device);

// Writes a page line for `lines`; PageLength becomes `lines`, LineCount 0.
void SetPageLength(std::int16_t lines);

// Writes a command line. Nothing is counted.
void WriteCommand(const std::string& command);

// Normalises `code` in place (see JUS above) and writes the justification line. The first
// non-blank character decides, as a capital: C; D or R -> D; A or B -> A; N -> N with the
// number after it (fraction and sign dropped) and the mask; anything else, empty included, E.
void SetJustification(std::string& code);

// Writes one field line (after a page line when the page is full) and adds `advance` to
// LineCount (kept within the 16-bit range). `text` itself is not changed.
void WriteField(std::int16_t column, const std::string& text, std::int16_t advance);

// Closes the print file.
void ClosePrintFile();

std::int16_t PageLength();
std::int16_t LineCount();
