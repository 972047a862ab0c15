// The program's main dialog and nothing else, for the start-up benchmark (bench/startup.sh): the same
// template (101, with its menu and controls) and window class, common controls loaded, but none of the
// program's own work (settings, fields, fonts, presets). Its time over the bare dialog's is what the
// template itself costs; the program's time over its own is what the program adds.
#include <windows.h>

#include <commctrl.h>

#include "app/startup.h"
#include "res/resource.h"

namespace {

INT_PTR CALLBACK TemplateDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(dialog);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  InitCommonControls();
  if (!RegisterMainWindowClass(instance)) return 1;
  HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, TemplateDialogProc, 0);
  if (dialog == nullptr) return 1;
  ShowWindow(dialog, SW_SHOW);
  UpdateWindow(dialog);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
