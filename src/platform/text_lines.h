#pragma once
// The suite's text lines: a carriage return ends a line, a line feed right after it belongs to the
// line end, a lone line feed is an ordinary character, and byte 26 ends the text.
#include <cstdio>
#include <string>

class TextLineReader {
 public:
  TextLineReader() = default;
  ~TextLineReader();
  TextLineReader(const TextLineReader&) = delete;
  TextLineReader& operator=(const TextLineReader&) = delete;

  // Opens a file (code page 850 path) for reading; false when it cannot be opened.
  bool Open(const std::string& path);
  // Reads from a text held in memory instead of a file.
  void OpenText(std::string text);
  void Close();

  // True when no line is left: the end of the data or a byte 26 has been reached.
  bool AtEnd();
  // The next line without its line end; false (and an empty line) when AtEnd().
  bool ReadLine(std::string& line);

 private:
  int Next();  // next byte, or -1 at the end of the text
  int Peek();

  std::FILE* file_ = nullptr;
  std::string text_;
  std::size_t pos_ = 0;
  bool from_text_ = false;
  bool ended_ = true;
};
