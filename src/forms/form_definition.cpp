#include "forms/form_definition.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "config/language.h"
#include "config/session.h"
#include "console/key_input.h"
#include "console/screen.h"
#include "platform/paths.h"

FormDefinitionTable FormDefinition;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Sequential reading of the comma-separated values of a form file held in memory.
class FormFileReader {
 public:
  explicit FormFileReader(const std::string& text) : text_(text) {
    const std::size_t eof = text_.find('\x1a');  // byte 26 ends the text
    end_ = eof == std::string::npos ? text_.size() : eof;
  }

  bool AtEnd() const { return pos_ >= end_; }

  // Skips whole lines that start (after blanks) with an apostrophe; stops at the start of the
  // first line that does not.
  void SkipComments() {
    while (!AtEnd()) {
      std::size_t p = pos_;
      while (p < end_ && IsBlank(text_[p])) ++p;
      if (p >= end_ || text_[p] != '\'') return;
      while (p < end_ && !IsLineEnd(text_[p])) ++p;
      pos_ = AfterLineEnd(p);
    }
  }

  // The next value as text: quoted values keep everything between the quotes, unquoted ones lose
  // their trailing blanks. At the end of the text the value is empty.
  std::string ReadText() {
    while (!AtEnd() && (IsBlank(text_[pos_]) || IsLineEnd(text_[pos_]))) ++pos_;
    std::string value;
    if (AtEnd()) return value;
    if (text_[pos_] == '"') {
      ++pos_;
      while (!AtEnd() && text_[pos_] != '"' && !IsLineEnd(text_[pos_])) value += text_[pos_++];
      if (!AtEnd() && text_[pos_] == '"') ++pos_;
      // Anything between the closing quote and the separator is not part of the value.
      while (!AtEnd() && text_[pos_] != ',' && !IsLineEnd(text_[pos_])) ++pos_;
    } else {
      while (!AtEnd() && text_[pos_] != ',' && !IsLineEnd(text_[pos_])) value += text_[pos_++];
      while (!value.empty() && IsBlank(value.back())) value.pop_back();
    }
    SkipSeparator();
    return value;
  }

  short ReadNumber() { return NumberValue(ReadText()); }

 private:
  std::size_t AfterLineEnd(std::size_t p) const {
    if (p < end_ && text_[p] == '\r') {
      ++p;
      if (p < end_ && text_[p] == '\n') ++p;
    } else if (p < end_ && text_[p] == '\n') {
      ++p;
    }
    return p;
  }

  void SkipSeparator() {
    if (AtEnd()) return;
    if (text_[pos_] == ',')
      ++pos_;
    else
      pos_ = AfterLineEnd(pos_);
  }

  // Decimal number at the start of the text (sign, digits, fraction, exponent E or D), rounded
  // half to even and clipped to 16 bits; 0 when the text does not start with a number.
  static short NumberValue(const std::string& text) {
    std::size_t p = 0;
    while (p < text.size() && IsBlank(text[p])) ++p;
    std::string number;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) number += text[p++];
    bool digits = false;
    while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
      number += text[p++];
      digits = true;
    }
    if (p < text.size() && text[p] == '.') {
      number += text[p++];
      while (p < text.size() && text[p] >= '0' && text[p] <= '9') {
        number += text[p++];
        digits = true;
      }
    }
    if (!digits) return 0;
    if (p < text.size() && (text[p] == 'E' || text[p] == 'e' || text[p] == 'D' || text[p] == 'd')) {
      std::string exponent = "e";
      std::size_t q = p + 1;
      if (q < text.size() && (text[q] == '+' || text[q] == '-')) exponent += text[q++];
      bool exponent_digits = false;
      while (q < text.size() && text[q] >= '0' && text[q] <= '9' && exponent.size() < 8) {
        exponent += text[q++];
        exponent_digits = true;
      }
      if (exponent_digits) number += exponent;
    }
    const double value = std::nearbyint(std::strtod(number.c_str(), nullptr));
    if (!(value > -32768.0)) return -32768;
    if (value > 32767.0) return 32767;
    return static_cast<short>(value);
  }

  const std::string& text_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
};

// An empty text has nothing to translate.
std::string Translated(const std::string& text) {
  return text.empty() ? text : TranslateText(text);
}

void ReadScreen(FormFileReader& reader, ScreenDefinition& screen) {
  screen.ScreenExitKeys = reader.ReadText();
  const short field_count = reader.ReadNumber();
  screen.ScreenNext = reader.ReadNumber();
  for (short& corner : screen.ScreenWindow) corner = reader.ReadNumber();
  for (short f = 0; f < field_count; ++f) {
    if (reader.AtEnd()) break;  // the file ended before this field record
    FieldDefinition field;
    field.FieldRow = reader.ReadNumber();
    field.FieldColumn = reader.ReadNumber();
    field.FieldLabel = reader.ReadText();
    field.FieldWidth = reader.ReadNumber();
    field.FieldLineWidth = reader.ReadNumber();
    field.FieldExtraWidth = reader.ReadNumber();
    field.FieldFlags = reader.ReadNumber();
    field.FieldCheckCode = reader.ReadNumber();
    field.FieldBrowse = reader.ReadNumber();
    field.FieldOptions = reader.ReadText();
    field.FieldValue.assign(static_cast<std::size_t>(std::max<short>(field.FieldWidth, 0)), ' ');
    field.FieldLabel = Translated(field.FieldLabel);
    field.FieldOptions = Translated(field.FieldOptions);
    screen.Fields.push_back(std::move(field));
  }
  screen.ScreenFieldCount = static_cast<short>(screen.Fields.size());
}

