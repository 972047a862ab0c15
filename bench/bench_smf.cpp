#include <benchmark/benchmark.h>

#include "smf/byte_buffer.h"
#include "smf/smf_sequence.h"

namespace {

// 100,000 note events on one channel, so running status drops most status bytes.
void BM_SerializeChannelEvents(benchmark::State& state) {
  SmfSequence sequence;
  sequence.format = 0;
  sequence.SetDivision(480);
  SmfTrack& track = sequence.AddTrack();
  for (int i = 0; i < 100000; ++i) {
    unsigned char data[2] = {static_cast<unsigned char>(0x30 + i % 48),
                             static_cast<unsigned char>(i % 2 ? 0 : 100)};
    AppendEventBytes(track, static_cast<std::uint32_t>(i % 3 == 0 ? 0 : 60 + i % 200), 0x90, data, 2);
  }
  static const unsigned char EndOfTrack[] = {0x2F, 0x00};
  AppendEventBytes(track, 0, 0xFF, EndOfTrack, 2);

  ByteBuffer out;
  for (auto _ : state) {
    benchmark::DoNotOptimize(Serialize(out, sequence, true));
    benchmark::DoNotOptimize(out.Data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * out.Size());
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 100000);
}
BENCHMARK(BM_SerializeChannelEvents);

}  // namespace
