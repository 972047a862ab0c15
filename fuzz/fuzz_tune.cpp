// Feeds arbitrary field texts through the keystroke path and arbitrary doubles through the number text, and
// checks what every message and every text must satisfy, and that the number text's fast path agrees with
// its exact expansion.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/pitch.h"
#include "engine/tune_message.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// The first byte picks the format and the field; the rest, cut to 63 characters, is the field's text.
void CheckMessage(const std::uint8_t* data, std::size_t size) {
  const int format = data[0] % 3;
  const TuneSource source = (data[0] / 3) % 2 == 0 ? FromHertz : FromCents;
  char text[64];
  std::size_t length = size - 1 < 63 ? size - 1 : 63;
  std::memcpy(text, data + 1, length);
  text[length] = '\0';

  Check(BuildTuneMessage(source, text, format));
  const std::int32_t expected[] = {14, 12, 8};
  const std::int32_t n = TuneMessage.length;
  Check(n == expected[format]);
  Check(TuneMessage.bytes[0] == 0xF0 && TuneMessage.bytes[n - 1] == 0xF7);
  for (std::int32_t i = 1; i < n - 1; ++i) Check(TuneMessage.bytes[i] < 0x80);

  Check(CurrentCents >= CentsRange[format].minimum && CurrentCents <= CentsRange[format].maximum);
  Check(IsFiniteNumber(CurrentHertz) && CurrentHertz > 0);
  const unsigned char* b = TuneMessage.bytes;
  if (format == GS) {
    int sum = 0;
    for (int i = 5; i <= 12; ++i) sum += b[i];
    Check(sum % 128 == 0);
  }
  if (format != GM2) {  // the nibbles hold the tenths of CurrentCents
    const unsigned char* nibbles = b + (format == GS ? 8 : 7);
    int value = nibbles[0] << 12 | nibbles[1] << 8 | nibbles[2] << 4 | nibbles[3];
    Check(value - 0x400 == static_cast<int>(std::lround(CurrentCents * 10)));
  }

  char hex[TuneBufferSize];
  std::size_t hexLength = FormatTuneHex(b, n, hex, sizeof hex);
  Check(hexLength == static_cast<std::size_t>(3 * n - 1) && std::strlen(hex) == hexLength);
}

// Eight bytes as a double (zeros past the end), written with 0, 1, 2 or 6 decimals and read back.
void CheckFixedText(const std::uint8_t* data, std::size_t size) {
  std::uint8_t bits[8] = {0};
  std::memcpy(bits, data + 1, size - 1 < 8 ? size - 1 : 8);
  double value;
  std::memcpy(&value, bits, sizeof value);
  if (!IsFiniteNumber(value)) return;
  const int widths[] = {0, 1, 2, 6};
  const int decimals = widths[(data[0] / 6) % 4];

  char text[FixedTextSize];
  std::size_t length = FormatFixed(value, decimals, text, sizeof text);
  Check(length > 0 && length < FixedTextSize && std::strlen(text) == length);
  const char* point = std::strchr(text, '.');
  if (decimals == 0) {
    Check(point == nullptr);
  } else {
    Check(point != nullptr && text + length - point - 1 == decimals);
  }
  double back = 0;
  Check(ParseNumber(text, &back) && IsFiniteNumber(back));
  // Off by at most half the last decimal, plus the 17-digit rounding and the reading.
  Check(std::fabs(back - value) <= 0.5000001 * std::pow(10.0, -decimals) + std::fabs(value) * 2e-16);

  // The fast path and the exact expansion write the same text at every width, and RoundCents gives the
  // double of that text.
  char exact[FixedTextSize];
  for (int width = 0; width <= 6; ++width) {
    FormatFixed(value, width, text, sizeof text);
    FormatFixedExact(value, width, exact, sizeof exact);
    Check(std::strcmp(text, exact) == 0);
  }
  for (int format = 0; format < MidiFormatCount; ++format) {
    FormatFixedExact(value, CentsRange[format].decimals, exact, sizeof exact);
    double expected = 0;
    Check(ParseNumber(exact, &expected));
    double rounded = RoundCents(value, format);
    Check(std::memcmp(&rounded, &expected, sizeof rounded) == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  CheckMessage(data, size);
  CheckFixedText(data, size);
  return 0;
}
