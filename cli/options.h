// The command line of sonorel-cli: what the user asked for, checked for conflicts before anything runs.
#ifndef SONOREL_CLI_OPTIONS_H
#define SONOREL_CLI_OPTIONS_H

#include <string>
#include <vector>

#include "engine/tune_message.h"

enum class CliMode { Tune, Preset, List, Decode, Sweep, Help, Version, Ports };

struct CliOptions {
  CliMode mode = CliMode::Tune;

  // --hz / --cents, and the kind of a sweep.
  TuneSource source = FromHertz;
  double pitch = 0.0;
  std::string pitchOption;  // "--hz" or "--cents", for messages
  std::string pitchText;    // the value as given, for notes

  // --sweep-hz / --sweep-cents FROM TO STEP.
  double sweepFrom = 0.0;
  double sweepTo = 0.0;
  double sweepStep = 0.0;

  // --format: empty means the default (GS, or the preset's own format).
  std::vector<int> formats;
  bool allFormats = false;

  bool json = false;
  std::string midPath;  // empty: not asked for; "-": standard output
  std::string syxPath;
  std::string txtPath;

  std::string presetsPath;
  std::string presetName;
  std::string decodePath;  // "-": standard input

  // --send PORT (empty: not asked for) and --gap MS between two messages.
  std::string sendPort;
  int gapMs = 50;
  bool gapGiven = false;
  // --into SONG... [--out FILE] [--dry-run]: write the tune into existing songs.
  std::vector<std::string> songPaths;
  std::string songOut;  // empty: each song is rewritten in place
  bool dryRun = false;
};

// Fills options from the arguments (without the program name). On a problem returns false with a
// one-line message (without program name or line end) in error.
bool ParseOptions(const std::vector<std::string>& args, CliOptions& options, std::string& error);

// Reads a pitch argument: a plain decimal number, optionally followed by blanks and a unit ("Hz" for
// hertz; "cents", "cent" or "c" for cents, any letter case). Rejects what is not such a number, values too
// large for a double, and hertz of 0 or below. On failure, problem says why (e.g. "is not a number").
bool ReadPitchArgument(const std::string& text, TuneSource source, double& value, std::string& problem);

// The pitches of a sweep: FROM, FROM +/- STEP, ... up to TO (included when it is reached), towards TO.
const long long MaxSweepLength = 1000000;
long long SweepLength(const CliOptions& options);
double SweepValue(const CliOptions& options, long long index);

// "gs", "xg", "gm2" in any letter case; "all" gives all three. False for anything else.
bool ParseFormatName(const std::string& text, std::vector<int>& formats, bool& all);

#endif
