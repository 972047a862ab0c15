#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ini/ini_file.h"
#include "ini/replace_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

using Document = std::vector<std::pair<std::string, std::vector<std::string>>>;

Document Contents(const IniFile& ini) {
  Document document;
  for (const IniSection& section : ini.Sections()) document.emplace_back(section.name, section.lines);
  return document;
}

std::string UniqueName() {
  static std::random_device device;
  static std::mt19937_64 generator(device());
  char text[40];
  std::snprintf(text, sizeof text, "sonorel-ini-%016llx", static_cast<unsigned long long>(generator()));
  return text;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
  ASSERT_EQ(std::fclose(file), 0);
}

std::string ReadBytes(const std::string& path) {
  std::string bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return "<missing>";
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  std::fclose(file);
  return bytes;
}

std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The document made of n presets as the program writes them: "[Preset i]", Hz and MidiFormat.
void AddPresets(IniFile& ini, int count) {
  for (int i = 0; i < count; ++i) {
    std::string name = "Preset " + std::to_string(i);
    ini.SetValue(name.c_str(), "Hz", "442.012404");
    ini.SetValue(name.c_str(), "MidiFormat", "1");
  }
}

class IniFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = (fs::temp_directory_path() / UniqueName()).string();
    ASSERT_TRUE(fs::create_directories(folder_));
  }
  void TearDown() override {
    std::error_code ignored;
    if (!folder_.empty()) fs::remove_all(folder_, ignored);
  }

  std::string PathOf(const std::string& name) const { return (fs::path(folder_) / name).string(); }

  // Loads ini from a file holding exactly these bytes.
  void LoadBytes(IniFile& ini, const std::string& bytes, const std::string& name = "test.ini") {
    WriteBytes(PathOf(name), bytes);
    ASSERT_TRUE(ini.Load(PathOf(name).c_str()));
  }

  std::string SavedBytes(const IniFile& ini) {
    ini.Save();
    return ReadBytes(ini.Path());
  }

  std::string folder_;
};

// ---- Reading ----

struct ReadCase {
  const char* label;
  std::string input;
  Document expected;
};

const Document kPlain = {{"S", {"k=v", "x"}}};

const ReadCase kReadCases[] = {
    {"LF line ends", "[S]\nk=v\nx\n", kPlain},
    {"CR LF line ends", "[S]\r\nk=v\r\nx\r\n", kPlain},
    {"mixed line ends", "[S]\r\nk=v\nx\r\n", kPlain},
    {"last line without LF", "[S]\nk=v\nx", kPlain},
    {"lone CR stays in the line", "[S]\nk=a\rb\nx\r\r\n", {{"S", {"k=a\rb", "x\r"}}}},
    {"CR at the end of the input stays", "[S]\nx\r", {{"S", {"x\r"}}}},
    {"header followed by a lone CR is a line", "[S]\n[T]\r", {{"S", {"[T]\r"}}}},
    {"1A ends the input mid-line",
     "[S]\nk=v\x1A"
     "x\n[T]\ny=1\n",
     {{"S", {"k=v"}}}},
    {"1A ends the input at a line start", "[S]\nk=v\n\x1A[T]\ny=1\n", {{"S", {"k=v"}}}},
    {"empty lines are ignored", "\n\r\n[S]\n\n\nk=v\n\r\nx\n\n", kPlain},
    {"only a leading ';' makes a comment", "; top\n[S]\n;k=1\n ;kept\nk=v;c\n", {{"S", {" ;kept", "k=v;c"}}}},
    {"lines before the first header are dropped", "a=1\nb\n[S]\nk=v\nx\n", kPlain},
    {"UTF-8 BOM hides the first header", "\xEF\xBB\xBF[A]\nk=1\n[B]\nm=2\n", {{"B", {"m=2"}}}},
    {"[] names a section with an empty name", "[]\nk=v\n", {{"", {"k=v"}}}},
    {"not headers", "[A]\n[\n [A]\n[A] \n[A]x\n]\n", {{"A", {"[", " [A]", "[A] ", "[A]x", "]"}}}},
    {"[[x]] names [x]", "[[x]]\n", {{"[x]", {}}}},
    {"names keep case, blanks and '='", "[ Mixed Case = 1 ]\n", {{" Mixed Case = 1 ", {}}}},
    {"duplicate names are separate sections",
     "[P]\nk=1\n[p]\nk=2\n[P]\n",
     {{"P", {"k=1"}}, {"p", {"k=2"}}, {"P", {}}}},
    {"NUL bytes are carried", "[a\0b]\nk=\0\n"s, {{"a\0b"s, {"k=\0"s}}}},
    {"empty file", "", {}},
};

