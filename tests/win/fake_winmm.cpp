#include "tests/win/fake_winmm.h"

#include <algorithm>

#include "tests/win/test_support.h"

namespace {

// State of the one fake alive; guarded because buffers are marked done from other threads.
CRITICAL_SECTION Lock;
FakeDevice Device;
std::vector<FakeCall> Log;
std::vector<std::string> Received;
std::vector<MIDIHDR*> Queued;
std::vector<HANDLE> DoneThreads;
HMIDIOUT const FakeHandle = reinterpret_cast<HMIDIOUT>(0x5150);

void Record(const std::string& what) {
  EnterCriticalSection(&Lock);
  Log.push_back(FakeCall{what, GetTickCount()});
  LeaveCriticalSection(&Lock);
}

// The done mark is logged before it is set: the program may act on it at once.
void MarkDone(MIDIHDR* header) {
  EnterCriticalSection(&Lock);
  if ((header->dwFlags & MHDR_DONE) == 0) {
    Log.push_back(FakeCall{"done", GetTickCount()});
    header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
  }
  LeaveCriticalSection(&Lock);
}

DWORD WINAPI DoneLater(void* parameter) {
  Sleep(static_cast<DWORD>(Device.doneAfterMs));
  MarkDone(static_cast<MIDIHDR*>(parameter));
  return 0;
}

UINT WINAPI FakeGetNumDevs() { return static_cast<UINT>(Device.names.size()); }

MMRESULT WINAPI FakeGetDevCaps(UINT_PTR id, MIDIOUTCAPSA* caps, UINT size) {
  if (id >= Device.names.size()) return MMSYSERR_BADDEVICEID;
  if (size < sizeof *caps) return MMSYSERR_INVALPARAM;
  ZeroMemory(caps, size);
  lstrcpynA(caps->szPname, Device.names[id].c_str(), MAXPNAMELEN);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeOpen(HMIDIOUT* out, UINT id, DWORD_PTR, DWORD_PTR, DWORD) {
  Record("open " + std::to_string(id));
  if (id >= Device.names.size()) return MMSYSERR_BADDEVICEID;
  if (Device.openResult != MMSYSERR_NOERROR) return Device.openResult;
  *out = FakeHandle;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakePrepare(HMIDIOUT out, MIDIHDR* header, UINT size) {
  Record("prepare");
  if (out != FakeHandle || size != sizeof *header) return MMSYSERR_INVALPARAM;
  if (Device.prepareResult != MMSYSERR_NOERROR) return Device.prepareResult;
  header->dwFlags = MHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeLongMsg(HMIDIOUT out, MIDIHDR* header, UINT size) {
  Record("long");
  if (out != FakeHandle || size != sizeof *header) return MMSYSERR_INVALPARAM;
  if ((header->dwFlags & MHDR_PREPARED) == 0) return MIDIERR_UNPREPARED;
  if (Device.longResult != MMSYSERR_NOERROR) return Device.longResult;
  EnterCriticalSection(&Lock);
  Received.push_back(std::string(header->lpData, header->dwBufferLength));
  header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
  Queued.push_back(header);
  if (Device.doneAfterMs >= 0) DoneThreads.push_back(CreateThread(nullptr, 0, DoneLater, header, 0, nullptr));
  LeaveCriticalSection(&Lock);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeReset(HMIDIOUT out) {
  Record("reset");
  if (out != FakeHandle) return MMSYSERR_INVALHANDLE;
  EnterCriticalSection(&Lock);
  std::vector<MIDIHDR*> queued;
  queued.swap(Queued);
  LeaveCriticalSection(&Lock);
  for (MIDIHDR* header : queued) MarkDone(header);
  return MMSYSERR_NOERROR;
}

// As a driver: a buffer that is still queued cannot be unprepared.
MMRESULT WINAPI FakeUnprepare(HMIDIOUT out, MIDIHDR* header, UINT size) {
  Record("unprepare");
  if (out != FakeHandle || size != sizeof *header) return MMSYSERR_INVALPARAM;
  if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  EnterCriticalSection(&Lock);
  Queued.erase(std::remove(Queued.begin(), Queued.end(), header), Queued.end());
  LeaveCriticalSection(&Lock);
  header->dwFlags &= ~MHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI FakeClose(HMIDIOUT out) {
  Record("close");
  if (out != FakeHandle) return MMSYSERR_INVALHANDLE;
  return Device.closeResult;
}

// The slots through which the program calls winmm, named by the import library's own symbols. They are the
// same whether winmm is imported at start or delay-loaded (the import table holds no names then), and
// naming the short-message call here makes any call of it from the program land in the fake.
#ifdef _WIN64
#define WINMM_SLOT(function, argumentBytes) extern "C" void* Slot_##function __asm__("__imp_" #function);
#else
#define WINMM_SLOT(function, argumentBytes) \
  extern "C" void* Slot_##function __asm__("__imp__" #function "@" #argumentBytes);
#endif
WINMM_SLOT(midiOutGetNumDevs, 0)
WINMM_SLOT(midiOutGetDevCapsA, 12)
WINMM_SLOT(midiOutOpen, 20)
WINMM_SLOT(midiOutPrepareHeader, 12)
WINMM_SLOT(midiOutLongMsg, 12)
WINMM_SLOT(midiOutShortMsg, 8)
WINMM_SLOT(midiOutReset, 4)
WINMM_SLOT(midiOutUnprepareHeader, 12)
WINMM_SLOT(midiOutClose, 4)

MMRESULT WINAPI FakeShortMsg(HMIDIOUT, DWORD message) {
  Record("short " + std::to_string(message));
  return MMSYSERR_NOERROR;
}

struct Replacement {
  void** slot;
  void* fake;
};

const Replacement Replacements[] = {
    {&Slot_midiOutGetNumDevs, reinterpret_cast<void*>(&FakeGetNumDevs)},
    {&Slot_midiOutGetDevCapsA, reinterpret_cast<void*>(&FakeGetDevCaps)},
    {&Slot_midiOutOpen, reinterpret_cast<void*>(&FakeOpen)},
    {&Slot_midiOutPrepareHeader, reinterpret_cast<void*>(&FakePrepare)},
    {&Slot_midiOutLongMsg, reinterpret_cast<void*>(&FakeLongMsg)},
    {&Slot_midiOutShortMsg, reinterpret_cast<void*>(&FakeShortMsg)},
    {&Slot_midiOutReset, reinterpret_cast<void*>(&FakeReset)},
    {&Slot_midiOutUnprepareHeader, reinterpret_cast<void*>(&FakeUnprepare)},
    {&Slot_midiOutClose, reinterpret_cast<void*>(&FakeClose)},
};

}  // namespace

FakeWinmm::FakeWinmm(const FakeDevice& device) {
  InitializeCriticalSection(&Lock);
  Device = device;
  Log.clear();
  Received.clear();
  Queued.clear();
  for (const Replacement& replacement : Replacements) {
    slots_.push_back(replacement.slot);
    saved_.push_back(*replacement.slot);
    WriteSlot(replacement.slot, replacement.fake);
  }
  installed_ = true;
}

FakeWinmm::~FakeWinmm() {
  for (std::size_t i = 0; i < slots_.size(); ++i) WriteSlot(slots_[i], saved_[i]);
  for (HANDLE thread : DoneThreads) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  DoneThreads.clear();
  DeleteCriticalSection(&Lock);
}

std::string FakeWinmm::CallNames() const {
  std::string names;
  for (const FakeCall& call : Calls()) names += (names.empty() ? "" : " ") + call.what;
  return names;
}

std::vector<FakeCall> FakeWinmm::Calls() const {
  EnterCriticalSection(&Lock);
  std::vector<FakeCall> calls = Log;
  LeaveCriticalSection(&Lock);
  return calls;
}

std::vector<std::string> FakeWinmm::Messages() const {
  EnterCriticalSection(&Lock);
  std::vector<std::string> messages = Received;
  LeaveCriticalSection(&Lock);
  return messages;
}

std::string MidiErrorText(MMRESULT code) {
  char text[MAXERRORLENGTH] = "";
  midiOutGetErrorTextA(code, text, sizeof text);
  return text;
}
