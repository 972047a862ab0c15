#include "app/edit_subclass.h"

#include "app/main_window.h"
#include "app/pitch_entry.h"
#include "res/resource.h"

namespace {

bool IsRepeat(LPARAM lParam) { return (lParam & (1 << 30)) != 0; }

WNDPROC SwapProcedure(HWND window, WNDPROC procedure) {
  return reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
}

}  // namespace

LRESULT CALLBACK EditSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && wParam == VK_RETURN && !IsRepeat(lParam)) {
    if (window == HertzEdit || window == CentsEdit) {
      SendCommit(MainWindow, window == HertzEdit ? IDC_HERTZ : IDC_CENTS);
      SendMessageA(window, EM_SETSEL, 0, -1);
    }
  } else if (message == WM_KEYDOWN && wParam == 'A') {
    // The character of the key arrives as its own WM_CHAR, so typing "a" still works.
    if (!IsRepeat(lParam) && GetKeyState(VK_CONTROL) < 0) SendMessageA(window, EM_SETSEL, 0, -1);
    return 0;
  }
  WNDPROC saved = window == HertzEdit   ? SavedHertzProc
                  : window == CentsEdit ? SavedCentsProc
                                        : SavedSysexProc;
  return CallWindowProcA(saved, window, message, wParam, lParam);
}

void SubclassEditFields() {
  SavedHertzProc = SwapProcedure(HertzEdit, EditSubclassProc);
  SavedCentsProc = SwapProcedure(CentsEdit, EditSubclassProc);
  SavedSysexProc = SwapProcedure(SysexEdit, EditSubclassProc);
}

void RestoreEditFields() {
  SwapProcedure(HertzEdit, SavedHertzProc);
  SwapProcedure(CentsEdit, SavedCentsProc);
  SwapProcedure(SysexEdit, SavedSysexProc);
}
