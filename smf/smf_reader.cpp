#include "smf/smf_reader.h"

#include <cstdio>
#include <cstring>

namespace {

std::string Number(std::uint64_t value) { return std::to_string(value); }

std::string HexByte(unsigned char value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

std::uint32_t BigEndian(const unsigned char* at, int count) {
  std::uint32_t value = 0;
  for (int k = 0; k < count; ++k) value = (value << 8) | at[k];
  return value;
}

// A walk through one track chunk's body, [position, end); it never looks at a byte at or past end.
struct TrackWalk {
  const unsigned char* data;
  std::size_t position;
  std::size_t end;

  // A variable-length quantity of at most four bytes; false when it runs past end or needs a fifth byte.
  bool ReadVarLen(std::uint32_t& value) {
    value = 0;
    for (int k = 0; k < 4; ++k) {
      if (position >= end) return false;
      unsigned char b = data[position++];
      value = (value << 7) | (b & 0x7Fu);
      if ((b & 0x80u) == 0) return true;
    }
    return false;
  }
};

// Reads the events of one MTrk body up to End of Track. Returns the problem that stopped it, or "".
// Running status is set by channel messages only and, as many files expect, survives meta and SysEx events.
std::string WalkTrack(const unsigned char* data, std::size_t begin, std::size_t end, int track,
                      const std::function<void(const SmfEventView&)>& visit, bool& endOfTrack) {
  TrackWalk walk{data, begin, end};
  std::uint64_t tick = 0;
  unsigned char runningStatus = 0;
  endOfTrack = false;
  while (walk.position < end && !endOfTrack) {
    SmfEventView event = SmfEventView();
    event.track = track;
    event.offset = static_cast<std::uint32_t>(walk.position);
    std::uint32_t delta = 0;
    if (!walk.ReadVarLen(delta))
      return "the delta time at byte " + Number(event.offset) + " runs past the track";
    tick += delta;
    event.tick = tick;
    if (walk.position >= end) return "no event after the delta time at byte " + Number(event.offset);

    // 1. The status: written, or the running one when a data byte comes first.
    event.statusOffset = static_cast<std::uint32_t>(walk.position);
    event.status = data[walk.position];
    auto at = [&event]() { return " at byte " + Number(event.statusOffset); };
    if (event.status < 0x80) {
      if (runningStatus == 0)
        return "data byte " + HexByte(event.status) + at() + " has no status byte before it";
      event.status = runningStatus;
      event.running = true;
    } else {
      ++walk.position;
    }

    // 2. The data, whose length the status decides.
    if (event.status < 0xF0) {
      std::size_t count = static_cast<std::size_t>(ChannelDataLength(event.status));
      if (end - walk.position < count) return "the event" + at() + " is cut short";
      event.dataOffset = static_cast<std::uint32_t>(walk.position);
      walk.position += count;
      runningStatus = event.status;
    } else if (event.status == 0xF0 || event.status == 0xF7) {
      std::uint32_t length = 0;
      if (!walk.ReadVarLen(length))
        return "the length of the System Exclusive event" + at() + " runs past the track";
      event.dataOffset = static_cast<std::uint32_t>(walk.position);
      if (length > end - walk.position) {
        // Kept with the bytes that are there, for a decoder that shows what it can.
        event.end = static_cast<std::uint32_t>(end);
        visit(event);
        return "the System Exclusive event" + at() + " runs past the end of the track";
      }
      walk.position += length;
    } else if (event.status == 0xFF) {
      if (walk.position >= end) return "the meta event" + at() + " is cut short";
      event.metaType = data[walk.position++];
      std::uint32_t length = 0;
      if (!walk.ReadVarLen(length) || length > end - walk.position)
        return "the meta event" + at() + " runs past the end of the track";
      event.dataOffset = static_cast<std::uint32_t>(walk.position);
      walk.position += length;
      endOfTrack = event.metaType == 0x2F;
    } else {
      return "status " + HexByte(event.status) + at() + " cannot occur in a MIDI file";
    }
    event.end = static_cast<std::uint32_t>(walk.position);
    visit(event);
  }
  return std::string();
}

void Warn(SmfReading& reading, const std::string& text, bool damage) {
  reading.warnings.push_back(text);
  if (damage && reading.damage.empty()) reading.damage = text;
}

}  // namespace

int ChannelDataLength(unsigned char status) {
  unsigned kind = status & 0xF0u;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

bool IsSoundingNoteOn(const unsigned char* data, const SmfEventView& event) {
  return (event.status & 0xF0u) == 0x90 && data[event.dataOffset + 1] != 0;
}

bool ReadSmf(const unsigned char* data, std::size_t size, SmfReading& reading) {
  return ReadSmf(data, size, reading,
                 [&reading](const SmfEventView& event) { reading.events.push_back(event); });
}

bool ReadSmf(const unsigned char* data, std::size_t size, SmfReading& reading,
             const std::function<void(const SmfEventView&)>& visit) {
  reading = SmfReading();
  // 1. The header chunk: "MThd", its length (6 or more), format, track count, division.
  if (size < 4 || std::memcmp(data, "MThd", 4) != 0) {
    reading.error = "not a Standard MIDI File (it does not begin with MThd)";
    return false;
  }
  if (size > 0xFFFFFFFFu) {
    reading.error = "the file is larger than 4 GB";
    return false;
  }
  if (size < 14) {
    reading.error = "the MThd header is cut short";
    return false;
  }
  std::uint32_t headerLength = BigEndian(data + 4, 4);
  if (headerLength < 6 || headerLength > size - 8) {
    reading.error = "the MThd header has a bad length (" + Number(headerLength) + ")";
    return false;
  }
  reading.format = static_cast<int>(BigEndian(data + 8, 2));
  reading.trackCount = static_cast<int>(BigEndian(data + 10, 2));
  reading.division = static_cast<std::uint16_t>(BigEndian(data + 12, 2));

  // 2. Chunks of any type, each an id, a length and a body; only MTrk bodies are walked.
  std::size_t position = 8 + static_cast<std::size_t>(headerLength);
  int tracks = 0;
  while (position < size) {
    if (size - position < 8) {
      Warn(reading, Number(size - position) + " byte(s) after the last chunk are not a chunk", false);
      break;
    }
    SmfChunkView chunk = SmfChunkView();
    std::memcpy(chunk.id, data + position, 4);
    chunk.offset = position;
    chunk.length = BigEndian(data + position + 4, 4);
    std::size_t body = position + 8;
    chunk.end = body + chunk.length;
    if (chunk.length > size - body) {
      Warn(reading,
           "the chunk at byte " + Number(position) + " announces " + Number(chunk.length) + " bytes, " +
               Number(size - body) + " remain",
           true);
      chunk.end = size;
    }
    chunk.track = std::memcmp(chunk.id, "MTrk", 4) == 0 ? tracks++ : -1;
    reading.chunks.push_back(chunk);
    if (chunk.track >= 0) {
      std::string where = "track " + Number(chunk.track + 1);
      bool endOfTrack = false;
      std::string problem = WalkTrack(data, body, chunk.end, chunk.track, visit, endOfTrack);
      if (!problem.empty()) {
        Warn(reading, where + ": " + problem, true);
      } else if (!endOfTrack) {
        Warn(reading, where + " has no End of Track event", false);
      }
    }
    position = chunk.end;
  }
  reading.trailing = position;
  if (tracks != reading.trackCount) {
    Warn(reading,
         "the header announces " + Number(reading.trackCount) + " track(s), the file has " + Number(tracks),
         false);
  }
  return true;
}
