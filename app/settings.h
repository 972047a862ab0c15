// The two INI files beside the program: presets, and the window position and last format.
#ifndef SONOREL_APP_SETTINGS_H
#define SONOREL_APP_SETTINGS_H

#include <string>

#include "ini/ini_file.h"

const int PathBufferSize = 260;

extern IniFile PresetFile;
extern IniFile SettingsFile;
// The name of the MIDI port chosen for sending ("MidiPort" in AppSetting); empty until one is chosen.
extern std::string SendPortName;

// When set, the folder (ending in a backslash) used instead of the executable's; for tests only.
extern const char* ProgramFolderOverride;

// Full path of a file in the program's folder. A path that would not fit in 260 bytes becomes empty,
// so that no file is used.
void ProgramFilePath(char* buffer, const char* fileName);
void PresetFilePath(char* buffer);
void SettingsFilePath(char* buffer);

// Leading white space, an optional sign, then decimal digits up to the first other byte; no digits give 0.
int DecimalValue(const char* text);
// DecimalValue limited to a MidiFormat: anything outside 0 to 2 is GS.
int FormatFromText(const char* text);

// Saves the presets, then the window position, format and (once chosen) MIDI port into the settings file.
void SaveSettings(int left, int top, int format);

#endif
