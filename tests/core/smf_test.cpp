#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "engine/tune_message.h"
#include "smf/byte_buffer.h"
#include "smf/smf_sequence.h"
#include "smf/tune_smf.h"
#include "smf/var_len.h"
#include "tests/core/hex_bytes.h"

namespace {

Bytes Contents(const ByteBuffer& buffer) { return Bytes(buffer.Data(), buffer.Data() + buffer.Size()); }

void AppendHex(SmfTrack& track, std::uint32_t delta, const std::string& text) {
  Bytes bytes = Hex(text);
  AppendEventBytes(track, delta, bytes[0], bytes.data() + 1, static_cast<std::uint32_t>(bytes.size() - 1));
}

Bytes SerializeBytes(const SmfSequence& sequence, bool runningStatus) {
  ByteBuffer out;
  std::uint32_t size = Serialize(out, sequence, runningStatus);
  EXPECT_EQ(size, out.Size());
  EXPECT_EQ(size, TotalSize(sequence, runningStatus, nullptr));
  return Contents(out);
}

// The track chunks of an image, without the 14-byte header.
Bytes TrackPart(const Bytes& image) { return Bytes(image.begin() + 14, image.end()); }

// ---- ByteBuffer

TEST(ByteBufferTest, StartsWithoutStorage) {
  ByteBuffer buffer;
  EXPECT_EQ(nullptr, buffer.Data());
  EXPECT_EQ(0u, buffer.Size());
  EXPECT_EQ(0u, buffer.Capacity());
}

TEST(ByteBufferTest, GrowsExactlyAndKeepsBytes) {
  ByteBuffer buffer;
  buffer.Resize(3);
  EXPECT_EQ(3u, buffer.Capacity());
  std::memcpy(buffer.Data(), "\x01\x02\x03", 3);
  buffer.Resize(5);
  EXPECT_EQ(5u, buffer.Size());
  EXPECT_EQ(5u, buffer.Capacity());
  EXPECT_EQ(Hex("01 02 03"), Bytes(buffer.Data(), buffer.Data() + 3));
}

TEST(ByteBufferTest, ShrinkingKeepsStorageAndLaterGrowthWithinIt) {
  ByteBuffer buffer;
  buffer.Resize(8);
  std::memcpy(buffer.Data(), "\x0A\x0B\x0C\x0D\x0E\x0F\x10\x11", 8);
  const unsigned char* storage = buffer.Data();
  buffer.Resize(2);
  EXPECT_EQ(2u, buffer.Size());
  EXPECT_EQ(8u, buffer.Capacity());
  EXPECT_EQ(storage, buffer.Data());
  buffer.Resize(6);
  EXPECT_EQ(storage, buffer.Data());
  EXPECT_EQ(8u, buffer.Capacity());
  EXPECT_EQ(Hex("0A 0B"), Bytes(buffer.Data(), buffer.Data() + 2));
}

TEST(ByteBufferTest, ResizeZeroReleasesThenResizeAllocatesExactly) {
  ByteBuffer buffer;
  buffer.Resize(10);
  buffer.Resize(0);
  EXPECT_EQ(nullptr, buffer.Data());
  EXPECT_EQ(0u, buffer.Size());
  EXPECT_EQ(0u, buffer.Capacity());
  buffer.Resize(3);
  EXPECT_NE(nullptr, buffer.Data());
  EXPECT_EQ(3u, buffer.Size());
  EXPECT_EQ(3u, buffer.Capacity());
}

TEST(ByteBufferTest, ClearReleases) {
  ByteBuffer buffer;
  buffer.Resize(4);
  buffer.Clear();
  EXPECT_EQ(nullptr, buffer.Data());
  EXPECT_EQ(0u, buffer.Capacity());
}

TEST(ByteBufferTest, CopyHasOwnStorageOfExactlyTheSize) {
  ByteBuffer source;
  source.Resize(10);
  source.Resize(3);
  std::memcpy(source.Data(), "\x41\x42\x43", 3);

  ByteBuffer copy(source);
  EXPECT_NE(source.Data(), copy.Data());
  EXPECT_EQ(3u, copy.Capacity());
  EXPECT_EQ(Hex("41 42 43"), Contents(copy));

  ByteBuffer assigned;
  assigned.Resize(20);
  assigned = source;
  EXPECT_NE(source.Data(), assigned.Data());
  EXPECT_EQ(3u, assigned.Capacity());
  EXPECT_EQ(Hex("41 42 43"), Contents(assigned));

  copy.Data()[0] = 0x5A;
  EXPECT_EQ(0x41, source.Data()[0]);
}

TEST(ByteBufferTest, CopyOfEmptyHasNoStorage) {
  ByteBuffer empty;
  ByteBuffer copy(empty);
  EXPECT_EQ(nullptr, copy.Data());
  ByteBuffer assigned;
  assigned.Resize(5);
  assigned = empty;
  EXPECT_EQ(nullptr, assigned.Data());
  EXPECT_EQ(0u, assigned.Size());
  EXPECT_EQ(0u, assigned.Capacity());
}

TEST(ByteBufferTest, SelfAssignmentKeepsBytes) {
  ByteBuffer buffer;
  buffer.Resize(2);
  std::memcpy(buffer.Data(), "\x01\x02", 2);
  ByteBuffer& same = buffer;
  buffer = same;
  EXPECT_EQ(Hex("01 02"), Contents(buffer));
}

TEST(ByteBufferTest, MoveHandsOverStorage) {
  ByteBuffer source;
  source.Resize(2);
  std::memcpy(source.Data(), "\x07\x08", 2);
  const unsigned char* storage = source.Data();
  ByteBuffer moved(std::move(source));
  EXPECT_EQ(storage, moved.Data());
  EXPECT_EQ(nullptr, source.Data());
  EXPECT_EQ(0u, source.Size());
  ByteBuffer target;
  target.Resize(9);
  target = std::move(moved);
  EXPECT_EQ(storage, target.Data());
  EXPECT_EQ(2u, target.Capacity());
  EXPECT_EQ(Hex("07 08"), Contents(target));
}

// ---- Variable-length quantities

struct VarLenCase {
  std::uint32_t value;
  const char* bytes;
};

const VarLenCase VarLenCases[] = {
    {0x0, "00"},
    {0x7F, "7F"},
    {0x80, "81 00"},
    {0x2000, "C0 00"},
    {0x3FFF, "FF 7F"},
    {0x4000, "81 80 00"},
    {200, "81 48"},
    {13, "0D"},
    {0x1FFFFF, "FF FF 7F"},
    {0x200000, "81 80 80 00"},
    {0x0FFFFFFF, "FF FF FF 7F"},
};

TEST(VarLenTest, EncodesTable) {
  for (const VarLenCase& c : VarLenCases) {
    ByteBuffer buffer;
    EncodeVarLen(buffer, c.value);
    EXPECT_EQ(Hex(c.bytes), Contents(buffer)) << std::hex << c.value;
    EXPECT_EQ(buffer.Size(), buffer.Capacity()) << std::hex << c.value;
    EXPECT_EQ(static_cast<int>(buffer.Size()), VarLenSize(c.value)) << std::hex << c.value;
  }
}

TEST(VarLenTest, EncodeReplacesContent) {
  ByteBuffer buffer;
  buffer.Resize(6);
  std::memset(buffer.Data(), 0xEE, 6);
  EncodeVarLen(buffer, 0x80);
  EXPECT_EQ(Hex("81 00"), Contents(buffer));
}

TEST(VarLenTest, AppendWritesAtPositionAndAdvances) {
  ByteBuffer buffer;
  buffer.Resize(3);
  std::memcpy(buffer.Data(), "\x11\x22\x33", 3);
  std::uint32_t position = 1;
  AppendVarLen(buffer, position, 0x4000);  // overwrites 22 33, then grows by one byte
  EXPECT_EQ(4u, position);
  EXPECT_EQ(Hex("11 81 80 00"), Contents(buffer));
  AppendVarLen(buffer, position, 0x7F);
  EXPECT_EQ(5u, position);
  EXPECT_EQ(Hex("11 81 80 00 7F"), Contents(buffer));
  EXPECT_EQ(5u, buffer.Capacity());
}

TEST(VarLenTest, SizeBoundaries) {
  const struct {
    std::uint32_t value;
    int size;
  } cases[] = {{0, 1},        {0x7F, 1},     {0x80, 2},       {0x3FFF, 2},     {0x4000, 3},
               {0x1FFFFF, 3}, {0x200000, 4}, {0x0FFFFFFF, 4}, {0x10000000, 4}, {0xFFFFFFFF, 4}};
  for (const auto& c : cases) EXPECT_EQ(c.size, VarLenSize(c.value)) << std::hex << c.value;
}

// ---- Divisions

TEST(DivisionTest, KindTable) {
  const struct {
    std::uint16_t value;
    int kind;
  } cases[] = {{0x0000, 0}, {0x0078, 0}, {0x7FFF, 0}, {0xE800, 1}, {0xE850, 1}, {0xE728, 2}, {0xE300, 3},
               {0xE200, 4}, {0xE1FF, 5}, {0xE900, 5}, {0xE000, 5}, {0xFF00, 5}, {0x8000, 5}, {0xE600, 5}};
  for (const auto& c : cases) EXPECT_EQ(c.kind, DivisionKind(c.value)) << std::hex << c.value;
}

TEST(DivisionTest, SetDivisionAcceptsValidAndRefusesInvalid) {
  SmfSequence sequence;
  EXPECT_TRUE(sequence.SetDivision(0x0078));
  EXPECT_EQ(0x0078, sequence.division);
  EXPECT_TRUE(sequence.SetDivision(0xE728));
  EXPECT_EQ(0xE728, sequence.division);
  EXPECT_FALSE(sequence.SetDivision(0xE000));
  EXPECT_EQ(0xE728, sequence.division);
}

// ---- Sequence and events

TEST(SmfSequenceTest, NewSequenceIsEmpty) {
  SmfSequence sequence;
  EXPECT_EQ(0, sequence.format);
  EXPECT_EQ(0, sequence.division);
  EXPECT_TRUE(sequence.tracks.empty());
}

TEST(SmfSequenceTest, AppendAccumulatesTicksAndStoresStatusThenData) {
  SmfSequence sequence;
  SmfTrack& track = sequence.AddTrack();
  ByteBuffer data;
  data.Resize(2);
  std::memcpy(data.Data(), "\x3C\x64", 2);
  AppendEvent(track, 10, 0x90, data);
  AppendEventBytes(track, 5, 0x80, data.Data(), 2);
  AppendEventBytes(track, 0, 0xFF, reinterpret_cast<const unsigned char*>("\x2F\x00"), 2);
  ASSERT_EQ(3u, track.events.size());
  EXPECT_EQ(10, track.events[0].tick);
  EXPECT_EQ(15, track.events[1].tick);
  EXPECT_EQ(15, track.events[2].tick);
  EXPECT_EQ(Hex("90 3C 64"), Contents(track.events[0].bytes));
  EXPECT_EQ(Hex("80 3C 64"), Contents(track.events[1].bytes));
  EXPECT_EQ(3u, track.events[1].bytes.Capacity());
  EXPECT_EQ(Hex("FF 2F 00"), Contents(track.events[2].bytes));
}

TEST(SmfSequenceTest, TrackReferencesSurviveLaterTracks) {
  SmfSequence sequence;
  SmfTrack& first = sequence.AddTrack();
  for (int i = 0; i < 100; ++i) sequence.AddTrack();
  AppendHex(first, 0, "90 3C 64");
  EXPECT_EQ(1u, sequence.tracks.front().events.size());
  EXPECT_EQ(101u, sequence.tracks.size());
}

// ---- Serialisation

class WorkedExampleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sequence.format = 1;
    ASSERT_TRUE(sequence.SetDivision(96));
    SmfTrack& track = sequence.AddTrack();
    AppendHex(track, 0, "90 3C 64");
    AppendHex(track, 96, "90 3C 00");
    AppendHex(track, 104, "FF 2F 00");
  }
  SmfSequence sequence;
};

