// The three save commands, answered in the real save dialog as a user would.
#include "app/export.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/main_window.h"
#include "engine/tune_message.h"
#include "res/resource.h"
#include "tests/win/modal.h"
#include "tests/win/program_fixture.h"
#include "tests/win/ui_texts.h"
#include "ui/errors.h"

namespace {

std::string Bytes(const char* hex) {
  std::string bytes;
  for (const char* p = hex; *p != '\0';) {
    if (*p == ' ') {
      ++p;
      continue;
    }
    bytes += static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16));
    p += 2;
  }
  return bytes;
}

const char SmfHeader[] = "4D 54 68 64 00 00 00 06 00 00 00 01 00 78 4D 54 72 6B ";

class ExportTest : public ProgramTest {
 protected:
  // Runs a save command and answers its dialog with a name in the program folder.
  void SaveAs(int command, const std::string& name) {
    ExpectModal(FileName(FolderPath(name.c_str())));
    SendMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED), 0);
    Pump();
  }

  void ExpectErrorBox(DWORD code) {
    std::vector<ModalSeen> seen = TakeSeenModals();
    ASSERT_FALSE(seen.empty());
    std::string expected;
    ASSERT_TRUE(SystemErrorText(expected, code));
    EXPECT_EQ(ShownString(IDS_ERROR), seen.back().caption);
    EXPECT_EQ(expected, seen.back().text);
    EXPECT_EQ(MainWindow, seen.back().owner);
  }
};

TEST_F(ExportTest, EachFormatAndFileTypeGivesExactlyTheMessagesBytes) {
  StartProgram();
  const struct {
    int format;
    const char* hertz;
    const char* smfTail;  // after "MTrk"
    const char* message;
  } cases[] = {
      {0, "440", "00 00 00 14 00 F0 0D 41 10 42 12 40 00 00 00 04 00 00 3C F7 00 FF 2F 00",
       "F0 41 10 42 12 40 00 00 00 04 00 00 3C F7"},
      {1, "440", "00 00 00 12 00 F0 0B 43 10 4C 00 00 00 00 04 00 00 F7 00 FF 2F 00",
       "F0 43 10 4C 00 00 00 00 04 00 00 F7"},
      {2, "440", "00 00 00 0E 00 F0 07 7F 7F 04 03 00 40 F7 00 FF 2F 00", "F0 7F 7F 04 03 00 40 F7"},
      {0, "442", "00 00 00 14 00 F0 0D 41 10 42 12 40 00 00 00 04 04 0F 29 F7 00 FF 2F 00",
       "F0 41 10 42 12 40 00 00 00 04 04 0F 29 F7"},
      {1, "442", "00 00 00 12 00 F0 0B 43 10 4C 00 00 00 00 04 04 0F F7 00 FF 2F 00",
       "F0 43 10 4C 00 00 00 00 04 04 0F F7"},
      {2, "442", "00 00 00 0E 00 F0 07 7F 7F 04 03 03 45 F7 00 FF 2F 00", "F0 7F 7F 04 03 03 45 F7"},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.hertz) + " Hz, format " + std::to_string(c.format));
    SelectFormat(c.format);
    TypeInto(HertzEdit, c.hertz);
    Press(VK_TAB);
    std::string base = "tune" + std::to_string(++n);
    SaveAs(IDC_SAVE_SMF, base + ".mid");
    SaveAs(IDC_SAVE_SYSEX, base + ".syx");
    SaveAs(IDC_SAVE_TEXT, base + ".txt");
    std::string smf = Bytes((std::string(SmfHeader) + c.smfTail).c_str());
    EXPECT_EQ(smf, ReadFile((base + ".mid").c_str()));
    EXPECT_EQ(Bytes(c.message), ReadFile((base + ".syx").c_str()));
    EXPECT_EQ(c.message, ReadFile((base + ".txt").c_str()));
    EXPECT_EQ(smf.size(), Bytes(c.message).size() + 28);
  }
  std::vector<ModalSeen> seen = TakeSeenModals();
  ASSERT_EQ(18u, seen.size());
  EXPECT_EQ(ShownString(IDS_TITLE_SMF), seen[0].caption);
  EXPECT_EQ(ShownString(IDS_TITLE_SYSEX), seen[1].caption);
  EXPECT_EQ(ShownString(IDS_TITLE_TEXT), seen[2].caption);
}