TEST_F(IniFileTest, ReadsLinesByTheTextModeRules) {
  for (const ReadCase& c : kReadCases) {
    SCOPED_TRACE(c.label);
    IniFile ini;
    LoadBytes(ini, c.input);
    EXPECT_EQ(Contents(ini), c.expected);
  }
}

TEST_F(IniFileTest, LfAndCrLfFilesSaveTheSameCrLfBytes) {
  IniFile lf, crlf;
  LoadBytes(lf, "[S]\nk=v\n\n[T]\ny\n", "lf.ini");
  LoadBytes(crlf, "[S]\r\nk=v\r\n\r\n[T]\r\ny\r\n", "crlf.ini");
  const std::string expected = "[S]\r\nk=v\r\n\r\n[T]\r\ny\r\n";
  EXPECT_EQ(SavedBytes(lf), expected);
  EXPECT_EQ(SavedBytes(crlf), expected);
}

TEST_F(IniFileTest, WorkedExampleNormalisesOnSave) {
  IniFile ini;
  LoadBytes(ini, "; tuning presets\nHz=1\n[A]\nHz=440.000000\n\n[a]\nx\n[B] \nMidiFormat=1\n");

  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"A", "a"}));
  std::string value;
  ASSERT_TRUE(ini.GetValue("a", "Hz", value));
  EXPECT_EQ(value, "440.000000");
  EXPECT_FALSE(ini.GetValue("A", "MidiFormat", value)) << "lookups stop at the first section";
  EXPECT_FALSE(ini.HasSection("B"));

  EXPECT_EQ(SavedBytes(ini), "[A]\r\nHz=440.000000\r\n\r\n[a]\r\nx\r\n[B] \r\nMidiFormat=1\r\n");
}

TEST_F(IniFileTest, LoadReplacesThePreviousContent) {
  IniFile ini;
  LoadBytes(ini, "[Old]\nk=1\n", "old.ini");
  LoadBytes(ini, "[New]\nk=2\n", "new.ini");
  EXPECT_EQ(Contents(ini), (Document{{"New", {"k=2"}}}));
  EXPECT_EQ(ini.Path(), PathOf("new.ini"));
}

TEST_F(IniFileTest, LoadFailureKeepsContentButBindsThePath) {
  IniFile ini;
  LoadBytes(ini, "[Kept]\nk=1\n");
  const std::string missing = PathOf("missing.ini");
  EXPECT_FALSE(ini.Load(missing.c_str()));
  EXPECT_EQ(Contents(ini), (Document{{"Kept", {"k=1"}}}));
  EXPECT_EQ(ini.Path(), missing);
}

TEST_F(IniFileTest, LoadOfMissingFileThenSaveCreatesIt) {
  const std::string path = PathOf("Preset.ini");
  IniFile ini;
  EXPECT_FALSE(ini.Load(path.c_str()));
  ini.SetValue("Concert 442", "Hz", "442.012404");
  ini.SetValue("Concert 442", "MidiFormat", "0");
  EXPECT_EQ(SavedBytes(ini), "[Concert 442]\r\nHz=442.012404\r\nMidiFormat=0\r\n");
  EXPECT_EQ(FileNames(folder_), (std::vector<std::string>{"Preset.ini"}));
}

TEST_F(IniFileTest, AbsentOrEmptyPathBindsNoFileAndKeepsContent) {
  for (const char* path : {static_cast<const char*>(nullptr), ""}) {
    SCOPED_TRACE(path ? "empty path" : "no path");
    IniFile ini;
    LoadBytes(ini, "[Kept]\nk=1\n");
    EXPECT_FALSE(ini.Load(path));
    EXPECT_EQ(ini.Path(), "");
    EXPECT_EQ(Contents(ini), (Document{{"Kept", {"k=1"}}}));
    ini.SetValue("Kept", "k", "2");
    ini.Save();
    EXPECT_EQ(ReadBytes(PathOf("test.ini")), "[Kept]\nk=1\n");
    EXPECT_EQ(FileNames(folder_), (std::vector<std::string>{"test.ini"}));
  }
}

