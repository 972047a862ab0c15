#include "tests/win/program_fixture.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "app/main_window.h"
#include "app/pitch_entry.h"
#include "app/settings.h"
#include "app/startup.h"
#include "engine/tune_message.h"
#include "res/resource.h"
#include "tests/win/modal.h"
#include "ui/instance.h"

namespace {

std::string NewTemporaryFolder() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  static int counter = 0;
  char folder[MAX_PATH];
  wsprintfA(folder, "%ssonorel-win-%lu-%d\\", base, GetCurrentProcessId(), ++counter);
  CreateDirectoryA(folder, nullptr);
  return folder;
}

void DeleteFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        DeleteFolder(folder + name + "\\");
      } else {
        SetFileAttributesA((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA((folder + name).c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

// The program's globals as they are when the process starts.
void ResetProgramState() {
  PresetFile = IniFile();
  SettingsFile = IniFile();
  SendPortName.clear();
  TuneMessage.length = 0;
  TuneHexText[0] = '\0';
  CurrentCents = 0.0;
  CurrentHertz = 440.0;
  CurrentFormat = 0;
  RefreshEnabled = 1;
  HertzSpinSync = 1;
  CentsSpinSync = 1;
  MainWindow = nullptr;
}

}  // namespace

void ProgramTest::SetUp() {
  static bool registered = RegisterMainWindowClass(AppInstance);
  ASSERT_TRUE(registered);
  ResetModals();
  ResetProgramState();
  folder_ = NewTemporaryFolder();
  ProgramFolderOverride = folder_.c_str();
}

void ProgramTest::TearDown() {
  CloseProgram();
  EXPECT_EQ(0, PendingModals()) << "answers queued for boxes that never opened";
  for (const ModalSeen& seen : TakeSeenModals()) {
    EXPECT_TRUE(seen.expected) << "unexpected box \"" << seen.caption << "\": " << seen.text;
  }
  ResetModals();
  ProgramFolderOverride = nullptr;
  DeleteFolder(folder_);
}

void ProgramTest::StartProgram() {
  LoadSettingsFiles();
  ASSERT_NE(nullptr, CreateMainWindow(AppInstance));
  ShowWindow(MainWindow, SW_SHOW);
  UpdateWindow(MainWindow);
  SetForegroundWindow(MainWindow);
  Pump();
}

void ProgramTest::CloseProgram() {
  if (MainWindow == nullptr || !IsWindow(MainWindow)) return;
  SendMessageA(MainWindow, WM_CLOSE, 0, 0);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;  // the window's quit message must not end a later modal loop
    DispatchMessageA(&message);
  }
}

void ProgramTest::Pump() {
  static HACCEL accelerators = LoadAcceleratorsA(AppInstance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) continue;
    if (MainWindow != nullptr && TranslateAcceleratorA(MainWindow, accelerators, &message)) continue;
    if (MainWindow != nullptr && IsDialogMessageA(MainWindow, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void ProgramTest::Focus(HWND control) {
  SendMessageA(MainWindow, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
  Pump();
}

void ProgramTest::Type(const char* text) {
  for (const char* p = text; *p != '\0'; ++p) {
    PostMessageA(GetFocus(), WM_CHAR, static_cast<unsigned char>(*p), 1);
    Pump();
  }
}

void ProgramTest::Press(UINT key, bool control) {
  BYTE keys[256];
  GetKeyboardState(keys);
  if (control) {
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
  }
  UINT scan = MapVirtualKeyA(key, 0);
  PostMessageA(GetFocus(), WM_KEYDOWN, key, 1 | (scan << 16));
  Pump();
  PostMessageA(GetFocus(), WM_KEYUP, key, 1 | (scan << 16) | (1u << 30) | (1u << 31));
  Pump();
  if (control) {
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
  }
}

void ProgramTest::TypeInto(HWND field, const char* text) {
  Focus(field);
  SendMessageA(field, EM_SETSEL, 0, -1);
  Type(text);
}

void ProgramTest::SelectFormat(int format) {
  SendMessageA(FormatCombo, CB_SETCURSEL, format, 0);
  SendMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(FormatCombo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(FormatCombo));
  Pump();
}

void ProgramTest::ClickButton(int id) {
  SendMessageA(GetDlgItem(MainWindow, id), BM_CLICK, 0, 0);
  Pump();
}

std::string ProgramTest::FolderPath(const char* name) const { return folder_ + name; }

void ProgramTest::WriteFile(const char* name, const std::string& bytes) const {
  std::ofstream out(FolderPath(name), std::ios::binary);
  out << bytes;
}

std::string ProgramTest::ReadFile(const char* name) const {
  std::ifstream in(FolderPath(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool ProgramTest::FileExists(const char* name) const {
  return GetFileAttributesA(FolderPath(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ProgramTest::Text(HWND window) {
  char text[1024] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

bool ProgramTest::MenuEnabled(UINT command) {
  UINT state = GetMenuState(MainMenu, command, MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}
