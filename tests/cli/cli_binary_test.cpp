// The real sonorel-cli, started as a process in a temporary folder: its output, exit status and files.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli_fixture.h"
#include "run_program.h"

namespace fs = std::filesystem;

namespace {

std::string FromHex(const std::string& hex) {
  std::string bytes;
  std::istringstream in(hex);
  std::string token;
  while (in >> token) bytes += static_cast<char>(std::stoi(token, nullptr, 16));
  return bytes;
}

// The text line of one result: format, cents, hertz and message in their columns.
std::string Line(const char* format, const char* cents, const char* hertz, const char* hex) {
  char line[160];
  std::snprintf(line, sizeof line, "%-4s%8s cents  %10s Hz  %s\n", format, cents, hertz, hex);
  return line;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line + "\n");
  return lines;
}

// The SMF the window program saves: header, one track of the message and End of Track.
std::string SmfOf(const std::string& message) {
  std::string track = std::string("\x00\xF0", 2) + static_cast<char>(message.size() - 1) + message.substr(1) +
                      std::string("\x00\xFF\x2F\x00", 4);
  return std::string("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x78MTrk\x00\x00\x00", 21) +
         static_cast<char>(track.size()) + track;
}

struct WorkedExample {
  const char* option;
  const char* value;
  const char* format;
  const char* cents;
  const char* hertz;
  const char* message;
};

const WorkedExample Examples[] = {
    {"--hz", "440", "GS", "0.0", "440.000000", "F0 41 10 42 12 40 00 00 00 04 00 00 3C F7"},
    {"--hz", "440", "XG", "0.0", "440.000000", "F0 43 10 4C 00 00 00 00 04 00 00 F7"},
    {"--hz", "440", "GM2", "0.00", "440.000000", "F0 7F 7F 04 03 00 40 F7"},
    {"--hz", "442", "GS", "7.9", "442.012404", "F0 41 10 42 12 40 00 00 00 04 04 0F 29 F7"},
    {"--hz", "442", "XG", "7.9", "442.012404", "F0 43 10 4C 00 00 00 00 04 04 0F F7"},
    {"--hz", "442", "GM2", "7.85", "441.999639", "F0 7F 7F 04 03 03 45 F7"},
    {"--cents", "50", "GS", "50.0", "452.892984", "F0 41 10 42 12 40 00 00 00 05 0F 04 28 F7"},
    {"--cents", "50", "XG", "50.0", "452.892984", "F0 43 10 4C 00 00 00 00 05 0F 04 F7"},
    {"--cents", "50", "GM2", "50.00", "452.892984", "F0 7F 7F 04 03 00 60 F7"},
    {"--cents", "-100", "GS", "-100.0", "415.304698", "F0 41 10 42 12 40 00 00 00 00 01 08 37 F7"},
    {"--cents", "-100", "XG", "-100.0", "415.304698", "F0 43 10 4C 00 00 00 00 00 01 08 F7"},
    {"--cents", "-100", "GM2", "-100.00", "415.304698", "F0 7F 7F 04 03 00 00 F7"},
    {"--cents", "-0.5", "GS", "-0.5", "439.872941", "F0 41 10 42 12 40 00 00 00 03 0F 0B 23 F7"},
    {"--cents", "-0.5", "GM2", "-0.50", "439.872941", "F0 7F 7F 04 03 58 3F F7"},
    {"--cents", "12.35", "GS", "12.4", "443.162823", "F0 41 10 42 12 40 00 00 00 04 07 0C 29 F7"},
    {"--cents", "12.35", "GM2", "12.35", "443.150024", "F0 7F 7F 04 03 73 47 F7"},
    {"--hz", "1000", "GS", "100.0", "466.163762", "F0 41 10 42 12 40 00 00 00 07 0E 08 23 F7"},
    {"--hz", "1000", "XG", "102.3", "466.783487", "F0 43 10 4C 00 00 00 00 07 0F 0F F7"},
    {"--hz", "1000", "GM2", "99.99", "466.161069", "F0 7F 7F 04 03 7F 7F F7"},
    {"--cents", "-102.4", "XG", "-102.4", "414.729362", "F0 43 10 4C 00 00 00 00 00 00 00 F7"},
};

