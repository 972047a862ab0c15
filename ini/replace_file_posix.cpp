#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ini/replace_file.h"

std::string FinalTarget(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat status;
    if (lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return current;
    std::vector<char> buffer(status.st_size > 0 ? static_cast<std::size_t>(status.st_size) + 1 : 4096);
    ssize_t length = readlink(current.c_str(), buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return path;
    std::string link(buffer.data(), static_cast<std::size_t>(length));
    std::size_t slash = current.rfind('/');
    // A relative link is relative to the folder that holds it.
    current = link[0] == '/' || slash == std::string::npos ? link : current.substr(0, slash + 1) + link;
  }
  return path;  // a loop of links: the save then fails to open it, like any file it cannot open
}

std::FILE* CreateNewFile(const char* path) {
  int descriptor = open(path, O_WRONLY | O_CREAT | O_EXCL, 0666);
  if (descriptor < 0) return nullptr;
  std::FILE* file = fdopen(descriptor, "wb");
  if (file == nullptr) close(descriptor);
  return file;
}

bool FlushFileToDisk(std::FILE* file) { return fsync(fileno(file)) == 0; }

bool TruncateFile(std::FILE* file, long size) { return ftruncate(fileno(file), size) == 0; }

bool ReplaceFileWith(const char* source, const char* target) {
  // The new file keeps the old one's owner (when allowed, as for a save run by root in a user's folder)
  // and permissions, so a private settings file stays private and its owner can still write it.
  struct stat old_status;
  if (stat(target, &old_status) == 0) {
    if (chown(source, old_status.st_uid, old_status.st_gid) != 0) {
      // Not allowed: the file stays the saver's own, as a new file would.
    }
    chmod(source, old_status.st_mode & 07777);
  }
  return std::rename(source, target) == 0;
}

void FlushFolderOf(const std::string& path) {
  // The data is already on disk, so a failure here loses at most the new name, never the content.
  std::size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  int descriptor = open(folder.c_str(), O_RDONLY);
  if (descriptor >= 0) {
    fsync(descriptor);
    close(descriptor);
  }
}

unsigned long ProcessNumber() { return static_cast<unsigned long>(getpid()); }
