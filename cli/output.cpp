#include "cli/output.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/pitch.h"

#ifndef SONOREL_VERSION
#define SONOREL_VERSION "0.0"
#endif

namespace {

std::string Padded(const std::string& text, std::size_t width, bool right) {
  if (text.size() >= width) return text;
  std::string pad(width - text.size(), ' ');
  return right ? pad + text : text + pad;
}

std::string HexOf(const std::vector<unsigned char>& bytes, std::size_t limit) {
  std::string text;
  char item[4];
  for (std::size_t i = 0; i < bytes.size() && i < limit; ++i) {
    std::snprintf(item, sizeof item, "%02X", bytes[i]);
    if (!text.empty()) text += ' ';
    text += item;
  }
  if (bytes.size() > limit) text += " ...";
  return text;
}

std::string Plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string JsonStringList(const std::vector<std::string>& items) {
  std::string text = "[";
  for (std::size_t i = 0; i < items.size(); ++i) text += (i ? "," : "") + JsonString(items[i]);
  return text + "]";
}

std::string DecodedHertzText(const SysexFinding& finding) {
  return FixedText(HertzFromCents(finding.cents), 6);
}

std::string Position(const DecodeReport& report, const SysexFinding& finding) {
  std::string text;
  if (report.smf && finding.track > 0) {
    text = "track " + std::to_string(finding.track) + ", tick " + std::to_string(finding.tick) + ", ";
  }
  return text + "byte " + std::to_string(finding.offset);
}

std::string FindingLine(const DecodeReport& report, const SysexFinding& finding) {
  std::string line = Position(report, finding) + ": ";
  if (finding.dialect < 0) {
    return line + "not a master-tune message: " + HexOf(finding.bytes, 12) + " (" +
           Plural(finding.bytes.size(), "byte", "bytes") + ")\n";
  }
  line += std::string(FormatName(finding.dialect)) + " master tune";
  if (finding.device >= 0 && finding.device != UsualDevice(finding.dialect)) {
    char device[16];
    std::snprintf(device, sizeof device, ", device %02X", finding.device);
    line += device;
  }
  if (finding.hasValue)
    line += ", " + DecodedCentsText(finding) + " cents, " + DecodedHertzText(finding) + " Hz";
  if (finding.problems.empty()) return line + ": well formed\n";
  line += ": malformed: ";
  for (std::size_t i = 0; i < finding.problems.size(); ++i) line += (i ? "; " : "") + finding.problems[i];
  return line + "\n";
}

const char* KindName(const DecodeReport& report) {
  switch (report.kind) {
    case DecodeInputKind::Smf:
      return "smf";
    case DecodeInputKind::HexText:
      return "hex";
    default:
      return "raw";
  }
}

}  // namespace

