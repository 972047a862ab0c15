// The services a safe save needs: the file a path finally names, a temporary file of its own beside it, and
// putting that file in place. CreateTemporaryBeside is portable; the rest has one implementation per
// platform.
#ifndef SONOREL_INI_REPLACE_FILE_H
#define SONOREL_INI_REPLACE_FILE_H

#include <cstdio>
#include <string>

// The file a save must change: path itself, or, when path is a symbolic link (also a chain of them), the
// file it finally names, which need not exist yet. Replacing that file keeps the link a link.
std::string FinalTarget(const std::string& path);

// Creates a new file beside target under a name no other file has ("Preset.ini.1f3a9c0e.tmp"), never
// opening an existing one, and opens it for binary writing; its name goes into `temporary`. Null, with
// errno from the last attempt, when the folder refuses (EACCES, EPERM or EROFS when it does not allow new
// files).
std::FILE* CreateTemporaryBeside(const std::string& target, std::string& temporary);

// Creates path exclusively (fails with EEXIST when anything has that name) and opens it for binary writing.
std::FILE* CreateNewFile(const char* path);

// Pushes the file's written bytes to the disk. False on failure.
bool FlushFileToDisk(std::FILE* file);

// Cuts an open file (flushed) to `size` bytes. False on failure.
bool TruncateFile(std::FILE* file, long size);

// Replaces target by source (same folder) in one step, giving source the old file's permissions; false,
// with both unchanged, on failure.
bool ReplaceFileWith(const char* source, const char* target);

// Makes the replacements done in the folder of path survive a crash (POSIX: the folder is flushed; Windows
// replaces with write-through already).
void FlushFolderOf(const std::string& path);

// A number that differs between processes running at once, for temporary names.
unsigned long ProcessNumber();

#endif