TEST_F(IniFileTest, ConstructorWithPathLoads) {
  WriteBytes(PathOf("a.ini"), "[S]\nk=v\n");
  IniFile loaded(PathOf("a.ini").c_str());
  EXPECT_EQ(Contents(loaded), (Document{{"S", {"k=v"}}}));
  IniFile missing(PathOf("none.ini").c_str());
  EXPECT_TRUE(missing.Sections().empty());
  EXPECT_EQ(missing.Path(), PathOf("none.ini"));
  IniFile empty;
  EXPECT_EQ(empty.Path(), "");
  EXPECT_TRUE(empty.SectionNames().empty());
}

// ---- Lookups ----

struct LookupCase {
  const char* key;
  bool found;
  const char* value;
};

TEST_F(IniFileTest, KeyIsEverythingBeforeTheFirstEquals) {
  IniFile ini;
  LoadBytes(ini, "[S]\nHz = 440\na=b=c\n=5\nempty=\nnoequals\nk=first\nK=second\n");
  const LookupCase cases[] = {
      {"Hz", false, ""},       {"Hz ", true, " 440"},   {"hZ ", true, " 440"}, {"a", true, "b=c"},
      {"A", true, "b=c"},      {"a=b", false, ""},      {"b", false, ""},      {"", true, "5"},
      {"empty", true, ""},     {"noequals", false, ""}, {"k", true, "first"},  {"K", true, "first"},
      {"Hz = 440", false, ""},
  };
  for (const LookupCase& c : cases) {
    SCOPED_TRACE(c.key);
    std::string value = "untouched";
    EXPECT_EQ(ini.GetValue("S", c.key, value), c.found);
    if (c.found) {
      EXPECT_EQ(value, c.value);
    }
  }
}

struct FoldCase {
  const char* stored;
  const char* asked;
  bool equal;
};

TEST_F(IniFileTest, NamesAndKeysFoldOnlyAsciiLetters) {
  const FoldCase cases[] = {
      {"AppSetting", "appsetting", true},
      {"Zz", "zZ", true},
      {"\xC4", "\xE4", false},  // Latin-1 capital and small A-umlaut
      {"[", "{", false},        // 0x5B and 0x7B differ by 0x20 but are not letters
      {"@", "`", false},
      {"\x83\x41", "\x83\x61", true},  // double-byte trail bytes fold like any ASCII letter
      {"\x81\x41", "\xA1\x41", false},
      {"A", "A ", false},
      {"A", "", false},
      {"", "", true},
  };
  for (const FoldCase& c : cases) {
    SCOPED_TRACE(std::string(c.stored) + " / " + c.asked);
    IniFile ini;
    ini.SetValue(c.stored, c.stored, "v");
    std::string value;
    EXPECT_EQ(ini.HasSection(c.asked), c.equal);
    EXPECT_EQ(ini.GetValue(c.stored, c.asked, value), c.equal);
  }
}

TEST_F(IniFileTest, GetValueOrFallsBackOnlyWhenMissing) {
  IniFile ini;
  LoadBytes(ini, "[S]\nk=v\nempty=\n");
  EXPECT_EQ(ini.GetValueOr("S", "k", "def"), "v");
  EXPECT_EQ(ini.GetValueOr("S", "empty", "def"), "");
  EXPECT_EQ(ini.GetValueOr("S", "missing", "def"), "def");
  EXPECT_EQ(ini.GetValueOr("T", "k", "def"), "def");
}

TEST_F(IniFileTest, DuplicateSectionsAreReachedFirstToLast) {
  IniFile ini;
  LoadBytes(ini, "[Test]\nHz=1\n[TEST]\nHz=2\n");
  EXPECT_EQ(ini.SectionNames(), (std::vector<std::string>{"Test", "TEST"}));
  EXPECT_EQ(ini.GetValueOr("test", "Hz", ""), "1");

  ini.SetValue("TEST", "Hz", "3");
  EXPECT_EQ(Contents(ini), (Document{{"Test", {"Hz=3"}}, {"TEST", {"Hz=2"}}}));

  EXPECT_TRUE(ini.DeleteSection("tEST"));
  EXPECT_EQ(Contents(ini), (Document{{"TEST", {"Hz=2"}}}));
  EXPECT_EQ(ini.GetValueOr("Test", "Hz", ""), "2");
  EXPECT_TRUE(ini.DeleteSection("Test"));
  EXPECT_FALSE(ini.DeleteSection("Test"));
  EXPECT_TRUE(ini.Sections().empty());
}

