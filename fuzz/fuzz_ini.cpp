// Any bytes, loaded and saved, must save to the same bytes again: one normalisation reaches a fixed point.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ini/ini_file.h"

namespace {

// A RAM disk when there is one, since every save flushes to disk.
std::string FilePath() {
  std::filesystem::path folder = std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                                     : std::filesystem::temp_directory_path();
  return (folder / ("fuzz_ini_" + std::to_string(getpid()) + ".ini")).string();
}

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) std::abort();
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  std::fclose(file);
  return bytes;
}

bool SameDocument(const IniFile& a, const IniFile& b) {
  if (a.Sections().size() != b.Sections().size()) return false;
  auto other = b.Sections().begin();
  for (const IniSection& section : a.Sections()) {
    if (section.name != other->name || section.lines != other->lines) return false;
    ++other;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = FilePath();
  static const bool cleanup = std::atexit([] { std::remove(path.c_str()); }) == 0;
  (void)cleanup;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  if (std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0) std::abort();

  IniFile first;
  if (!first.Load(path.c_str())) std::abort();
  first.Save();
  const std::string first_bytes = ReadBytes(path);

  IniFile second;
  if (!second.Load(path.c_str())) std::abort();
  if (!SameDocument(first, second)) std::abort();
  second.Save();
  if (ReadBytes(path) != first_bytes) std::abort();
  return 0;
}
