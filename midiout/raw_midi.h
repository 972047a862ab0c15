// Raw MIDI device files: the listing behind ListMidiPorts, with its folders as arguments so that a test can
// give it a made-up tree.
#ifndef SONOREL_MIDIOUT_RAW_MIDI_H
#define SONOREL_MIDIOUT_RAW_MIDI_H

#include <string>
#include <vector>

#include "midiout/midi_out.h"

// devFolder/snd/midiC<card>D<device> by card and device, then devFolder/midi, midi<n> by name; each named
// after the first line of procFolder/card<card>/midi<device> (else of procFolder/card<card>/id) followed
// by its path in brackets, or by its path alone.
std::vector<MidiPort> ListRawMidiPorts(const std::string& devFolder, const std::string& procFolder);

#endif
