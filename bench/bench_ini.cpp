// Load and Save of a preset file of 10,000 presets, each a section with Hz and MidiFormat lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "ini/ini_file.h"

namespace {

constexpr int kPresets = 10000;

// The file the program writes for that many presets, in a folder of its own for the whole run.
class PresetFolder {
 public:
  PresetFolder() {
    folder_ = std::filesystem::temp_directory_path() / "sonorel-bench-ini";
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    path_ = (folder_ / "Preset.ini").string();
    IniFile ini;
    ini.Load(path_.c_str());
    for (int i = 0; i < kPresets; ++i) {
      std::string name = "Preset " + std::to_string(i);
      ini.SetValue(name.c_str(), "Hz", "442.012404");
      ini.SetValue(name.c_str(), "MidiFormat", std::to_string(i % 3).c_str());
    }
    ini.Save();
    bytes_ = static_cast<int64_t>(std::filesystem::file_size(path_));
  }
  ~PresetFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  const std::string& Path() const { return path_; }
  int64_t Bytes() const { return bytes_; }

 private:
  std::filesystem::path folder_;
  std::string path_;
  int64_t bytes_ = 0;
};

const PresetFolder& Presets() {
  static const PresetFolder presets;
  return presets;
}

void BM_LoadPresets(benchmark::State& state) {
  const PresetFolder& presets = Presets();
  for (auto _ : state) {
    IniFile ini;
    benchmark::DoNotOptimize(ini.Load(presets.Path().c_str()));
  }
  state.SetBytesProcessed(state.iterations() * presets.Bytes());
}
BENCHMARK(BM_LoadPresets)->Unit(benchmark::kMillisecond);

// Includes the flush to disk and the replacement of the old file.
void BM_SavePresets(benchmark::State& state) {
  const PresetFolder& presets = Presets();
  IniFile ini;
  if (!ini.Load(presets.Path().c_str())) state.SkipWithError("preset file missing");
  for (auto _ : state) ini.Save();
  state.SetBytesProcessed(state.iterations() * presets.Bytes());
}
BENCHMARK(BM_SavePresets)->Unit(benchmark::kMillisecond);

// A lookup of the last preset scans every section before it.
void BM_LookupLastPreset(benchmark::State& state) {
  IniFile ini;
  if (!ini.Load(Presets().Path().c_str())) state.SkipWithError("preset file missing");
  const std::string name = "preset " + std::to_string(kPresets - 1);
  for (auto _ : state) benchmark::DoNotOptimize(ini.GetValueOr(name.c_str(), "hz", "0.0"));
}
BENCHMARK(BM_LookupLastPreset)->Unit(benchmark::kMicrosecond);

}  // namespace
