// String loading from the program's resources, in the language of the run's code page.
#include "ui/strings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "smf/byte_buffer.h"
#include "tests/win/test_support.h"
#include "tests/win/ui_texts.h"
#include "ui/instance.h"
#include "ui/language.h"

namespace {

// The buffer sizes that the code under test passes to the string copy (LoadStringA's contract), one per
// attempt. The recorder forwards every call to the real copy.
std::vector<int> LoadStringSizes;

int WINAPI RecordingCopy(HINSTANCE module, UINT id, LPSTR buffer, int size) {
  LoadStringSizes.push_back(size);
  return LoadLanguageString(module, id, buffer, size);
}

class StringsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(&LoadLanguageString, CopyResString);
    CopyResString = RecordingCopy;
    LoadStringSizes.clear();
  }
  void TearDown() override { CopyResString = LoadLanguageString; }
};

// Digits 0-9 repeated up to `length`, as in the long test strings.
std::string Digits(int length) {
  std::string text;
  for (int i = 0; i < length; ++i) text += static_cast<char>('0' + i % 10);
  return text;
}

// The locale of the run decides the code page, and the code page the language: Japanese only in 932.
TEST(AnsiCodePage, FollowsTheLocaleAndChoosesTheLanguage) {
  const struct {
    const char* locale;
    UINT codePage;
    LANGID language;
  } cases[] = {
      {"ja_JP", 932, 0x0411},
      {"en_US", 1252, 0x0409},
      {"de_DE", 1252, 0x0409},
      {"ru_RU", 1251, 0x0409},
  };
  // The locale of the code page: LC_ALL, else LC_CTYPE, else LANG.
  const char* locale = std::getenv("LC_ALL");
  if (locale == nullptr || *locale == '\0') locale = std::getenv("LC_CTYPE");
  if (locale == nullptr || *locale == '\0') locale = std::getenv("LANG");
  ASSERT_NE(nullptr, locale);
  bool known = false;
  for (const auto& c : cases) {
    if (std::strncmp(locale, c.locale, 5) != 0) continue;
    known = true;
    EXPECT_EQ(c.codePage, GetACP());
    EXPECT_EQ(c.language, ProgramLanguage());
  }
  EXPECT_TRUE(known) << "a run in the locale " << locale;
  EXPECT_EQ("\x83\x47\x83\x89\x81\x5B", Ansi("エラー"));
}

TEST_F(StringsTest, EveryProgramStringLoadsWholeAtTheFirstAttempt) {
  for (const StringRow& row : ProgramStrings) {
    SCOPED_TRACE(row.id);
    LoadStringSizes.clear();
    std::string text = "previous";
    EXPECT_TRUE(LoadResString(text, row.id, AppInstance));
    EXPECT_EQ(Shown(row.text), text);
    EXPECT_EQ(std::vector<int>({256}), LoadStringSizes);
    if (!JapaneseTexts()) {
      EXPECT_TRUE(IsAscii(text)) << text;
    }
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
    std::string japanese;  // ends in a double-byte character
    std::string english;   // single bytes, of the same length
    std::vector<int> sizes;
  };
  const Case cases[] = {
      {60001, Digits(251) + Ansi("あ"), Digits(253), {256}},       // 253 bytes: margin 3
      {60002, Digits(252) + Ansi("い"), Digits(254), {256, 512}},  // 254 bytes: margin 2
      {60003, Digits(255), Digits(255), {256, 512}},               // 255 bytes: margin 1
      {60004, Digits(254) + Ansi("う"), Digits(256), {256, 512}},  // 256 bytes: cut before the last character
      {60005, Digits(510), Digits(510), {256, 512, 768}},          // 510 bytes: margin 2 in the second buffer
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    LoadStringSizes.clear();
    std::string text;
    EXPECT_TRUE(LoadResString(text, c.id, AppInstance));
    EXPECT_EQ(JapaneseTexts() ? c.japanese : c.english, text);
    EXPECT_EQ(c.sizes, LoadStringSizes);
  }
}

TEST_F(StringsTest, FilterListsHaveNulsForLineFeedsAndEndInTwoNuls) {
  for (const StringRow& row : ProgramStrings) {
    if (row.id != 108 && row.id != 110 && row.id != 111) continue;
    SCOPED_TRACE(row.id);
    std::string expected = Shown(row.text);
    for (char& c : expected) {
      if (c == '\n') c = '\0';
    }
    expected += '\0';
    ByteBuffer filter;
    ASSERT_TRUE(LoadFilterString(row.id, filter, AppInstance));
    EXPECT_EQ(expected, std::string(reinterpret_cast<const char*>(filter.Data()), filter.Size()));
    ASSERT_GE(filter.Size(), 2u);
    EXPECT_EQ(0, filter.Data()[filter.Size() - 1]);
    EXPECT_EQ(0, filter.Data()[filter.Size() - 2]);
  }
}

// 59 bytes in Japanese, 46 in English.
TEST_F(StringsTest, TextFilterHasItsFourPartsAndTwoNuls) {
  ByteBuffer filter;
  ASSERT_TRUE(LoadFilterString(110, filter, AppInstance));
  const std::string bytes(reinterpret_cast<const char*>(filter.Data()), filter.Size());
  if (JapaneseTexts()) {
    EXPECT_EQ(59u, filter.Size());
    EXPECT_EQ(Ansi("テキストファイル (*.txt)") + '\0' + "*.txt" + '\0' + Ansi("すべてのファイル (*.*)") +
                  '\0' + "*.*" + '\0' + '\0',
              bytes);
  } else {
    EXPECT_EQ(46u, filter.Size());
    EXPECT_EQ(std::string("Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0", 45) + '\0', bytes);
  }
}

TEST_F(StringsTest, MissingFilterLeavesTheBufferUntouched) {
  ByteBuffer filter;
  filter.Resize(3);
  std::memcpy(filter.Data(), "abc", 3);
  EXPECT_FALSE(LoadFilterString(107, filter, AppInstance));
  EXPECT_EQ("abc", std::string(reinterpret_cast<const char*>(filter.Data()), filter.Size()));
}

}  // namespace
