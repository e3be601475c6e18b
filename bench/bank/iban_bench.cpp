// CheckIban on the accounts the remittance report builds: "ES00" and a Spanish account number,
// completed with their check digits.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bank/iban.h"

namespace {

const char* const kSpanishAccounts[] = {
    "21000418450200051332", "31681838191302657532", "96800094165996024489",
    "20800026900386977619", "02659816318237554185", "07898318039543108844",
    "72031971325842207411", "23174640133551386827", "35127407103983477513",
};

std::vector<std::string> Accounts(const std::string& prefix, const std::string& suffix) {
  std::vector<std::string> accounts;
  for (const char* bban : kSpanishAccounts) accounts.push_back(prefix + bban + suffix);
  return accounts;
}

void RunChecks(benchmark::State& state, const std::vector<std::string>& accounts) {
  std::string account;
  std::size_t next = 0;
  for (auto _ : state) {
    account = accounts[next];
    if (++next == accounts.size()) next = 0;
    benchmark::DoNotOptimize(CheckIban(account));
    benchmark::DoNotOptimize(account.data());
  }
  state.SetItemsProcessed(state.iterations());
}

// The report's case: zero check digits to be written in.
void BM_CheckIbanSpanishZeroDigits(benchmark::State& state) {
  RunChecks(state, Accounts("ES00", ""));
}
BENCHMARK(BM_CheckIbanSpanishZeroDigits);

// The same accounts padded with trailing blanks, as fixed-length fields come.
void BM_CheckIbanSpanishPadded(benchmark::State& state) {
  RunChecks(state, Accounts("ES00", std::string(10, ' ')));
}
BENCHMARK(BM_CheckIbanSpanishPadded);

// Written in groups: every blank is removed in place.
void BM_CheckIbanSpanishGrouped(benchmark::State& state) {
  std::vector<std::string> accounts;
  for (const std::string& plain : Accounts("ES00", "")) {
    std::string grouped;
    for (std::size_t i = 0; i < plain.size(); ++i) {
      if (i > 0 && i % 4 == 0) grouped += ' ';
      grouped += plain[i];
    }
    accounts.push_back(grouped);
  }
  RunChecks(state, accounts);
}
BENCHMARK(BM_CheckIbanSpanishGrouped);

}  // namespace
