// A small Standard MIDI File writer: tracks of timed events serialised into one image, big-endian,
// with optional running status.
#ifndef SONOREL_SMF_SMF_SEQUENCE_H
#define SONOREL_SMF_SMF_SEQUENCE_H

#include <cstdint>
#include <deque>
#include <vector>

#include "smf/byte_buffer.h"

struct SmfEvent {
  std::int32_t tick;  // absolute, from the start of the track
  ByteBuffer bytes;   // status byte and data, exactly as written after the delta time
};

// Events in order of output; ticks must not decrease.
struct SmfTrack {
  std::vector<SmfEvent> events;
};

class SmfSequence {
 public:
  SmfSequence();
  virtual ~SmfSequence();

  // Appends an empty track; the reference stays valid while the sequence lives.
  SmfTrack& AddTrack();
  // Stores the division unless DivisionKind calls it invalid (5); then returns false.
  bool SetDivision(std::uint16_t value);

  std::uint16_t format;    // written as stored
  std::uint16_t division;  // written as stored
  std::deque<SmfTrack> tracks;
};

// tick = tick of the track's last event (0 when empty) + delta; bytes = status, then data.
void AppendEvent(SmfTrack& track, std::uint32_t delta, unsigned char status, const ByteBuffer& data);
void AppendEventBytes(SmfTrack& track, std::uint32_t delta, unsigned char status, const unsigned char* bytes,
                      std::uint32_t length);

// 0 ticks per quarter note; 1 to 4 SMPTE 24, 25, 30 drop-frame, 30 frames per second; 5 invalid.
int DivisionKind(std::uint16_t value);

// Size of the track chunk, its 8 header bytes included.
std::uint32_t TrackSize(const SmfTrack& track, bool runningStatus);
// 14 + every TrackSize; when sizes is given it is emptied and receives each track's size in order.
std::uint32_t TotalSize(const SmfSequence& sequence, bool runningStatus, std::vector<std::uint32_t>* sizes);
// Replaces out with the image (allocated once, exactly) and returns its size.
std::uint32_t Serialize(ByteBuffer& out, const SmfSequence& sequence, bool runningStatus);

#endif
