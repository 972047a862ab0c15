// Centring of boxes and dialogs over their owner, inside the work area.
#include "ui/centering.h"

#include <gtest/gtest.h>

#include "tests/win/modal.h"
#include "tests/win/test_support.h"

namespace {

RECT Rect(int left, int top, int right, int bottom) {
  RECT rect = {left, top, right, bottom};
  return rect;
}

RECT WindowRect(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  return rect;
}

// The position CenterWindow must reach for a window of the given rectangle.
POINT Expected(const RECT& centre, const RECT& bounds, const RECT& window) {
  return CenteredPosition(centre, bounds, window.right - window.left, window.bottom - window.top);
}

TEST(CenteredPosition, CentresAndClampsToTheBounds) {
  struct Case {
    const char* what;
    RECT centre;
    RECT bounds;
    int w, h;
    int x, y;
  };
  const RECT screen = Rect(0, 0, 1024, 738);
  const Case cases[] = {
      {"centred on the owner", Rect(100, 100, 700, 500), screen, 300, 200, 250, 200},
      {"left of the work area", Rect(-250, 100, 50, 500), screen, 300, 200, 0, 200},
      {"right of the work area", Rect(900, 100, 1100, 500), screen, 300, 200, 724, 200},
      {"above the work area", Rect(100, -300, 700, -100), screen, 300, 200, 250, 0},
      {"below the work area", Rect(100, 600, 700, 800), screen, 300, 200, 250, 538},
      {"on the work area itself", screen, screen, 300, 200, 362, 269},
      {"wider than the work area, centred left of it", screen, screen, 1100, 200, 0, 269},
      {"wider than the work area, centred right of its left edge", Rect(600, 0, 1000, 738), screen, 1100, 200,
       -76, 269},
      {"halves truncate toward zero", Rect(-4, -5, -1, -2), Rect(-1000, -1000, 1000, 1000), 11, 3, -7, -4},
      {"a monitor right of the primary one", Rect(0, 0, 400, 300), Rect(1024, 0, 2048, 768), 300, 200, 1024,
       50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const POINT at = CenteredPosition(c.centre, c.bounds, c.w, c.h);
    EXPECT_EQ(c.x, at.x);
    EXPECT_EQ(c.y, at.y);
  }
}

class CenteringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ =
        CreateTestWindow(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 100, 100, 500, 300, nullptr);
    ASSERT_NE(nullptr, owner_);
    ShowWindow(owner_, SW_SHOWNORMAL);
    ResetModals();
  }
  void TearDown() override {
    EXPECT_EQ(0, PendingModals());
    for (const ModalSeen& seen : TakeSeenModals()) EXPECT_TRUE(seen.expected) << seen.caption;
    ResetModals();
    DestroyWindow(owner_);
    EXPECT_EQ(0, CenteringUseCount());
    EXPECT_FALSE(CenteringHookInstalled());
  }

  HWND owner_ = nullptr;
};

TEST_F(CenteringTest, TopLevelWindowGoesOverAVisibleOwner) {
  HWND window = CreateTestWindow(WS_POPUP, 0, 0, 300, 200, owner_);
  CenterWindow(window, nullptr);
  const RECT rect = WindowRect(window);
  const POINT expected = Expected(WindowRect(owner_), WorkArea(), rect);
  EXPECT_EQ(expected.x, rect.left);
  EXPECT_EQ(expected.y, rect.top);
  EXPECT_EQ(300, rect.right - rect.left);
  EXPECT_EQ(200, rect.bottom - rect.top);
  DestroyWindow(window);
}

TEST_F(CenteringTest, GivenOwnerIsUsedInsteadOfTheWindowsOwn) {
  HWND other = CreateTestWindow(WS_POPUP | WS_VISIBLE, 500, 300, 400, 300, nullptr);
  HWND window = CreateTestWindow(WS_POPUP, 0, 0, 120, 80, owner_);
  CenterWindow(window, other);
  const RECT rect = WindowRect(window);
  const POINT expected = Expected(WindowRect(other), WorkArea(), rect);
  EXPECT_EQ(expected.x, rect.left);
  EXPECT_EQ(expected.y, rect.top);
  DestroyWindow(window);
  DestroyWindow(other);
}

