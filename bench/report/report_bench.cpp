// The print run over 100,000 remittance records (record loop, report lines, print file) beside
// the engine's plain Get Next scan of the same file along key 0, in the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/print_run.h"
#include "app/remittance_report.h"
#include "config/company.h"
#include "config/language.h"
#include "config/session.h"
#include "data/data_files.h"
#include "data/record_operations.h"
#include "format/calendar.h"
#include "print/print_file.h"
#include "recman/recman.h"
#include "tests/support/specification_block.h"

namespace {

constexpr int kRecords = 100000;
constexpr int kRecordLength = 80;

std::string g_root;  // scratch root directory, with its trailing slash


std::string Digits(unsigned long long v, int width) {
  std::string out(static_cast<std::size_t>(width), '0');
  for (int i = width - 1; i >= 0 && v > 0; --i, v /= 10) out[static_cast<std::size_t>(i)] = char('0' + v % 10);
  return out;
}

std::string Record(int i) {
  std::string b(kRecordLength, ' ');
  const int number = i % 10000;
  b.replace(0, 1, PackDigits(Digits(number % 100, 2)));
  b.replace(1, 10, PackDigits("2100" + Digits(i % 10000, 4) + "00" + Digits(i * 7919ULL, 10)));
  b.replace(11, 2, PackDigits(Digits(i % 9999, 4)));
  b.replace(13, 3, Digits(i % 1000, 3));
  b.replace(16, 30, "ORDENANT NUMERO " + Digits(i, 6) + "        ");
  b.replace(55, 3, Digits(i % 10, 3));
  b.replace(58, 17, i % 5 == 0 ? std::string("ES               ") : "ES" + Digits(i, 8) + "T      ");
  b.replace(75, 1, PackDigits(Digits(number / 100, 2)));
  return b;
}

std::string DataPath() { return g_root + "DADES/TRemeses.dat"; }

// Builds the 100,000-record file once, in one transaction.
bool BuildFile() {
  char templ[] = "/tmp/banklist_bench_XXXXXX";
  if (mkdtemp(templ) == nullptr) return false;
  g_root = std::string(templ) + "/";
  std::system(("mkdir -p '" + g_root + "DADES'").c_str());
  // Key 0: the remittance number, its first two digits (byte 76) then its last two (byte 1).
  std::string spec =
      test_support::MakeSpec(kRecordLength, {{{76, 1, KeyDuplicates}, {1, 1, KeyDuplicates}}});
  std::string name = DataPath();
  std::uint32_t length = static_cast<std::uint32_t>(spec.size());
  if (RecordManagerCall(OpCreate, nullptr, spec.data(), &length, name.data(),
                        static_cast<unsigned char>(name.size()), CreateNoReplace) != 0)
    return false;
  unsigned char block[PositionBlockSize] = {};
  std::string owner("0000", 5);
  length = 5;
  if (RecordManagerCall(OpOpen, block, owner.data(), &length, name.data(),
                        static_cast<unsigned char>(name.size()), OpenNormal) != 0)
    return false;
  RecordManagerCall(OpBeginTransaction, block, nullptr, nullptr, nullptr, 0, 0);
  for (int i = 0; i < kRecords; ++i) {
    std::string r = Record(i);
    std::string key(255, '\0');
    length = kRecordLength;
    if (RecordManagerCall(OpInsert, block, r.data(), &length, key.data(), 255, 0) != 0) return false;
  }
  RecordManagerCall(OpEndTransaction, block, nullptr, nullptr, nullptr, 0, 0);
  RecordManagerCall(OpClose, block, nullptr, nullptr, nullptr, 0, 0);
  return true;
}

void BM_PlainGetNextScan(benchmark::State& state) {
  std::string name = DataPath();
  unsigned char block[PositionBlockSize] = {};
  std::string owner("0000", 5);
  std::uint32_t length = 5;
  if (RecordManagerCall(OpOpen, block, owner.data(), &length, name.data(),
                        static_cast<unsigned char>(name.size()), OpenNormal) != 0) {
    state.SkipWithError("open failed");
    return;
  }
  char data[1536];
  char key[256];
  for (auto _ : state) {
    int count = 0;
    std::string zero(2, '\0');
    std::copy(zero.begin(), zero.end(), key);
    length = sizeof data;
    short status = RecordManagerCall(OpGetGreaterOrEqual, block, data, &length, key, 255, 0);
    while (status == 0) {
      ++count;
      length = sizeof data;
      status = RecordManagerCall(OpGetNext, block, data, &length, key, 255, 0);
    }
    if (count != kRecords) state.SkipWithError("scan did not see every record");
    benchmark::DoNotOptimize(data[0]);
  }
  RecordManagerCall(OpClose, block, nullptr, nullptr, nullptr, 0, 0);
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_PrintRun(benchmark::State& state) {
  ResetSessionSettings();
  ResetCompanyDetails();
  ResetDataFileTable();
  LanguageFileName.clear();
  ModuleName = "BANKLIST";
  SessionSettings.RootDirectory = g_root;
  SessionSettings.TemporaryDirectory = g_root;
  SessionSettings.LanguageCode = "CAT";
  CompanyDetails.Fields[0] = "DISTRIBUCIONS DEL PENED\x90S, S.L.    ";
  CompanyDetails.Fields[6] = "ESB12345678                        ";
  short status = 0;
  OpenDataFile(RemittanceFileNumber, g_root + "DADES\\TRemeses", RemittanceRecordArea, status);
  if (status != 0) {
    state.SkipWithError("OpenDataFile failed");
    return;
  }
  for (auto _ : state) {
    OpenPrintFile("");
    PrintRemittanceRecords();
    ClosePrintFile();
  }
  CloseAllDataFiles(status);
  state.SetItemsProcessed(state.iterations() * kRecords);
}

// The parts of the print run on their own: the data layer's reads, and the report lines into the
// print file for records already in the area.
void BM_DataLayerScan(benchmark::State& state) {
  ResetDataFileTable();
  SessionSettings.RootDirectory = g_root;
  short status = 0;
  OpenDataFile(RemittanceFileNumber, g_root + "DADES\\TRemeses", RemittanceRecordArea, status);
  for (auto _ : state) {
    ReadByKey(RemittanceFileNumber, 0, "", 1, status);
    while (status == 0) StepRecords(RemittanceFileNumber, 1, status);
  }
  CloseAllDataFiles(status);
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_ReportLines(benchmark::State& state) {
  SessionSettings.TemporaryDirectory = g_root;
  SessionSettings.LanguageCode = "CAT";
  ModuleName = "BANKLIST";
  for (auto _ : state) {
    OpenPrintFile("");
    PageNumber = 0;
    for (int i = 0; i < kRecords; ++i) {
      if (i % 1000 == 0) {
        const std::string r = Record(i);
        std::copy(r.begin(), r.end(), RemittanceRecordArea.Bytes.begin());
      }
      PrintRemittanceLine();
    }
    ClosePrintFile();
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

BENCHMARK(BM_DataLayerScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainGetNextScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintRun)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!BuildFile()) {
    std::fprintf(stderr, "report_bench: cannot build the data file\n");
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::system(("rm -rf '" + g_root + "'").c_str());
  return 0;
}
