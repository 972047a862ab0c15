// Every text of the program's resources in both languages, as the tests expect to see it: one row per
// string number, per control of dialogs 101 and 110, and per menu item. A new string number needs one row
// in ProgramStrings (ui_texts.cpp); the tests of both languages pick it up from there.
#ifndef SONOREL_TESTS_WIN_UI_TEXTS_H
#define SONOREL_TESTS_WIN_UI_TEXTS_H

#include <windows.h>

#include <string>
#include <vector>

struct UiText {
  const char* japanese;  // UTF-8, as in the sources
  const char* english;   // ASCII
};

struct StringRow {
  UINT id;
  UiText text;
};

// A child window of a dialog, in template order. A null text is set at run time and checked elsewhere.
struct ControlRow {
  int id;
  const char* className;
  UiText text;
};

// A menu item in menu order; id 0 is a popup, separators are left out.
struct MenuRow {
  int depth;
  UINT id;
  UiText text;
};

extern const std::vector<StringRow> ProgramStrings;
extern const std::vector<ControlRow> MainWindowControls;
extern const std::vector<ControlRow> AboutBoxControls;
extern const std::vector<MenuRow> MainMenuItems;
extern const UiText MainWindowCaption;
extern const UiText AboutBoxCaption;
// The version strings that the About box shows (LegalCopyright is the same in both).
extern const UiText VersionDescription;
extern const UiText VersionComments;

// True when the program shows its Japanese texts: the ANSI code page of the run is 932.
bool JapaneseTexts();
// The text in the language of the run, as the program's windows hold it (the ANSI code page).
std::string Shown(const UiText& text);
// Shown() of the ProgramStrings row of `id`; fails the test when there is none.
std::string ShownString(UINT id);
// No byte of 0x80 or above.
bool IsAscii(const std::string& text);

#endif
