#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "midiout/midi_out.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "midiout/raw_midi.h"
#endif

namespace {

std::vector<MidiPort> SomePorts() {
  return {MidiPort{0, "UM-ONE", ""}, MidiPort{1, "USB MIDI Interface", ""}, MidiPort{3, "UM-ONE mk2", ""}};
}

TEST(FindMidiPort, ANumberANameOrAPartOfOneChoosesThePort) {
  const struct {
    const char* text;
    int index;  // -2: refused
    const char* problem;
  } cases[] = {
      {"1", 1, ""},
      {"3", 3, ""},
      {"7", 7, ""},       // not listed: kept, so that the system says what is wrong with it
      {"um-one", 0, ""},  // the exact name wins over the two names holding it
      {"UM-ONE MK", 3, ""},
      {"interface", 1, ""},
      {"usb midi interface", 1, ""},
      {"u", -2, "matches 3 ports"},
      {"synth", -2, "matches no port"},
      {"", -2, "the port is empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    MidiPort port;
    std::string problem;
    const bool found = FindMidiPort(SomePorts(), c.text, port, problem);
    EXPECT_EQ(c.index != -2, found);
    if (found) {
      EXPECT_EQ(c.index, port.index);
    } else {
      EXPECT_EQ(c.problem, problem);
    }
  }
}

TEST(FindMidiPort, ADevicePathIsUsedAsItIsWherePortsAreFiles) {
  MidiPort port;
  std::string problem;
  const bool found = FindMidiPort(SomePorts(), "/dev/snd/midiC9D0", port, problem);
  EXPECT_EQ(MidiPortsAreFiles, found);
  if (found) {
    EXPECT_EQ(-1, port.index);
    EXPECT_EQ("/dev/snd/midiC9D0", port.path);
  }
}

TEST(PortByNameOrFirst, TheRememberedPortElseTheFirstElseNone) {
  MidiPort port;
  ASSERT_TRUE(PortByNameOrFirst(SomePorts(), "UM-ONE mk2", port));
  EXPECT_EQ(3, port.index);
  ASSERT_TRUE(PortByNameOrFirst(SomePorts(), "Unplugged", port));
  EXPECT_EQ(0, port.index);
  ASSERT_TRUE(PortByNameOrFirst(SomePorts(), "um-one mk2", port));  // the name exactly, as stored
  EXPECT_EQ(0, port.index);
  EXPECT_FALSE(PortByNameOrFirst({}, "UM-ONE", port));
}

#ifndef _WIN32

namespace fs = std::filesystem;

class RawMidi : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("sonorel-midiout-" + std::to_string(getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Path(const std::string& name) const { return (root_ / name).string(); }
  void Write(const std::string& name, const std::string& text) const {
    fs::create_directories((root_ / name).parent_path());
    std::ofstream(Path(name)) << text;
  }

  fs::path root_;
};

TEST_F(RawMidi, ListsAlsaDevicesByCardAndDeviceThenOssDevicesWithTheirNames) {
  for (const char* device :
       {"dev/snd/midiC1D0", "dev/snd/midiC0D1", "dev/snd/midiC10D0", "dev/snd/midiC0D0", "dev/snd/pcmC0D0p",
        "dev/snd/controlC0", "dev/snd/midiC0D0x", "dev/midi1", "dev/midi", "dev/midifoo", "dev/sequencer"}) {
    Write(device, "");
  }
  Write("proc/card0/midi0", "Midi Through\n\nOutput 0\n");
  Write("proc/card0/id", "Dummy\n");
  Write("proc/card10/midi0", "Far Module  \n");
  std::vector<MidiPort> ports = ListRawMidiPorts(Path("dev"), Path("proc"));
  const std::string dev = Path("dev");
  const std::vector<std::string> names = {
      "Midi Through (" + dev + "/snd/midiC0D0)",  // the device's own name
      "Dummy (" + dev + "/snd/midiC0D1)",         // no device name: the card's
      dev + "/snd/midiC1D0",                      // nothing readable: the path
      "Far Module (" + dev + "/snd/midiC10D0)",
      dev + "/midi",
      dev + "/midi1",
  };
  ASSERT_EQ(names.size(), ports.size());
  for (std::size_t i = 0; i < ports.size(); ++i) {
    EXPECT_EQ(static_cast<int>(i), ports[i].index);
    EXPECT_EQ(names[i], ports[i].name);
  }
  EXPECT_EQ(dev + "/snd/midiC10D0", ports[3].path);
  EXPECT_TRUE(ListRawMidiPorts(Path("none"), Path("none")).empty());
}

// A named pipe standing in for a device, read as a device would take the bytes.
class PipeReader {
 public:
  explicit PipeReader(const std::string& path, bool reads = true) {
    mkfifo(path.c_str(), 0600);
    descriptor_ = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (reads) thread_ = std::thread([this] { Read(); });
  }
  ~PipeReader() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    close(descriptor_);
  }
  std::string Bytes() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return bytes_;
  }

 private:
  void Read() {
    char buffer[4096];
    while (!stop_) {
      pollfd ready = {descriptor_, POLLIN, 0};
      if (poll(&ready, 1, 20) <= 0) continue;
      ssize_t count = read(descriptor_, buffer, sizeof buffer);
      if (count > 0) bytes_.append(buffer, static_cast<std::size_t>(count));
      if (count <= 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  int descriptor_ = -1;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::string bytes_;
};

TEST_F(RawMidi, AMessageLargerThanThePipeIsWrittenWholeInParts) {
  PipeReader reader(Path("device"));
  SysexBytes big(200000, 0x55);  // three times what a pipe holds: the writes come out partial
  big.front() = 0xF0;
  big.back() = 0xF7;
  MidiPort port;
  port.path = Path("device");
  MidiError error;
  ASSERT_TRUE(SendSysex(port, {big, SysexBytes{0xF0, 0x7E, 0xF7}}, MidiSendTiming(), error))
      << error.systemText;
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::string expected(big.begin(), big.end());
  expected += "\xF0\x7E\xF7";
  EXPECT_EQ(expected, reader.Bytes());
}

TEST_F(RawMidi, ADeviceThatTakesNothingStopsAtTheTimeLimit) {
  PipeReader reader(Path("device"), false);  // opened, never read
  SysexBytes big(200000, 0x55);
  MidiPort port;
  port.path = Path("device");
  MidiSendTiming timing;
  timing.doneLimitMs = 300;
  MidiError error;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(SendSysex(port, {big}, timing, error));
  auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  EXPECT_EQ(MidiStep::Timeout, error.step);
  EXPECT_GE(took.count(), 290);
  EXPECT_LT(took.count(), 2000);
}

TEST_F(RawMidi, APortWithoutAPathIsNoPort) {
  MidiPort port;
  port.index = 4;
  MidiError error;
  EXPECT_FALSE(SendSysex(port, {SysexBytes{0xF0, 0xF7}}, MidiSendTiming(), error));
  EXPECT_EQ(MidiStep::NoPort, error.step);
}

#endif

}  // namespace