std::string JsonString(const std::string& text) {
  // Bytes from 80 up pass unchanged: names are in the system's code page, like everything the program stores.
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", c);
      out += escape;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string ResultLine(const TuneResult& result, const ResultLabel& label) {
  std::string line;
  AppendResultLine(line, result, label);
  return line;
}

void AppendResultLine(std::string& text, const TuneResult& result, const ResultLabel& label) {
  if (label.hasInput) {
    char input[FixedTextSize + 8];
    std::size_t length = FormatFixed(label.input, 6, input, FixedTextSize);
    const char* unit = label.inputInHertz ? " Hz  " : " cents  ";
    std::size_t unitLength = std::strlen(unit);
    std::memcpy(input + length, unit, unitLength);
    text.append(input, length + unitLength);
  }
  if (!label.preset.empty()) {
    text += '[';
    text += label.preset;
    text += "]  ";
  }
  // The columns are laid out in blanks appended at once and filled in: a sweep writes tens of thousands
  // of these lines.
  const std::string name = FormatName(result.format);
  const std::size_t nameWidth = std::max<std::size_t>(4, name.size());
  const std::size_t centsWidth = std::max<std::size_t>(8, result.centsText.size());
  const std::size_t hertzWidth = std::max<std::size_t>(10, result.hertzText.size());
  std::size_t start = text.size();
  text.append(nameWidth + centsWidth + 8 + hertzWidth + 5 + result.hexText.size() + 1, ' ');
  char* p = &text[start];
  std::memcpy(p, name.data(), name.size());
  p += nameWidth;
  std::memcpy(p + centsWidth - result.centsText.size(), result.centsText.data(), result.centsText.size());
  p += centsWidth;
  std::memcpy(p, " cents  ", 8);
  p += 8;
  std::memcpy(p + hertzWidth - result.hertzText.size(), result.hertzText.data(), result.hertzText.size());
  p += hertzWidth;
  std::memcpy(p, " Hz  ", 5);
  p += 5;
  std::memcpy(p, result.hexText.data(), result.hexText.size());
  p[result.hexText.size()] = '\n';
}

std::string ResultJson(const TuneResult& result, const ResultLabel& label) {
  std::string json;
  AppendResultJson(json, result, label);
  return json;
}

void AppendResultJson(std::string& json, const TuneResult& result, const ResultLabel& label) {
  // The numbers are the very texts of the text output; all of them are valid JSON numbers.
  json += '{';
  if (label.hasInput) {
    char input[FixedTextSize];
    json += "\"input\":";
    json.append(input, FormatFixed(label.input, 6, input, sizeof input));
    json += ',';
  }
  if (!label.preset.empty()) json += "\"preset\":" + JsonString(label.preset) + ",";
  json += "\"format\":\"";
  json += FormatName(result.format);
  json += "\",\"cents\":";
  json += result.centsText;
  json += ",\"hertz\":";
  json += result.hertzText;
  json += result.clamped ? ",\"clamped\":true" : ",\"clamped\":false";
  json += ",\"sysex\":\"";
  json += result.hexText;
  json += "\"}";
}

std::string PresetListText(const std::vector<PresetEntry>& entries, const std::vector<TuneResult>& results) {
  std::size_t width = 0;
  for (const PresetEntry& entry : entries)
    width = entry.name.size() + 2 > width ? entry.name.size() + 2 : width;
  std::string text;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TuneResult& result = results[i];
    text += Padded("[" + entries[i].name + "]", width, false) + "  " +
            Padded(FormatName(result.format), 5, false) + Padded(result.hertzText, 10, true) + " Hz  " +
            Padded(result.centsText, 7, true) + " cents\n";
  }
  return text;
}

std::string PresetListJson(const std::vector<PresetEntry>& entries, const std::vector<TuneResult>& results) {
  std::string json = "[";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const TuneResult& result = results[i];
    json += std::string(i ? "," : "") + "{\"name\":" + JsonString(entries[i].name) + ",\"format\":\"" +
            FormatName(result.format) + "\",\"hertz\":" + result.hertzText +
            ",\"cents\":" + result.centsText +
            ",\"hz_text\":" + (entries[i].hzFound ? JsonString(entries[i].hzText) : "null") + "}";
  }
  return json + "]\n";
}

std::string DecodedCentsText(const SysexFinding& finding) {
  return FixedText(finding.cents, finding.dialect == GM2 ? 6 : 1);
}

std::string DecodeReportText(const DecodeReport& report) {
  std::string text;
  if (report.smf) {
    text = std::string(report.kind == DecodeInputKind::HexText ? "hex text of a " : "") +
           "Standard MIDI File: format " + std::to_string(report.smfFormat) + ", " +
           Plural(static_cast<std::size_t>(report.smfTracks), "track", "tracks") + ", division " +
           std::to_string(report.smfDivision);
  } else {
    text = std::string(report.kind == DecodeInputKind::HexText ? "hex text: " : "SysEx bytes: ") +
           Plural(report.byteCount, "byte", "bytes");
  }
  text += "\n";

  std::size_t masterTunes = 0;
  std::size_t wellFormed = 0;
  for (const SysexFinding& finding : report.findings) {
    text += FindingLine(report, finding);
    if (finding.dialect >= 0) ++masterTunes;
    if (IsWellFormedMasterTune(finding)) ++wellFormed;
  }
  for (const std::string& warning : report.warnings) text += "warning: " + warning + "\n";
  text += Plural(report.findings.size(), "System Exclusive message", "System Exclusive messages") + ": " +
          std::to_string(masterTunes) + " master tune, " + std::to_string(wellFormed) + " well formed\n";
  return text;
}

