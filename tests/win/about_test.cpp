// The About box: dialog 110 opened from a real owner window and answered as a user would.
#include "ui/about.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/win/modal.h"
#include "tests/win/test_support.h"
#include "tests/win/ui_texts.h"
#include "ui/centering.h"
#include "ui/instance.h"
#include "ui/language.h"

// shell32 is delay-loaded: the program calls ShellExecuteA through this slot.
extern "C" void* ShellExecuteSlot __asm__(SONOREL_IMPORT_SLOT_NAME(ShellExecuteA, 24));

namespace {

const int NoCommand = 0;  // a command the box ignores, for answers that act through `inspect` alone

std::string ItemText(HWND box, int id) {
  char text[1024] = "";
  GetDlgItemTextA(box, id, text, sizeof text);
  return text;
}

// What the box showed while it was open.
struct AboutSeen {
  std::string description, comments, copyright, path, mail, web;
  HFONT descriptionFont = nullptr;
  LOGFONTA descriptionLogFont = {};
  LOGFONTA dialogLogFont = {};
  RECT rect = {0, 0, 0, 0};
  bool focusOnOk = false;
  bool hasIcon = false;
};

AboutSeen Look(HWND box) {
  AboutSeen seen;
  seen.description = ItemText(box, IDC_ABOUT_DESCRIPTION);
  seen.comments = ItemText(box, IDC_ABOUT_COMMENTS);
  seen.copyright = ItemText(box, IDC_ABOUT_COPYRIGHT);
  seen.path = ItemText(box, IDC_ABOUT_PATH);
  seen.mail = ItemText(box, IDC_ABOUT_MAIL);
  seen.web = ItemText(box, IDC_ABOUT_WEB);
  seen.descriptionFont =
      reinterpret_cast<HFONT>(SendDlgItemMessageA(box, IDC_ABOUT_DESCRIPTION, WM_GETFONT, 0, 0));
  GetObjectA(seen.descriptionFont, sizeof seen.descriptionLogFont, &seen.descriptionLogFont);
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0)), sizeof seen.dialogLogFont,
             &seen.dialogLogFont);
  GetWindowRect(box, &seen.rect);
  seen.focusOnOk = GetFocus() == GetDlgItem(box, IDCANCEL);
  seen.hasIcon = SendDlgItemMessageA(box, IDC_ABOUT_ICON, STM_GETICON, 0, 0) != 0;
  return seen;
}

// Ends a box that a test failed to close, so that the failure shows as a result instead of a hang.
void CALLBACK EndForgottenBox(HWND box, UINT, UINT_PTR timer, DWORD) {
  KillTimer(box, timer);
  EndDialog(box, -1);
}

class AboutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = CreateTestWindow(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE, 20, 30, 600,
                              420, nullptr);
    ASSERT_NE(nullptr, owner_);
    ResetModals();
  }
  void TearDown() override {
    EXPECT_EQ(0, PendingModals());
    ResetModals();
    DestroyWindow(owner_);
    EXPECT_EQ(0, CenteringUseCount());
  }

  // Opens the box as the menu command does; `act` runs once it is open, with what it shows already read.
  // `later` answers the windows that the box opens in turn.
  INT_PTR OpenAbout(const std::function<void(HWND)>& act = nullptr,
                    const std::vector<ModalAnswer>& later = {}) {
    ModalAnswer answer;
    answer.button = act ? NoCommand : IDCANCEL;
    answer.inspect = [this, act](HWND box) {
      seen_ = Look(box);
      SetTimer(box, 1, 10000, EndForgottenBox);
      if (act) act(box);
    };
    ExpectModal(answer);
    for (const ModalAnswer& next : later) ExpectModal(next);
    return LanguageDialogBox(AppInstance, IDD_ABOUT, owner_, AboutDialogProc, 0);
  }

  HWND owner_ = nullptr;
  AboutSeen seen_;
};