// ---- Changes ----

TEST_F(IniFileTest, SetValueReplacesTheFirstMatchingLineInTheCallersCase) {
  IniFile ini;
  LoadBytes(ini, "[S]\nx\nhz=1\nHZ=9\n");
  ini.SetValue("S", "Hz", "2");
  EXPECT_EQ(Contents(ini), (Document{{"S", {"x", "Hz=2", "HZ=9"}}}));
}

TEST_F(IniFileTest, SetValueAppendsWhenNoKeyMatches) {
  IniFile ini;
  LoadBytes(ini, "[S]\nHz = 440\n");
  ini.SetValue("S", "Hz", "441");
  EXPECT_EQ(SavedBytes(ini), "[S]\r\nHz = 440\r\nHz=441\r\n");
}

TEST_F(IniFileTest, SetValueOnMissingSectionAppendsIt) {
  IniFile ini;
  LoadBytes(ini, "[A]\nk=1\n[B]\n");
  ini.SetValue("New  one", "Hz", "");
  EXPECT_EQ(Contents(ini), (Document{{"A", {"k=1"}}, {"B", {}}, {"New  one", {"Hz="}}}));
}

TEST_F(IniFileTest, DeleteSectionOfMissingNameChangesNothing) {
  IniFile ini;
  LoadBytes(ini, "[A]\nk=1\n");
  EXPECT_FALSE(ini.DeleteSection("B"));
  EXPECT_EQ(Contents(ini), (Document{{"A", {"k=1"}}}));
}

// ---- Writing ----

TEST_F(IniFileTest, SaveWritesHeadersWithOneEmptyLineBetweenSections) {
  IniFile ini;
  ini.Load(PathOf("Preset.ini").c_str());
  ini.SetValue("Concert 442", "Hz", "442.012404");
  ini.SetValue("Concert 442", "MidiFormat", "0");
  ini.SetValue("Empty", "k", "v");
  ini.DeleteSection("Empty");
  ini.SetValue("Baroque 415", "Hz", "415.304698");
  ini.SetValue("Baroque 415", "MidiFormat", "1");
  ini.SetValue("", "k", "v");
  EXPECT_EQ(SavedBytes(ini),
            "[Concert 442]\r\nHz=442.012404\r\nMidiFormat=0\r\n\r\n"
            "[Baroque 415]\r\nHz=415.304698\r\nMidiFormat=1\r\n\r\n"
            "[]\r\nk=v\r\n");
}

TEST_F(IniFileTest, SaveOfNoSectionsLeavesZeroBytes) {
  IniFile ini;
  LoadBytes(ini, "; only a comment\n[Old]\nk=1\n");
  ASSERT_TRUE(ini.DeleteSection("Old"));
  ini.Save();
  EXPECT_EQ(fs::file_size(PathOf("test.ini")), 0u);
  EXPECT_EQ(FileNames(folder_), (std::vector<std::string>{"test.ini"}));
}

TEST_F(IniFileTest, SaveKeepsTheDocumentAndRepeats) {
  IniFile ini;
  LoadBytes(ini, "[S]\nk=v\n");
  const Document before = Contents(ini);
  const std::string first = SavedBytes(ini);
  EXPECT_EQ(SavedBytes(ini), first);
  EXPECT_EQ(Contents(ini), before);
}

// The save's temporary file is a new file of its own: files of the user's that look like one stay theirs.
TEST_F(IniFileTest, FilesWithTemporaryLookingNamesStayTheUsers) {
  WriteBytes(PathOf("test.ini.tmp"), "the user's own notes");
  WriteBytes(PathOf("test.ini.sonorel-tmp"), "left over from an interrupted save");
  IniFile ini;
  LoadBytes(ini, "[S]\nk=v\n");
  EXPECT_EQ(SavedBytes(ini), "[S]\r\nk=v\r\n");
  EXPECT_EQ(ReadBytes(PathOf("test.ini.tmp")), "the user's own notes");
  EXPECT_EQ(ReadBytes(PathOf("test.ini.sonorel-tmp")), "left over from an interrupted save");
  EXPECT_EQ(FileNames(folder_),
            (std::vector<std::string>{"test.ini", "test.ini.sonorel-tmp", "test.ini.tmp"}));
}

