#pragma once
// The program's form definition: the screens of its console dialogue, the fields of each screen
// with their values, and the browse definitions that F4 opens. Loaded once at start-up from
// RootDirectory + "FORMS\" + ModuleName + ".TPN", with labels, options and titles translated into
// the session language; afterwards only the field values change.
//
// The file is comma-separated text: values are separated by commas or line ends, blanks, carriage
// returns and line feeds before a value are skipped, a value between double quotes may hold commas
// and blanks. Lines starting (after blanks) with an apostrophe are comments, but only at the start
// of a group (before the header, each screen, the browse count and each browse entry). Layout:
//   screen count, largest field count
//   per screen: exit keys, field count, next screen, top, left, bottom, right
//     per field: row, column, label, width, line width, extra width, flags, check code,
//                browse number, options
//   browse count
//   per browse: file, key, top, left, bottom, right, form screen, title, chained browse
// Numbers are decimal; fractions round to the nearest integer, halves to even; values beyond the
// 16-bit range are clipped to it; text that is no number reads as 0.
//
// Screens, fields and browse entries are numbered from 1 as in the file (browse entry 0 exists
// and stays empty). Use the accessors below: they return nullptr for anything not loaded.
#include <string>
#include <vector>

// Field flag values (sums of them in FieldFlags).
inline constexpr short kFieldBlankStart = 1;   // edit from blank; an empty answer keeps the value
inline constexpr short kFieldHidden = 2;       // as 1, masked while typed and never shown
inline constexpr short kFieldDisplayOnly = 4;  // shown, never edited
inline constexpr short kFieldCursorAtEnd = 8;  // the cursor starts after the last non-blank

struct FieldDefinition {
  short FieldRow = 0;         // row relative to the screen's window
  short FieldColumn = 0;      // column of the label; the value follows the label
  std::string FieldLabel;     // translated
  short FieldWidth = 0;       // length of the value
  short FieldLineWidth = 0;   // 0: one line; otherwise lines of this many characters
  short FieldExtraWidth = 0;  // columns after the value that belong to the field
  short FieldFlags = 0;
  short FieldCheckCode = 0;   // for the program's field hook
  short FieldBrowse = 0;      // browse definition opened by F4 (0 = none)
  std::string FieldOptions;   // option list "|code,text|code,text", translated; empty: free text
  std::string FieldValue;     // always FieldWidth characters (blanks after loading)
};

// Frame rectangle indices of ScreenWindow.
inline constexpr int kWindowTop = 0;
inline constexpr int kWindowLeft = 1;
inline constexpr int kWindowBottom = 2;
inline constexpr int kWindowRight = 3;

struct ScreenDefinition {
  std::string ScreenExitKeys;         // key list of the keys that end editing on this screen
  short ScreenFieldCount = 0;         // equals Fields.size()
  short ScreenNext = 0;               // screen that continues this one (0 = none)
  short ScreenWindow[4] = {0, 0, 0, 0};  // top, left, bottom, right; top 0: no window of its own
  std::vector<FieldDefinition> Fields;   // field f at Fields[f - 1]
};

// Items: 0 data file number, 1 key number, 2-5 frame top, left, bottom, right, 6 form screen run
// before the browse, 7 chained browse.
struct BrowseDefinition {
  short Item[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  std::string Title;  // translated
};

struct FormDefinitionTable {
  bool FileRead = false;        // the file could be opened and was read
  short LargestFieldCount = 0;  // as the header states it
  std::vector<ScreenDefinition> Screens;  // screen s at Screens[s - 1]
  std::vector<BrowseDefinition> Browses;  // entries 0 to the browse count (empty: none loaded)
};
extern FormDefinitionTable FormDefinition;

// Reads the form definition file of the module into FormDefinition, replacing what was there. A
// file that cannot be opened loads nothing and reports nothing.
void LoadFormDefinition();
// Path of that file as the suite writes it (code page 850, backslashes).
std::string FormDefinitionPath();
// The same reading from a file at `path` (code page 850) or from text held in memory; false when
// the file cannot be opened.
bool LoadFormDefinitionFile(const std::string& path);
void LoadFormDefinitionText(const std::string& text);

// Empties the tables (the state before loading).
void ResetFormDefinition();

// Number of screens and browse definitions loaded.
short ScreenCount();
short BrowseCount();
// Screen s, field f of screen s, browse entry j (0 to BrowseCount()); nullptr outside.
ScreenDefinition* FormScreen(short screen);
FieldDefinition* FormField(short screen, short field);
BrowseDefinition* FormBrowse(short number);

// Column at which the field's value starts: FieldColumn + length of FieldLabel.
short FieldValueColumn(const FieldDefinition& field);

// True when the screen was loaded with at least one field.
bool FormScreenUsable(short screen);

// For a form file that is missing, unreadable or without a usable first screen: a message window
// in the session language naming the file, closed again after a key.
void ShowFormFileMessage();
// The text of that message (code page 850).
std::string FormFileMessageText();
