#include "ui/language.h"

#include <cstring>
#include <string>

// Every resource is taken in the program's language by FindResourceExA and given to the *Indirect* calls,
// rather than left to the loader's choice of language: that choice follows the thread locale on Windows
// NT 4.0 to XP, the user-interface language (SetThreadUILanguage) from Vista on, the system language on
// Windows 9x, and Wine's own order of fallbacks; none of them is the ANSI code page, which alone decides
// whether this ANSI program can show its Japanese texts (Windows in English with Japanese as the language
// for non-Unicode programs, for one). FindResourceExA and the indirect calls do the same everywhere.
LANGID ProgramLanguage() {
  // 932 is the only code page in which the Japanese texts survive; every other one shows ASCII English.
  return GetACP() == 932 ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                         : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

const void* LanguageResource(HINSTANCE module, LPCSTR type, UINT id) {
  HRSRC found = FindResourceExA(module, type, MAKEINTRESOURCEA(id), ProgramLanguage());
  if (found == nullptr) return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  return loaded == nullptr ? nullptr : LockResource(loaded);
}

HWND CreateLanguageDialog(HINSTANCE module, UINT id, HWND owner, DLGPROC procedure, LPARAM parameter) {
  const void* dialog = LanguageResource(module, RT_DIALOG, id);
  if (dialog == nullptr) return nullptr;
  return CreateDialogIndirectParamA(module, static_cast<LPCDLGTEMPLATEA>(dialog), owner, procedure,
                                    parameter);
}

INT_PTR LanguageDialogBox(HINSTANCE module, UINT id, HWND owner, DLGPROC procedure, LPARAM parameter) {
  const void* dialog = LanguageResource(module, RT_DIALOG, id);
  if (dialog == nullptr) return -1;  // as DialogBoxParamA for a missing template
  return DialogBoxIndirectParamA(module, static_cast<LPCDLGTEMPLATEA>(dialog), owner, procedure, parameter);
}

HMENU LoadLanguageMenu(HINSTANCE module, UINT id) {
  const void* menu = LanguageResource(module, RT_MENU, id);
  return menu == nullptr ? nullptr : LoadMenuIndirectA(menu);
}

void SetLanguageMenu(HWND dialog, HINSTANCE module, UINT id) {
  // The dialog manager loaded the template's menu in the loader's language; the two menu bars have the
  // same height, so the window keeps its size.
  HMENU menu = LoadLanguageMenu(module, id);
  if (menu == nullptr) return;
  HMENU loaded = GetMenu(dialog);
  SetMenu(dialog, menu);
  if (loaded != nullptr) DestroyMenu(loaded);
}

int WINAPI LoadLanguageString(HINSTANCE module, UINT id, LPSTR buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  int count = 0;
  // Strings come in blocks of 16, each a UTF-16 text after its length.
  const WCHAR* entry = static_cast<const WCHAR*>(LanguageResource(module, RT_STRING, (LOWORD(id) >> 4) + 1));
  if (entry != nullptr) {
    for (UINT skip = id & 15; skip > 0; --skip) entry += 1 + *entry;
    const int length = *entry;
    const int needed =
        length == 0 ? 0 : WideCharToMultiByte(CP_ACP, 0, entry + 1, length, nullptr, 0, nullptr, nullptr);
    if (needed > 0) {
      std::string text(needed, '\0');
      WideCharToMultiByte(CP_ACP, 0, entry + 1, length, &text[0], needed, nullptr, nullptr);
      // Whole characters only: a double-byte character that does not fit is left out, as LoadStringA does.
      while (count < needed) {
        const int step = IsDBCSLeadByte(static_cast<BYTE>(text[count])) ? 2 : 1;
        if (count + step > size - 1 || count + step > needed) break;
        count += step;
      }
      std::memcpy(buffer, text.data(), count);
    }
  }
  buffer[count] = '\0';
  return count;
}
