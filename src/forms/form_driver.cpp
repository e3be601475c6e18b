#include "forms/form_driver.h"

#include <cmath>
#include <cstdlib>

#include "config/session.h"
#include "console/colour.h"
#include "console/field_editor.h"
#include "console/key_input.h"
#include "console/option_list.h"
#include "console/screen.h"
#include "forms/field_display.h"
#include "forms/form_definition.h"
#include "forms/help_viewer.h"
#include "platform/console_device.h"

FormDriverTable FormDriver;

namespace {

constexpr short kKeyF2 = 0x3C00;

FieldAcceptedHook g_field_accepted;
BrowseChosenHook g_browse_chosen;
FormFinishedHook g_form_finished;

void Colour(const char* text) {
  std::string colour = text;
  SetColour(colour);
}

bool Editable(const FieldDefinition& field) { return (field.FieldFlags & kFieldDisplayOnly) == 0; }

bool AllBlanks(const std::string& text) {
  return text.find_first_not_of(' ') == std::string::npos;
}

std::string WithoutTrailingBlanks(const std::string& text) {
  const std::size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

// First and last editable field of the screen: count + 1 and 0 when there is none.
void EditableRange(const ScreenDefinition& screen, short& first, short& last) {
  const short count = static_cast<short>(screen.Fields.size());
  first = static_cast<short>(count + 1);
  last = 0;
  for (short f = 1; f <= count; ++f) {
    if (!Editable(screen.Fields[static_cast<std::size_t>(f - 1)])) continue;
    if (first > count) first = f;
    last = f;
  }
}

// Keys with which a linked screen hands the leaving on to the screen before it.
bool PassesOn(short key) {
  return key == kKeyPgUp || key == kKeyPgDn || key == kKeyEnd || key == 2 || key == kKeyEnter ||
         key == kKeyDown || key == kKeyUp;
}

// The first editable field under a click at screen position (row, column); 0 when none is hit.
short FieldAtClick(const ScreenDefinition& screen, short key) {
  const int code = -static_cast<int>(key);
  const int row = code % 100 - screen.ScreenWindow[kWindowTop];
  const int column = code / 100 - screen.ScreenWindow[kWindowLeft];
  for (std::size_t j = 0; j < screen.Fields.size(); ++j) {
    const FieldDefinition& field = screen.Fields[j];
    if (!Editable(field)) continue;
    int lines = 1;
    int span = field.FieldWidth;
    if (field.FieldLineWidth != 0) {
      lines = field.FieldWidth / field.FieldLineWidth;
      span = field.FieldLineWidth;
    }
    const int last_row = field.FieldRow + lines - 1;
    const int last_column = field.FieldColumn + static_cast<int>(field.FieldLabel.size()) + span +
                            field.FieldExtraWidth - 1;
    if (row >= field.FieldRow && row <= last_row && column >= field.FieldColumn &&
        column <= last_column)
      return static_cast<short>(j + 1);
  }
  return 0;
}

// Runs the linked screen `next` as a continuation; true when the form is to be left with the key
// it returned.
bool RunLinkedScreen(short next, short& page_up_leaves, short& page_down_leaves, short& key) {
  short linked = static_cast<short>(-next);
  RunForm(linked, page_up_leaves, page_down_leaves, key);
  return PassesOn(key);
}

// Page memory: when PageTarget lies on the chain of ScreenNext links from s, runs the screens
// towards it. True when the form is to be left with the key they returned.
bool FollowPageTarget(short s, short& page_up_leaves, short& page_down_leaves, short& key) {
  short current = s;
  // A chain of links can loop; it never has more distinct screens than were loaded.
  for (int steps = 0; steps <= ScreenCount(); ++steps) {
    const ScreenDefinition* screen = FormScreen(current);
    if (current == FormDriver.PageTarget || FormDriver.PageTarget <= 0 || screen == nullptr ||
        screen->ScreenNext == 0)
      break;
    current = screen->ScreenNext;
  }
  if (current != FormDriver.PageTarget) FormDriver.PageTarget = 0;
  const ScreenDefinition* screen = FormScreen(s);
  if (FormDriver.PageTarget > 0 && FormDriver.PageTarget != s && screen != nullptr &&
      screen->ScreenNext != 0) {
    return RunLinkedScreen(screen->ScreenNext, page_up_leaves, page_down_leaves, key);
  }
  FormDriver.PageTarget = 0;
  return false;
}

// Edits field f of screen s until the program's hook accepts it (or the edit is dropped or is a
// help request). `key` holds the key that ended the edit, 0 after help.
void EditOneField(short s, short f, short& key) {
  FieldDefinition* field = FormField(s, f);
  if (field == nullptr) return;
  const short row = field->FieldRow;
  const short value_column = FieldValueColumn(*field);
  const short width = field->FieldWidth;
  const short extra = field->FieldExtraWidth;
  const short line_width = field->FieldLineWidth;
  const short flags = field->FieldFlags;
  const bool hidden = (flags & kFieldHidden) != 0;
  const std::size_t length = static_cast<std::size_t>(width > 0 ? width : 0);

  std::string buffer = (flags & (kFieldBlankStart | kFieldHidden)) != 0 ? std::string(length, ' ')
                                                                        : field->FieldValue;
  if (hidden) SetKeyMode("h", "");
  if (extra > 0 && Editable(*field)) {
    LocateInWindow(row, static_cast<short>(value_column + width));
    CurrentConsole().WriteBlanks(extra);
  }
  if (Editable(*field)) {
    for (;;) {
      field = FormField(s, f);
      if (field == nullptr) break;
      CurrentOptions = field->FieldOptions;
      short cursor = 1;
      if (flags & kFieldCursorAtEnd)
        cursor = static_cast<short>(WithoutTrailingBlanks(field->FieldValue).size() + 1);
      EditField(row, value_column, line_width, buffer, cursor, key);
      FormDriver.LastFieldText = buffer;
      FormDriver.LastFieldScreen = s;
      FormDriver.LastFieldNumber = f;

      bool rejected = false;
      if (key == kKeyF1) {
        const std::string page = WithoutTrailingBlanks(SessionSettings.MenuName);
        if (!page.empty()) ShowHelp(page);
        key = 0;
      } else if (key == kKeyF4) {
        // Browse lookups on F4 are not wired into this driver; the field is edited again.
        key = 0;
      } else {
        if (extra > 0) {
          // A hidden field's typing never appears on the screen.
          LocateInWindow(row, value_column);
          CurrentConsole().Write(hidden ? std::string(buffer.size(), ' ') : buffer);
          CurrentConsole().WriteBlanks(extra);
        }
        field = FormField(s, f);
        if (key == kKeyEsc) {
          if (field != nullptr) ShowField(*field);
        } else {
          if (field != nullptr && AllBlanks(buffer) &&
              (flags & (kFieldBlankStart | kFieldHidden)) != 0)
            buffer = FitText(field->FieldValue, buffer.size());
          rejected = FieldAccepted(s, buffer, f, key) != 0;
        }
      }
      if (!rejected) break;
      CurrentConsole().Bell();
    }
  }
  buffer.clear();
  if (hidden) SetKeyMode("v", "");
}

}  // namespace

void SetFieldAcceptedHook(FieldAcceptedHook hook) { g_field_accepted = std::move(hook); }
void SetBrowseChosenHook(BrowseChosenHook hook) { g_browse_chosen = std::move(hook); }
void SetFormFinishedHook(FormFinishedHook hook) { g_form_finished = std::move(hook); }

short ProgramFieldAccepted(short screen, std::string& text, short field, short /*key*/) {
  FieldDefinition* definition = FormField(screen, field);
  if (definition == nullptr) return 0;
  definition->FieldValue = FitText(text, definition->FieldValue.size());
  ShowField(*definition);
  return 0;
}

void ProgramBrowseChosen(short& /*browse*/, short& /*screen*/, short& /*field*/) {}

short ProgramFormFinished(short /*screen*/, short /*key*/) { return 0; }

short FieldAccepted(short screen, std::string& text, short field, short key) {
  return g_field_accepted ? g_field_accepted(screen, text, field, key)
                          : ProgramFieldAccepted(screen, text, field, key);
}

void BrowseChosen(short& browse, short& screen, short& field) {
  if (g_browse_chosen)
    g_browse_chosen(browse, screen, field);
  else
    ProgramBrowseChosen(browse, screen, field);
}

short FormFinished(short screen, short key) {
  return g_form_finished ? g_form_finished(screen, key) : ProgramFormFinished(screen, key);
}

void ShowScreen(short screen) {
  ScreenDefinition* s = FormScreen(screen);
  if (s == nullptr) return;
  ConsoleDevice& console = CurrentConsole();
  Colour("rh");
  const std::string& title = SessionSettings.MenuTitle;
  const int column = 41 - static_cast<int>(std::nearbyint(static_cast<double>(title.size()) / 2));
  console.SetCursorPosition(1, column < 1 ? 1 : column);
  console.Write(title);
  Colour("n");
  for (const FieldDefinition& field : s->Fields) {
    LocateInWindow(field.FieldRow, field.FieldColumn);
    console.Write(field.FieldLabel);
  }
  Colour("h");
  for (const FieldDefinition& field : s->Fields) ShowField(field);
}

void RunForm(short& screen, short& page_up_leaves, short& page_down_leaves, short& key) {
  const bool continuation = screen < 0;
  const int absolute = std::abs(static_cast<int>(screen));
  screen = static_cast<short>(absolute > 32767 ? 32767 : absolute);
  const short s = screen;
  if (FormScreen(s) == nullptr) return;

  // A window that the screen layer refuses (off the screen) is not popped afterwards either.
  bool window_open = false;
  if (FormScreen(s)->ScreenWindow[kWindowTop] != 0) {
    const short* w = FormScreen(s)->ScreenWindow;
    const short depth = WindowState.WindowDepth;
    Colour("+n");
    PushWindow(w[kWindowTop], w[kWindowLeft], w[kWindowBottom], w[kWindowRight]);
    window_open = WindowState.WindowDepth > depth;
    if (window_open) DrawFrame(2);
    Colour("-");
  }
  ShowScreen(s);

  short first = 0, last = 0;
  EditableRange(*FormScreen(s), first, last);
  bool run_fields = first <= last;
  if (run_fields && FollowPageTarget(s, page_up_leaves, page_down_leaves, key)) run_fields = false;

  for (;;) {
    short f = first;
    while (run_fields && f >= first && f <= last) {
      const ScreenDefinition* current = FormScreen(s);
      if (current == nullptr) break;
      SetKeyMode("+ea", current->ScreenExitKeys + ",3b00");
      EditOneField(s, f, key);
      EditableRange(*FormScreen(s), first, last);
      SetKeyMode("-", "");

      const short next = FormScreen(s)->ScreenNext;
      if (key == kKeyPgUp) {
        const bool leave = !(f > first || page_up_leaves == 0);
        f = leave ? 0 : first;
        FormDriver.PageTarget = leave ? s : 0;
      } else if (key == kKeyPgDn) {
        const bool leave = !(f < last || page_down_leaves == 0);
        f = leave ? 0 : last;
        FormDriver.PageTarget = leave ? s : 0;
      } else if (key == kKeyEnd || key == 2) {
        f = 0;
      } else if (key == kKeyEsc) {
        f = f > first ? first : 0;
      } else if (key == kKeyEnter || key == kKeyDown || key == kKeyF2) {
        if ((f == last || key == kKeyF2) && next > 0) {
          if (RunLinkedScreen(next, page_up_leaves, page_down_leaves, key)) f = 0;
        } else if (key == kKeyEnter) {
          ++f;
        } else if (key == kKeyDown && f < last) {
          ++f;
        }
      } else if (key == kKeyUp) {
        if (f > first) {
          --f;
        } else if (continuation) {
          key = kKeyEsc;
          f = 0;
        }
      } else if (key < 0) {
        const short hit = FieldAtClick(*FormScreen(s), key);
        if (hit != 0) f = hit;
      } else if (key != 0) {
        f = 0;
      }
    }
    // The fields run again only when there are any; otherwise the hook's answer would loop.
    if (FormFinished(s, key) == 0 || first > last) break;
    run_fields = true;
  }

  if (window_open) PopWindow();
  FormDriver.LastFieldText.clear();
  FormDriver.LastFieldScreen = 0;
  FormDriver.LastFieldNumber = 0;
}

std::string RunPrintDialogue() {
  Colour("n");
  CurrentConsole().Clear();
  if (!FormScreenUsable(1)) {
    ShowFormFileMessage();
    return std::string();
  }
  FieldDefinition* answer = FormField(1, 1);
  answer->FieldValue.assign(answer->FieldValue.size(), ' ');
  short screen = 1, page_up = 0, page_down = 0, key = 0;
  RunForm(screen, page_up, page_down, key);
  answer = FormField(1, 1);
  return answer != nullptr ? answer->FieldValue : std::string();
}

void ResetFormDriver() {
  FormDriver = FormDriverTable{};
  g_field_accepted = nullptr;
  g_browse_chosen = nullptr;
  g_form_finished = nullptr;
}
