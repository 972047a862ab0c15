#include "app/startup.h"

#include <string>

#include "app/main_window.h"
#include "app/settings.h"
#include "res/resource.h"
#include "ui/instance.h"
#include "ui/language.h"

const char MainWindowClass[] = "qvSonorelWnd";

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSA windowClass;
  if (!GetClassInfoA(nullptr, "#32770", &windowClass)) return false;
  windowClass.cbWndExtra |= DLGWINDOWEXTRA;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SONOREL));
  windowClass.lpszClassName = MainWindowClass;
  return RegisterClassA(&windowClass) != 0;
}

void LoadSettingsFiles() {
  char path[PathBufferSize];
  PresetFilePath(path);
  PresetFile.Load(path);
  SettingsFilePath(path);
  SettingsFile.Load(path);
}

HWND CreateMainWindow(HINSTANCE instance) {
  MainWindow = CreateLanguageDialog(instance, IDD_MAIN, nullptr, MainDialogProc, 0);
  return MainWindow;
}

int RunMessageLoop(HACCEL accelerators) {
  MSG message;
  BOOL result;
  while ((result = GetMessageA(&message, nullptr, 0, 0)) != 0 && result != -1) {
    if (TranslateAcceleratorA(MainWindow, accelerators, &message)) continue;
    if (IsDialogMessageA(MainWindow, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return result;
}
