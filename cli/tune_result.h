// One master-tune message as the CLI reports it: the pitch after clamping and rounding, both texts the
// window program's fields show after a commit, and the message bytes.
#ifndef SONOREL_CLI_TUNE_RESULT_H
#define SONOREL_CLI_TUNE_RESULT_H

#include <string>
#include <vector>

#include "engine/tune_message.h"

struct TuneResult {
  int format = 0;             // MidiFormat
  bool usable = true;         // false: the text gave no pitch, 0 cents were used
  double requestedCents = 0;  // before clamping
  bool clamped = false;       // the range limit changed the result
  double cents = 0;           // clamped and rounded
  double hertz = 440.0;       // HertzFromCents(cents)
  std::string centsText;      // with the format's decimals
  std::string hertzText;      // with 6 decimals
  std::string hexText;        // as the SysEx field shows it
  std::vector<unsigned char> message;
};

// The message for a pitch value (hertz above 0, or cents) in a format.
TuneResult TuneFromValue(TuneSource source, double value, int format);
// The same into an existing result, every field set afresh; its strings keep their storage (sweeps).
void FillTuneFromValue(TuneResult& result, TuneSource source, double value, int format);

// The message for the text of the hertz field, as the window program commits it: at most 63 characters
// are read and a text that gives no pitch falls back to 0 cents (usable = false).
TuneResult TuneFromHertzField(const std::string& text, int format);

// The Standard MIDI File the window program saves for this message.
std::vector<unsigned char> SmfImageOf(const TuneResult& result);

const char* FormatName(int format);     // "GS", "XG", "GM2"
const char* FormatFileTag(int format);  // "gs", "xg", "gm2"

// FormatFixed into a string.
std::string FixedText(double value, int decimals);

#endif
