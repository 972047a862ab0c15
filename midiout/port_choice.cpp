// Choosing a port by what a user typed or what the settings remember; the same on every platform.
#include <cstdlib>

#include "midiout/midi_out.h"

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// ASCII letters folded, other bytes compared as they are (a Shift-JIS name stays whole).
std::string Folded(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) c = Lower(c);
  return folded;
}

// A plain decimal index such as "0" or "12", within int.
bool ReadIndex(const std::string& text, int& index) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  index = std::atoi(text.c_str());
  return true;
}

}  // namespace

bool FindMidiPort(const std::vector<MidiPort>& ports, const std::string& text, MidiPort& port,
                  std::string& problem) {
  int index = 0;
  if (ReadIndex(text, index)) {
    for (const MidiPort& listed : ports) {
      if (listed.index == index) {
        port = listed;
        return true;
      }
    }
    port = MidiPort();
    port.index = index;
    return true;
  }
  if (text.empty()) {
    problem = "the port is empty";
    return false;
  }
  const std::string wanted = Folded(text);
  const MidiPort* found = nullptr;
  int containing = 0;
  for (const MidiPort& listed : ports) {
    const std::string name = Folded(listed.name);
    if (name == wanted) {
      port = listed;
      return true;
    }
    if (name.find(wanted) != std::string::npos) {
      if (containing++ == 0) found = &listed;
    }
  }
  if (containing == 1) {
    port = *found;
    return true;
  }
  if (containing > 1) {
    problem = "matches " + std::to_string(containing) + " ports";
    return false;
  }
  if (MidiPortsAreFiles && text.find('/') != std::string::npos) {
    port = MidiPort();
    port.name = text;
    port.path = text;
    return true;
  }
  problem = "matches no port";
  return false;
}

bool PortByNameOrFirst(const std::vector<MidiPort>& ports, const std::string& name, MidiPort& port) {
  if (ports.empty()) return false;
  port = ports.front();
  for (const MidiPort& listed : ports) {
    if (listed.name == name) {
      port = listed;
      break;
    }
  }
  return true;
}
