#include "run_program.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::string QuoteWindowsArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  // Backslashes are literal except before a quote, where each must be doubled.
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      quoted.append(backslashes * 2 + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

std::string NativeProgramPath(const std::string& buildPath) {
#ifdef _WIN32
  if (!buildPath.empty() && buildPath[0] == '/') {
    std::string path = "Z:" + buildPath;
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    return path;
  }
#endif
  return buildPath;
}

#ifdef _WIN32

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& folder, const std::string& captureFolder,
                      const std::string& stdinPath) {
  ProgramRun run;
  std::string outPath = captureFolder + "\\stdout";
  std::string errPath = captureFolder + "\\stderr";
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE input = CreateFileA(stdinPath.empty() ? "NUL" : stdinPath.c_str(), GENERIC_READ, FILE_SHARE_READ,
                             &inherit, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE output = CreateFileA(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE error = CreateFileA(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  std::string commandLine = QuoteWindowsArgument(program);
  for (const std::string& arg : args) commandLine += " " + QuoteWindowsArgument(arg);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  PROCESS_INFORMATION process = {};
  if (input != INVALID_HANDLE_VALUE && output != INVALID_HANDLE_VALUE && error != INVALID_HANDLE_VALUE &&
      CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                     &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    run.status = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  for (HANDLE handle : {input, output, error}) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  run.out = ReadAll(outPath);
  run.err = ReadAll(errPath);
  return run;
}

#else

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& folder, const std::string& captureFolder,
                      const std::string& stdinPath) {
  ProgramRun run;
  std::string outPath = captureFolder + "/stdout";
  std::string errPath = captureFolder + "/stderr";
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::fflush(nullptr);
  pid_t child = fork();
  if (child == 0) {
    int input = open(stdinPath.empty() ? "/dev/null" : stdinPath.c_str(), O_RDONLY);
    int output = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int error = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (input < 0 || output < 0 || error < 0 || chdir(folder.c_str()) != 0) _exit(126);
    dup2(input, 0);
    dup2(output, 1);
    dup2(error, 2);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  run.out = ReadAll(outPath);
  run.err = ReadAll(errPath);
  return run;
}

#endif
