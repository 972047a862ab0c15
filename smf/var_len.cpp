#include "smf/var_len.h"

namespace {

// The groups of 7 bits packed into one word, the most significant group in the low byte and bit 7 set
// on every byte that another one follows. Values above 0FFFFFFF are written as 0FFFFFFF, the largest
// four-byte quantity, so the byte count always agrees with VarLenSize.
std::uint32_t PackVarLen(std::uint32_t value) {
  if (value > 0x0FFFFFFFu) value = 0x0FFFFFFFu;
  std::uint32_t packed = value & 0x7Fu;
  while ((value >>= 7) != 0) {
    packed <<= 8;
    packed |= (value & 0x7Fu) | 0x80u;
  }
  return packed;
}

}  // namespace

void EncodeVarLen(ByteBuffer& buffer, std::uint32_t value) {
  buffer.Clear();
  std::uint32_t position = 0;
  AppendVarLen(buffer, position, value);
}

void AppendVarLen(ByteBuffer& buffer, std::uint32_t& position, std::uint32_t value) {
  std::uint32_t packed = PackVarLen(value);
  for (;;) {
    if (position >= buffer.Size()) buffer.Resize(position + 1);
    unsigned char byte = static_cast<unsigned char>(packed & 0xFFu);
    buffer.Data()[position++] = byte;
    if ((byte & 0x80u) == 0) break;
    packed >>= 8;
  }
}

int VarLenSize(std::uint32_t value) {
  int count = 1;
  while (count < 4 && (value >> 7) != 0) {
    value >>= 7;
    ++count;
  }
  return count;
}
