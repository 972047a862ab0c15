// Output files: their names with --format all, and writing them so that none is ever left half-written.
#ifndef SONOREL_CLI_FILE_OUTPUT_H
#define SONOREL_CLI_FILE_OUTPUT_H

#include <string>
#include <vector>

// path with "-" and the tag inserted before the extension of its last component: tune.mid -> tune-gs.mid,
// tune -> tune-gs, dir.d/tune -> dir.d/tune-gs. A leading dot does not start an extension.
std::string WithFormatTag(const std::string& path, const char* tag);

struct PlannedFile {
  std::string path;  // "-" for standard output
  std::vector<unsigned char> bytes;
};

// Writes every file through a temporary file of its own in its folder, flushed to disk, that then replaces
// the target (for a symbolic link, the file it names); the standard-output one, if any, is left to the
// caller. First all temporaries are written; if one fails, all are removed and no target is touched. False
// with a one-line message on failure.
bool WriteFilesSafely(const std::vector<PlannedFile>& files, std::string& error);

// Reads a whole file ("-": standard input); false with a one-line message on failure.
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::string& error);

#endif
