// The texts of the program in the language of the run: every control, menu item and caption against the
// tables of both languages, each text inside its control; and the English set beside the Japanese one,
// complete, ASCII, with the same mnemonic letters and shortcuts.
#include "ui/language.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "res/resource.h"
#include "tests/win/modal.h"
#include "tests/win/program_fixture.h"
#include "tests/win/test_support.h"
#include "tests/win/ui_texts.h"
#include "ui/instance.h"

namespace {

const LANGID Japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
const LANGID English = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

std::string WindowText(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassName(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

// The text as drawn: mnemonic marks left out, "&&" drawn as "&".
std::string DrawnText(const std::string& text) {
  std::string drawn;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    drawn += text[i];
  }
  return drawn;
}

// Pixels that the control's text takes in the control's font, and the pixels the control has for it.
void TextAndRoom(HWND control, int* text, int* room) {
  const std::string drawn = DrawnText(WindowText(control));
  HDC context = GetDC(control);
  HGDIOBJ old = SelectObject(context, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
  SIZE size = {0, 0};
  GetTextExtentPoint32A(context, drawn.c_str(), static_cast<int>(drawn.size()), &size);
  SelectObject(context, old);
  ReleaseDC(control, context);
  RECT client;
  GetClientRect(control, &client);
  *text = size.cx;
  *room = client.right;
  if (ClassName(control) == "Button") {
    const LONG kind = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    // A push button draws its text inside its edge and focus frame; a group box's text starts a few pixels
    // in from its frame line.
    *room -= kind == BS_GROUPBOX ? 16 : 6;
  }
}

// Checks the children of a dialog against its table: ids, classes, texts of the run's language, ASCII in
// English, and each label and button text inside its control.
void CheckControls(HWND dialog, const std::vector<ControlRow>& table) {
  const std::vector<HWND> children = Children(dialog);
  ASSERT_EQ(table.size(), children.size());
  for (size_t i = 0; i < table.size(); ++i) {
    const ControlRow& row = table[i];
    HWND child = children[i];
    SCOPED_TRACE("control " + std::to_string(i) + " (" + std::to_string(row.id) + ")");
    EXPECT_EQ(row.id, GetDlgCtrlID(child));
    EXPECT_EQ(0, lstrcmpiA(row.className, ClassName(child).c_str())) << ClassName(child);
    const bool icon =
        (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && row.className == std::string("Static");
    if (icon) continue;  // its text is the icon's number
    const std::string text = WindowText(child);
    if (!JapaneseTexts()) {
      EXPECT_TRUE(IsAscii(text)) << text;
    }
    if (row.text.japanese == nullptr) continue;  // a number, a name or a version string
    EXPECT_EQ(Shown(row.text), text);
    if ((row.className == std::string("Static") || row.className == std::string("Button")) && !text.empty()) {
      int width = 0;
      int room = 0;
      TextAndRoom(child, &width, &room);
      EXPECT_LE(width, room) << "\"" << text << "\" is cut";
    }
  }
}

struct MenuSeen {
  int depth;
  UINT id;
  std::string text;
  UINT state;
};

void ReadMenu(HMENU menu, int depth, std::vector<MenuSeen>& items) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char text[256] = "";
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_STATE;
    info.dwTypeData = text;
    info.cch = sizeof text;
    ASSERT_TRUE(GetMenuItemInfoA(menu, i, TRUE, &info));
    if (info.fType & MFT_SEPARATOR) continue;
    items.push_back({depth, info.hSubMenu != nullptr ? 0 : info.wID, text, info.fState});
    if (info.hSubMenu != nullptr) ReadMenu(info.hSubMenu, depth + 1, items);
  }
}

class LanguageTest : public ProgramTest {};

TEST_F(LanguageTest, MainWindowShowsEveryTextOfItsLanguageInFull) {
  StartProgram();
  EXPECT_EQ(Shown(MainWindowCaption), Text(MainWindow));
  if (!JapaneseTexts()) {
    EXPECT_TRUE(IsAscii(Text(MainWindow)));
  }
  CheckControls(MainWindow, MainWindowControls);
}

TEST_F(LanguageTest, MenuIsTheOneOfTheLanguageWithEveryItem) {
  StartProgram();
  ASSERT_EQ(GetMenu(MainWindow), MainMenu);
  std::vector<MenuSeen> items;
  ReadMenu(MainMenu, 0, items);
  ASSERT_EQ(MainMenuItems.size(), items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(MainMenuItems[i].text.english);
    EXPECT_EQ(MainMenuItems[i].depth, items[i].depth);
    EXPECT_EQ(MainMenuItems[i].id, items[i].id);
    EXPECT_EQ(Shown(MainMenuItems[i].text), items[i].text);
    if (!JapaneseTexts()) {
      EXPECT_TRUE(IsAscii(items[i].text)) << items[i].text;
    }
  }
  // The port list has its grayed placeholder.
  EXPECT_NE(0u, GetMenuState(MainMenu, IDM_PORT_NONE, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(LanguageTest, AboutBoxFromTheMenuShowsEveryTextOfItsLanguageInFull) {
  StartProgram();
  ModalAnswer answer;
  answer.button = IDCANCEL;
  answer.inspect = [](HWND box) {
    CheckControls(box, AboutBoxControls);
    EXPECT_EQ(Shown(VersionDescription), Text(GetDlgItem(box, IDC_ABOUT_DESCRIPTION)));
    EXPECT_EQ(Shown(VersionComments), Text(GetDlgItem(box, IDC_ABOUT_COMMENTS)));
    if (!JapaneseTexts()) {
      EXPECT_TRUE(IsAscii(Text(GetDlgItem(box, IDC_ABOUT_COMMENTS))));
    }
  };
  ExpectModal(answer);
  SendMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(IDM_ABOUT, 0), 0);
  Pump();
  const std::vector<ModalSeen> seen = TakeSeenModals();
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(Shown(AboutBoxCaption), seen[0].caption);
  if (!JapaneseTexts()) {
    EXPECT_TRUE(IsAscii(seen[0].caption));
  }
}

// ---- Both languages side by side, the same in every locale: read as UTF-16 from the resources.

std::wstring Wide(const char* ascii) { return std::wstring(ascii, ascii + std::strlen(ascii)); }

bool IsAsciiWide(const std::wstring& text) {
  for (wchar_t c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

// The letter after the mnemonic mark, upper case; 0 when there is none.
wchar_t Mnemonic(const std::wstring& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != L'&') continue;
    if (text[i + 1] != L'&') return static_cast<wchar_t>(std::towupper(text[i + 1]));
    ++i;
  }
  return 0;
}

// The shortcut after the tab of a menu text; empty when there is none.
std::wstring Shortcut(const std::wstring& text) {
  const size_t tab = text.find(L'\t');
  return tab == std::wstring::npos ? L"" : text.substr(tab + 1);
}

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
  return narrow;
}

const void* ResourceIn(LANGID language, LPCWSTR type, UINT id) {
  HRSRC found = FindResourceExW(AppInstance, type, MAKEINTRESOURCEW(id), language);
  return found == nullptr ? nullptr : LockResource(LoadResource(AppInstance, found));
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
  if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<UINT>*>(names)->push_back(LOWORD(name));
  return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
  reinterpret_cast<std::set<LANGID>*>(languages)->insert(language);
  return TRUE;
}

std::vector<UINT> ResourceNames(LPCWSTR type) {
  std::vector<UINT> names;
  EnumResourceNamesW(AppInstance, type, CollectName, reinterpret_cast<LONG_PTR>(&names));
  return names;
}

// Every string of a language by number, from its blocks of 16.
std::map<UINT, std::wstring> StringsIn(LANGID language) {
  std::map<UINT, std::wstring> strings;
  for (UINT block : ResourceNames(reinterpret_cast<LPCWSTR>(RT_STRING))) {
    const WCHAR* entry =
        static_cast<const WCHAR*>(ResourceIn(language, reinterpret_cast<LPCWSTR>(RT_STRING), block));
    if (entry == nullptr) continue;
    for (UINT i = 0; i < 16; ++i) {
      if (*entry != 0) strings[(block - 1) * 16 + i] = std::wstring(entry + 1, *entry);
      entry += 1 + *entry;
    }
  }
  return strings;
}

TEST_F(LanguageTest, EveryDialogAndMenuExistsInJapaneseAndInEnglish) {
  for (LPCWSTR type : {reinterpret_cast<LPCWSTR>(RT_DIALOG), reinterpret_cast<LPCWSTR>(RT_MENU),
                       reinterpret_cast<LPCWSTR>(RT_STRING)}) {
    const std::vector<UINT> names = ResourceNames(type);
    EXPECT_FALSE(names.empty());
    for (UINT name : names) {
      SCOPED_TRACE("resource type " + std::to_string(reinterpret_cast<UINT_PTR>(type)) + ", number " +
                   std::to_string(name));
      std::set<LANGID> languages;
      EnumResourceLanguagesW(AppInstance, type, MAKEINTRESOURCEW(name), CollectLanguage,
                             reinterpret_cast<LONG_PTR>(&languages));
      EXPECT_EQ(std::set<LANGID>({Japanese, English}), languages);
    }
  }
}

TEST_F(LanguageTest, EveryJapaneseStringHasAnAsciiEnglishTwinAndATableRow) {
  const std::map<UINT, std::wstring> japanese = StringsIn(Japanese);
  const std::map<UINT, std::wstring> english = StringsIn(English);
  std::set<UINT> japaneseIds, englishIds, tableIds;
  for (const auto& entry : japanese) japaneseIds.insert(entry.first);
  for (const auto& entry : english) {
    englishIds.insert(entry.first);
    EXPECT_TRUE(IsAsciiWide(entry.second)) << "string " << entry.first << ": " << Narrow(entry.second);
  }
  for (const StringRow& row : ProgramStrings) {
    tableIds.insert(row.id);
    const auto found = english.find(row.id);
    ASSERT_NE(english.end(), found) << "string " << row.id;
    EXPECT_EQ(Wide(row.text.english), found->second) << "string " << row.id;
  }
  EXPECT_EQ(japaneseIds, englishIds);
  // The program's own strings (the test strings from 60001 on aside) all have a row in the table.
  std::set<UINT> programIds;
  for (UINT id : japaneseIds) {
    if (id < 60000) programIds.insert(id);
  }
  EXPECT_EQ(programIds, tableIds);
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

struct ControlTemplateSeen {
  int id;
  std::string className;
  LONG style;
  std::wstring text;
};

// The controls of a dialog template as the dialog manager creates them (hidden), and its caption.
std::vector<ControlTemplateSeen> DialogIn(LANGID language, UINT id, std::wstring* caption) {
  std::vector<ControlTemplateSeen> controls;
  const void* data = ResourceIn(language, reinterpret_cast<LPCWSTR>(RT_DIALOG), id);
  if (data == nullptr) return controls;
  HWND dialog = CreateDialogIndirectParamW(AppInstance, static_cast<LPCDLGTEMPLATEW>(data), nullptr,
                                           QuietDialogProc, 0);
  if (dialog == nullptr) return controls;
  WCHAR text[512] = L"";
  GetWindowTextW(dialog, text, 512);
  *caption = text;
  for (HWND child : Children(dialog)) {
    GetWindowTextW(child, text, 512);
    controls.push_back({GetDlgCtrlID(child), ClassName(child), GetWindowLongA(child, GWL_STYLE), text});
  }
  DestroyWindow(dialog);
  return controls;
}

TEST_F(LanguageTest, DialogsHaveTheSameControlsAndMnemonicsInBothLanguages) {
  const std::vector<UINT> dialogs = ResourceNames(reinterpret_cast<LPCWSTR>(RT_DIALOG));
  EXPECT_NE(dialogs.end(), std::find(dialogs.begin(), dialogs.end(), IDD_MAIN));
  EXPECT_NE(dialogs.end(), std::find(dialogs.begin(), dialogs.end(), IDD_ABOUT));
  for (UINT id : dialogs) {
    SCOPED_TRACE("dialog " + std::to_string(id));
    std::wstring japaneseCaption, englishCaption;
    const std::vector<ControlTemplateSeen> japanese = DialogIn(Japanese, id, &japaneseCaption);
    const std::vector<ControlTemplateSeen> english = DialogIn(English, id, &englishCaption);
    ASSERT_FALSE(japanese.empty());
    ASSERT_EQ(japanese.size(), english.size());
    EXPECT_TRUE(IsAsciiWide(englishCaption));
    EXPECT_FALSE(englishCaption.empty());
    for (size_t i = 0; i < japanese.size(); ++i) {
      SCOPED_TRACE("control " + std::to_string(i) + ": " + Narrow(english[i].text));
      EXPECT_EQ(japanese[i].id, english[i].id);
      EXPECT_EQ(japanese[i].className, english[i].className);
      EXPECT_EQ(japanese[i].style, english[i].style);
      EXPECT_EQ(Mnemonic(japanese[i].text), Mnemonic(english[i].text));
      EXPECT_EQ(japanese[i].text.empty(), english[i].text.empty());
      // An icon control's text is its icon's number.
      if ((english[i].style & SS_TYPEMASK) == SS_ICON && english[i].className == "Static") {
        EXPECT_EQ(japanese[i].text, english[i].text);
      } else {
        EXPECT_TRUE(IsAsciiWide(english[i].text));
      }
    }
  }
}

struct MenuTemplateSeen {
  int depth;
  UINT id;
  UINT type;
  UINT state;
  std::wstring text;
};

void ReadMenuWide(HMENU menu, int depth, std::vector<MenuTemplateSeen>& items) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    WCHAR text[256] = L"";
    MENUITEMINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_STATE;
    info.dwTypeData = text;
    info.cch = 256;
    GetMenuItemInfoW(menu, i, TRUE, &info);
    items.push_back({depth, info.hSubMenu != nullptr ? 0 : info.wID, info.fType, info.fState, text});
    if (info.hSubMenu != nullptr) ReadMenuWide(info.hSubMenu, depth + 1, items);
  }
}

std::vector<MenuTemplateSeen> MenuIn(LANGID language, UINT id) {
  std::vector<MenuTemplateSeen> items;
  const void* data = ResourceIn(language, reinterpret_cast<LPCWSTR>(RT_MENU), id);
  HMENU menu = data == nullptr ? nullptr : LoadMenuIndirectW(data);
  if (menu == nullptr) return items;
  ReadMenuWide(menu, 0, items);
  DestroyMenu(menu);
  return items;
}

TEST_F(LanguageTest, MenusHaveTheSameItemsMnemonicsAndShortcutsInBothLanguages) {
  for (UINT id : ResourceNames(reinterpret_cast<LPCWSTR>(RT_MENU))) {
    SCOPED_TRACE("menu " + std::to_string(id));
    const std::vector<MenuTemplateSeen> japanese = MenuIn(Japanese, id);
    const std::vector<MenuTemplateSeen> english = MenuIn(English, id);
    ASSERT_FALSE(japanese.empty());
    ASSERT_EQ(japanese.size(), english.size());
    std::set<wchar_t> topLetters;
    for (size_t i = 0; i < japanese.size(); ++i) {
      SCOPED_TRACE(Narrow(english[i].text));
      EXPECT_EQ(japanese[i].depth, english[i].depth);
      EXPECT_EQ(japanese[i].id, english[i].id);
      EXPECT_EQ(japanese[i].type, english[i].type);
      EXPECT_EQ(japanese[i].state, english[i].state);
      EXPECT_EQ(Mnemonic(japanese[i].text), Mnemonic(english[i].text));
      EXPECT_EQ(Shortcut(japanese[i].text), Shortcut(english[i].text));
      EXPECT_TRUE(IsAsciiWide(english[i].text));
      if (english[i].depth == 0) {
        EXPECT_TRUE(topLetters.insert(Mnemonic(english[i].text)).second)
            << "a second menu on the same letter";
      }
    }
  }
}

// The system's own choice of a resource's language follows the user-interface language (LANG here), not
// the code page: so the run with Japanese as the code page of an English system really tells the two apart.
TEST(ResourceCalls, TheLoadersOwnChoiceFollowsTheInterfaceLanguage) {
  const char* interfaceLocale = std::getenv("LANG");
  ASSERT_NE(nullptr, interfaceLocale);
  HRSRC chosen =
      FindResourceW(AppInstance, MAKEINTRESOURCEW(IDR_MAINMENU), reinterpret_cast<LPCWSTR>(RT_MENU));
  HRSRC japanese = FindResourceExW(AppInstance, reinterpret_cast<LPCWSTR>(RT_MENU),
                                   MAKEINTRESOURCEW(IDR_MAINMENU), Japanese);
  ASSERT_NE(nullptr, chosen);
  EXPECT_EQ(std::strncmp(interfaceLocale, "ja_JP", 5) == 0, chosen == japanese) << interfaceLocale;
}

// Every resource goes through the program's language (ui/language.h): the calls that leave the language to
// the loader are not imported at all, by the program's code or by these tests.
TEST(ResourceCalls, NoneLeavesTheLanguageToTheLoader) {
  for (const char* call : {"LoadStringA", "LoadStringW", "DialogBoxParamA", "DialogBoxParamW",
                           "CreateDialogParamA", "CreateDialogParamW", "LoadMenuA", "LoadMenuW"}) {
    EXPECT_EQ(nullptr, ImportSlot(GetModuleHandleA(nullptr), "user32.dll", call)) << call;
  }
}

TEST_F(LanguageTest, VersionBlockHasAJapaneseAndAnAsciiEnglishTranslation) {
  char path[MAX_PATH];
  GetModuleFileNameA(AppInstance, path, MAX_PATH);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  ASSERT_NE(0u, size);
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
  void* translations = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translations, &length));
  ASSERT_EQ(2 * sizeof(DWORD), length);
  // Japanese first, as it always was; then English, both in UTF-16 (1200).
  EXPECT_EQ(MAKELONG(Japanese, 1200), static_cast<const DWORD*>(translations)[0]);
  EXPECT_EQ(MAKELONG(English, 1200), static_cast<const DWORD*>(translations)[1]);
  const struct {
    const wchar_t* name;
    const char* expected;  // null: present and ASCII
  } values[] = {
      {L"FileDescription", VersionDescription.english},
      {L"Comments", VersionComments.english},
      {L"LegalCopyright", nullptr},
      {L"ProductName", nullptr},
      {L"InternalName", nullptr},
  };
  for (const auto& value : values) {
    SCOPED_TRACE(Narrow(value.name));
    void* text = nullptr;
    UINT textLength = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904b0\\") + value.name;
    ASSERT_TRUE(VerQueryValueW(block.data(), key.c_str(), &text, &textLength));
    const std::wstring english(static_cast<const wchar_t*>(text));
    EXPECT_TRUE(IsAsciiWide(english));
    if (value.expected != nullptr) {
      EXPECT_EQ(Wide(value.expected), english);
    }
  }
}

}  // namespace
