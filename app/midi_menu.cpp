#include "app/midi_menu.h"

#include <string>

#include "app/settings.h"
#include "engine/tune_message.h"
#include "res/resource.h"
#include "ui/errors.h"
#include "ui/instance.h"
#include "ui/strings.h"

HMENU MidiMenu = nullptr;
HMENU PortMenu = nullptr;
std::vector<MidiPort> MenuPorts;

namespace {

const int MaxMenuPorts = IDM_PORT_LAST - IDM_PORT_FIRST + 1;

bool HoldsCommand(HMENU menu, UINT command) {
  return GetMenuState(menu, command, MF_BYCOMMAND) != static_cast<UINT>(-1);
}

// A menu shows "&" as a mnemonic mark; a name's own "&" is doubled.
std::string MenuText(const std::string& name) {
  std::string text;
  for (char c : name) {
    text += c;
    if (c == '&') text += '&';
  }
  return text;
}

// String `id` with each "%s" replaced by the next argument. A Shift-JIS trail byte is never "%".
std::string FilledResString(UINT id, const std::string& first, const std::string& second) {
  std::string pattern;
  LoadResString(pattern, id, AppInstance);
  const std::string* arguments[2] = {&first, &second};
  std::string text;
  int used = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' && used < 2) {
      text += *arguments[used++];
      ++i;
    } else {
      text += pattern[i];
    }
  }
  return text;
}

UINT FailureStringId(MidiStep step) {
  switch (step) {
    case MidiStep::Open:
      return IDS_SEND_OPEN_FAILED;
    case MidiStep::Prepare:
      return IDS_SEND_PREPARE_FAILED;
    case MidiStep::Send:
      return IDS_SEND_FAILED;
    case MidiStep::Timeout:
      return IDS_SEND_TIMEOUT;
    case MidiStep::Finish:
      return IDS_SEND_CLOSE_FAILED;
    default:
      return IDS_SEND_NO_PORT;
  }
}

void RebuildPortMenu() {
  while (GetMenuItemCount(PortMenu) > 0) DeleteMenu(PortMenu, 0, MF_BYPOSITION);
  MenuPorts = ListMidiPorts();
  if (MenuPorts.size() > static_cast<std::size_t>(MaxMenuPorts)) MenuPorts.resize(MaxMenuPorts);
  if (MenuPorts.empty()) {
    std::string none;
    LoadResString(none, IDS_PORT_NONE, AppInstance);
    AppendMenuA(PortMenu, MF_STRING | MF_GRAYED, IDM_PORT_NONE, none.c_str());
    return;
  }
  // The remembered port, or the first when it is gone.
  int checked = -1;
  for (std::size_t i = 0; i < MenuPorts.size(); ++i) {
    AppendMenuA(PortMenu, MF_STRING, IDM_PORT_FIRST + i, MenuText(MenuPorts[i].name).c_str());
    if (checked < 0 && MenuPorts[i].name == SendPortName) checked = static_cast<int>(i);
  }
  if (checked < 0) checked = 0;
  const UINT last = IDM_PORT_FIRST + static_cast<UINT>(MenuPorts.size()) - 1;
  CheckMenuRadioItem(PortMenu, IDM_PORT_FIRST, last, IDM_PORT_FIRST + checked, MF_BYCOMMAND);
}

}  // namespace

void InitMidiMenu(HMENU mainMenu) {
  MidiMenu = nullptr;
  PortMenu = nullptr;
  MenuPorts.clear();
  for (int i = 0; i < GetMenuItemCount(mainMenu); ++i) {
    HMENU popup = GetSubMenu(mainMenu, i);
    if (popup != nullptr && HoldsCommand(popup, IDM_SEND)) MidiMenu = popup;
  }
  for (int i = 0; MidiMenu != nullptr && i < GetMenuItemCount(MidiMenu); ++i) {
    HMENU popup = GetSubMenu(MidiMenu, i);
    if (popup != nullptr) PortMenu = popup;
  }
  SendPortName.clear();
  SettingsFile.GetValue("AppSetting", "MidiPort", SendPortName);
}

void OnInitMenuPopup(HMENU popup) {
  if (PortMenu != nullptr && (popup == MidiMenu || popup == PortMenu)) RebuildPortMenu();
}

void ChooseSendPort(int command) {
  const std::size_t index = static_cast<std::size_t>(command - IDM_PORT_FIRST);
  if (index >= MenuPorts.size()) return;
  SendPortName = MenuPorts[index].name;
  CheckMenuRadioItem(PortMenu, IDM_PORT_FIRST, IDM_PORT_FIRST + static_cast<UINT>(MenuPorts.size()) - 1,
                     static_cast<UINT>(command), MF_BYCOMMAND);
}

void SendTuneMessage(HWND window) {
  MidiPort port;
  if (!PortByNameOrFirst(ListMidiPorts(), SendPortName, port)) {
    ReportError(window, FilledResString(IDS_SEND_NO_PORT, "", ""));
    return;
  }
  const SysexBytes message(TuneMessage.bytes, TuneMessage.bytes + TuneMessage.length);
  const MidiSendTiming timing;
  MidiError error;
  if (SendSysex(port, std::vector<SysexBytes>(1, message), timing, error)) return;
  const std::string detail =
      error.step == MidiStep::Timeout ? std::to_string(timing.doneLimitMs) : error.systemText;
  ReportError(window, FilledResString(FailureStringId(error.step), port.name, detail));
}
