// Enter commits a pitch field at once; Ctrl+A selects the whole text of the three edit fields.
#ifndef SONOREL_APP_EDIT_SUBCLASS_H
#define SONOREL_APP_EDIT_SUBCLASS_H

#include <windows.h>

LRESULT CALLBACK EditSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Puts EditSubclassProc in front of the three fields, keeping their procedures; and puts those back.
void SubclassEditFields();
void RestoreEditFields();

#endif