TEST_F(AboutTest, ShowsTheVersionStringsPathAndAddresses) {
  EXPECT_EQ(IDCANCEL, OpenAbout());
  const std::vector<ModalSeen> boxes = TakeSeenModals();
  ASSERT_EQ(1u, boxes.size());
  EXPECT_EQ(Shown(AboutBoxCaption), boxes[0].caption);
  EXPECT_EQ(owner_, boxes[0].owner);

  // In English from the English translation of the version block, whose texts differ from the Japanese.
  EXPECT_EQ(Shown(VersionDescription), seen_.description);
  EXPECT_EQ(Shown(VersionComments), seen_.comments);
  EXPECT_EQ("Copyright (C) 2004-2026 Sonorel", seen_.copyright);
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  EXPECT_EQ(path, seen_.path);
  EXPECT_EQ("author@sonorel.example.org", seen_.mail);
  EXPECT_EQ("https://sonorel.example.org/", seen_.web);
  EXPECT_TRUE(seen_.focusOnOk);
  EXPECT_TRUE(seen_.hasIcon);
}

TEST_F(AboutTest, DescriptionIsBoldAtFourteenPixels) {
  OpenAbout();
  TakeSeenModals();
  EXPECT_EQ(FW_BOLD, seen_.descriptionLogFont.lfWeight);
  EXPECT_EQ(14, seen_.descriptionLogFont.lfHeight);
  // The rest is the dialog's own font.
  EXPECT_EQ(400, seen_.dialogLogFont.lfWeight);
  EXPECT_STREQ(seen_.dialogLogFont.lfFaceName, seen_.descriptionLogFont.lfFaceName);
  EXPECT_EQ(seen_.dialogLogFont.lfCharSet, seen_.descriptionLogFont.lfCharSet);
  EXPECT_EQ(seen_.dialogLogFont.lfItalic, seen_.descriptionLogFont.lfItalic);
}

TEST_F(AboutTest, OpensCentredOverItsOwnerOrTheWorkArea) {
  for (bool minimised : {false, true}) {
    SCOPED_TRACE(minimised ? "minimised owner" : "visible owner");
    ShowWindow(owner_, minimised ? SW_MINIMIZE : SW_SHOWNORMAL);
    RECT ownerRect;
    GetWindowRect(owner_, &ownerRect);
    OpenAbout();
    TakeSeenModals();
    const POINT expected =
        CenteredPosition(minimised ? WorkArea() : ownerRect, WorkArea(), seen_.rect.right - seen_.rect.left,
                         seen_.rect.bottom - seen_.rect.top);
    EXPECT_EQ(expected.x, seen_.rect.left);
    EXPECT_EQ(expected.y, seen_.rect.top);
  }
  ShowWindow(owner_, SW_RESTORE);
}

