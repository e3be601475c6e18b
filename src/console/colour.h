#pragma once
// Colour and key-set attribute strings. The current colour is one of the five slots of the
// session's colour scheme, chosen with short strings ("n", "h", "rh", "u", "+rh", "-"); the key
// set that ends field editing is changed with command strings ("+ea", "-", "e", "a", "d", "h",
// "v") and a key list of hexadecimal codes ("4d00,4b00,1b=4f00").
#include <string>

// Slot numbers of the colour scheme.
inline constexpr short kSlotHighlight = 0;  // H
inline constexpr short kSlotNormal = 1;     // N
inline constexpr short kSlotReverse = 2;    // R
inline constexpr short kSlotNormalReverse = 3;  // NR
inline constexpr short kSlotEdited = 4;     // U: the field being edited

struct ColourStateTable {
  short ColourSlot = 0;       // slot last selected
  std::string ColourStack;    // saved slots, one byte each, the last saved at the end
};
extern ColourStateTable ColourState;

// The key set: two strings of 2-byte little-endian signed entries, an entry of `ReportCodes` for
// each of `ExitKeys`, plus one saved level.
struct ExitKeySetTable {
  std::string ExitKeys;
  std::string ReportCodes;
  std::string SavedExitKeys;
  std::string SavedReportCodes;
  short SavedDepth = 0;  // 1 while the saved level holds a pair
};
extern ExitKeySetTable ExitKeySet;

// 0: the field editor shows the field's characters; otherwise the character it shows instead.
extern short EchoMask;

// Upper-cases `colour` in place, then selects and applies a slot (see the table of strings
// above): "+" saves the current slot first, "-" restores the last saved one (slot 0 when none is
// saved); otherwise "U" gives slot 4, else 2 for "R" plus 1 for "N". A blank or empty string
// changes nothing. The console attribute becomes the slot's foreground + 16 x background.
void SetColour(std::string& colour);

// Applies each character of `command` (upper-cased): "+" save, "-" restore, "E" erase, "A" add
// the items of `key_list`, "D" delete them, "H" mask with "X", "V" unmask; others are ignored.
// Neither argument is changed.
void SetKeyMode(const std::string& command, const std::string& key_list);

// Value of a hexadecimal item: digits up to the first non-digit, 0 when there are none; kept to
// 16 bits.
short HexadecimalValue(const std::string& text);

// Number of entries of the exit key set, the key code and report code of entry `index` (0-based),
// and the report code of `key` (its first entry); false when the key is not in the set.
int ExitKeyCount();
short ExitKeyAt(int index);
short ReportCodeAt(int index);
bool FindExitKey(short key, short& report_code);

// Start state of colours, key set and mask (for tests).
void ResetColourState();
