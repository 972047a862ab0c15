// Centring of message boxes and save dialogs over their owner, inside the work area of its monitor.
#ifndef SONOREL_UI_CENTERING_H
#define SONOREL_UI_CENTERING_H

#include <windows.h>

// While alive, every dialog that the thread creates is centred as it receives WM_INITDIALOG.
// Scopes nest; ending any scope removes the hook.
class CenteringScope {
 public:
  explicit CenteringScope(DWORD threadId);
  virtual ~CenteringScope();

 private:
  CenteringScope(const CenteringScope&);
  CenteringScope& operator=(const CenteringScope&);
};

LRESULT CALLBACK CenteringHookProc(int code, WPARAM wParam, LPARAM lParam);
// Moves window to the centre of owner (chosen from the window when null), clamped to the work area, or for
// a child window to its parent's client area.
void CenterWindow(HWND window, HWND owner);
// MessageBoxA inside a CenteringScope of the current thread.
int ShowMessage(HWND owner, const char* text, const char* caption, UINT type);

// The centring arithmetic, on its own: the top-left corner for a w x h window centred on `centre`
// and clamped to `bounds`.
POINT CenteredPosition(const RECT& centre, const RECT& bounds, int w, int h);

// Current number of scopes begun and not ended, and whether the hook is installed (for checks).
int CenteringUseCount();
bool CenteringHookInstalled();

#endif
