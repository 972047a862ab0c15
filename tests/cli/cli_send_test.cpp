// --list-ports and --send of the real sonorel-cli. There is no MIDI hardware here: on Linux a named pipe
// stands in for the device file; under Wine the real winmm, which finds no device, is what answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "run_program.h"

#ifdef _WIN32
#include <windows.h>

#include <mmsystem.h>
#else
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#endif

namespace fs = std::filesystem;

namespace {

const std::string Gs442("\xF0\x41\x10\x42\x12\x40\x00\x00\x00\x04\x04\x0F\x29\xF7", 14);
const std::string Xg442("\xF0\x43\x10\x4C\x00\x00\x00\x00\x04\x04\x0F\xF7", 12);
const std::string Gm2At442("\xF0\x7F\x7F\x04\x03\x03\x45\xF7", 8);

class CliSend : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device device;
    root_ = fs::temp_directory_path() / ("sonorel-send-test-" + std::to_string(device()));
    fs::create_directories(root_ / "work");
    fs::create_directories(root_ / "capture");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  // Standard error with plain line feeds (on Windows it is a text stream).
  ProgramRun Run(const std::vector<std::string>& args) {
    ProgramRun run = RunProgram(NativeProgramPath(SONOREL_CLI_BINARY), args, (root_ / "work").string(),
                                (root_ / "capture").string(), "");
    run.err.erase(std::remove(run.err.begin(), run.err.end(), '\r'), run.err.end());
    return run;
  }
  std::string Path(const std::string& name) const { return (root_ / "work" / name).string(); }
  std::string ReadFile(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  fs::path root_;
};

TEST_F(CliSend, OptionsThatDoNotFitAreRefusedBeforeAnythingIsSent) {
  const struct {
    std::vector<std::string> args;
    const char* error;
  } cases[] = {
      {{"--hz", "442", "--gap", "10"}, "--gap needs --send PORT"},
      {{"--hz", "442", "--send", "x", "--gap", "-1"}, "--gap: \"-1\" is not a whole number of milliseconds"},
      {{"--hz", "442", "--send", "x", "--gap", "60001"}, "from 0 to 60000"},
      {{"--hz", "442", "--send", ""}, "--send: the port is empty"},
      {{"--sweep-hz", "440", "442", "1", "--send", "x"}, "--send needs --hz, --cents or --preset"},
      {{"--list-ports", "--hz", "442"}, "cannot be combined"},
      {{"--list-ports", "--mid", "x.mid"}, "--list-ports takes no output file"},
  };
  for (const auto& c : cases) {
    ProgramRun run = Run(c.args);
    EXPECT_EQ(2, run.status) << c.error;
    EXPECT_NE(std::string::npos, run.err.find(c.error)) << run.err;
    EXPECT_EQ("", run.out);
  }
}

#ifdef _WIN32

// Wine's winmm on these machines: no device at all. Wine's sound driver adds its own lines on standard
// error, so the program's line is looked for among them.
TEST_F(CliSend, WithoutAnyDeviceListingSaysSoAndSendingFailsInTheSystemsWords) {
  ASSERT_EQ(0u, midiOutGetNumDevs()) << "this machine has a MIDI output; the test expects none";
  ProgramRun list = Run({"--list-ports"});
  EXPECT_EQ(0, list.status);
  EXPECT_EQ("", list.out);
  EXPECT_NE(std::string::npos, list.err.find("sonorel-cli: note: there is no MIDI output port\n"))
      << list.err;
  ProgramRun json = Run({"--list-ports", "--json"});
  EXPECT_EQ(0, json.status);
  EXPECT_EQ("[]\n", json.out);

  char badDevice[MAXERRORLENGTH] = "";
  ASSERT_EQ(MMSYSERR_NOERROR, midiOutGetErrorTextA(MMSYSERR_BADDEVICEID, badDevice, sizeof badDevice));
  ProgramRun send = Run({"--hz", "442", "--send", "0", "--syx", "tune.syx"});
  EXPECT_EQ(2, send.status);
  EXPECT_NE(std::string::npos,
            send.err.find("sonorel-cli: --send \"0\": cannot open port 0: " + std::string(badDevice) + "\n"))
      << send.err;
  EXPECT_EQ(Gs442, ReadFile("tune.syx"));  // the files come first

  ProgramRun named = Run({"--hz", "442", "--send", "synth", "--syx", "named.syx"});
  EXPECT_EQ(2, named.status);
  EXPECT_NE(std::string::npos,
            named.err.find("--send \"synth\": matches no port (there is no MIDI output port)\n"))
      << named.err;
  EXPECT_FALSE(fs::exists(Path("named.syx")));  // a port that names nothing stops before any file
}

#else

// The read end of a named pipe, read as the bytes come, each read with the time it came at.
class PipeDevice {
 public:
  explicit PipeDevice(const std::string& path) {
    mkfifo(path.c_str(), 0600);
    descriptor_ = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    thread_ = std::thread([this] { Read(); });
  }
  ~PipeDevice() { Stop(); }
  struct Chunk {
    std::string bytes;
    std::chrono::steady_clock::time_point time;
  };
  std::vector<Chunk> Chunks() {
    Stop();
    return chunks_;
  }

