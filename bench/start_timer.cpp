// The clock of the start-up benchmark (bench/startup.sh). Starts the programs in turn, ROUNDS times each
// after one unmeasured start of each, and measures the time from CreateProcess until the new process
// has a visible top-level window that answers a message (shown, painted, in its message loop). Each window
// is then closed as a user would close it. Prints every time, the median of each program and its ratio to
// the median of the last one, the yardstick.
// Usage: start_timer ROUNDS PROGRAM... YARDSTICK
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
  DWORD processId;
  HWND window;
};

BOOL CALLBACK FindShownWindow(HWND window, LPARAM lParam) {
  Search* search = reinterpret_cast<Search*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  search->window = window;
  return FALSE;
}

// The folder of a program's path, so that it starts where its settings files are.
std::string FolderOf(const std::string& path) {
  const std::string::size_type slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Seconds from CreateProcess to an answering visible window; negative when the program failed.
double TimeOneStart(const std::string& path) {
  LARGE_INTEGER frequency, start, shown;
  QueryPerformanceFrequency(&frequency);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string commandLine = "\"" + path + "\"";
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      FolderOf(path).c_str(), &startup, &process)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", path.c_str(), GetLastError());
    return -1;
  }
  Search search = {process.dwProcessId, nullptr};
  const DWORD deadline = GetTickCount() + 30000;
  for (;;) {
    EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&search));
    DWORD_PTR ignored = 0;
    if (search.window != nullptr &&
        SendMessageTimeoutA(search.window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored) != 0) {
      break;
    }
    search.window = nullptr;
    if (GetTickCount() > deadline || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
      std::fprintf(stderr, "%s showed no window\n", path.c_str());
      TerminateProcess(process.hProcess, 1);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
      return -1;
    }
    Sleep(1);
  }
  QueryPerformanceCounter(&shown);
  PostMessageA(search.window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  Sleep(200);  // let the ended process's windows and files settle before the next start
  return static_cast<double>(shown.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || std::atoi(argv[1]) < 1) {
    std::fprintf(stderr, "usage: start_timer ROUNDS PROGRAM... YARDSTICK\n");
    return 2;
  }
  const int rounds = std::atoi(argv[1]);
  const std::vector<std::string> programs(argv + 2, argv + argc);
  std::vector<std::vector<double>> times(programs.size());
  for (const std::string& program : programs) {
    if (TimeOneStart(program) < 0) return 1;  // the first start fills the caches; not measured
  }
  for (int round = 0; round < rounds; ++round) {
    std::printf("round %2d:", round + 1);
    for (size_t i = 0; i < programs.size(); ++i) {
      const double seconds = TimeOneStart(programs[i]);
      if (seconds < 0) return 1;
      times[i].push_back(seconds);
      std::printf("  %7.1f ms", seconds * 1000);
    }
    std::printf("\n");
    std::fflush(stdout);
  }
  const double yardstick = Median(times.back());
  const double fastestYardstick = *std::min_element(times.back().begin(), times.back().end());
  std::printf("time to a visible window: median, ratio of medians to the last one's; fastest, ratio:\n");
  for (size_t i = 0; i < programs.size(); ++i) {
    const double median = Median(times[i]);
    const double fastest = *std::min_element(times[i].begin(), times[i].end());
    std::printf("  %-32s %7.1f ms  %.2f   %7.1f ms  %.2f\n", programs[i].c_str(), median * 1000,
                median / yardstick, fastest * 1000, fastest / fastestYardstick);
  }
  return 0;
}
