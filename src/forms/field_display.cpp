#include "forms/field_display.h"

#include <string>
#include <string_view>

#include "console/screen.h"
#include "forms/option_fields.h"
#include "platform/console_device.h"

void ShowField(const FieldDefinition& field) {
  const short row = field.FieldRow;
  const short column = static_cast<short>(field.FieldColumn + field.FieldLabel.size());
  LocateInWindow(row, column);
  if (field.FieldFlags & kFieldHidden) return;
  ConsoleDevice& console = CurrentConsole();
  if (IsOptionField(field)) {
    console.Write(OptionDisplayText(field));
    return;
  }
  const std::string_view value = field.FieldValue;
  if (field.FieldLineWidth <= 0) {
    console.Write(value);
    return;
  }
  const std::size_t piece = static_cast<std::size_t>(field.FieldLineWidth);
  short line = 0;
  for (std::size_t start = 0; start < value.size(); start += piece, ++line) {
    LocateInWindow(static_cast<short>(row + line), column);
    console.Write(value.substr(start, piece));
  }
}

void ShowField(short screen, short field) {
  const FieldDefinition* definition = FormField(screen, field);
  if (definition != nullptr) ShowField(*definition);
}
