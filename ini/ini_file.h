// An INI document held in memory: ordered sections of raw lines, bound to the path it was loaded from.
// Lines are split into key and value only when a lookup scans them; every other line is carried along.
// Names and keys compare with ASCII A-Z folded to a-z and nothing else; the first match wins.
#ifndef SONOREL_INI_INI_FILE_H
#define SONOREL_INI_INI_FILE_H

#include <list>
#include <string>
#include <vector>

struct IniSection {
  std::string name;                // bytes between the brackets, unchanged; may be empty
  std::vector<std::string> lines;  // raw lines without their line ends
};

class IniFile {
 public:
  IniFile();
  explicit IniFile(const char* path);  // as Load(path), result dropped
  virtual ~IniFile();                  // never saves

  // Binds path (even when the open fails) and replaces the content with the file's. Returns false, with
  // the content unchanged, when the path is absent or empty (then the empty path is bound) or the file
  // cannot be opened. CR LF reads as LF, a lone CR stays, a byte 1A ends the input.
  bool Load(const char* path);

  bool HasSection(const char* name) const;
  std::vector<std::string> SectionNames() const;
  // True when found; value then holds the bytes after the first "=" of the first matching line.
  bool GetValue(const char* section, const char* key, std::string& value) const;
  std::string GetValueOr(const char* section, const char* key, const char* fallback) const;
  // Replaces the first line with that key by key=value, or appends it; creates a missing section at the end.
  void SetValue(const char* section, const char* key, const char* value);
  // Removes the first section of that name.
  bool DeleteSection(const char* name);

  // Writes the whole document, CR LF line ends, to the bound path: into a temporary file of its own beside
  // it first, which then replaces the old file (for a symbolic link, the file it names). Where the folder
  // allows no new file but the file may be written, the file is rewritten in place instead. Silent: on any
  // failure the old file stays as it was.
  void Save() const;

  const std::string& Path() const { return path_; }
  const std::list<IniSection>& Sections() const { return sections_; }

 private:
  IniSection* FindSection(const char* name);
  const IniSection* FindSection(const char* name) const;
  std::vector<std::string>& AddSection(const char* name);
  std::vector<std::string>& AddSection(std::string name);  // a header's name may hold NUL bytes

  std::string path_;
  std::list<IniSection> sections_;
};

#endif
