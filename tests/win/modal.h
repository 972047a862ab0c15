// Answers the modal windows (message boxes, save dialogs, dialog boxes) that the test's own thread opens,
// as a user would: a thread timer finds each new one, records what it shows, then acts on it.
#ifndef SONOREL_TESTS_WIN_MODAL_H
#define SONOREL_TESTS_WIN_MODAL_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct ModalAnswer {
  int button = IDOK;     // the command sent to the window (IDYES, IDNO, IDOK, IDCANCEL, ...)
  std::string fileName;  // when not empty: typed into a save dialog's file name field before `button`
  std::function<void(HWND)> inspect;  // when set: called with the window before it is answered
  // Answers the owner of the previously answered window once it is enabled again, instead of a new
  // window: a save dialog after its own overwrite question was answered No.
  bool ownerAgain = false;
};

struct ModalSeen {
  HWND window = nullptr;
  std::string className;
  std::string caption;
  std::string text;  // a message box's text (the first non-empty static text)
  RECT rect = {0, 0, 0, 0};
  HWND owner = nullptr;
  bool expected = true;  // false: no answer was queued, so it was cancelled
};

// A button to press; a file name to type into a save dialog, then OK.
inline ModalAnswer Button(int button) {
  ModalAnswer answer;
  answer.button = button;
  return answer;
}
inline ModalAnswer FileName(const std::string& name) {
  ModalAnswer answer;
  answer.fileName = name;
  return answer;
}

// Windows that exist when the first answer is queued are never taken for modal ones.
// Queues an answer for the next modal window; windows are answered in the order they appear. A window
// that appears with no answer queued is cancelled (IDCANCEL) and recorded as not expected, so that a
// faulty test fails instead of hanging.
void ExpectModal(const ModalAnswer& answer);
// Answers that were not used yet (a test expects 0 at its end).
int PendingModals();
// What each answered window looked like, oldest first; clears the record.
std::vector<ModalSeen> TakeSeenModals();
// Forgets queued answers and seen windows.
void ResetModals();

#endif
