#include "tests/win/ui_texts.h"

#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/win/test_support.h"

const std::vector<StringRow> ProgramStrings = {
    {104,
     {"ダイアログボックスを作成できませんでした。プログラムを終了します。",
      "The dialog box could not be created. The program will close."}},
    {105, {"エラー", "Error"}},
    {106, {"ＭＳ ゴシック", "Courier New"}},
    {108,
     {"標準MIDIファイル (*.mid)\n*.mid\nすべてのファイル (*.*)\n*.*\n",
      "Standard MIDI files (*.mid)\n*.mid\nAll files (*.*)\n*.*\n"}},
    {109, {"予期せぬエラーが発生しました。", "An unexpected error has occurred."}},
    {110,
     {"テキストファイル (*.txt)\n*.txt\nすべてのファイル (*.*)\n*.*\n",
      "Text files (*.txt)\n*.txt\nAll files (*.*)\n*.*\n"}},
    {111,
     {"Sysexバイナリファイル (*.syx)\n*.syx\nすべてのファイル (*.*)\n*.*\n",
      "SysEx binary files (*.syx)\n*.syx\nAll files (*.*)\n*.*\n"}},
    {112, {"警告", "Warning"}},
    {113, {"プリセットを上書きしますか?", "Do you want to overwrite the preset?"}},
    {114, {"プリセットを削除しますか?", "Do you want to delete the preset?"}},
    {115, {"SMFで保存", "Save as SMF"}},
    {116, {"バイナリで保存", "Save as binary"}},
    {117, {"テキストで保存", "Save as text"}},
    {118, {"https://sonorel.example.org/", "https://sonorel.example.org/"}},
    {119, {"author@sonorel.example.org", "author@sonorel.example.org"}},
    {134, {"FileDescription", "FileDescription"}},
    {135, {"LegalCopyright", "LegalCopyright"}},
    {136, {"Comments", "Comments"}},
    {137,
     {"WWWブラウザを起動し、インターネットへの接続を試みますか?",
      "Do you want to start the web browser and connect to the Internet?"}},
    {138, {"確認", "Confirm"}},
    {139, {"曲に書き込む", "Write into songs"}},
    {140,
     {"%1: %2のマスターチューンをトラック%3のティック%4に挿入しました（%5の後）。",
      "%1: %2 master tune inserted in track %3 at tick %4 (after %5)."}},
    {141,
     {"%1: %2のマスターチューンをトラック%3のティック%4に挿入しました（リセットはありません）。",
      "%1: %2 master tune inserted in track %3 at tick %4 (no reset message)."}},
    {142,
     {"%1: トラック%3のティック%4の%2のマスターチューンを書き換えました（%5か所）。",
      "%1: %2 master tune in track %3 at tick %4 rewritten (%5 place(s))."}},
    {143,
     {"%1: %2のマスターチューンはトラック%3のティック%4にすでにあります。変更はありません。",
      "%1: the %2 master tune is already in track %3 at tick %4. Nothing changed."}},
    {144,
     {"　トラック%1のティック%2にある%3のマスターチューンはそのままです。",
      "  The %3 master tune in track %1 at tick %2 is left as it is."}},
    {145,
     {"　最初の音符（トラック%1のティック%2）まで50ミリ秒ありません。",
      "  Less than 50 ms before the first note (track %1, tick %2)."}},
    {146,
     {"　トラック%1の終わり（ティック%2）をマスターチューンの後ろへ移しました。",
      "  The end of track %1 (tick %2) was moved after the master tune."}},
    {147, {"%1: 書き込めませんでした。%2", "%1: not written. %2"}},
    {148, {"標準MIDIファイルではありません。", "This is not a Standard MIDI File."}},
    {149, {"ファイルを最後まで読めません（%1）。", "The file cannot be read to its end (%1)."}},
    {150, {"フォーマット0と1の曲にだけ書き込めます。", "Only songs of format 0 and 1 can be written."}},
    {151, {"トラックがありません。", "The song has no track."}},
    {152, {"トラックが大きくなりすぎます。", "A track would become too large."}},
    {160, {"MIDI出力ポートが見つかりません。", "No MIDI output port was found."}},
    {161, {"MIDIポート「%s」を開けませんでした。\n%s", "Could not open the MIDI port \"%s\".\n%s"}},
    {162,
     {"MIDIポート「%s」に送るデータを準備できませんでした。\n%s",
      "Could not prepare the data for the MIDI port \"%s\".\n%s"}},
    {163, {"MIDIポート「%s」に送信できませんでした。\n%s", "Could not send to the MIDI port \"%s\".\n%s"}},
    {164,
     {"MIDIポート「%s」が%sミリ秒以内に送信を終えませんでした。",
      "The MIDI port \"%s\" did not finish sending within %s milliseconds."}},
    {165, {"MIDIポート「%s」を閉じられませんでした。\n%s", "Could not close the MIDI port \"%s\".\n%s"}},
    {166, {"(なし)", "(none)"}},
};

namespace {
const UiText None = {nullptr, nullptr};
}

