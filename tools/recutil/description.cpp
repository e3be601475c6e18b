#include "description.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "recman/recman.h"

namespace {

struct SegmentWords {
  long position = -1;
  long length = -1;
  unsigned flags = 0;
  unsigned char type = 0;
  bool segmented = false;
  bool has_segment_word = false;
};

bool Number(const std::string& value, long max, long& out) {
  if (value.empty() || value.size() > 9) return false;
  for (char c : value)
    if (c < '0' || c > '9') return false;
  out = std::strtol(value.c_str(), nullptr, 10);
  return out <= max;
}

bool YesNo(const std::string& value, bool& out) {
  if (value == "y" || value == "Y" || value == "yes") return out = true, true;
  if (value == "n" || value == "N" || value == "no") return out = false, true;
  return false;
}

void Put16(std::string& s, unsigned v) {
  s.push_back(static_cast<char>(v & 0xff));
  s.push_back(static_cast<char>((v >> 8) & 0xff));
}

}  // namespace

bool ParseDescription(const std::string& text, std::string& block, std::string& error) {
  std::string cleaned;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) cleaned += line.substr(0, line.find('#')) + "\n";
  std::istringstream words(cleaned);
  long record = -1, keys = -1, page = 4096;
  bool variable = false;
  std::string alternate_file;
  std::vector<SegmentWords> segments;
  for (std::string word; words >> word;) {
    const std::size_t eq = word.find('=');
    if (eq == std::string::npos || eq == 0) {
      error = "expected keyword=value, found \"" + word + "\"";
      return false;
    }
    const std::string name = word.substr(0, eq);
    const std::string value = word.substr(eq + 1);
    bool yes = false;
    auto bad = [&]() {
      error = "invalid value in \"" + word + "\"";
      return false;
    };
    if (name == "record") {
      if (!Number(value, 65535, record)) return bad();
    } else if (name == "key") {
      if (!Number(value, 119, keys)) return bad();
    } else if (name == "page") {
      if (!Number(value, 65535, page)) return bad();
    } else if (name == "variable") {
      if (!YesNo(value, variable)) return bad();
    } else if (name == "name") {
      alternate_file = value;
    } else if (name == "position") {
      segments.emplace_back();
      if (!Number(value, 65535, segments.back().position)) return bad();
    } else {
      if (segments.empty()) {
        error = "\"" + word + "\" comes before the first position=";
        return false;
      }
      SegmentWords& seg = segments.back();
      if (name == "length") {
        if (!Number(value, 65535, seg.length)) return bad();
      } else if (name == "type") {
        seg.flags &= ~(KeyBinary | KeyExtendedType);
        if (value == "string") {
        } else if (value == "binary") {
          seg.flags |= KeyBinary;
        } else if (value == "integer") {
          seg.flags |= KeyExtendedType, seg.type = TypeInteger;
        } else if (value == "unsigned") {
          seg.flags |= KeyExtendedType, seg.type = TypeUnsignedBinary;
        } else if (value == "zstring") {
          seg.flags |= KeyExtendedType, seg.type = TypeZstring;
        } else if (value == "autoincrement") {
          seg.flags |= KeyExtendedType, seg.type = TypeAutoincrement;
        } else {
          return bad();
        }
      } else {
        unsigned flag = 0;
        if (name == "duplicates") flag = KeyDuplicates;
        else if (name == "modifiable") flag = KeyModifiable;
        else if (name == "descending") flag = KeyDescending;
        else if (name == "alternate") flag = KeyAlternate;
        else if (name == "insensitive") flag = KeyCaseInsensitive;
        else if (name != "segment") {
          error = "unknown keyword \"" + name + "\"";
          return false;
        }
        if (!YesNo(value, yes)) return bad();
        if (name == "segment") {
          seg.segmented = yes;
          seg.has_segment_word = true;
        } else if (yes) {
          seg.flags |= flag;
        } else {
          seg.flags &= ~flag;
        }
      }
    }
  }
  if (record < 0) return error = "record= is missing", false;
  if (keys < 0) keys = 0;
  long completed = 0;
  bool any_alternate = false;
  for (std::size_t i = 0; i < segments.size(); ++i) {
    const SegmentWords& seg = segments[i];
    if (seg.length < 0) return error = "segment " + std::to_string(i + 1) + " has no length=", false;
    if (!seg.has_segment_word) return error = "segment " + std::to_string(i + 1) + " has no segment=", false;
    if (!seg.segmented) ++completed;
    if (seg.flags & KeyAlternate) any_alternate = true;
  }
  if (!segments.empty() && segments.back().segmented)
    return error = "the last segment says segment=y but no segment follows", false;
  if (completed != keys)
    return error = "key=" + std::to_string(keys) + " but the segments describe " +
                   std::to_string(completed) + " keys",
           false;
  block.clear();
  Put16(block, static_cast<unsigned>(record));
  Put16(block, static_cast<unsigned>(page));
  Put16(block, static_cast<unsigned>(keys));
  block.append(4, '\0');
  Put16(block, variable ? FileVariableLength : 0);
  block.append(4, '\0');
  for (const SegmentWords& seg : segments) {
    Put16(block, static_cast<unsigned>(seg.position));
    Put16(block, static_cast<unsigned>(seg.length));
    Put16(block, seg.flags | (seg.segmented ? KeySegmented : 0));
    block.append(4, '\0');
    block.push_back(static_cast<char>(seg.type));
    block.append(5, '\0');
  }
  if (any_alternate && alternate_file.empty())
    return error = "alternate=y needs name= with a collating sequence file", false;
  if (!alternate_file.empty()) {
    std::ifstream in(alternate_file, std::ios::binary);
    if (!in) return error = "cannot read collating sequence file " + alternate_file, false;
    const std::string table((std::istreambuf_iterator<char>(in)), {});
    if (table.size() != AlternateSequenceSize ||
        static_cast<unsigned char>(table[0]) != AlternateSignature)
      return error = alternate_file + " is not a collating sequence file (265 bytes, starting 0xAC)",
             false;
    if (any_alternate) block += table;
  }
  return true;
}
