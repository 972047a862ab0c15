// Entry point of the window program.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/startup.h"
#include "res/resource.h"
#include "ui/instance.h"
#include "ui/strings.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  InitCommonControls();
  AppInstance = instance;
  if (!RegisterMainWindowClass(instance)) {
    std::string text;
    std::string caption;
    LoadResString(text, IDS_CREATE_FAILED, AppInstance);
    LoadResString(caption, IDS_ERROR, AppInstance);
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR);
    return 1;
  }
  LoadSettingsFiles();
  HWND window = CreateMainWindow(instance);
  if (window == nullptr) return 0;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  HACCEL accelerators = LoadAcceleratorsA(AppInstance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
  return RunMessageLoop(accelerators);
}
