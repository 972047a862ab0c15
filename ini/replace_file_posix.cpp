#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "ini/replace_file.h"

bool FlushFileToDisk(std::FILE* file) { return fsync(fileno(file)) == 0; }

bool ReplaceFileWith(const char* source, const char* target) {
  // The new file keeps the old one's permissions, so a private settings file stays private.
  struct stat old_status;
  if (stat(target, &old_status) == 0) chmod(source, old_status.st_mode & 07777);
  if (std::rename(source, target) != 0) return false;
  // Make the rename itself survive a crash; the data is already on disk, so a failure here is not fatal.
  std::string folder(target);
  size_t slash = folder.rfind('/');
  folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
  int descriptor = open(folder.c_str(), O_RDONLY);
  if (descriptor >= 0) {
    fsync(descriptor);
    close(descriptor);
  }
  return true;
}