TEST_F(WorkedExampleTest, RunningStatusOn) {
  EXPECT_EQ(Hex("4D 54 68 64 00 00 00 06 00 01 00 01 00 60 4D 54 72 6B 00 00 00 0B "
                "00 90 3C 64 60 3C 00 68 FF 2F 00"),
            SerializeBytes(sequence, true));
}

TEST_F(WorkedExampleTest, RunningStatusOff) {
  EXPECT_EQ(Hex("4D 54 68 64 00 00 00 06 00 01 00 01 00 60 4D 54 72 6B 00 00 00 0C "
                "00 90 3C 64 60 90 3C 00 68 FF 2F 00"),
            SerializeBytes(sequence, false));
}

TEST_F(WorkedExampleTest, OutputIsReplacedAndAllocatedExactly) {
  ByteBuffer out;
  out.Resize(100);
  std::memset(out.Data(), 0xAA, 100);
  EXPECT_EQ(33u, Serialize(out, sequence, true));
  EXPECT_EQ(33u, out.Size());
  EXPECT_EQ(33u, out.Capacity());
  EXPECT_EQ(0x4D, out.Data()[0]);
  EXPECT_EQ(0x00, out.Data()[32]);
}

TEST(SerializeTest, NoTracksGivesHeaderAlone) {
  SmfSequence sequence;
  sequence.format = 2;
  sequence.SetDivision(0xE728);
  EXPECT_EQ(Hex("4D 54 68 64 00 00 00 06 00 02 00 00 E7 28"), SerializeBytes(sequence, true));
}

