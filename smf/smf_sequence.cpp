#include "smf/smf_sequence.h"

#include <cstring>
#include <utility>

#include "smf/var_len.h"

namespace {

const int NoStatus = -1;  // the running-status memory at the start of a track: matches no byte

// The status byte of an event, or NoStatus for an event without bytes.
int StatusOf(const SmfEvent& event) { return event.bytes.Size() != 0 ? event.bytes.Data()[0] : NoStatus; }

// Only channel messages (80 to EF) may share the status byte of the previous event.
bool DropsStatus(int status, int previous, bool runningStatus) {
  return runningStatus && status == previous && status >= 0x80 && status <= 0xEF;
}

// Ticks are absolute; deltas are their unsigned 32-bit difference.
std::uint32_t DeltaOf(std::int32_t tick, std::int32_t previous) {
  return static_cast<std::uint32_t>(tick) - static_cast<std::uint32_t>(previous);
}

void PutU16(unsigned char* at, std::uint32_t value) {
  at[0] = static_cast<unsigned char>((value >> 8) & 0xFFu);
  at[1] = static_cast<unsigned char>(value & 0xFFu);
}

void PutU32(unsigned char* at, std::uint32_t value) {
  at[0] = static_cast<unsigned char>((value >> 24) & 0xFFu);
  at[1] = static_cast<unsigned char>((value >> 16) & 0xFFu);
  at[2] = static_cast<unsigned char>((value >> 8) & 0xFFu);
  at[3] = static_cast<unsigned char>(value & 0xFFu);
}

}  // namespace

SmfSequence::SmfSequence() : format(0), division(0) {}

SmfSequence::~SmfSequence() {}

SmfTrack& SmfSequence::AddTrack() {
  tracks.emplace_back();
  return tracks.back();
}

bool SmfSequence::SetDivision(std::uint16_t value) {
  if (DivisionKind(value) == 5) return false;
  division = value;
  return true;
}

void AppendEventBytes(SmfTrack& track, std::uint32_t delta, unsigned char status, const unsigned char* bytes,
                      std::uint32_t length) {
  SmfEvent event;
  std::uint32_t last = track.events.empty() ? 0 : static_cast<std::uint32_t>(track.events.back().tick);
  event.tick = static_cast<std::int32_t>(last + delta);
  event.bytes.Resize(length + 1);
  event.bytes.Data()[0] = status;
  if (length != 0) std::memcpy(event.bytes.Data() + 1, bytes, length);
  track.events.push_back(std::move(event));
}

void AppendEvent(SmfTrack& track, std::uint32_t delta, unsigned char status, const ByteBuffer& data) {
  AppendEventBytes(track, delta, status, data.Data(), data.Size());
}

int DivisionKind(std::uint16_t value) {
  int high = value >> 8;
  if (high >= 0x80) high -= 0x100;  // the high byte as a signed 8-bit number
  if (high >= 0) return 0;
  switch (high) {
    case -24:
      return 1;
    case -25:
      return 2;
    case -29:
      return 3;
    case -30:
      return 4;
    default:
      return 5;
  }
}

std::uint32_t TrackSize(const SmfTrack& track, bool runningStatus) {
  std::uint32_t size = 8;
  std::int32_t previousTick = 0;
  int previousStatus = NoStatus;
  for (const SmfEvent& event : track.events) {
    int status = StatusOf(event);
    size += static_cast<std::uint32_t>(VarLenSize(DeltaOf(event.tick, previousTick))) + event.bytes.Size();
    if (DropsStatus(status, previousStatus, runningStatus)) --size;
    previousTick = event.tick;
    previousStatus = status;
  }
  return size;
}

std::uint32_t TotalSize(const SmfSequence& sequence, bool runningStatus, std::vector<std::uint32_t>* sizes) {
  if (sizes != nullptr) sizes->clear();
  std::uint32_t total = 14;
  for (const SmfTrack& track : sequence.tracks) {
    std::uint32_t size = TrackSize(track, runningStatus);
    if (sizes != nullptr) sizes->push_back(size);
    total += size;
  }
  return total;
}

std::uint32_t Serialize(ByteBuffer& out, const SmfSequence& sequence, bool runningStatus) {
  std::vector<std::uint32_t> sizes;
  sizes.reserve(sequence.tracks.size());
  std::uint32_t total = TotalSize(sequence, runningStatus, &sizes);

  // One allocation of exactly the image's size; the writing below stays inside it.
  out.Clear();
  out.Resize(total);
  unsigned char* data = out.Data();

  std::memcpy(data, "MThd", 4);
  PutU32(data + 4, 6);
  PutU16(data + 8, sequence.format);
  PutU16(data + 10, static_cast<std::uint32_t>(sequence.tracks.size()));
  PutU16(data + 12, sequence.division);
  std::uint32_t position = 14;

  for (std::size_t t = 0; t < sequence.tracks.size(); ++t) {
    const SmfTrack& track = sequence.tracks[t];
    std::memcpy(data + position, "MTrk", 4);
    PutU32(data + position + 4, sizes[t] - 8);
    position += 8;
    std::int32_t previousTick = 0;
    int previousStatus = NoStatus;
    for (const SmfEvent& event : track.events) {
      int status = StatusOf(event);
      AppendVarLen(out, position, DeltaOf(event.tick, previousTick));
      std::uint32_t skip = DropsStatus(status, previousStatus, runningStatus) ? 1 : 0;
      std::uint32_t length = event.bytes.Size() - skip;
      if (length != 0) std::memcpy(data + position, event.bytes.Data() + skip, length);
      position += length;
      previousTick = event.tick;
      previousStatus = status;
    }
  }
  return total;
}
