// The main window: a modeless dialog from template 101 and the globals that describe it.
#ifndef SONOREL_APP_MAIN_WINDOW_H
#define SONOREL_APP_MAIN_WINDOW_H

#include <windows.h>

extern HWND MainWindow;
extern HWND HertzEdit;
extern HWND CentsEdit;
extern HWND SysexEdit;
extern HWND HertzSpin;
extern HWND CentsSpin;
extern HWND SaveSmfButton;
extern HWND SaveSysexButton;
extern HWND SaveTextButton;
extern HWND PresetCombo;
extern HWND FormatCombo;
extern HMENU MainMenu;
extern HFONT SysexFont;
extern HBRUSH SysexBrush;
extern COLORREF SysexTextColor;
extern COLORREF SysexBackColor;
extern WNDPROC SavedHertzProc;
extern WNDPROC SavedCentsProc;
extern WNDPROC SavedSysexProc;
extern RECT WindowRect;
extern int CurrentFormat;

INT_PTR CALLBACK MainDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void UpdateSysexColors();

#endif
