#include "engine/tune_message.h"

#include <cstring>

#include "engine/pitch.h"

// See pitch.cpp: the truncated products c x 10 and c x 81.92 must be double products, not x87 ones.
#if defined(__GNUC__) && !defined(__clang__) && defined(__i386__) && !defined(__SSE2_MATH__)
#pragma GCC target("sse2", "fpmath=sse")
#endif

TuneMessageBuffer TuneMessage = {{0}, 0};
char TuneHexText[TuneBufferSize] = "";
double CurrentCents = 0.0;
double CurrentHertz = 440.0;

namespace {

const int FieldTextLimit = 63;

// The cents of a field's text, clamped and rounded for the format; 0 for a text that gives no usable pitch.
double CentsFromText(TuneSource source, const char* text, int format) {
  char field[FieldTextLimit + 1];
  std::size_t length = 0;
  if (text != nullptr) {
    while (length < FieldTextLimit && text[length] != '\0') ++length;
    std::memcpy(field, text, length);
  }
  field[length] = '\0';
  if (length == 0) return 0.0;

  double value = 0.0;
  if (!ParseNumber(field, &value) || !IsFiniteNumber(value)) return 0.0;
  double cents = value;
  if (source == FromHertz) {
    cents = CentsFromHertz(value);
    if (!IsFiniteNumber(cents)) return 0.0;
  }
  return RoundCents(ClampCents(cents, format), format);
}

// GS and XG carry the tune as 0x400 + tenths of a cent in four nibbles, most significant first.
void PutNibbles(double cents, unsigned char* out) {
  int value = static_cast<int>(cents * 10.0) + 0x400;
  out[0] = static_cast<unsigned char>((value >> 12) & 0x0F);
  out[1] = static_cast<unsigned char>((value >> 8) & 0x0F);
  out[2] = static_cast<unsigned char>((value >> 4) & 0x0F);
  out[3] = static_cast<unsigned char>(value & 0x0F);
}

int EncodeGs(double cents, unsigned char* out) {
  const unsigned char head[] = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x00};
  std::memcpy(out, head, sizeof head);
  PutNibbles(cents, out + 8);
  int sum = 0;
  for (int i = 5; i <= 11; ++i) sum += out[i];
  out[12] = static_cast<unsigned char>(128 - sum % 128);  // address, data and checksum sum to 0 mod 128
  out[13] = 0xF7;
  return 14;
}

int EncodeXg(double cents, unsigned char* out) {
  const unsigned char head[] = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x00};
  std::memcpy(out, head, sizeof head);
  PutNibbles(cents, out + 7);
  out[11] = 0xF7;
  return 12;
}

int EncodeGm2(double cents, unsigned char* out) {
  // One step is 100/8192 cent; truncation toward zero makes any offset below one step 0x2000.
  int value = 8192 + static_cast<int>(cents * 81.92);
  const unsigned char message[] = {0xF0,
                                   0x7F,
                                   0x7F,
                                   0x04,
                                   0x03,
                                   static_cast<unsigned char>(value & 0x7F),
                                   static_cast<unsigned char>((value >> 7) & 0x7F),
                                   0xF7};
  std::memcpy(out, message, sizeof message);
  return 8;
}

}  // namespace

bool BuildTuneMessage(TuneSource source, const char* text, int format) {
  if (format < 0 || format >= MidiFormatCount) return false;
  return BuildTuneMessageFromCents(CentsFromText(source, text, format), format);
}

bool BuildTuneMessageFromCents(double cents, int format) {
  if (format < 0 || format >= MidiFormatCount) return false;
  CurrentCents = cents;
  CurrentHertz = HertzFromCents(cents);

  unsigned char message[16];
  int length = 0;
  switch (format) {
    case GS:
      length = EncodeGs(cents, message);
      break;
    case XG:
      length = EncodeXg(cents, message);
      break;
    default:
      length = EncodeGm2(cents, message);
      break;
  }
  std::memcpy(TuneMessage.bytes, message, length);
  TuneMessage.length = length;
  return true;
}

std::size_t FormatTuneHex(const unsigned char* bytes, std::int32_t length, char* out, std::size_t size) {
  if (out == nullptr || size == 0) return 0;
  const char hex[] = "0123456789ABCDEF";
  std::size_t used = 0;
  if (bytes != nullptr && length > 0 && size > 3 * static_cast<std::size_t>(length)) {
    for (std::int32_t i = 0; i < length; ++i) {  // room for everything: no checks per character
      out[used++] = hex[bytes[i] >> 4];
      out[used++] = hex[bytes[i] & 0x0F];
      if (bytes[i] != 0xF7) out[used++] = ' ';
    }
    out[used] = '\0';
    return used;
  }
  for (std::int32_t i = 0; i < length && bytes != nullptr; ++i) {
    char item[3] = {hex[bytes[i] >> 4], hex[bytes[i] & 0x0F], ' '};
    int itemLength = bytes[i] == 0xF7 ? 2 : 3;
    for (int k = 0; k < itemLength && used + 1 < size; ++k) out[used++] = item[k];
  }
  out[used] = '\0';
  return used;
}