TEST_F(AboutTest, EveryWayOfClosingEndsItWithTwo) {
  struct Case {
    const char* what;
    std::function<void(HWND)> act;
  };
  const Case cases[] = {
      {"Enter in the path field",
       [](HWND box) {
         SetFocus(GetDlgItem(box, IDC_ABOUT_PATH));
         PostMessageA(GetDlgItem(box, IDC_ABOUT_PATH), WM_KEYDOWN, VK_RETURN, 1);
       }},
      {"Enter on the OK button",
       [](HWND box) { PostMessageA(GetDlgItem(box, IDCANCEL), WM_KEYDOWN, VK_RETURN, 1); }},
      {"Escape", [](HWND) { PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1); }},
      {"the OK button", [](HWND box) { PostMessageA(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0); }},
      {"the close box", [](HWND box) { PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"WM_CLOSE", [](HWND box) { PostMessageA(box, WM_CLOSE, 0, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(IDCANCEL, OpenAbout(c.act));
    EXPECT_EQ(1u, TakeSeenModals().size());
  }
}

bool StillOpen = false;

void CALLBACK MarkOpenAndClose(HWND box, UINT, UINT_PTR timer, DWORD) {
  KillTimer(box, timer);
  StillOpen = true;
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

TEST_F(AboutTest, OtherCommandsLeaveItOpen) {
  StillOpen = false;
  EXPECT_EQ(IDCANCEL, OpenAbout([](HWND box) {
              PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
              PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_DESCRIPTION, 0), 0);
              // Timer messages come only once the queue is empty, so after both commands.
              SetTimer(box, 2, USER_TIMER_MINIMUM, MarkOpenAndClose);
            }));
  EXPECT_TRUE(StillOpen);
  TakeSeenModals();
}

TEST_F(AboutTest, EachOpeningDeletesItsBoldFont) {
  const DWORD objectsBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  std::vector<HFONT> fonts;
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(IDCANCEL, OpenAbout());
    ASSERT_NE(nullptr, seen_.descriptionFont);
    EXPECT_EQ(FW_BOLD, seen_.descriptionLogFont.lfWeight);
    EXPECT_EQ(0u, GetObjectType(seen_.descriptionFont)) << "the bold font outlived box " << i;
    fonts.push_back(seen_.descriptionFont);
  }
  TakeSeenModals();
  // Wine does not count GDI objects (it reports 0); Windows does.
  const DWORD objectsAfter = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (objectsBefore != 0) {
    EXPECT_EQ(objectsBefore, objectsAfter);
  }
}

// ShellExecuteA as the program's code calls it, recorded and passed on to the real function.
typedef HINSTANCE(WINAPI* ShellExecuteProc)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
ShellExecuteProc RealShellExecuteA = nullptr;
std::vector<std::string> ShellTargets;

HINSTANCE WINAPI RecordingShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                        LPCSTR folder, INT show) {
  ShellTargets.push_back(file ? file : "");
  return RealShellExecuteA(owner, verb, file, parameters, folder, show);
}

TEST_F(AboutTest, WebButtonAsksFirstAndNoOpensNothing) {
  void** slot = &ShellExecuteSlot;
  void* const before = *slot;  // the delay-load stub, or the function once bound
  FARPROC real = GetProcAddress(LoadLibraryA("shell32.dll"), "ShellExecuteA");
  RealShellExecuteA = reinterpret_cast<ShellExecuteProc>(reinterpret_cast<void (*)()>(real));
  ASSERT_NE(nullptr, RealShellExecuteA);
  WriteSlot(slot, reinterpret_cast<void*>(&RecordingShellExecuteA));
  // A call of ShellExecuteA in this build now reaches the recorder: it is the program's slot. (Read through
  // a volatile, or the compiler decides that two different functions never share an address.)
  void* volatile called = reinterpret_cast<void*>(&ShellExecuteA);
  ASSERT_EQ(reinterpret_cast<void*>(&RecordingShellExecuteA), called);
  ShellTargets.clear();

  HWND about = nullptr;
  ModalAnswer question;
  question.button = IDNO;
  // The About box closes once the question is answered.
  question.inspect = [&about](HWND) { PostMessageA(about, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); };
  EXPECT_EQ(IDCANCEL, OpenAbout(
                          [&about](HWND box) {
                            about = box;
                            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_ABOUT_WEB, BN_CLICKED),
                                         reinterpret_cast<LPARAM>(GetDlgItem(box, IDC_ABOUT_WEB)));
                          },
                          {question}));
  WriteSlot(slot, before);

  const std::vector<ModalSeen> boxes = TakeSeenModals();
  ASSERT_EQ(2u, boxes.size()) << "the About box and the question, and nothing after";
  EXPECT_EQ(ShownString(IDS_CONFIRM), boxes[1].caption);
  EXPECT_EQ(ShownString(IDS_CONFIRM_BROWSER), boxes[1].text);
  EXPECT_EQ(about, boxes[1].owner);
  EXPECT_TRUE(ShellTargets.empty());
}

}  // namespace
