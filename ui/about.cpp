#include "ui/about.h"

#include <shellapi.h>

#include <string>

#include "res/resource.h"
#include "ui/centering.h"
#include "ui/errors.h"
#include "ui/instance.h"
#include "ui/language.h"
#include "ui/strings.h"

namespace {

// The bold font of the description; created by each opening and deleted with the box.
HFONT AboutBoldFont = nullptr;

// The translation (language in the low word, code page in the high word) of the program's language, else the
// first one.
DWORD LanguageTranslation(const DWORD* translations, UINT length) {
  const UINT count = length / sizeof(DWORD);
  for (UINT i = 0; i < count; ++i) {
    if (LOWORD(translations[i]) == ProgramLanguage()) return translations[i];
  }
  return translations[0];
}

// Fills controls 134 to 136 from the version strings of the same names, through the translation of the
// program's language.
void ShowVersionStrings(HWND box, const char* path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return;
  void* block = reinterpret_cast<void*>(GlobalAlloc(GMEM_FIXED, size));
  if (!block) return;
  void* translation = nullptr;
  UINT length = 0;
  if (GetFileVersionInfoA(path, 0, size, block) &&
      VerQueryValueA(block, "\\VarFileInfo\\Translation", &translation, &length) && length >= sizeof(DWORD)) {
    const DWORD chosen = LanguageTranslation(static_cast<const DWORD*>(translation), length);
    char prefix[64];
    wsprintfA(prefix, "\\StringFileInfo\\%04X%04X\\", LOWORD(chosen), HIWORD(chosen));
    for (UINT id = IDS_VERSION_DESCRIPTION; id <= IDS_VERSION_COMMENTS; ++id) {
      std::string name;
      LoadResString(name, id, AppInstance);
      const std::string key = prefix + name;
      void* value = nullptr;
      UINT valueLength = 0;
      if (VerQueryValueA(block, key.c_str(), &value, &valueLength)) {
        SetDlgItemTextA(box, id, static_cast<const char*>(value));
      }
    }
  }
  GlobalFree(reinterpret_cast<HGLOBAL>(block));
}

void MakeDescriptionBold(HWND box) {
  HFONT font = reinterpret_cast<HFONT>(SendDlgItemMessageA(box, IDC_ABOUT_DESCRIPTION, WM_GETFONT, 0, 0));
  LOGFONTA logFont = {};
  GetObjectA(font, sizeof logFont, &logFont);
  logFont.lfHeight = 14;  // positive: cell height in pixels
  logFont.lfWeight = FW_BOLD;
  AboutBoldFont = CreateFontIndirectA(&logFont);
  SendDlgItemMessageA(box, IDC_ABOUT_DESCRIPTION, WM_SETFONT, reinterpret_cast<WPARAM>(AboutBoldFont), 0);
}

void InitAboutBox(HWND box) {
  char path[MAX_PATH];
  GetModuleFileNameA(AppInstance, path, MAX_PATH);
  SetDlgItemTextA(box, IDC_ABOUT_PATH, path);

  std::string address;
  LoadResString(address, IDS_MAIL_ADDRESS, AppInstance);
  SetDlgItemTextA(box, IDC_ABOUT_MAIL, address.c_str());
  LoadResString(address, IDS_WEB_ADDRESS, AppInstance);
  SetDlgItemTextA(box, IDC_ABOUT_WEB, address.c_str());

  ShowVersionStrings(box, path);
  MakeDescriptionBold(box);
  // No owner given: CenterWindow takes the box's owner, the main window.
  CenterWindow(box, nullptr);
}

void OpenMail(HWND box) {
  std::string address;
  LoadResString(address, IDS_MAIL_ADDRESS, AppInstance);
  OpenWithShell(("mailto:" + address).c_str(), box);
}

void OpenWebPage(HWND box) {
  std::string text;
  std::string caption;
  LoadResString(text, IDS_CONFIRM_BROWSER, AppInstance);
  LoadResString(caption, IDS_CONFIRM, AppInstance);
  if (ShowMessage(box, text.c_str(), caption.c_str(), MB_ICONQUESTION | MB_YESNO) != IDYES) return;
  std::string address;
  LoadResString(address, IDS_WEB_ADDRESS, AppInstance);
  OpenWithShell(address.c_str(), box);
}

void ShowProgramInExplorer(HWND box) {
  static const char kSwitches[] = "/e, /select, ";
  char path[MAX_PATH];
  GetModuleFileNameA(AppInstance, path, MAX_PATH);
  char parameters[sizeof kSwitches - 1 + MAX_PATH];
  lstrcpyA(parameters, kSwitches);
  lstrcatA(parameters, path);
  ShellExecuteA(box, nullptr, "Explorer", parameters, nullptr, SW_SHOWNORMAL);
}

}  // namespace

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  switch (message) {
    case WM_INITDIALOG:
      InitAboutBox(dialog);
      return TRUE;  // the focus goes to the first tab stop, the OK button
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDCANCEL:  // the OK button, Enter, Escape and the close box
          EndDialog(dialog, IDCANCEL);
          return TRUE;
        case IDC_ABOUT_MAIL:
          OpenMail(dialog);
          break;
        case IDC_ABOUT_WEB:
          OpenWebPage(dialog);
          break;
        case IDC_ABOUT_EXPLORE:
          ShowProgramInExplorer(dialog);
          break;
      }
      return FALSE;
    case WM_DESTROY:
      DeleteObject(AboutBoldFont);
      AboutBoldFont = nullptr;
      return FALSE;
  }
  return FALSE;
}
