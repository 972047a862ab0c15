// Typing into the pitch fields, committing them, the format list, the reset button, the up-down controls
// and the edit-field keys.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/main_window.h"
#include "res/resource.h"
#include "tests/win/program_fixture.h"

namespace {

class PitchEntryTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    StartProgram();
  }

  void ExpectPitch(const char* cents, const char* hertz, const char* message) {
    EXPECT_EQ(cents, Text(CentsEdit));
    EXPECT_EQ(hertz, Text(HertzEdit));
    EXPECT_EQ(message, Text(SysexEdit));
  }

  static bool WholeTextSelected(HWND field) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start == 0 && end == static_cast<DWORD>(GetWindowTextLengthA(field)) && end > 0;
  }

  // A mouse click on the upper (increasing) arrow of an up-down control.
  void ClickUpArrow(HWND spin) {
    RECT client;
    GetClientRect(spin, &client);
    LPARAM point = MAKELPARAM(client.right / 2, client.bottom / 4);
    PostMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageA(spin, WM_LBUTTONUP, 0, point);
    Pump();
  }
};

TEST_F(PitchEntryTest, TypingShowsEachKeystrokeAndTabCommits) {
  const struct {
    int format;
    const char* whileTyping4;
    const char* cents;
    const char* hertz;
    const char* message;
  } cases[] = {
      {0, "F0 41 10 42 12 40 00 00 00 00 01 08 37 F7", "7.9", "442.012404",
       "F0 41 10 42 12 40 00 00 00 04 04 0F 29 F7"},
      {1, "F0 43 10 4C 00 00 00 00 00 00 00 F7", "7.9", "442.012404", "F0 43 10 4C 00 00 00 00 04 04 0F F7"},
      {2, "F0 7F 7F 04 03 00 00 F7", "7.85", "441.999639", "F0 7F 7F 04 03 03 45 F7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    SelectFormat(c.format);
    TypeInto(HertzEdit, "4");
    EXPECT_EQ(c.whileTyping4, Text(SysexEdit));  // 4 Hz, clamped to the lowest pitch of the format
    Type("42");
    EXPECT_EQ("442", Text(HertzEdit));  // the field being edited is left alone
    EXPECT_EQ(c.message, Text(SysexEdit));
    Press(VK_TAB);
    EXPECT_EQ(CentsEdit, GetFocus());
    ExpectPitch(c.cents, c.hertz, c.message);
  }
}

TEST_F(PitchEntryTest, CommitClampsToTheFormatsRange) {
  const struct {
    int format;
    const char* field;  // "hz" or "cents"
    const char* typed;
    const char* cents;
    const char* hertz;
    const char* message;
  } cases[] = {
      {0, "hz", "1000", "100.0", "466.163762", "F0 41 10 42 12 40 00 00 00 07 0E 08 23 F7"},
      {1, "hz", "1000", "102.3", "466.783487", "F0 43 10 4C 00 00 00 00 07 0F 0F F7"},
      {2, "hz", "1000", "99.99", "466.161069", "F0 7F 7F 04 03 7F 7F F7"},
      {0, "hz", "442Hz", "7.9", "442.012404", "F0 41 10 42 12 40 00 00 00 04 04 0F 29 F7"},
      {0, "hz", "abc", "0.0", "440.000000", "F0 41 10 42 12 40 00 00 00 04 00 00 3C F7"},
      {2, "hz", "0", "0.00", "440.000000", "F0 7F 7F 04 03 00 40 F7"},
      {2, "hz", "-5", "0.00", "440.000000", "F0 7F 7F 04 03 00 40 F7"},
      {0, "cents", "12.35", "12.4", "443.162823", "F0 41 10 42 12 40 00 00 00 04 07 0C 29 F7"},
      {2, "cents", "12.35", "12.35", "443.150024", "F0 7F 7F 04 03 73 47 F7"},
      {2, "cents", "100", "99.99", "466.161069", "F0 7F 7F 04 03 7F 7F F7"},
      {1, "cents", "-150", "-102.4", "414.729362", "F0 43 10 4C 00 00 00 00 00 00 00 F7"},
      {0, "cents", "-0.04", "0.0", "440.000000", "F0 41 10 42 12 40 00 00 00 04 00 00 3C F7"},
      {0, "cents", "", "0.0", "440.000000", "F0 41 10 42 12 40 00 00 00 04 00 00 3C F7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " " + c.typed + " format " + std::to_string(c.format));
    SelectFormat(c.format);
    HWND field = std::string(c.field) == "hz" ? HertzEdit : CentsEdit;
    TypeInto(field, c.typed);
    if (c.typed[0] == '\0') SetWindowTextA(field, "");
    Focus(GetDlgItem(MainWindow, IDC_RESET));
    ExpectPitch(c.cents, c.hertz, c.message);
  }
}

TEST_F(PitchEntryTest, FormatChangeKeepsTheCentsWithinTheNewRange) {
  SelectFormat(1);
  TypeInto(CentsEdit, "102.3");
  Press(VK_TAB);
  ExpectPitch("102.3", "466.783487", "F0 43 10 4C 00 00 00 00 07 0F 0F F7");
  SelectFormat(0);
  ExpectPitch("100.0", "466.163762", "F0 41 10 42 12 40 00 00 00 07 0E 08 23 F7");

  SelectFormat(1);
  TypeInto(CentsEdit, "102.3");
  Press(VK_TAB);
  SelectFormat(2);
  ExpectPitch("99.99", "466.161069", "F0 7F 7F 04 03 7F 7F F7");
}

TEST_F(PitchEntryTest, ResetGivesConcertPitch) {
  SelectFormat(2);
  TypeInto(HertzEdit, "450");
  Press(VK_TAB);
  ASSERT_EQ("38.91", Text(CentsEdit));
  ClickButton(IDC_RESET);
  ExpectPitch("0.00", "440.000000", "F0 7F 7F 04 03 00 40 F7");
}

TEST_F(PitchEntryTest, OneClickOnEachUpArrow) {
  const struct {
    int format;
    const char* cents;
    const char* hertz;
  } hertzCases[] = {{0, "0.4", "440.101673"}, {1, "0.4", "440.101673"}, {2, "0.39", "440.099131"}};
  for (const auto& c : hertzCases) {
    SCOPED_TRACE(c.format);
    SelectFormat(c.format);
    ClickButton(IDC_RESET);
    ClickUpArrow(HertzSpin);
    EXPECT_EQ(c.cents, Text(CentsEdit));
    EXPECT_EQ(c.hertz, Text(HertzEdit));
    EXPECT_TRUE(WholeTextSelected(HertzEdit));
    // The other control follows the new value.
    EXPECT_EQ(static_cast<int>(atof(c.cents) * 10),
              static_cast<short>(SendMessageA(CentsSpin, UDM_GETPOS, 0, 0)));
  }

  SelectFormat(0);
  ClickButton(IDC_RESET);
  ClickUpArrow(CentsSpin);
  ExpectPitch("0.1", "440.025416", "F0 41 10 42 12 40 00 00 00 04 00 01 3B F7");
  EXPECT_TRUE(WholeTextSelected(CentsEdit));
  EXPECT_EQ(4400, static_cast<short>(SendMessageA(HertzSpin, UDM_GETPOS, 0, 0)));
}

TEST_F(PitchEntryTest, UpDownRangesFollowTheFormat) {
  const struct {
    int format;
    int centsMin, centsMax, hertzMin, hertzMax;
  } cases[] = {{0, -1000, 1000, 4153, 4662}, {1, -1024, 1023, 4147, 4668}, {2, -1000, 1000, 4153, 4662}};
  for (const auto& c : cases) {
    SelectFormat(c.format);
    int low = 0;
    int high = 0;
    SendMessageA(CentsSpin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(c.centsMin, low);
    EXPECT_EQ(c.centsMax, high);
    SendMessageA(HertzSpin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(c.hertzMin, low);
    EXPECT_EQ(c.hertzMax, high);
  }
}

TEST_F(PitchEntryTest, EnterCommitsOnceWhileHeld) {
  TypeInto(HertzEdit, "442");
  Press(VK_RETURN);
  ExpectPitch("7.9", "442.012404", "F0 41 10 42 12 40 00 00 00 04 04 0F 29 F7");
  EXPECT_TRUE(WholeTextSelected(HertzEdit));
  EXPECT_EQ(HertzEdit, GetFocus());

  // Auto-repeats of a held Enter (bit 30 set) reach only the field itself.
  Type("1000");
  UINT scan = MapVirtualKeyA(VK_RETURN, 0);
  for (int i = 0; i < 3; ++i) {
    PostMessageA(HertzEdit, WM_KEYDOWN, VK_RETURN, 1 | (scan << 16) | (1u << 30));
    Pump();
  }
  EXPECT_EQ("1000", Text(HertzEdit));
  EXPECT_EQ("7.9", Text(CentsEdit));

  TypeInto(CentsEdit, "-100");
  Press(VK_RETURN);
  ExpectPitch("-100.0", "415.304698", "F0 41 10 42 12 40 00 00 00 00 01 08 37 F7");
  EXPECT_TRUE(WholeTextSelected(CentsEdit));
}

TEST_F(PitchEntryTest, EnterInTheSysexFieldDoesNothingOfItsOwn) {
  TypeInto(HertzEdit, "442");
  Focus(SysexEdit);  // commits the hertz field on the way
  Type("1");
  Press(VK_RETURN);
  ExpectPitch("7.9", "442.012404", "F0 41 10 42 12 40 00 00 00 04 04 0F 29 F7");
}

TEST_F(PitchEntryTest, ControlASelectsAllAndTheLetterStillTypes) {
  for (HWND field : {HertzEdit, CentsEdit, SysexEdit}) {
    Focus(field);
    SendMessageA(field, EM_SETSEL, 1, 1);
    Press('A', true);
    EXPECT_TRUE(WholeTextSelected(field));
  }
  TypeInto(HertzEdit, "44");
  Type("a");
  EXPECT_EQ("44a", Text(HertzEdit));
}

TEST_F(PitchEntryTest, FieldsTakeAtMostTenTypedCharacters) {
  TypeInto(HertzEdit, "440.1234567890");
  EXPECT_EQ("440.123456", Text(HertzEdit));
}

}  // namespace
