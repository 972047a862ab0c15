#include "cli/presets.h"

#include "engine/pitch.h"

long DecimalValue(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    // Anything this large is outside 0..2 anyway; stop growing before it overflows.
    if (value < 100000000L) value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The preset file's own comparison: ASCII letters fold, no other byte does.
bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

PresetEntry ReadEntry(const IniFile& presets, const std::string& name) {
  PresetEntry entry;
  entry.name = name;
  long format = DecimalValue(presets.GetValueOr(name.c_str(), "MidiFormat", "0"));
  entry.format = format >= 0 && format < MidiFormatCount ? static_cast<int>(format) : GS;
  entry.hzFound = presets.GetValue(name.c_str(), "Hz", entry.hzText);
  if (!entry.hzFound) entry.hzText = entry.format == GM2 ? "0.00" : "0.0";
  return entry;
}

}  // namespace

bool FindPreset(const IniFile& presets, const std::string& name, PresetEntry& entry) {
  if (!presets.HasSection(name.c_str())) return false;
  entry = ReadEntry(presets, name);
  // Report the name as stored, whatever letter case it was asked for in.
  for (const IniSection& section : presets.Sections()) {
    if (SameName(section.name, name)) {
      entry.name = section.name;
      break;
    }
  }
  return true;
}

std::vector<PresetEntry> ListPresets(const IniFile& presets) {
  std::vector<PresetEntry> entries;
  for (const std::string& name : presets.SectionNames()) entries.push_back(ReadEntry(presets, name));
  return entries;
}