TEST_F(CliBinary, WorkedExamplesOfAllThreeFormats) {
  // One run per pitch with --format all; each row is the line of its format.
  std::map<std::string, ProgramRun> runs;
  for (const WorkedExample& example : Examples) {
    std::string key = std::string(example.option) + " " + example.value;
    if (runs.count(key) == 0) runs[key] = Run({example.option, example.value, "--format", "all"});
    const ProgramRun& run = runs[key];
    ASSERT_EQ(run.status, 0) << key << ": " << run.err;
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    int index = std::string(example.format) == "GS" ? 0 : std::string(example.format) == "XG" ? 1 : 2;
    EXPECT_EQ(lines[index], Line(example.format, example.cents, example.hertz, example.message)) << key;
  }
}

TEST_F(CliBinary, DefaultFormatIsGsAndPitchSpellingsAreAccepted) {
  const char* const cases[][4] = {
      {"--hz", "442", "", "GS"},
      {"--hz", "442Hz", "gS", "GS"},
      {"--hz", " 442 Hz ", "Xg", "XG"},
      {"--cents", "-12.5c", "Gm2", "GM2"},
      {"--cents", "-12.5 cents", "", "GS"},
  };
  const std::map<std::string, std::string> expected = {
      {"GS 442", Line("GS", "7.9", "442.012404", "F0 41 10 42 12 40 00 00 00 04 04 0F 29 F7")},
      {"XG 442", Line("XG", "7.9", "442.012404", "F0 43 10 4C 00 00 00 00 04 04 0F F7")},
      {"GM2 -12.5", Line("GM2", "-12.50", "436.834517", "F0 7F 7F 04 03 00 38 F7")},
      {"GS -12.5", Line("GS", "-12.5", "436.834517", "F0 41 10 42 12 40 00 00 00 03 08 03 32 F7")},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {c[0], c[1]};
    if (c[2][0] != '\0') args.insert(args.end(), {"--format", c[2]});
    ProgramRun run = Run(args);
    ASSERT_EQ(run.status, 0) << c[1] << ": " << run.err;
    std::string key = std::string(c[3]) + (c[0][2] == 'h' ? " 442" : " -12.5");
    EXPECT_EQ(run.out, expected.at(key)) << c[1];
    EXPECT_EQ(run.err, "");
  }
}

