// Finds the System Exclusive messages in raw SysEx bytes, a Standard MIDI File or hex text, and checks
// each master-tune message against the layout of its dialect. Pure: bytes in, findings out.
#ifndef SONOREL_SMF_SYSEX_DECODER_H
#define SONOREL_SMF_SYSEX_DECODER_H

#include <cstddef>
#include <string>
#include <vector>

#include "engine/tune_recognizer.h"

enum class DecodeInputKind { RawBytes, Smf, HexText };

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

#endif
