#pragma once
// Helpers shared by the fuzz targets: per-process scratch files, reading the
// bytes the fuzzer gives, and reporting a broken check in a readable form.

#include <unistd.h>

#include <concepts>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// The fuzzer's bytes as a string view.
inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A path in the temp directory that belongs to this process only, so that
// several fuzzers (or a fuzzer and the tests) never share a file.
inline std::string scratchPath(std::string_view name) {
  std::string leaf = "collusion-fuzz-" + std::to_string(::getpid()) + "-";
  leaf.append(name);
  return (std::filesystem::path("/tmp") / leaf).string();
}

// Removes a scratch file or directory when the process ends normally.
class ScratchGuard {
 public:
  explicit ScratchGuard(std::string path) : path_(std::move(path)) {}
  ~ScratchGuard() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchGuard(const ScratchGuard&) = delete;
  ScratchGuard& operator=(const ScratchGuard&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Writes bytes to path, replacing the file. Returns false when it cannot.
inline bool writeFile(const std::string& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

// Writes bytes to path or stops the run: for the targets' own scratch files,
// which must always be writable.
inline void mustWriteFile(const std::string& path, std::string_view bytes) {
  if (!writeFile(path, bytes)) {
    std::fprintf(stderr, "fuzz: cannot write scratch file %s\n", path.c_str());
    std::abort();
  }
}

// bytes as a C string literal, so that a report can be pasted into a test.
inline std::string quoted(std::string_view bytes) {
  std::string out = "\"";
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        if (u < 32 || u >= 127) {
          // Three octal digits always end the escape, whatever follows.
          char octal[8];
          std::snprintf(octal, sizeof octal, "\\%03o", u);
          out += octal;
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

// Reports a broken check with what was expected and what came, then aborts
// so that the fuzzer keeps the input.
[[noreturn]] inline void fail(std::string_view what, std::string_view expected,
                              std::string_view actual) {
  std::fprintf(stderr, "\n==== check failed: %.*s\n  expected: %s\n  actual:   %s\n",
               static_cast<int>(what.size()), what.data(), quoted(expected).c_str(),
               quoted(actual).c_str());
  std::abort();
}

[[noreturn]] inline void fail(std::string_view what) { fail(what, "", ""); }

inline void check(bool condition, std::string_view what) {
  if (!condition) fail(what);
}

inline void checkEqual(std::string_view what, std::string_view expected, std::string_view actual) {
  if (expected != actual) fail(what, expected, actual);
}

inline void checkEqual(std::string_view what, long long expected, long long actual) {
  if (expected != actual) fail(what, std::to_string(expected), std::to_string(actual));
}

// The same checks with the description built only when the check fails.
template <std::invocable What>
void check(bool condition, What what) {
  if (!condition) fail(what());
}

template <std::invocable What>
void checkEqual(What what, std::string_view expected, std::string_view actual) {
  if (expected != actual) fail(what(), expected, actual);
}

template <std::invocable What>
void checkEqual(What what, long long expected, long long actual) {
  if (expected != actual) fail(what(), std::to_string(expected), std::to_string(actual));
}

// Text files are read with every CR LF pair turned into one line feed.
inline std::string crlfToLf(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    out += bytes[i];
  }
  return out;
}

// The pieces of bytes between occurrences of separator (empty pieces kept).
inline std::vector<std::string_view> split(std::string_view bytes, std::string_view separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = bytes.find(separator, start);
    if (end == std::string_view::npos) {
      parts.push_back(bytes.substr(start));
      return parts;
    }
    parts.push_back(bytes.substr(start, end - start));
    start = end + separator.size();
  }
}

}  // namespace fuzz
