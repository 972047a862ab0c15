// What sonorel-cli prints about MIDI output ports: the list, and why a send failed.
#ifndef SONOREL_CLI_PORTS_H
#define SONOREL_CLI_PORTS_H

#include <string>
#include <vector>

#include "midiout/midi_out.h"

// "0: name" per port, one per line.
std::string PortListText(const std::vector<MidiPort>& ports);
// [{"index":0,"name":"..."}], with "path" where ports are device files.
std::string PortListJson(const std::vector<MidiPort>& ports);

// The port as messages name it: "0: name", or the path or number alone.
std::string PortLabel(const MidiPort& port);
// One line (without program name or line end) for a failed send to the port that `asked` named, e.g.
// --send "um-one": cannot open 1: UM-ONE: Device or resource busy
std::string SendErrorText(const std::string& asked, const MidiPort& port, const MidiError& error,
                          const MidiSendTiming& timing);

#endif
