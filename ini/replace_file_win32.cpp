#include <io.h>
#include <windows.h>

#include <cstdio>

#include "ini/replace_file.h"

bool FlushFileToDisk(std::FILE* file) { return _commit(_fileno(file)) == 0; }

bool ReplaceFileWith(const char* source, const char* target) {
  return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
