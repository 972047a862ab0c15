// The language of the program's texts, and its dialogs, menus and strings in that language.
#ifndef SONOREL_UI_LANGUAGE_H
#define SONOREL_UI_LANGUAGE_H

#include <windows.h>

// Japanese (0x0411) when the ANSI code page is 932, English (0x0409) on every other system.
LANGID ProgramLanguage();

// The bytes of resource `id` of `type` in the program's language, or null when the module has none in it.
const void* LanguageResource(HINSTANCE module, LPCSTR type, UINT id);

// CreateDialogParamA, DialogBoxParamA and LoadMenuA with the template of the program's language.
HWND CreateLanguageDialog(HINSTANCE module, UINT id, HWND owner, DLGPROC procedure, LPARAM parameter);
INT_PTR LanguageDialogBox(HINSTANCE module, UINT id, HWND owner, DLGPROC procedure, LPARAM parameter);
HMENU LoadLanguageMenu(HINSTANCE module, UINT id);
// Gives a dialog the menu `id` of the program's language in place of the one its template loaded.
void SetLanguageMenu(HWND dialog, HINSTANCE module, UINT id);

// LoadStringA in the program's language: string `id` in the ANSI code page, cut to whole characters
// when it does not fit `size` - 1 bytes, always ended by a NUL; returns the bytes copied (0: no string).
int WINAPI LoadLanguageString(HINSTANCE module, UINT id, LPSTR buffer, int size);

#endif
