// A temporary folder in which the real sonorel-cli runs: its files, and a run with arguments.
#ifndef SONOREL_TESTS_CLI_CLI_FIXTURE_H
#define SONOREL_TESTS_CLI_CLI_FIXTURE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "run_program.h"

class CliBinary : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device device;
    unsigned long unique =
        device() ^ static_cast<unsigned long>(std::chrono::steady_clock::now().time_since_epoch().count());
    root_ = std::filesystem::temp_directory_path() / ("sonorel-cli-test-" + std::to_string(unique));
    std::filesystem::create_directories(root_ / "work");
    std::filesystem::create_directories(root_ / "capture");
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

  ProgramRun Run(const std::vector<std::string>& args, const std::string& stdinName = "") {
    std::string input = stdinName.empty() ? std::string() : Path(stdinName);
    return RunProgram(NativeProgramPath(SONOREL_CLI_BINARY), args, (root_ / "work").string(),
                      (root_ / "capture").string(), input);
  }

  // A run refused before doing anything: exit 2, nothing on standard output, and one line on standard error
  // that starts with the program's name and `message`.
  void ExpectRefused(const std::vector<std::string>& args, const std::string& message) {
    ProgramRun run = Run(args);
    EXPECT_EQ(run.status, 2) << message;
    EXPECT_EQ(run.out, "") << message;
    EXPECT_EQ(run.err.find("sonorel-cli: " + message), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }

  std::string Path(const std::string& name) const { return (root_ / "work" / name).string(); }

  std::string ReadFile(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  void WriteFile(const std::string& name, const std::string& bytes) const {
    std::ofstream out(Path(name), std::ios::binary);
    out << bytes;
  }

  std::set<std::string> Files() const {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root_ / "work"))
      names.insert(entry.path().filename().string());
    return names;
  }

  std::filesystem::path root_;
};

#endif
