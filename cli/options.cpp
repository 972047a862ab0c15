#include "cli/options.h"

#include <cstring>

#include "engine/pitch.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsFolded(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// Where ParseNumber stops reading: after blanks, sign, digits with an optional ".", and an exponent
// only when digits follow the "e". Null when the text does not begin with a number.
const char* NumberEnd(const char* p) {
  while (IsBlank(*p)) ++p;
  if (*p == '+' || *p == '-') ++p;
  int digits = 0;
  for (; IsDigit(*p); ++p) ++digits;
  if (*p == '.') {
    ++p;
    for (; IsDigit(*p); ++p) ++digits;
  }
  if (digits == 0) return nullptr;
  if (*p == 'e' || *p == 'E') {
    const char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (IsDigit(*q)) {
      while (IsDigit(*q)) ++q;
      p = q;
    }
  }
  return p;
}

bool IsUnitOf(const std::string& word, TuneSource source) {
  if (source == FromHertz) return EqualsFolded(word, "hz");
  return EqualsFolded(word, "cents") || EqualsFolded(word, "cent") || EqualsFolded(word, "c");
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Options that take values, and how many (AnyValues: one or more, up to the next option).
const int AnyValues = -1;

struct OptionRule {
  const char* name;
  int values;
};

const OptionRule Rules[] = {
    {"--hz", 1},           {"--cents", 1},   {"--format", 1},  {"--mid", 1},    {"--syx", 1},
    {"--txt", 1},          {"--presets", 1}, {"--preset", 1},  {"--decode", 1}, {"--sweep-hz", 3},
    {"--sweep-cents", 3},  {"--json", 0},    {"--list", 0},    {"--help", 0},   {"--version", 0},
    {"--into", AnyValues}, {"--out", 1},     {"--dry-run", 0},
};

// Sending to a MIDI port.
const OptionRule PortRules[] = {{"--list-ports", 0}, {"--send", 1}, {"--gap", 1}};

const OptionRule* FindRule(const std::string& name) {
  for (const OptionRule& rule : Rules) {
    if (name == rule.name) return &rule;
  }
  for (const OptionRule& rule : PortRules) {
    if (name == rule.name) return &rule;
  }
  return nullptr;
}

// The arguments as (option, values) pairs, before their meaning is looked at.
struct GivenOption {
  std::string name;
  std::vector<std::string> values;
};

bool SplitArguments(const std::vector<std::string>& args, std::vector<GivenOption>& given,
                    std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::vector<std::string> values;
    bool inlineValue = false;
    if (name == "-h") name = "--help";
    if (name.compare(0, 2, "--") == 0) {
      std::size_t equals = name.find('=');
      if (equals != std::string::npos) {
        values.push_back(name.substr(equals + 1));
        name.erase(equals);
        inlineValue = true;
      }
    }
    const OptionRule* rule = FindRule(name);
    if (rule == nullptr) {
      if (name.size() > 1 && name[0] == '-' && !IsDigit(name[1])) {
        error = "unknown option " + Quoted(name);
      } else {
        error = "unexpected argument " + Quoted(args[i]) + " (values follow their option, e.g. --hz 442)";
      }
      return false;
    }
    if (inlineValue && rule->values == 0) {
      error = name + " takes no value";
      return false;
    }
    if (inlineValue && rule->values == 3) {
      error = name + " takes its values as separate arguments";
      return false;
    }
    // A following option is not taken as a value: "--mid --json" lacks a file name.
    while (static_cast<int>(values.size()) < rule->values) {
      if (i + 1 >= args.size() || args[i + 1].compare(0, 2, "--") == 0) {
        error = name + (rule->values == 1 ? " needs a value" : " needs FROM, TO and STEP");
        return false;
      }
      values.push_back(args[++i]);
    }
    // The songs of --into: every argument up to the next option.
    while (rule->values == AnyValues && i + 1 < args.size() && args[i + 1].compare(0, 2, "--") != 0)
      values.push_back(args[++i]);
    if (rule->values == AnyValues && values.empty()) {
      error = name + " needs at least one song";
      return false;
    }
    for (const GivenOption& earlier : given) {
      if (earlier.name == name) {
        error = name + " is given twice";
        return false;
      }
    }
    given.push_back(GivenOption{name, values});
  }
  return true;
}

