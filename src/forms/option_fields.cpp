#include "forms/option_fields.h"

#include <vector>

#include "console/field_editor.h"
#include "console/option_list.h"

bool IsOptionField(const FieldDefinition& field) { return !field.FieldOptions.empty(); }

bool FindOptionText(const std::string& options, const std::string& value, std::string& text) {
  const std::vector<OptionEntry> entries = ParseOptionList(options);
  const int found = FindOptionByCode(entries, value);
  if (found < 0) {
    text.clear();
    return false;
  }
  text = entries[static_cast<std::size_t>(found)].Text;
  return true;
}

std::string OptionDisplayText(const FieldDefinition& field) {
  std::string text;
  if (!FindOptionText(field.FieldOptions, field.FieldValue, text)) return {};
  const int room = static_cast<int>(field.FieldWidth) + field.FieldExtraWidth;
  return FitText(text, static_cast<std::size_t>(room > 0 ? room : 0));
}

void SelectFieldOptions(const FieldDefinition& field) { CurrentOptions = field.FieldOptions; }
