// Model-based test: long random sequences of inserts, updates, deletes, searches, steps and direct
// reads on a file with six keys of different kinds, checked at every step against an in-memory
// ordered model. A second position block writes now and then, so steps also run after another
// connection has changed the file.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <random>
#include <set>

#include "recman_support.h"

namespace recman_test {
namespace {

constexpr int kLength = 40;
constexpr int kKeys = 6;
// Where each key lies in the record, and how long it is (the keys are contiguous fields).
constexpr int kOffset[kKeys] = {0, 4, 10, 14, 20, 25};
constexpr int kKeyLength[kKeys] = {4, 6, 4, 6, 5, 4};

// Alternate collating sequence of key 3: letters without case, digits in reverse order.
struct Alternate {
  unsigned char table[256];
  Alternate() {
    for (int c = 0; c < 256; ++c) table[c] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c) table[c] = static_cast<unsigned char>(c - 'a' + 'A');
    for (int c = '0'; c <= '9'; ++c) table[c] = static_cast<unsigned char>('9' - (c - '0'));
  }
};
const Alternate kAlternate;

std::string ModelSpec() {
  constexpr unsigned dup_mod = KeyDuplicates | KeyModifiable;
  return MakeSpec(kLength,
                  {
                      {{1, 4, KeyBinary}},                                    // id, unique
                      {{5, 6, dup_mod}},                                      // name
                      {{11, 4, dup_mod | KeyDescending}},                     // code, descending
                      {{15, 6, dup_mod | KeyAlternate}},                      // word, collated
                      {{21, 2, dup_mod | KeyExtendedType, TypeInteger},       // signed number
                       {23, 3, dup_mod | KeyCaseInsensitive}},                // then letters
                      {{26, 4, KeyModifiable | KeyExtendedType, TypeZstring}}, // tag, unique
                  },
                  MakeAlternate("ALTSEQ", kAlternate.table));
}

int Sign(int v) { return (v > 0) - (v < 0); }

// The order of each key, written from what the key means rather than from the engine's bytes.
int KeyCompare(int key, const std::string& a, const std::string& b) {
  const auto* x = reinterpret_cast<const unsigned char*>(a.data());
  const auto* y = reinterpret_cast<const unsigned char*>(b.data());
  switch (key) {
    case 0: {
      std::uint32_t u = 0, v = 0;
      std::memcpy(&u, x, 4);
      std::memcpy(&v, y, 4);
      return u < v ? -1 : u > v;
    }
    case 1: return Sign(std::memcmp(x + 4, y + 4, 6));
    case 2: return -Sign(std::memcmp(x + 10, y + 10, 4));
    case 3:
      for (int i = 14; i < 20; ++i) {
        const int d = kAlternate.table[x[i]] - kAlternate.table[y[i]];
        if (d != 0) return Sign(d);
      }
      return 0;
    case 4: {
      std::int16_t u = 0, v = 0;
      std::memcpy(&u, x + 20, 2);
      std::memcpy(&v, y + 20, 2);
      if (u != v) return u < v ? -1 : 1;
      for (int i = 22; i < 25; ++i) {
        const int d = std::toupper(x[i]) - std::toupper(y[i]);
        if (d != 0) return Sign(d);
      }
      return 0;
    }
    default: {
      const std::string s(a.data() + 25, strnlen(a.data() + 25, 4));
      const std::string t(b.data() + 25, strnlen(b.data() + 25, 4));
      return Sign(s.compare(t));
    }
  }
}

struct Entry {
  std::string record;
  std::int64_t position;
};

struct EntryLess {
  int key;
  bool operator()(const Entry& a, const Entry& b) const {
    const int c = KeyCompare(key, a.record, b.record);
    return c != 0 ? c < 0 : a.position < b.position;
  }
};

using Index = std::set<Entry, EntryLess>;

class Model {
 public:
  Model() {
    for (int k = 0; k < kKeys; ++k) index_.emplace_back(EntryLess{k});
  }
  bool Unique(int key) const { return key == 0 || key == 5; }
  // True when another record than `except` has the same value of a unique key.
  bool Conflicts(const std::string& record, std::int64_t except) const {
    for (int k : {0, 5}) {
      auto it = index_[k].lower_bound(Entry{record, LLONG_MIN});
      for (; it != index_[k].end() && KeyCompare(k, it->record, record) == 0; ++it)
        if (it->position != except) return true;
    }
    return false;
  }
  std::int64_t Add(const std::string& record) {
    const std::int64_t pos = next_position_++;
    records_[pos] = record;
    for (auto& idx : index_) idx.insert(Entry{record, pos});
    return pos;
  }
  void Remove(std::int64_t pos) {
    for (auto& idx : index_) idx.erase(Entry{records_[pos], pos});
    records_.erase(pos);
  }
  void Replace(std::int64_t pos, const std::string& record) {
    Remove(pos);
    records_[pos] = record;
    for (auto& idx : index_) idx.insert(Entry{record, pos});
  }
  const Index& index(int key) const { return index_[key]; }
  const std::map<std::int64_t, std::string>& records() const { return records_; }

