#pragma once
// Form driver: shows one screen of the form definition and walks the operator through its
// fields. Each field is edited with EditField under the screen's exit keys plus F1; the key that
// ends an edit decides where to go: PgUp and PgDn to the first or last editable field (or out of
// the form when the caller allows it), Esc back to the first field or out, Enter, Down and F2 on
// to the next field or into the linked screen (ScreenNext), Up back, a mouse click to the field
// hit, F1 to the help page named by the session's MenuName, End and any other key out of the form.
// Linked screens run recursively inside the field loop of the screen before them.
//
// Three program hooks let a program add its own rules; each can be registered, and an empty
// registration gives back this program's behaviour.
#include <functional>
#include <string>

// Process-wide state of the driver.
struct FormDriverTable {
  // Screen on which the operator left a chain of screens with PgUp or PgDn (0 = none); running
  // the form again on a screen whose chain reaches it goes straight there.
  short PageTarget = 0;
  // The field just edited: its edit buffer, screen and field number (empty and 0 when the form
  // has ended). For the program's hooks.
  std::string LastFieldText;
  short LastFieldScreen = 0;
  short LastFieldNumber = 0;
};
extern FormDriverTable FormDriver;

// Called after each edit not left with F1, F4 or Esc, with the edit buffer; a result other than
// 0 rejects the edit (bell, the field is edited again). This program's hook stores the text in
// the field's value (blank-padded or cut to its width), shows the field again and returns 0.
using FieldAcceptedHook = std::function<short(short screen, std::string& text, short field,
                                              short key)>;
// Called after a browse opened with F4 returned a choice (and after a chained browse). This
// program's hook does nothing.
using BrowseChosenHook = std::function<void(short& browse, short& screen, short& field)>;
// Called when the field loop ends; a result other than 0 runs the fields again from the first
// editable one. This program's hook returns 0.
using FormFinishedHook = std::function<short(short screen, short key)>;

void SetFieldAcceptedHook(FieldAcceptedHook hook);
void SetBrowseChosenHook(BrowseChosenHook hook);
void SetFormFinishedHook(FormFinishedHook hook);

// This program's hooks.
short ProgramFieldAccepted(short screen, std::string& text, short field, short key);
void ProgramBrowseChosen(short& browse, short& screen, short& field);
short ProgramFormFinished(short screen, short key);

// The hooks as the driver calls them: the registered one, or this program's.
short FieldAccepted(short screen, std::string& text, short field, short key);
void BrowseChosen(short& browse, short& screen, short& field);
short FormFinished(short screen, short key);

// Runs `screen` and returns in `key` the key with which the form was left. A negative screen runs
// as the continuation of the screen before it (Up on its first field leaves with Esc); `screen`
// is made positive. With `page_up_leaves` not 0 PgUp on the first editable field leaves the form,
// with `page_down_leaves` not 0 PgDn on the last one; otherwise they move to the first or last
// editable field. A screen that was not loaded, or has no editable field, is drawn (when loaded)
// and left at once with `key` unchanged.
void RunForm(short& screen, short& page_up_leaves, short& page_down_leaves, short& key);

// Draws the session's MenuTitle centred on row 1, then every label and value of the screen.
void ShowScreen(short screen);

// This program's print dialogue: colour "n", a cleared screen, the first field of screen 1 blanked
// and screen 1 run. Returns that field's value afterwards (the caller prints only for exactly
// "S"). When the form has no screen 1 with a field (a missing or unreadable form file), shows the
// message that names the form file, waits for a key and returns an empty text.
std::string RunPrintDialogue();

// Start state of the driver and of the hooks (for tests).
void ResetFormDriver();
