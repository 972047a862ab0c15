#include "ui/errors.h"

#include <shellapi.h>

#include "res/resource.h"
#include "ui/centering.h"
#include "ui/instance.h"
#include "ui/strings.h"

void ReportSystemError(HWND owner, DWORD code) {
  if (code == 0) return;
  std::string text;
  std::string caption;
  SystemErrorText(text, code);
  LoadResString(caption, IDS_ERROR, AppInstance);
  ShowMessage(owner, text.c_str(), caption.c_str(), MB_ICONERROR);
}

void ReportError(HWND owner, const std::string& text) {
  std::string caption;
  LoadResString(caption, IDS_ERROR, AppInstance);
  ShowMessage(owner, text.c_str(), caption.c_str(), MB_ICONERROR);
}

bool SystemErrorText(std::string& text, DWORD code) {
  if (code == 0) return false;
  char* message = nullptr;
  // The system's default language, not the user's; insert sequences such as %1 stay as they are.
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, LANG_SYSTEM_DEFAULT, reinterpret_cast<char*>(&message), 0, nullptr);
  if (length == 0) {
    LoadResString(text, IDS_UNEXPECTED_ERROR, AppInstance);
    return true;
  }
  text.assign(message, length);
  LocalFree(message);
  return true;
}

void OpenWithShell(const char* target, HWND owner) {
  HINSTANCE result = ShellExecuteA(owner, nullptr, target, nullptr, nullptr, SW_SHOWNORMAL);
  // The shell's own error number in the result is not used: the report rests on the last error.
  if (reinterpret_cast<INT_PTR>(result) <= 32) ReportSystemError(owner, GetLastError());
}
