// Runs the tests of the window code in this process, with the test executable as the program's module.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>

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

int main(int argc, char** argv) {
  AppInstance = GetModuleHandleA(nullptr);
  InitCommonControls();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
