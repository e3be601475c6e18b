// Record manager speed on a file of 100,000 records of 76 bytes: Get Next along key 0 beside a
// plain SQLite scan of the same table and index, a walk by Get Greater (the seek that Get Next
// falls back to after another writer), and recutil's load.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "recman/recman.h"
#include "sequential.h"

namespace {

constexpr int kRecords = 100000;
constexpr int kLength = 76;
constexpr int kKeyLength = 8;

struct BenchFiles {
  std::string dir;
  std::string dat;
  std::string sequential;
  std::string spec;
  bool ready = false;
};

std::string Spec() {
  std::string s(32, '\0');
  s[0] = kLength;
  s[3] = 0x10;  // page size 4096
  s[4] = 1;
  s[16] = 1;          // key 0 at position 1
  s[18] = kKeyLength;  // 8 bytes, string, unique
  return s;
}

short Create(const std::string& path, std::string spec) {
  std::uint32_t len = static_cast<std::uint32_t>(spec.size());
  std::string name = path;
  return RecordManagerCall(OpCreate, nullptr, spec.data(), &len, name.data(),
                           static_cast<unsigned char>(name.size()), 0);
}

// The sequential file of the records (keys in shuffled order) and a data file loaded from it.
BenchFiles& Files() {
  static BenchFiles files;
  if (files.ready) return files;
  char tmpl[] = "/tmp/recman_bench_XXXXXX";
  files.dir = ::mkdtemp(tmpl);
  files.dat = files.dir + "/bench.dat";
  files.sequential = files.dir + "/bench.seq";
  files.spec = Spec();
  std::vector<int> ids(kRecords);
  std::iota(ids.begin(), ids.end(), 0);
  std::shuffle(ids.begin(), ids.end(), std::mt19937(1));
  std::string text;
  for (int id : ids) {
    char rec[kLength + 1];
    std::snprintf(rec, sizeof rec, "%08d%-68s", id, "remittance line of the benchmark file");
    text += std::to_string(kLength) + "," + std::string(rec, kLength) + "\r\n";
  }
  std::ofstream(files.sequential, std::ios::binary) << text;
  std::size_t count = 0;
  std::string error;
  if (Create(files.dat, files.spec) != 0 || !LoadSequential(files.dat, files.sequential, count, error))
    std::fprintf(stderr, "benchmark set-up failed: %s\n", error.c_str());
  files.ready = true;
  std::atexit([] { std::filesystem::remove_all(Files().dir); });
  return files;
}

void BM_GetNextAlongKey0(benchmark::State& state) {
  BenchFiles& f = Files();
  unsigned char block[PositionBlockSize] = {};
  std::string name = f.dat;
  std::uint32_t len = 0;
  if (RecordManagerCall(OpOpen, block, nullptr, &len, name.data(),
                        static_cast<unsigned char>(name.size()), OpenReadOnly) != 0) {
    state.SkipWithError("open failed");
    return;
  }
  char data[kLength];
  char key[255];
  std::int64_t rows = 0;
  for (auto _ : state) {
    len = kLength;
    short s = RecordManagerCall(OpGetFirst, block, data, &len, key, 255, 0);
    while (s == 0) {
      ++rows;
      len = kLength;
      s = RecordManagerCall(OpGetNext, block, data, &len, key, 255, 0);
    }
    benchmark::DoNotOptimize(data);
  }
  state.SetItemsProcessed(rows);
  RecordManagerCall(OpClose, block, nullptr, nullptr, nullptr, 0, 0);
}
BENCHMARK(BM_GetNextAlongKey0)->Unit(benchmark::kMillisecond);

void BM_PlainSqliteScan(benchmark::State& state) {
  BenchFiles& f = Files();
  sqlite3* db = nullptr;
  sqlite3_open_v2(f.dat.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT position, record, key0 FROM recman_records ORDER BY key0", -1,
                         &st, nullptr) != SQLITE_OK) {
    state.SkipWithError("prepare failed");
    sqlite3_close(db);
    return;
  }
  char data[kLength];
  char key[255];
  std::int64_t rows = 0;
  for (auto _ : state) {
    while (sqlite3_step(st) == SQLITE_ROW) {
      std::memcpy(data, sqlite3_column_blob(st, 1), kLength);
      std::memcpy(key, sqlite3_column_blob(st, 2), kKeyLength);
      ++rows;
    }
    sqlite3_reset(st);
    benchmark::DoNotOptimize(data);
    benchmark::DoNotOptimize(key);
  }
  state.SetItemsProcessed(rows);
  sqlite3_finalize(st);
  sqlite3_close(db);
}
BENCHMARK(BM_PlainSqliteScan)->Unit(benchmark::kMillisecond);

void BM_GetGreaterWalk(benchmark::State& state) {
  BenchFiles& f = Files();
  unsigned char block[PositionBlockSize] = {};
  std::string name = f.dat;
  std::uint32_t len = 0;
  RecordManagerCall(OpOpen, block, nullptr, &len, name.data(), static_cast<unsigned char>(name.size()),
                    OpenReadOnly);
  char data[kLength];
  char key[255];
  std::int64_t rows = 0;
  for (auto _ : state) {
    len = kLength;
    short s = RecordManagerCall(OpGetFirst, block, data, &len, key, 255, 0);
    while (s == 0) {
      ++rows;
      len = kLength;
      s = RecordManagerCall(OpGetGreater, block, data, &len, key, 255, 0);
    }
  }
  state.SetItemsProcessed(rows);
  RecordManagerCall(OpClose, block, nullptr, nullptr, nullptr, 0, 0);
}
BENCHMARK(BM_GetGreaterWalk)->Unit(benchmark::kMillisecond);

void BM_RecutilLoad(benchmark::State& state) {
  BenchFiles& f = Files();
  const std::string target = f.dir + "/load.dat";
  std::int64_t rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    for (const char* suffix : {"", "-wal", "-shm", ".lck"}) ::unlink((target + suffix).c_str());
    Create(target, f.spec);
    state.ResumeTiming();
    std::size_t count = 0;
    std::string error;
    if (!LoadSequential(target, f.sequential, count, error)) state.SkipWithError(error.c_str());
    rows += static_cast<std::int64_t>(count);
  }
  state.SetItemsProcessed(rows);
}
BENCHMARK(BM_RecutilLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
