// The main window's start, its settings file and its close.
#include "app/main_window.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "tests/win/program_fixture.h"
#include "tests/win/ui_texts.h"

namespace {

const char Gs440[] = "F0 41 10 42 12 40 00 00 00 04 00 00 3C F7";

std::string SettingsText(int left, int top, int format) {
  char text[128];
  wsprintfA(text, "[AppSetting]\r\nLeft=%d\r\nTop=%d\r\nMidiFormat=%d\r\n", left, top, format);
  return text;
}

RECT WindowRectangle() {
  RECT rect;
  GetWindowRect(MainWindow, &rect);
  return rect;
}

class MainWindowTest : public ProgramTest {};

TEST_F(MainWindowTest, FirstStartShowsGsAt440CentredWithNothingStored) {
  StartProgram();
  EXPECT_EQ("0.0", Text(CentsEdit));
  EXPECT_EQ("440.000000", Text(HertzEdit));
  EXPECT_EQ(Gs440, Text(SysexEdit));
  EXPECT_EQ(0, SendMessageA(FormatCombo, CB_GETCURSEL, 0, 0));
  EXPECT_EQ(3, SendMessageA(FormatCombo, CB_GETCOUNT, 0, 0));
  EXPECT_EQ(0, SendMessageA(PresetCombo, CB_GETCOUNT, 0, 0));
  for (HWND button : {SaveSmfButton, SaveSysexButton, SaveTextButton}) EXPECT_TRUE(IsWindowEnabled(button));
  for (UINT command : {IDM_SAVE_SMF, IDM_SAVE_SYSEX, IDM_SAVE_TEXT}) EXPECT_TRUE(MenuEnabled(command));
  EXPECT_EQ(Shown(MainWindowCaption), Text(MainWindow));

  // Centred on the work area by its template.
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  RECT rect = WindowRectangle();
  EXPECT_NEAR((work.left + work.right) / 2, (rect.left + rect.right) / 2, 1);
  EXPECT_NEAR((work.top + work.bottom) / 2, (rect.top + rect.bottom) / 2, 1);

  CloseProgram();
  EXPECT_TRUE(FileExists("Preset.ini"));
  EXPECT_EQ("", ReadFile("Preset.ini"));
  EXPECT_EQ(SettingsText(rect.left, rect.top, 0), ReadFile("Sonorel.ini"));
}

TEST_F(MainWindowTest, StoredPositionIsAppliedAndWrittenBack) {
  WriteFile("Sonorel.ini", "[AppSetting]\r\nLeft=123\r\nTop=77\r\nMidiFormat=1\r\n");
  StartProgram();
  RECT rect = WindowRectangle();
  EXPECT_EQ(123, rect.left);
  EXPECT_EQ(77, rect.top);
  EXPECT_EQ(1, SendMessageA(FormatCombo, CB_GETCURSEL, 0, 0));
  CloseProgram();
  EXPECT_EQ(SettingsText(123, 77, 1), ReadFile("Sonorel.ini"));
}

TEST_F(MainWindowTest, PositionFarOffScreenIsAppliedUnchanged) {
  WriteFile("Sonorel.ini", "[AppSetting]\r\nLeft=-5000\r\nTop=9000\r\n");
  StartProgram();
  RECT rect = WindowRectangle();
  EXPECT_EQ(-5000, rect.left);
  EXPECT_EQ(9000, rect.top);
}

TEST_F(MainWindowTest, StoredFormatIsReadByTheDecimalRule) {
  const struct {
    const char* stored;
    int format;
    const char* cents;
  } cases[] = {
      {"2", 2, "0.00"}, {" 2", 2, "0.00"}, {"2x", 2, "0.00"}, {"1", 1, "0.0"},
      {"7", 0, "0.0"},  {"-1", 0, "0.0"},  {"abc", 0, "0.0"}, {"", 0, "0.0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    WriteFile("Sonorel.ini", std::string("[AppSetting]\r\nMidiFormat=") + c.stored + "\r\n");
    StartProgram();
    EXPECT_EQ(c.format, SendMessageA(FormatCombo, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(c.format, CurrentFormat);
    EXPECT_EQ(c.cents, Text(CentsEdit));
    CloseProgram();
  }
}

TEST_F(MainWindowTest, LeftWithoutTopDoesNotMoveAndIsUpdatedInPlace) {
  WriteFile("Sonorel.ini", "[AppSetting]\r\nLeft=10\r\nExtra=kept\r\n");
  StartProgram();
  RECT rect = WindowRectangle();
  EXPECT_NE(10, rect.left);  // still where the template centred it
  CloseProgram();
  char expected[160];
  wsprintfA(expected, "[AppSetting]\r\nLeft=%d\r\nExtra=kept\r\nTop=%d\r\nMidiFormat=0\r\n", rect.left,
            rect.top);
  EXPECT_EQ(expected, ReadFile("Sonorel.ini"));
}

TEST_F(MainWindowTest, OtherSectionsAreKeptAndKeysTakeTheirOwnSpelling) {
  WriteFile(
      "Sonorel.ini",
      "; my notes\nLoose=1\n[Other]\nA=1\n\n[appsetting]\nleft=10\ntop=20\nmidiformat=1\n[Tail]\nB=2\n");
  StartProgram();
  EXPECT_EQ(10, WindowRectangle().left);
  CloseProgram();
  EXPECT_EQ(
      "[Other]\r\nA=1\r\n\r\n[appsetting]\r\nLeft=10\r\nTop=20\r\nMidiFormat=1\r\n\r\n[Tail]\r\nB=2\r\n",
      ReadFile("Sonorel.ini"));
}

TEST_F(MainWindowTest, PositionIsRecordedAtTheEndOfAMove) {
  StartProgram();
  SetWindowPos(MainWindow, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageA(MainWindow, WM_EXITSIZEMOVE, 0, 0);
  // A move that never ends (minimising, say) is not recorded.
  SetWindowPos(MainWindow, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  CloseProgram();
  EXPECT_EQ(SettingsText(40, 30, 0), ReadFile("Sonorel.ini"));
}

TEST_F(MainWindowTest, SessionEndSavesBothFilesAsAtClose) {
  WriteFile("Sonorel.ini", "[AppSetting]\r\nLeft=50\r\nTop=60\r\n");
  StartProgram();
  SelectFormat(2);
  SetWindowTextA(PresetCombo, "Late");
  ClickButton(IDC_PRESET_SAVE);

  SendMessageA(MainWindow, WM_ENDSESSION, FALSE, 0);  // the shutdown was cancelled
  EXPECT_EQ("[AppSetting]\r\nLeft=50\r\nTop=60\r\n", ReadFile("Sonorel.ini"));
  EXPECT_FALSE(FileExists("Preset.ini"));

  EXPECT_NE(0, SendMessageA(MainWindow, WM_QUERYENDSESSION, 0, 0));
  SendMessageA(MainWindow, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(SettingsText(50, 60, 2), ReadFile("Sonorel.ini"));
  EXPECT_EQ("[Late]\r\nHz=440.000000\r\nMidiFormat=2\r\n", ReadFile("Preset.ini"));
}

TEST_F(MainWindowTest, SysexFieldUsesTheFixedFontAndFollowsSystemColours) {
  StartProgram();
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(SysexEdit, WM_GETFONT, 0, 0));
  ASSERT_EQ(SysexFont, font);
  LOGFONTA logical;
  ASSERT_NE(0, GetObjectA(font, sizeof logical, &logical));
  EXPECT_EQ(-14, logical.lfHeight);
  EXPECT_EQ(ShownString(IDS_SYSEX_FONT), logical.lfFaceName);
  // The face of string 106 exists, so the field really shows a fixed-pitch font (the bit means variable).
  {
    HDC field = GetDC(SysexEdit);
    HGDIOBJ old = SelectObject(field, font);
    TEXTMETRICA metrics;
    ASSERT_TRUE(GetTextMetricsA(field, &metrics));
    EXPECT_EQ(0, metrics.tmPitchAndFamily & TMPF_FIXED_PITCH);
    SelectObject(field, old);
    ReleaseDC(SysexEdit, field);
  }

  HDC context = GetDC(SysexEdit);
  LRESULT brush = SendMessageA(MainWindow, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context),
                               reinterpret_cast<LPARAM>(SysexEdit));
  EXPECT_EQ(reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW)), brush);
  EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), GetTextColor(context));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), GetBkColor(context));
  // Other controls keep the dialog's own colours.
  EXPECT_NE(brush, SendMessageA(MainWindow, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context),
                                reinterpret_cast<LPARAM>(GetDlgItem(MainWindow, IDC_PRESET_SAVE))));
  ReleaseDC(SysexEdit, context);
}

}  // namespace