TEST(SerializeTest, EmptyTrackIsEightBytes) {
  SmfSequence sequence;
  SmfTrack& track = sequence.AddTrack();
  EXPECT_EQ(8u, TrackSize(track, true));
  Bytes image = SerializeBytes(sequence, true);
  ASSERT_EQ(22u, image.size());
  EXPECT_EQ(0x01, image[11]);
  EXPECT_EQ(Hex("4D 54 72 6B 00 00 00 00"), TrackPart(image));
}

TEST(SerializeTest, SameTickGivesDeltaZero) {
  SmfSequence sequence;
  SmfTrack& track = sequence.AddTrack();
  AppendHex(track, 7, "90 3C 64");
  AppendHex(track, 0, "80 3C 00");
  EXPECT_EQ(Hex("4D 54 72 6B 00 00 00 08 07 90 3C 64 00 80 3C 00"),
            TrackPart(SerializeBytes(sequence, true)));
}

TEST(SerializeTest, LargestDeltaTakesFourBytes) {
  SmfSequence sequence;
  SmfTrack& track = sequence.AddTrack();
  AppendHex(track, 0x0FFFFFFF, "FF 2F 00");
  EXPECT_EQ(Hex("4D 54 72 6B 00 00 00 07 FF FF FF 7F FF 2F 00"), TrackPart(SerializeBytes(sequence, true)));
}

