// The two platform services that a safe save needs; one implementation per platform.
#ifndef SONOREL_INI_REPLACE_FILE_H
#define SONOREL_INI_REPLACE_FILE_H

#include <cstdio>

// Pushes the file's written bytes to the disk. False on failure.
bool FlushFileToDisk(std::FILE* file);
// Replaces target by source (same folder) in one step; false, with both unchanged, on failure.
bool ReplaceFileWith(const char* source, const char* target);

#endif
