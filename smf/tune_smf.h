// The Standard MIDI File of the current master-tune message.
#ifndef SONOREL_SMF_TUNE_SMF_H
#define SONOREL_SMF_TUNE_SMF_H

#include <cstdint>

#include "smf/byte_buffer.h"

// Format 0, division 120, one track: one System Exclusive event per F7-terminated message of TuneMessage,
// all at tick 0, then End of Track. Replaces the content of image and returns its size.
std::uint32_t BuildSmfImage(ByteBuffer& image);

#endif