 private:
  std::map<std::int64_t, std::string> records_;
  std::vector<Index> index_;
  std::int64_t next_position_ = 1;
};

struct Currency {
  int key = -1;
  bool positioned = false;
  bool has_record = false;
  std::string record;
  std::int64_t position = 0;
  bool gone = false;  // the other block deleted the current record
};

class ModelRun {
 public:
  explicit ModelRun(unsigned seed) : rng_(seed) {}

  void Run(int operations) {
    const std::string path = dir_.File("model.dat");
    ASSERT_EQ(CreateFile(path, ModelSpec()), 0);
    ASSERT_EQ(a_.Open(path, OpenAccelerated), 0);
    ASSERT_EQ(b_.Open(path, OpenAccelerated), 0);
    for (step_ = 0; step_ < operations; ++step_) {
      Step();
      if (::testing::Test::HasFatalFailure()) return;
      if (step_ % 250 == 0) {
        ASSERT_EQ(a_.RecordCount(), model_.records().size()) << Where();
      }
    }
    ResetEngine();
  }

 private:
  std::string Where() const { return "at step " + std::to_string(step_); }
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  char From(const char* alphabet) { return alphabet[Pick(static_cast<int>(std::strlen(alphabet)))]; }

  std::string RandomRecord() {
    std::string r(kLength, '\0');
    const std::uint32_t id = static_cast<std::uint32_t>(Pick(1500)) * 65537u;
    std::memcpy(r.data(), &id, 4);
    for (int i = 4; i < 10; ++i) r[i] = From("ab");
    for (int i = 10; i < 14; ++i) r[i] = From("xyz");
    for (int i = 14; i < 17; ++i) r[i] = From("aA09");
    for (int i = 17; i < 20; ++i) r[i] = ' ';
    const std::int16_t numbers[] = {-32768, -300, -1, 0, 1, 2, 300, 32767};
    std::memcpy(r.data() + 20, &numbers[Pick(8)], 2);
    for (int i = 22; i < 25; ++i) r[i] = From("aAbB");
    const int tag = Pick(5);
    for (int i = 0; i < 4; ++i) r[25 + i] = i < tag ? From("pqrstu") : static_cast<char>(Pick(256));
    if (tag < 4) r[25 + tag] = '\0';
    for (int i = 29; i < kLength; ++i) r[i] = static_cast<char>(Pick(256));
    return r;
  }

  // A key value to search for: mostly one that exists, sometimes any.
  std::string SearchValue(int key) {
    std::string source = RandomRecord();
    if (!model_.records().empty() && Pick(3) != 0) {
      auto it = model_.records().begin();
      std::advance(it, Pick(static_cast<int>(model_.records().size())));
      source = it->second;
    }
    return source.substr(kOffset[key], kKeyLength[key]);
  }

  std::string RecordWithKey(int key, const std::string& value) {
    std::string r(kLength, '\0');
    r.replace(kOffset[key], kKeyLength[key], value);
    return r;
  }

  void ExpectFound(short status, const Entry* expected, int key, const std::string& record) {
    if (expected == nullptr) return;
    ASSERT_EQ(status, 0) << Where();
    ASSERT_EQ(record, expected->record) << Where();
    ASSERT_EQ(a_.key.substr(0, kKeyLength[key]), expected->record.substr(kOffset[key], kKeyLength[key]))
        << Where();
    current_ = Currency{key, true, true, expected->record, expected->position};
  }

