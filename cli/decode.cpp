#include "cli/decode.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "engine/pitch.h"

namespace {

typedef std::vector<unsigned char> Bytes;

std::string HexByte(unsigned char value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

std::string Number(long long value) { return std::to_string(value); }

std::string Fixed(double value) {
  char text[FixedTextSize];
  FormatFixed(value, 1, text, sizeof text);
  return text;
}

// What identifies each dialect's master tune: the bytes that must match, by position (device bytes are
// left out: any device may be addressed). A mask of F0 compares the high nibble only (XG's 1n).
struct KnownByte {
  int position;
  unsigned char value;
  unsigned char mask;
};

const KnownByte GsIdentity[] = {{1, 0x41, 0xFF}, {3, 0x42, 0xFF}, {4, 0x12, 0xFF},
                                {5, 0x40, 0xFF}, {6, 0x00, 0xFF}, {7, 0x00, 0xFF}};
const KnownByte XgIdentity[] = {{1, 0x43, 0xFF}, {2, 0x10, 0xF0}, {3, 0x4C, 0xFF},
                                {4, 0x00, 0xFF}, {5, 0x00, 0xFF}, {6, 0x00, 0xFF}};
const KnownByte Gm2Identity[] = {{1, 0x7F, 0xFF}, {3, 0x04, 0xFF}, {4, 0x03, 0xFF}};

struct Dialect {
  const KnownByte* identity;
  int identityCount;
  int length;  // of the whole message
};

const Dialect Dialects[MidiFormatCount] = {
    {GsIdentity, 6, 14},
    {XgIdentity, 6, 12},
    {Gm2Identity, 3, 8},
};

bool Matches(const Bytes& message, const Dialect& dialect) {
  for (int k = 0; k < dialect.identityCount; ++k) {
    const KnownByte& known = dialect.identity[k];
    if (static_cast<int>(message.size()) <= known.position) return false;
    if ((message[known.position] & known.mask) != known.value) return false;
  }
  return true;
}

// The four nibble bytes of GS (from 8) or XG (from 7) as one value; false when one is not a nibble.
bool ReadNibbles(const Bytes& message, int first, int& value) {
  value = 0;
  for (int k = 0; k < 4; ++k) {
    unsigned char b = message[first + k];
    if (b > 0x0F) return false;
    value = (value << 4) | b;
  }
  return true;
}

void CheckValue(SysexFinding& finding, bool terminated) {
  const Bytes& m = finding.bytes;
  int n = static_cast<int>(m.size());
  // The value bytes must be there and not be the checksum or the final F7.
  if (finding.dialect == GM2) {
    if (n < 7 || (terminated && n < 8) || m[5] > 0x7F || m[6] > 0x7F) return;
    int g = (m[6] << 7) | m[5];
    finding.hasValue = true;
    finding.cents = (g - 8192) * 100.0 / 8192.0;  // one step is 100/8192 cent; exact in a double
    return;
  }
  int first = finding.dialect == GS ? 8 : 7;
  int needed = first + 4 + (finding.dialect == GS ? 1 : 0) + 1;  // value, checksum (GS), F7
  if (n < first + 4 || (terminated && n < needed)) return;
  int e = 0;
  bool nibbles = true;
  for (int k = first; k < first + 4; ++k) {
    if (m[k] > 0x0F && m[k] < 0x80) {
      finding.problems.push_back("byte " + Number(k) + " is " + HexByte(m[k]) + ": a nibble is at most 0F");
      nibbles = false;
    }
  }
  if (!nibbles || !ReadNibbles(m, first, e)) return;
  finding.hasValue = true;
  finding.cents = (e - 0x400) / 10.0;  // 0x400 is 0 cents, one unit a tenth of a cent
  const CentsBounds& range = CentsRange[finding.dialect];
  int low = static_cast<int>(range.minimum * 10.0 - 0.5) + 0x400;
  int high = static_cast<int>(range.maximum * 10.0 + 0.5) + 0x400;
  if (e < low || e > high) {
    finding.problems.push_back("the value " + Fixed(finding.cents) + " cents is outside the " +
                               (finding.dialect == GS ? "GS" : "XG") + " range " + Fixed(range.minimum) +
                               " to " + Fixed(range.maximum));
  }
}

// Roland's checksum: address, data and checksum add up to a multiple of 128.
void CheckGsChecksum(SysexFinding& finding) {
  const Bytes& m = finding.bytes;
  int n = static_cast<int>(m.size());
  int checksumAt = n - 2;
  if (checksumAt <= 5) return;
  int sum = 0;
  for (int k = 5; k < checksumAt; ++k) {
    if (m[k] > 0x7F) return;  // reported as a bad data byte already
    sum += m[k];
  }
  if (m[checksumAt] > 0x7F) return;
  int expected = (128 - sum % 128) % 128;
  if (m[checksumAt] != expected) {
    finding.problems.push_back("checksum is " + HexByte(m[checksumAt]) + ", should be " +
                               HexByte(static_cast<unsigned char>(expected)));
  }
}

// Messages run from F0 to the next F7; an F0 before that F7 cuts the message short and starts the next.
void SplitMessages(const unsigned char* data, std::size_t size, std::size_t baseOffset, bool reportStray,
                   std::vector<SysexFinding>& findings, std::vector<std::string>& warnings) {
  std::size_t i = 0;
  while (i < size) {
    if (data[i] != 0xF0) {
      std::size_t k = i;
      while (k < size && data[k] != 0xF0) ++k;
      if (reportStray) {
        warnings.push_back(Number(static_cast<long long>(k - i)) + " byte(s) at byte " +
                           Number(static_cast<long long>(baseOffset + i)) +
                           " are outside any System Exclusive message");
      }
      i = k;
      continue;
    }
    std::size_t j = i + 1;
    while (j < size && data[j] != 0xF7 && data[j] != 0xF0) ++j;
    std::size_t end = (j < size && data[j] == 0xF7) ? j + 1 : j;
    SysexFinding finding = CheckSysexMessage(Bytes(data + i, data + end));
    finding.offset = baseOffset + i;
    findings.push_back(finding);
    i = end;
  }
}

// Reads the bytes of a file chunk by chunk and event by event, never past the end of a chunk.
struct TrackReader {
  const Bytes& file;
  std::size_t position;
  std::size_t end;

  bool ReadVarLen(std::uint32_t& value) {
    value = 0;
    for (int k = 0; k < 4; ++k) {
      if (position >= end) return false;
      unsigned char b = file[position++];
      value = (value << 7) | (b & 0x7F);
      if ((b & 0x80) == 0) return true;
    }
    return false;  // a fifth byte would be needed
  }
};

std::uint32_t ReadBigEndian(const Bytes& file, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int k = 0; k < count; ++k) value = (value << 8) | file[at + k];
  return value;
}

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

// One MTrk chunk: delta times, running status, channel, meta and SysEx events. A damaged event ends the
// track with a warning; what was found before it stays.
void ReadTrack(const Bytes& file, std::size_t begin, std::size_t end, int track, DecodeReport& report) {
  TrackReader reader{file, begin, end};
  std::string where = "track " + Number(track);
  std::size_t warningsBefore = report.warnings.size();
  long long tick = 0;
  unsigned char runningStatus = 0;
  bool endOfTrack = false;
  PendingSysex pending;
  while (reader.position < end && !endOfTrack) {
    std::size_t eventAt = reader.position;
    std::uint32_t delta = 0;
    if (!reader.ReadVarLen(delta)) {
      report.warnings.push_back(where + ": the delta time at byte " + Number(eventAt) +
                                " runs past the track");
      break;
    }
    tick += delta;
    if (reader.position >= end) {
      report.warnings.push_back(where + ": no event after the delta time at byte " + Number(eventAt));
      break;
    }
    std::size_t statusAt = reader.position;
    unsigned char status = file[reader.position];
    if (status < 0x80) {
      if (runningStatus == 0) {
        report.warnings.push_back(where + ": data byte " + HexByte(status) + " at byte " + Number(statusAt) +
                                  " has no status byte before it");
        break;
      }
      status = runningStatus;  // running status: the data starts here
    } else {
      ++reader.position;
    }

    if (status < 0xF0) {
      int dataCount = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
      if (end - reader.position < static_cast<std::size_t>(dataCount)) {
        report.warnings.push_back(where + ": the event at byte " + Number(statusAt) + " is cut short");
        break;
      }
      reader.position += dataCount;
      runningStatus = status;
      continue;
    }

    if (status == 0xF0 || status == 0xF7) {
      std::uint32_t length = 0;
      if (!reader.ReadVarLen(length)) {
        report.warnings.push_back(where + ": the length of the System Exclusive event at byte " +
                                  Number(statusAt) + " runs past the track");
        FinishPending(pending, report.findings);
        break;
      }
      std::size_t available = end - reader.position;
      bool cut = length > available;
      std::size_t taken = cut ? available : length;
      const unsigned char* data = file.data() + reader.position;
      if (status == 0xF0) {
        FinishPending(pending, report.findings);  // a new message: the one before never got its F7
        pending.active = true;
        pending.finding = SysexFinding();
        pending.finding.track = track;
        pending.finding.tick = tick;
        pending.finding.offset = statusAt;
        pending.finding.bytes.push_back(0xF0);
        pending.finding.bytes.insert(pending.finding.bytes.end(), data, data + taken);
      } else if (pending.active) {
        // A continuation packet of a message sent in parts.
        pending.finding.bytes.insert(pending.finding.bytes.end(), data, data + taken);
      } else {
        // An escape: any bytes, sometimes a whole message; only messages in it are of interest.
        std::vector<SysexFinding> inside;
        std::vector<std::string> ignored;
        SplitMessages(data, taken, reader.position, false, inside, ignored);
        for (SysexFinding& finding : inside) {
          finding.track = track;
          finding.tick = tick;
          report.findings.push_back(finding);
        }
      }
      if (pending.active && !pending.finding.bytes.empty() && pending.finding.bytes.back() == 0xF7) {
        FinishPending(pending, report.findings);
      }
      reader.position += taken;
      if (cut) {
        report.warnings.push_back(where + ": the System Exclusive event at byte " + Number(statusAt) +
                                  " runs past the end of the track");
        break;
      }
      continue;
    }

    if (status == 0xFF) {
      if (reader.position >= end) {
        report.warnings.push_back(where + ": the meta event at byte " + Number(statusAt) + " is cut short");
        break;
      }
      unsigned char type = file[reader.position++];
      std::uint32_t length = 0;
      if (!reader.ReadVarLen(length) || length > end - reader.position) {
        report.warnings.push_back(where + ": the meta event at byte " + Number(statusAt) +
                                  " runs past the end of the track");
        break;
      }
      reader.position += length;
      if (type == 0x2F) endOfTrack = true;
      continue;
    }

    report.warnings.push_back(where + ": status " + HexByte(status) + " at byte " + Number(statusAt) +
                              " cannot occur in a MIDI file");
    break;
  }
  FinishPending(pending, report.findings);
  if (!endOfTrack && report.warnings.size() == warningsBefore) {
    report.warnings.push_back(where + " has no End of Track event");
  }
}

void DecodeSmf(const Bytes& file, DecodeReport& report) {
  report.smf = true;
  if (file.size() < 14) {
    report.error = "the MThd header is cut short";
    return;
  }
  std::uint32_t headerLength = ReadBigEndian(file, 4, 4);
  if (headerLength < 6 || headerLength > file.size() - 8) {
    report.error = "the MThd header has a bad length (" + Number(headerLength) + ")";
    return;
  }
  report.usable = true;
  report.smfFormat = static_cast<int>(ReadBigEndian(file, 8, 2));
  report.smfTracks = static_cast<int>(ReadBigEndian(file, 10, 2));
  report.smfDivision = static_cast<int>(ReadBigEndian(file, 12, 2));

  std::size_t position = 8 + headerLength;
  int track = 0;
  while (position < file.size()) {
    if (file.size() - position < 8) {
      report.warnings.push_back(Number(static_cast<long long>(file.size() - position)) +
                                " byte(s) after the last chunk are not a chunk");
      break;
    }
    std::uint32_t length = ReadBigEndian(file, position + 4, 4);
    std::size_t body = position + 8;
    std::size_t end = body + length;
    if (length > file.size() - body) {
      report.warnings.push_back("the chunk at byte " + Number(static_cast<long long>(position)) +
                                " announces " + Number(length) + " bytes, " +
                                Number(static_cast<long long>(file.size() - body)) + " remain");
      end = file.size();
    }
    if (std::memcmp(file.data() + position, "MTrk", 4) == 0) {
      ReadTrack(file, body, end, ++track, report);
    }
    // Other chunk types are allowed and carry nothing of interest here.
    position = end;
  }
  if (track != report.smfTracks) {
    report.warnings.push_back("the header announces " + Number(report.smfTracks) +
                              " track(s), the file has " + Number(track));
  }
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

int UsualDevice(int dialect) { return dialect == GM2 ? 0x7F : 0x10; }

bool IsWellFormedMasterTune(const SysexFinding& finding) {
  return finding.dialect >= 0 && finding.problems.empty();
}

SysexFinding CheckSysexMessage(const Bytes& message) {
  SysexFinding finding;
  finding.bytes = message;
  for (int format = 0; format < MidiFormatCount; ++format) {
    if (Matches(message, Dialects[format])) finding.dialect = format;
  }
  if (finding.dialect < 0) return finding;

  const Dialect& dialect = Dialects[finding.dialect];
  const char* name = finding.dialect == GS ? "GS" : finding.dialect == XG ? "XG" : "GM2";
  int n = static_cast<int>(message.size());
  bool terminated = n >= 2 && message[n - 1] == 0xF7;
  finding.device = message[2];
  if (!terminated) {
    finding.problems.push_back("no F7: cut short after " + Number(n) + " bytes, the " + name +
                               " master tune has " + Number(dialect.length));
  } else if (n != dialect.length) {
    finding.problems.push_back(Number(n) + " bytes, the " + name + " master tune has " +
                               Number(dialect.length));
  }
  int lastData = terminated ? n - 2 : n - 1;
  for (int k = 1; k <= lastData; ++k) {
    if (message[k] > 0x7F) {
      finding.problems.push_back("byte " + Number(k) + " is " + HexByte(message[k]) +
                                 ": data bytes are below 80");
    }
  }
  CheckValue(finding, terminated);
  if (finding.dialect == GS && terminated) CheckGsChecksum(finding);
  return finding;
}

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
  SplitMessages(bytes->data(), bytes->size(), 0, true, report.findings, report.warnings);
  return report;
}