TEST_F(IniFileTest, TemporaryFilesAreNewFilesWithNamesOfTheirOwn) {
  const std::string target = PathOf("Preset.ini");
  WriteBytes(target, "old");
  std::vector<std::string> names;
  for (int i = 0; i < 20; ++i) {
    std::string temporary;
    std::FILE* file = CreateTemporaryBeside(target, temporary);
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    EXPECT_EQ(fs::path(temporary).parent_path(), fs::path(target).parent_path());
    EXPECT_EQ(fs::path(temporary).filename().string().rfind("Preset.ini.", 0), 0u) << temporary;
    EXPECT_EQ(ReadBytes(temporary), "");
    names.push_back(temporary);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::unique(names.begin(), names.end()), names.end());
  // An existing name is never opened: the exclusive creation refuses it.
  errno = 0;
  EXPECT_EQ(CreateNewFile(target.c_str()), nullptr);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(ReadBytes(target), "old");
  // A folder that does not exist gives no file and says why.
  std::string temporary = "unchanged";
  EXPECT_EQ(CreateTemporaryBeside(PathOf("missing/Preset.ini"), temporary), nullptr);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_TRUE(temporary.empty());
}

TEST_F(IniFileTest, LoadSaveLoadSaveGivesIdenticalBytes) {
  const std::string inputs[] = {
      "; tuning presets\nHz=1\n[A]\nHz=440.000000\n\n[a]\nx\n[B] \nMidiFormat=1\n",
      "[]\n=\n[[x]]\n ;c\n[A]x\nk=a\rb\nz\r",
      "\xEF\xBB\xBF[A]\n[\x83\x41]\n\x83\x61=\x81\x5B\r\n\r\n\r\n[A]",
      "[S]\nk=\0v\n\n[T\r]\r\r\n"s,
  };
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input);
    IniFile first;
    LoadBytes(first, input);
    const std::string saved = SavedBytes(first);
    IniFile second;
    ASSERT_TRUE(second.Load(PathOf("test.ini").c_str()));
    EXPECT_EQ(Contents(second), Contents(first));
    EXPECT_EQ(SavedBytes(second), saved);
  }
}

// ---- Targets that cannot be written ----

TEST_F(IniFileTest, SaveIntoMissingFolderCreatesNothing) {
  const std::string path = (fs::path(folder_) / "no such folder" / "Preset.ini").string();
  IniFile ini;
  EXPECT_FALSE(ini.Load(path.c_str()));
  ini.SetValue("S", "k", "v");
  ini.Save();
  EXPECT_TRUE(FileNames(folder_).empty());
}

TEST_F(IniFileTest, TargetThatIsAFolderStaysAndGetsNoTemporaryFile) {
  ASSERT_TRUE(fs::create_directory(PathOf("Preset.ini")));
  IniFile ini;
  ini.Load(PathOf("Preset.ini").c_str());
  ini.SetValue("S", "k", "v");
  ini.Save();
  EXPECT_TRUE(fs::is_directory(PathOf("Preset.ini")));
  EXPECT_EQ(FileNames(folder_), (std::vector<std::string>{"Preset.ini"}));
}

#ifdef _WIN32
TEST_F(IniFileTest, TargetHeldOpenWithoutSharingStaysUntouched) {
  const std::string path = PathOf("Preset.ini");
  const std::string old_bytes = "[Old]\r\nk=1\r\n";
  WriteBytes(path, old_bytes);
  IniFile ini;
  ASSERT_TRUE(ini.Load(path.c_str()));
  ini.SetValue("New", "k", "2");

  HANDLE holder =
      CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  ini.Save();
  CloseHandle(holder);
  EXPECT_EQ(ReadBytes(path), old_bytes);
  EXPECT_EQ(FileNames(folder_), (std::vector<std::string>{"Preset.ini"}));

  // Once the other handle is gone the same document saves.
  EXPECT_EQ(SavedBytes(ini), "[Old]\r\nk=1\r\n\r\n[New]\r\nk=2\r\n");
}
#endif

