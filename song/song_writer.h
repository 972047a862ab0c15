// Writing a master-tune message into an existing Standard MIDI File, in two steps: a plan made from the
// song's bytes (what is replaced or inserted, where, and what the user should know), then the new bytes,
// spliced from the old ones. The song is never serialised again: only the changed events, the delta time
// (and a status byte left out by running status) of the event after an insertion, and the track's length
// change; unknown chunks, other tracks and bytes after the last chunk stay as they are.
//
// The rules:
// - Formats 0 and 1 are written; format 2 and files the reader cannot walk are refused.
// - The setup region is everything up to the first Note On with a velocity above 0, that note's tick
//   included (the whole song when it has no notes).
// - Every master tune of the chosen dialect in the setup region is replaced where it is, keeping its
//   device byte (for GS with the checksum of the new bytes).
// - Otherwise the tune is inserted in the track of the last reset of the setup region (GS Reset, GS system
//   mode set, XG System On, GM System On/Off, GM2 System On), 50 ms after it at the tempo in force there,
//   but never later than the first note; after that track's events at or before that tick, before a note at
//   that tick. Its device byte is the reset's when the reset is of the same dialect, else the usual one.
//   Without a reset it goes at tick 0 in the first track, after the meta events there.
// - Writing the same tune again gives the same bytes.
#ifndef SONOREL_SONG_SONG_WRITER_H
#define SONOREL_SONG_SONG_WRITER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class SongRefusal {
  None,
  NotSmf,     // no MThd header
  Damaged,    // the reader stopped in a track, or a chunk runs past the end of the file
  Format,     // format 2 (independent patterns) or unknown
  NoTrack,    // nothing to write into
  TooLarge,   // a track would outgrow its 32-bit length
  NoMessage,  // the message given is no System Exclusive message
};

enum class SongNoteKind {
  LeftAlone,        // a master tune of another dialect, or after the first note: not touched
  NoRoom,           // the tune shares the tick of the first note (less than 50 ms after the reset)
  EndOfTrackMoved,  // the track ended before the tune's tick: its End of Track now follows the tune
};

struct SongNote {
  SongNoteKind kind;
  int track;           // 1-based
  std::uint64_t tick;  // of the tune left alone, of the first note, or where End of Track was
  int dialect;         // LeftAlone: the MidiFormat of the message
  bool afterNotes;     // LeftAlone: it comes after the first note (else it is of another dialect)
};

// A byte edit of the original song: [offset, offset + removed) becomes bytes.
struct SongEdit {
  std::size_t offset;
  std::size_t removed;
  std::vector<unsigned char> bytes;
};

struct SongPlan {
  SongRefusal refusal = SongRefusal::None;
  std::string reason;      // the refusal in words (the reader's own for damage); empty when writable
  int dialect = 0;         // MidiFormat of the tune written
  bool inserted = false;   // else replaced
  int track = 0;           // 1-based: where the (first) tune is written
  std::uint64_t tick = 0;  // its tick
  int replacedCount = 0;   // tunes replaced in place
  std::string resetName;   // the reset the inserted tune follows, e.g. "GS Reset"; empty: none
  int device = 0;          // the device byte written (the first replaced one's, when replacing)
  std::vector<unsigned char> message;  // the message written (the first one, when replacing)
  std::vector<SongNote> notes;
  std::vector<SongEdit> edits;  // ascending, never overlapping; empty when the song already has the tune
};

// Plans writing message (a master tune of dialect, F0 to F7, as TuneMessage holds it) into the song.
SongPlan PlanSongTune(const unsigned char* song, std::size_t size, int dialect, const unsigned char* message,
                      std::size_t length);

// The song's bytes with the plan's edits made.
std::vector<unsigned char> ApplySongPlan(const unsigned char* song, std::size_t size, const SongPlan& plan);

// The ticks of 50 ms at tempo (microseconds per quarter note) for an SMF division, rounded up, in integers.
std::uint64_t TicksOf50Ms(std::uint16_t division, std::uint32_t tempo);

#endif
