// Preset, save and menu commands of the main window.
#ifndef SONOREL_APP_COMMANDS_H
#define SONOREL_APP_COMMANDS_H

#include <windows.h>

void OnMenuOrPresetCommand(HWND window, int id, int code);

void ChoosePreset(HWND window);
void SavePreset(HWND window);
void DeletePreset(HWND window);
void OpenHelp(HWND window);

#endif
