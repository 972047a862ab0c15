// --into: the real sonorel-cli writing the tune into songs in a temporary folder.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli_fixture.h"

namespace {

std::string Bytes(const std::string& hex) {
  std::string bytes;
  std::istringstream in(hex);
  std::string token;
  while (in >> token) {
    if (token != "|") bytes += static_cast<char>(std::stoi(token, nullptr, 16));
  }
  return bytes;
}

// Format 0, division 480, one track with the given events.
std::string Song(const std::string& events, int format = 0) {
  std::string body = Bytes(events);
  std::string song =
      Bytes("4D 54 68 64 00 00 00 06 00") + static_cast<char>(format) + Bytes("00 01 01 E0 4D 54 72 6B");
  for (int shift = 24; shift >= 0; shift -= 8) song += static_cast<char>((body.size() >> shift) & 0xFF);
  return song + body;
}

const char* const Original =
    "00 FF 51 03 07 A1 20 | 00 F0 0A 41 10 42 12 40 00 7F 00 41 F7 | 83 60 90 3C 64 | 60 3C 00 | 00 FF 2F 00";
const char* const WithGsTune =
    "00 FF 51 03 07 A1 20 | 00 F0 0A 41 10 42 12 40 00 7F 00 41 F7 | 30 F0 0D 41 10 42 12 40 00 00 00 04 04 "
    "0F 29 "
    "F7 | 83 30 90 3C 64 | 60 3C 00 | 00 FF 2F 00";
const char* const InsertedLine =
    "GS master tune 7.9 cents (442.012404 Hz) inserted in track 1 at tick 48, 50 ms after GS Reset";

TEST_F(CliBinary, IntoRewritesTheSongInPlaceAndAgainChangesNothing) {
  WriteFile("song.mid", Song(Original));
  ProgramRun run = Run({"--hz", "442", "--into", "song.mid"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, std::string("song.mid: ") + InsertedLine + "\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadFile("song.mid"), Song(WithGsTune));
  EXPECT_EQ(Files(), std::set<std::string>{"song.mid"});  // no temporary file left

  ProgramRun again = Run({"--hz", "442", "--into", "song.mid"});
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(again.out,
            "song.mid: GS master tune 7.9 cents (442.012404 Hz) already in track 1 at tick 48, unchanged\n");
  EXPECT_EQ(ReadFile("song.mid"), Song(WithGsTune));
}

TEST_F(CliBinary, IntoReportsEachFailingSongAndStillWritesTheOthers) {
  std::string damaged = Song("00 F0 0A 41 10 42 12 40 00 7F 00 41 F7 | 00 3C 64 | 00 FF 2F 00");
  std::string patterns = Song(Original, 2);
  WriteFile("a.mid", Song(Original));
  WriteFile("damaged.mid", damaged);
  WriteFile("patterns.mid", patterns);
  WriteFile("b.mid", Song(Original));
  ProgramRun run =
      Run({"--hz", "442", "--into", "a.mid", "damaged.mid", "patterns.mid", "missing.mid", "b.mid"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, std::string("a.mid: ") + InsertedLine + "\nb.mid: " + InsertedLine + "\n");
  EXPECT_EQ(ReadFile("a.mid"), Song(WithGsTune));
  EXPECT_EQ(ReadFile("b.mid"), Song(WithGsTune));
  // The refused songs are not touched.
  EXPECT_EQ(ReadFile("damaged.mid"), damaged);
  EXPECT_EQ(ReadFile("patterns.mid"), patterns);
  EXPECT_EQ(Files(), (std::set<std::string>{"a.mid", "b.mid", "damaged.mid", "patterns.mid"}));
  const char* reasons[] = {
      "sonorel-cli: damaged.mid: not written: track 1: data byte 3C at byte 36 has no status byte before "
      "it",
      "sonorel-cli: patterns.mid: not written: format 2 (independent patterns) is not written",
      "sonorel-cli: missing.mid: not written: cannot read \"missing.mid\": ",
  };
  for (const char* reason : reasons) EXPECT_NE(run.err.find(reason), std::string::npos) << reason << run.err;
}

TEST_F(CliBinary, IntoWithOutWritesElsewhereAndDryRunWritesNothing) {
  WriteFile("song.mid", Song(Original));
  ProgramRun out = Run({"--cents", "7.9", "--into", "song.mid", "--out", "tuned.mid"});
  EXPECT_EQ(out.status, 0) << out.err;
  EXPECT_EQ(out.out, std::string("song.mid -> tuned.mid: ") + InsertedLine + "\n");
  EXPECT_EQ(ReadFile("tuned.mid"), Song(WithGsTune));
  EXPECT_EQ(ReadFile("song.mid"), Song(Original));

  ProgramRun dry = Run({"--hz", "442", "--into", "song.mid", "--dry-run"});
  EXPECT_EQ(dry.status, 0);
  EXPECT_EQ(dry.out, std::string("song.mid: ") + InsertedLine + " (dry run)\n");
  EXPECT_EQ(ReadFile("song.mid"), Song(Original));
  EXPECT_EQ(Files(), (std::set<std::string>{"song.mid", "tuned.mid"}));

  ProgramRun unwritable = Run({"--hz", "442", "--into", "song.mid", "--out", "no-folder/tuned.mid"});
  EXPECT_EQ(unwritable.status, 2);
  EXPECT_NE(unwritable.err.find("song.mid: not written: cannot write \"no-folder/tuned.mid\""),
            std::string::npos)
      << unwritable.err;
  EXPECT_EQ(ReadFile("song.mid"), Song(Original));
}

TEST_F(CliBinary, IntoAllFormatsAsJsonNamesOnlyTheTunesItDidNotWrite) {
  // An XG tune after the first note is named; the three written ones are not.
  std::string events =
      std::string(Original).replace(std::string(Original).find("| 00 FF 2F 00"), 12,
                                    "| 00 F0 0B 43 10 4C 00 00 00 00 04 00 00 F7 | 00 FF 2F 00");
  WriteFile("song.mid", Song(events));
  ProgramRun run = Run({"--hz", "442", "--format", "all", "--into", "song.mid", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const char* expected =
      "[{\"song\":\"song.mid\",\"output\":\"song.mid\",\"done\":true,\"written\":true,\"dry_run\":false,"
      "\"tunes\":["
      "{\"format\":\"GS\",\"cents\":7.9,\"hertz\":442.012404,\"action\":\"inserted\",\"replaced\":0,"
      "\"track\":1,\"tick\":48,\"after\":\"GS Reset\",\"device\":16,\"warnings\":[\"the XG master tune in "
      "track 1 "
      "at tick 576 is left as it is (after the first note)\"]},"
      "{\"format\":\"XG\",\"cents\":7.9,\"hertz\":442.012404,\"action\":\"inserted\",\"replaced\":0,"
      "\"track\":1,\"tick\":48,\"after\":\"GS Reset\",\"device\":16,\"warnings\":[\"the XG master tune in "
      "track 1 "
      "at tick 576 is left as it is (after the first note)\"]},"
      "{\"format\":\"GM2\",\"cents\":7.85,\"hertz\":441.999639,\"action\":\"inserted\",\"replaced\":0,"
      "\"track\":1,\"tick\":48,\"after\":\"GS Reset\",\"device\":127,\"warnings\":[\"the XG master tune in "
      "track "
      "1 at tick 576 is left as it is (after the first note)\"]}]}]\n";
  EXPECT_EQ(run.out, expected);
  std::string song = ReadFile("song.mid");
  std::size_t gs = song.find(Bytes("41 10 42 12 40 00 00 00 04 04 0F 29 F7"));
  std::size_t xg = song.find(Bytes("43 10 4C 00 00 00 00 04 04 0F F7"));
  std::size_t gm2 = song.find(Bytes("7F 7F 04 03 03 45 F7"));
  EXPECT_TRUE(gs < xg && xg < gm2 && gm2 != std::string::npos);
}

TEST_F(CliBinary, IntoTakesThePitchAndFormatOfAPreset) {
  WriteFile("Preset.ini", "[Baroque 415]\r\nHz=415.304698\r\nMidiFormat=1\r\n");
  WriteFile("song.mid", Song(Original));
  ProgramRun run = Run({"--presets", "Preset.ini", "--preset", "baroque 415", "--into", "song.mid"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(
      run.out,
      "song.mid: XG master tune -100.0 cents (415.304698 Hz) inserted in track 1 at tick 48, 50 ms after GS "
      "Reset\n");
  EXPECT_NE(ReadFile("song.mid").find(Bytes("30 F0 0B 43 10 4C 00 00 00 00 00 01 08 F7")), std::string::npos);
}

TEST_F(CliBinary, IntoArgumentsThatDoNotFitTogether) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"--hz", "442", "--into"}, "--into needs at least one song"},
      {{"--hz", "442", "--into", "a.mid", "b.mid", "--out", "c.mid"}, "--out takes one song, --into names 2"},
      {{"--hz", "442", "--dry-run"}, "--dry-run needs --into SONG"},
      {{"--hz", "442", "--out", "c.mid"}, "--out needs --into SONG"},
      {{"--hz", "442", "--into", "a.mid", "--mid", "b.mid"},
       "--into cannot be combined with --mid, --syx or --txt"},
      {{"--hz", "442", "--into", "a.mid", "--send", "0"}, "--into cannot be combined with --send"},
      {{"--decode", "a.mid", "--into", "b.mid"}, "--decode cannot be combined with --into"},
      {{"--hz", "442", "--into", "-"}, "--into: \"-\" is not a song file name"},
  };
  for (const auto& c : cases) ExpectRefused(c.first, c.second);
}

}  // namespace
