#include "app/remittance_report.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "app/remittance_numbers.h"
#include "bank/iban.h"
#include "config/company.h"
#include "config/language.h"
#include "format/numeric_value.h"
#include "format/picture.h"
#include "print/print_file.h"

RemittanceRecord RemittanceRecordArea;
std::int16_t PageNumber = 0;

void RemittanceRecord::SetText(std::size_t offset, std::size_t length, const std::string& text) {
  if (offset >= Bytes.size()) return;
  length = std::min(length, Bytes.size() - offset);
  for (std::size_t i = 0; i < length; ++i) Bytes[offset + i] = i < text.size() ? text[i] : ' ';
}

namespace {

// The page layout: heading and column of each of the seven columns of the table.
struct TableColumn {
  const char* Heading;
  std::int16_t Column;
};
constexpr TableColumn kColumns[] = {
    {"R.", 1},   {"IBAN A ABONAR", 4}, {"OFI", 34}, {"PRE", 40},
    {"NOM ORDENANT", 44}, {"N.I.F.", 75}, {"SUF", 93},
};
constexpr std::int16_t kPageLines = 66;
constexpr std::int16_t kLastDetailLine = 60;  // a header is due once LineCount passes it
constexpr int kTitleWidth = 96;

// A decimal text's value, as the report formats it.
double TextValue(const RemittanceRecord& record, std::size_t offset, std::size_t length) {
  return NumericValue(std::string_view(record.Bytes.data() + offset, length));
}

// The two digits of a packed byte, as UnpackDigits gives them.
int PackedPair(char byte) { return (static_cast<unsigned char>(byte) & 127) % 100; }

// The numeric value of the digits of packed bytes, taken digit by digit as NumericValue reads
// them, without the digit text in between (the report reads three packed fields per record).
double PackedValue(const char* packed, std::size_t length) {
  double value = 0;
  for (std::size_t i = 0; i < length; ++i) {
    value = value * 10 + PackedPair(packed[i]) / 10;
    value = value * 10 + PackedPair(packed[i]) % 10;
  }
  return value;
}

// Appends the digits of `length` packed bytes from `packed`, as UnpackDigits gives them.
void AppendPackedDigits(std::string& text, const char* packed, std::size_t length) {
  const std::size_t at = text.size();
  text.resize(at + 2 * length);
  char* digit = text.data() + at;
  for (std::size_t i = 0; i < length; ++i) {
    *digit++ = static_cast<char>('0' + PackedPair(packed[i]) / 10);
    *digit++ = static_cast<char>('0' + PackedPair(packed[i]) % 10);
  }
}

std::int16_t ClampColumn(long column) {
  return static_cast<std::int16_t>(
      std::clamp<long>(column, std::numeric_limits<std::int16_t>::min(),
                       std::numeric_limits<std::int16_t>::max()));
}

}  // namespace

void PrintPageHeader() {
  if (PageNumber < std::numeric_limits<std::int16_t>::max()) ++PageNumber;
  SetPageLength(kPageLines);
  WriteCommand("@e");
  WriteField(1, CompanyField(1), 0);
  std::string justification = "D";
  SetJustification(justification);
  WriteField(85, TranslateText("P\xB7GINA ") + FormatPicture("ZZZ9", PageNumber), 2);
  const std::string title = TranslateText("TAULA DE REMESES EN DISKETTE");
  // Centred over the table's 96 columns; the quotient is cut towards zero.
  WriteField(ClampColumn((kTitleWidth - static_cast<long>(title.size())) / 2), title, 2);
  for (const TableColumn& column : kColumns) {
    const bool last = &column == &kColumns[std::size(kColumns) - 1];
    WriteField(column.Column, TranslateText(column.Heading), last ? 1 : 0);
  }
  WriteField(1, std::string(95, '-'), 1);
}

void PrintRemittanceLine() {
  if (PageNumber == 0) PrintPageHeader();
  if (LineCount() > kLastDetailLine) PrintPageHeader();

  const RemittanceRecord& record = RemittanceRecordArea;
  using R = RemittanceRecord;

  // Masks and the IBAN buffer are made once; the loop runs for every record of the file.
  static const std::string kTwoDigits = "Z9", kThreeDigits = "ZZ9", kFourDigits = "ZZZ9";
  static std::string iban;

  const char* bytes = record.Bytes.data();
  const char number[2] = {bytes[R::kNumberHigh], bytes[R::kNumberLow]};
  WriteField(1, FormatPicture(LongRemittanceNumbers ? kThreeDigits : kTwoDigits,
                              PackedValue(number, sizeof number)), 0);

  iban.assign("ES00");
  AppendPackedDigits(iban, bytes + R::kAccount, R::kAccountLength);
  CheckIban(iban);  // writes the computed check digits over "00"; the record prints either way
  WriteField(4, iban, 0);

  WriteField(34, FormatPicture(kFourDigits, PackedValue(bytes + R::kOffice, R::kOfficeLength)), 0);
  WriteField(40, FormatPicture(kThreeDigits, TextValue(record, R::kPre, R::kPreLength)), 0);

  // The longer texts reuse their buffers from one record to the next.
  static std::string name, tax_id;
  name.assign(bytes + R::kName, R::kNameLength);
  WriteField(44, name, 0);

  // An ordering party without an identifier (prefix aside) is shown with the company's own.
  tax_id.assign(bytes + R::kTaxId, R::kTaxIdLength);
  if (tax_id.find_first_not_of(' ', 2) == std::string::npos) tax_id.assign(CompanyField(7), 0, 17);
  WriteField(75, tax_id, 0);

  WriteField(93, FormatPicture(kThreeDigits, TextValue(record, R::kSuf, R::kSufLength)), 1);
}
