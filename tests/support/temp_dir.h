#pragma once
// A scratch directory for one test, removed with everything in it at the end.
#include <cstdlib>
#include <fstream>
#include <string>

class TempDir {
 public:
  TempDir() {
    char templ[] = "/tmp/banklist_test_XXXXXX";
    if (mkdtemp(templ) != nullptr) path_ = templ;
  }
  ~TempDir() {
    if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The directory with a trailing slash, ready for concatenation.
  std::string Path() const { return path_ + "/"; }

  // Writes `bytes` to a file below the directory and returns its full path.
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string full = Path() + name;
    std::ofstream(full, std::ios::binary) << bytes;
    return full;
  }

 private:
  std::string path_;
};
