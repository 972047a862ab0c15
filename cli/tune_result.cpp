#include "cli/tune_result.h"

#include <cstring>

#include "engine/pitch.h"
#include "smf/byte_buffer.h"
#include "smf/tune_smf.h"

namespace {

const int FieldTextLimit = 63;

// Builds from the already clamped and rounded cents, the value the window's build reads back from their
// text, so the encoder sees the same number the report shows.
void Encode(TuneResult& result) {
  BuildTuneMessageFromCents(result.cents, result.format);
  result.cents = CurrentCents;
  result.hertz = CurrentHertz;
  // Assigned from buffers, so that a result filled again keeps its strings' storage.
  char text[FixedTextSize];
  result.centsText.assign(text,
                          FormatFixed(CurrentCents, CentsRange[result.format].decimals, text, sizeof text));
  result.hertzText.assign(text, FormatFixed(CurrentHertz, 6, text, sizeof text));
  char hex[TuneBufferSize];
  result.hexText.assign(hex, FormatTuneHex(TuneMessage.bytes, TuneMessage.length, hex, sizeof hex));
  result.message.assign(TuneMessage.bytes, TuneMessage.bytes + TuneMessage.length);
}

void ClampAndRound(TuneResult& result, double cents) {
  const CentsBounds& range = CentsRange[result.format];
  result.requestedCents = cents;
  result.cents = RoundCents(ClampCents(cents, result.format), result.format);
  // Only a clamp that changes the result counts: 415.304698 Hz is -100.0000001 cents, -100.0 either way.
  bool outside = cents < range.minimum || cents > range.maximum;
  result.clamped = outside && RoundCents(cents, result.format) != result.cents;
}

}  // namespace

std::string FixedText(double value, int decimals) {
  char text[FixedTextSize];
  FormatFixed(value, decimals, text, sizeof text);
  return text;
}

TuneResult TuneFromValue(TuneSource source, double value, int format) {
  TuneResult result;
  FillTuneFromValue(result, source, value, format);
  return result;
}

void FillTuneFromValue(TuneResult& result, TuneSource source, double value, int format) {
  result.format = format;
  result.usable = true;
  ClampAndRound(result, source == FromHertz ? CentsFromHertz(value) : value);
  Encode(result);
}

TuneResult TuneFromHertzField(const std::string& text, int format) {
  TuneResult result;
  result.format = format;
  std::string field = text.substr(0, FieldTextLimit);
  double hertz = 0.0;
  double cents = 0.0;
  result.usable = ParseNumber(field.c_str(), &hertz) && IsFiniteNumber(hertz) &&
                  IsFiniteNumber(cents = CentsFromHertz(hertz));
  if (result.usable) {
    ClampAndRound(result, cents);
  } else {
    result.cents = 0.0;
  }
  Encode(result);
  return result;
}

std::vector<unsigned char> SmfImageOf(const TuneResult& result) {
  // The image is built from the global current message, exactly as the save command does.
  std::memcpy(TuneMessage.bytes, result.message.data(), result.message.size());
  TuneMessage.length = static_cast<std::int32_t>(result.message.size());
  ByteBuffer image;
  BuildSmfImage(image);
  return std::vector<unsigned char>(image.Data(), image.Data() + image.Size());
}

const char* FormatName(int format) {
  static const char* const names[] = {"GS", "XG", "GM2"};
  return format >= 0 && format < MidiFormatCount ? names[format] : "?";
}

const char* FormatFileTag(int format) {
  static const char* const tags[] = {"gs", "xg", "gm2"};
  return format >= 0 && format < MidiFormatCount ? tags[format] : "?";
}