TEST_F(CenteringTest, HiddenMinimisedOrMissingOwnerMeansTheWorkArea) {
  struct Case {
    const char* what;
    int show;
    bool owned;
  };
  const Case cases[] = {
      {"minimised owner", SW_MINIMIZE, true},
      {"hidden owner", SW_HIDE, true},
      {"no owner", SW_SHOWNORMAL, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ShowWindow(owner_, c.show);
    if (c.show == SW_MINIMIZE) {
      ASSERT_TRUE(IsIconic(owner_));
    }
    HWND window = CreateTestWindow(WS_POPUP, 0, 0, 300, 200, c.owned ? owner_ : nullptr);
    CenterWindow(window, nullptr);
    const RECT rect = WindowRect(window);
    const POINT expected = Expected(WorkArea(), WorkArea(), rect);
    EXPECT_EQ(expected.x, rect.left);
    EXPECT_EQ(expected.y, rect.top);
    DestroyWindow(window);
    ShowWindow(owner_, SW_RESTORE);
  }
}

TEST_F(CenteringTest, ChildWindowIsCentredInItsParentsClientArea) {
  struct Case {
    int w, h;
    int x, y;  // in the parent's client coordinates
  };
  // The parent's client area is 400 x 300.
  const Case cases[] = {{100, 50, 150, 125}, {500, 50, 0, 125}, {100, 400, 150, 0}};
  HWND parent = CreateTestWindow(WS_POPUP | WS_VISIBLE, 200, 150, 400, 300, nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.w * 1000 + c.h);
    HWND child = CreateTestWindow(WS_CHILD | WS_VISIBLE, 5, 5, c.w, c.h, parent);
    CenterWindow(child, nullptr);
    RECT rect = WindowRect(child);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(c.x, rect.left);
    EXPECT_EQ(c.y, rect.top);
    DestroyWindow(child);
  }
  DestroyWindow(parent);
}

// A dialog made from a template in memory at (0,0) of its owner's client area, with no text and no controls.
INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

HWND CreatePlainDialog(HWND owner) {
  struct {
    alignas(4) DLGTEMPLATE dialog;
    WORD menu, windowClass, title;
  } layout = {};
  layout.dialog.style = WS_POPUP | WS_CAPTION;
  layout.dialog.cx = 100;
  layout.dialog.cy = 50;
  return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &layout.dialog, owner, PlainDialogProc, 0);
}

bool IsCentredOver(HWND window, HWND owner) {
  const RECT rect = WindowRect(window);
  const POINT expected = Expected(WindowRect(owner), WorkArea(), rect);
  return rect.left == expected.x && rect.top == expected.y;
}

TEST_F(CenteringTest, ScopeCentresEveryDialogTheThreadCreates) {
  HWND before = CreatePlainDialog(owner_);
  EXPECT_FALSE(IsCentredOver(before, owner_)) << "the template's own place must differ from the centre";
  {
    CenteringScope scope(GetCurrentThreadId());
    EXPECT_EQ(1, CenteringUseCount());
    EXPECT_TRUE(CenteringHookInstalled());
    HWND inside = CreatePlainDialog(owner_);
    EXPECT_TRUE(IsCentredOver(inside, owner_));
    DestroyWindow(inside);
  }
  HWND after = CreatePlainDialog(owner_);
  EXPECT_FALSE(IsCentredOver(after, owner_));
  DestroyWindow(before);
  DestroyWindow(after);
}

TEST_F(CenteringTest, EndingANestedScopeRemovesTheHook) {
  {
    CenteringScope outer(GetCurrentThreadId());
    {
      CenteringScope inner(GetCurrentThreadId());
      EXPECT_EQ(2, CenteringUseCount());
      EXPECT_TRUE(CenteringHookInstalled());
    }
    EXPECT_EQ(1, CenteringUseCount());
    EXPECT_FALSE(CenteringHookInstalled());
    HWND dialog = CreatePlainDialog(owner_);
    EXPECT_FALSE(IsCentredOver(dialog, owner_)) << "no centring for the rest of the outer scope";
    DestroyWindow(dialog);
    {
      CenteringScope again(GetCurrentThreadId());
      EXPECT_EQ(2, CenteringUseCount());
      EXPECT_TRUE(CenteringHookInstalled()) << "a scope that finds no hook installs one";
    }
  }
  EXPECT_EQ(0, CenteringUseCount());
  EXPECT_FALSE(CenteringHookInstalled());
}

