#pragma once
// The table of remittances: a page header on every page and one detail line per remittance
// record, written through the print file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// The record of the remittance file as the report reads it (offsets from 0; "packed" fields hold
// two decimal digits per byte):
//    0  1  remittance number, last two digits (packed)
//    1 10  account to be credited, 20 digits (packed)
//   11  2  number shown under "OFI", 4 digits (packed)
//   13  3  number shown under "PRE" (decimal text)
//   16 30  name of the ordering party (text, blank-padded)
//   46  9  not used here
//   55  3  number shown under "SUF" (decimal text)
//   58 17  tax identifier of the ordering party: a two-character prefix and 15 characters
//   75  1  remittance number, first two digits (packed)
// Files may have longer records; the area holds as much as the data layer can deliver, so a
// record of any supported length fits.
struct RemittanceRecord {
  static constexpr std::size_t kNumberLow = 0;
  static constexpr std::size_t kAccount = 1, kAccountLength = 10;
  static constexpr std::size_t kOffice = 11, kOfficeLength = 2;
  static constexpr std::size_t kPre = 13, kPreLength = 3;
  static constexpr std::size_t kName = 16, kNameLength = 30;
  static constexpr std::size_t kSuf = 55, kSufLength = 3;
  static constexpr std::size_t kTaxId = 58, kTaxIdLength = 17;
  static constexpr std::size_t kNumberHigh = 75;
  static constexpr std::size_t kUsedLength = 76;  // bytes the report reads
  static constexpr std::size_t kAreaSize = 1536;  // largest record the data layer handles

  std::array<char, kAreaSize> Bytes{};

  // `length` bytes from `offset` as a text.
  std::string Text(std::size_t offset, std::size_t length) const {
    return std::string(Bytes.data() + offset, length);
  }
  // Stores `text` at `offset`, cut or blank-padded to `length` (for building records).
  void SetText(std::size_t offset, std::size_t length, const std::string& text);
};

// The remittance record area: every read of the remittance file delivers its record here.
extern RemittanceRecord RemittanceRecordArea;

// Pages begun so far by the current record loop; the loop sets it to 0 before the first record.
extern std::int16_t PageNumber;

// Writes the detail line of the record in RemittanceRecordArea, after a page header when no page
// has begun yet or the current one is full (55 detail lines).
void PrintRemittanceLine();

// Begins a page: page length 66, the "@e" command, company name, page label and number, title,
// the seven headings and the rule (six lines in all). Texts go through the language file.
void PrintPageHeader();
