// Builds sequences from arbitrary bytes and checks that the image agrees with the computed sizes and
// parses back into exactly the chunks it claims.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "smf/byte_buffer.h"
#include "smf/smf_sequence.h"
#include "smf/var_len.h"

namespace {

struct Reader {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at;

  bool Done() const { return at >= size; }
  std::uint8_t Byte() { return at < size ? data[at++] : 0; }
  std::uint32_t Word() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | Byte();
    return value;
  }
};

void Check(bool condition) {
  if (!condition) std::abort();
}

std::uint32_t ReadU32(const ByteBuffer& image, std::uint32_t at) {
  const unsigned char* p = image.Data() + at;
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}

std::uint32_t ReadU16(const ByteBuffer& image, std::uint32_t at) {
  return (static_cast<std::uint32_t>(image.Data()[at]) << 8) | image.Data()[at + 1];
}

// Small deltas are common in real files; large ones exercise the longer quantities.
std::uint32_t ReadDelta(Reader& in) {
  std::uint8_t kind = in.Byte();
  switch (kind & 3) {
    case 0:
      return 0;
    case 1:
      return in.Byte();
    case 2:
      return (static_cast<std::uint32_t>(in.Byte()) << 8) | in.Byte();
    default:
      return in.Word() & 0x0FFFFFFFu;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in = {data, size, 0};
  SmfSequence sequence;
  std::uint8_t flags = in.Byte();
  bool runningStatus = (flags & 1) != 0;
  sequence.format = static_cast<std::uint16_t>(flags >> 1 & 3);
  std::uint16_t division = static_cast<std::uint16_t>(in.Byte() << 8 | in.Byte());
  bool accepted = sequence.SetDivision(division);
  Check(accepted == (DivisionKind(division) != 5));
  Check(sequence.division == (accepted ? division : 0));
  int trackCount = in.Byte() % 5;

  std::vector<unsigned char> eventData;
  for (int t = 0; t < trackCount; ++t) {
    SmfTrack& track = sequence.AddTrack();
    int eventCount = in.Done() ? 0 : in.Byte() % 32;
    // Keep the absolute ticks within 31 bits so that they never decrease.
    std::uint32_t tick = 0;
    for (int e = 0; e < eventCount && !in.Done(); ++e) {
      std::uint32_t delta = ReadDelta(in);
      if (tick + delta > 0x7FFFFFFFu) delta = 0;
      tick += delta;
      unsigned char status = in.Byte();
      std::size_t length = in.Byte() % 8;
      eventData.clear();
      for (std::size_t i = 0; i < length; ++i) eventData.push_back(in.Byte());
      AppendEventBytes(track, delta, status, eventData.data(), static_cast<std::uint32_t>(eventData.size()));
      Check(track.events.back().tick == static_cast<std::int32_t>(tick));
      Check(track.events.back().bytes.Size() == length + 1);
    }
  }

  std::vector<std::uint32_t> sizes = {1, 2, 3};
  std::uint32_t total = TotalSize(sequence, runningStatus, &sizes);
  Check(sizes.size() == sequence.tracks.size());
  std::uint32_t sum = 14;
  for (std::size_t t = 0; t < sizes.size(); ++t) {
    Check(sizes[t] == TrackSize(sequence.tracks[t], runningStatus));
    Check(sizes[t] <= TrackSize(sequence.tracks[t], false));
    sum += sizes[t];
  }
  Check(sum == total);

  ByteBuffer out;
  std::uint32_t written = Serialize(out, sequence, runningStatus);
  Check(written == total);
  Check(out.Size() == total);
  Check(out.Capacity() == total);

  // Header chunk.
  Check(ReadU32(out, 0) == 0x4D546864u);
  Check(ReadU32(out, 4) == 6);
  Check(ReadU16(out, 8) == sequence.format);
  Check(ReadU16(out, 10) == sequence.tracks.size());
  Check(ReadU16(out, 12) == sequence.division);

  // Track chunks cover the rest exactly; the first event of each track carries its status byte.
  std::uint32_t at = 14;
  for (std::size_t t = 0; t < sequence.tracks.size(); ++t) {
    Check(at + 8 <= out.Size());
    Check(ReadU32(out, at) == 0x4D54726Bu);
    std::uint32_t length = ReadU32(out, at + 4);
    Check(length == sizes[t] - 8);
    Check(at + 8 + length <= out.Size());
    const SmfTrack& track = sequence.tracks[t];
    if (!track.events.empty()) {
      std::uint32_t delta = static_cast<std::uint32_t>(track.events[0].tick);
      std::uint32_t body = at + 8 + static_cast<std::uint32_t>(VarLenSize(delta));
      Check(out.Data()[body] == track.events[0].bytes.Data()[0]);
    }
    at += 8 + length;
  }
  Check(at == out.Size());
  return 0;
}