// ---- A small file system of the test's own: a disk that fills up and a read-only folder ----

#ifdef _WIN32
bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
#endif

// Runs a host shell script; true when it exits with 0.
bool RunShell(const std::string& script) {
  const std::string body = "PATH=/usr/sbin:/usr/bin:/sbin:/bin; " + script;
#ifdef _WIN32
  // Wine starts a host program given by its Z: path, but its handle cannot be waited on, so the script
  // leaves its exit status in a file that appears in one step.
  const std::string status = "/tmp/" + UniqueName() + ".status";
  std::string command = "Z:\\bin\\sh -c \"(" + body + "); echo $? > " + status + ".part; mv " + status +
                        ".part " + status + "\"";
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::string status_path = "Z:" + status;
  std::replace(status_path.begin(), status_path.end(), '/', '\\');
  for (int wait = 0; wait < 1000 && !fs::exists(status_path); ++wait) Sleep(20);
  const std::string result = ReadBytes(status_path);
  std::error_code ignored;
  fs::remove(status_path, ignored);
  return result == "0\n";
#else
  return std::system(body.c_str()) == 0;
#endif
}

// Writes until the file system refuses another byte.
void FillDisk(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  const std::string block(4096, 'f');
  while (std::fwrite(block.data(), 1, block.size(), file) == block.size() && std::fflush(file) == 0) {
  }
  std::fclose(file);
}

class MountedFolderTest : public IniFileTest {
 protected:
  void SetUp() override {
    const std::string name = UniqueName();
#ifdef _WIN32
    if (!RunningUnderWine()) GTEST_SKIP() << "mounting a tmpfs needs Wine's host shell";
    unix_folder_ = "/tmp/" + name;
    folder_ = "Z:\\tmp\\" + name;
#else
    if (geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
    unix_folder_ = folder_ = (fs::temp_directory_path() / name).string();
#endif
    ASSERT_TRUE(fs::create_directories(folder_));
    if (!RunShell("mount -t tmpfs -o size=64k tmpfs '" + unix_folder_ + "'")) {
      GTEST_SKIP() << "mount -t tmpfs failed (needs root and mount rights)";
    }
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_) {
      EXPECT_TRUE(RunShell("umount '" + unix_folder_ + "'"));
    }
    IniFileTest::TearDown();
  }

  std::string unix_folder_;
  bool mounted_ = false;
};

class FullDiskTest : public MountedFolderTest, public ::testing::WithParamInterface<int> {};

TEST_P(FullDiskTest, SaveLeavesTheOldFileAndNoTemporaryFile) {
  const std::string path = PathOf("Preset.ini");
  const std::string old_bytes = "[Old]\r\nHz=440.000000\r\n";
  WriteBytes(path, old_bytes);
  IniFile ini;
  ASSERT_TRUE(ini.Load(path.c_str()));
  AddPresets(ini, 500);  // about 25 KB: fits on the empty 64 KB disk, not in what the filler leaves

  const std::string filler = PathOf("filler");
  FillDisk(filler);
  if (GetParam() > 0) fs::resize_file(filler, fs::file_size(filler) - GetParam());
  ini.Save();
  EXPECT_EQ(ReadBytes(path), old_bytes);
  EXPECT_EQ(FileNames(folder_), (std::vector<std::string>{"Preset.ini", "filler"}));

  // With room again the same document saves, so the disk was what stopped it.
  fs::remove(filler);
  ini.Save();
  IniFile reread;
  ASSERT_TRUE(reread.Load(path.c_str()));
  EXPECT_EQ(Contents(reread), Contents(ini));
  EXPECT_EQ(FileNames(folder_), (std::vector<std::string>{"Preset.ini"}));
}

// 0: not one byte fits; 8192: the write fails part-way.
INSTANTIATE_TEST_SUITE_P(RoomLeft, FullDiskTest, ::testing::Values(0, 8192));

