#include "engine/tune_recognizer.h"

#include <cstdio>

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

bool Matches(const unsigned char* message, std::size_t length, const Dialect& dialect) {
  for (int k = 0; k < dialect.identityCount; ++k) {
    const KnownByte& known = dialect.identity[k];
    if (length <= static_cast<std::size_t>(known.position)) return false;
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

}  // namespace

int UsualDevice(int dialect) { return dialect == GM2 ? 0x7F : 0x10; }

bool IsWellFormedMasterTune(const SysexFinding& finding) {
  return finding.dialect >= 0 && finding.problems.empty();
}

SysexFinding CheckSysexMessage(const Bytes& message) {
  SysexFinding finding;
  finding.bytes = message;
  finding.dialect = MasterTuneDialect(message.data(), message.size());
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

int MasterTuneDialect(const unsigned char* message, std::size_t length) {
  for (int format = 0; format < MidiFormatCount; ++format) {
    if (Matches(message, length, Dialects[format])) return format;
  }
  return -1;
}

void SplitSysexMessages(const unsigned char* data, std::size_t size, std::size_t baseOffset, bool reportStray,
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