TEST(SerializeTest, FirstEventOfEveryTrackKeepsItsStatus) {
  SmfSequence sequence;
  sequence.format = 1;
  AppendHex(sequence.AddTrack(), 0, "90 3C 64");
  AppendHex(sequence.AddTrack(), 0, "90 3E 64");
  EXPECT_EQ(Hex("4D 54 72 6B 00 00 00 04 00 90 3C 64 4D 54 72 6B 00 00 00 04 00 90 3E 64"),
            TrackPart(SerializeBytes(sequence, true)));
}

// Two channel events of the same status around an event in between; the expected track body with
// running status on.
struct RunCase {
  const char* between;
  const char* body;
};

TEST(SerializeTest, RunningStatusAppliesOnlyToRepeatedChannelStatus) {
  const RunCase cases[] = {
      {"", "00 90 3C 64 00 3C 00"},                                     // plain run
      {"F0 03 7E 7F F7", "00 90 3C 64 00 F0 03 7E 7F F7 00 90 3C 00"},  // SysEx breaks the run
      {"FF 01 01 41", "00 90 3C 64 00 FF 01 01 41 00 90 3C 00"},        // meta breaks the run
      {"80 3C 00", "00 90 3C 64 00 80 3C 00 00 90 3C 00"},              // another channel status
  };
  for (const RunCase& c : cases) {
    SmfSequence sequence;
    SmfTrack& track = sequence.AddTrack();
    AppendHex(track, 0, "90 3C 64");
    if (*c.between != '\0') AppendHex(track, 0, c.between);
    AppendHex(track, 0, "90 3C 00");
    Bytes body = TrackPart(SerializeBytes(sequence, true));
    body.erase(body.begin(), body.begin() + 8);
    EXPECT_EQ(Hex(c.body), body) << c.between;
    EXPECT_EQ(Hex(c.body).size() + 8, TrackSize(track, true)) << c.between;
  }
}

TEST(SerializeTest, StatusBytesFromF0UpAreNeverDropped) {
  for (const char* event : {"F0 01 F7", "F7 01 00", "FF 2F 00", "F8"}) {
    SmfSequence sequence;
    SmfTrack& track = sequence.AddTrack();
    AppendHex(track, 0, event);
    AppendHex(track, 0, event);
    EXPECT_EQ(TrackSize(track, false), TrackSize(track, true)) << event;
    EXPECT_EQ(SerializeBytes(sequence, false), SerializeBytes(sequence, true)) << event;
  }
}

