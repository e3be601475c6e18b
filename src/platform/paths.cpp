#include "platform/paths.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/codepage.h"

namespace {

// Case folding for the comparison of names: ASCII letters and the Latin-1 letters of the code page.
std::u32string Folded(const std::string& utf8) {
  std::u32string out;
  for (std::size_t pos = 0; pos < utf8.size();) {
    char32_t c;
    pos += DecodeUtf8(utf8, pos, c);
    if (c >= 'a' && c <= 'z')
      c -= 32;
    else if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
      c -= 32;
    out += c;
  }
  return out;
}

bool Exists(const std::string& native) {
  struct stat st;
  return lstat(native.c_str(), &st) == 0;
}

// The entry of `directory` whose name equals `name` but for case, or empty when none does.
std::string MatchInDirectory(const std::string& directory, const std::string& name) {
  DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
  if (dir == nullptr) return {};
  const std::u32string wanted = Folded(name);
  std::string found;
  while (dirent* entry = readdir(dir)) {
    const std::string candidate = entry->d_name;
    if (Folded(candidate) == wanted) {
      found = candidate;
      break;
    }
  }
  closedir(dir);
  return found;
}

}  // namespace

std::string NativePath(const std::string& path) {
  std::string slashed = path;
  for (char& c : slashed)
    if (c == '\\') c = '/';
  const std::string utf8 = Cp850ToUtf8(slashed);
  if (utf8.empty() || Exists(utf8)) return utf8;

  std::string result;
  std::size_t pos = 0;
  if (utf8[0] == '/') {
    result = "/";
    pos = 1;
  }
  bool matching = true;  // once a component is missing, nothing below it can exist
  while (pos <= utf8.size()) {
    std::size_t end = utf8.find('/', pos);
    if (end == std::string::npos) end = utf8.size();
    const std::string component = utf8.substr(pos, end - pos);
    std::string chosen = component;
    if (matching && !component.empty() && component != "." && component != "..") {
      const std::string candidate = result + component;
      if (!Exists(candidate)) {
        const std::string match = MatchInDirectory(result, component);
        if (match.empty())
          matching = false;
        else
          chosen = match;
      }
    }
    result += chosen;
    if (end == utf8.size()) break;
    result += '/';
    pos = end + 1;
  }
  return result;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(NativePath(path).c_str(), &st) == 0;
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool RemoveFile(const std::string& path) { return unlink(NativePath(path).c_str()) == 0; }
