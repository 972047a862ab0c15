#include "song/song_writer.h"

#include <cstring>

#include "engine/pitch.h"
#include "engine/tune_recognizer.h"
#include "smf/smf_reader.h"

namespace {

typedef std::vector<unsigned char> Bytes;

const std::uint64_t NoNote = ~static_cast<std::uint64_t>(0);
const std::uint32_t DefaultTempo = 500000;  // microseconds per quarter note until the first tempo event

// A reset message: its bytes with the device byte (position 2) left out of the comparison; XG addresses
// 1n, so only its high nibble is compared.
struct ResetMessage {
  const char* name;
  int dialect;  // whose tune takes the reset's device byte; -1 for none
  unsigned char bytes[11];
  std::size_t length;
};

const ResetMessage Resets[] = {
    {"GS Reset", GS, {0xF0, 0x41, 0, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}, 11},
    {"GS system mode set", GS, {0xF0, 0x41, 0, 0x42, 0x12, 0x00, 0x00, 0x7F, 0x00, 0x01, 0xF7}, 11},
    {"GS system mode set", GS, {0xF0, 0x41, 0, 0x42, 0x12, 0x00, 0x00, 0x7F, 0x01, 0x00, 0xF7}, 11},
    {"XG System On", XG, {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}, 9},
    {"GM System On", GM2, {0xF0, 0x7E, 0, 0x09, 0x01, 0xF7}, 6},
    {"GM System Off", -1, {0xF0, 0x7E, 0, 0x09, 0x02, 0xF7}, 6},
    {"GM2 System On", GM2, {0xF0, 0x7E, 0, 0x09, 0x03, 0xF7}, 6},
};

const ResetMessage* FindReset(const unsigned char* message, std::size_t length) {
  for (const ResetMessage& reset : Resets) {
    if (length != reset.length) continue;
    bool same = true;
    for (std::size_t k = 0; k < length && same; ++k) {
      if (k == 2) {
        same = reset.dialect != XG || (message[2] & 0xF0u) == 0x10;
      } else {
        same = message[k] == reset.bytes[k];
      }
    }
    if (same) return &reset;
  }
  return nullptr;
}

void AppendVarLen(Bytes& out, std::uint32_t value) {
  unsigned char groups[5];
  int count = 0;
  do {
    groups[count++] = static_cast<unsigned char>(value & 0x7Fu);
    value >>= 7;
  } while (value != 0);
  while (count > 1) out.push_back(static_cast<unsigned char>(groups[--count] | 0x80u));
  out.push_back(groups[0]);
}

// The delta time from one tick to a later one; 0 when `to` is not later (an End of Track that moves).
std::uint32_t DeltaBetween(std::uint64_t from, std::uint64_t to) {
  if (to <= from) return 0;
  std::uint64_t delta = to - from;
  return delta > 0x0FFFFFFFu ? 0x0FFFFFFFu : static_cast<std::uint32_t>(delta);
}

// A device byte found in a song, if it can be one: data bytes are below 80.
unsigned char DeviceOr(unsigned char found, int dialect) {
  return found < 0x80 ? found : static_cast<unsigned char>(UsualDevice(dialect));
}

// The message with the given device byte, and for GS the checksum of its address and data.
Bytes WithDevice(const unsigned char* message, std::size_t length, int dialect, unsigned char device) {
  Bytes bytes(message, message + length);
  if (length > 2) bytes[2] = device;
  if (dialect == GS && length == 14) {
    int sum = 0;
    for (int i = 5; i <= 11; ++i) sum += bytes[i];
    bytes[12] = static_cast<unsigned char>((128 - sum % 128) % 128);
  }
  return bytes;
}

// The event's bytes after its status: the message without F0, preceded by its length.
Bytes SysexBody(const Bytes& message) {
  Bytes body;
  AppendVarLen(body, static_cast<std::uint32_t>(message.size() - 1));
  body.insert(body.end(), message.begin() + 1, message.end());
  return body;
}

bool IsEndOfTrack(const SmfEventView& event) { return event.status == 0xFF && event.metaType == 0x2F; }

// What the writer needs from a walk of the whole song; the events themselves are not kept.
struct SongScan {
  std::uint64_t firstNote = NoNote;  // tick of the first sounding Note On
  int firstNoteTrack = 0;
  std::vector<SmfEventView> sysex;   // whole System Exclusive messages (F0 ... F7)
  std::vector<SmfEventView> tempos;  // tempo meta events
};

// The tempo in force at tick: the last tempo event of any track at or before it (the later in the file
// among events of the same tick).
std::uint32_t TempoAt(const unsigned char* song, const SongScan& scan, std::uint64_t tick) {
  std::uint32_t tempo = DefaultTempo;
  std::uint64_t tempoTick = 0;
  for (const SmfEventView& event : scan.tempos) {
    if (event.tick > tick || event.tick < tempoTick) continue;
    const unsigned char* d = song + event.dataOffset;
    std::uint32_t value = (static_cast<std::uint32_t>(d[0]) << 16) | (d[1] << 8) | d[2];
    if (value == 0) continue;  // no tempo at all; the one before stays
    tempo = value;
    tempoTick = event.tick;
  }
  return tempo;
}

// The events of one track around the place of a new event at tick: from `anchor` (the reset; or, without
// one, the track's first event) up to and including the first event after that tick or End of Track.
std::vector<SmfEventView> EventsAround(const unsigned char* song, std::size_t size, int track,
                                       std::uint32_t anchor, std::uint64_t tick) {
  std::vector<SmfEventView> window;
  bool stopped = false;
  SmfReading reading;
  ReadSmf(song, size, reading, [&](const SmfEventView& event) {
    if (event.track != track || event.offset < anchor || stopped) return;
    window.push_back(event);
    stopped = event.tick > tick || IsEndOfTrack(event);
  });
  return window;
}

// Where the new event goes in the window: the index of the event it comes before (window.size() for the
// end of the track). From `from` on, it passes events at or before tick, but stops at a sounding Note On
// of that tick and at End of Track.
std::size_t InsertionIndex(const unsigned char* song, const std::vector<SmfEventView>& window,
                           std::size_t from, std::uint64_t tick) {
  std::size_t i = from;
  for (; i < window.size(); ++i) {
    const SmfEventView& event = window[i];
    if (event.tick > tick || IsEndOfTrack(event)) break;
    if (event.tick == tick && IsSoundingNoteOn(song, event)) break;
  }
  return i;
}

// Without a reset: after the meta events at tick 0 of the first track that come before its first note.
std::size_t IndexAfterStartMeta(const unsigned char* song, const std::vector<SmfEventView>& window) {
  std::size_t index = 0;
  for (std::size_t i = 0; i < window.size(); ++i) {
    const SmfEventView& event = window[i];
    if (event.tick > 0 || IsEndOfTrack(event) || IsSoundingNoteOn(song, event)) break;
    if (event.status == 0xFF) index = i + 1;
  }
  return index;
}

bool Refuse(SongPlan& plan, SongRefusal refusal, const std::string& reason) {
  plan.refusal = refusal;
  plan.reason = reason;
  plan.edits.clear();
  return false;
}

// The new event before window[index] (or at the end of the track's chunk), and the new delta time (and
// status byte, if running status left it out) of the event that follows it. plan.tick and plan.message
// are set; the window starts at the track's first event or at an event before the new one.
void PlanInsertion(const std::vector<SmfEventView>& window, std::size_t index, const SmfChunkView& chunk,
                   SongPlan& plan) {
  std::uint64_t previousTick = index > 0 ? window[index - 1].tick : 0;
  // A delta time holds 28 bits: a later tick (only from a huge division) is brought closer.
  if (plan.tick - previousTick > 0x0FFFFFFFu) plan.tick = previousTick + 0x0FFFFFFFu;
  std::uint64_t tick = plan.tick;
  SongEdit edit;
  AppendVarLen(edit.bytes, DeltaBetween(previousTick, tick));
  edit.bytes.push_back(0xF0);
  Bytes body = SysexBody(plan.message);
  edit.bytes.insert(edit.bytes.end(), body.begin(), body.end());
  edit.offset = chunk.end;
  edit.removed = 0;
  if (index < window.size()) {
    const SmfEventView& next = window[index];
    edit.offset = next.offset;
    edit.removed = next.statusOffset - next.offset;  // its delta time
    if (next.tick < tick)
      plan.notes.push_back({SongNoteKind::EndOfTrackMoved, next.track + 1, next.tick, -1, false});
    AppendVarLen(edit.bytes, DeltaBetween(tick, next.tick));
    // A System Exclusive event ends a run: the status byte is written out again.
    if (next.running) edit.bytes.push_back(next.status);
  }
  plan.edits.push_back(edit);
}

// One edit per changed track for its new length, placed before the body edits of that track.
bool PatchTrackLengths(const SmfReading& reading, SongPlan& plan) {
  std::vector<SongEdit> edits;
  std::size_t e = 0;
  for (const SmfChunkView& chunk : reading.chunks) {
    long long growth = 0;
    std::size_t begin = e;
    while (e < plan.edits.size() && plan.edits[e].offset <= chunk.end) {
      growth +=
          static_cast<long long>(plan.edits[e].bytes.size()) - static_cast<long long>(plan.edits[e].removed);
      ++e;
    }
    if (e == begin) continue;
    long long length = static_cast<long long>(chunk.length) + growth;
    if (length > 0xFFFFFFFFLL)
      return Refuse(plan, SongRefusal::TooLarge,
                    "track " + std::to_string(chunk.track + 1) + " would grow past 4 GB");
    SongEdit patch;
    patch.offset = chunk.offset + 4;
    patch.removed = 4;
    for (int shift = 24; shift >= 0; shift -= 8)
      patch.bytes.push_back(
          static_cast<unsigned char>((static_cast<unsigned long long>(length) >> shift) & 0xFFu));
    edits.push_back(patch);
    edits.insert(edits.end(), plan.edits.begin() + begin, plan.edits.begin() + e);
  }
  plan.edits.swap(edits);
  return true;
}

bool Plan(const unsigned char* song, std::size_t size, int dialect, const unsigned char* message,
          std::size_t length, SongPlan& plan) {
  plan.dialect = dialect;
  if (length < 3 || message[0] != 0xF0 || message[length - 1] != 0xF7)
    return Refuse(plan, SongRefusal::NoMessage, "no System Exclusive message to write");

  // 1. One walk: the first sounding note, whole SysEx messages, tempo events. Only whole messages count:
  // a first packet (no F7) has its rest in F7 events that must stay with it.
  SongScan scan;
  SmfReading reading;
  bool readable = ReadSmf(song, size, reading, [&](const SmfEventView& event) {
    if (IsSoundingNoteOn(song, event) && event.tick < scan.firstNote) {
      scan.firstNote = event.tick;
      scan.firstNoteTrack = event.track;
    }
    if (event.status == 0xF0 && event.end > event.dataOffset && song[event.end - 1] == 0xF7)
      scan.sysex.push_back(event);
    if (event.status == 0xFF && event.metaType == 0x51 && event.end - event.dataOffset >= 3)
      scan.tempos.push_back(event);
  });
  if (!readable) return Refuse(plan, SongRefusal::NotSmf, reading.error);
  if (!reading.damage.empty()) return Refuse(plan, SongRefusal::Damaged, reading.damage);
  if (reading.format == 2)
    return Refuse(plan, SongRefusal::Format, "format 2 (independent patterns) is not written");
  if (reading.format > 2)
    return Refuse(plan, SongRefusal::Format, "format " + std::to_string(reading.format) + " is unknown");
  const SmfChunkView* firstTrack = nullptr;
  for (const SmfChunkView& chunk : reading.chunks) {
    if (chunk.track == 0) firstTrack = &chunk;
  }
  if (firstTrack == nullptr) return Refuse(plan, SongRefusal::NoTrack, "the song has no track");

  // 2. The setup region ends with the first sounding note (its tick included): master tunes there are
  // replaced, the last reset there is found.
  const SmfEventView* resetEvent = nullptr;
  const ResetMessage* reset = nullptr;
  for (const SmfEventView& event : scan.sysex) {
    Bytes found(1, 0xF0);
    found.insert(found.end(), song + event.dataOffset, song + event.end);
    bool setup = event.tick <= scan.firstNote;
    int foundDialect = MasterTuneDialect(found.data(), found.size());
    if (foundDialect == dialect && setup) {
      Bytes replacement =
          WithDevice(message, length, dialect, DeviceOr(found.size() > 2 ? found[2] : 0xFF, dialect));
      if (plan.replacedCount++ == 0) {
        plan.track = event.track + 1;
        plan.tick = event.tick;
        plan.device = replacement[2];
        plan.message = replacement;
      }
      if (replacement != found) {
        SongEdit edit;
        edit.offset = event.statusOffset + 1;
        edit.removed = event.end - edit.offset;
        edit.bytes = SysexBody(replacement);
        plan.edits.push_back(edit);
      }
    } else if (foundDialect >= 0) {
      plan.notes.push_back({SongNoteKind::LeftAlone, event.track + 1, event.tick, foundDialect, !setup});
    }
    const ResetMessage* r = setup ? FindReset(found.data(), found.size()) : nullptr;
    if (r != nullptr && (resetEvent == nullptr || event.tick >= resetEvent->tick)) {
      reset = r;
      resetEvent = &event;
    }
  }

  // 3. Nothing replaced: one new event, 50 ms after the last reset or at the start of the first track.
  if (plan.replacedCount == 0) {
    plan.inserted = true;
    int track = 0;
    std::uint64_t tick = 0;
    std::uint32_t anchor = 0;
    int device = UsualDevice(dialect);
    if (reset != nullptr) {
      track = resetEvent->track;
      tick = resetEvent->tick + TicksOf50Ms(reading.division, TempoAt(song, scan, resetEvent->tick));
      if (tick > scan.firstNote) tick = scan.firstNote;
      anchor = resetEvent->offset;
      if (reset->dialect == dialect)
        device = DeviceOr(song[resetEvent->dataOffset + 1], dialect);  // F0 is not among the data
      plan.resetName = reset->name;
    }
    std::vector<SmfEventView> window = EventsAround(song, size, track, anchor, tick);
    std::size_t index =
        reset != nullptr ? InsertionIndex(song, window, 1, tick) : IndexAfterStartMeta(song, window);
    if (tick == scan.firstNote)
      plan.notes.push_back({SongNoteKind::NoRoom, scan.firstNoteTrack + 1, scan.firstNote, -1, false});
    plan.track = track + 1;
    plan.tick = tick;
    plan.device = device;
    plan.message = WithDevice(message, length, dialect, static_cast<unsigned char>(device));
    const SmfChunkView* chunk = firstTrack;
    for (const SmfChunkView& c : reading.chunks) {
      if (c.track == track) chunk = &c;
    }
    PlanInsertion(window, index, *chunk, plan);
  }
  return PatchTrackLengths(reading, plan);
}

}  // namespace

