// Finds the System Exclusive messages in raw SysEx bytes, a Standard MIDI File or hex text, and checks
// each master-tune message against the layout of its dialect. Pure: bytes in, findings out.
#ifndef SONOREL_CLI_DECODE_H
#define SONOREL_CLI_DECODE_H

#include <cstddef>
#include <string>
#include <vector>

enum class DecodeInputKind { RawBytes, Smf, HexText };

struct SysexFinding {
  int track = 0;                      // 1-based MTrk number in an SMF; 0 for raw bytes and hex text
  long long tick = 0;                 // absolute tick in its track (SMF only)
  std::size_t offset = 0;             // where its F0 is: in the file (SMF, raw) or among the hex bytes
  std::vector<unsigned char> bytes;   // the message as found, F0 first, F7 last when it has one
  int dialect = -1;                   // MidiFormat of a master-tune message; -1 for other SysEx
  int device = -1;                    // its device byte, when present
  bool hasValue = false;              // the value bytes were present and readable
  double cents = 0.0;                 // the pitch the message sets, when hasValue
  std::vector<std::string> problems;  // empty for a well-formed master-tune message
};

struct DecodeReport {
  bool usable = false;
  std::string error;  // why the input is unusable
  DecodeInputKind kind = DecodeInputKind::RawBytes;
  bool smf = false;  // an SMF, read from the file or from hex text
  int smfFormat = 0;
  int smfTracks = 0;  // as announced in the header
  int smfDivision = 0;
  std::size_t byteCount = 0;  // bytes looked at: the file, or the bytes the hex text gave
  std::vector<SysexFinding> findings;
  std::vector<std::string> warnings;  // damaged tracks, bytes outside any message
};

DecodeReport DecodeSysexInput(const std::vector<unsigned char>& input);

// Hex text: bytes as one or two hex digits, or longer even runs of digits read in pairs; "0x" prefixes,
// blanks, commas and line breaks are skipped. False with a message naming the line on a bad token.
bool ParseHexText(const std::vector<unsigned char>& text, std::vector<unsigned char>& bytes,
                  std::string& error);

// Classifies and checks one message (F0 first).
SysexFinding CheckSysexMessage(const std::vector<unsigned char>& message);

bool IsWellFormedMasterTune(const SysexFinding& finding);

// The device byte each dialect's messages carry when this program writes them.
int UsualDevice(int dialect);

#endif