std::string DecodeReportJson(const DecodeReport& report) {
  std::string json = std::string("{\"input\":\"") + KindName(report) +
                     "\",\"bytes\":" + std::to_string(report.byteCount) + ",\"smf\":";
  if (report.smf) {
    json += "{\"format\":" + std::to_string(report.smfFormat) +
            ",\"tracks\":" + std::to_string(report.smfTracks) +
            ",\"division\":" + std::to_string(report.smfDivision) + "}";
  } else {
    json += "null";
  }
  json += ",\"messages\":[";
  std::size_t masterTunes = 0;
  std::size_t wellFormed = 0;
  for (std::size_t i = 0; i < report.findings.size(); ++i) {
    const SysexFinding& f = report.findings[i];
    bool master = f.dialect >= 0;
    if (master) ++masterTunes;
    if (IsWellFormedMasterTune(f)) ++wellFormed;
    bool inTrack = report.smf && f.track > 0;
    json += std::string(i ? "," : "") + "{\"track\":" + (inTrack ? std::to_string(f.track) : "null") +
            ",\"tick\":" + (inTrack ? std::to_string(f.tick) : "null") +
            ",\"offset\":" + std::to_string(f.offset) + ",\"master_tune\":" + (master ? "true" : "false") +
            ",\"dialect\":" + (master ? "\"" + std::string(FormatName(f.dialect)) + "\"" : "null") +
            ",\"device\":" + (master && f.device >= 0 ? std::to_string(f.device) : "null") +
            ",\"cents\":" + (master && f.hasValue ? DecodedCentsText(f) : "null") +
            ",\"hertz\":" + (master && f.hasValue ? DecodedHertzText(f) : "null") +
            ",\"well_formed\":" + (IsWellFormedMasterTune(f) ? "true" : "false") +
            ",\"problems\":" + JsonStringList(f.problems) + ",\"sysex\":\"" + HexOf(f.bytes, f.bytes.size()) +
            "\"}";
  }
  json += "],\"warnings\":" + JsonStringList(report.warnings) +
          ",\"master_tune\":" + std::to_string(masterTunes) +
          ",\"well_formed\":" + std::to_string(wellFormed) + "}\n";
  return json;
}

std::string VersionText() { return std::string("sonorel-cli ") + SONOREL_VERSION + "\n"; }

