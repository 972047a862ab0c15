#include "cli/run.h"

#include "cli/decode.h"
#include "cli/file_output.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/ports.h"
#include "cli/presets.h"
#include "cli/songs.h"
#include "cli/tune_result.h"
#include "engine/pitch.h"
#include "ini/ini_file.h"

namespace {

void Print(std::FILE* stream, const std::string& text) { std::fwrite(text.data(), 1, text.size(), stream); }

void Fail(std::FILE* err, const std::string& message) { Print(err, "sonorel-cli: " + message + "\n"); }

std::string RangeText(int format) {
  const CentsBounds& range = CentsRange[format];
  return std::string(FormatName(format)) + " range " + FixedText(range.minimum, range.decimals) + " to " +
         FixedText(range.maximum, range.decimals);
}

void NoteClamping(std::FILE* err, const std::string& origin, const TuneResult& result) {
  if (!result.clamped) return;
  Print(err, "sonorel-cli: note: " + origin + " gives " +
                 FixedText(result.requestedCents, CentsRange[result.format].decimals) +
                 " cents, outside the " + RangeText(result.format) + ": clamped to " + result.centsText +
                 "\n");
}

// The files that the save commands would write for these results; with --format all one per format.
std::vector<PlannedFile> PlanFiles(const CliOptions& options, const std::vector<TuneResult>& results) {
  std::vector<PlannedFile> files;
  const std::string* paths[3] = {&options.midPath, &options.syxPath, &options.txtPath};
  for (int kind = 0; kind < 3; ++kind) {
    if (paths[kind]->empty()) continue;
    for (const TuneResult& result : results) {
      PlannedFile file;
      file.path =
          options.allFormats ? WithFormatTag(*paths[kind], FormatFileTag(result.format)) : *paths[kind];
      if (kind == 0) file.bytes = SmfImageOf(result);
      if (kind == 1) file.bytes = result.message;
      if (kind == 2) file.bytes.assign(result.hexText.begin(), result.hexText.end());
      files.push_back(file);
    }
  }
  return files;
}

// Writes the files, then either the one meant for standard output or the report.
int Finish(std::FILE* out, std::FILE* err, const std::vector<PlannedFile>& files, const std::string& report) {
  std::string error;
  if (!WriteFilesSafely(files, error)) {
    Fail(err, error);
    return ExitUsage;
  }
  bool reportShown = true;
  for (const PlannedFile& file : files) {
    if (file.path != "-") continue;
    if (!file.bytes.empty()) std::fwrite(file.bytes.data(), 1, file.bytes.size(), out);
    reportShown = false;
  }
  if (reportShown) Print(out, report);
  if (std::fflush(out) != 0 || std::ferror(out)) {
    Fail(err, "cannot write to standard output");
    return ExitUsage;
  }
  return ExitDone;
}

// The port of --send, found before anything is written, so that a wrong name changes nothing.
bool ChoosePort(const CliOptions& options, MidiPort& port, std::FILE* err) {
  std::vector<MidiPort> ports = ListMidiPorts();
  std::string problem;
  if (FindMidiPort(ports, options.sendPort, port, problem)) return true;
  Fail(err, "--send \"" + options.sendPort + "\": " + problem +
                (ports.empty() ? " (there is no MIDI output port)" : " (see --list-ports)"));
  return false;
}

// Writes the files and the report, then sends the messages to the port of --send, if any.
int FinishAndSend(const CliOptions& options, std::FILE* out, std::FILE* err,
                  const std::vector<TuneResult>& results, const std::string& report) {
  MidiPort port;
  if (!options.sendPort.empty() && !ChoosePort(options, port, err)) return ExitUsage;
  int status = Finish(out, err, PlanFiles(options, results), report);
  if (status != ExitDone || options.sendPort.empty()) return status;
  std::vector<SysexBytes> messages;
  for (const TuneResult& result : results) messages.push_back(result.message);
  MidiSendTiming timing;
  timing.gapMs = options.gapMs;
  MidiError error;
  if (!SendSysex(port, messages, timing, error)) {
    Fail(err, SendErrorText(options.sendPort, port, error, timing));
    return ExitUsage;
  }
  Print(err, "sonorel-cli: note: sent " + std::to_string(messages.size()) +
                 (messages.size() == 1 ? " message to " : " messages to ") + PortLabel(port) + "\n");
  return ExitDone;
}

int RunPorts(const CliOptions& options, std::FILE* out, std::FILE* err) {
  std::vector<MidiPort> ports = ListMidiPorts();
  if (ports.empty()) Print(err, "sonorel-cli: note: there is no MIDI output port\n");
  return Finish(out, err, std::vector<PlannedFile>(),
                options.json ? PortListJson(ports) : PortListText(ports));
}

std::string Report(const CliOptions& options, const std::vector<TuneResult>& results,
                   const std::vector<ResultLabel>& labels) {
  std::string text = options.json ? "[" : "";
  for (std::size_t i = 0; i < results.size(); ++i) {
    if (options.json) {
      text += (i ? "," : "") + ResultJson(results[i], labels[i]);
    } else {
      text += ResultLine(results[i], labels[i]);
    }
  }
  return options.json ? text + "]\n" : text;
}

std::vector<int> ChosenFormats(const CliOptions& options, int fallback) {
  return options.formats.empty() ? std::vector<int>{fallback} : options.formats;
}

int RunTune(const CliOptions& options, std::FILE* out, std::FILE* err) {
  std::vector<TuneResult> results;
  for (int format : ChosenFormats(options, GS)) {
    results.push_back(TuneFromValue(options.source, options.pitch, format));
    NoteClamping(err, options.pitchOption + " " + options.pitchText, results.back());
  }
  if (!options.songPaths.empty()) return WriteIntoSongs(options, results, out, err);
  std::vector<ResultLabel> labels(results.size());
  return FinishAndSend(options, out, err, results, Report(options, results, labels));
}

bool LoadPresets(const CliOptions& options, IniFile& presets, std::FILE* err) {
  if (presets.Load(options.presetsPath.c_str())) return true;
  Fail(err, "--presets: cannot read \"" + options.presetsPath + "\"");
  return false;
}

int RunPreset(const CliOptions& options, std::FILE* out, std::FILE* err) {
  IniFile presets;
  if (!LoadPresets(options, presets, err)) return ExitUsage;
  PresetEntry entry;
  if (!FindPreset(presets, options.presetName, entry)) {
    Fail(err, "--preset: no preset \"" + options.presetName + "\" in \"" + options.presetsPath + "\"");
    return ExitUsage;
  }
  std::string origin = "preset \"" + entry.name + "\"";
  std::vector<TuneResult> results;
  for (int format : ChosenFormats(options, entry.format))
    results.push_back(TuneFromHertzField(entry.hzText, format));
  if (!results.front().usable) {
    Print(err, "sonorel-cli: note: " + origin +
                   (entry.hzFound ? " has the Hz text \"" + entry.hzText + "\", which gives no pitch"
                                  : " has no Hz value") +
                   ": 440 Hz, as the window program uses\n");
  }
  for (const TuneResult& result : results) NoteClamping(err, origin, result);
  if (!options.songPaths.empty()) return WriteIntoSongs(options, results, out, err);
  std::vector<ResultLabel> labels(results.size());
  for (ResultLabel& label : labels) label.preset = entry.name;
  return FinishAndSend(options, out, err, results, Report(options, results, labels));
}

int RunList(const CliOptions& options, std::FILE* out, std::FILE* err) {
  IniFile presets;
  if (!LoadPresets(options, presets, err)) return ExitUsage;
  std::vector<PresetEntry> entries = ListPresets(presets);
  std::vector<TuneResult> results;
  for (const PresetEntry& entry : entries) results.push_back(TuneFromHertzField(entry.hzText, entry.format));
  std::string report = options.json ? PresetListJson(entries, results) : PresetListText(entries, results);
  return Finish(out, err, std::vector<PlannedFile>(), report);
}

int RunDecode(const CliOptions& options, std::FILE* out, std::FILE* err) {
  std::vector<unsigned char> input;
  std::string error;
  if (!ReadWholeFile(options.decodePath, input, error)) {
    Fail(err, "--decode: " + error);
    return ExitUsage;
  }
  DecodeReport report = DecodeSysexInput(input);
  if (!report.usable) {
    Fail(err, "--decode \"" + options.decodePath + "\": " + report.error);
    return ExitUsage;
  }
  int status = Finish(out, err, std::vector<PlannedFile>(),
                      options.json ? DecodeReportJson(report) : DecodeReportText(report));
  if (status != ExitDone) return status;
  for (const SysexFinding& finding : report.findings) {
    if (IsWellFormedMasterTune(finding)) return ExitDone;
  }
  return ExitNoneFound;
}

int RunSweep(const CliOptions& options, std::FILE* out, std::FILE* err) {
  std::vector<int> formats = ChosenFormats(options, GS);
  long long count = SweepLength(options);
  std::vector<long long> clamped(formats.size(), 0);
  // The .syx file of a sweep holds its messages one after another, one file per format.
  std::vector<PlannedFile> files;
  if (!options.syxPath.empty()) {
    for (int format : formats) {
      PlannedFile file;
      file.path =
          options.allFormats ? WithFormatTag(options.syxPath, FormatFileTag(format)) : options.syxPath;
      files.push_back(file);
    }
  }
  // Results are turned into text as they come; only the text and the bytes are kept.
  std::string report = options.json ? "[" : "";
  report.reserve(static_cast<std::size_t>(count) * formats.size() * (options.json ? 150 : 90));
  ResultLabel label;
  label.hasInput = true;
  label.inputInHertz = options.source == FromHertz;
  TuneResult result;
  for (long long i = 0; i < count; ++i) {
    label.input = SweepValue(options, i);
    for (std::size_t k = 0; k < formats.size(); ++k) {
      FillTuneFromValue(result, options.source, label.input, formats[k]);
      if (result.clamped) ++clamped[k];
      if (options.json) {
        if (report.size() > 1) report += ',';
        AppendResultJson(report, result, label);
      } else {
        AppendResultLine(report, result, label);
      }
      if (!files.empty())
        files[k].bytes.insert(files[k].bytes.end(), result.message.begin(), result.message.end());
    }
  }
  if (options.json) report += "]\n";
  for (std::size_t k = 0; k < formats.size(); ++k) {
    if (clamped[k] == 0) continue;
    Print(err, "sonorel-cli: note: " + std::to_string(clamped[k]) + " of " + std::to_string(count) +
                   " pitches lie outside the " + RangeText(formats[k]) + " and were clamped\n");
  }
  return Finish(out, err, files, report);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  CliOptions options;
  std::string error;
  if (!ParseOptions(args, options, error)) {
    Fail(err, error);
    return ExitUsage;
  }
  switch (options.mode) {
    case CliMode::Help:
      Print(out, HelpText());
      return ExitDone;
    case CliMode::Version:
      Print(out, VersionText());
      return ExitDone;
    case CliMode::Preset:
      return RunPreset(options, out, err);
    case CliMode::List:
      return RunList(options, out, err);
    case CliMode::Decode:
      return RunDecode(options, out, err);
    case CliMode::Sweep:
      return RunSweep(options, out, err);
    case CliMode::Ports:
      return RunPorts(options, out, err);
    default:
      return RunTune(options, out, err);
  }
}
