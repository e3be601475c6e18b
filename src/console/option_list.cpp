#include "console/option_list.h"

#include <algorithm>

#include "console/field_editor.h"

std::vector<OptionEntry> ParseOptionList(const std::string& options) {
  std::vector<OptionEntry> entries;
  std::size_t bar = options.find('|');
  while (bar != std::string::npos) {
    const std::size_t next = options.find('|', bar + 1);
    const std::size_t end = next == std::string::npos ? options.size() : next;
    const std::string body = options.substr(bar + 1, end - bar - 1);
    OptionEntry entry;
    entry.Start = bar;
    const std::size_t comma = body.find(',');
    if (comma == std::string::npos) {
      entry.Code = body;
    } else {
      entry.Code = body.substr(0, comma);
      entry.Text = body.substr(comma + 1);
    }
    entries.push_back(std::move(entry));
    bar = next;
  }
  return entries;
}

int FindOptionByCode(const std::vector<OptionEntry>& entries, const std::string& value) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].Code == value) return static_cast<int>(i);
  }
  return -1;
}

std::size_t OptionTextRoom(const std::vector<OptionEntry>& entries) {
  std::size_t room = 0;
  for (const OptionEntry& entry : entries) room = std::max(room, entry.Text.size());
  return room;
}

int FindOptionByLetter(const std::vector<OptionEntry>& entries, int current, unsigned char typed) {
  const int count = static_cast<int>(entries.size());
  if (count == 0) return current;
  const char letter = FoldUpper(std::string(1, static_cast<char>(typed)), true)[0];
  if (letter == ' ') return current;  // a symbol folds to a blank and matches nothing
  const int from = current >= 0 && current < count ? current : 0;
  for (int step = 1; step <= count; ++step) {
    const int i = (from + step) % count;
    const std::string& text = entries[static_cast<std::size_t>(i)].Text;
    if (!text.empty() && FoldUpper(text.substr(0, 1), true)[0] == letter) return i;
  }
  return current;
}

std::string FitText(const std::string& text, std::size_t length) {
  std::string fitted = text.substr(0, std::min(text.size(), length));
  fitted.resize(length, ' ');
  return fitted;
}
