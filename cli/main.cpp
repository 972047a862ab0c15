// sonorel-cli: the command-line companion of the MIDI Sonorel window program.
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>

#include <fcntl.h>
#endif

#include "cli/run.h"

int main(int argc, char** argv) {
#ifdef _WIN32
  // .mid and .syx bytes written to "-" and read by --decode - must pass unchanged: no CR LF translation.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  std::vector<std::string> args(argv + 1, argv + argc);
  return RunCli(args, stdout, stderr);
}