TEST_F(MountedFolderTest, ReadOnlyFolderKeepsTheOldFileAndGetsNoNewOne) {
  const std::string path = PathOf("Preset.ini");
  const std::string old_bytes = "[Old]\r\nk=1\r\n";
  WriteBytes(path, old_bytes);
  ASSERT_TRUE(RunShell("mount -o remount,ro '" + unix_folder_ + "'"));

  IniFile existing;
  ASSERT_TRUE(existing.Load(path.c_str()));
  existing.SetValue("New", "k", "2");
  existing.Save();
  EXPECT_EQ(ReadBytes(path), old_bytes);

  IniFile fresh;
  EXPECT_FALSE(fresh.Load(PathOf("Sonorel.ini").c_str()));
  fresh.SetValue("AppSetting", "Left", "212");
  fresh.Save();
  EXPECT_EQ(FileNames(folder_), (std::vector<std::string>{"Preset.ini"}));
}

// Permission bits do not stop root; the immutable attribute does.
TEST_F(MountedFolderTest, FileThatCannotBeWrittenStaysUntouched) {
  const std::string path = PathOf("Preset.ini");
  const std::string old_bytes = "[Old]\r\nk=1\r\n";
  WriteBytes(path, old_bytes);
  const std::string unix_path = unix_folder_ + "/Preset.ini";
  if (!RunShell("chattr +i '" + unix_path + "'")) GTEST_SKIP() << "chattr +i failed";

  IniFile ini;
  ASSERT_TRUE(ini.Load(path.c_str()));
  ini.SetValue("New", "k", "2");
  ini.Save();
  EXPECT_EQ(ReadBytes(path), old_bytes);
  EXPECT_EQ(FileNames(folder_), (std::vector<std::string>{"Preset.ini"}));
  EXPECT_TRUE(RunShell("chattr -i '" + unix_path + "'"));
}

// ---- A folder locked down with the settings files left writable ----
// Root may create files in any folder whatever its permission bits, but not in one with the immutable
// attribute, whose files themselves stay writable (chattr +i on the folder).

class LockedFolderTest : public MountedFolderTest {
 protected:
  void Lock() { locked_ = RunShell("chattr +i '" + unix_folder_ + "'"); }
  void Unlock() {
    if (locked_) {
      EXPECT_TRUE(RunShell("chattr -i '" + unix_folder_ + "'"));
    }
    locked_ = false;
  }
  void TearDown() override {
    Unlock();
    MountedFolderTest::TearDown();
  }
  bool locked_ = false;
};

// Longer and shorter than the old file: the new text replaces it exactly.
TEST_F(LockedFolderTest, FileIsRewrittenInPlaceWhenNoNewFileMayBeCreated) {
  const std::string path = PathOf("Preset.ini");
  const std::string old_bytes = "[Old]\r\nHz=440.000000\r\nMidiFormat=0\r\n";
  for (int presets : {0, 3}) {
    SCOPED_TRACE(presets);
    WriteBytes(path, old_bytes);
    Lock();
    if (!locked_) GTEST_SKIP() << "chattr +i on the folder failed";
    std::string temporary;
    ASSERT_EQ(CreateTemporaryBeside(path, temporary), nullptr) << "the locked folder took a new file";

    IniFile ini;
    ASSERT_TRUE(ini.Load(path.c_str()));
    ini.DeleteSection("Old");
    AddPresets(ini, presets);
    ini.Save();
    IniFile fresh;  // a settings file that does not exist yet cannot be created there
    fresh.Load(PathOf("Sonorel.ini").c_str());
    fresh.SetValue("AppSetting", "Left", "212");
    fresh.Save();
    Unlock();

    IniFile reread;
    ASSERT_TRUE(reread.Load(path.c_str()));
    EXPECT_EQ(Contents(reread), Contents(ini));
    if (presets == 0) {
      EXPECT_EQ(ReadBytes(path), "");
    }
    EXPECT_EQ(FileNames(folder_), (std::vector<std::string>{"Preset.ini"}));
  }
}

