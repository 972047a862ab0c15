// Presets of the window program's preset file: each section is a preset with its "Hz" text and its
// "MidiFormat", read the way the window program reads them when a preset is chosen.
#ifndef SONOREL_CLI_PRESETS_H
#define SONOREL_CLI_PRESETS_H

#include <string>
#include <vector>

#include "ini/ini_file.h"

struct PresetEntry {
  std::string name;    // the section name as stored
  int format = 0;      // MidiFormat: decimal rule, outside 0..2 gives GS
  std::string hzText;  // the "Hz" value, or "0.0" / "0.00" (GM2) when it is missing
  bool hzFound = false;
};

// Decimal rule of the settings files: blanks, an optional sign, digits up to the first other byte; text
// without digits gives 0.
long DecimalValue(const std::string& text);

// Looks up a preset by name (ASCII letters in any case, first match); false when there is none.
bool FindPreset(const IniFile& presets, const std::string& name, PresetEntry& entry);

// Every preset in file order, duplicates and empty names included; values as FindPreset reads them
// (so a duplicate name shows the first section's values, as the window program's list does).
std::vector<PresetEntry> ListPresets(const IniFile& presets);

#endif
