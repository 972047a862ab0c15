#include "cli/file_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ini/replace_file.h"

namespace {

std::string Reason() { return errno != 0 ? std::strerror(errno) : "unknown error"; }

bool WriteTemporary(const std::string& temporary, const std::vector<unsigned char>& bytes) {
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  written = written && std::fflush(file) == 0 && FlushFileToDisk(file);
  int savedErrno = errno;
  bool closed = std::fclose(file) == 0;
  if (!written) errno = savedErrno;
  return written && closed;
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
  std::vector<std::string> temporaries;
  auto removeTemporaries = [&temporaries](std::size_t from) {
    for (std::size_t i = from; i < temporaries.size(); ++i) {
      if (!temporaries[i].empty()) std::remove(temporaries[i].c_str());
    }
  };
  for (const PlannedFile& file : files) {
    if (file.path == "-") {
      temporaries.push_back(std::string());
      continue;
    }
    std::string temporary = file.path + ".sonorel-tmp";
    errno = 0;
    if (!WriteTemporary(temporary, file.bytes)) {
      error = "cannot write \"" + file.path + "\": " + Reason();
      std::remove(temporary.c_str());
      removeTemporaries(0);
      return false;
    }
    temporaries.push_back(temporary);
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (temporaries[i].empty()) continue;
    errno = 0;
    if (!ReplaceFileWith(temporaries[i].c_str(), files[i].path.c_str())) {
      error = "cannot replace \"" + files[i].path + "\": " + Reason();
      removeTemporaries(i);
      return false;
    }
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