bool ReadSweep(const GivenOption& option, CliOptions& options, std::string& error) {
  TuneSource source = option.name == "--sweep-hz" ? FromHertz : FromCents;
  double* targets[3] = {&options.sweepFrom, &options.sweepTo, &options.sweepStep};
  const char* roles[3] = {"FROM", "TO", "STEP"};
  for (int k = 0; k < 3; ++k) {
    std::string problem;
    if (!ReadPitchArgument(option.values[k], source, *targets[k], problem)) {
      error = option.name + " " + roles[k] + ": " + Quoted(option.values[k]) + " " + problem;
      return false;
    }
  }
  if (!(options.sweepStep > 0.0)) {
    error = option.name + " STEP: " + Quoted(option.values[2]) + " is not above 0";
    return false;
  }
  options.source = source;
  options.pitchOption = option.name;
  if (SweepLength(options) > MaxSweepLength) {
    error = option.name + ": more than " + std::to_string(MaxSweepLength) + " pitches";
    return false;
  }
  return true;
}

const int MaxGapMs = 60000;

// --send PORT and --gap MS: a gap is whole milliseconds, 0 to a minute.
bool ReadPortOption(const GivenOption& option, CliOptions& options, std::string& error) {
  const std::string& value = option.values[0];
  if (option.name == "--send") {
    if (value.empty()) {
      error = "--send: the port is empty";
      return false;
    }
    options.sendPort = value;
    return true;
  }
  bool digits =
      !value.empty() && value.size() <= 6 && value.find_first_not_of("0123456789") == std::string::npos;
  long long gap = digits ? std::stoll(value) : 0;
  if (!digits || gap > MaxGapMs) {
    error = "--gap: " + Quoted(value) + " is not a whole number of milliseconds from 0 to " +
            std::to_string(MaxGapMs);
    return false;
  }
  options.gapMs = static_cast<int>(gap);
  options.gapGiven = true;
  return true;
}

const char* ModeOption(const CliOptions& options) {
  switch (options.mode) {
    case CliMode::Tune:
      return options.pitchOption.c_str();
    case CliMode::Preset:
      return "--preset";
    case CliMode::List:
      return "--list";
    case CliMode::Decode:
      return "--decode";
    case CliMode::Sweep:
      return options.pitchOption.c_str();
    case CliMode::Ports:
      return "--list-ports";
    default:
      return "";
  }
}