TEST_F(CenteringTest, HookCentresOnlyOnInitDialogWithANonNegativeCode) {
  struct Case {
    const char* what;
    int code;
    UINT message;
    bool moves;
  };
  const Case cases[] = {
      {"WM_INITDIALOG", HC_ACTION, WM_INITDIALOG, true},
      {"negative code: passed on untouched", -1, WM_INITDIALOG, false},
      {"another message", HC_ACTION, WM_SETFONT, false},
  };
  CenteringScope scope(GetCurrentThreadId());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HWND window = CreateTestWindow(WS_POPUP, 3, 4, 120, 80, owner_);
    CWPSTRUCT call = {};
    call.hwnd = window;
    call.message = c.message;
    CenteringHookProc(c.code, 0, reinterpret_cast<LPARAM>(&call));
    EXPECT_EQ(c.moves, IsCentredOver(window, owner_));
    if (!c.moves) {
      EXPECT_EQ(3, WindowRect(window).left);
      EXPECT_EQ(4, WindowRect(window).top);
    }
    DestroyWindow(window);
  }
}

// Where each dialog stood when its own procedure was about to handle WM_INITDIALOG. Installed before the
// centring hook, this hook runs after it (the newest hook runs first), so it sees the centring's result.
// Wine's message box places itself once more inside its WM_INITDIALOG handling; Windows does not.
HHOOK RecordingHook = nullptr;
HWND InitDialogWindow = nullptr;
RECT InitDialogRect;

LRESULT CALLBACK RecordInitDialog(int code, WPARAM wParam, LPARAM lParam) {
  const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code >= 0 && call->message == WM_INITDIALOG) {
    InitDialogWindow = call->hwnd;
    GetWindowRect(call->hwnd, &InitDialogRect);
  }
  return CallNextHookEx(RecordingHook, code, wParam, lParam);
}

TEST_F(CenteringTest, MessageBoxOpensCentredOverItsOwnerOrTheWorkArea) {
  struct Case {
    const char* what;
    int show;
    bool owned;
    bool overOwner;
  };
  const Case cases[] = {
      {"visible owner", SW_SHOWNORMAL, true, true},
      {"minimised owner", SW_MINIMIZE, true, false},
      {"no owner", SW_SHOWNORMAL, false, false},
  };
  // Moved off the screen's centre, so that a box centred on the owner differs from one on the work area.
  SetWindowPos(owner_, nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ShowWindow(owner_, c.show);
    const RECT ownerRect = WindowRect(owner_);
    RecordingHook = SetWindowsHookExA(WH_CALLWNDPROC, RecordInitDialog, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, RecordingHook);
    InitDialogWindow = nullptr;
    ModalAnswer answer;
    answer.inspect = [](HWND) {
      EXPECT_EQ(1, CenteringUseCount());
      EXPECT_TRUE(CenteringHookInstalled());
    };
    ExpectModal(answer);
    EXPECT_EQ(IDOK, ShowMessage(c.owned ? owner_ : nullptr, "text", "caption", MB_OK));
    UnhookWindowsHookEx(RecordingHook);
    const std::vector<ModalSeen> seen = TakeSeenModals();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("caption", seen[0].caption);
    EXPECT_EQ("text", seen[0].text);
    EXPECT_EQ(seen[0].window, InitDialogWindow);
    const POINT expected = Expected(c.overOwner ? ownerRect : WorkArea(), WorkArea(), InitDialogRect);
    EXPECT_EQ(expected.x, InitDialogRect.left);
    EXPECT_EQ(expected.y, InitDialogRect.top);
    EXPECT_EQ(0, CenteringUseCount());
    EXPECT_FALSE(CenteringHookInstalled());
    ShowWindow(owner_, SW_RESTORE);
  }
}

}  // namespace
