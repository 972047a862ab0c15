// Pitch model: hertz and cents, the range and resolution of each MIDI format, and the number text rules.
// Pure functions; the same results on every platform (no locale, no C runtime formatting).
#ifndef SONOREL_ENGINE_PITCH_H
#define SONOREL_ENGINE_PITCH_H

#include <cstddef>

// The MIDI dialect, in the order of the format list.
enum MidiFormat { GS = 0, XG = 1, GM2 = 2 };

const int MidiFormatCount = 3;

struct CentsBounds {
  double minimum;
  double maximum;
  int decimals;  // decimals kept by RoundCents
};

// Up-down control ranges in tenths (position = value x 10).
struct SpinBounds {
  short centsMinimum;
  short centsMaximum;
  short hertzMinimum;
  short hertzMaximum;
};

extern const CentsBounds CentsRange[MidiFormatCount];
extern const SpinBounds SpinRange[MidiFormatCount];

// Reads a number from the start of text like "%lf" does, but with "." as the only decimal separator and
// without inf/nan words or hexadecimal. Leading white space is skipped and anything after the number is
// ignored. Fails on an empty or blank text or one that does not begin with a number. A number too large
// for a double reads as an infinity.
bool ParseNumber(const char* text, double* value);

bool IsFiniteNumber(double value);

// 1200 x log2(hertz / 440): minus infinity for 0, NaN for a negative frequency.
double CentsFromHertz(double hertz);
double HertzFromCents(double cents);

// format is a MidiFormat from 0 to 2.
double ClampCents(double cents, int format);
double RoundCents(double cents, int format);

// Large enough for any double with up to 6 decimals, sign and terminator.
const std::size_t FixedTextSize = 330;

// Fixed-point text with exactly `decimals` decimals (0 to 6): the exact value rounded to 17 significant
// digits, then to `decimals`, halves away from zero; zero never has a sign. Writes a NUL-terminated text
// into out (at least FixedTextSize bytes for arbitrary values) and returns its length. Allocates nothing.
// Most values are decided with 64-bit integer arithmetic; the rest (magnitudes from 10^(16 - decimals) up,
// and a 2^-64 share of the others) by the exact expansion below.
std::size_t FormatFixed(double value, int decimals, char* out, std::size_t size);

// The same text from the full decimal expansion of the double (up to 767 digits): slow, kept as the
// reference that FormatFixed is tested against.
std::size_t FormatFixedExact(double value, int decimals, char* out, std::size_t size);

#endif