  void Search(unsigned op, int key) {
    const Index& idx = model_.index(key);
    const Entry* expected = nullptr;
    short expected_status = StatusEndOfFile;
    std::string value;
    if (op == OpGetFirst) {
      if (!idx.empty()) expected = &*idx.begin();
    } else if (op == OpGetLast) {
      if (!idx.empty()) expected = &*idx.rbegin();
    } else {
      value = SearchValue(key);
      const Entry low{RecordWithKey(key, value), LLONG_MIN};
      const Entry high{RecordWithKey(key, value), LLONG_MAX};
      auto it = idx.end();
      switch (op) {
        case OpGetEqual:
          expected_status = StatusKeyNotFound;
          it = idx.lower_bound(low);
          if (it != idx.end() && KeyCompare(key, it->record, low.record) == 0) expected = &*it;
          break;
        case OpGetGreaterOrEqual: it = idx.lower_bound(low); break;
        case OpGetGreater: it = idx.upper_bound(high); break;
        case OpGetLess: it = idx.lower_bound(low); it = it == idx.begin() ? idx.end() : std::prev(it); break;
        case OpGetLessOrEqual: it = idx.upper_bound(high); it = it == idx.begin() ? idx.end() : std::prev(it); break;
      }
      if (op != OpGetEqual && it != idx.end()) expected = &*it;
    }
    std::string record;
    const short status = value.empty() ? a_.Get(op, key, record, kLength)
                                       : a_.GetByKey(op, key, value, record, kLength);
    if (expected == nullptr) {
      ASSERT_EQ(status, expected_status) << Where() << " op " << op;
      return;
    }
    ExpectFound(status, expected, key, record);
  }

  void Move(bool forward) {
    const int key = Pick(8) == 0 ? Pick(kKeys) : (current_.key < 0 ? 0 : current_.key);
    std::string record;
    const short status = a_.Get(forward ? OpGetNext : OpGetPrevious, key, record, kLength);
    if (!current_.positioned) {
      ASSERT_EQ(status, StatusInvalidPositioning) << Where();
      return;
    }
    if (key != current_.key) {
      ASSERT_EQ(status, StatusKeyNumberChanged) << Where();
      return;
    }
    const Index& idx = model_.index(key);
    const Entry here{current_.record, current_.position};
    auto it = forward ? idx.upper_bound(here) : idx.lower_bound(here);
    if (!forward) it = it == idx.begin() ? idx.end() : std::prev(it);
    if (it == idx.end()) {
      ASSERT_EQ(status, StatusEndOfFile) << Where();
      return;
    }
    ExpectFound(status, &*it, key, record);
  }

  void Insert() {
    const std::string record = RandomRecord();
    const int key = Pick(kKeys);
    std::string data = record;
    const short status = a_.Call(OpInsert, data, key);
    if (model_.Conflicts(record, 0)) {
      ASSERT_EQ(status, StatusDuplicateKey) << Where();
      return;
    }
    ASSERT_EQ(status, 0) << Where();
    const std::int64_t pos = model_.Add(record);
    ASSERT_EQ(a_.key.substr(0, kKeyLength[key]), record.substr(kOffset[key], kKeyLength[key]));
    current_ = Currency{key, true, true, record, pos};
  }

  void Update() {
    std::string record = current_.has_record ? current_.record : RandomRecord();
    const std::string fresh = RandomRecord();
    const int field = Pick(7);  // which field changes: 0 changes the id, which may not change
    const int from[] = {0, 4, 10, 14, 20, 25, 29};
    const int to[] = {4, 10, 14, 20, 25, 29, kLength};
    record.replace(from[field], to[field] - from[field], fresh.substr(from[field], to[field] - from[field]));
    const int key = Pick(10) == 0 ? Pick(kKeys) : (current_.key < 0 ? 0 : current_.key);
    std::string data = record;
    const short status = a_.Call(OpUpdate, data, key);
    if (!current_.positioned || !current_.has_record) {
      ASSERT_EQ(status, StatusInvalidPositioning) << Where();
      return;
    }
    if (key != current_.key) {
      ASSERT_EQ(status, StatusKeyNumberChanged) << Where();
      return;
    }
    if (current_.gone) {
      ASSERT_EQ(status, StatusInvalidPositioning) << Where();
      return;
    }
    if (KeyCompare(0, record, current_.record) != 0) {
      ASSERT_EQ(status, StatusKeyNotModifiable) << Where();
      return;
    }
    if (model_.Conflicts(record, current_.position)) {
      ASSERT_EQ(status, StatusDuplicateKey) << Where();
      return;
    }
    ASSERT_EQ(status, 0) << Where();
    model_.Replace(current_.position, record);
    current_.record = record;
    ASSERT_EQ(a_.key.substr(0, kKeyLength[key]), record.substr(kOffset[key], kKeyLength[key]));
  }

