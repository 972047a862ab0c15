#include <benchmark/benchmark.h>

#include "engine/pitch.h"
#include "engine/tune_message.h"

namespace {

const char* const HertzTexts[] = {"4", "44", "442", "442.", "442.0", "442.01", "  441.5Hz", "abc"};
const int HertzTextCount = sizeof HertzTexts / sizeof HertzTexts[0];

// One keystroke in the hertz field: rebuild the message from the field's text and render it.
void BM_KeystrokeHertz(benchmark::State& state) {
  const int format = static_cast<int>(state.range(0));
  int next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuildTuneMessage(FromHertz, HertzTexts[next], format));
    benchmark::DoNotOptimize(
        FormatTuneHex(TuneMessage.bytes, TuneMessage.length, TuneHexText, sizeof TuneHexText));
    next = (next + 1) % HertzTextCount;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KeystrokeHertz)->ArgName("format")->DenseRange(GS, GM2);

const char* const CentsTexts[] = {"-", "-0", "-0.", "-0.5", "12.35", "99.99", "150", ""};
const int CentsTextCount = sizeof CentsTexts / sizeof CentsTexts[0];

void BM_KeystrokeCents(benchmark::State& state) {
  const int format = static_cast<int>(state.range(0));
  int next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuildTuneMessage(FromCents, CentsTexts[next], format));
    benchmark::DoNotOptimize(
        FormatTuneHex(TuneMessage.bytes, TuneMessage.length, TuneHexText, sizeof TuneHexText));
    next = (next + 1) % CentsTextCount;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KeystrokeCents)->ArgName("format")->DenseRange(GS, GM2);

// The number text alone, for a typical hertz value and for the extremes of the double range.
void BM_FormatFixed(benchmark::State& state, double value, int decimals) {
  char text[FixedTextSize];
  volatile double input = value;  // read afresh each time, never folded
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatFixed(input, decimals, text, sizeof text));
    benchmark::ClobberMemory();
  }
}
BENCHMARK_CAPTURE(BM_FormatFixed, hertz_442_01, 442.01, 6);
BENCHMARK_CAPTURE(BM_FormatFixed, cents_7_9, 7.9, 1);
BENCHMARK_CAPTURE(BM_FormatFixed, largest, 1.7976931348623157e308, 6);
BENCHMARK_CAPTURE(BM_FormatFixed, smallest, 4.9406564584124654e-324, 6);

}  // namespace
