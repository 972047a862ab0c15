// MIDI > write into songs: the real open dialog answered by typing names, then the result box.
#include "app/song_command.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "res/resource.h"
#include "tests/win/modal.h"
#include "tests/win/program_fixture.h"
#include "tests/win/ui_texts.h"
#include "ui/errors.h"

namespace {

const int OpenDialogFileNameCombo = 0x47c;  // cmb13 of the Explorer-style dialog

std::string Bytes(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i < hex.size();) {
    if (hex[i] == ' ' || hex[i] == '|') {
      ++i;
      continue;
    }
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    i += 2;
  }
  return bytes;
}

// Format 0, division 480, one track.
std::string Song(const std::string& events) {
  std::string body = Bytes(events);
  std::string song = Bytes("4D 54 68 64 00 00 00 06 00 00 00 01 01 E0 4D 54 72 6B");
  for (int shift = 24; shift >= 0; shift -= 8) song += static_cast<char>((body.size() >> shift) & 0xFF);
  return song + body;
}

const char* const Original =
    "00 F0 0A 41 10 42 12 40 00 7F 00 41 F7 | 83 60 90 3C 64 | 60 3C 00 | 00 FF 2F 00";
const char* const WithGsTune =
    "00 F0 0A 41 10 42 12 40 00 7F 00 41 F7 | 30 F0 0D 41 10 42 12 40 00 00 00 04 04 0F 29 F7 | 83 30 90 3C "
    "64 | "
    "60 3C 00 | 00 FF 2F 00";