TEST(SerializeTest, TotalSizeListsEveryTrack) {
  SmfSequence sequence;
  sequence.format = 1;
  AppendHex(sequence.AddTrack(), 0, "FF 2F 00");  // 8 + 4
  sequence.AddTrack();                            // 8
  SmfTrack& third = sequence.AddTrack();          // 8 + 3 + 3 (4 with running status off) + 6
  AppendHex(third, 0, "C0 05");
  AppendHex(third, 0x80, "C0 06");
  AppendHex(third, 0x4000, "FF 2F 00");

  std::vector<std::uint32_t> sizes = {99, 98, 97, 96, 95};
  EXPECT_EQ(14u + 12 + 8 + 20, TotalSize(sequence, true, &sizes));
  EXPECT_EQ((std::vector<std::uint32_t>{12, 8, 20}), sizes);
  EXPECT_EQ(14u + 12 + 8 + 21, TotalSize(sequence, false, &sizes));
  EXPECT_EQ((std::vector<std::uint32_t>{12, 8, 21}), sizes);
  EXPECT_EQ(14u + 12 + 8 + 20, TotalSize(sequence, true, nullptr));
}

// ---- The SMF image of the tune message

class TuneSmfTest : public ::testing::Test {
 protected:
  void SetUp() override { saved = TuneMessage; }
  void TearDown() override { TuneMessage = saved; }

  static void SetMessage(const std::string& hex) {
    Bytes bytes = Hex(hex);
    std::memcpy(TuneMessage.bytes, bytes.data(), bytes.size());
    TuneMessage.length = static_cast<std::int32_t>(bytes.size());
  }

  static Bytes Image() {
    ByteBuffer image;
    std::uint32_t size = BuildSmfImage(image);
    EXPECT_EQ(size, image.Size());
    return Contents(image);
  }

  TuneMessageBuffer saved;
};

TEST_F(TuneSmfTest, ImagesOfThe440HertzMessages) {
  const struct {
    const char* message;
    const char* image;
  } cases[] = {
      {"F0 41 10 42 12 40 00 00 00 04 00 00 3C F7",
       "4D 54 68 64 00 00 00 06 00 00 00 01 00 78 4D 54 72 6B 00 00 00 14 00 F0 0D 41 10 42 12 40 00 00 00 "
       "04 "
       "00 00 3C F7 00 FF 2F 00"},
      {"F0 43 10 4C 00 00 00 00 04 00 00 F7",
       "4D 54 68 64 00 00 00 06 00 00 00 01 00 78 4D 54 72 6B 00 00 00 12 00 F0 0B 43 10 4C 00 00 00 00 04 "
       "00 "
       "00 F7 00 FF 2F 00"},
      {"F0 7F 7F 04 03 00 40 F7",
       "4D 54 68 64 00 00 00 06 00 00 00 01 00 78 4D 54 72 6B 00 00 00 0E 00 F0 07 7F 7F 04 03 00 40 F7 00 "
       "FF "
       "2F 00"},
  };
  for (const auto& c : cases) {
    SetMessage(c.message);
    Bytes image = Image();
    EXPECT_EQ(Hex(c.message).size() + 28, image.size()) << c.message;
    EXPECT_EQ(Hex(c.image), image) << c.message;
  }
}

TEST_F(TuneSmfTest, EmptyMessageGivesEndOfTrackOnly) {
  TuneMessage.length = 0;
  EXPECT_EQ(Hex("4D 54 68 64 00 00 00 06 00 00 00 01 00 78 4D 54 72 6B 00 00 00 04 00 FF 2F 00"), Image());
}

TEST_F(TuneSmfTest, TwoMessagesGiveTwoEventsAndTrailingBytesAreDropped) {
  SetMessage("F0 7F 7F 04 03 00 40 F7 F0 43 10 4C 00 00 00 00 04 00 00 F7 F0 41 10");
  EXPECT_EQ(Hex("4D 54 68 64 00 00 00 06 00 00 00 01 00 78 4D 54 72 6B 00 00 00 1C "
                "00 F0 07 7F 7F 04 03 00 40 F7 00 F0 0B 43 10 4C 00 00 00 00 04 00 00 F7 00 FF 2F 00"),
            Image());
}

TEST_F(TuneSmfTest, ReplacesPreviousImage) {
  SetMessage("F0 7F 7F 04 03 00 40 F7");
  ByteBuffer image;
  image.Resize(500);
  EXPECT_EQ(36u, BuildSmfImage(image));
  EXPECT_EQ(36u, image.Size());
  EXPECT_EQ(36u, image.Capacity());
}

}  // namespace
