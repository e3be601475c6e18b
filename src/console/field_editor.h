#pragma once
// Field editor: edits one field of a form in place on the screen. Free-text fields take
// characters (insert or overwrite by the keyboard's Insert toggle), cursor moves, word jumps
// (separators " ,.;:"), deleting, clearing (Ctrl+Y, Ctrl+Home), copy and paste through the
// clipboard (Ctrl+C, Ctrl+V), several lines and a mask character (EchoMask). Option fields
// (CurrentOptions not empty) show the current option's text between two triangles and step
// through the list. Every key the editor does not consume is checked against the exit key set
// (ExitKeySet, colour.h): a key of the set ends the editing and is reported by its report code.
#include <string>

// Option list of the field being edited ("|code,text|code,text..."), empty for free text. The
// form driver sets it before each EditField.
extern std::string CurrentOptions;

// Edits `value` (its length never changes) at `row`, `column` relative to the innermost window
// (0: the current cursor row or column), in lines of `line_width` characters (0: one line).
// `cursor` is the 1-based cursor position in the value, in and out (limited to 1 to length + 1).
// On return `key` holds the key that ended the editing, or its report code from the exit key set;
// a mouse click outside the field gives -(column x 100 + row) in screen coordinates. The field is
// edited in colour "u" and left in colour "h"; the cursor ends at (row, column).
void EditField(short row, short column, short line_width, std::string& value, short& cursor,
               short& key);

// The exit check of a key that the editor did not consume: Shift+Tab becomes Up, Tab becomes
// Enter, Enter becomes End when End is an exit key, Ctrl+F4 and Alt+F4 become Esc. Then true
// (with `key` set to what the editor returns) when the editing ends: with an empty exit key set
// always, for a key of the set with its report code, for a negative key unchanged. False when the
// key is to be ignored.
bool CheckExitKey(short& key);

// Maps every character of code 64 to 237 through one of two tables: with `fold_accents` letters
// lose case and accents (the euro sign 213 becomes "E") and every other symbol becomes a blank;
// without it the text is upper-cased in code page 850 (a-z and the accented small letters that
// have a capital).
std::string FoldUpper(const std::string& text, bool fold_accents);
