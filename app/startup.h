// Start-up steps of the program, shared by the entry point and the tests that build the window the same way.
#ifndef SONOREL_APP_STARTUP_H
#define SONOREL_APP_STARTUP_H

#include <windows.h>

extern const char MainWindowClass[];

// The system dialog class with room for the dialog's extra bytes, the program icon and our name.
bool RegisterMainWindowClass(HINSTANCE instance);
// Loads the preset and settings files from the program's folder.
void LoadSettingsFiles();
// Creates the main dialog from template 101 of the program's language and stores it in MainWindow; null
// on failure.
HWND CreateMainWindow(HINSTANCE instance);
// The only message loop: accelerators, then the dialog's keys, then dispatch. Returns the exit code.
int RunMessageLoop(HACCEL accelerators);

#endif
