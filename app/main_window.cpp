#include "app/main_window.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/commands.h"
#include "app/edit_subclass.h"
#include "app/midi_menu.h"
#include "app/pitch_entry.h"
#include "app/settings.h"
#include "engine/pitch.h"
#include "res/resource.h"
#include "ui/instance.h"
#include "ui/language.h"
#include "ui/strings.h"

HWND MainWindow = nullptr;
HWND HertzEdit = nullptr;
HWND CentsEdit = nullptr;
HWND SysexEdit = nullptr;
HWND HertzSpin = nullptr;
HWND CentsSpin = nullptr;
HWND SaveSmfButton = nullptr;
HWND SaveSysexButton = nullptr;
HWND SaveTextButton = nullptr;
HWND PresetCombo = nullptr;
HWND FormatCombo = nullptr;
HMENU MainMenu = nullptr;
HFONT SysexFont = nullptr;
HBRUSH SysexBrush = nullptr;
COLORREF SysexTextColor = 0;
COLORREF SysexBackColor = 0;
WNDPROC SavedHertzProc = nullptr;
WNDPROC SavedCentsProc = nullptr;
WNDPROC SavedSysexProc = nullptr;
RECT WindowRect = {0, 0, 0, 0};
int CurrentFormat = GS;

namespace {

const char* const FormatNames[] = {"GS (Roland)", "XG (Yamaha)", "GM2 (General MIDI level 2)"};

void FetchControls(HWND window) {
  HertzEdit = GetDlgItem(window, IDC_HERTZ);
  CentsEdit = GetDlgItem(window, IDC_CENTS);
  SysexEdit = GetDlgItem(window, IDC_SYSEX);
  HertzSpin = GetDlgItem(window, IDC_HERTZ_SPIN);
  CentsSpin = GetDlgItem(window, IDC_CENTS_SPIN);
  SaveSmfButton = GetDlgItem(window, IDC_SAVE_SMF);
  SaveSysexButton = GetDlgItem(window, IDC_SAVE_SYSEX);
  SaveTextButton = GetDlgItem(window, IDC_SAVE_TEXT);
  PresetCombo = GetDlgItem(window, IDC_PRESET);
  FormatCombo = GetDlgItem(window, IDC_FORMAT);
}

// The fixed-pitch face of the string table at 14 pixels, otherwise as the field's own font.
void CreateSysexFont() {
  std::string face;
  if (!LoadResString(face, IDS_SYSEX_FONT, AppInstance)) return;
  HFONT current = reinterpret_cast<HFONT>(SendMessageA(SysexEdit, WM_GETFONT, 0, 0));
  LOGFONTA font;
  if (current == nullptr || GetObjectA(current, sizeof font, &font) == 0) return;
  font.lfHeight = -14;
  lstrcpynA(font.lfFaceName, face.c_str(), LF_FACESIZE);
  SysexFont = CreateFontIndirectA(&font);
  SendMessageA(SysexEdit, WM_SETFONT, reinterpret_cast<WPARAM>(SysexFont), 0);
}

void RestorePosition(HWND window) {
  std::string left;
  std::string top;
  if (!SettingsFile.GetValue("AppSetting", "Left", left)) return;
  if (!SettingsFile.GetValue("AppSetting", "Top", top)) return;
  SetWindowPos(window, nullptr, DecimalValue(left.c_str()), DecimalValue(top.c_str()), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL OnInitDialog(HWND window) {
  FetchControls(window);
  SendDlgItemMessageA(window, IDC_HERTZ, EM_LIMITTEXT, 10, 0);
  SendDlgItemMessageA(window, IDC_CENTS, EM_LIMITTEXT, 10, 0);
  CreateSysexFont();
  UpdateSysexColors();
  SetLanguageMenu(window, AppInstance, IDR_MAINMENU);
  MainMenu = GetMenu(window);
  InitMidiMenu(MainMenu);
  for (const char* name : FormatNames) {
    SendMessageA(FormatCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  CurrentFormat = FormatFromText(SettingsFile.GetValueOr("AppSetting", "MidiFormat", "0").c_str());
  SendMessageA(FormatCombo, CB_SETCURSEL, CurrentFormat, 0);
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_FORMAT, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(FormatCombo));
  SendDlgItemMessageA(window, IDC_HERTZ_SPIN, UDM_SETPOS, 0, MAKELPARAM(4400, 0));
  SendDlgItemMessageA(window, IDC_CENTS_SPIN, UDM_SETPOS, 0, MAKELPARAM(0, 0));
  for (const std::string& name : PresetFile.SectionNames()) {
    SendMessageA(PresetCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  SubclassEditFields();
  RestorePosition(window);
  GetWindowRect(window, &WindowRect);
  return TRUE;
}

void OnClose(HWND window) {
  RestoreEditFields();
  SaveSettings(WindowRect.left, WindowRect.top, CurrentFormat);
  DestroyWindow(window);
}

void OnDestroy() {
  if (SysexFont != nullptr) {
    DeleteObject(SysexFont);
    SysexFont = nullptr;
  }
  PostQuitMessage(0);
}

INT_PTR OnControlColorStatic(HDC context, HWND control) {
  if (control != SysexEdit || SysexBrush == nullptr) return 0;
  SetTextColor(context, SysexTextColor);
  SetBkColor(context, SysexBackColor);
  return reinterpret_cast<INT_PTR>(SysexBrush);
}

void OnCommand(HWND window, int id, int code, HWND control) {
  switch (id) {
    case IDC_HERTZ:
    case IDC_CENTS:
      OnPitchFieldCommand(window, id, code);
      break;
    case IDC_FORMAT:
      OnFormatCommand(window, code, control);
      break;
    case IDC_RESET:
      OnResetCommand(window);
      break;
    default:
      OnMenuOrPresetCommand(window, id, code);
      break;
  }
}

}  // namespace

void UpdateSysexColors() {
  SysexBrush = GetSysColorBrush(COLOR_WINDOW);
  SysexTextColor = GetSysColor(COLOR_WINDOWTEXT);
  SysexBackColor = GetSysColor(COLOR_WINDOW);
}

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog(window);
    case WM_CLOSE:
      OnClose(window);
      return 0;
    case WM_ENDSESSION:
      // The session really ends: the process will not see WM_CLOSE, so keep the presets and settings now.
      if (wParam) SaveSettings(WindowRect.left, WindowRect.top, CurrentFormat);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_SYSCOLORCHANGE:
      UpdateSysexColors();
      return 0;
    case WM_CTLCOLORSTATIC:
      return OnControlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_EXITSIZEMOVE:
      GetWindowRect(window, &WindowRect);
      return 0;
    case WM_COMMAND:
      OnCommand(window, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_VSCROLL:
      OnVerticalScroll(window, wParam, reinterpret_cast<HWND>(lParam));
      return 0;
  }
  return 0;
}
