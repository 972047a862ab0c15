// MIDI output ports: listing them and sending complete System Exclusive messages. One interface, two
// implementations: winmm on Windows, raw MIDI device files elsewhere. Nothing here includes windows.h.
#ifndef SONOREL_MIDIOUT_MIDI_OUT_H
#define SONOREL_MIDIOUT_MIDI_OUT_H

#include <string>
#include <vector>

struct MidiPort {
  int index = -1;    // stable while the devices stay: the winmm device number, or the place in the list
  std::string name;  // as the system names it
  std::string path;  // the device file (not on Windows); a user's path has index -1
};

// Where a send stopped. Each has its own wording in the front ends.
enum class MidiStep {
  None,
  NoPort,   // no such port (no system call was made)
  Open,     // the port could not be opened (missing, busy, not a device, no access)
  Prepare,  // winmm refused to prepare the message buffer
  Send,     // the driver refused the message, or a write failed
  Timeout,  // the bytes did not leave the driver within the time limit
  Finish    // unpreparing or closing failed after the bytes had left
};

struct MidiError {
  MidiStep step = MidiStep::None;
  long code = 0;           // the system's error number
  std::string systemText;  // the system's own words for it, one line; empty for NoPort and Timeout
};

struct MidiSendTiming {
  int gapMs = 50;          // pause between two messages, so that the module can act on each
  int doneLimitMs = 2000;  // longest wait for one message to leave the driver
};

typedef std::vector<unsigned char> SysexBytes;

// True where ports are device files that a user may name by their path (not on Windows).
extern const bool MidiPortsAreFiles;

// The output ports in a stable order.
std::vector<MidiPort> ListMidiPorts();

// Sends each message (a complete F0 ... F7) in order with timing.gapMs between two, and returns when the
// last has left the driver. On the first failure stops and returns false with error filled in. What was
// opened is always closed.
bool SendSysex(const MidiPort& port, const std::vector<SysexBytes>& messages, const MidiSendTiming& timing,
               MidiError& error);

// The port that `text` names among `ports`: a listed index; else a name equal to it or, failing that,
// the one name containing it (letters in any case); else, where ports are device files, a text holding a
// "/" as a device path. An unlisted number is kept as a port of that index, so that the system names the
// problem when it is opened. False, with problem set ("matches no port", "matches 2 ports"), otherwise.
bool FindMidiPort(const std::vector<MidiPort>& ports, const std::string& text, MidiPort& port,
                  std::string& problem);

// The port called `name` (exactly), else the first; false when there is none.
bool PortByNameOrFirst(const std::vector<MidiPort>& ports, const std::string& name, MidiPort& port);

#endif
