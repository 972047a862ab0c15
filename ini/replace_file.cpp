#include "ini/replace_file.h"

#include <cerrno>
#include <chrono>
#include <cstdint>

namespace {

// SplitMix64: spreads the seed's bits, so that names from close seeds differ everywhere.
std::uint64_t Mixed(std::uint64_t value) {
  value += 0x9E3779B97F4A7C15ull;
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
  return value ^ (value >> 31);
}

}  // namespace

std::FILE* CreateTemporaryBeside(const std::string& target, std::string& temporary) {
  static std::uint64_t calls = 0;
  std::uint64_t seed =
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (std::uint64_t{ProcessNumber()} << 32) ^ ++calls;
  // The exclusive creation is what makes the name the save's own; the randomness only keeps the tries few.
  for (int attempt = 0; attempt < 100; ++attempt) {
    seed = Mixed(seed);
    static const char hex[] = "0123456789abcdef";
    char suffix[] = ".00000000.tmp";
    for (int i = 0; i < 8; ++i) suffix[1 + i] = hex[(seed >> (4 * i)) & 0x0F];
    temporary = target + suffix;
    errno = 0;
    std::FILE* file = CreateNewFile(temporary.c_str());
    if (file != nullptr) return file;
    if (errno != EEXIST) break;
  }
  int reason = errno;
  temporary.clear();
  errno = reason;
  return nullptr;
}
