#include "cli/file_output.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ini/replace_file.h"

namespace {

std::string Reason() { return errno != 0 ? std::strerror(errno) : "unknown error"; }

// Writes bytes into a temporary file of its own beside target; on failure removes it and keeps errno.
bool WriteTemporary(const std::string& target, const std::vector<unsigned char>& bytes,
                    std::string& temporary) {
  std::FILE* file = CreateTemporaryBeside(target, temporary);
  if (file == nullptr) return false;
  bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  written = written && std::fflush(file) == 0 && FlushFileToDisk(file);
  int reason = errno;
  bool closed = std::fclose(file) == 0;
  if (written && closed) return true;
  if (written) reason = errno;  // the close failed
  std::remove(temporary.c_str());
  errno = reason;
  return false;
}

}  // namespace

std::string WithFormatTag(const std::string& path, const char* tag) {
  std::size_t nameStart = path.find_last_of("/\\");
  nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot <= nameStart) dot = path.size();
  return path.substr(0, dot) + "-" + tag + path.substr(dot);
}

bool WriteFilesSafely(const std::vector<PlannedFile>& files, std::string& error) {
  std::vector<std::string> targets;  // the files finally named: a symbolic link stays and its file changes
  std::vector<std::string> temporaries;
  auto removeTemporaries = [&temporaries](std::size_t from) {
    for (std::size_t i = from; i < temporaries.size(); ++i) {
      if (!temporaries[i].empty()) std::remove(temporaries[i].c_str());
    }
  };
  for (const PlannedFile& file : files) {
    targets.push_back(file.path == "-" ? std::string() : FinalTarget(file.path));
    temporaries.push_back(std::string());
    if (file.path == "-") continue;
    errno = 0;
    if (!WriteTemporary(targets.back(), file.bytes, temporaries.back())) {
      error = "cannot write \"" + file.path + "\": " + Reason();
      temporaries.pop_back();
      removeTemporaries(0);
      return false;
    }
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (temporaries[i].empty()) continue;
    errno = 0;
    if (!ReplaceFileWith(temporaries[i].c_str(), targets[i].c_str())) {
      error = "cannot replace \"" + files[i].path + "\": " + Reason();
      removeTemporaries(i);
      return false;
    }
  }
  // One flush per folder, after all replacements.
  std::vector<std::string> flushed;
  for (const std::string& target : targets) {
    if (target.empty()) continue;
    std::string folder = target.substr(0, target.find_last_of("/\\") + 1);
    if (std::find(flushed.begin(), flushed.end(), folder) != flushed.end()) continue;
    flushed.push_back(folder);
    FlushFolderOf(target);
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::string& error) {
  bytes.clear();
  bool standardInput = path == "-";
  errno = 0;
  std::FILE* file = standardInput ? stdin : std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = "cannot read \"" + path + "\": " + Reason();
    return false;
  }
  unsigned char chunk[65536];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  bool failed = std::ferror(file) != 0;
  if (!standardInput) std::fclose(file);
  if (failed) {
    error = "cannot read \"" + path + "\": " + Reason();
    return false;
  }
  return true;
}
