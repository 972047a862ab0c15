// Saving, choosing and deleting presets; the exit and help commands.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/main_window.h"
#include "app/settings.h"
#include "res/resource.h"
#include "tests/win/modal.h"
#include "tests/win/program_fixture.h"
#include "tests/win/ui_texts.h"
#include "ui/errors.h"

namespace {

class PresetsTest : public ProgramTest {
 protected:
  void SavePresetAs(const char* name) {
    SetWindowTextA(PresetCombo, name);
    ClickButton(IDC_PRESET_SAVE);
  }

  void ChooseListEntry(int index) {
    SendMessageA(PresetCombo, CB_SETCURSEL, index, 0);
    SendMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(IDC_PRESET, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(PresetCombo));
    Pump();
  }

  std::string ListEntry(int index) {
    char text[256] = "";
    SendMessageA(PresetCombo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
  }

  int ListCount() { return static_cast<int>(SendMessageA(PresetCombo, CB_GETCOUNT, 0, 0)); }

  void ExpectWarning(UINT textId) {
    std::vector<ModalSeen> seen = TakeSeenModals();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(ShownString(IDS_WARNING), seen[0].caption);
    EXPECT_EQ(ShownString(textId), seen[0].text);
    EXPECT_EQ(MainWindow, seen[0].owner);
  }
};

TEST_F(PresetsTest, SavingUnderANewNameAppendsAndWritesOnlyAtClose) {
  WriteFile("Preset.ini", "[Baroque 415]\r\nHz=415.304698\r\nMidiFormat=1\r\n");
  StartProgram();
  ASSERT_EQ(1, ListCount());
  TypeInto(HertzEdit, "442");
  Press(VK_TAB);
  SavePresetAs("Concert 442");
  ASSERT_EQ(2, ListCount());
  EXPECT_EQ("Concert 442", ListEntry(1));
  EXPECT_EQ(2, static_cast<int>(PresetFile.Sections().back().lines.size()));
  EXPECT_EQ("Hz=442.012404", PresetFile.Sections().back().lines[0]);
  EXPECT_EQ("MidiFormat=0", PresetFile.Sections().back().lines[1]);
  EXPECT_EQ("[Baroque 415]\r\nHz=415.304698\r\nMidiFormat=1\r\n", ReadFile("Preset.ini"));  // not yet saved

  CloseProgram();
  EXPECT_EQ(
      "[Baroque 415]\r\nHz=415.304698\r\nMidiFormat=1\r\n\r\n[Concert "
      "442]\r\nHz=442.012404\r\nMidiFormat=0\r\n",
      ReadFile("Preset.ini"));
}

TEST_F(PresetsTest, SavingUnderAnExistingNameAsksFirst) {
  WriteFile("Preset.ini", "[Test]\r\nHz=440.000000\r\nMidiFormat=0\r\n");
  StartProgram();
  SelectFormat(1);
  TypeInto(HertzEdit, "450");
  Press(VK_TAB);

  ExpectModal(Button(IDNO));
  SavePresetAs("TEST");
  ExpectWarning(IDS_OVERWRITE_PRESET);
  EXPECT_EQ("Hz=440.000000", PresetFile.Sections().front().lines[0]);

  ExpectModal(Button(IDYES));
  SavePresetAs("TEST");
  ExpectWarning(IDS_OVERWRITE_PRESET);
  EXPECT_EQ(1, ListCount());
  CloseProgram();
  EXPECT_EQ("[Test]\r\nHz=449.998499\r\nMidiFormat=1\r\n", ReadFile("Preset.ini"));
}

TEST_F(PresetsTest, ChoosingAPresetRestoresItsFormatAndPitch) {
  WriteFile(
      "Preset.ini",
      "[Fine]\r\nHz=442.012404\r\nMidiFormat=2\r\n\r\n[Coarse]\r\nHz=442.012404\r\nMidiFormat=0\r\n\r\n"
      "[High]\r\nHz=1000\r\nMidiFormat=0\r\n\r\n[NoPitch]\r\nMidiFormat=2\r\n\r\n[BadFormat]\r\nHz=415\r\n"
      "MidiFormat=9\r\n");
  StartProgram();
  const struct {
    int index;
    int format;
    const char* cents;
    const char* hertz;
  } cases[] = {
      {0, 2, "7.90", "442.012404"}, {1, 0, "7.9", "442.012404"},    {2, 0, "100.0", "466.163762"},
      {3, 2, "0.00", "440.000000"}, {4, 0, "-100.0", "415.304698"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    ChooseListEntry(c.index);
    EXPECT_EQ(c.format, SendMessageA(FormatCombo, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(c.cents, Text(CentsEdit));
    EXPECT_EQ(c.hertz, Text(HertzEdit));
  }
}

TEST_F(PresetsTest, DeletingAsksAndKeepsThePitch) {
  WriteFile("Preset.ini", "[A]\r\nHz=442\r\nMidiFormat=0\r\n\r\n[B]\r\nHz=415\r\nMidiFormat=1\r\n");
  StartProgram();
  ChooseListEntry(0);
  ASSERT_EQ("7.9", Text(CentsEdit));

  ExpectModal(Button(IDNO));
  ClickButton(IDC_PRESET_DELETE);
  ExpectWarning(IDS_DELETE_PRESET);
  EXPECT_EQ(2, ListCount());

  ExpectModal(Button(IDYES));
  ClickButton(IDC_PRESET_DELETE);
  ExpectWarning(IDS_DELETE_PRESET);
  ASSERT_EQ(1, ListCount());
  EXPECT_EQ("B", ListEntry(0));
  EXPECT_EQ("", Text(PresetCombo));
  EXPECT_EQ("7.9", Text(CentsEdit));
  EXPECT_EQ("442.012404", Text(HertzEdit));

  // Only a typed name, no list entry selected: nothing is asked, nothing is removed.
  SetWindowTextA(PresetCombo, "B");
  ClickButton(IDC_PRESET_DELETE);
  EXPECT_EQ(1, ListCount());
  CloseProgram();
  EXPECT_EQ("[B]\r\nHz=415\r\nMidiFormat=1\r\n", ReadFile("Preset.ini"));
}

TEST_F(PresetsTest, DuplicateAndEmptyNamesFromAHandEditedFile) {
  WriteFile("Preset.ini",
            "[Twin]\r\nHz=442\r\nMidiFormat=0\r\n[twin]\r\nHz=415\r\nMidiFormat=1\r\n[]\r\nHz=466\r\n");
  StartProgram();
  ASSERT_EQ(3, ListCount());
  EXPECT_EQ("twin", ListEntry(1));
  ChooseListEntry(1);  // both entries reach the first section
  EXPECT_EQ("7.9", Text(CentsEdit));

  // The empty entry can be neither chosen nor deleted.
  ClickButton(IDC_RESET);
  ChooseListEntry(2);
  EXPECT_EQ("0.0", Text(CentsEdit));
  ClickButton(IDC_PRESET_DELETE);
  EXPECT_EQ(3, ListCount());

  ExpectModal(Button(IDYES));
  ChooseListEntry(1);
  ClickButton(IDC_PRESET_DELETE);  // removes the first section of the name
  ExpectWarning(IDS_DELETE_PRESET);
  CloseProgram();
  EXPECT_EQ("[twin]\r\nHz=415\r\nMidiFormat=1\r\n\r\n[]\r\nHz=466\r\n", ReadFile("Preset.ini"));
}

TEST_F(PresetsTest, DeletedAndSavedAgainMovesToTheEnd) {
  WriteFile("Preset.ini", "[A]\r\nHz=442\r\nMidiFormat=0\r\n\r\n[B]\r\nHz=415\r\nMidiFormat=1\r\n");
  StartProgram();
  ExpectModal(Button(IDYES));
  ChooseListEntry(0);
  ClickButton(IDC_PRESET_DELETE);
  SavePresetAs("A");
  EXPECT_EQ("A", ListEntry(1));
  CloseProgram();
  EXPECT_EQ("[B]\r\nHz=415\r\nMidiFormat=1\r\n\r\n[A]\r\nHz=442.012404\r\nMidiFormat=0\r\n",
            ReadFile("Preset.ini"));
}

TEST_F(PresetsTest, ExitFromTheMenuSavesLikeTheCloseBox) {
  StartProgram();
  SelectFormat(2);
  SavePresetAs("Menu");
  RECT rect;
  GetWindowRect(MainWindow, &rect);
  SendMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
  EXPECT_FALSE(IsWindow(MainWindow));
  char settings[128];
  wsprintfA(settings, "[AppSetting]\r\nLeft=%d\r\nTop=%d\r\nMidiFormat=2\r\n", rect.left, rect.top);
  EXPECT_EQ(settings, ReadFile("Sonorel.ini"));
  EXPECT_EQ("[Menu]\r\nHz=440.000000\r\nMidiFormat=2\r\n", ReadFile("Preset.ini"));
}

TEST_F(PresetsTest, HelpWithoutTheDocumentShowsTheSystemsText) {
  StartProgram();
  Focus(HertzEdit);
  ExpectModal(Button(IDOK));
  Press(VK_F1);
  std::vector<ModalSeen> seen = TakeSeenModals();
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ(ShownString(IDS_ERROR), seen[0].caption);
  std::string expected;
  ASSERT_TRUE(SystemErrorText(expected, ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(expected, seen[0].text);
}

}  // namespace
