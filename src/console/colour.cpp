#include "console/colour.h"

#include <cctype>

#include "config/session.h"
#include "platform/console_device.h"

ColourStateTable ColourState;
ExitKeySetTable ExitKeySet;
short EchoMask = 0;

namespace {

std::string Entry(short code) {
  const unsigned short u = static_cast<unsigned short>(code);
  return std::string{static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
}

short EntryAt(const std::string& entries, std::size_t index) {
  const std::size_t pos = index * 2;
  if (pos + 1 >= entries.size()) return 0;
  const unsigned lo = static_cast<unsigned char>(entries[pos]);
  const unsigned hi = static_cast<unsigned char>(entries[pos + 1]);
  return static_cast<short>(static_cast<unsigned short>(lo | (hi << 8)));
}

// Applies "A" (add) or "D" (delete) for every item of the key list.
void ApplyKeyList(char command, const std::string& list) {
  std::size_t c = 0;
  while (c < list.size()) {
    std::size_t e = list.find(',', c);
    if (e == std::string::npos) e = list.size();
    if (command == 'A') {
      std::size_t w = list.find('=', c);
      if (w == std::string::npos) w = list.size();
      short key = 0, report = 0;
      if (w < e) {
        key = HexadecimalValue(list.substr(c, w - c));
        report = HexadecimalValue(list.substr(w + 1, e - w - 1));
      } else {
        key = report = HexadecimalValue(list.substr(c, e - c));
      }
      ExitKeySet.ExitKeys += Entry(key);
      ExitKeySet.ReportCodes += Entry(report);
    } else {
      const short key = HexadecimalValue(list.substr(c, e - c));
      const std::size_t n = ExitKeySet.ExitKeys.size() / 2;
      for (std::size_t i = 0; i < n; ++i) {
        if (EntryAt(ExitKeySet.ExitKeys, i) == key) {
          ExitKeySet.ExitKeys.erase(i * 2, 2);
          if (i * 2 < ExitKeySet.ReportCodes.size()) ExitKeySet.ReportCodes.erase(i * 2, 2);
          break;
        }
      }
    }
    c = e + 1;
  }
}

}  // namespace

short HexadecimalValue(const std::string& text) {
  unsigned value = 0;
  for (char ch : text) {
    const int d = std::isdigit(static_cast<unsigned char>(ch)) ? ch - '0'
                  : (ch >= 'a' && ch <= 'f')                   ? ch - 'a' + 10
                  : (ch >= 'A' && ch <= 'F')                   ? ch - 'A' + 10
                                                               : -1;
    if (d < 0) break;
    value = ((value << 4) | static_cast<unsigned>(d)) & 0xFFFFu;
  }
  return static_cast<short>(static_cast<unsigned short>(value));
}

void SetColour(std::string& colour) {
  for (char& ch : colour) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  if (colour.find_first_not_of(' ') == std::string::npos) return;
  if (colour.find('+') != std::string::npos)
    ColourState.ColourStack.push_back(static_cast<char>(ColourState.ColourSlot));
  short slot = 0;
  if (colour.find('-') != std::string::npos) {
    if (!ColourState.ColourStack.empty()) {
      slot = static_cast<unsigned char>(ColourState.ColourStack.back());
      ColourState.ColourStack.pop_back();
    }
  } else if (colour.find('U') != std::string::npos) {
    slot = kSlotEdited;
  } else {
    slot = static_cast<short>((colour.find('R') != std::string::npos ? 2 : 0) +
                              (colour.find('N') != std::string::npos ? 1 : 0));
  }
  if (slot < 0 || slot > 4) slot = 0;
  const ColourPair& pair = SessionSettings.ColourScheme[slot];
  const unsigned char attribute =
      static_cast<unsigned char>((pair.Foreground & 15) | ((pair.Background & 15) << 4));
  CurrentConsole().SetAttribute(attribute);
  ColourState.ColourSlot = slot;
}

void SetKeyMode(const std::string& command, const std::string& key_list) {
  for (char raw : command) {
    switch (std::toupper(static_cast<unsigned char>(raw))) {
      case '+':
        if (ExitKeySet.SavedDepth == 0) {
          ExitKeySet.SavedExitKeys = ExitKeySet.ExitKeys;
          ExitKeySet.SavedReportCodes = ExitKeySet.ReportCodes;
          ExitKeySet.SavedDepth = 1;
        }
        break;
      case '-':
        if (ExitKeySet.SavedDepth == 1) {
          ExitKeySet.ExitKeys = ExitKeySet.SavedExitKeys;
          ExitKeySet.ReportCodes = ExitKeySet.SavedReportCodes;
          ExitKeySet.SavedExitKeys.clear();
          ExitKeySet.SavedReportCodes.clear();
          ExitKeySet.SavedDepth = 0;
        }
        break;
      case 'E':
        ExitKeySet.ExitKeys.clear();
        ExitKeySet.ReportCodes.clear();
        break;
      case 'A': ApplyKeyList('A', key_list); break;
      case 'D': ApplyKeyList('D', key_list); break;
      case 'H': EchoMask = 88; break;
      case 'V': EchoMask = 0; break;
      default: break;
    }
  }
}

int ExitKeyCount() { return static_cast<int>(ExitKeySet.ExitKeys.size() / 2); }
short ExitKeyAt(int index) {
  return index < 0 ? 0 : EntryAt(ExitKeySet.ExitKeys, static_cast<std::size_t>(index));
}
short ReportCodeAt(int index) {
  return index < 0 ? 0 : EntryAt(ExitKeySet.ReportCodes, static_cast<std::size_t>(index));
}

bool FindExitKey(short key, short& report_code) {
  for (int i = 0; i < ExitKeyCount(); ++i) {
    if (ExitKeyAt(i) == key) {
      report_code = ReportCodeAt(i);
      return true;
    }
  }
  return false;
}

void ResetColourState() {
  ColourState = ColourStateTable{};
  ExitKeySet = ExitKeySetTable{};
  EchoMask = 0;
}
