// Runs the tests of the window code in this process, with the test executable as the program's module.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ui/instance.h"

// The ANSI (Shift-JIS) form of a UTF-8 literal, for comparing with texts loaded from the resources.
std::string Ansi(const char* utf8) {
  const int wideLength = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
  std::wstring wide(wideLength, L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, &wide[0], wideLength);
  const int length = WideCharToMultiByte(932, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string text(length, '\0');
  WideCharToMultiByte(932, 0, wide.c_str(), -1, &text[0], length, nullptr, nullptr);
  text.resize(length > 0 ? length - 1 : 0);
  return text;
}

// A window of a plain class for owners, parents and windows to move: style, place and size as given.
HWND CreateTestWindow(DWORD style, int x, int y, int w, int h, HWND parent) {
  static const bool registered = [] {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "SonorelTestWindow";
    return RegisterClassA(&windowClass) != 0;
  }();
  if (!registered) return nullptr;
  return CreateWindowExA(0, "SonorelTestWindow", "test window", style, x, y, w, h, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

RECT WorkArea() {
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

namespace {

// The import descriptor of `dll` in `module`'s import table, or null when the module does not bind it at
// start.
const IMAGE_IMPORT_DESCRIPTOR* ImportOf(HMODULE module, const char* dll) {
  BYTE* base = reinterpret_cast<BYTE*>(module);
  const IMAGE_NT_HEADERS* headers =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (const IMAGE_IMPORT_DESCRIPTOR* library =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       library->Name != 0; ++library) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + library->Name), dll) == 0) return library;
  }
  return nullptr;
}

}  // namespace

// The import table slot of `function` from `dll` in `module`, or null.
void** ImportSlot(HMODULE module, const char* dll, const char* function) {
  const IMAGE_IMPORT_DESCRIPTOR* library = ImportOf(module, dll);
  if (library == nullptr) return nullptr;
  BYTE* base = reinterpret_cast<BYTE*>(module);
  const IMAGE_THUNK_DATA* name =
      reinterpret_cast<const IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
  IMAGE_THUNK_DATA* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
  for (; name->u1.AddressOfData != 0; ++name, ++slot) {
    if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
    const IMAGE_IMPORT_BY_NAME* entry =
        reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
    if (std::strcmp(reinterpret_cast<const char*>(entry->Name), function) == 0) {
      return reinterpret_cast<void**>(&slot->u1.Function);
    }
  }
  return nullptr;
}

// Whether `module` binds `dll` when it starts, through its import table.
bool ImportsDll(HMODULE module, const char* dll) { return ImportOf(module, dll) != nullptr; }

// Replaces an import table entry, so that a test can record the calls that the program's code makes.
void WriteSlot(void** slot, void* value) {
  DWORD protection = 0;
  VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
  *slot = value;
  VirtualProtect(slot, sizeof *slot, protection, &protection);
}

int main(int argc, char** argv) {
  AppInstance = GetModuleHandleA(nullptr);
  InitCommonControls();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