class SongCommandTest : public ProgramTest {
 protected:
  // The dialog is first sent to the test's folder (a folder typed and confirmed opens it, as for a user),
  // then `names` is typed and confirmed.
  void ChooseSongs(const std::string& names) {
    ModalAnswer answer = FileName(names);
    std::string folder = folder_;
    answer.inspect = [folder](HWND dialog) {
      SetDlgItemTextA(dialog, OpenDialogFileNameCombo, folder.c_str());
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
    ExpectModal(answer);
  }

  void RunCommand() {
    SendMessageA(MainWindow, WM_COMMAND, MAKEWPARAM(IDM_WRITE_SONG, 0), 0);
    Pump();
  }
};

TEST_F(SongCommandTest, ChosenSongsGetTheCurrentMessageAndOneBoxListsEach) {
  StartProgram();
  TypeInto(HertzEdit, "442");
  Press(VK_TAB);
  WriteFile("a.mid", Song(Original));
  WriteFile("b.mid", Song(WithGsTune));
  const std::string damaged = Song("00 F0 0A 41 10 42 12 40 00 7F 00 41 F7 | 00 3C 64 | 00 FF 2F 00");
  WriteFile("damaged.mid", damaged);
  WriteFile("text.mid", "not a song");
  WriteFile("a.mid.tmp", "the user's own");
  ChooseSongs("\"a.mid\" \"b.mid\" \"damaged.mid\" \"text.mid\"");
  ExpectModal(Button(IDOK));
  RunCommand();

  EXPECT_EQ(Song(WithGsTune), ReadFile("a.mid"));
  EXPECT_EQ(Song(WithGsTune), ReadFile("b.mid"));
  EXPECT_EQ(damaged, ReadFile("damaged.mid"));
  EXPECT_EQ("not a song", ReadFile("text.mid"));
  // The new songs were written in files of their own, which are gone; the user's file is untouched.
  EXPECT_EQ("the user's own", ReadFile("a.mid.tmp"));
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(FolderPath("*.*.tmp").c_str(), &found);
  ASSERT_NE(INVALID_HANDLE_VALUE, search);
  EXPECT_STREQ("a.mid.tmp", found.cFileName);
  EXPECT_FALSE(FindNextFileA(search, &found)) << found.cFileName;
  FindClose(search);
  EXPECT_EQ(0, PendingModals());

  std::vector<ModalSeen> seen = TakeSeenModals();
  ASSERT_EQ(2u, seen.size());
  EXPECT_EQ(ShownString(IDS_TITLE_WRITE_SONG), seen[0].caption);
  RECT owner;
  GetWindowRect(MainWindow, &owner);
  // Centred at the size it has when it is created; the dialog then grows its own layout a little.
  EXPECT_NEAR((owner.left + owner.right) / 2, (seen[0].rect.left + seen[0].rect.right) / 2, 20);
  EXPECT_NEAR((owner.top + owner.bottom) / 2, (seen[0].rect.top + seen[0].rect.bottom) / 2, 20);
  EXPECT_EQ(ShownString(IDS_TITLE_WRITE_SONG), seen[1].caption);
  EXPECT_EQ(MainWindow, seen[1].owner);
  // The dialog lists the names in its own order; each song has its lines.
  const UiText expected[] = {
      {"a.mid: GSのマスターチューンをトラック1のティック48に挿入しました（GS Resetの後）。",
       "a.mid: GS master tune inserted in track 1 at tick 48 (after GS Reset)."},
      {"b.mid: GSのマスターチューンはトラック1のティック48にすでにあります。変更はありません。",
       "b.mid: the GS master tune is already in track 1 at tick 48. Nothing changed."},
      {"damaged.mid: 書き込めませんでした。ファイルを最後まで読めません（track 1: data byte 3C at byte 36 "
       "has "
       "no status byte before it）。",
       "damaged.mid: not written. The file cannot be read to its end (track 1: data byte 3C at byte 36 has "
       "no "
       "status byte before it)."},
      {"text.mid: 書き込めませんでした。標準MIDIファイルではありません。",
       "text.mid: not written. This is not a Standard MIDI File."},
  };
  for (const UiText& line : expected) {
    EXPECT_NE(std::string::npos, seen[1].text.find(Shown(line))) << Shown(line);
  }
}

TEST_F(SongCommandTest, OneSongByItsFullPathInXgWithItsWarnings) {
  StartProgram();
  SelectFormat(1);
  TypeInto(HertzEdit, "442");
  Press(VK_TAB);
  // An XG System On with device 12, and a GS tune that stays.
  WriteFile("xg.mid",
            Song("00 F0 08 43 12 4C 00 00 7E 00 F7 | 00 F0 0D 41 10 42 12 40 00 00 00 04 00 00 3C F7 | "
                 "10 90 3C 64 | 00 FF 2F 00"));
  ExpectModal(FileName(FolderPath("xg.mid")));
  ExpectModal(Button(IDOK));
  RunCommand();
  EXPECT_EQ(Song("00 F0 08 43 12 4C 00 00 7E 00 F7 | 00 F0 0D 41 10 42 12 40 00 00 00 04 00 00 3C F7 | "
                 "10 F0 0B 43 12 4C 00 00 00 00 04 04 0F F7 | 00 90 3C 64 | 00 FF 2F 00"),
            ReadFile("xg.mid"));
  std::vector<ModalSeen> seen = TakeSeenModals();
  ASSERT_EQ(2u, seen.size());
  const UiText expected = {
      "xg.mid: XGのマスターチューンをトラック1のティック16に挿入しました（XG System Onの後）。\r\n"
      "　トラック1のティック0にあるGSのマスターチューンはそのままです。\r\n"
      "　最初の音符（トラック1のティック16）まで50ミリ秒ありません。",
      "xg.mid: XG master tune inserted in track 1 at tick 16 (after XG System On).\r\n"
      "  The GS master tune in track 1 at tick 0 is left as it is.\r\n"
      "  Less than 50 ms before the first note (track 1, tick 16)."};
  EXPECT_EQ(Shown(expected), seen[1].text);
}

TEST_F(SongCommandTest, ASongHeldOpenElsewhereShowsTheSystemsTextAndCancelDoesNothing) {
  StartProgram();
  WriteFile("held.mid", Song(Original));
  HANDLE held = CreateFileA(FolderPath("held.mid").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  ExpectModal(FileName(FolderPath("held.mid")));
  ExpectModal(Button(IDOK));
  RunCommand();
  CloseHandle(held);
  EXPECT_EQ(Song(Original), ReadFile("held.mid"));
  std::vector<ModalSeen> seen = TakeSeenModals();
  ASSERT_EQ(2u, seen.size());
  std::string reason;
  ASSERT_TRUE(SystemErrorText(reason, ERROR_SHARING_VIOLATION));
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  EXPECT_EQ(Shown({"held.mid: 書き込めませんでした。", "held.mid: not written. "}) + reason, seen[1].text);

  ExpectModal(Button(IDCANCEL));
  RunCommand();
  EXPECT_EQ(1u, TakeSeenModals().size());  // the dialog, and no box after it
  EXPECT_EQ(Song(Original), ReadFile("held.mid"));
}

TEST(ChosenPaths, OneFullPathOrAFolderAndNames) {
  const char single[] = "C:\\songs\\a.mid\0";
  EXPECT_EQ(std::vector<std::string>{"C:\\songs\\a.mid"}, ChosenPaths(single, 9));
  const char several[] = "C:\\songs\0a.mid\0b.mid\0";
  EXPECT_EQ((std::vector<std::string>{"C:\\songs\\a.mid", "C:\\songs\\b.mid"}), ChosenPaths(several, 9));
  const char root[] = "C:\\\0a.mid\0b.mid\0";
  EXPECT_EQ((std::vector<std::string>{"C:\\a.mid", "C:\\b.mid"}), ChosenPaths(root, 4));
}

}  // namespace
