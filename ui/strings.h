// Texts from the string table, loaded by number when they are needed.
#ifndef SONOREL_UI_STRINGS_H
#define SONOREL_UI_STRINGS_H

#include <windows.h>

#include <string>

#include "smf/byte_buffer.h"

// Replaces text with string `id` of `module` (empty when there is none). True when anything was loaded.
bool LoadResString(std::string& text, UINT id, HINSTANCE module);
// Loads string `id` as a save-dialog filter list: its bytes and final NUL, every line feed turned into a NUL.
// False, with filter untouched, when there is no such string.
bool LoadFilterString(UINT id, ByteBuffer& filter, HINSTANCE module);

#endif
