// sonorel-cli from arguments to exit status: the whole program but the process set-up of main.
#ifndef SONOREL_CLI_RUN_H
#define SONOREL_CLI_RUN_H

#include <cstdio>
#include <string>
#include <vector>

// Exit statuses.
const int ExitDone = 0;
const int ExitNoneFound = 1;  // --decode found no well-formed master-tune message
const int ExitUsage = 2;      // bad arguments, unusable input, a file that cannot be written

// Runs the command line (without the program name); reports go to out, notes and errors to err, and
// --decode - reads standard input.
int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

#endif
