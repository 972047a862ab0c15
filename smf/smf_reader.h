// A Standard MIDI File reader that only finds positions: the header, every chunk, every track event with its
// tick, byte offsets and status, and the bytes after the last chunk. It copies nothing and never reads
// outside the bytes it is given, so a writer can splice the original bytes at the positions it reports.
#ifndef SONOREL_SMF_SMF_READER_H
#define SONOREL_SMF_SMF_READER_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// 32 bytes: a song holds about one event in every three or four bytes. Offsets fit in 32 bits, as the
// lengths of chunks do; larger files are refused.
struct SmfEventView {
  std::uint64_t tick;          // absolute, from the start of the track
  std::uint32_t offset;        // of the delta time
  std::uint32_t statusOffset;  // of the status byte; with running status, of the first data byte
  std::uint32_t dataOffset;    // of the data: after the status (channel), after the length (F0, F7, meta)
  std::uint32_t end;           // one past the last byte; the data is [dataOffset, end)
  int track;                   // counting MTrk chunks from 0
  unsigned char status;        // as written, or the running one
  bool running;                // the status byte was left out
  unsigned char metaType;      // for FF events
};

struct SmfChunkView {
  char id[4];
  std::size_t offset;    // of the chunk's id
  std::uint32_t length;  // as announced
  std::size_t end;       // one past the body: offset + 8 + length, or the file's end when that lies beyond
  int track;             // counting MTrk chunks from 0; -1 for other chunks
};

struct SmfReading {
  std::string error;  // not readable as a Standard MIDI File at all; everything below is empty then
  int format = 0;
  int trackCount = 0;  // as announced in the header
  std::uint16_t division = 0;
  std::vector<SmfChunkView> chunks;
  // Track by track, in file order; a track's walk ends at End of Track. Empty when ReadSmf was given a
  // visitor.
  std::vector<SmfEventView> events;
  std::size_t trailing = 0;  // where the bytes after the last chunk begin (the file size when none)
  // Every problem in the order met, e.g. "track 2: data byte 3C at byte 40 has no status byte before it".
  std::vector<std::string> warnings;
  // The first problem that stopped a walk (a cut event, a bad status, a chunk longer than the file); empty
  // when every event was read. A missing End of Track, a track count that differs from the header and
  // bytes after the last chunk are warnings only.
  std::string damage;
};

// Walks the whole file. Damaged tracks are read up to the damage, and the walk goes on with the next chunk.
// False, with the reason in reading.error, when the bytes are no Standard MIDI File (no or a cut MThd).
bool ReadSmf(const unsigned char* data, std::size_t size, SmfReading& reading);
// The same walk, with every event handed to visit as it is read instead of kept: a large song then needs
// no memory for its events.
bool ReadSmf(const unsigned char* data, std::size_t size, SmfReading& reading,
             const std::function<void(const SmfEventView&)>& visit);

// Data bytes after a channel status (80 to EF): 1 for program change and channel pressure, otherwise 2.
int ChannelDataLength(unsigned char status);

// Note On with a velocity above 0.
bool IsSoundingNoteOn(const unsigned char* data, const SmfEventView& event);

#endif
