// Recognises master-tune System Exclusive messages of GS, XG and GM2 by their fixed bytes (any device byte)
// and checks each against the layout of its dialect: length, data bytes, value range and GS checksum.
// Pure: bytes in, findings out.
#ifndef SONOREL_ENGINE_TUNE_RECOGNIZER_H
#define SONOREL_ENGINE_TUNE_RECOGNIZER_H

#include <cstddef>
#include <string>
#include <vector>

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

// Classifies and checks one message (F0 first).
SysexFinding CheckSysexMessage(const std::vector<unsigned char>& message);

// The MidiFormat whose master tune this message is by its fixed bytes (wrong value, checksum or length
// allowed), or -1. message starts with F0.
int MasterTuneDialect(const unsigned char* message, std::size_t length);

bool IsWellFormedMasterTune(const SysexFinding& finding);

// The device byte each dialect's messages carry when this program writes them.
int UsualDevice(int dialect);

// Messages run from F0 to the next F7; an F0 before that F7 cuts the message short and starts the next.
// Each is checked and added to findings with offset baseOffset + its place; with reportStray, bytes
// outside any message are named in warnings.
void SplitSysexMessages(const unsigned char* data, std::size_t size, std::size_t baseOffset, bool reportStray,
                        std::vector<SysexFinding>& findings, std::vector<std::string>& warnings);

#endif
