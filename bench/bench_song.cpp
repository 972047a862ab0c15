#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "song/song_writer.h"

namespace {

typedef std::vector<unsigned char> Bytes;

void PutLength(Bytes& song, std::size_t at) {
  std::uint32_t length = static_cast<std::uint32_t>(song.size() - at - 4);
  for (int k = 0; k < 4; ++k) song[at + k] = static_cast<unsigned char>(length >> (24 - 8 * k));
}

// A format 1 song of about `size` bytes: a tempo track, then a GS Reset and notes with running status.
Bytes GeneratedSong(std::size_t size) {
  Bytes song = {'M',  'T', 'h',  'd',  0, 0,   0,   6,   0,   1,    0,    2, 0x01, 0xE0,
                'M',  'T', 'r',  'k',  0, 0,   0,   11,  0,   0xFF, 0x51, 3, 0x07, 0xA1,
                0x20, 0,   0xFF, 0x2F, 0, 'M', 'T', 'r', 'k', 0,    0,    0, 0};
  std::size_t lengthAt = song.size() - 4;
  const unsigned char reset[] = {0, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
  song.insert(song.end(), reset, reset + sizeof reset);
  const unsigned char first[] = {0x83, 0x60, 0x90, 0x3C, 0x64};
  song.insert(song.end(), first, first + sizeof first);
  for (int i = 0; song.size() + 8 < size; ++i) {
    const unsigned char note[] = {0x3C, static_cast<unsigned char>(0x30 + i % 40),       0x00,
                                  0x00, static_cast<unsigned char>(0x30 + (i + 1) % 40), 0x64};
    song.insert(song.end(), note, note + sizeof note);
  }
  const unsigned char end[] = {0, 0xFF, 0x2F, 0};
  song.insert(song.end(), end, end + sizeof end);
  PutLength(song, lengthAt);
  return song;
}

// Plan and splice of the GS tune into songs from 64 KiB to 4 MiB: the time should grow with the size only.
void BM_WriteTuneIntoSong(benchmark::State& state) {
  Bytes song = GeneratedSong(static_cast<std::size_t>(state.range(0)));
  const unsigned char tune[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00,
                                0x00, 0x00, 0x04, 0x04, 0x0F, 0x29, 0xF7};
  for (auto _ : state) {
    SongPlan plan = PlanSongTune(song.data(), song.size(), 0, tune, sizeof tune);
    Bytes written = ApplySongPlan(song.data(), song.size(), plan);
    benchmark::DoNotOptimize(written.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(song.size()));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_WriteTuneIntoSong)->RangeMultiplier(4)->Range(64 << 10, 4 << 20)->Complexity(benchmark::oN);

}  // namespace