TEST_F(CliBinary, JsonHoldsTheSameTextsAsTheLines) {
  ProgramRun run = Run({"--hz", "442", "--format", "all", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "[{\"format\":\"GS\",\"cents\":7.9,\"hertz\":442.012404,\"clamped\":false,"
            "\"sysex\":\"F0 41 10 42 12 40 00 00 00 04 04 0F 29 F7\"},"
            "{\"format\":\"XG\",\"cents\":7.9,\"hertz\":442.012404,\"clamped\":false,"
            "\"sysex\":\"F0 43 10 4C 00 00 00 00 04 04 0F F7\"},"
            "{\"format\":\"GM2\",\"cents\":7.85,\"hertz\":441.999639,\"clamped\":false,"
            "\"sysex\":\"F0 7F 7F 04 03 03 45 F7\"}]\n");
}

TEST_F(CliBinary, ClampingIsNotedOnStandardErrorOncePerFormat) {
  ProgramRun run = Run({"--hz", "1000", "--format", "all", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"format\":\"GM2\",\"cents\":99.99,\"hertz\":466.161069,\"clamped\":true"),
            std::string::npos)
      << run.out;
  std::vector<std::string> notes = Lines(run.err);
  ASSERT_EQ(notes.size(), 3u) << run.err;
  const char* const limits[] = {"GS range -100.0 to 100.0: clamped to 100.0",
                                "XG range -102.4 to 102.3: clamped to 102.3",
                                "GM2 range -100.00 to 99.99: clamped to 99.99"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(notes[i].find("sonorel-cli: note: --hz 1000 gives 1421.3"), 0u) << notes[i];
    EXPECT_NE(notes[i].find(limits[i]), std::string::npos) << notes[i];
  }
}

TEST_F(CliBinary, FilesHoldExactlyTheBytesOfTheThreeSaveCommands) {
  WriteFile("tune-gs.mid", std::string(100, 'x'));  // replaced wholly, not overwritten in part
  ProgramRun run =
      Run({"--hz", "440", "--format", "all", "--mid", "tune.mid", "--syx", "tune.syx", "--txt", "tune.txt"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Files(),
            (std::set<std::string>{"tune-gs.mid", "tune-xg.mid", "tune-gm2.mid", "tune-gs.syx", "tune-xg.syx",
                                   "tune-gm2.syx", "tune-gs.txt", "tune-xg.txt", "tune-gm2.txt"}));
  const char* const smf[3] = {
      "4D 54 68 64 00 00 00 06 00 00 00 01 00 78 4D 54 72 6B 00 00 00 14 00 F0 0D 41 10 42 12 40 00 00 00 04 "
      "00 00 "
      "3C F7 00 FF 2F 00",
      "4D 54 68 64 00 00 00 06 00 00 00 01 00 78 4D 54 72 6B 00 00 00 12 00 F0 0B 43 10 4C 00 00 00 00 04 00 "
      "00 F7 "
      "00 FF 2F 00",
      "4D 54 68 64 00 00 00 06 00 00 00 01 00 78 4D 54 72 6B 00 00 00 0E 00 F0 07 7F 7F 04 03 00 40 F7 00 FF "
      "2F 00"};
  const char* const tags[3] = {"gs", "xg", "gm2"};
  const std::size_t smfSizes[3] = {42, 40, 36};
  for (int i = 0; i < 3; ++i) {
    std::string tag = tags[i];
    std::string message = Examples[i].message;
    EXPECT_EQ(ReadFile("tune-" + tag + ".mid"), FromHex(smf[i])) << tag;
    EXPECT_EQ(ReadFile("tune-" + tag + ".mid").size(), smfSizes[i]);
    EXPECT_EQ(ReadFile("tune-" + tag + ".syx"), FromHex(message)) << tag;
    EXPECT_EQ(ReadFile("tune-" + tag + ".txt"), message) << tag;  // no line end
  }
  EXPECT_EQ(Lines(run.out).size(), 3u);  // the report is printed as well
}

TEST_F(CliBinary, OneFormatWritesTheNameAsGiven) {
  ProgramRun run = Run({"--cents", "50", "--format", "xg", "--mid", "x.mid", "--txt", "x"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Files(), (std::set<std::string>{"x.mid", "x"}));
  EXPECT_EQ(ReadFile("x.mid"), SmfOf(FromHex("F0 43 10 4C 00 00 00 00 05 0F 04 F7")));
  EXPECT_EQ(ReadFile("x"), "F0 43 10 4C 00 00 00 00 05 0F 04 F7");
}

TEST_F(CliBinary, DashWritesTheBytesAloneToStandardOutput) {
  // 1.0 cent puts a 0A byte in the message: standard output must not turn it into a line end.
  const char* const message = "F0 41 10 42 12 40 00 00 00 04 00 0A 32 F7";
  ProgramRun syx = Run({"--cents", "1", "--syx", "-"});
  ASSERT_EQ(syx.status, 0) << syx.err;
  EXPECT_EQ(syx.out, FromHex(message));
  ProgramRun mid = Run({"--cents", "1", "--mid", "-", "--txt", "t.txt"});
  ASSERT_EQ(mid.status, 0) << mid.err;
  EXPECT_EQ(mid.out, SmfOf(FromHex(message)));
  EXPECT_EQ(ReadFile("t.txt"), message);
}

TEST_F(CliBinary, AnUnwritableOutputLeavesNoFileAtAll) {
  ProgramRun missing = Run({"--hz", "442", "--mid", "good.mid", "--syx", "missing/x.syx"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.out, "");
  ASSERT_EQ(Lines(missing.err).size(), 1u) << missing.err;
  EXPECT_NE(missing.err.find("cannot write \"missing/x.syx\""), std::string::npos) << missing.err;
  EXPECT_TRUE(Files().empty()) << *Files().begin();

  // A folder in the way of the target: the temporary copy is written but cannot replace it.
  fs::create_directory(Path("taken.syx"));
  ProgramRun taken = Run({"--hz", "442", "--syx", "taken.syx", "--txt", "after.txt"});
  EXPECT_EQ(taken.status, 2);
  EXPECT_NE(taken.err.find("\"taken.syx\""), std::string::npos) << taken.err;
  EXPECT_EQ(Files(), std::set<std::string>{"taken.syx"});
}

// Output files are saved like the settings files: through a temporary file of the save's own, so files
// that merely look like one stay, and through a symbolic link into the file it names.
TEST_F(CliBinary, OutputKeepsLinksAndTheUsersFilesWithTemporaryLookingNames) {
  WriteFile("tune.syx.sonorel-tmp", "mine");
  WriteFile("tune.syx.tmp", "mine too");
  std::set<std::string> expected = {"tune.syx", "tune.syx.sonorel-tmp", "tune.syx.tmp"};
#ifndef _WIN32
  fs::create_directory(root_ / "work" / "elsewhere");
  WriteFile("elsewhere/tune.syx", "old");
  fs::create_symlink("elsewhere/tune.syx", Path("tune.syx"));
  expected.insert("elsewhere");
#endif
  ProgramRun run = Run({"--hz", "440", "--syx", "tune.syx"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile("tune.syx"), FromHex(Examples[0].message));
  EXPECT_EQ(ReadFile("tune.syx.sonorel-tmp"), "mine");
  EXPECT_EQ(ReadFile("tune.syx.tmp"), "mine too");
  EXPECT_EQ(Files(), expected);
#ifndef _WIN32
  EXPECT_TRUE(fs::is_symlink(Path("tune.syx")));
  EXPECT_EQ(ReadFile("elsewhere/tune.syx"), FromHex(Examples[0].message));
  EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "work" / "elsewhere"), fs::directory_iterator()), 1);
#endif
}

class CliPresets : public CliBinary {
 protected:
  void SetUp() override {
    CliBinary::SetUp();
    // As the window program writes it (CR LF), plus hand edits: other letter cases, a duplicate, odd values.
    WriteFile("Preset.ini",
              "[Concert 442]\r\nHz=442.012404\r\nMidiFormat=0\r\n\r\n"
              "[Baroque 415]\r\nHz=415.304698\r\nMidiFormat=1\r\n\r\n"
              "[Fine GM2]\r\nhz=441.999639\r\nmidiformat= 2\r\n\r\n"
              "[No Hz]\r\nMidiFormat=2\r\n\r\n"
              "[Odd Format]\r\nHz=466.163762\r\nMidiFormat=7\r\n\r\n"
              "[CONCERT 442]\r\nHz=400\r\nMidiFormat=1\r\n");
  }
};

TEST_F(CliPresets, LookupIgnoresLetterCaseAndTakesTheFirstMatch) {
  struct Case {
    const char* name;
    const char* format;  // "" for the preset's own
    std::vector<std::string> lines;
    const char* note;  // part of standard error, "" for none
  };
  const Case cases[] = {
      {"concert 442", "", {"[Concert 442]  " + Line("GS", "7.9", "442.012404", Examples[3].message)}, ""},
      {"FINE gm2", "", {"[Fine GM2]  " + Line("GM2", "7.85", "441.999639", Examples[5].message)}, ""},
      {"No Hz",
       "",
       {"[No Hz]  " + Line("GM2", "0.00", "440.000000", Examples[2].message)},
       "has no Hz value"},
      {"odd format", "", {"[Odd Format]  " + Line("GS", "100.0", "466.163762", Examples[16].message)}, ""},
      {"Baroque 415",
       "all",
       {"[Baroque 415]  " + Line("GS", "-100.0", "415.304698", Examples[9].message),
        "[Baroque 415]  " + Line("XG", "-100.0", "415.304698", Examples[10].message),
        "[Baroque 415]  " + Line("GM2", "-100.00", "415.304698", Examples[11].message)},
       ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"--presets", "Preset.ini", "--preset", c.name};
    if (c.format[0] != '\0') args.insert(args.end(), {"--format", c.format});
    ProgramRun run = Run(args);
    ASSERT_EQ(run.status, 0) << c.name << ": " << run.err;
    EXPECT_EQ(Lines(run.out), c.lines) << c.name;
    if (c.note[0] == '\0') {
      EXPECT_EQ(run.err, "") << c.name;
    } else {
      EXPECT_NE(run.err.find(c.note), std::string::npos) << run.err;
    }
  }
}

TEST_F(CliPresets, ListShowsEveryPresetWithItsHertzAndFormat) {
  ProgramRun run = Run({"--presets", "Preset.ini", "--list"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(
      run.out,
      "[Concert 442]  GS   442.012404 Hz      7.9 cents\n"
      "[Baroque 415]  XG   415.304698 Hz   -100.0 cents\n"
      "[Fine GM2]     GM2  441.999639 Hz     7.85 cents\n"
      "[No Hz]        GM2  440.000000 Hz     0.00 cents\n"
      "[Odd Format]   GS   466.163762 Hz    100.0 cents\n"
      "[CONCERT 442]  GS   442.012404 Hz      7.9 cents\n");  // a duplicate shows the first one's values
  ProgramRun json = Run({"--presets", "Preset.ini", "--list", "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  EXPECT_EQ(json.out.find("[{\"name\":\"Concert 442\",\"format\":\"GS\",\"hertz\":442.012404,\"cents\":7.9,"
                          "\"hz_text\":\"442.012404\"},"),
            0u)
      << json.out;
  EXPECT_NE(json.out.find("{\"name\":\"No Hz\",\"format\":\"GM2\",\"hertz\":440.000000,\"cents\":0.00,"
                          "\"hz_text\":null}"),
            std::string::npos)
      << json.out;
}

TEST_F(CliPresets, MissingPresetOrFileIsAnError) {
  const std::vector<std::string> cases[] = {
      {"--presets", "Preset.ini", "--preset", "Concert 440"},
      {"--presets", "Nowhere.ini", "--list"},
      {"--presets", "Nowhere.ini", "--preset", "Concert 442"},
  };
  for (const auto& args : cases) {
    ProgramRun run = Run(args);
    EXPECT_EQ(run.status, 2) << args[1] << " " << args[3];
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
  }
}

TEST_F(CliBinary, DecodesTheFilesItWrote) {
  ASSERT_EQ(
      Run({"--hz", "442", "--format", "all", "--mid", "t.mid", "--syx", "t.syx", "--txt", "t.txt"}).status,
      0);
  const char* const cases[][3] = {
      {"t-gs.mid", "Standard MIDI File: format 0, 1 track, division 120\n",
       "track 1, tick 0, byte 23: GS master tune, 7.9 cents, 442.012404 Hz: well formed\n"},
      {"t-xg.syx", "SysEx bytes: 12 bytes\n",
       "byte 0: XG master tune, 7.9 cents, 442.012404 Hz: well formed\n"},
      {"t-gm2.txt", "hex text: 8 bytes\n",
       "byte 0: GM2 master tune, 7.849121 cents, 441.999414 Hz: well formed\n"},
  };
  for (const auto& c : cases) {
    ProgramRun run = Run({"--decode", c[0]});
    EXPECT_EQ(run.status, 0) << c[0] << ": " << run.err;
    EXPECT_EQ(run.out,
              std::string(c[1]) + c[2] + "1 System Exclusive message: 1 master tune, 1 well formed\n");
  }
  ProgramRun piped = Run({"--decode", "-", "--json"}, "t-gs.syx");
  EXPECT_EQ(piped.status, 0) << piped.err;
  EXPECT_EQ(
      piped.out,
      "{\"input\":\"raw\",\"bytes\":14,\"smf\":null,\"messages\":[{\"track\":null,\"tick\":null,\"offset\":0,"
      "\"master_tune\":true,\"dialect\":\"GS\",\"device\":16,\"cents\":7.9,\"hertz\":442.012404,"
      "\"well_formed\":true,\"problems\":[],\"sysex\":\"F0 41 10 42 12 40 00 00 00 04 04 0F 29 F7\"}],"
      "\"warnings\":[],\"master_tune\":1,\"well_formed\":1}\n");
}

TEST_F(CliBinary, DecodeReportsBrokenMessagesAndItsExitStatusSaysWhetherOneWasGood) {
  const std::string gs442 = FromHex(Examples[3].message);
  std::string badChecksum = gs442;
  badChecksum[12] = 0x2A;
  std::string highData = gs442;
  highData[10] = static_cast<char>(0x84);
  std::string korg = gs442;
  korg[1] = 0x42;
  // Three tracks: a tempo map, notes with running status around nothing, and the GS message at tick 96.
  std::string multi = FromHex(
      "4D 54 68 64 00 00 00 06 00 01 00 03 00 60 "
      "4D 54 72 6B 00 00 00 0B 00 FF 51 03 07 A1 20 00 FF 2F 00 "
      "4D 54 72 6B 00 00 00 0E 00 90 3C 64 60 3C 00 00 C0 05 00 FF 2F 00 "
      "4D 54 72 6B 00 00 00 14 60 F0 0D 41 10 42 12 40 00 00 00 04 04 0F 29 F7 00 FF 2F 00");
  struct Case {
    const char* file;
    std::string bytes;
    int status;
    const char* line;  // part of standard output, or of standard error for status 2
  };
  const Case cases[] = {
      {"checksum.syx", badChecksum, 1,
       "byte 0: GS master tune, 7.9 cents, 442.012404 Hz: malformed: checksum is 2A, should be 29"},
      {"truncated.syx", gs442.substr(0, 10), 1,
       "byte 0: GS master tune: malformed: no F7: cut short after 10 bytes"},
      {"maker.syx", korg, 1,
       "byte 0: not a master-tune message: F0 42 10 42 12 40 00 00 00 04 04 0F ... (14 bytes)"},
      {"high.syx", highData, 1, "malformed: byte 10 is 84: data bytes are below 80"},
      {"mixed.syx", badChecksum + gs442, 0, "byte 14: GS master tune, 7.9 cents, 442.012404 Hz: well formed"},
      {"multi.mid", multi, 0,
       "track 3, tick 96, byte 64: GS master tune, 7.9 cents, 442.012404 Hz: well formed"},
      {"empty.syx", "", 2, "--decode \"empty.syx\": the input is empty"},
      {"bad.txt", "F0 41\n10 4Z", 2, "line 2: \"4Z\" is not a hex byte"},
      {"header.mid", std::string("MThd\x00\x00", 6), 2, "the MThd header is cut short"},
  };
  for (const Case& c : cases) {
    WriteFile(c.file, c.bytes);
    ProgramRun run = Run({"--decode", c.file});
    EXPECT_EQ(run.status, c.status) << c.file << ": " << run.out << run.err;
    const std::string& text = c.status == 2 ? run.err : run.out;
    EXPECT_NE(text.find(c.line), std::string::npos) << c.file << ":\n" << text;
  }
  ProgramRun missing = Run({"--decode", "nothing.syx"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("cannot read \"nothing.syx\""), std::string::npos) << missing.err;
}

TEST_F(CliBinary, SweepPrintsOneResultPerPitchAndFormatAndWritesTheirBytes) {
  ProgramRun run = Run({"--sweep-cents", "-100", "-99", "0.5", "--format", "all", "--syx", "s.syx"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 9u) << run.out;
  EXPECT_EQ(lines[0], "-100.000000 cents  " + Line("GS", "-100.0", "415.304698", Examples[9].message));
  EXPECT_EQ(lines[8].find("-99.000000 cents  GM2"), 0u) << lines[8];
  EXPECT_EQ(Files(), (std::set<std::string>{"s-gs.syx", "s-xg.syx", "s-gm2.syx"}));
  EXPECT_EQ(ReadFile("s-gs.syx").size(), 3u * 14u);
  EXPECT_EQ(ReadFile("s-xg.syx").substr(0, 12), FromHex(Examples[10].message));
  EXPECT_EQ(ReadFile("s-gm2.syx").size(), 3u * 8u);
}

TEST_F(CliBinary, BadArgumentsExitWithTwoAndOneLineNamingTheArgument) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"--hz", "abc"}, "--hz: \"abc\" is not a number"},
      {{"--hz", ""}, "--hz: \"\" is not a number"},
      {{"--hz", "inf"}, "--hz: \"inf\" is not a number"},
      {{"--cents", "nan"}, "--cents: \"nan\" is not a number"},
      {{"--hz", "0x1A"}, "--hz: \"0x1A\" is not a plain number"},
      {{"--hz", "0"}, "--hz: \"0\" is not a frequency above 0 Hz"},
      {{"--hz", "-440"}, "--hz: \"-440\" is not a frequency above 0 Hz"},
      {{"--cents", "1e999"}, "--cents: \"1e999\" is too large"},
      {{"--hz", "442", "--format", "sg"}, "--format: \"sg\" is not gs, xg, gm2 or all"},
      {{"--bogus"}, "unknown option \"--bogus\""},
      {{"--hz"}, "--hz needs a value"},
      {{"--hz", "440", "--cents", "1"}, "--hz and --cents cannot be combined"},
      {{}, "nothing to do"},
      {{"--hz", "440", "--mid", "-", "--syx", "-"}, "only one of --mid, --syx and --txt"},
      {{"--hz", "440", "--format", "all", "--syx", "-"}, "--format all writes one file per format"},
      {{"--preset", "Concert 442"}, "--preset needs --presets PATH"},
      {{"--decode", "x.syx", "--format", "gs"}, "--decode takes no --format"},
  };
  for (const auto& c : cases) ExpectRefused(c.first, c.second);
  EXPECT_TRUE(Files().empty());
}

TEST_F(CliBinary, HelpAndVersion) {
  ProgramRun help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.find("Usage: sonorel-cli"), 0u);
  EXPECT_NE(help.out.find("tune-gs.mid, tune-xg.mid and tune-gm2.mid"), std::string::npos);
  ProgramRun version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "sonorel-cli 1.0.2004.1220\n");
}

}  // namespace