std::string HelpText() {
  return "Usage: sonorel-cli (--hz VALUE | --cents VALUE) [--format NAME] [--json]\n"
         "                   [--mid FILE] [--syx FILE] [--txt FILE] [--send PORT [--gap MS]]\n"
         "       sonorel-cli --presets PATH --preset NAME [--format NAME] [--json] [files, --send as above]\n"
         "       sonorel-cli --presets PATH --list [--json]\n"
         "       sonorel-cli --decode FILE [--json]\n"
         "       sonorel-cli (--hz VALUE | --cents VALUE | --presets PATH --preset NAME) [--format NAME]\n"
         "                   --into SONG.mid [SONG2.mid ...] [--out FILE] [--dry-run] [--json]\n"
         "       sonorel-cli (--sweep-hz | --sweep-cents) FROM TO STEP [--format NAME] [--json] [--syx "
         "FILE]\n"
         "       sonorel-cli --list-ports [--json]\n"
         "\n"
         "Builds the master-tune System Exclusive message of GS, XG or GM2 for a reference pitch, as the\n"
         "MIDI Sonorel window program does, and prints per format the cents and hertz exactly as the\n"
         "program's fields show them after a commit (clamped to the format's range, rounded to its\n"
         "resolution) and the message in hex.\n"
         "\n"
         "Pitch:\n"
         "  --hz VALUE         a frequency above 0 Hz: 442, 442Hz or \"442 Hz\"\n"
         "  --cents VALUE      an offset from 440 Hz: -12.5, -12.5c or \"-12.5 cents\"\n"
         "  --format NAME      gs (default), xg, gm2 or all, in any letter case. A pitch outside the\n"
         "                     format's range (GS -100.0..100.0, XG -102.4..102.3, GM2 -100.00..99.99\n"
         "                     cents) is clamped, with a note on standard error.\n"
         "\n"
         "Output:\n"
         "  --json             print JSON (an array with one object per format) instead of text\n"
         "  --mid FILE         write the Standard MIDI File (format 0, division 120, one track)\n"
         "  --syx FILE         write the message bytes\n"
         "  --txt FILE         write the hex text, without a line end\n"
         "                     FILE \"-\" is standard output; nothing else is printed there then.\n"
         "                     With --format all the format's name goes before the extension:\n"
         "                     --mid tune.mid writes tune-gs.mid, tune-xg.mid and tune-gm2.mid.\n"
         "                     Every file is written completely or not at all.\n"
         "\n"
         "Presets (the window program's Preset.ini):\n"
         "  --presets PATH     the preset file\n"
         "  --preset NAME      use the hertz and format of this preset (letters in any case), as\n"
         "                     choosing it in the window program does; --format overrides its format\n"
         "  --list             list the presets with their format, hertz and cents\n"
         "\n"
         "Checking messages:\n"
         "  --decode FILE      find the System Exclusive messages in raw SysEx bytes, a Standard MIDI\n"
         "                     File (every track) or hex text (\"-\" reads standard input), and print\n"
         "                     for each its position, dialect, the cents and hertz it sets and whether\n"
         "                     it is well formed. GM2 steps are 100/8192 cent, so GM2 cents are shown\n"
         "                     with six decimals.\n"
         "\n"
         "Writing into songs:\n"
         "  --into SONG...     write the tune into each song (a Standard MIDI File of format 0 or 1) and\n"
         "                     print one line per song. The song is replaced only by a complete copy; a\n"
         "                     song that cannot be read, walked or written is named with the reason and\n"
         "                     left as it is, and the others are still done.\n"
         "  --out FILE         with one song: write the result to FILE and leave the song alone\n"
         "  --dry-run          print what would be done and write nothing\n"
         "                     Where the tune goes: a master tune of the same format before the first\n"
         "                     note (or at its tick) is replaced where it is, keeping its device byte.\n"
         "                     Otherwise the tune is inserted in the track of the last reset before the\n"
         "                     first note (GS Reset, GS system mode set, XG System On, GM System On or\n"
         "                     Off, GM2 System On), 50 ms after it at the tempo there, but never later\n"
         "                     than the first note; after a reset of its own format it takes that\n"
         "                     reset's device byte. Without a reset it goes at tick 0 of the first track.\n"
         "                     Tunes of the other formats, and those after the first note, are left\n"
         "                     alone and named. Nothing else in the song changes, and writing the same\n"
         "                     tune again changes nothing. --format all writes all three.\n"
         "\n"
         "Sweeps:\n"
         "  --sweep-hz FROM TO STEP     one result per pitch from FROM towards TO (TO included)\n"
         "  --sweep-cents FROM TO STEP  the same in cents; --syx FILE gets the messages one after another\n"
         "\n"
         "MIDI ports:\n"
         "  --list-ports       list the MIDI output ports as \"NUMBER: name\" (a note on standard error\n"
         "                     when there is none)\n"
         "  --send PORT        also send the message to a MIDI output port, after the files are written;\n"
         "                     PORT is a number from --list-ports, a part of a port's name (letters in\n"
         "                     any case) or, on Linux, a device path such as /dev/snd/midiC1D0.\n"
         "                     --format all sends GS, XG, then GM2.\n"
         "  --gap MS           milliseconds between two messages sent (default 50), so that the module\n"
         "                     can act on each\n"
         "\n"
         "  -h, --help         print this text\n"
         "  --version          print the version\n"
         "\n"
         "Exit status: 0 done; 2 a bad argument, an unreadable input, a file that cannot be written or a\n"
         "port that cannot be sent to.\n"
         "--decode: 0 when a well-formed master-tune message was found, 1 when none, 2 unusable input.\n"
         "--into: 0 when every song was done, 2 when any failed.\n";
}