// The combinations that make no sense, checked once every option is known.
bool CheckCombination(const CliOptions& options, bool formatGiven, bool modeGiven, std::string& error) {
  if (!modeGiven) {
    error = "nothing to do: give --hz, --cents, --preset, --list, --decode or a sweep (see --help)";
    return false;
  }
  bool anyOutput = !options.midPath.empty() || !options.syxPath.empty() || !options.txtPath.empty();
  bool into = !options.songPaths.empty();
  if (!into && (!options.songOut.empty() || options.dryRun)) {
    error = std::string(options.dryRun ? "--dry-run" : "--out") + " needs --into SONG";
    return false;
  }
  if (into && options.mode != CliMode::Tune && options.mode != CliMode::Preset) {
    error = std::string(ModeOption(options)) + " cannot be combined with --into";
    return false;
  }
  if (into && anyOutput) {
    error = "--into cannot be combined with --mid, --syx or --txt";
    return false;
  }
  if (into && !options.sendPort.empty()) {
    error = "--into cannot be combined with --send";
    return false;
  }
  if (!options.songOut.empty() && options.songPaths.size() != 1) {
    error = "--out takes one song, --into names " + std::to_string(options.songPaths.size());
    return false;
  }
  bool listOrDecode =
      options.mode == CliMode::List || options.mode == CliMode::Decode || options.mode == CliMode::Ports;
  if (listOrDecode && (formatGiven || anyOutput)) {
    error = std::string(ModeOption(options)) + " takes no " + (formatGiven ? "--format" : "output file");
    return false;
  }
  if (options.gapGiven && options.sendPort.empty()) {
    error = "--gap needs --send PORT";
    return false;
  }
  if (!options.sendPort.empty() && options.mode != CliMode::Tune && options.mode != CliMode::Preset) {
    error = "--send needs --hz, --cents or --preset";
    return false;
  }
  if (!options.presetsPath.empty() && options.mode != CliMode::Preset && options.mode != CliMode::List) {
    error = "--presets needs --preset NAME or --list";
    return false;
  }
  if ((options.mode == CliMode::Preset || options.mode == CliMode::List) && options.presetsPath.empty()) {
    error = std::string(ModeOption(options)) + " needs --presets PATH";
    return false;
  }
  if (options.mode == CliMode::Sweep && (!options.midPath.empty() || !options.txtPath.empty())) {
    error = options.pitchOption + " writes only --syx (the messages one after another)";
    return false;
  }
  const std::string* paths[3] = {&options.midPath, &options.syxPath, &options.txtPath};
  const char* names[3] = {"--mid", "--syx", "--txt"};
  int toStandardOutput = 0;
  for (int k = 0; k < 3; ++k) {
    if (*paths[k] == "-") ++toStandardOutput;
    for (int j = 0; j < k; ++j) {
      if (!paths[k]->empty() && *paths[k] == *paths[j] && *paths[k] != "-") {
        error = std::string(names[j]) + " and " + names[k] + " name the same file " + Quoted(*paths[k]);
        return false;
      }
    }
  }
  if (toStandardOutput > 1) {
    error = "only one of --mid, --syx and --txt can write to standard output";
    return false;
  }
  if (toStandardOutput == 1 && options.json) {
    error = "--json cannot share standard output with a file written to \"-\"";
    return false;
  }
  if (toStandardOutput == 1 && options.allFormats) {
    error = "--format all writes one file per format and needs file names, not \"-\"";
    return false;
  }
  return true;
}

}  // namespace

bool ReadPitchArgument(const std::string& text, TuneSource source, double& value, std::string& problem) {
  const char* end = NumberEnd(text.c_str());
  if (end == nullptr) {
    problem = "is not a number";
    return false;
  }
  // After the number only blanks and the unit may follow: "0x1A" would otherwise read as 0.
  const char* p = end;
  while (IsBlank(*p)) ++p;
  const char* wordStart = p;
  while (*p != '\0' && !IsBlank(*p)) ++p;
  std::string word(wordStart, p);
  while (IsBlank(*p)) ++p;
  if (*p != '\0' || (!word.empty() && !IsUnitOf(word, source))) {
    problem = source == FromHertz ? "is not a plain number (only \"Hz\" may follow the number)"
                                  : "is not a plain number (only \"cents\" or \"c\" may follow the number)";
    return false;
  }
  if (!ParseNumber(text.c_str(), &value)) {
    problem = "is not a number";
    return false;
  }
  if (!IsFiniteNumber(value)) {
    problem = "is too large";
    return false;
  }
  if (source == FromHertz && !(value > 0.0)) {
    problem = "is not a frequency above 0 Hz";
    return false;
  }
  if (source == FromHertz && !IsFiniteNumber(CentsFromHertz(value))) {
    problem = "is not a usable frequency";
    return false;
  }
  return true;
}

long long SweepLength(const CliOptions& options) {
  double span = options.sweepTo - options.sweepFrom;
  if (span < 0) span = -span;
  // A hair of tolerance keeps the end point when FROM + n x STEP misses TO by rounding (0.1 steps).
  double steps = span / options.sweepStep * (1.0 + 1e-12);
  if (steps > 1e15) return MaxSweepLength + 1;
  return static_cast<long long>(steps) + 1;
}

double SweepValue(const CliOptions& options, long long index) {
  double offset = static_cast<double>(index) * options.sweepStep;
  return options.sweepTo >= options.sweepFrom ? options.sweepFrom + offset : options.sweepFrom - offset;
}

