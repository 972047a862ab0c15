#include "tests/win/modal.h"

#include <cstring>
#include <deque>
#include <set>

namespace {

const int SaveDialogFileNameCombo = 0x47c;  // cmb13 of the Explorer-style save dialog
const int SaveDialogFileNameEdit = 0x480;   // edt1 of the old-style one
const int MessageBoxTextId = 0xffff;

std::deque<ModalAnswer> Pending;
std::vector<ModalSeen> Seen;
std::set<HWND> Known;  // windows already answered, or there before the first answer was queued
UINT_PTR Timer = 0;
HWND LastOwner = nullptr;  // owner of the window answered last

std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

BOOL CALLBACK FirstStaticText(HWND child, LPARAM found) {
  std::string* text = reinterpret_cast<std::string*>(found);
  if (ClassOf(child) == "Static" && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
    *text = TextOf(child);
    if (!text->empty()) return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindNewModal(HWND window, LPARAM found) {
  if (Known.count(window) == 0 && IsWindowVisible(window) && IsWindowEnabled(window) &&
      ClassOf(window) == "#32770") {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK RememberWindow(HWND window, LPARAM) {
  Known.insert(window);
  return TRUE;
}

ModalSeen Describe(HWND window) {
  ModalSeen seen;
  seen.window = window;
  seen.className = ClassOf(window);
  seen.caption = TextOf(window);
  HWND text = GetDlgItem(window, MessageBoxTextId);
  if (text != nullptr) seen.text = TextOf(text);
  if (seen.text.empty()) EnumChildWindows(window, FirstStaticText, reinterpret_cast<LPARAM>(&seen.text));
  GetWindowRect(window, &seen.rect);
  seen.owner = GetWindow(window, GW_OWNER);
  return seen;
}

void Press(HWND window, int button) {
  PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  HWND window = nullptr;
  if (!Pending.empty() && Pending.front().ownerAgain) {
    if (LastOwner == nullptr || !IsWindowVisible(LastOwner) || !IsWindowEnabled(LastOwner)) return;
    window = LastOwner;
  } else {
    EnumThreadWindows(GetCurrentThreadId(), FindNewModal, reinterpret_cast<LPARAM>(&window));
  }
  if (window == nullptr) return;
  Known.insert(window);
  ModalSeen seen = Describe(window);
  if (Pending.empty()) {
    seen.expected = false;
    Seen.push_back(seen);
    Press(window, IDCANCEL);
    return;
  }
  ModalAnswer answer = Pending.front();
  Pending.pop_front();
  Seen.push_back(seen);
  LastOwner = seen.owner;
  if (answer.inspect) answer.inspect(window);
  if (!answer.fileName.empty()) {
    int field =
        GetDlgItem(window, SaveDialogFileNameCombo) ? SaveDialogFileNameCombo : SaveDialogFileNameEdit;
    SetDlgItemTextA(window, field, answer.fileName.c_str());
  }
  Press(window, answer.button);
}

}  // namespace

void ExpectModal(const ModalAnswer& answer) {
  if (Timer == 0) {
    EnumThreadWindows(GetCurrentThreadId(), RememberWindow, 0);
    Timer = SetTimer(nullptr, 0, 25, OnTimer);
  }
  Pending.push_back(answer);
}

int PendingModals() { return static_cast<int>(Pending.size()); }

std::vector<ModalSeen> TakeSeenModals() {
  std::vector<ModalSeen> seen;
  seen.swap(Seen);
  return seen;
}

void ResetModals() {
  Pending.clear();
  Seen.clear();
  if (Timer != 0) KillTimer(nullptr, Timer);
  Timer = 0;
  Known.clear();
  LastOwner = nullptr;
}
