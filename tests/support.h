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

#include "settings/environment.h"
#include "settings/param_file.h"
#include "log/log.h"

// A fresh directory per test, removed afterwards unless the test failed.
class ScratchTest : public testing::Test {
 protected:
  void SetUp() override {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           (std::string("collusion-") + info->test_suite_name() + "-" + info->name() + "-" +
            std::to_string(getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    if (HasFailure()) {
      std::cerr << "scratch directory kept: " << dir_ << '\n';
    } else {
      std::filesystem::remove_all(dir_);
    }
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  std::string write(const std::string& name, const std::string& bytes) const {
    const std::filesystem::path file = dir_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
  }

  static std::string read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

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