TEST_F(ExportTest, ShortcutsOpenTheDialogCentredAndANameGetsTheDefaultExtension) {
  StartProgram();
  const struct {
    UINT key;
    const char* file;
  } cases[] = {{'S', "answer.mid"}, {'B', "answer.syx"}, {'T', "answer.txt"}};
  for (const auto& c : cases) {
    Focus(CentsEdit);  // the accelerators work from inside the pitch fields too
    ExpectModal(FileName(FolderPath("answer")));
    Press(c.key, true);
    EXPECT_TRUE(FileExists(c.file)) << c.file;
  }
  RECT owner;
  GetWindowRect(MainWindow, &owner);
  for (const ModalSeen& seen : TakeSeenModals()) {
    EXPECT_NEAR((owner.left + owner.right) / 2, (seen.rect.left + seen.rect.right) / 2, 1);
    // Centred at the size it has when it is created; the dialog then grows its own layout a little.
    EXPECT_NEAR((owner.top + owner.bottom) / 2, (seen.rect.top + seen.rect.bottom) / 2, 20);
  }
}

TEST_F(ExportTest, CancelWritesNothing) {
  StartProgram();
  ExpectModal(Button(IDCANCEL));
  ClickButton(IDC_SAVE_SMF);
  EXPECT_EQ(1u, TakeSeenModals().size());
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(FolderPath("*.mid").c_str(), &found);
  EXPECT_EQ(INVALID_HANDLE_VALUE, search);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_F(ExportTest, OverwritingAsksFirstAndReplacesTheWholeFile) {
  StartProgram();
  const std::string old(100, 'x');
  WriteFile("old.syx", old);

  ModalAnswer keep = Button(IDCANCEL);
  keep.ownerAgain = true;
  ExpectModal(FileName(FolderPath("old.syx")));
  ExpectModal(Button(IDNO));
  ExpectModal(keep);  // back in the save dialog after No: cancel it
  ClickButton(IDC_SAVE_SYSEX);
  EXPECT_EQ(old, ReadFile("old.syx"));
  std::vector<ModalSeen> seen = TakeSeenModals();
  ASSERT_EQ(3u, seen.size());
  EXPECT_EQ(seen[0].window, seen[1].owner);  // the question belongs to the save dialog

  ExpectModal(FileName(FolderPath("old.syx")));
  ExpectModal(Button(IDYES));
  ClickButton(IDC_SAVE_SYSEX);
  EXPECT_EQ(Bytes("F0 41 10 42 12 40 00 00 00 04 00 00 3C F7"), ReadFile("old.syx"));
}

TEST_F(ExportTest, ATargetHeldOpenElsewhereShowsTheSystemsTextAndWritesNothing) {
  StartProgram();
  WriteFile("held.mid", "old");
  HANDLE held = CreateFileA(FolderPath("held.mid").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  ExpectModal(FileName(FolderPath("held.mid")));
  ExpectModal(Button(IDYES));  // the dialog's own overwrite question
  ExpectModal(Button(IDOK));   // the error box
  ClickButton(IDC_SAVE_SMF);
  CloseHandle(held);
  ExpectErrorBox(ERROR_SHARING_VIOLATION);
  EXPECT_EQ("old", ReadFile("held.mid"));
}

TEST_F(ExportTest, AFullDiskShowsTheSystemsText) {
  StartProgram();
  // Wine maps Z:\dev\full to the device that takes no bytes; its save dialog cannot browse Z:\dev.
  ExpectModal(Button(IDOK));
  WriteExportFile(MainWindow, "Z:\\dev\\full", TuneHexText, 41);
  ExpectErrorBox(ERROR_DISK_FULL);
}

// A write that stores fewer bytes than asked and still reports success, as a nearly full disk may.
typedef BOOL(WINAPI* WriteFileFunction)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
WriteFileFunction RealWriteFile = nullptr;

BOOL WINAPI ShortWriteFile(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written,
                           LPOVERLAPPED overlapped) {
  BOOL result = RealWriteFile(file, bytes, count / 2, written, overlapped);
  SetLastError(0);
  return result;
}

TEST_F(ExportTest, AShortWriteIsAFailureToo) {
  StartProgram();
  void** slot = ImportSlot(GetModuleHandleA(nullptr), "kernel32.dll", "WriteFile");
  ASSERT_NE(nullptr, slot);
  void* real = *slot;
  RealWriteFile = reinterpret_cast<WriteFileFunction>(real);
  WriteSlot(slot, reinterpret_cast<void*>(&ShortWriteFile));
  ExpectModal(FileName(FolderPath("short.syx")));
  ExpectModal(Button(IDOK));
  ClickButton(IDC_SAVE_SYSEX);
  WriteSlot(slot, real);
  ExpectErrorBox(ERROR_WRITE_FAULT);
  EXPECT_EQ(7u, ReadFile("short.syx").size());
}

TEST_F(ExportTest, AFolderThatDoesNotExistShowsTheSystemsText) {
  StartProgram();
  // The save dialog itself refuses such a name, so the write is driven directly, as after the dialog.
  ExpectModal(Button(IDOK));
  WriteExportFile(MainWindow, FolderPath("missing\\tune.mid").c_str(), "x", 1);
  ExpectErrorBox(ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(FileExists("missing"));
}

}  // namespace
