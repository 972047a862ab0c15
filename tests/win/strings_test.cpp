// String loading from the program's resources, in the Japanese code page.
#include "ui/strings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "smf/byte_buffer.h"
#include "tests/win/test_support.h"
#include "ui/instance.h"

namespace {

// The buffer sizes that the code under test passes to LoadStringA, one per attempt. The recorder sits in
// the test executable's import table and forwards every call to the real function.
typedef int(WINAPI* LoadStringProc)(HINSTANCE, UINT, LPSTR, int);
LoadStringProc RealLoadStringA = nullptr;
std::vector<int> LoadStringSizes;

int WINAPI RecordingLoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size) {
  LoadStringSizes.push_back(size);
  return RealLoadStringA(module, id, buffer, size);
}

class StringsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    slot_ = ImportSlot(GetModuleHandleA(nullptr), "user32.dll", "LoadStringA");
    ASSERT_NE(nullptr, slot_);
    RealLoadStringA = reinterpret_cast<LoadStringProc>(*slot_);
    WriteSlot(slot_, reinterpret_cast<void*>(&RecordingLoadStringA));
    LoadStringSizes.clear();
  }
  void TearDown() override {
    if (slot_) WriteSlot(slot_, reinterpret_cast<void*>(RealLoadStringA));
  }

  void** slot_ = nullptr;
};

// Digits 0-9 repeated up to `length`, as in the long test strings.
std::string Digits(int length) {
  std::string text;
  for (int i = 0; i < length; ++i) text += static_cast<char>('0' + i % 10);
  return text;
}

struct QuotedString {
  UINT id;
  const char* utf8;
};

const QuotedString ProgramStrings[] = {
    {104, "ダイアログボックスを作成できませんでした。プログラムを終了します。"},
    {105, "エラー"},
    {106, "ＭＳ ゴシック"},
    {108, "標準MIDIファイル (*.mid)\n*.mid\nすべてのファイル (*.*)\n*.*\n"},
    {109, "予期せぬエラーが発生しました。"},
    {110, "テキストファイル (*.txt)\n*.txt\nすべてのファイル (*.*)\n*.*\n"},
    {111, "Sysexバイナリファイル (*.syx)\n*.syx\nすべてのファイル (*.*)\n*.*\n"},
    {112, "警告"},
    {113, "プリセットを上書きしますか?"},
    {114, "プリセットを削除しますか?"},
    {115, "SMFで保存"},
    {116, "バイナリで保存"},
    {117, "テキストで保存"},
    {118, "https://sonorel.example.org/"},
    {119, "author@sonorel.example.org"},
    {134, "FileDescription"},
    {135, "LegalCopyright"},
    {136, "Comments"},
    {137, "WWWブラウザを起動し、インターネットへの接続を試みますか?"},
    {138, "確認"},
};

TEST(AnsiCodePage, IsShiftJis) {
  EXPECT_EQ(932u, GetACP());
  EXPECT_EQ("\x83\x47\x83\x89\x81\x5B", Ansi("エラー"));
}

TEST_F(StringsTest, EveryProgramStringLoadsWholeAtTheFirstAttempt) {
  for (const QuotedString& quoted : ProgramStrings) {
    SCOPED_TRACE(quoted.id);
    LoadStringSizes.clear();
    std::string text = "previous";
    EXPECT_TRUE(LoadResString(text, quoted.id, AppInstance));
    EXPECT_EQ(Ansi(quoted.utf8), text);
    EXPECT_EQ(std::vector<int>({256}), LoadStringSizes);
  }
}

TEST_F(StringsTest, UndefinedNumbersGiveEmptyTextAndFalse) {
  for (UINT id : {107u, 120u, 133u, 159u}) {
    SCOPED_TRACE(id);
    LoadStringSizes.clear();
    std::string text = "previous";
    EXPECT_FALSE(LoadResString(text, id, AppInstance));
    EXPECT_EQ("", text);
    EXPECT_EQ(std::vector<int>({256}), LoadStringSizes);
  }
}

TEST_F(StringsTest, BufferGrowsUntilTheMarginExceedsTwo) {
  struct Case {
    UINT id;
    std::string text;
    std::vector<int> sizes;
  };
  const Case cases[] = {
      {60001, Digits(251) + Ansi("あ"), {256}},       // 253 bytes: margin 3
      {60002, Digits(252) + Ansi("い"), {256, 512}},  // 254 bytes: margin 2
      {60003, Digits(255), {256, 512}},               // 255 bytes: margin 1
      {60004, Digits(254) + Ansi("う"), {256, 512}},  // 256 bytes: cut before the last character
      {60005, Digits(510), {256, 512, 768}},          // 510 bytes: margin 2 in the second buffer
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    LoadStringSizes.clear();
    std::string text;
    EXPECT_TRUE(LoadResString(text, c.id, AppInstance));
    EXPECT_EQ(c.text, text);
    EXPECT_EQ(c.sizes, LoadStringSizes);
  }
}

TEST_F(StringsTest, FilterListsHaveNulsForLineFeedsAndEndInTwoNuls) {
  for (const QuotedString& quoted : ProgramStrings) {
    if (quoted.id != 108 && quoted.id != 110 && quoted.id != 111) continue;
    SCOPED_TRACE(quoted.id);
    std::string expected = Ansi(quoted.utf8);
    for (char& c : expected) {
      if (c == '\n') c = '\0';
    }
    expected += '\0';
    ByteBuffer filter;
    ASSERT_TRUE(LoadFilterString(quoted.id, filter, AppInstance));
    EXPECT_EQ(expected, std::string(reinterpret_cast<const char*>(filter.Data()), filter.Size()));
    ASSERT_GE(filter.Size(), 2u);
    EXPECT_EQ(0, filter.Data()[filter.Size() - 1]);
    EXPECT_EQ(0, filter.Data()[filter.Size() - 2]);
  }
}

TEST_F(StringsTest, TextFilterIsFiftyNineBytes) {
  ByteBuffer filter;
  ASSERT_TRUE(LoadFilterString(110, filter, AppInstance));
  EXPECT_EQ(59u, filter.Size());
  const std::string bytes(reinterpret_cast<const char*>(filter.Data()), filter.Size());
  EXPECT_EQ(Ansi("テキストファイル (*.txt)") + '\0' + "*.txt" + '\0' + Ansi("すべてのファイル (*.*)") + '\0' +
                "*.*" + '\0' + '\0',
            bytes);
}

TEST_F(StringsTest, MissingFilterLeavesTheBufferUntouched) {
  ByteBuffer filter;
  filter.Resize(3);
  std::memcpy(filter.Data(), "abc", 3);
  EXPECT_FALSE(LoadFilterString(107, filter, AppInstance));
  EXPECT_EQ("abc", std::string(reinterpret_cast<const char*>(filter.Data()), filter.Size()));
}

}  // namespace
