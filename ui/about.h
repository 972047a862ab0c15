// The About box (dialog 110).
#ifndef SONOREL_UI_ABOUT_H
#define SONOREL_UI_ABOUT_H

#include <windows.h>

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
