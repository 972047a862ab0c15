// Small helpers shared by the Windows tests (defined in win_test_main.cpp).
#ifndef SONOREL_TESTS_WIN_TEST_SUPPORT_H
#define SONOREL_TESTS_WIN_TEST_SUPPORT_H

#include <windows.h>

#include <string>

// A UTF-8 literal of the sources in the ANSI code page (932), as the program's windows hold it.
std::string Ansi(const char* utf8);
// A plain top-level or child window to own or hold the windows under test.
HWND CreateTestWindow(DWORD style, int x, int y, int w, int h, HWND parent);
RECT WorkArea();
// The import-table entry through which `module` calls `function` of `dll`, and a way to replace it, so that a
// test can put a recorder or an injected failure in front of a real system call.
void** ImportSlot(HMODULE module, const char* dll, const char* function);
// Whether `module` binds `dll` when it starts (it is in the import table).
bool ImportsDll(HMODULE module, const char* dll);
void WriteSlot(void** slot, void* value);
// The slot of a function of a delay-loaded DLL (shell32, comdlg32, version) is not in the import table; the
// linker names it as it names an import-table slot, so a test declares it by that name:
//   extern "C" void* Slot __asm__(SONOREL_IMPORT_SLOT_NAME(ShellExecuteA, 24));  // 24 bytes of arguments
// Until the first call it holds the delay-load stub, which then puts the real function there.
#ifdef _WIN64
#define SONOREL_IMPORT_SLOT_NAME(function, argumentBytes) "__imp_" #function
#else
#define SONOREL_IMPORT_SLOT_NAME(function, argumentBytes) "__imp__" #function "@" #argumentBytes
#endif

#endif
