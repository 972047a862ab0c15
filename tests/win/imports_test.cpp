// The DLLs that only commands use are loaded by the first command that needs them, not when the program
// starts; the test executable links the program's libraries the same way.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/win/test_support.h"

namespace {

TEST(Imports, CommandDllsAreBoundOnFirstUseOnly) {
  const HMODULE program = GetModuleHandleA(nullptr);
  ASSERT_TRUE(ImportsDll(program, "user32.dll"));  // the window's own DLLs are bound at start
  ASSERT_TRUE(ImportsDll(program, "comctl32.dll"));
  for (const char* dll : {"comdlg32.dll", "shell32.dll", "version.dll", "winmm.dll"}) {
    EXPECT_FALSE(ImportsDll(program, dll)) << dll << " is bound at start";
  }
}

}  // namespace
