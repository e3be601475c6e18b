#include "platform/work_files.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/paths.h"

namespace {

std::FILE* OpenWith(const std::string& path, int flags, const char* mode) {
  const int fd = open(NativePath(path).c_str(), flags | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  std::FILE* file = fdopen(fd, mode);
  if (file == nullptr) close(fd);
  return file;
}

}  // namespace

std::FILE* CreateWorkFile(const std::string& path) {
  return OpenWith(path, O_WRONLY | O_CREAT | O_TRUNC, "wb");
}

std::FILE* OpenWorkFile(const std::string& path) {
  return OpenWith(path, O_RDWR | O_CREAT, "r+b");
}
