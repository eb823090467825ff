#include "support.h"

#include <regex>

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void writeBytes(const fs::path& path, const std::string& bytes) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> maskedLines(const std::string& text) {
  static const std::regex stamp(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}: )");
  static const std::regex lapTime(R"( \[\d{2,}:\d{2}:\d{2}\.\d{2}\]$)");
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    line = std::regex_replace(line, stamp, "YYYY-MM-DD hh:mm:ss: ",
                              std::regex_constants::format_first_only);
    lines.push_back(std::regex_replace(line, lapTime, " [hh:mm:ss.cc]"));
  }
  return lines;
}

std::string maskLog(const std::string& text) {
  std::string masked;
  for (const std::string& line : maskedLines(text)) {
    masked += line;
    masked += '\n';
  }
  // A text without a final line break keeps it that way.
  if (!text.empty() && text.back() != '\n' && !masked.empty()) masked.pop_back();
  return masked;
}

fs::path freshScratchDirectory() {
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(info->test_suite_name()) + "-" + info->name();
  for (char& c : name) {
    if (c == '/') c = '-';
  }
  const fs::path dir =
      fs::temp_directory_path() / ("collusion-" + name + "-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

void ScratchTest::TearDown() {
  if (HasFailure()) {
    std::cerr << "scratch directory kept: " << dir_ << '\n';
  } else {
    fs::remove_all(dir_);
  }
}
