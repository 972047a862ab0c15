// What sonorel-cli prints: the results as text lines or JSON, the preset list, the decoder's report, and
// the help and version texts. Every function returns the whole text; nothing is printed here.
#ifndef SONOREL_CLI_OUTPUT_H
#define SONOREL_CLI_OUTPUT_H

#include <string>
#include <vector>

#include "cli/decode.h"
#include "cli/presets.h"
#include "cli/tune_result.h"

// Extra columns a result can carry: the pitch asked for (sweeps) or the preset it came from.
struct ResultLabel {
  bool hasInput = false;
  double input = 0.0;
  bool inputInHertz = true;
  std::string preset;  // empty: none
};

// One text line per result: format, cents, hertz and the message, e.g.
// "GS       7.9 cents  442.012404 Hz  F0 41 10 42 12 40 00 00 00 04 04 0F 29 F7".
std::string ResultLine(const TuneResult& result, const ResultLabel& label);
// One JSON object per result.
std::string ResultJson(const TuneResult& result, const ResultLabel& label);
// The same, appended to text (the sweeps' way: no text of its own per result).
void AppendResultLine(std::string& text, const TuneResult& result, const ResultLabel& label);
void AppendResultJson(std::string& json, const TuneResult& result, const ResultLabel& label);

std::string PresetListText(const std::vector<PresetEntry>& entries, const std::vector<TuneResult>& results);
std::string PresetListJson(const std::vector<PresetEntry>& entries, const std::vector<TuneResult>& results);

std::string DecodeReportText(const DecodeReport& report);
std::string DecodeReportJson(const DecodeReport& report);

// The cents a decoded message sets, as text: the format's decimals for GS and XG; six for GM2, whose steps
// of 100/8192 cent are finer than its two decimals.
std::string DecodedCentsText(const SysexFinding& finding);

std::string JsonString(const std::string& text);

std::string HelpText();
std::string VersionText();

#endif
