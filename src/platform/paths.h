#pragma once
// The suite builds Windows-style paths by concatenation ("DADES\TRemeses"). NativePath is the one
// place where such a path becomes a path of this file system.
#include <string>

// `path` is code page 850 text. Backslashes become slashes; each component that does not exist as
// written is matched case-insensitively among the entries of its directory (installations copied
// from Windows mix cases). Components that match nothing are kept as written. The result is UTF-8.
std::string NativePath(const std::string& path);

bool FileExists(const std::string& path);       // code page 850 path, any kind of file
bool DirectoryExists(const std::string& path);  // code page 850 path
bool RemoveFile(const std::string& path);       // code page 850 path; false when nothing was removed
