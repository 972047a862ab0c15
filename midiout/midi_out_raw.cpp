// Ports as raw MIDI device files (ALSA's /dev/snd/midiC*D*, OSS's /dev/midi*): listed from the folder,
// written with plain POSIX calls.
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "midiout/midi_out.h"
#include "midiout/raw_midi.h"

#if __has_include(<sound/asound.h>)
#include <sound/asound.h>
#endif

const bool MidiPortsAreFiles = true;

namespace {

typedef std::chrono::steady_clock Clock;

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return names;
  while (const dirent* entry = readdir(listing)) names.push_back(entry->d_name);
  closedir(listing);
  return names;
}

// Reads the decimal digits at text[at], moving at past them; false when there are none.
bool ReadNumber(const std::string& text, std::size_t& at, int& value) {
  std::size_t start = at;
  value = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 6)
    value = value * 10 + (text[at++] - '0');
  return at > start;
}

// "midiC<card>D<device>" and nothing more.
bool ParseAlsaName(const std::string& name, int& card, int& device) {
  std::size_t at = 5;
  return name.compare(0, 5, "midiC") == 0 && ReadNumber(name, at, card) && at < name.size() &&
         name[at++] == 'D' && ReadNumber(name, at, device) && at == name.size();
}

// "midi", "midi1", "midi00": the OSS names.
bool IsOssName(const std::string& name) {
  if (name.compare(0, 4, "midi") != 0) return false;
  return std::all_of(name.begin() + 4, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string FirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t')) line.pop_back();
  return line;
}

void Fail(MidiError& error, MidiStep step, int code) {
  error.step = step;
  error.code = code;
  error.systemText = std::strerror(code);
}

// Every byte written, a partial write continued; waits for room at most until `deadline`.
bool WriteAll(int descriptor, const SysexBytes& bytes, Clock::time_point deadline, int limitMs,
              MidiError& error) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t count = write(descriptor, bytes.data() + done, bytes.size() - done);
    if (count > 0) {
      done += static_cast<std::size_t>(count);
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      Fail(error, MidiStep::Send, errno);
      return false;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd room = {descriptor, POLLOUT, 0};
    if (left <= 0 || poll(&room, 1, static_cast<int>(left)) == 0) {
      error.step = MidiStep::Timeout;
      error.code = limitMs;
      error.systemText.clear();
      return false;
    }
  }
  return true;
}

// Waits until the driver has sent what it holds; a FIFO or a plain file has nothing to wait for.
void Drain(int descriptor) {
#ifdef SNDRV_RAWMIDI_IOCTL_DRAIN
  int stream = SNDRV_RAWMIDI_STREAM_OUTPUT;
  ioctl(descriptor, SNDRV_RAWMIDI_IOCTL_DRAIN, &stream);
#else
  (void)descriptor;
#endif
}

// A reader that goes away must give an error from write, not end the process.
class IgnoredBrokenPipe {
 public:
  IgnoredBrokenPipe() { saved_ = signal(SIGPIPE, SIG_IGN); }
  ~IgnoredBrokenPipe() { signal(SIGPIPE, saved_); }

 private:
  void (*saved_)(int);
};

}  // namespace

std::vector<MidiPort> ListRawMidiPorts(const std::string& devFolder, const std::string& procFolder) {
  struct Found {
    int card, device;
    std::string path, name;
  };
  std::vector<Found> alsa;
  for (const std::string& entry : FolderNames(devFolder + "/snd")) {
    Found found;
    if (!ParseAlsaName(entry, found.card, found.device)) continue;
    found.path = devFolder + "/snd/" + entry;
    std::string card = procFolder + "/card" + std::to_string(found.card);
    found.name = FirstLine(card + "/midi" + std::to_string(found.device));
    if (found.name.empty()) found.name = FirstLine(card + "/id");
    found.name = found.name.empty() ? found.path : found.name + " (" + found.path + ")";
    alsa.push_back(found);
  }
  std::sort(alsa.begin(), alsa.end(), [](const Found& a, const Found& b) {
    return a.card != b.card ? a.card < b.card : a.device < b.device;
  });
  std::vector<std::string> oss;
  for (const std::string& entry : FolderNames(devFolder)) {
    if (IsOssName(entry)) oss.push_back(devFolder + "/" + entry);
  }
  std::sort(oss.begin(), oss.end());

  std::vector<MidiPort> ports;
  for (const Found& found : alsa)
    ports.push_back(MidiPort{static_cast<int>(ports.size()), found.name, found.path});
  for (const std::string& path : oss) ports.push_back(MidiPort{static_cast<int>(ports.size()), path, path});
  return ports;
}

std::vector<MidiPort> ListMidiPorts() { return ListRawMidiPorts("/dev", "/proc/asound"); }

bool SendSysex(const MidiPort& port, const std::vector<SysexBytes>& messages, const MidiSendTiming& timing,
               MidiError& error) {
  error = MidiError();
  if (port.path.empty()) {
    error.step = MidiStep::NoPort;
    return false;
  }
  // Not blocking, so that a busy device says so at once instead of waiting until it is free.
  int descriptor = open(port.path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) {
    Fail(error, MidiStep::Open, errno);
    return false;
  }
  // A plain file is no device: writing would overwrite its first bytes.
  struct stat status;
  if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)) {
    close(descriptor);
    Fail(error, MidiStep::Open, ENODEV);
    return false;
  }
  IgnoredBrokenPipe ignored;
  bool sent = true;
  for (std::size_t i = 0; i < messages.size() && sent; ++i) {
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(timing.gapMs));
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timing.doneLimitMs);
    sent = WriteAll(descriptor, messages[i], deadline, timing.doneLimitMs, error);
    if (sent) Drain(descriptor);
  }
  if (close(descriptor) != 0 && sent) {
    Fail(error, MidiStep::Finish, errno);
    sent = false;
  }
  return sent;
}
