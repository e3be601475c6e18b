#pragma once
// The print program's reading of a print file: the device, then pages of lines with every field
// placed at its column. Texts stay code page 850 until they are sent.
#include <string>
#include <vector>

struct PrintPage {
  int Length = 0;                  // announced lines per page; 0 or less: no page breaks
  std::vector<std::string> Lines;  // code page 850, trailing blanks kept
};

struct PrintLayout {
  std::string Device;  // the text after "DEVICE", as written
  std::vector<PrintPage> Pages;
  std::string Error;   // why the file was refused; empty when it was laid out
};

// Reads a whole print file and lays out its pages. Lines end with CR LF (a lone LF is accepted);
// the first line must be the DEVICE line. PAGE starts a page of the given length; a field
// "<column>,<text>,<advance>" is placed at its column on the current line (the column is the
// number before the first comma, the advance the one after the last comma, the text everything
// between) and the current line moves <advance> lines down; a page that is full moves on to a
// new one of the same length before the next field. JUS sets the alignment of the next field
// within its own width: E as written, D and N right-aligned, C centred, A spread to both margins.
// Commands (*...): "@e" clears a pending alignment; the rest are ignored. Pages on which no field
// was placed are dropped. Returns false with layout.Error set for a file that breaks the grammar.
bool LayOutPrintFile(const std::string& bytes, PrintLayout& layout);

// The pages as UTF-8 text, every line ended by a line feed and its trailing blanks removed, empty
// lines at the end of a page dropped. Pages are separated by a form feed at the start of the next
// page, or, for the screen, by an empty line.
std::string PagesAsText(const PrintLayout& layout, bool for_screen);
