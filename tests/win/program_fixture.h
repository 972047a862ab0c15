// A fixture that starts the main window the way the entry point does (same class, template and procedure)
// with its INI files in a fresh temporary folder, and drives it with real messages.
#ifndef SONOREL_TESTS_WIN_PROGRAM_FIXTURE_H
#define SONOREL_TESTS_WIN_PROGRAM_FIXTURE_H

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/win/test_support.h"

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Loads the INI files of the folder and creates and shows the main window.
  void StartProgram();
  // Closes the window with WM_CLOSE and handles what that leaves in the queue (the quit message).
  void CloseProgram();

  // The message loop's handling of everything queued, without waiting.
  void Pump();
  // Focus moves like a user's: the dialog's own focus change, with EN_KILLFOCUS/EN_SETFOCUS.
  void Focus(HWND control);
  // Characters typed into the focused control, each through the message loop.
  void Type(const char* text);
  // A key press (key-down, then key-up) delivered to the focused control through the message loop.
  void Press(UINT key, bool control = false);
  // The field's whole text replaced by typing: select all, then type.
  void TypeInto(HWND field, const char* text);
  void SelectFormat(int format);
  void ClickButton(int id);

  std::string FolderPath(const char* name) const;  // a file in the program folder
  void WriteFile(const char* name, const std::string& bytes) const;
  std::string ReadFile(const char* name) const;
  bool FileExists(const char* name) const;

  static std::string Text(HWND window);
  static bool MenuEnabled(UINT command);

  std::string folder_;  // ends in a backslash
};

#endif
