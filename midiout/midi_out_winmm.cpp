// Ports through winmm: each message goes out as one prepared long-message buffer, never as short
// messages, and is waited for until the driver marks it done.
#include <windows.h>

#include <mmsystem.h>

#include <cstring>

#include "midiout/midi_out.h"

const bool MidiPortsAreFiles = false;

namespace {

void Fail(MidiError& error, MidiStep step, MMRESULT code) {
  error.step = step;
  error.code = static_cast<long>(code);
  char text[MAXERRORLENGTH] = "";
  if (midiOutGetErrorTextA(code, text, sizeof text) != MMSYSERR_NOERROR || text[0] == '\0') {
    error.systemText = "MMRESULT " + std::to_string(code);
    return;
  }
  error.systemText = text;
  // One line: line breaks become blanks, and none is left at the end.
  for (char& c : error.systemText) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  while (!error.systemText.empty() && error.systemText.back() == ' ') error.systemText.pop_back();
}

// The driver sets MHDR_DONE from its own thread, so the flag is read afresh each time.
bool WaitDone(const MIDIHDR* header, DWORD limitMs) {
  const volatile DWORD* flags = &header->dwFlags;
  const DWORD start = GetTickCount();
  while ((*flags & MHDR_DONE) == 0) {
    if (GetTickCount() - start >= limitMs) return false;
    Sleep(1);
  }
  return true;
}

// One message: prepare, queue, wait until done, unprepare. The header and its bytes live on the heap and
// are freed only when the driver has given them back; a buffer it still holds is left to it.
bool SendOne(HMIDIOUT out, const SysexBytes& bytes, DWORD limitMs, MidiError& error) {
  MIDIHDR* header = new MIDIHDR();
  char* data = new char[bytes.size()];
  std::memcpy(data, bytes.data(), bytes.size());
  header->lpData = data;
  header->dwBufferLength = static_cast<DWORD>(bytes.size());
  header->dwBytesRecorded = header->dwBufferLength;

  MMRESULT result = midiOutPrepareHeader(out, header, sizeof *header);
  if (result != MMSYSERR_NOERROR) {
    Fail(error, MidiStep::Prepare, result);
  } else if ((result = midiOutLongMsg(out, header, sizeof *header)) != MMSYSERR_NOERROR) {
    Fail(error, MidiStep::Send, result);  // never queued, so it can be unprepared at once
    midiOutUnprepareHeader(out, header, sizeof *header);
  } else if (!WaitDone(header, limitMs)) {
    error.step = MidiStep::Timeout;
    error.code = static_cast<long>(limitMs);
    // Resetting returns every queued buffer marked done; only then may it be unprepared.
    midiOutReset(out);
    if (!WaitDone(header, 500)) return false;
    midiOutUnprepareHeader(out, header, sizeof *header);
  } else if ((result = midiOutUnprepareHeader(out, header, sizeof *header)) != MMSYSERR_NOERROR) {
    Fail(error, MidiStep::Finish, result);
    if (result == MIDIERR_STILLPLAYING) return false;
  }
  delete[] data;
  delete header;
  return error.step == MidiStep::None;
}

}  // namespace

std::vector<MidiPort> ListMidiPorts() {
  std::vector<MidiPort> ports;
  const UINT count = midiOutGetNumDevs();
  for (UINT id = 0; id < count; ++id) {
    MIDIOUTCAPSA caps;
    std::memset(&caps, 0, sizeof caps);
    if (midiOutGetDevCapsA(id, &caps, sizeof caps) != MMSYSERR_NOERROR) continue;
    MidiPort port;
    port.index = static_cast<int>(id);
    port.name.assign(caps.szPname, strnlen(caps.szPname, sizeof caps.szPname));
    ports.push_back(port);
  }
  return ports;
}

bool SendSysex(const MidiPort& port, const std::vector<SysexBytes>& messages, const MidiSendTiming& timing,
               MidiError& error) {
  error = MidiError();
  if (port.index < 0) {
    error.step = MidiStep::NoPort;
    return false;
  }
  HMIDIOUT out = nullptr;
  MMRESULT result = midiOutOpen(&out, static_cast<UINT>(port.index), 0, 0, CALLBACK_NULL);
  if (result != MMSYSERR_NOERROR) {
    Fail(error, MidiStep::Open, result);
    return false;
  }
  bool sent = true;
  for (std::size_t i = 0; i < messages.size() && sent; ++i) {
    if (i > 0) Sleep(static_cast<DWORD>(timing.gapMs));
    sent = SendOne(out, messages[i], static_cast<DWORD>(timing.doneLimitMs), error);
  }
  result = midiOutClose(out);
  if (result != MMSYSERR_NOERROR && sent) {
    Fail(error, MidiStep::Finish, result);
    sent = false;
  }
  return sent;
}