  void Delete() {
    const short status = a_.Delete();
    if (!current_.positioned || !current_.has_record) {
      ASSERT_EQ(status, StatusInvalidPositioning) << Where();
      return;
    }
    if (current_.gone) {
      ASSERT_EQ(status, StatusInvalidPositioning) << Where();
      return;
    }
    ASSERT_EQ(status, 0) << Where();
    model_.Remove(current_.position);
    current_.has_record = false;
  }

  void Position() {
    std::int32_t pos = 0;
    const short status = a_.Position(pos);
    if (!current_.has_record) {
      ASSERT_EQ(status, StatusInvalidPositioning) << Where();
      return;
    }
    ASSERT_EQ(status, 0) << Where();
    ASSERT_EQ(pos, current_.position) << Where();
  }

  std::int64_t SomePosition() {
    if (model_.records().empty() || Pick(4) == 0) return Pick(2000) + 1;
    auto it = model_.records().begin();
    std::advance(it, Pick(static_cast<int>(model_.records().size())));
    return it->first;
  }

  void Direct() {
    const std::int64_t pos = SomePosition();
    const int key = Pick(kKeys);
    std::string record;
    const short status = a_.Direct(static_cast<std::int32_t>(pos), key, record, kLength);
    auto it = model_.records().find(pos);
    if (it == model_.records().end()) {
      ASSERT_EQ(status, StatusInvalidRecordAddress) << Where();
      return;
    }
    const Entry found{it->second, pos};
    ExpectFound(status, &found, key, record);
  }

  // The other position block inserts a record or deletes one.
  void OtherWriter() {
    if (Pick(2) == 0) {
      const std::string record = RandomRecord();
      const short status = b_.Insert(record, 0);
      if (model_.Conflicts(record, 0)) {
        ASSERT_EQ(status, StatusDuplicateKey) << Where();
      } else {
        ASSERT_EQ(status, 0) << Where();
        model_.Add(record);
      }
      return;
    }
    std::int64_t pos = SomePosition();
    if (current_.positioned && Pick(2) == 0) {
      // Delete the record that a step of the first block would reach next.
      const Index& idx = model_.index(current_.key);
      auto it = idx.upper_bound(Entry{current_.record, current_.position});
      if (it != idx.end()) pos = it->position;
    }
    std::string record;
    const short status = b_.Direct(static_cast<std::int32_t>(pos), 0, record, kLength);
    if (model_.records().count(pos) == 0) {
      ASSERT_EQ(status, StatusInvalidRecordAddress) << Where();
      return;
    }
    ASSERT_EQ(status, 0) << Where();
    ASSERT_EQ(b_.Delete(), 0) << Where();
    model_.Remove(pos);
    if (current_.positioned && pos == current_.position) current_.gone = true;
  }

  void Step() {
    const int choice = Pick(100);
    const unsigned searches[] = {OpGetEqual, OpGetGreater, OpGetGreaterOrEqual, OpGetLess,
                                 OpGetLessOrEqual, OpGetFirst, OpGetLast};
    if (choice < 22) Insert();
    else if (choice < 30) Update();
    else if (choice < 36) Delete();
    else if (choice < 50) Search(searches[Pick(7)], Pick(kKeys));
    else if (choice < 70) Move(true);
    else if (choice < 85) Move(false);
    else if (choice < 89) Position();
    else if (choice < 95) Direct();
    else OtherWriter();
  }

  ScratchDir dir_;
  std::mt19937 rng_;
  Model model_;
  Currency current_;
  Handle a_, b_;
  int step_ = 0;
};

TEST(RecmanModel, RandomOperationsMatchAnOrderedModel) {
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    ModelRun run(seed);
    run.Run(2500);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace recman_test
