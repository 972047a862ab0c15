// Starts a program with arguments in a folder, with standard input from a file, and collects its exit
// status and both outputs. POSIX: fork and exec; Windows (also under Wine): CreateProcess.
#ifndef SONOREL_TESTS_CLI_RUN_PROGRAM_H
#define SONOREL_TESTS_CLI_RUN_PROGRAM_H

#include <string>
#include <vector>

struct ProgramRun {
  int status = -1;  // exit status; -1 when the program could not be started
  std::string out;  // standard output, byte for byte
  std::string err;
};

// captureFolder receives the two output files; stdinPath empty means an empty standard input.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& folder, const std::string& captureFolder,
                      const std::string& stdinPath);

// A program path as the running platform needs it: under Windows a Unix path from the build becomes Z:\...
std::string NativeProgramPath(const std::string& buildPath);

// One argument quoted for a Windows command line so that the C runtime splits it back unchanged.
std::string QuoteWindowsArgument(const std::string& argument);

#endif
