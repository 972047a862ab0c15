// Error boxes with the system's own texts, and the shell's failures reported through them.
#include "ui/errors.h"

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/win/modal.h"
#include "tests/win/test_support.h"
#include "tests/win/ui_texts.h"

namespace {

const DWORD UnknownCode = 0x2000FFFF;  // customer-defined: the system has no text for it

// The system's text for code, read with a buffer of our own.
std::string SystemText(DWORD code) {
  char text[1024] = "";
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                      code, LANG_SYSTEM_DEFAULT, text, sizeof text, nullptr);
  return std::string(text, length);
}

bool HasDoubleByteText(const std::string& text) {
  for (char c : text) {
    if (IsDBCSLeadByteEx(932, static_cast<BYTE>(c))) return true;
  }
  return false;
}

TEST(SystemErrorText, ZeroLeavesTheTextUntouched) {
  std::string text = "previous";
  EXPECT_FALSE(SystemErrorText(text, 0));
  EXPECT_EQ("previous", text);
}

TEST(SystemErrorText, CodeWithoutSystemTextGivesTheUnexpectedErrorText) {
  ASSERT_EQ("", SystemText(UnknownCode));
  std::string text = "previous";
  EXPECT_TRUE(SystemErrorText(text, UnknownCode));
  EXPECT_EQ(ShownString(IDS_UNEXPECTED_ERROR), text);
}

// Japanese in the Japanese locale, single bytes in the others.
TEST(SystemErrorText, KnownCodeGivesTheSystemsTextWithItsLineBreak) {
  for (DWORD code : {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_DISK_FULL, ERROR_ACCESS_DENIED}) {
    SCOPED_TRACE(code);
    std::string text;
    EXPECT_TRUE(SystemErrorText(text, code));
    EXPECT_EQ(SystemText(code), text);
    EXPECT_EQ(JapaneseTexts(), HasDoubleByteText(text)) << text;
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ("\r\n", text.substr(text.size() - 2));
  }
}

BOOL CALLBACK FindIcon(HWND child, LPARAM found) {
  char name[16] = "";
  GetClassNameA(child, name, sizeof name);
  if (lstrcmpiA(name, "Static") != 0 || (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
    return TRUE;
  *reinterpret_cast<HICON*>(found) = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
  return FALSE;
}

// The icon that a message box shows, or null.
HICON BoxIcon(HWND box) {
  HICON icon = nullptr;
  EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&icon));
  return icon;
}

class ErrorBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = CreateTestWindow(WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 100, 500, 300, nullptr);
    ASSERT_NE(nullptr, owner_);
    ResetModals();
  }
  void TearDown() override {
    ResetModals();
    DestroyWindow(owner_);
  }

  // Queues an OK for the error box, noting its icon and buttons.
  void ExpectErrorBox() {
    ModalAnswer answer;
    answer.inspect = [this](HWND box) {
      icon_ = BoxIcon(box);
      hasOk_ = GetDlgItem(box, IDOK) != nullptr && IsWindowVisible(GetDlgItem(box, IDOK));
      hasNo_ = GetDlgItem(box, IDNO) != nullptr && IsWindowVisible(GetDlgItem(box, IDNO));
    };
    ExpectModal(answer);
  }

  // The one box that was shown: an error box owned by owner_ with the given text.
  void CheckErrorBox(const std::string& text) {
    EXPECT_EQ(0, PendingModals());
    const std::vector<ModalSeen> seen = TakeSeenModals();
    ASSERT_EQ(1u, seen.size());
    EXPECT_TRUE(seen[0].expected);
    EXPECT_EQ(ShownString(IDS_ERROR), seen[0].caption);
    EXPECT_EQ(text, seen[0].text);
    EXPECT_EQ(owner_, seen[0].owner);
    EXPECT_EQ(LoadIconA(nullptr, IDI_HAND), icon_);
    EXPECT_TRUE(hasOk_);
    EXPECT_FALSE(hasNo_);
  }

  HWND owner_ = nullptr;
  HICON icon_ = nullptr;
  bool hasOk_ = false;
  bool hasNo_ = true;
};

TEST_F(ErrorBoxTest, CodeZeroShowsNothing) {
  ExpectErrorBox();
  ReportSystemError(owner_, 0);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  EXPECT_EQ(1, PendingModals()) << "a box was shown";
  EXPECT_TRUE(TakeSeenModals().empty());
}

TEST_F(ErrorBoxTest, CodeWithoutSystemTextShowsTheUnexpectedErrorText) {
  ExpectErrorBox();
  ReportSystemError(owner_, UnknownCode);
  CheckErrorBox(ShownString(IDS_UNEXPECTED_ERROR));
}

TEST_F(ErrorBoxTest, KnownCodeShowsTheSystemsText) {
  ExpectErrorBox();
  ReportSystemError(owner_, ERROR_FILE_NOT_FOUND);
  CheckErrorBox(SystemText(ERROR_FILE_NOT_FOUND));
}

TEST_F(ErrorBoxTest, ShellFailureOnAMissingFileIsReported) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + "sonorel-no-such-document.html";
  DeleteFileA(path.c_str());
  ASSERT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
  ExpectErrorBox();
  OpenWithShell(path.c_str(), owner_);
  CheckErrorBox(SystemText(ERROR_FILE_NOT_FOUND));
}

}  // namespace