// In place, a full disk stops the file from growing; the old bytes, which fit, are put back.
TEST_F(LockedFolderTest, FullDiskKeepsTheOldFileAlsoInPlace) {
  const std::string path = PathOf("Preset.ini");
  const std::string old_bytes = "[Old]\r\nHz=440.000000\r\n";
  WriteBytes(path, old_bytes);
  IniFile ini;
  ASSERT_TRUE(ini.Load(path.c_str()));
  AddPresets(ini, 500);
  FillDisk(PathOf("filler"));
  Lock();
  if (!locked_) GTEST_SKIP() << "chattr +i on the folder failed";
  ini.Save();
  Unlock();
  EXPECT_EQ(ReadBytes(path), old_bytes);
  EXPECT_EQ(FileNames(folder_), (std::vector<std::string>{"Preset.ini", "filler"}));
}

// ---- Links ----
// Made by the host's ln, natively and under Wine (whose files are the host's files).

class LinkedFileTest : public IniFileTest {
 protected:
  void SetUp() override {
    const std::string name = UniqueName();
#ifdef _WIN32
    if (!RunningUnderWine()) GTEST_SKIP() << "links are made with Wine's host shell";
    unix_folder_ = "/tmp/" + name;
    folder_ = "Z:\\tmp\\" + name;
#else
    unix_folder_ = folder_ = (fs::temp_directory_path() / name).string();
#endif
    ASSERT_TRUE(fs::create_directories(PathOf("elsewhere")));
  }
  bool Shell(const std::string& script) { return RunShell("cd '" + unix_folder_ + "' && " + script); }

  std::string unix_folder_;
};

struct LinkCase {
  const char* label;
  const char* make;       // shell commands in the folder; elsewhere/Preset.ini holds the old bytes
  const char* holder;     // the file that gets the new content
  bool stays_link;        // Preset.ini is still a symbolic link afterwards
  const char* keeps_old;  // a name that keeps the old content, or null
};

const LinkCase kLinkCases[] = {
    {"relative symbolic link", "ln -s elsewhere/Preset.ini Preset.ini", "elsewhere/Preset.ini", true,
     nullptr},
    {"absolute symbolic link", "ln -s \"$PWD/elsewhere/Preset.ini\" Preset.ini", "elsewhere/Preset.ini", true,
     nullptr},
    {"chain of two links", "ln -s elsewhere/Preset.ini middle.ini && ln -s middle.ini Preset.ini",
     "elsewhere/Preset.ini", true, nullptr},
#ifndef _WIN32
    // Wine shows a link to a missing file as a missing file (no reparse point), and so replaces the link.
    {"link to a file not yet made", "rm elsewhere/Preset.ini && ln -s elsewhere/Preset.ini Preset.ini",
     "elsewhere/Preset.ini", true, nullptr},
#endif
    // Kept on purpose: a hard link is replaced like a file, and its other name keeps the old presets.
    {"hard link", "ln elsewhere/Preset.ini Preset.ini", "Preset.ini", false, "elsewhere/Preset.ini"},
};

TEST_F(LinkedFileTest, SaveThroughALinkChangesTheFileItNames) {
  const std::string old_bytes = "[Old]\r\nk=1\r\n";
  for (const LinkCase& row : kLinkCases) {
    SCOPED_TRACE(row.label);
    ASSERT_TRUE(Shell("rm -f Preset.ini middle.ini elsewhere/*"));
    WriteBytes(PathOf("elsewhere/Preset.ini"), old_bytes);
    ASSERT_TRUE(Shell(row.make));

    IniFile ini;
    ini.Load(PathOf("Preset.ini").c_str());
    ini.SetValue("New", "k", "2");
    ini.Save();
    std::string holder = row.holder;
    std::replace(holder.begin(), holder.end(), '/', static_cast<char>(fs::path::preferred_separator));
    IniFile saved;
    ASSERT_TRUE(saved.Load(PathOf(holder).c_str()));
    EXPECT_EQ(Contents(saved), Contents(ini));
    EXPECT_EQ(Shell("test -L Preset.ini"), row.stays_link);
    if (row.keeps_old) {
      std::string other = row.keeps_old;
      std::replace(other.begin(), other.end(), '/', static_cast<char>(fs::path::preferred_separator));
      EXPECT_EQ(ReadBytes(PathOf(other)), old_bytes);
    }
    std::vector<std::string> names = FileNames(folder_);
    names.erase(std::remove(names.begin(), names.end(), "middle.ini"), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Preset.ini", "elsewhere"}));
    EXPECT_EQ(FileNames(PathOf("elsewhere")), (std::vector<std::string>{"Preset.ini"}));
  }
}

}  // namespace
