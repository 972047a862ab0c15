#include <windows.h>

#include <io.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "ini/replace_file.h"

std::string FinalTarget(const std::string& path) {
  // Opening a symbolic link opens the file it names, whose path the handle then tells (Windows Vista and
  // later; Wine follows its host's links the same way). Older systems have no such links.
  typedef DWORD(WINAPI * FinalPathFunction)(HANDLE, LPSTR, DWORD, DWORD);
  FinalPathFunction finalPath = reinterpret_cast<FinalPathFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleA")));
  if (finalPath == nullptr) return path;
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return path;  // a new file, or one the save cannot open anyway
  char buffer[MAX_PATH * 4];
  DWORD length = finalPath(file, buffer, sizeof buffer, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  CloseHandle(file);
  if (length == 0 || length >= sizeof buffer) return path;
  std::string final(buffer, length);
  if (final.compare(0, 8, "\\\\?\\UNC\\") == 0) {
    final = "\\\\" + final.substr(8);
  } else if (final.compare(0, 4, "\\\\?\\") == 0) {
    final = final.substr(4);
  }
  // An ordinary file names itself: the caller's spelling of it stays.
  char full[MAX_PATH * 4];
  DWORD fullLength = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  if (fullLength > 0 && fullLength < sizeof full && lstrcmpiA(full, final.c_str()) == 0) return path;
  return final;
}

std::FILE* CreateNewFile(const char* path) {
  int descriptor = _open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (descriptor < 0) return nullptr;
  std::FILE* file = _fdopen(descriptor, "wb");
  if (file == nullptr) _close(descriptor);
  return file;
}

bool FlushFileToDisk(std::FILE* file) { return _commit(_fileno(file)) == 0; }

bool TruncateFile(std::FILE* file, long size) { return _chsize(_fileno(file), size) == 0; }

bool ReplaceFileWith(const char* source, const char* target) {
  return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void FlushFolderOf(const std::string&) {}

unsigned long ProcessNumber() { return GetCurrentProcessId(); }