std::uint64_t TicksOf50Ms(std::uint16_t division, std::uint32_t tempo) {
  const std::uint64_t Microseconds = 50000;
  if (tempo == 0) tempo = DefaultTempo;
  if (division < 0x8000) return (Microseconds * division + tempo - 1) / tempo;
  // SMPTE: frames per second (as a negative byte; 29 is 30 drop-frame, 29.97) times ticks per frame.
  std::uint64_t frames = 256 - (division >> 8);
  std::uint64_t perFrame = division & 0xFFu;
  std::uint64_t numerator = frames == 29 ? 2997 : frames;
  std::uint64_t denominator = frames == 29 ? 100 : 1;
  std::uint64_t scaled = Microseconds * numerator * perFrame;
  std::uint64_t whole = denominator * 1000000;
  return (scaled + whole - 1) / whole;
}

SongPlan PlanSongTune(const unsigned char* song, std::size_t size, int dialect, const unsigned char* message,
                      std::size_t length) {
  SongPlan plan;
  Plan(song, size, dialect, message, length, plan);
  return plan;
}

std::vector<unsigned char> ApplySongPlan(const unsigned char* song, std::size_t size, const SongPlan& plan) {
  std::size_t grown = size;
  for (const SongEdit& edit : plan.edits) grown += edit.bytes.size();
  Bytes out;
  out.reserve(grown);
  std::size_t copied = 0;
  for (const SongEdit& edit : plan.edits) {
    out.insert(out.end(), song + copied, song + edit.offset);
    out.insert(out.end(), edit.bytes.begin(), edit.bytes.end());
    copied = edit.offset + edit.removed;
  }
  out.insert(out.end(), song + copied, song + size);
  return out;
}
