#pragma once
// Work files of the temporary directory (print file, window stack file, browse file): created
// owner-only, truncated when they exist, never through a symbolic link.
#include <cstdio>
#include <string>

// Opens `path` (code page 850) for writing from its start; nullptr on failure (a symbolic link
// in the last component is a failure).
std::FILE* CreateWorkFile(const std::string& path);
// Opens `path` for reading and writing without truncating it, creating it owner-only when it does
// not exist; nullptr on failure or when the last component is a symbolic link.
std::FILE* OpenWorkFile(const std::string& path);
