#include "platform/text_lines.h"

#include "platform/paths.h"

TextLineReader::~TextLineReader() { Close(); }

bool TextLineReader::Open(const std::string& path) {
  Close();
  file_ = std::fopen(NativePath(path).c_str(), "rb");
  if (file_ == nullptr) return false;
  ended_ = false;
  return true;
}

void TextLineReader::OpenText(std::string text) {
  Close();
  text_ = std::move(text);
  pos_ = 0;
  from_text_ = true;
  ended_ = false;
}

void TextLineReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  text_.clear();
  pos_ = 0;
  from_text_ = false;
  ended_ = true;
}

int TextLineReader::Next() {
  if (ended_) return -1;
  int c;
  if (from_text_)
    c = pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_++]) : -1;
  else
    c = std::getc(file_);  // read errors count as the end of the text
  if (c == 26 || c == EOF) {
    ended_ = true;
    return -1;
  }
  return c;
}

int TextLineReader::Peek() {
  if (ended_) return -1;
  int c;
  if (from_text_) {
    c = pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_]) : -1;
  } else {
    c = std::getc(file_);
    if (c != EOF) std::ungetc(c, file_);
  }
  if (c == 26 || c == EOF) {
    ended_ = true;
    return -1;
  }
  return c;
}

bool TextLineReader::AtEnd() { return Peek() < 0; }

bool TextLineReader::ReadLine(std::string& line) {
  line.clear();
  if (AtEnd()) return false;
  for (int c = Next(); c >= 0; c = Next()) {
    if (c == '\r') {
      if (Peek() == '\n') Next();
      break;
    }
    line += static_cast<char>(c);
  }
  return true;
}
