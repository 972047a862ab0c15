#include "ui/centering.h"

namespace {

typedef HMONITOR(WINAPI* MonitorFromWindowProc)(HWND, DWORD);
typedef BOOL(WINAPI* GetMonitorInfoProc)(HMONITOR, LPMONITORINFO);

HHOOK CenteringHook = nullptr;
int CenteringUses = 0;
HMODULE CenteringUser32 = nullptr;
// Looked up at run time: systems without multiple-monitor support lack both. They stay valid after the
// reference is released, since the program's own imports keep user32 loaded.
MonitorFromWindowProc MonitorFromWindowEntry = nullptr;
GetMonitorInfoProc GetMonitorInfoEntry = nullptr;

// GetProcAddress gives a generic entry; the step through void (*)() marks the cast as deliberate.
template <typename Proc>
Proc LookUp(HMODULE module, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The work area of the owner's monitor (or the nearest one), else the system's single work area.
RECT WorkArea(HWND owner) {
  RECT area;
  if (MonitorFromWindowEntry && GetMonitorInfoEntry) {
    MONITORINFO info;
    info.cbSize = sizeof info;
    if (GetMonitorInfoEntry(MonitorFromWindowEntry(owner, MONITOR_DEFAULTTONEAREST), &info)) {
      return info.rcWork;
    }
  }
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

}  // namespace

CenteringScope::CenteringScope(DWORD threadId) {
  const int previous = CenteringUses++;
  if (previous == 0) {
    CenteringUser32 = LoadLibraryA("user32.dll");
    if (CenteringUser32) {
      MonitorFromWindowEntry = LookUp<MonitorFromWindowProc>(CenteringUser32, "MonitorFromWindow");
      GetMonitorInfoEntry = LookUp<GetMonitorInfoProc>(CenteringUser32, "GetMonitorInfoA");
    }
  }
  if (!CenteringHook) CenteringHook = SetWindowsHookExA(WH_CALLWNDPROC, CenteringHookProc, nullptr, threadId);
}

CenteringScope::~CenteringScope() {
  // Any ending scope removes the hook, also an inner one while an outer scope lives on.
  if (CenteringHook) {
    UnhookWindowsHookEx(CenteringHook);
    CenteringHook = nullptr;
  }
  if (--CenteringUses == 0 && CenteringUser32) {
    FreeLibrary(CenteringUser32);
    CenteringUser32 = nullptr;
  }
}

LRESULT CALLBACK CenteringHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0) {
    const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    // The hook sees the message before the dialog's own procedure does.
    if (call->message == WM_INITDIALOG) CenterWindow(call->hwnd, nullptr);
  }
  return CallNextHookEx(CenteringHook, code, wParam, lParam);
}

POINT CenteredPosition(const RECT& centre, const RECT& bounds, int w, int h) {
  POINT at;
  at.x = (centre.left + centre.right) / 2 - w / 2;
  at.y = (centre.top + centre.bottom) / 2 - h / 2;
  if (at.x < bounds.left) {
    at.x = bounds.left;
  } else if (at.x + w > bounds.right) {
    at.x = bounds.right - w;
  }
  if (at.y < bounds.top) {
    at.y = bounds.top;
  } else if (at.y + h > bounds.bottom) {
    at.y = bounds.bottom - h;
  }
  return at;
}

void CenterWindow(HWND window, HWND owner) {
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  const bool child = (style & WS_CHILD) != 0;
  if (!owner) owner = child ? GetParent(window) : GetWindow(window, GW_OWNER);

  RECT own;
  GetWindowRect(window, &own);
  const int w = own.right - own.left;
  const int h = own.bottom - own.top;

  RECT bounds;
  RECT centre;
  if (child) {
    HWND parent = GetParent(window);
    GetClientRect(parent, &bounds);
    GetClientRect(owner, &centre);
    MapWindowPoints(owner, parent, reinterpret_cast<POINT*>(&centre), 2);
  } else {
    if (owner) {
      const LONG ownerStyle = GetWindowLongA(owner, GWL_STYLE);
      // A hidden or minimised owner is no place to centre on.
      if (!(ownerStyle & WS_VISIBLE) || (ownerStyle & WS_MINIMIZE)) owner = nullptr;
    }
    bounds = WorkArea(owner);
    if (owner) {
      GetWindowRect(owner, &centre);
    } else {
      centre = bounds;
    }
  }

  const POINT at = CenteredPosition(centre, bounds, w, h);
  SetWindowPos(window, nullptr, at.x, at.y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int ShowMessage(HWND owner, const char* text, const char* caption, UINT type) {
  CenteringScope scope(GetCurrentThreadId());
  return MessageBoxA(owner, text, caption, type);
}

int CenteringUseCount() { return CenteringUses; }

bool CenteringHookInstalled() { return CenteringHook != nullptr; }
