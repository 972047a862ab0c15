#include "smf/tune_smf.h"

#include <cstring>

#include "engine/tune_message.h"
#include "smf/smf_sequence.h"
#include "smf/var_len.h"

std::uint32_t BuildSmfImage(ByteBuffer& image) {
  SmfSequence sequence;
  sequence.format = 0;
  sequence.SetDivision(120);  // ticks per quarter note
  SmfTrack& track = sequence.AddTrack();

  // Every F7 ends one System Exclusive message; bytes after the last one belong to no event.
  std::int32_t length = TuneMessage.length;
  if (length < 0) length = 0;
  if (length > TuneBufferSize) length = TuneBufferSize;
  const unsigned char* bytes = TuneMessage.bytes;
  std::int32_t start = 0;
  ByteBuffer data;
  for (std::int32_t i = 0; i < length; ++i) {
    if (bytes[i] != 0xF7) continue;
    // After the status byte: the length of the rest of the message, then the rest, F7 included.
    std::uint32_t rest = static_cast<std::uint32_t>(i - start);
    EncodeVarLen(data, rest);
    std::uint32_t lengthSize = data.Size();
    data.Resize(lengthSize + rest);
    std::memcpy(data.Data() + lengthSize, bytes + start + 1, rest);
    AppendEvent(track, 0, bytes[start], data);
    start = i + 1;
  }

  static const unsigned char EndOfTrack[] = {0x2F, 0x00};
  AppendEventBytes(track, 0, 0xFF, EndOfTrack, 2);
  return Serialize(image, sequence, true);
}
