// FormatPicture on the report's masks and the calculator's display mask, each beside snprintf
// of the same numbers at the same width.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "format/picture.h"

namespace {

const char kCalculatorMask[] = "-Z,ZZZ,ZZZ,ZZZ,ZZZ,ZZ9";     // 22 characters
const char kCalculatorDecimals[] = "-ZZ,ZZZ,ZZZ,ZZZ,ZZ9.99";  // two decimals entered

std::vector<double> Numbers(double scale, bool fractions) {
  std::vector<double> values;
  std::uint32_t state = 12345;
  for (int i = 0; i < 1024; ++i) {
    state = state * 1664525u + 1013904223u;
    double v = static_cast<double>(state % 1000000u) / 1000000.0 * scale;
    if (!fractions) v = static_cast<double>(static_cast<long long>(v));
    if (i % 4 == 3) v = -v;
    values.push_back(v);
  }
  return values;
}

void UseDefaultCharacters() {
  setenv("TAVROOT", "/nonexistent/", 1);
  ResetPictureSettings();
  benchmark::DoNotOptimize(FormatPicture("9", 0));  // loads the settings once
}

void Picture(benchmark::State& state, const char* mask, double scale, bool fractions) {
  UseDefaultCharacters();
  const std::string m = mask;
  const std::vector<double> values = Numbers(scale, fractions);
  std::size_t i = 0;
  for (auto _ : state) {
    std::string text = FormatPicture(m, values[i++ & 1023]);
    benchmark::DoNotOptimize(text);
  }
}

void Snprintf(benchmark::State& state, const char* format, int width, double scale,
              bool fractions) {
  const std::vector<double> values = Numbers(scale, fractions);
  std::size_t i = 0;
  char buffer[64];
  for (auto _ : state) {
    const int n = std::snprintf(buffer, sizeof buffer, format, width, values[i++ & 1023]);
    std::string text(buffer, static_cast<std::size_t>(n));
    benchmark::DoNotOptimize(text);
  }
}

BENCHMARK_CAPTURE(Picture, ZZ9, "ZZ9", 999.0, false);
BENCHMARK_CAPTURE(Snprintf, ZZ9, "%*.0f", 3, 999.0, false);
BENCHMARK_CAPTURE(Picture, ZZZ9, "ZZZ9", 9999.0, false);
BENCHMARK_CAPTURE(Snprintf, ZZZ9, "%*.0f", 4, 9999.0, false);
BENCHMARK_CAPTURE(Picture, Calculator, kCalculatorMask, 1e12, false);
BENCHMARK_CAPTURE(Snprintf, Calculator, "%'*.0f", 22, 1e12, false);
BENCHMARK_CAPTURE(Picture, CalculatorDecimals, kCalculatorDecimals, 1e9, true);
BENCHMARK_CAPTURE(Snprintf, CalculatorDecimals, "%'*.2f", 22, 1e9, true);

}  // namespace
