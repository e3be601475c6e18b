#pragma once
// Option lists of option fields: a text of entries "|code,text" one after the other. The code is
// compared with a field's whole value, so it is written with exactly the field's width. Used by
// the field editor and by the field display of the forms.
#include <cstddef>
#include <string>
#include <vector>

struct OptionEntry {
  std::size_t Start = 0;  // 0-based position of the "|" that begins the entry
  std::string Code;       // from after the "|" to the first comma (or the next "|" or the end)
  std::string Text;       // from after that comma to the next "|" or the end
};

// The entries of `options` in order; text before the first "|" is no entry.
std::vector<OptionEntry> ParseOptionList(const std::string& options);

// Index of the first entry whose code equals `value` exactly; -1 when none does.
int FindOptionByCode(const std::vector<OptionEntry>& entries, const std::string& value);

// Length of the longest option text.
std::size_t OptionTextRoom(const std::vector<OptionEntry>& entries);

// Starting after entry `current` and going round the list once, the first entry whose text begins
// with the same letter as `typed`, both folded to capitals without accents; `current` when none
// does (or the list is empty).
int FindOptionByLetter(const std::vector<OptionEntry>& entries, int current, unsigned char typed);

// `text` blank-padded or cut to `length` characters.
std::string FitText(const std::string& text, std::size_t length);
