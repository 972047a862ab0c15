#include "cli/ports.h"

#include "cli/output.h"

std::string PortListText(const std::vector<MidiPort>& ports) {
  std::string text;
  for (const MidiPort& port : ports) text += std::to_string(port.index) + ": " + port.name + "\n";
  return text;
}

std::string PortListJson(const std::vector<MidiPort>& ports) {
  std::string text = "[";
  for (std::size_t i = 0; i < ports.size(); ++i) {
    text += (i ? "," : "") + std::string("{\"index\":") + std::to_string(ports[i].index) +
            ",\"name\":" + JsonString(ports[i].name);
    if (!ports[i].path.empty()) text += ",\"path\":" + JsonString(ports[i].path);
    text += "}";
  }
  return text + "]\n";
}

std::string PortLabel(const MidiPort& port) {
  if (port.index < 0) return port.name;
  if (port.name.empty()) return "port " + std::to_string(port.index);
  return std::to_string(port.index) + ": " + port.name;
}

std::string SendErrorText(const std::string& asked, const MidiPort& port, const MidiError& error,
                          const MidiSendTiming& timing) {
  const std::string label = PortLabel(port);
  std::string text = "--send \"" + asked + "\": ";
  switch (error.step) {
    case MidiStep::NoPort:
      return text + "there is no " + label + " (see --list-ports)";
    case MidiStep::Open:
      text += "cannot open " + label;
      break;
    case MidiStep::Prepare:
      text += "cannot prepare a message for " + label;
      break;
    case MidiStep::Send:
      text += "cannot send to " + label;
      break;
    case MidiStep::Timeout:
      return text + label + " did not take the message within " + std::to_string(timing.doneLimitMs) + " ms";
    default:
      text += "cannot close " + label;
      break;
  }
  return text + ": " + error.systemText;
}
