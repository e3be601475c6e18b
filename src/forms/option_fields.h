#pragma once
// Option fields of a form: a field whose FieldOptions holds a list "|code,text|code,text..."
// stores one of the codes (written with exactly FieldWidth characters) and shows its text. The
// list itself is read by console/option_list.h, which the field editor uses while it edits such a
// field; this is the forms side: the text a stored value shows and the option list of the field
// being edited.
#include <string>

#include "forms/form_definition.h"

// True for a field with an option list.
bool IsOptionField(const FieldDefinition& field);

// The text of the first option whose code equals `value` exactly; false (and `text` empty) when
// none does.
bool FindOptionText(const std::string& options, const std::string& value, std::string& text);

// What the field shows for its stored value: the text of the matching option blank-padded or cut
// to FieldWidth + FieldExtraWidth characters; empty when no option matches.
std::string OptionDisplayText(const FieldDefinition& field);

// Makes the field's option list the one the field editor works on (empty for free text).
void SelectFieldOptions(const FieldDefinition& field);
