#include "smf/sysex_decoder.h"

#include <cstring>

#include "smf/smf_reader.h"

namespace {

typedef std::vector<unsigned char> Bytes;

std::string Number(long long value) { return std::to_string(value); }

struct PendingSysex {
  bool active = false;
  SysexFinding finding;
};

void FinishPending(PendingSysex& pending, std::vector<SysexFinding>& findings) {
  if (!pending.active) return;
  SysexFinding checked = CheckSysexMessage(pending.finding.bytes);
  checked.track = pending.finding.track;
  checked.tick = pending.finding.tick;
  checked.offset = pending.finding.offset;
  findings.push_back(checked);
  pending.active = false;
}

// The messages of a Standard MIDI File, event by event as the reader finds them. A message sent in parts
// (F0 without F7, then F7 continuations) is joined; an F7 escape may hold whole messages.
void DecodeSmf(const Bytes& file, DecodeReport& report) {
  report.smf = true;
  SmfReading reading;
  if (!ReadSmf(file.data(), file.size(), reading)) {
    report.error = reading.error;
    return;
  }
  report.usable = true;
  report.smfFormat = reading.format;
  report.smfTracks = reading.trackCount;
  report.smfDivision = reading.division;
  report.warnings = reading.warnings;

  PendingSysex pending;
  int track = -1;
  for (const SmfEventView& event : reading.events) {
    if (event.track != track) FinishPending(pending, report.findings);
    track = event.track;
    if (event.status != 0xF0 && event.status != 0xF7) continue;
    const unsigned char* data = file.data() + event.dataOffset;
    std::size_t length = event.end - event.dataOffset;
    if (event.status == 0xF0) {
      FinishPending(pending, report.findings);  // a new message: the one before never got its F7
      pending.active = true;
      pending.finding = SysexFinding();
      pending.finding.track = event.track + 1;
      pending.finding.tick = static_cast<long long>(event.tick);
      pending.finding.offset = event.statusOffset;
      pending.finding.bytes.push_back(0xF0);
      pending.finding.bytes.insert(pending.finding.bytes.end(), data, data + length);
    } else if (pending.active) {
      // A continuation packet of a message sent in parts.
      pending.finding.bytes.insert(pending.finding.bytes.end(), data, data + length);
    } else {
      // An escape: any bytes, sometimes a whole message; only messages in it are of interest.
      std::vector<SysexFinding> inside;
      std::vector<std::string> ignored;
      SplitSysexMessages(data, length, event.dataOffset, false, inside, ignored);
      for (SysexFinding& finding : inside) {
        finding.track = event.track + 1;
        finding.tick = static_cast<long long>(event.tick);
        report.findings.push_back(finding);
      }
    }
    if (pending.active && !pending.finding.bytes.empty() && pending.finding.bytes.back() == 0xF7) {
      FinishPending(pending, report.findings);
    }
  }
  FinishPending(pending, report.findings);
}

bool IsHexDigit(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

int HexValue(unsigned char c) {
  if (c <= '9') return c - '0';
  if (c >= 'a') return c - 'a' + 10;
  return c - 'A' + 10;
}

bool IsSeparator(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ','; }

// Text that hex could be: printable ASCII and line breaks only.
bool LooksLikeText(const Bytes& input) {
  std::size_t start = input.size() >= 3 && input[0] == 0xEF && input[1] == 0xBB && input[2] == 0xBF ? 3 : 0;
  for (std::size_t i = start; i < input.size(); ++i) {
    unsigned char c = input[i];
    if (!(c == '\t' || c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7F))) return false;
  }
  return true;
}

}  // namespace

bool ParseHexText(const Bytes& text, Bytes& bytes, std::string& error) {
  bytes.clear();
  std::size_t i = text.size() >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF ? 3 : 0;
  int line = 1;
  while (i < text.size()) {
    if (IsSeparator(text[i])) {
      if (text[i] == '\n') ++line;
      ++i;
      continue;
    }
    std::size_t start = i;
    while (i < text.size() && !IsSeparator(text[i])) ++i;
    std::string token(text.begin() + start, text.begin() + i);
    std::size_t digits = token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X') ? 2 : 0;
    bool good = token.size() > digits;
    for (std::size_t k = digits; k < token.size() && good; ++k) good = IsHexDigit(token[k]);
    std::size_t count = token.size() - digits;
    if (!good || (count > 2 && count % 2 != 0)) {
      error = "line " + Number(line) + ": \"" + token + "\" is not a hex byte";
      return false;
    }
    if (count <= 2) {
      int value = 0;
      for (std::size_t k = digits; k < token.size(); ++k) value = value * 16 + HexValue(token[k]);
      bytes.push_back(static_cast<unsigned char>(value));
    } else {
      for (std::size_t k = digits; k < token.size(); k += 2) {
        bytes.push_back(static_cast<unsigned char>(HexValue(token[k]) * 16 + HexValue(token[k + 1])));
      }
    }
  }
  if (bytes.empty()) {
    error = "the text holds no hex bytes";
    return false;
  }
  return true;
}

DecodeReport DecodeSysexInput(const Bytes& input) {
  DecodeReport report;
  report.byteCount = input.size();
  if (input.empty()) {
    report.error = "the input is empty";
    return report;
  }
  const Bytes* bytes = &input;
  Bytes fromText;
  if (input.size() >= 4 && std::memcmp(input.data(), "MThd", 4) == 0) {
    report.kind = DecodeInputKind::Smf;
  } else if (input[0] != 0xF0 && LooksLikeText(input)) {
    report.kind = DecodeInputKind::HexText;
    if (!ParseHexText(input, fromText, report.error)) return report;
    bytes = &fromText;
    report.byteCount = fromText.size();
  }
  if (bytes->size() >= 4 && std::memcmp(bytes->data(), "MThd", 4) == 0) {
    DecodeSmf(*bytes, report);
    return report;
  }
  report.usable = true;
  SplitSysexMessages(bytes->data(), bytes->size(), 0, true, report.findings, report.warnings);
  return report;
}
