// Texts from the string table in the program's language, loaded by number when they are needed.
#ifndef SONOREL_UI_STRINGS_H
#define SONOREL_UI_STRINGS_H

#include <windows.h>

#include <string>

#include "smf/byte_buffer.h"

// Copies string `id` of `module` in the program's language into a buffer of a given size, as LoadStringA
// does (LoadLanguageString); tests put a recorder in front of it.
extern int(WINAPI* CopyResString)(HINSTANCE module, UINT id, LPSTR buffer, int size);

// Replaces text with string `id` of `module` (empty when there is none). True when anything was loaded.
bool LoadResString(std::string& text, UINT id, HINSTANCE module);
// Loads string `id` as a save-dialog filter list: its bytes and final NUL, every line feed turned into a NUL.
// False, with filter untouched, when there is no such string.
bool LoadFilterString(UINT id, ByteBuffer& filter, HINSTANCE module);

#endif