bool ParseFormatName(const std::string& text, std::vector<int>& formats, bool& all) {
  formats.clear();
  all = false;
  if (EqualsFolded(text, "gs")) {
    formats.push_back(GS);
  } else if (EqualsFolded(text, "xg")) {
    formats.push_back(XG);
  } else if (EqualsFolded(text, "gm2")) {
    formats.push_back(GM2);
  } else if (EqualsFolded(text, "all")) {
    formats = {GS, XG, GM2};
    all = true;
  } else {
    return false;
  }
  return true;
}

bool ParseOptions(const std::vector<std::string>& args, CliOptions& options, std::string& error) {
  options = CliOptions();
  std::vector<GivenOption> given;
  if (!SplitArguments(args, given, error)) return false;

  bool help = false;
  bool version = false;
  bool formatGiven = false;
  std::string modeName;  // the option that chose the mode, for conflict messages
  for (const GivenOption& option : given) {
    const std::string& name = option.name;
    const std::string value = option.values.empty() ? std::string() : option.values[0];
    CliMode newMode = CliMode::Help;
    if (name == "--help") {
      help = true;
    } else if (name == "--version") {
      version = true;
    } else if (name == "--json") {
      options.json = true;
    } else if (name == "--format") {
      if (!ParseFormatName(value, options.formats, options.allFormats)) {
        error = "--format: " + Quoted(value) + " is not gs, xg, gm2 or all";
        return false;
      }
      formatGiven = true;
    } else if (name == "--mid" || name == "--syx" || name == "--txt") {
      if (value.empty()) {
        error = name + ": the file name is empty";
        return false;
      }
      (name == "--mid" ? options.midPath : name == "--syx" ? options.syxPath : options.txtPath) = value;
    } else if (name == "--into") {
      for (const std::string& song : option.values) {
        if (song.empty() || song == "-") {
          error = "--into: " + Quoted(song) + " is not a song file name";
          return false;
        }
      }
      options.songPaths = option.values;
    } else if (name == "--out") {
      if (value.empty() || value == "-") {
        error = "--out: " + Quoted(value) + " is not a file name";
        return false;
      }
      options.songOut = value;
    } else if (name == "--dry-run") {
      options.dryRun = true;
    } else if (name == "--presets") {
      if (value.empty()) {
        error = "--presets: the file name is empty";
        return false;
      }
      options.presetsPath = value;
    } else if (name == "--hz" || name == "--cents") {
      TuneSource source = name == "--hz" ? FromHertz : FromCents;
      std::string problem;
      if (!ReadPitchArgument(value, source, options.pitch, problem)) {
        error = name + ": " + Quoted(value) + " " + problem;
        return false;
      }
      options.source = source;
      options.pitchOption = name;
      options.pitchText = value;
      newMode = CliMode::Tune;
    } else if (name == "--preset") {
      if (value.empty()) {
        error = "--preset: the preset name is empty";
        return false;
      }
      options.presetName = value;
      newMode = CliMode::Preset;
    } else if (name == "--list") {
      newMode = CliMode::List;
    } else if (name == "--decode") {
      if (value.empty()) {
        error = "--decode: the file name is empty";
        return false;
      }
      options.decodePath = value;
      newMode = CliMode::Decode;
    } else if (name == "--list-ports") {
      newMode = CliMode::Ports;
    } else if (name == "--send" || name == "--gap") {
      if (!ReadPortOption(option, options, error)) return false;
    } else {  // the sweeps
      if (!ReadSweep(option, options, error)) return false;
      newMode = CliMode::Sweep;
    }
    if (newMode != CliMode::Help) {
      if (!modeName.empty()) {
        error = modeName + " and " + name + " cannot be combined";
        return false;
      }
      modeName = name;
      options.mode = newMode;
    }
  }

  if (help || version) {
    options.mode = help ? CliMode::Help : CliMode::Version;
    return true;
  }
  return CheckCombination(options, formatGiven, !modeName.empty(), error);
}