void ReadBrowse(FormFileReader& reader, BrowseDefinition& browse) {
  for (int i = 0; i < 7; ++i) browse.Item[i] = reader.ReadNumber();
  browse.Title = Translated(reader.ReadText());
  browse.Item[7] = reader.ReadNumber();
}

// Reads a whole file (code page 850 path) that is a regular file; false when it cannot be read.
// Never blocks on a FIFO or a device.
bool ReadWholeFile(const std::string& path, std::string& contents) {
  const std::string native = NativePath(path);
  const int fd = open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return false;
  }
  contents.clear();
  char buffer[8192];
  bool ok = true;
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      ok = false;
      break;
    }
    contents.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  return ok;
}

}  // namespace

std::string FormDefinitionPath() {
  return SessionSettings.RootDirectory + "FORMS\\" + ModuleName + ".TPN";
}

void LoadFormDefinition() { LoadFormDefinitionFile(FormDefinitionPath()); }

bool LoadFormDefinitionFile(const std::string& path) {
  ResetFormDefinition();
  std::string contents;
  if (!ReadWholeFile(path, contents)) return false;
  LoadFormDefinitionText(contents);
  return true;
}

void LoadFormDefinitionText(const std::string& text) {
  ResetFormDefinition();
  FormDefinition.FileRead = true;
  FormFileReader reader(text);
  enum class State { Header, Screens, BrowseCount, Browses, Done };
  State state = State::Header;
  short screen_count = 0;
  short screen_counter = 0;
  short browse_count = 0;
  short entry_counter = 0;
  while (!reader.AtEnd() && state != State::Done) {
    reader.SkipComments();  // at the end of the text the state is still processed once
    switch (state) {
      case State::Header:
        screen_count = std::max<short>(reader.ReadNumber(), 0);
        FormDefinition.LargestFieldCount = reader.ReadNumber();
        FormDefinition.Screens.resize(static_cast<std::size_t>(screen_count));
        screen_counter = 0;
        state = screen_count > 0 ? State::Screens : State::BrowseCount;
        break;
      case State::Screens:
        ++screen_counter;
        ReadScreen(reader, FormDefinition.Screens[static_cast<std::size_t>(screen_counter - 1)]);
        if (screen_counter == screen_count) state = State::BrowseCount;
        break;
      case State::BrowseCount:
        browse_count = std::max<short>(reader.ReadNumber(), 0);
        FormDefinition.Browses.resize(static_cast<std::size_t>(browse_count) + 1);
        entry_counter = 0;
        state = browse_count > 0 ? State::Browses : State::Done;
        break;
      case State::Browses:
        ++entry_counter;
        ReadBrowse(reader, FormDefinition.Browses[static_cast<std::size_t>(entry_counter)]);
        if (entry_counter == browse_count) state = State::Done;
        break;
      case State::Done:
        break;
    }
  }
}

void ResetFormDefinition() { FormDefinition = FormDefinitionTable{}; }

short ScreenCount() { return static_cast<short>(FormDefinition.Screens.size()); }

short BrowseCount() {
  return FormDefinition.Browses.empty() ? 0
                                        : static_cast<short>(FormDefinition.Browses.size() - 1);
}

ScreenDefinition* FormScreen(short screen) {
  if (screen < 1 || screen > ScreenCount()) return nullptr;
  return &FormDefinition.Screens[static_cast<std::size_t>(screen - 1)];
}

FieldDefinition* FormField(short screen, short field) {
  ScreenDefinition* s = FormScreen(screen);
  if (s == nullptr || field < 1 || static_cast<std::size_t>(field) > s->Fields.size())
    return nullptr;
  return &s->Fields[static_cast<std::size_t>(field - 1)];
}

BrowseDefinition* FormBrowse(short number) {
  if (number < 0 || static_cast<std::size_t>(number) >= FormDefinition.Browses.size())
    return nullptr;
  return &FormDefinition.Browses[static_cast<std::size_t>(number)];
}

short FieldValueColumn(const FieldDefinition& field) {
  const long column = static_cast<long>(field.FieldColumn) + static_cast<long>(field.FieldLabel.size());
  return static_cast<short>(std::clamp<long>(column, -32768, 32767));
}

bool FormScreenUsable(short screen) {
  const ScreenDefinition* s = FormScreen(screen);
  return s != nullptr && !s->Fields.empty();
}

std::string FormFileMessageText() {
  const std::string& language = SessionSettings.LanguageCode;
  std::string text;
  if (language == "SPA")
    text = "NO SE PUEDE LEER EL FORMULARIO ";
  else if (language == "GLG")
    text = "NON SE PODE LER O FORMULARIO ";
  else if (language == "OCI")
    text = "NON SE P\xe3T LEGIR ETH FORMULARI ";
  else
    text = "NO ES POT LLEGIR EL FORMULARI ";
  return text + FormDefinitionPath();
}

void ShowFormFileMessage() {
  const short depth = WindowState.WindowDepth;
  std::string text = FormFileMessageText();
  ShowMessage(12, text);
  short key = 0;
  WaitKey(key);
  if (WindowState.WindowDepth > depth) PopWindow();
}
