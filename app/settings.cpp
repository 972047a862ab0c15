#include "app/settings.h"

#include <windows.h>

#include <climits>

#include "engine/pitch.h"

IniFile PresetFile;
IniFile SettingsFile;
std::string SendPortName;
const char* ProgramFolderOverride = nullptr;

void ProgramFilePath(char* buffer, const char* fileName) {
  char folder[PathBufferSize];
  if (ProgramFolderOverride != nullptr) {
    lstrcpynA(folder, ProgramFolderOverride, PathBufferSize);
  } else {
    DWORD length = GetModuleFileNameA(nullptr, folder, PathBufferSize);
    if (length == 0 || length >= PathBufferSize) folder[0] = '\0';  // none, or cut short
    char* lastSlash = nullptr;
    for (char* p = folder; *p != '\0'; ++p) {
      if (*p == '\\') lastSlash = p;
    }
    if (lastSlash != nullptr) {
      lastSlash[1] = '\0';
    } else {
      folder[0] = '\0';
    }
  }
  if (lstrlenA(folder) + lstrlenA(fileName) >= PathBufferSize) {
    buffer[0] = '\0';
    return;
  }
  lstrcpyA(buffer, folder);
  lstrcatA(buffer, fileName);
}

void PresetFilePath(char* buffer) { ProgramFilePath(buffer, "Preset.ini"); }

void SettingsFilePath(char* buffer) { ProgramFilePath(buffer, "Sonorel.ini"); }

int DecimalValue(const char* text) {
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (value <= INT_MAX) value = value * 10 + (*p - '0');  // saturates instead of overflowing
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

int FormatFromText(const char* text) {
  int format = DecimalValue(text);
  return (format < 0 || format >= MidiFormatCount) ? GS : format;
}

void SaveSettings(int left, int top, int format) {
  char number[64];
  PresetFile.Save();
  wsprintfA(number, "%d", left);
  SettingsFile.SetValue("AppSetting", "Left", number);
  wsprintfA(number, "%d", top);
  SettingsFile.SetValue("AppSetting", "Top", number);
  wsprintfA(number, "%d", format);
  SettingsFile.SetValue("AppSetting", "MidiFormat", number);
  if (!SendPortName.empty()) SettingsFile.SetValue("AppSetting", "MidiPort", SendPortName.c_str());
  SettingsFile.Save();
}