 private:
  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (descriptor_ >= 0) close(descriptor_);
    descriptor_ = -1;
  }
  void Read() {
    char buffer[256];
    while (!stop_) {
      pollfd ready = {descriptor_, POLLIN, 0};
      if (poll(&ready, 1, 5) <= 0 || (ready.revents & POLLIN) == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        continue;
      }
      ssize_t count = read(descriptor_, buffer, sizeof buffer);
      if (count > 0) chunks_.push_back(Chunk{std::string(buffer, count), std::chrono::steady_clock::now()});
    }
  }
  int descriptor_ = -1;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::vector<Chunk> chunks_;
};

TEST_F(CliSend, AllThreeMessagesArriveWholeInOrderWithTheGapBetweenThem) {
  PipeDevice device(Path("midiC0D0"));
  ProgramRun run = Run(
      {"--hz", "442", "--format", "all", "--send", Path("midiC0D0"), "--gap", "250", "--syx", "tune.syx"});
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("sonorel-cli: note: sent 3 messages to " + Path("midiC0D0") + "\n", run.err);
  std::vector<PipeDevice::Chunk> chunks = device.Chunks();
  std::string received;
  for (const auto& chunk : chunks) received += chunk.bytes;
  EXPECT_EQ(Gs442 + Xg442 + Gm2At442, received);
  // Each message is one write; the next one comes a gap later (measured loosely).
  ASSERT_EQ(3u, chunks.size());
  for (int k = 1; k < 3; ++k) {
    auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(chunks[k].time - chunks[k - 1].time);
    EXPECT_GE(gap.count(), 200) << k;
    EXPECT_LT(gap.count(), 2000) << k;
  }
  // The file outputs are written as well.
  EXPECT_EQ(Gs442, ReadFile("tune-gs.syx"));
  EXPECT_EQ(Gm2At442, ReadFile("tune-gm2.syx"));
}

TEST_F(CliSend, OneMessageWithTheDefaultGapAndAReportAsUsual) {
  PipeDevice device(Path("midi1"));
  ProgramRun run = Run({"--cents", "7.9", "--send", Path("midi1")});
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ("GS       7.9 cents  442.012404 Hz  F0 41 10 42 12 40 00 00 00 04 04 0F 29 F7\n", run.out);
  std::string received;
  for (const auto& chunk : device.Chunks()) received += chunk.bytes;
  EXPECT_EQ(Gs442, received);
}

TEST_F(CliSend, ADevicePathThatCannotBeOpenedGivesExit2AndTheSystemsWords) {
  fs::create_directories(root_ / "work" / "folder");
  mkfifo(Path("unread").c_str(), 0600);
  std::ofstream(Path("locked")) << "";
  std::ofstream(Path("tune.syx")) << "keep";
  std::string locked = Path("locked");
  std::string lockedProblem = "Permission denied";
  // Permission bits do not stop root: then the file lies in a tmpfs mounted read-only.
  std::string mounted;
  if (geteuid() == 0) {
    mounted = Path("readonly");
    fs::create_directories(mounted);
    if (std::system(("mount -t tmpfs -o size=16k tmpfs '" + mounted + "' 2>/dev/null && touch '" + mounted +
                     "/device' && mount -o remount,ro '" + mounted + "'")
                        .c_str()) != 0) {
      std::system(("umount '" + mounted + "' 2>/dev/null").c_str());
      GTEST_SKIP() << "running as root without a read-only mount, so nothing is without write access";
    }
    locked = mounted + "/device";
    lockedProblem = "Read-only file system";
  } else {
    chmod(locked.c_str(), 0444);
  }
  const struct {
    std::string path;
    std::string problem;
  } cases[] = {
      {Path("missing/midiC0D0"), "No such file or directory"},
      {Path("folder"), "Is a directory"},
      {Path("unread"), "No such device or address"},  // a pipe nobody reads, like a device without a reader
      {Path("tune.syx"), "No such device"},           // a plain file is left alone
      {locked, lockedProblem},
  };
  for (const auto& c : cases) {
    ProgramRun run = Run({"--hz", "442", "--send", c.path});
    EXPECT_EQ(2, run.status) << c.path;
    EXPECT_EQ("sonorel-cli: --send \"" + c.path + "\": cannot open " + c.path + ": " + c.problem + "\n",
              run.err);
  }
  EXPECT_EQ("keep", ReadFile("tune.syx"));
  if (!mounted.empty()) std::system(("umount '" + mounted + "'").c_str());
}

TEST_F(CliSend, AnUnknownNameStopsBeforeAnyFileIsWritten) {
  ProgramRun run = Run({"--hz", "442", "--send", "no such synth", "--mid", "tune.mid"});
  EXPECT_EQ(2, run.status);
  EXPECT_NE(std::string::npos, run.err.find("--send \"no such synth\": matches no port")) << run.err;
  EXPECT_FALSE(fs::exists(Path("tune.mid")));
}

#endif

}  // namespace
