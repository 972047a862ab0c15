// The SMF reader and the song writer on small songs written out byte by byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "engine/pitch.h"
#include "engine/tune_message.h"
#include "smf/byte_buffer.h"
#include "smf/smf_reader.h"
#include "smf/tune_smf.h"
#include "song/song_writer.h"
#include "tests/core/hex_bytes.h"

namespace {

Bytes Chunk(const char* id, const Bytes& body) {
  Bytes chunk(id, id + 4);
  for (int shift = 24; shift >= 0; shift -= 8)
    chunk.push_back(static_cast<unsigned char>(body.size() >> shift));
  chunk.insert(chunk.end(), body.begin(), body.end());
  return chunk;
}

// A song: header, one MTrk chunk per hex text (its length computed), then `after` (other chunks, trailing
// bytes) as given.
Bytes Song(int format, std::uint16_t division, const std::vector<std::string>& tracks,
           const Bytes& after = {}) {
  Bytes song = Hex("4D 54 68 64 00 00 00 06 00");
  song.push_back(static_cast<unsigned char>(format));
  song.push_back(0);
  song.push_back(static_cast<unsigned char>(tracks.size()));
  song.push_back(static_cast<unsigned char>(division >> 8));
  song.push_back(static_cast<unsigned char>(division));
  for (const std::string& track : tracks) {
    Bytes chunk = Chunk("MTrk", Hex(track));
    song.insert(song.end(), chunk.begin(), chunk.end());
  }
  song.insert(song.end(), after.begin(), after.end());
  return song;
}

// Bytes as hex text, so that a failure shows where two songs differ.
std::string HexText(const Bytes& bytes) {
  std::string text;
  char item[4];
  for (unsigned char b : bytes) {
    std::snprintf(item, sizeof item, "%02X ", b);
    text += item;
  }
  return text;
}

SmfReading Read(const Bytes& bytes) {
  SmfReading reading;
  ReadSmf(bytes.data(), bytes.size(), reading);
  return reading;
}

// The 442 Hz messages of this program, as the window builds them.
const char* const Tune442[] = {"F0 41 10 42 12 40 00 00 00 04 04 0F 29 F7",
                               "F0 43 10 4C 00 00 00 00 04 04 0F F7", "F0 7F 7F 04 03 03 45 F7"};

Bytes Message442(int format) {
  BuildTuneMessage(FromHertz, "442", format);
  return Bytes(TuneMessage.bytes, TuneMessage.bytes + TuneMessage.length);
}

Bytes Write(const Bytes& song, int format, SongPlan* planOut = nullptr) {
  Bytes message = Message442(format);
  SongPlan plan = PlanSongTune(song.data(), song.size(), format, message.data(), message.size());
  if (planOut != nullptr) *planOut = plan;
  return ApplySongPlan(song.data(), song.size(), plan);
}

// ---- Reader

TEST(SmfReaderTest, ReadsTheImageOfTheProgramsOwnWriter) {
  ASSERT_EQ(Message442(GS), Hex(Tune442[GS]));
  ByteBuffer image;
  BuildSmfImage(image);
  Bytes bytes(image.Data(), image.Data() + image.Size());
  SmfReading reading = Read(bytes);
  ASSERT_TRUE(reading.error.empty());
  EXPECT_TRUE(reading.damage.empty());
  EXPECT_TRUE(reading.warnings.empty());
  EXPECT_EQ(reading.format, 0);
  EXPECT_EQ(reading.trackCount, 1);
  EXPECT_EQ(reading.division, 120);
  ASSERT_EQ(reading.events.size(), 2u);
  const SmfEventView& tune = reading.events[0];
  EXPECT_EQ(tune.status, 0xF0);
  EXPECT_EQ(tune.offset, 22u);
  EXPECT_EQ(tune.statusOffset, 23u);
  EXPECT_EQ(tune.dataOffset, 25u);  // after the length byte 0D
  EXPECT_EQ(tune.end, 38u);
  EXPECT_EQ(reading.events[1].metaType, 0x2F);
  EXPECT_EQ(reading.events[1].end, bytes.size());
  EXPECT_EQ(reading.trailing, bytes.size());
}

TEST(SmfReaderTest, RunningStatusAcrossManyEventsEscapesUnknownChunksAndTrailingBytes) {
  // A note on, 200 more notes with running status (surviving a meta event and an F7 escape), an unknown
  // chunk between the tracks, three bytes after the last chunk; SMPTE division 25 fps x 40.
  std::string track = "00 90 3C 64";
  for (int i = 0; i < 100; ++i) track += " 05 3C 00 05 3C 64";
  track += " 00 FF 01 01 41 00 F7 03 F0 7E 7F 00 3E 40 00 FF 2F 00";
  Bytes alien = Chunk("XFIH", Hex("AA BB"));
  alien.insert(alien.end(), {0x01, 0x02, 0x03});
  Bytes song = Song(1, 0xE728, {track, "00 C0 05 00 FF 2F 00"}, alien);
  SmfReading reading = Read(song);
  ASSERT_TRUE(reading.damage.empty()) << reading.damage;
  EXPECT_EQ(reading.division, 0xE728);
  ASSERT_EQ(reading.chunks.size(), 3u);
  EXPECT_EQ(reading.chunks[1].track, 1);
  EXPECT_EQ(reading.chunks[2].track, -1);
  EXPECT_EQ(std::string(reading.chunks[2].id, 4), "XFIH");
  EXPECT_EQ(reading.trailing, song.size() - 3);
  ASSERT_EQ(reading.warnings.size(), 1u);
  EXPECT_EQ(reading.warnings[0], "3 byte(s) after the last chunk are not a chunk");

  ASSERT_EQ(reading.events.size(), 1u + 200u + 4u + 2u);
  for (int i = 1; i <= 200; ++i) {
    const SmfEventView& note = reading.events[i];
    EXPECT_TRUE(note.running);
    EXPECT_EQ(note.status, 0x90);
    EXPECT_EQ(note.tick, 5u * i);
    EXPECT_EQ(note.statusOffset, note.dataOffset);
    EXPECT_EQ(note.end - note.offset, 3u);
  }
  const SmfEventView& escape = reading.events[202];
  EXPECT_EQ(escape.status, 0xF7);
  EXPECT_EQ(escape.end - escape.dataOffset, 3u);
  const SmfEventView& afterEscape = reading.events[203];
  EXPECT_TRUE(afterEscape.running);
  EXPECT_EQ(afterEscape.tick, 1000u);
  EXPECT_EQ(reading.events[205].track, 1);
  EXPECT_FALSE(IsSoundingNoteOn(song.data(), reading.events[1]));  // velocity 0
  EXPECT_TRUE(IsSoundingNoteOn(song.data(), reading.events[2]));
}

struct RefusalCase {
  const char* name;
  Bytes song;
  const char* reason;
};

TEST(SmfReaderTest, EveryRefusalHasItsReasonAndTheWriterChangesNothing) {
  Bytes longChunk = Song(0, 480, {"00 FF 2F 00"});
  longChunk[21] = 0x09;  // the track announces 9 bytes, 4 follow
  const RefusalCase cases[] = {
      {"not an SMF", Hex("52 49 46 46 00 00 00 04 00 00 00 00 00 00"), "not a Standard MIDI File"},
      {"cut header", Hex("4D 54 68 64 00 00 00 06 00 00"), "MThd header is cut short"},
      {"truncated chunk", Song(0, 480, {"00 F0 0A 41 10 42 12 40 00 7F"}), "runs past the end of the track"},
      {"cut channel message", Song(0, 480, {"00 90 3C"}), "the event at byte 23 is cut short"},
      {"track length past the end", longChunk, "announces 9 bytes, 4 remain"},
      {"unterminated delta", Song(0, 480, {"81 81 81 81 00 90 3C 64"}), "delta time at byte 22 runs past"},
      {"unterminated SysEx length", Song(0, 480, {"00 F0 81 81"}), "length of the System Exclusive event"},
      {"data byte where a status is needed", Song(0, 480, {"00 3C 64 00 FF 2F 00"}),
       "data byte 3C at byte 23"},
      {"status that a file cannot hold", Song(0, 480, {"00 F8 00 FF 2F 00"}), "status F8"},
      {"format 2", Song(2, 480, {"00 FF 2F 00"}), "format 2"},
      {"no track", Song(0, 480, {}), "no track"},
  };
  for (const RefusalCase& c : cases) {
    SmfReading reading = Read(c.song);
    Bytes message = Message442(GS);
    SongPlan plan = PlanSongTune(c.song.data(), c.song.size(), GS, message.data(), message.size());
    EXPECT_NE(plan.refusal, SongRefusal::None) << c.name;
    EXPECT_NE(plan.reason.find(c.reason), std::string::npos) << c.name << ": " << plan.reason;
    EXPECT_TRUE(plan.edits.empty()) << c.name;
    EXPECT_EQ(ApplySongPlan(c.song.data(), c.song.size(), plan), c.song) << c.name;
  }
}

TEST(SongWriterTest, RefusesToWriteSomethingThatIsNoMessage) {
  Bytes song = Song(0, 480, {"00 FF 2F 00"});
  const Bytes messages[] = {Bytes(), Hex("F0 F7"), Hex("41 10 42 F7"), Hex("F0 41 10 42")};
  for (const Bytes& message : messages) {
    SongPlan plan = PlanSongTune(song.data(), song.size(), GS, message.data(), message.size());
    EXPECT_EQ(plan.refusal, SongRefusal::NoMessage) << HexText(message);
    EXPECT_TRUE(plan.edits.empty());
  }
}

TEST(SmfReaderTest, NeverLooksPastTheBytesItIsGiven) {
  // Every prefix of a song is read without touching the byte after it (a copy of exactly that size, so
  // that the address sanitizer of the fuzz tree would see a stray read).
  Bytes song = Song(1, 96,
                    {"00 FF 51 03 07 A1 20 00 F0 05 7E 7F 09 01 F7 00 90 3C 64 10 3C 00 00 FF 2F 00",
                     "00 F7 02 F0 F7 00 FF 2F 00"});
  for (std::size_t n = 0; n <= song.size(); ++n) {
    Bytes prefix(song.begin(), song.begin() + n);
    SmfReading reading;
    bool read = ReadSmf(prefix.data(), prefix.size(), reading);
    for (const SmfEventView& event : reading.events) EXPECT_LE(event.end, n);
    if (read && n < song.size()) {
      EXPECT_FALSE(reading.damage.empty() && reading.warnings.empty()) << n;
    }
  }
}

// ---- Writer

TEST(SongWriterTest, FiftyMillisecondsInTicks) {
  const struct {
    std::uint16_t division;
    std::uint32_t tempo;
    std::uint64_t ticks;
  } cases[] = {
      {480, 500000, 48},  {96, 500000, 10},   // 9.6 rounds up
      {480, 1000000, 24}, {480, 250000, 96},  //
      {0xE728, 0, 50},                        // 25 fps x 40 = 1000 ticks per second; tempo plays no part
      {0xE350, 0, 120},                       // 29.97 fps x 80 = 2397.6 ticks per second: 119.88
      {0xE850, 0, 96},                        // 24 fps x 80
      {0xE250, 0, 120},                       // 30 fps x 80
  };
  for (const auto& c : cases)
    EXPECT_EQ(TicksOf50Ms(c.division, c.tempo), c.ticks) << c.division << " " << c.tempo;
}

const char* const GsReset = "F0 0A 41 10 42 12 40 00 7F 00 41 F7";
const char* const GsTune = "F0 0D 41 10 42 12 40 00 00 00 04 04 0F 29 F7";

std::string With(std::string text, const char* name, const char* value) {
  for (std::size_t at; (at = text.find(name)) != std::string::npos;)
    text.replace(at, std::strlen(name), value);
  return text;
}

struct WriteCase {
  const char* name;
  int format;  // of the song
  std::uint16_t division;
  std::vector<std::string> tracks;  // RESET and TUNE stand for the GS Reset and the 442 Hz GS tune events
  int dialect;
  std::vector<std::string> expected;
  bool inserted;
  int track;
  std::uint64_t tick;
  std::vector<SongNoteKind> notes;
};

TEST(SongWriterTest, RulesAsATableOfSongs) {
  const WriteCase cases[] = {
      {"inserted 50 ms after the reset, before the note; the rest stays",
       0,
       480,
       {"00 FF 51 03 07 A1 20 | 00 RESET | 83 60 90 3C 64 | 60 3C 00 | 00 FF 2F 00"},
       GS,
       {"00 FF 51 03 07 A1 20 | 00 RESET | 30 TUNE | 83 30 90 3C 64 | 60 3C 00 | 00 FF 2F 00"},
       true,
       1,
       48,
       {}},
      {"running status right after the insertion point gets its status byte",
       0,
       480,
       {"00 B0 07 64 | 00 RESET | 40 0A 40 | 83 20 90 3C 64 | 00 FF 2F 00"},
       GS,
       {"00 B0 07 64 | 00 RESET | 30 TUNE | 10 B0 0A 40 | 83 20 90 3C 64 | 00 FF 2F 00"},
       true,
       1,
       48,
       {}},
      {"an existing tune with device 11 and a bad checksum is replaced in place; XG left alone",
       0,
       480,
       {"00 RESET | 00 F0 0D 41 11 42 12 40 00 00 00 04 00 00 00 F7 | 00 F0 0B 43 10 4C 00 00 00 00 04 00 00 "
        "F7 "
        "| 10 90 3C 64 | 00 FF 2F 00"},
       GS,
       {"00 RESET | 00 F0 0D 41 11 42 12 40 00 00 00 04 04 0F 29 F7 | 00 F0 0B 43 10 4C 00 00 00 00 04 00 00 "
        "F7 "
        "| 10 90 3C 64 | 00 FF 2F 00"},
       false,
       1,
       0,
       {SongNoteKind::LeftAlone}},
      {"format 1 with the reset in track 2 and a slower tempo before it",
       1,
       480,
       {"00 FF 51 03 07 A1 20 | 0A FF 51 03 0F 42 40 | 00 FF 2F 00",
        "00 FF 03 01 41 | 14 RESET | 83 60 90 3C 64 | 00 FF 2F 00"},
       GS,
       {"00 FF 51 03 07 A1 20 | 0A FF 51 03 0F 42 40 | 00 FF 2F 00",
        "00 FF 03 01 41 | 14 RESET | 18 TUNE | 83 48 90 3C 64 | 00 FF 2F 00"},
       true,
       2,
       44,
       {}},
      {"a note at tick 0 leaves no room: the tune goes at that tick, before the note",
       0,
       480,
       {"00 RESET | 00 90 3C 64 | 60 80 3C 00 | 00 FF 2F 00"},
       GS,
       {"00 RESET | 00 TUNE | 00 90 3C 64 | 60 80 3C 00 | 00 FF 2F 00"},
       true,
       1,
       0,
       {SongNoteKind::NoRoom}},
      {"too little room: the tune goes at the first note's tick",
       0,
       480,
       {"00 RESET | 10 C0 05 | 10 90 3C 64 | 00 FF 2F 00"},
       GS,
       {"00 RESET | 10 C0 05 | 10 TUNE | 00 90 3C 64 | 00 FF 2F 00"},
       true,
       1,
       32,
       {SongNoteKind::NoRoom}},
      {"no reset: tick 0 of the first track, after its meta events",
       1,
       480,
       {"00 FF 03 01 41 | 00 FF 58 04 04 02 18 08 | 00 C0 05 | 60 90 3C 64 | 00 FF 2F 00", "00 FF 2F 00"},
       GS,
       {"00 FF 03 01 41 | 00 FF 58 04 04 02 18 08 | 00 TUNE | 00 C0 05 | 60 90 3C 64 | 00 FF 2F 00",
        "00 FF 2F 00"},
       true,
       1,
       0,
       {}},
      {"XG after an XG System On takes its device byte 1n",
       0,
       96,
       {"00 F0 08 43 12 4C 00 00 7E 00 F7 | 81 00 90 3C 64 | 00 FF 2F 00"},
       XG,
       {"00 F0 08 43 12 4C 00 00 7E 00 F7 | 0A F0 0B 43 12 4C 00 00 00 00 04 04 0F F7 | 76 90 3C 64 | 00 FF "
        "2F 00"},
       true,
       1,
       10,
       {}},
      {"GS after an XG System On takes the usual device byte",
       0,
       96,
       {"00 F0 08 43 12 4C 00 00 7E 00 F7 | 81 00 90 3C 64 | 00 FF 2F 00"},
       GS,
       {"00 F0 08 43 12 4C 00 00 7E 00 F7 | 0A TUNE | 76 90 3C 64 | 00 FF 2F 00"},
       true,
       1,
       10,
       {}},
      {"GM2 after GM System On with device 05, the last of two resets",
       0,
       96,
       {"00 RESET | 05 F0 05 7E 05 09 01 F7 | 81 00 90 3C 64 | 00 FF 2F 00"},
       GM2,
       {"00 RESET | 05 F0 05 7E 05 09 01 F7 | 0A F0 07 7F 05 04 03 03 45 F7 | 76 90 3C 64 | 00 FF 2F 00"},
       true,
       1,
       15,
       {}},
      {"a tune after the first note is left alone and a new one inserted",
       0,
       480,
       {"00 RESET | 83 60 90 3C 64 | 01 TUNE | 00 FF 2F 00"},
       GS,
       {"00 RESET | 30 TUNE | 83 30 90 3C 64 | 01 TUNE | 00 FF 2F 00"},
       true,
       1,
       48,
       {SongNoteKind::LeftAlone}},
      {"a tune sent in two packets stays whole: a new one is inserted after it",
       0,
       480,
       {"00 RESET | 00 F0 07 41 10 42 12 40 00 00 | 00 F7 06 00 04 00 00 3C F7 | 83 60 90 3C 64 | 00 FF 2F "
        "00"},
       GS,
       {"00 RESET | 00 F0 07 41 10 42 12 40 00 00 | 00 F7 06 00 04 00 00 3C F7 | 30 TUNE | 83 30 90 3C 64 | "
        "00 FF 2F "
        "00"},
       true,
       1,
       48,
       {}},
      {"a track that ends before the tune's tick: End of Track follows the tune",
       1,
       480,
       {"00 FF 2F 00", "00 RESET | 00 FF 2F 00"},
       GS,
       {"00 FF 2F 00", "00 RESET | 30 TUNE | 00 FF 2F 00"},
       true,
       2,
       48,
       {SongNoteKind::EndOfTrackMoved}},
      {"a track without End of Track gets the tune at its end; SMPTE division",
       0,
       0xE728,
       {"00 RESET"},
       GS,
       {"00 RESET | 32 TUNE"},
       true,
       1,
       50,
       {}},
  };
  Bytes alien = Chunk("XFIH", Hex("AA BB"));
  alien.push_back(0x99);  // a byte after the last chunk
  for (const WriteCase& c : cases) {
    std::vector<std::string> tracks, expected;
    for (const std::string& t : c.tracks) tracks.push_back(With(With(t, "RESET", GsReset), "TUNE", GsTune));
    for (const std::string& t : c.expected)
      expected.push_back(With(With(t, "RESET", GsReset), "TUNE", GsTune));
    Bytes song = Song(c.format, c.division, tracks, alien);
    SongPlan plan;
    Bytes written = Write(song, c.dialect, &plan);
    ASSERT_EQ(plan.refusal, SongRefusal::None) << c.name << ": " << plan.reason;
    EXPECT_EQ(HexText(written), HexText(Song(c.format, c.division, expected, alien))) << c.name;
    EXPECT_EQ(plan.inserted, c.inserted) << c.name;
    EXPECT_EQ(plan.track, c.track) << c.name;
    EXPECT_EQ(plan.tick, c.tick) << c.name;
    std::vector<SongNoteKind> notes;
    for (const SongNote& note : plan.notes) notes.push_back(note.kind);
    EXPECT_EQ(notes, c.notes) << c.name;

    // Writing it again changes nothing.
    SongPlan again;
    EXPECT_EQ(Write(written, c.dialect, &again), written) << c.name;
    EXPECT_TRUE(again.edits.empty()) << c.name;
    EXPECT_FALSE(again.inserted) << c.name;
  }
}

TEST(SongWriterTest, AllThreeDialectsInTurnAndAgainGiveTheSameBytes) {
  Bytes song = Song(0, 480, {With("00 RESET | 83 60 90 3C 64 | 60 3C 00 | 00 FF 2F 00", "RESET", GsReset)});
  Bytes once = song;
  for (int format = 0; format < MidiFormatCount; ++format) once = Write(once, format);
  // GS, XG and GM2 follow the reset in that order, 48 ticks after it.
  EXPECT_EQ(once, Song(0, 480,
                       {With("00 RESET | 30 F0 0D 41 10 42 12 40 00 00 00 04 04 0F 29 F7 | "
                             "00 F0 0B 43 10 4C 00 00 00 00 04 04 0F F7 | 00 F0 07 7F 7F 04 03 03 45 F7 | "
                             "83 30 90 3C 64 | 60 3C 00 | 00 FF 2F 00",
                             "RESET", GsReset)}));
  Bytes twice = once;
  for (int format = 0; format < MidiFormatCount; ++format) twice = Write(twice, format);
  EXPECT_EQ(twice, once);
}

TEST(SongWriterTest, ReplacesEveryTuneOfTheSetupRegionInEveryTrack) {
  Bytes song =
      Song(1, 480,
           {"00 F0 07 7F 7F 04 03 00 40 F7 | 00 FF 2F 00",
            "00 F0 07 7F 01 04 03 7F 7F F7 | 00 90 3C 64 | 10 F0 07 7F 7F 04 03 00 40 F7 | 00 FF 2F 00"});
  SongPlan plan;
  Bytes written = Write(song, GM2, &plan);
  EXPECT_EQ(
      written,
      Song(1, 480,
           {"00 F0 07 7F 7F 04 03 03 45 F7 | 00 FF 2F 00",
            "00 F0 07 7F 01 04 03 03 45 F7 | 00 90 3C 64 | 10 F0 07 7F 7F 04 03 00 40 F7 | 00 FF 2F 00"}));
  EXPECT_EQ(plan.replacedCount, 2);
  EXPECT_EQ(plan.device, 0x7F);  // the first one's
  ASSERT_EQ(plan.notes.size(), 1u);
  EXPECT_EQ(plan.notes[0].kind, SongNoteKind::LeftAlone);
  EXPECT_TRUE(plan.notes[0].afterNotes);
  EXPECT_EQ(plan.notes[0].track, 2);
  EXPECT_EQ(plan.notes[0].tick, 16u);
}

}  // namespace
