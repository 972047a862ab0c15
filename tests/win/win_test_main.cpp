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

int main(int argc, char** argv) {
  AppInstance = GetModuleHandleA(nullptr);
  InitCommonControls();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
