// Fuzzes the parameter file reader: the bytes become a file that TParamFile
// loads; every entry, lookup and message text is checked against a plain
// re-reading of the same bytes.
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "settings/param_file.h"
#include "fuzz_support.h"

namespace {

constexpr std::string_view kBlanks = " \n\r\t";

std::string trimmed(std::string_view text) {
  while (!text.empty() && kBlanks.find(text.front()) != std::string_view::npos) {
    text.remove_prefix(1);
  }
  while (!text.empty() && kBlanks.find(text.back()) != std::string_view::npos) {
    text.remove_suffix(1);
  }
  return std::string(text);
}

struct Expected {
  std::string wholeFile;
  std::map<std::string, std::string, std::less<>> entries;
  // Every text that some line offers as a key, used or not.
  std::set<std::string, std::less<>> probes;
};

// The file read as text, every line ended by a line feed, then scanned line
// by line: the first "=" splits, "//" at the very start makes a comment,
// both sides are trimmed, empty sides are skipped and the first key wins.
Expected reread(std::string_view bytes) {
  Expected expected;
  expected.wholeFile = fuzz::crlfToLf(bytes) + "\n";
  std::string_view rest = expected.wholeFile;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end + 1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    expected.probes.emplace(line.substr(0, equals));
    std::string key = trimmed(line.substr(0, equals));
    expected.probes.insert(key);
    if (line.substr(0, 2) == "//") continue;
    std::string value = trimmed(line.substr(equals + 1));
    if (key.empty() || value.empty()) continue;
    expected.entries.emplace(std::move(key), std::move(value));
  }
  return expected;
}

std::string expectedMessage(const Expected& expected, std::string_view key,
                            std::string_view argument) {
  const auto it = key.empty() ? expected.entries.end() : expected.entries.find(key);
  if (it == expected.entries.end()) return std::string(key) + " " + std::string(argument);
  std::string text = it->second;
  const std::size_t at = text.find("%S");
  if (at != std::string::npos) text.replace(at, 2, argument);
  return text;
}

void checkEntries(const TParamFile& map, const Expected& expected, std::string_view when) {
  const std::string_view what = when;
  auto describe = [what](std::string_view detail, std::string_view key = {}) {
    return [=] { return std::string(what) + ": " + std::string(detail) + " " + fuzz::quoted(key); };
  };
  fuzz::checkEqual(describe("count"), static_cast<long long>(expected.entries.size()), map.count());
  for (const auto& [key, value] : expected.entries) {
    fuzz::checkEqual(describe("value of", key), value, map.get(key));
  }
  for (const std::string& probe : expected.probes) {
    const auto it = expected.entries.find(probe);
    const std::string value = it == expected.entries.end() ? std::string() : it->second;
    fuzz::checkEqual(describe("get", probe), value, map.get(probe));
    for (const std::string_view argument : {std::string_view(), std::string_view("<%S>")}) {
      fuzz::checkEqual(describe("messageText", probe), expectedMessage(expected, probe, argument),
                       map.messageText(probe, argument));
    }
  }
  fuzz::checkEqual(describe("get of the empty key"), "", map.get(""));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fuzz::ScratchGuard file(fuzz::scratchPath("param_file.cfg"));
  const std::string_view bytes = fuzz::bytesOf(data, size);
  fuzz::mustWriteFile(file.path(), bytes);
  const Expected expected = reread(bytes);

  TParamFile map;
  try {
    fuzz::checkEqual("readWholeFile", expected.wholeFile, TParamFile::readWholeFile(file.path()));
    const std::int32_t loaded = map.load(file.path());
    fuzz::checkEqual("load result", static_cast<long long>(expected.entries.size()), loaded);
    checkEntries(map, expected, "first load");

    // Loading the same file again adds nothing: every key is already held.
    fuzz::checkEqual("second load result", static_cast<long long>(expected.entries.size()),
                     map.load(file.path()));
    checkEntries(map, expected, "second load");
  } catch (const VrxException& exception) {
    fuzz::fail("an existing file threw", "", exception.message());
  }

  // A file that cannot be read throws and leaves the entries alone.
  const std::string absent = file.path() + ".absent";
  bool thrown = false;
  try {
    map.load(absent);
  } catch (const VrxException& exception) {
    thrown = true;
    fuzz::checkEqual("message of a missing file", "file_not_exists: " + absent,
                     exception.message());
  }
  fuzz::check(thrown, "a missing file did not throw");
  fuzz::checkEqual("load of the empty path", -1, map.load(""));
  checkEntries(map, expected, "after failed loads");

  // set replaces, and ignores empty keys or values.
  for (const auto& [key, value] : expected.entries) {
    map.set(key, "");
    fuzz::checkEqual("set with an empty value", value, map.get(key));
    map.set(key, value + "!");
    fuzz::checkEqual("set replacing a value", value + "!", map.get(key));
  }
  map.set("", "x");
  fuzz::checkEqual("count after set", static_cast<long long>(expected.entries.size()), map.count());
  return 0;
}
