#include "app/pitch_entry.h"

#include <commctrl.h>

#include "app/main_window.h"
#include "engine/pitch.h"
#include "res/resource.h"

int RefreshEnabled = 1;
int HertzSpinSync = 1;
int CentsSpinSync = 1;

namespace {

const int FieldTextSize = 64;  // 63 characters and the terminator

int CentsDecimals() { return CurrentFormat == GM2 ? 2 : 1; }

void SetFixedText(HWND field, double value, int decimals) {
  char text[FixedTextSize];
  FormatFixed(value, decimals, text, sizeof text);
  SetWindowTextA(field, text);
}

// Both fields at 0 cents and 440 Hz.
void WriteDefaultPitch() {
  SetWindowTextA(CentsEdit, CurrentFormat == GM2 ? "0.00" : "0.0");
  SetFixedText(HertzEdit, HertzFromCents(0.0), 6);
}

// Clamps and rounds cents for the current format and writes both fields from them.
void WriteCommittedCents(double cents) {
  double rounded = RoundCents(ClampCents(cents, CurrentFormat), CurrentFormat);
  SetFixedText(CentsEdit, rounded, CentsDecimals());
  SetFixedText(HertzEdit, HertzFromCents(rounded), 6);
}

// The number of a field, or false when its text gives none.
bool ReadFieldNumber(HWND field, double* value) {
  char text[FieldTextSize];
  GetWindowTextA(field, text, FieldTextSize);
  if (text[0] == '\0') return false;
  return ParseNumber(text, value) && IsFiniteNumber(*value);
}

void SetSpinPosition(HWND spin, double value) {
  SendMessageA(spin, UDM_SETPOS, 0, MAKELPARAM(static_cast<short>(static_cast<int>(value * 10)), 0));
}

void EnableSaveCommands(bool enabled) {
  EnableWindow(SaveSmfButton, enabled);
  EnableWindow(SaveSysexButton, enabled);
  EnableWindow(SaveTextButton, enabled);
  UINT state = MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED);
  EnableMenuItem(MainMenu, IDM_SAVE_SMF, state);
  EnableMenuItem(MainMenu, IDM_SAVE_SYSEX, state);
  EnableMenuItem(MainMenu, IDM_SAVE_TEXT, state);
}

void SetSpinRanges(HWND window, int format) {
  const SpinBounds& range = SpinRange[format];
  SendDlgItemMessageA(window, IDC_HERTZ_SPIN, UDM_SETRANGE, 0,
                      MAKELPARAM(range.hertzMaximum, range.hertzMinimum));
  SendDlgItemMessageA(window, IDC_CENTS_SPIN, UDM_SETRANGE, 0,
                      MAKELPARAM(range.centsMaximum, range.centsMinimum));
}

}  // namespace

void RefreshTuneDisplay(TuneSource source) {
  if (RefreshEnabled == 0) return;
  TuneHexText[0] = '\0';
  char text[FieldTextSize];
  GetWindowTextA(source == FromHertz ? HertzEdit : CentsEdit, text, FieldTextSize);
  if (BuildTuneMessage(source, text, CurrentFormat)) {
    FormatTuneHex(TuneMessage.bytes, TuneMessage.length, TuneHexText, sizeof TuneHexText);
    if (HertzSpinSync == 1) SetSpinPosition(HertzSpin, CurrentHertz);
    if (CentsSpinSync == 1) SetSpinPosition(CentsSpin, CurrentCents);
  }
  SendMessageA(SysexEdit, WM_SETREDRAW, FALSE, 0);
  SetWindowTextA(SysexEdit, TuneHexText);
  SendMessageA(SysexEdit, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(SysexEdit, nullptr, FALSE);
  EnableSaveCommands(TuneHexText[0] != '\0');
}

void CommitHertz() {
  RefreshEnabled = 0;
  double hertz;
  double cents = 0.0;
  bool usable = ReadFieldNumber(HertzEdit, &hertz);
  if (usable) {
    cents = CentsFromHertz(hertz);  // not finite for 0 Hz and below
    usable = IsFiniteNumber(cents);
  }
  if (usable) {
    WriteCommittedCents(cents);
  } else {
    WriteDefaultPitch();
  }
  RefreshEnabled = 1;
  RefreshTuneDisplay(FromHertz);
}

void CommitCents() {
  RefreshEnabled = 0;
  double cents;
  if (ReadFieldNumber(CentsEdit, &cents)) {
    WriteCommittedCents(cents);
  } else {
    WriteDefaultPitch();
  }
  RefreshEnabled = 1;
  RefreshTuneDisplay(FromCents);
}

void SendCommit(HWND window, int fieldId) {
  HWND field = fieldId == IDC_HERTZ ? HertzEdit : CentsEdit;
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(fieldId, EN_KILLFOCUS), reinterpret_cast<LPARAM>(field));
}

void OnPitchFieldCommand(HWND, int id, int code) {
  HWND field = id == IDC_HERTZ ? HertzEdit : CentsEdit;
  TuneSource source = id == IDC_HERTZ ? FromHertz : FromCents;
  switch (code) {
    case EN_SETFOCUS:
      SendMessageA(field, EM_SETSEL, 0, -1);
      break;
    case EN_CHANGE:
      RefreshTuneDisplay(source);
      break;
    case EN_KILLFOCUS:
      if (id == IDC_HERTZ) {
        CommitHertz();
      } else {
        CommitCents();
      }
      break;
  }
}

void OnFormatCommand(HWND window, int code, HWND combo) {
  if (code != CBN_SELCHANGE) return;
  int selected = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
  // The list always has a selection; a missing one is taken as GS rather than indexing outside the tables.
  CurrentFormat = (selected < 0 || selected >= MidiFormatCount) ? GS : selected;
  SetSpinRanges(window, CurrentFormat);
  RefreshTuneDisplay(FromCents);
  SendCommit(window, IDC_CENTS);
}

void OnResetCommand(HWND window) {
  RefreshEnabled = 0;
  WriteDefaultPitch();
  RefreshEnabled = 1;
  RefreshTuneDisplay(FromCents);
  SendCommit(window, IDC_CENTS);
}

void OnVerticalScroll(HWND, WPARAM wParam, HWND control) {
  if (LOWORD(wParam) != SB_THUMBPOSITION) return;
  bool hertz = control == HertzSpin;
  if (!hertz && control != CentsSpin) return;
  int& sync = hertz ? HertzSpinSync : CentsSpinSync;
  if (sync == 0) return;
  sync = 0;
  HWND field = hertz ? HertzEdit : CentsEdit;
  SetFixedText(field, static_cast<short>(HIWORD(wParam)) * 0.1, 1);
  SendCommit(MainWindow, hertz ? IDC_HERTZ : IDC_CENTS);
  SendMessageA(field, EM_SETSEL, 0, -1);
  RefreshTuneDisplay(hertz ? FromHertz : FromCents);
  sync = 1;
}
