#include "config/language.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/session.h"
#include "platform/paths.h"
#include "platform/text_lines.h"

std::string LanguageFileName;

namespace {

// Creates the file empty when it does not exist (an existing one is left as it is); true when
// it is then a regular file that can be read. Never blocks on a FIFO or device.
bool EnsureLanguageFile(const std::string& path) {
  const std::string native = NativePath(path);
  const int fd = open(native.c_str(), O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  struct stat info;
  const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  close(fd);
  return regular;
}

}  // namespace

std::string TranslateText(const std::string& text) {
  const std::string& code = SessionSettings.LanguageCode;
  if (code == "CAT") return text;
  if (LanguageFileName.empty()) LanguageFileName = ModuleName;

  const std::string path = SessionSettings.RootDirectory + "LOCALE\\" + LanguageFileName + ".LNG";
  if (!EnsureLanguageFile(path)) return text;
  TextLineReader reader;
  if (!reader.Open(path)) return text;

  std::string result = text;
  std::string key;
  std::string translation[3];  // Galician, Aranese, Spanish
  while (!reader.AtEnd()) {
    reader.ReadLine(key);
    if (reader.AtEnd()) break;  // a key on the last line has no translations
    for (std::string& line : translation) reader.ReadLine(line);  // missing lines read as empty
    if (key == text) {
      if (code == "SPA")
        result = translation[2];
      else if (code == "GLG")
        result = translation[0];
      else if (code == "OCI")
        result = translation[1];
      break;
    }
  }
  return result;
}