const std::vector<ControlRow> MainWindowControls = {
    {-1, "Static", {"", ""}},
    {-1, "Static", {"プリセット(&E):", "Pr&eset:"}},
    {IDC_PRESET, "ComboBox", None},
    {IDC_PRESET_SAVE, "Button", {"保存(&V)", "Sa&ve"}},
    {IDC_PRESET_DELETE, "Button", {"削除(&L)", "De&lete"}},
    {-1, "Static", {"フォーマット(&R):", "Fo&rmat:"}},
    {IDC_FORMAT, "ComboBox", None},
    {-1, "Button", {"音程:", "Pitch"}},
    {-1, "Static", {"ヘルツ(&Z):", "Hert&z:"}},
    {IDC_HERTZ, "Edit", None},
    {IDC_HERTZ_SPIN, "msctls_updown32", {"", ""}},
    {-1, "Static", {"セント(&C):", "&Cents:"}},
    {IDC_CENTS, "Edit", None},
    {IDC_CENTS_SPIN, "msctls_updown32", {"", ""}},
    {IDC_RESET, "Button", {"初期値に戻す(&A)", "Reset to def&ault"}},
    {-1, "Static", {"Sysexデータ(&D):", "SysEx &data:"}},
    {IDC_SYSEX, "Edit", None},
    {IDC_SAVE_SMF, "Button", {"SMFで保存(&S)...", "&Save as SMF..."}},
    {IDC_SAVE_SYSEX, "Button", {"バイナリで保存(&B)...", "Save as &binary..."}},
    {IDC_SAVE_TEXT, "Button", {"テキストで保存(&T)...", "Save as &text..."}},
};

const std::vector<ControlRow> AboutBoxControls = {
    {IDCANCEL, "Button", {"OK", "OK"}},
    {IDC_ABOUT_ICON, "Static", None},  // the icon's resource number
    {IDC_ABOUT_DESCRIPTION, "Static", None},
    {IDC_ABOUT_COMMENTS, "Edit", None},
    {-1, "Static", {"プログラムのパス:", "Program path:"}},
    {IDC_ABOUT_PATH, "Edit", None},
    {IDC_ABOUT_EXPLORE, "Button", {"...", "..."}},
    {-1, "Static", {"電子メール:", "E-mail:"}},
    {IDC_ABOUT_MAIL, "Button", {"author@sonorel.example.org", "author@sonorel.example.org"}},
    {-1, "Static", {"WWWサイト:", "Web site:"}},
    {IDC_ABOUT_WEB, "Button", {"https://sonorel.example.org/", "https://sonorel.example.org/"}},
    {IDC_ABOUT_COPYRIGHT, "Static", {"Copyright (C) 2004-2026 Sonorel", "Copyright (C) 2004-2026 Sonorel"}},
};

const std::vector<MenuRow> MainMenuItems = {
    {0, 0, {"ファイル(&F)", "&File"}},
    {1, IDM_SAVE_SMF, {"SMFで保存(&S)...\tCtrl+S", "&Save as SMF...\tCtrl+S"}},
    {1, IDM_SAVE_SYSEX, {"バイナリで保存(&B)...\tCtrl+B", "Save as &binary...\tCtrl+B"}},
    {1, IDM_SAVE_TEXT, {"テキストで保存(&T)...\tCtrl+T", "Save as &text...\tCtrl+T"}},
    {1, IDM_EXIT, {"終了(&X)", "E&xit"}},
    {0, 0, {"MIDI(&M)", "&MIDI"}},
    {1, IDM_WRITE_SONG, {"曲に書き込む(&W)...", "&Write into songs..."}},
    {1, IDM_SEND, {"送信(&S)", "&Send"}},
    {1, 0, {"送信先(&O)", "Send t&o"}},
    {2, IDM_PORT_NONE, {"(なし)", "(none)"}},
    {0, 0, {"ヘルプ(&H)", "&Help"}},
    {1, IDM_HELP, {"説明書(&H)\tF1", "&Help Topics\tF1"}},
    {1, IDM_ABOUT, {"バージョン情報(&V)...", "&Version Information..."}},
};

const UiText MainWindowCaption = {"MIDIソノレル", "MIDI Sonorel"};
const UiText AboutBoxCaption = {"バージョン情報", "Version Information"};
const UiText VersionDescription = {"MIDIソノレル version 1.00", "MIDI Sonorel version 1.00"};
const UiText VersionComments = {"MIDI機器のマスターチューニング用Sysexデータを作成します。",
                                "Creates SysEx data for the master tuning of MIDI devices."};

bool JapaneseTexts() { return GetACP() == 932; }

std::string Shown(const UiText& text) { return JapaneseTexts() ? Ansi(text.japanese) : text.english; }

std::string ShownString(UINT id) {
  for (const StringRow& row : ProgramStrings) {
    if (row.id == id) return Shown(row.text);
  }
  ADD_FAILURE() << "no row for string " << id << " in ProgramStrings";
  return "";
}

bool IsAscii(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}
