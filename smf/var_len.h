// Variable-length quantities of Standard MIDI Files: 7 bits per byte, most significant first,
// bit 7 set on every byte but the last. Values up to 0FFFFFFF (four bytes).
#ifndef SONOREL_SMF_VAR_LEN_H
#define SONOREL_SMF_VAR_LEN_H

#include <cstdint>

#include "smf/byte_buffer.h"

// Replaces the content of buffer with the quantity.
void EncodeVarLen(ByteBuffer& buffer, std::uint32_t value);
// Writes the quantity at position, growing the buffer byte by byte, and advances position past it.
void AppendVarLen(ByteBuffer& buffer, std::uint32_t& position, std::uint32_t value);
// Number of bytes of the quantity, 1 to 4.
int VarLenSize(std::uint32_t value);

#endif
