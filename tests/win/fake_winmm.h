// A recording stand-in for a MIDI output device: while a FakeWinmm lives, the program's winmm calls go
// through their import slots to it instead of the system. It keeps the order of the calls, the bytes of each
// long message, and marks each queued buffer done from another thread after a delay, as a driver does.
#ifndef SONOREL_TESTS_WIN_FAKE_WINMM_H
#define SONOREL_TESTS_WIN_FAKE_WINMM_H

#include <windows.h>

#include <mmsystem.h>

#include <string>
#include <vector>

struct FakeDevice {
  std::vector<std::string> names = {"Fake Synth"};
  MMRESULT openResult = MMSYSERR_NOERROR;
  MMRESULT prepareResult = MMSYSERR_NOERROR;
  MMRESULT longResult = MMSYSERR_NOERROR;
  MMRESULT closeResult = MMSYSERR_NOERROR;
  int doneAfterMs = 20;  // -1: never by itself, only when reset
};

struct FakeCall {
  std::string what;  // "open 1", "prepare", "long", "done", "reset", "unprepare", "close"
  DWORD time;        // GetTickCount
};

class FakeWinmm {
 public:
  explicit FakeWinmm(const FakeDevice& device);
  ~FakeWinmm();

  // Every slot replaced.
  bool Installed() const { return installed_; }
  // The calls so far, names only, e.g. "open 0 prepare long done unprepare close" ("short N" for a
  // short message, which SysEx must never use).
  std::string CallNames() const;
  std::vector<FakeCall> Calls() const;
  std::vector<std::string> Messages() const;  // the bytes of each long message

 private:
  FakeWinmm(const FakeWinmm&);
  FakeWinmm& operator=(const FakeWinmm&);
  bool installed_ = false;
  std::vector<void**> slots_;
  std::vector<void*> saved_;
};

// The system's own text for a winmm error code.
std::string MidiErrorText(MMRESULT code);

#endif
