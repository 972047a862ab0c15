// Master-tune System Exclusive messages of GS, XG and GM2, and their hexadecimal text.
#ifndef SONOREL_ENGINE_TUNE_MESSAGE_H
#define SONOREL_ENGINE_TUNE_MESSAGE_H

#include <cstddef>
#include <cstdint>

// Which field a build reads.
enum TuneSource { FromHertz = 0, FromCents = 1 };

const int TuneBufferSize = 1024;

struct TuneMessageBuffer {
  unsigned char bytes[TuneBufferSize];
  std::int32_t length;  // bytes in use: 0 at start, then 14 (GS), 12 (XG) or 8 (GM2)
};

// The state of the last build; GUI thread only.
extern TuneMessageBuffer TuneMessage;
extern char TuneHexText[TuneBufferSize];
extern double CurrentCents;  // clamped and rounded cents of the last build, 0.0 at start
extern double CurrentHertz;  // HertzFromCents(CurrentCents), 440.0 at start

// Builds the message for the pitch text of a field (at most 63 characters are looked at) in the given
// MidiFormat. Unusable text gives the message for 0 cents. Returns false only for a format outside 0..2,
// leaving TuneMessage as it was. Allocates nothing.
bool BuildTuneMessage(TuneSource source, const char* text, int format);

// The same for cents that are already clamped and rounded for the format (what ClampCents and then
// RoundCents give): the message and state that BuildTuneMessage builds from their text. Allocates nothing.
bool BuildTuneMessageFromCents(double cents, int format);

// Two uppercase hex digits per byte, a blank after every byte except F7. Writes a NUL-terminated text
// into out (cut to fit `size`) and returns its length. Allocates nothing.
std::size_t FormatTuneHex(const unsigned char* bytes, std::int32_t length, char* out, std::size_t size);

#endif
