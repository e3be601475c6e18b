#pragma once
// Field display: writes a field's stored value at its place in the screen's window (row
// FieldRow, value column FieldColumn + length of FieldLabel, through LocateInWindow) in the
// current colour. Hidden fields (flag 2) show nothing; free text is written whole, or in pieces
// of FieldLineWidth characters one below the other; an option field shows the text of its stored
// option fitted to FieldWidth + FieldExtraWidth (nothing when no option matches).
#include "forms/form_definition.h"

void ShowField(const FieldDefinition& field);
// The same for field `field` of screen `screen` of the FormDefinition; nothing when either is not
// loaded.
void ShowField(short screen, short field);
