#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "settings/environment.h"
#include "settings/param_file.h"
#include "log/log.h"

// Whole files as bytes, for comparing outputs.
std::string readBytes(const std::filesystem::path& path);
// Writes bytes to path, making its directories.
void writeBytes(const std::filesystem::path& path, const std::string& bytes);

// A run log with its time stamps and lap times masked, so that two runs'
// logs compare equal: "YYYY-MM-DD hh:mm:ss" for the stamp after each kind
// and " [hh:mm:ss.cc]" for a lap at the end of a line.
std::string maskLog(const std::string& text);
// The same, line by line.
std::vector<std::string> maskedLines(const std::string& text);

// A fresh, empty directory for the running test (its suite and name, with
// "/" of parameterised names turned into "-", and the process id), under the
// system's temporary directory.
std::filesystem::path freshScratchDirectory();

// A fresh directory per test, removed afterwards unless the test failed.
class ScratchTest : public testing::Test {
 protected:
  void SetUp() override { dir_ = freshScratchDirectory(); }
  void TearDown() override;

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  std::string write(const std::string& name, const std::string& bytes) const {
    writeBytes(dir_ / name, bytes);
    return (dir_ / name).string();
  }

  static std::string read(const std::string& file) { return readBytes(file); }

  std::filesystem::path dir_;
};

// A study environment built from key/value settings, published as
// `environment` for the test's lifetime, with a log of its own.
class TestEnvironment {
 public:
  explicit TestEnvironment(std::initializer_list<std::pair<std::string, std::string>> settings) {
    TParamFile map;
    for (const auto& [key, value] : settings) map.set(key, value);
    env_ = std::make_unique<TEnvironment>(map);
    env_->log = &log_;
    environment = env_.get();
  }
  ~TestEnvironment() { environment = nullptr; }
  TestEnvironment(const TestEnvironment&) = delete;
  TestEnvironment& operator=(const TestEnvironment&) = delete;

  TEnvironment& env() { return *env_; }
  TLog& log() { return log_; }

  // Every entry as "kind text", one per line.
  std::string entries() const {
    std::string text;
    for (const TLogEntry& entry : log_.entries()) {
      text += std::to_string(entry.kind()) + " " + entry.text() + "\n";
    }
    return text;
  }

 private:
  TLog log_;
  std::unique_ptr<TEnvironment> env_;
};
