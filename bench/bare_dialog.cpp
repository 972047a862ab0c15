// A bare dialog program, the yardstick of the start-up benchmark (bench/startup.sh): it shows one dialog
// from its resources with the program's dialog font and does nothing else. Built by the same toolchain and
// with the same options as the program.
#include <windows.h>

namespace {

INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) DestroyWindow(dialog);
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
  HWND dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(1), nullptr, BareDialogProc, 0);
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
