// The sending half of the MIDI menu: the "送信先" submenu of output ports and the send command.
#ifndef SONOREL_APP_MIDI_MENU_H
#define SONOREL_APP_MIDI_MENU_H

#include <windows.h>

#include <vector>

#include "midiout/midi_out.h"

extern HMENU MidiMenu;                   // the "MIDI" popup
extern HMENU PortMenu;                   // its "送信先" submenu
extern std::vector<MidiPort> MenuPorts;  // the ports as the submenu shows them, IDM_PORT_FIRST first

// Finds the two menus in the window's menu and reads the remembered port from the settings file.
void InitMidiMenu(HMENU mainMenu);
// Lists the ports afresh into the submenu when the MIDI popup or the submenu opens.
void OnInitMenuPopup(HMENU popup);
// A port item of the submenu was chosen.
void ChooseSendPort(int command);
// Sends TuneMessage to the chosen port (the first when it is gone); a failure is shown in an error box.
void SendTuneMessage(HWND window);

#endif
