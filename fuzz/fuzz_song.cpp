// Any bytes as a song: the reader and the decoder stay inside them, and the song writer either refuses them
// (changing nothing) or gives back every event of the song, at its tick, plus the tune; writing again
// changes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/tune_recognizer.h"
#include "smf/smf_reader.h"
#include "smf/sysex_decoder.h"
#include "song/song_writer.h"

namespace {

typedef std::vector<unsigned char> Bytes;

void Check(bool condition) {
  if (!condition) std::abort();
}

// One event as a reader sees it, without its position.
struct Event {
  int track;
  std::uint64_t tick;
  unsigned char status;
  unsigned char metaType;
  Bytes data;

  bool operator==(const Event& other) const {
    return track == other.track && tick == other.tick && status == other.status &&
           metaType == other.metaType && data == other.data;
  }
};

std::vector<Event> EventsOf(const Bytes& song, const SmfReading& reading) {
  std::vector<Event> events;
  for (const SmfEventView& view : reading.events) {
    events.push_back({view.track, view.tick, view.status, view.metaType,
                      Bytes(song.begin() + view.dataOffset, song.begin() + view.end)});
  }
  return events;
}

// The message of a System Exclusive event: F0 and its data.
Bytes MessageOf(const Event& event) {
  Bytes message(1, 0xF0);
  message.insert(message.end(), event.data.begin(), event.data.end());
  return message;
}

const unsigned char Tunes[3][14] = {
    {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x00, 0x00, 0x04, 0x04, 0x0F, 0x29, 0xF7},
    {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x00, 0x00, 0x04, 0x04, 0x0F, 0xF7},
    {0xF0, 0x7F, 0x7F, 0x04, 0x03, 0x03, 0x45, 0xF7},
};
const std::size_t TuneLengths[3] = {14, 12, 8};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int dialect = data[0] % 3;
  const Bytes song(data + 1, data + size);
  DecodeSysexInput(song);

  SmfReading before;
  ReadSmf(song.data(), song.size(), before);
  for (const SmfEventView& event : before.events)
    Check(event.end <= song.size() && event.dataOffset <= event.end);

  SongPlan plan = PlanSongTune(song.data(), song.size(), dialect, Tunes[dialect], TuneLengths[dialect]);
  Bytes written = ApplySongPlan(song.data(), song.size(), plan);
  if (plan.refusal != SongRefusal::None) {
    Check(!plan.reason.empty() && plan.edits.empty() && written == song);
    return 0;
  }

  SmfReading after;
  Check(ReadSmf(written.data(), written.size(), after));
  Check(after.damage.empty());
  Check(after.format == before.format && after.division == before.division);
  Check(after.chunks.size() == before.chunks.size());
  Check(written.size() - after.trailing == song.size() - before.trailing);
  Check(std::memcmp(written.data() + after.trailing, song.data() + before.trailing,
                    song.size() - before.trailing) == 0);

  std::vector<Event> old = EventsOf(song, before);
  std::vector<Event> now = EventsOf(written, after);
  bool endMoved = false;
  for (const SongNote& note : plan.notes) endMoved = endMoved || note.kind == SongNoteKind::EndOfTrackMoved;
  if (plan.inserted) {
    // Exactly one new event: the tune, at the plan's track and tick; an End of Track may follow it later.
    Check(now.size() == old.size() + 1);
    std::size_t i = 0;
    while (i < old.size() && old[i] == now[i]) ++i;
    Check(now[i].track == plan.track - 1 && now[i].tick == plan.tick && now[i].status == 0xF0);
    Check(MessageOf(now[i]) == plan.message);
    for (; i < old.size(); ++i) {
      Event moved = old[i];
      if (endMoved && moved.status == 0xFF && moved.metaType == 0x2F && moved.tick < plan.tick)
        moved.tick = plan.tick;
      Check(moved == now[i + 1]);
    }
  } else {
    // The same events; the replaced ones are tunes of the dialect with the new value.
    Check(now.size() == old.size());
    for (std::size_t i = 0; i < old.size(); ++i) {
      if (old[i] == now[i]) continue;
      Bytes message = MessageOf(now[i]);
      Check(now[i].status == 0xF0 && old[i].status == 0xF0 && now[i].tick == old[i].tick);
      Check(MasterTuneDialect(message.data(), message.size()) == dialect);
      Check(IsWellFormedMasterTune(CheckSysexMessage(message)));
    }
  }

  SongPlan again =
      PlanSongTune(written.data(), written.size(), dialect, Tunes[dialect], TuneLengths[dialect]);
  Check(again.refusal == SongRefusal::None && again.edits.empty());
  return 0;
}
