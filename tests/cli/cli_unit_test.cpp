// The companion's pure parts, called directly: the pitch argument rules, output names and the decoder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/decode.h"
#include "cli/file_output.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/presets.h"
#include "engine/pitch.h"

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes HexBytes(const std::string& hex) {
  Bytes bytes;
  std::string error;
  EXPECT_TRUE(ParseHexText(Bytes(hex.begin(), hex.end()), bytes, error)) << error;
  return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const char* const Gs442 = "F0 41 10 42 12 40 00 00 00 04 04 0F 29 F7";
const char* const Xg442 = "F0 43 10 4C 00 00 00 00 04 04 0F F7";
const char* const Gm2At785 = "F0 7F 7F 04 03 03 45 F7";

struct PitchCase {
  const char* text;
  TuneSource source;
  bool accepted;
  double value;
  const char* problem;  // part of the reason when refused
};

TEST(PitchArgument, AcceptsPlainNumbersWithTheirUnitAndRefusesTheRest) {
  const PitchCase cases[] = {
      {"442", FromHertz, true, 442.0, ""},
      {"442Hz", FromHertz, true, 442.0, ""},
      {"442 Hz", FromHertz, true, 442.0, ""},
      {" 442 hz ", FromHertz, true, 442.0, ""},
      {"4.42e2", FromHertz, true, 442.0, ""},
      {"-12.5", FromCents, true, -12.5, ""},
      {"-12.5c", FromCents, true, -12.5, ""},
      {"-12.5 cents", FromCents, true, -12.5, ""},
      {"+0.5 Cent", FromCents, true, 0.5, ""},
      {"1e-999", FromCents, true, 0.0, ""},
      {"abc", FromHertz, false, 0, "is not a number"},
      {"", FromHertz, false, 0, "is not a number"},
      {"   ", FromCents, false, 0, "is not a number"},
      {"inf", FromHertz, false, 0, "is not a number"},
      {"nan", FromCents, false, 0, "is not a number"},
      {"0x1A", FromHertz, false, 0, "not a plain number"},
      {"442 cents", FromHertz, false, 0, "not a plain number"},
      {"12 Hz", FromCents, false, 0, "not a plain number"},
      {"1,5", FromCents, false, 0, "not a plain number"},
      {"442 Hz x", FromHertz, false, 0, "not a plain number"},
      {"0", FromHertz, false, 0, "above 0 Hz"},
      {"-5", FromHertz, false, 0, "above 0 Hz"},
      {"1e-999", FromHertz, false, 0, "above 0 Hz"},
      {"1e999", FromCents, false, 0, "too large"},
  };
  for (const PitchCase& c : cases) {
    double value = -1.0;
    std::string problem;
    bool accepted = ReadPitchArgument(c.text, c.source, value, problem);
    EXPECT_EQ(accepted, c.accepted) << '"' << c.text << '"';
    if (c.accepted) {
      EXPECT_EQ(value, c.value) << c.text;
    } else {
      EXPECT_NE(problem.find(c.problem), std::string::npos) << c.text << ": " << problem;
    }
  }
}

TEST(OutputNames, FormatTagGoesBeforeTheExtensionOfTheFileName) {
  const char* const cases[][2] = {
      {"tune.mid", "tune-gs.mid"},     {"out/tune.syx", "out/tune-gs.syx"},           {"tune", "tune-gs"},
      {"dir.d/tune", "dir.d/tune-gs"}, {"C:\\x.y\\tune.txt", "C:\\x.y\\tune-gs.txt"}, {".mid", ".mid-gs"},
      {"a.b.mid", "a.b-gs.mid"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithFormatTag(c[0], "gs"), c[1]) << c[0];
}

TEST(PresetFormat, DecimalRuleReadsLeadingDigitsOnly) {
  const std::pair<const char*, long> cases[] = {{"2", 2},   {" 2", 2}, {"2x", 2}, {"-1", -1},
                                                {"abc", 0}, {"", 0},   {"+1", 1}, {"- 1", 0}};
  for (const auto& c : cases) EXPECT_EQ(DecimalValue(c.first), c.second) << '"' << c.first << '"';
  EXPECT_GT(DecimalValue("99999999999999999999"), 2);  // far outside 0..2, and no overflow on the way
}

struct MessageCase {
  const char* name;
  const char* hex;
  int dialect;
  bool wellFormed;
  const char* cents;    // as printed; "" when the value cannot be read
  const char* problem;  // part of the first problem, "" when well formed
};

TEST(CheckSysexMessage, ClassifiesAndChecksEachDialect) {
  const MessageCase cases[] = {
      {"GS 442 Hz", Gs442, GS, true, "7.9", ""},
      {"XG 442 Hz", Xg442, XG, true, "7.9", ""},
      {"GM2 7.85 cents sets 643 steps", Gm2At785, GM2, true, "7.849121", ""},
      {"GM2 lowest", "F0 7F 7F 04 03 00 00 F7", GM2, true, "-100.000000", ""},
      {"GM2 highest", "F0 7F 7F 04 03 7F 7F F7", GM2, true, "99.987793", ""},
      {"XG +102.3", "F0 43 10 4C 00 00 00 00 07 0F 0F F7", XG, true, "102.3", ""},
      {"XG -102.4", "F0 43 10 4C 00 00 00 00 00 00 00 F7", XG, true, "-102.4", ""},
      {"GS to device 11", "F0 41 11 42 12 40 00 00 00 04 04 0F 29 F7", GS, true, "7.9", ""},
      {"bad checksum", "F0 41 10 42 12 40 00 00 00 04 04 0F 2A F7", GS, false, "7.9",
       "checksum is 2A, should be 29"},
      {"GS cut after the value", "F0 41 10 42 12 40 00 00 00 04 04 0F", GS, false, "7.9",
       "no F7: cut short after 12"},
      {"GS cut inside the value", "F0 41 10 42 12 40 00 00 00 04", GS, false, "", "no F7"},
      {"GS too long", "F0 41 10 42 12 40 00 00 00 04 04 0F 00 29 F7", GS, false, "7.9", "15 bytes, the GS"},
      {"data byte 84", "F0 41 10 42 12 40 00 00 00 04 84 0F 29 F7", GS, false, "",
       "byte 10 is 84: data bytes"},
      {"nibble above 0F", "F0 43 10 4C 00 00 00 00 04 1F 0F F7", XG, false, "", "byte 9 is 1F: a nibble"},
      {"GS value above +100", "F0 41 10 42 12 40 00 00 00 07 0F 0F 1B F7", GS, false, "102.3",
       "outside the GS range"},
      {"XG value beyond four nibbles", "F0 43 10 4C 00 00 00 01 04 00 00 F7", XG, false, "409.6",
       "outside the XG"},
      {"XG short", "F0 43 10 4C 00 00 00 00 04 00 F7", XG, false, "", "11 bytes, the XG master tune has 12"},
      {"Korg, not Roland", "F0 42 10 42 12 40 00 00 00 04 04 0F 29 F7", -1, false, "", ""},
      {"GS reset", "F0 41 10 42 12 40 00 7F 00 41 F7", -1, false, "", ""},
      {"GS request, not a data set", "F0 41 10 42 11 40 00 00 00 00 00 04 3C F7", -1, false, "", ""},
      {"XG system on", "F0 43 10 4C 00 00 7E 00 F7", -1, false, "", ""},
      {"GM2 master volume", "F0 7F 7F 04 01 00 40 F7", -1, false, "", ""},
  };
  for (const MessageCase& c : cases) {
    SysexFinding finding = CheckSysexMessage(HexBytes(c.hex));
    EXPECT_EQ(finding.dialect, c.dialect) << c.name;
    EXPECT_EQ(IsWellFormedMasterTune(finding), c.wellFormed) << c.name;
    EXPECT_EQ(finding.hasValue, c.cents[0] != '\0') << c.name;
    if (finding.hasValue) {
      EXPECT_EQ(DecodedCentsText(finding), c.cents) << c.name;
    }
    if (c.problem[0] != '\0') {
      ASSERT_FALSE(finding.problems.empty()) << c.name;
      EXPECT_NE(finding.problems[0].find(c.problem), std::string::npos)
          << c.name << ": " << finding.problems[0];
    }
  }
}

TEST(ParseHexText, ToleratesSeparatorsAndPrefixesAndNamesTheBadLine) {
  Bytes bytes;
  std::string error;
  std::string text =
      "\xEF\xBB\xBF"
      "0xF0,0x7F 7f\r\n04 0X03\t0040\nF7";
  ASSERT_TRUE(ParseHexText(Bytes(text.begin(), text.end()), bytes, error)) << error;
  EXPECT_EQ(bytes, HexBytes("F0 7F 7F 04 03 00 40 F7"));

  const char* const bad[][2] = {
      {"F0 41\nG7", "line 2: \"G7\""}, {"F07", "\"F07\""}, {"0x", "\"0x\""}, {" \n, ", "no hex"}};
  for (const auto& c : bad) {
    std::string input = c[0];
    EXPECT_FALSE(ParseHexText(Bytes(input.begin(), input.end()), bytes, error)) << c[0];
    EXPECT_NE(error.find(c[1]), std::string::npos) << error;
  }
}

TEST(DecodeSysexInput, RawBytesGiveEveryMessageWithItsPositionAndStrayBytes) {
  Bytes input = Concat({HexBytes(Gs442), HexBytes("00 01"), HexBytes(Xg442), HexBytes("F0 41 10 42 12 40 00"),
                        HexBytes(Gm2At785)});
  DecodeReport report = DecodeSysexInput(input);
  ASSERT_TRUE(report.usable);
  EXPECT_EQ(report.kind, DecodeInputKind::RawBytes);
  ASSERT_EQ(report.findings.size(), 4u);
  const std::size_t offsets[] = {0, 16, 28, 35};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(report.findings[i].offset, offsets[i]);
  EXPECT_TRUE(IsWellFormedMasterTune(report.findings[0]));
  EXPECT_TRUE(IsWellFormedMasterTune(report.findings[1]));
  EXPECT_EQ(report.findings[2].dialect, -1);  // cut off before the whole address: cannot be told
  EXPECT_TRUE(IsWellFormedMasterTune(report.findings[3]));
  ASSERT_EQ(report.warnings.size(), 1u);
  EXPECT_NE(report.warnings[0].find("2 byte(s) at byte 14"), std::string::npos) << report.warnings[0];
}

// An F0 event at a delta below 80: delta, F0, the length of the rest, the rest of the message.
Bytes SysexEvent(unsigned char delta, const char* hex) {
  Bytes message = HexBytes(hex);
  Bytes event = {delta, 0xF0, static_cast<unsigned char>(message.size() - 1)};
  for (std::size_t i = 1; i < message.size(); ++i) event.push_back(message[i]);
  return event;
}

// A track chunk around events.
Bytes Track(const Bytes& events) {
  Bytes chunk = {'M',
                 'T',
                 'r',
                 'k',
                 0,
                 0,
                 static_cast<unsigned char>(events.size() >> 8),
                 static_cast<unsigned char>(events.size() & 0xFF)};
  chunk.insert(chunk.end(), events.begin(), events.end());
  return chunk;
}

Bytes Header(int format, int tracks) {
  return {'M',  'T',
          'h',  'd',
          0,    0,
          0,    6,
          0,    static_cast<unsigned char>(format),
          0,    static_cast<unsigned char>(tracks),
          0x01, 0xE0};
}

TEST(DecodeSysexInput, SmfWithSeveralTracksRunningStatusMetaAndSplitMessages) {
  // Track 1: tempo, GS at tick 0. Track 2: notes with running status, XG at tick 200. An unknown chunk.
  // Track 3: GM2 sent in two packets (F0 without F7, then an F7 continuation) at tick 5.
  Bytes track1 = Concat({HexBytes("00 FF 51 03 07 A1 20"), SysexEvent(0, Gs442), HexBytes("00 FF 2F 00")});
  Bytes track2 =
      Concat({HexBytes("00 90 3C 64 60 3C 00"), SysexEvent(0x68, Xg442), HexBytes("00 C0 05 00 FF 2F 00")});
  Bytes track3 = HexBytes("05 F0 03 7F 7F 04 00 F7 04 03 03 45 F7 00 FF 2F 00");
  Bytes alien = HexBytes("58 46 49 48 00 00 00 02 AA BB");
  Bytes file = Concat({Header(1, 3), Track(track1), Track(track2), alien, Track(track3)});

  DecodeReport report = DecodeSysexInput(file);
  ASSERT_TRUE(report.usable) << report.error;
  EXPECT_TRUE(report.smf);
  EXPECT_EQ(report.smfTracks, 3);
  EXPECT_EQ(report.smfDivision, 480);
  EXPECT_TRUE(report.warnings.empty()) << report.warnings[0];
  ASSERT_EQ(report.findings.size(), 3u);
  const int tracks[] = {1, 2, 3};
  const long long ticks[] = {0, 200, 5};
  const int dialects[] = {GS, XG, GM2};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(report.findings[i].track, tracks[i]);
    EXPECT_EQ(report.findings[i].tick, ticks[i]);
    EXPECT_EQ(report.findings[i].dialect, dialects[i]);
    EXPECT_TRUE(IsWellFormedMasterTune(report.findings[i])) << i;
  }
  EXPECT_EQ(report.findings[2].bytes, HexBytes(Gm2At785));
  // The F0 of track 1: header 14, chunk header 8, tempo event 7, delta 1.
  EXPECT_EQ(report.findings[0].offset, 14u + 8u + 7u + 1u);
}

struct DamagedSmfCase {
  const char* name;
  Bytes file;
  std::size_t findings;
  const char* warning;
};

TEST(DecodeSysexInput, DamagedTracksKeepWhatWasFoundAndSayWhere) {
  Bytes gsEvent = SysexEvent(0, Gs442);
  const DamagedSmfCase cases[] = {
      {"data byte before any status",
       Concat({Header(0, 1), Track(Concat({gsEvent, HexBytes("00 3C 64 00 FF 2F 00")}))}), 1, "data byte 3C"},
      {"SysEx longer than its track",
       Concat({Header(0, 1), Track(HexBytes("00 F0 0D 41 10 42 12 40 00 00"))}), 1,
       "runs past the end of the track"},
      {"no End of Track", Concat({Header(0, 1), Track(gsEvent)}), 1, "no End of Track"},
      {"chunk longer than the file", Concat({Header(0, 1), Bytes{'M', 'T', 'r', 'k', 0, 0, 1, 0}, gsEvent}),
       1, "announces 256 bytes"},
      {"fewer tracks than announced",
       Concat({Header(1, 2), Track(Concat({gsEvent, HexBytes("00 FF 2F 00")}))}), 1,
       "announces 2 track(s), the file has 1"},
      {"status F4 in a file", Concat({Header(0, 1), Track(HexBytes("00 F4 00 FF 2F 00"))}), 0, "status F4"},
  };
  for (const DamagedSmfCase& c : cases) {
    DecodeReport report = DecodeSysexInput(c.file);
    ASSERT_TRUE(report.usable) << c.name;
    EXPECT_EQ(report.findings.size(), c.findings) << c.name;
    ASSERT_FALSE(report.warnings.empty()) << c.name;
    EXPECT_NE(report.warnings[0].find(c.warning), std::string::npos) << c.name << ": " << report.warnings[0];
  }
  // The cut message is still reported, as a truncated GS master tune.
  DecodeReport cut = DecodeSysexInput(cases[1].file);
  ASSERT_EQ(cut.findings.size(), 1u);
  EXPECT_EQ(cut.findings[0].dialect, GS);
  EXPECT_FALSE(IsWellFormedMasterTune(cut.findings[0]));
}

TEST(DecodeSysexInput, UnusableInputIsRefusedWithAReason) {
  const std::pair<Bytes, const char*> cases[] = {
      {Bytes(), "empty"},
      {Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0}, "cut short"},
      {Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 2, 0, 0, 0, 1, 0, 0x78}, "bad length"},
      {Bytes{'F', '0', ' ', 'Z', 'Z'}, "\"ZZ\""},
  };
  for (const auto& c : cases) {
    DecodeReport report = DecodeSysexInput(c.first);
    EXPECT_FALSE(report.usable) << c.second;
    EXPECT_NE(report.error.find(c.second), std::string::npos) << report.error;
  }
}

TEST(DecodeSysexInput, HexTextOfAStandardMidiFileIsReadAsThatFile) {
  std::string text =
      "4D 54 68 64 00 00 00 06 00 00 00 01 00 78 4D 54 72 6B 00 00 00 0E\n"
      "00 F0 07 7F 7F 04 03 00 40 F7 00 FF 2F 00\n";
  DecodeReport report = DecodeSysexInput(Bytes(text.begin(), text.end()));
  ASSERT_TRUE(report.usable) << report.error;
  EXPECT_EQ(report.kind, DecodeInputKind::HexText);
  EXPECT_TRUE(report.smf);
  ASSERT_EQ(report.findings.size(), 1u);
  EXPECT_EQ(report.findings[0].offset, 23u);
  EXPECT_EQ(DecodedCentsText(report.findings[0]), "0.000000");
}

}  // namespace
