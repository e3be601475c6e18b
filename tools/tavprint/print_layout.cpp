#include "print_layout.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "platform/codepage.h"

namespace {

// Bounds against hostile files: no page grows beyond these, a file that needs more is refused.
constexpr std::size_t kMaxLineWidth = 1000;
constexpr std::size_t kMaxTotalLines = 1000000;

// A number written as " 66 " or "-3 ": blanks around an optional minus and decimal digits, within
// the 16-bit range.
bool ReadNumber(const std::string& text, int& value) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  const std::size_t last = text.find_last_not_of(' ');
  std::size_t i = first;
  const bool negative = text[i] == '-';
  if (negative) ++i;
  if (i > last) return false;
  long n = 0;
  for (; i <= last; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    n = n * 10 + (text[i] - '0');
    if (n > 32768) return false;
  }
  if (negative) n = -n;
  if (n < INT16_MIN || n > INT16_MAX) return false;
  value = static_cast<int>(n);
  return true;
}

std::string TrimBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// `text` aligned within its own width by the justification letter.
std::string Align(const std::string& text, char justification) {
  const std::string core = TrimBlanks(text);
  const std::size_t width = text.size();
  const std::size_t spare = width - core.size();
  switch (justification) {
    case 'D':
    case 'N':
      return std::string(spare, ' ') + core;
    case 'C':
      return std::string(spare / 2, ' ') + core + std::string(spare - spare / 2, ' ');
    case 'A': {
      std::vector<std::string> words;
      std::size_t letters = 0;
      for (std::size_t i = 0; i < core.size();) {
        const std::size_t end = std::min(core.find(' ', i), core.size());
        words.push_back(core.substr(i, end - i));
        letters += end - i;
        i = core.find_first_not_of(' ', end);
        if (i == std::string::npos) break;
      }
      if (words.size() < 2) return core + std::string(spare, ' ');
      const std::size_t gaps = words.size() - 1;
      const std::size_t blanks = width - letters;
      std::string out = words[0];
      for (std::size_t g = 0; g < gaps; ++g)
        out += std::string(blanks / gaps + (g < blanks % gaps ? 1 : 0), ' ') + words[g + 1];
      return out;
    }
    default:
      return text;
  }
}

struct LayoutState {
  PrintLayout& Out;
  PrintPage Page;
  bool PageHasField = false;
  int Row = 0;
  std::size_t TotalLines = 0;
  char Justification = 0;  // pending alignment of the next field; 0 none

  void FinishPage() {
    if (PageHasField) Out.Pages.push_back(std::move(Page));
    Page = PrintPage{};
    PageHasField = false;
    Row = 0;
  }
  void StartPage(int length) {
    FinishPage();
    Page.Length = length;
  }
  bool Place(int column, const std::string& text, int advance) {
    if (Page.Length > 0 && Row >= Page.Length) StartPage(Page.Length);
    if (static_cast<std::size_t>(Row) >= Page.Lines.size()) {
      TotalLines += Row + 1 - Page.Lines.size();
      if (TotalLines > kMaxTotalLines) return false;
      Page.Lines.resize(Row + 1);
    }
    const std::string aligned = Justification ? Align(text, Justification) : text;
    Justification = 0;
    // Columns before the first one put the field at the left margin.
    const std::size_t start = static_cast<std::size_t>(std::max(column, 1) - 1);
    std::string& line = Page.Lines[Row];
    if (start < kMaxLineWidth) {
      const std::size_t end = std::min(start + aligned.size(), kMaxLineWidth);
      if (line.size() < end) line.resize(end, ' ');
      std::copy(aligned.begin(), aligned.begin() + (end - start), line.begin() + start);
    }
    PageHasField = true;
    if (advance > 0) Row += advance;
    return true;
  }
};

}  // namespace

bool LayOutPrintFile(const std::string& bytes, PrintLayout& layout) {
  layout = PrintLayout{};
  LayoutState state{layout, {}, false, 0, 0, 0};
  std::size_t start = 0;
  int number = 0;
  auto refuse = [&](const std::string& why) {
    layout.Pages.clear();
    layout.Error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++number;
    if (number == 1) {
      if (line.compare(0, 6, "DEVICE") != 0) return refuse("the file does not begin with DEVICE");
      layout.Device = line.substr(6);
      continue;
    }
    if (line.compare(0, 6, "DEVICE") == 0) return refuse("a second DEVICE line");
    if (line.compare(0, 4, "PAGE") == 0) {
      int length = 0;
      if (!ReadNumber(line.substr(4), length)) return refuse("PAGE without a page length");
      state.StartPage(length);
    } else if (line.compare(0, 3, "JUS") == 0) {
      const std::string code = TrimBlanks(line.substr(3));
      const char letter = code.empty() ? 'E' : code[0];
      state.Justification = std::string("CDAEN").find(letter) == std::string::npos ? 'E' : letter;
    } else if (!line.empty() && line[0] == '*') {
      if (line.substr(1) == "@e") state.Justification = 0;
    } else {
      const std::size_t first = line.find(',');
      const std::size_t last = line.rfind(',');
      int column = 0, advance = 0;
      if (first == std::string::npos || first == last || !ReadNumber(line.substr(0, first), column) ||
          !ReadNumber(line.substr(last + 1), advance))
        return refuse("not a line of a print file");
      if (!state.Place(column, line.substr(first + 1, last - first - 1), advance))
        return refuse("the print describes more lines than can be laid out");
    }
  }
  if (number == 0) return refuse("the file is empty");
  state.FinishPage();
  return true;
}

std::string PagesAsText(const PrintLayout& layout, bool for_screen) {
  std::string out;
  for (std::size_t p = 0; p < layout.Pages.size(); ++p) {
    const std::vector<std::string>& lines = layout.Pages[p].Lines;
    std::size_t used = lines.size();
    while (used > 0 && lines[used - 1].find_first_not_of(' ') == std::string::npos) --used;
    if (p > 0) out += for_screen ? "\n" : "\f";
    for (std::size_t i = 0; i < used; ++i) {
      const std::size_t end = lines[i].find_last_not_of(' ');
      out += Cp850ToUtf8(end == std::string::npos ? std::string() : lines[i].substr(0, end + 1));
      out += '\n';
    }
  }
  return out;
}
