#include "ini/ini_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "ini/replace_file.h"

namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Only A-Z fold, so double-byte trail bytes that happen to be letters fold too, and nothing else does.
bool EqualsFolded(const char* a, size_t a_length, const char* b) {
  size_t b_length = std::strlen(b);
  if (a_length != b_length) return false;
  for (size_t i = 0; i < a_length; ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// Reads the whole file as the text-mode rules see it: input ends at the first 1A byte or at a read error.
void ReadUntilEnd(std::FILE* file, std::string& text) {
  char chunk[65536];
  for (;;) {
    size_t got = std::fread(chunk, 1, sizeof chunk, file);
    const void* end_mark = std::memchr(chunk, 0x1A, got);
    if (end_mark) {
      text.append(chunk, static_cast<const char*>(end_mark) - chunk);
      return;
    }
    text.append(chunk, got);
    if (got < sizeof chunk) return;
  }
}

// The line's key is everything before its first '='; a line without '=' has no key.
bool KeyMatches(const std::string& line, const char* key) {
  size_t equals = line.find('=');
  return equals != std::string::npos && EqualsFolded(line.data(), equals, key);
}

std::string NormalisedText(const std::list<IniSection>& sections) {
  std::string text;
  bool first = true;
  for (const IniSection& section : sections) {
    if (!first) text += "\r\n";
    first = false;
    text += '[';
    text += section.name;
    text += "]\r\n";
    for (const std::string& line : section.lines) {
      text += line;
      text += "\r\n";
    }
  }
  return text;
}

// A target that exists but cannot be opened for update (read-only, locked, a folder) must not be replaced.
bool TargetWritable(const char* path) {
  errno = 0;
  std::FILE* file = std::fopen(path, "r+b");
  if (!file) return errno == ENOENT;
  std::fclose(file);
  return true;
}

bool WriteAll(std::FILE* file, const std::string& text) {
  return text.empty() || std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

// The errors of a folder that does not allow new files: no right to add one, a locked (immutable) folder,
// a read-only file system.
bool FolderRefusesNewFiles(int error) { return error == EACCES || error == EPERM || error == EROFS; }

// For a folder that allows no new file beside the target: the target itself is rewritten, every step
// checked. The new text is written over the old from the start and the file is cut to it only then, so a
// full disk fails while growing the file, and the old bytes, which still fit, are put back.
bool RewriteInPlace(const char* path, const std::string& text) {
  std::FILE* file = std::fopen(path, "r+b");
  if (!file) return false;
  std::string old_text;
  char chunk[65536];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) old_text.append(chunk, got);
  bool saved = false;
  if (!std::ferror(file) && std::fseek(file, 0, SEEK_SET) == 0) {
    saved = WriteAll(file, text) && std::fflush(file) == 0 &&
            TruncateFile(file, static_cast<long>(text.size())) && FlushFileToDisk(file);
    if (!saved) {
      std::clearerr(file);
      if (std::fseek(file, 0, SEEK_SET) == 0 && WriteAll(file, old_text) && std::fflush(file) == 0) {
        TruncateFile(file, static_cast<long>(old_text.size()));
        FlushFileToDisk(file);
      }
    }
  }
  bool closed = std::fclose(file) == 0;
  return saved && closed;
}

// The old file is replaced only by a complete, flushed and closed copy; any failure leaves it as it was
// and removes the copy. A symbolic link stays: the file it names is replaced.
bool SaveThroughTemporary(const std::string& path, const std::string& text) {
  if (path.empty()) return false;
  const std::string target = FinalTarget(path);
  if (!TargetWritable(target.c_str())) return false;
  std::string temporary;
  std::FILE* file = CreateTemporaryBeside(target, temporary);
  if (!file) return FolderRefusesNewFiles(errno) && RewriteInPlace(target.c_str(), text);
  bool written = WriteAll(file, text) && std::fflush(file) == 0 && FlushFileToDisk(file);
  bool closed = std::fclose(file) == 0;
  if (!written || !closed || !ReplaceFileWith(temporary.c_str(), target.c_str())) {
    std::remove(temporary.c_str());
    return false;
  }
  FlushFolderOf(target);
  return true;
}

}  // namespace

IniFile::IniFile() {}

IniFile::IniFile(const char* path) { Load(path); }

IniFile::~IniFile() {}

bool IniFile::Load(const char* path) {
  if (!path || !*path) {
    path_.clear();
    return false;
  }
  path_ = path;
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  std::string text;
  ReadUntilEnd(file, text);
  std::fclose(file);

  sections_.clear();
  std::vector<std::string>* current = nullptr;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    size_t next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos) {
      end = text.size();  // a last line without LF keeps a trailing CR
    } else if (end > start && text[end - 1] == '\r') {
      --end;  // CR LF reads as LF; a CR elsewhere stays in the line
    }
    std::string line = text.substr(start, end - start);
    start = next;

    if (line.empty() || line[0] == ';') continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      current = &AddSection(line.substr(1, line.size() - 2));
    } else if (current) {
      current->push_back(std::move(line));
    }
  }
  return true;
}

bool IniFile::HasSection(const char* name) const { return FindSection(name) != nullptr; }

std::vector<std::string> IniFile::SectionNames() const {
  std::vector<std::string> names;
  names.reserve(sections_.size());
  for (const IniSection& section : sections_) names.push_back(section.name);
  return names;
}

bool IniFile::GetValue(const char* section, const char* key, std::string& value) const {
  const IniSection* found = FindSection(section);
  if (!found) return false;
  key = OrEmpty(key);
  for (const std::string& line : found->lines) {
    if (KeyMatches(line, key)) {
      value.assign(line, line.find('=') + 1, std::string::npos);
      return true;
    }
  }
  return false;
}

std::string IniFile::GetValueOr(const char* section, const char* key, const char* fallback) const {
  std::string value;
  if (GetValue(section, key, value)) return value;
  return OrEmpty(fallback);
}

void IniFile::SetValue(const char* section, const char* key, const char* value) {
  IniSection* found = FindSection(section);
  std::vector<std::string>& lines = found ? found->lines : AddSection(section);
  key = OrEmpty(key);
  std::string new_line = std::string(key) + '=' + OrEmpty(value);
  for (std::string& line : lines) {
    if (KeyMatches(line, key)) {
      line = std::move(new_line);
      return;
    }
  }
  lines.push_back(std::move(new_line));
}

bool IniFile::DeleteSection(const char* name) {
  name = OrEmpty(name);
  for (auto it = sections_.begin(); it != sections_.end(); ++it) {
    if (EqualsFolded(it->name.data(), it->name.size(), name)) {
      sections_.erase(it);
      return true;
    }
  }
  return false;
}

void IniFile::Save() const { SaveThroughTemporary(path_, NormalisedText(sections_)); }

IniSection* IniFile::FindSection(const char* name) {
  return const_cast<IniSection*>(static_cast<const IniFile*>(this)->FindSection(name));
}

const IniSection* IniFile::FindSection(const char* name) const {
  name = OrEmpty(name);
  for (const IniSection& section : sections_) {
    if (EqualsFolded(section.name.data(), section.name.size(), name)) return &section;
  }
  return nullptr;
}

std::vector<std::string>& IniFile::AddSection(const char* name) {
  return AddSection(std::string(OrEmpty(name)));
}

std::vector<std::string>& IniFile::AddSection(std::string name) {
  sections_.push_back(IniSection{std::move(name), {}});
  return sections_.back().lines;
}
