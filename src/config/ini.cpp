#include "config/ini.h"

#include "platform/text_lines.h"

namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string TrimmedRight(const std::string& text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

std::string Capitals(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

}  // namespace

std::string ReadIniValue(const std::string& file, const std::string& section,
                         const std::string& key) {
  TextLineReader reader;
  if (!reader.Open(file)) return {};
  const std::string wanted_section = Capitals(Trimmed(section));
  const std::string wanted_key = Capitals(Trimmed(key));

  std::string value;
  bool in_section = false;
  std::string line;
  while (reader.ReadLine(line)) {
    const std::size_t comment = line.find(';');
    if (comment != std::string::npos) line.erase(comment);
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) continue;
    line.erase(0, first);

    if (line[0] == '[') {
      if (in_section) break;  // the wanted section has ended without the key
      const std::size_t close = line.find(']');
      const std::string name = line.substr(1, close == std::string::npos ? std::string::npos
                                                                          : close - 1);
      if (Capitals(Trimmed(name)) == wanted_section) in_section = true;
      continue;
    }
    if (!in_section) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    if (Capitals(TrimmedRight(line.substr(0, equals))) == wanted_key) {
      value = line.substr(equals + 1);
      break;
    }
  }
  reader.Close();

  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  return value;
}
