#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

class TParamFile;
struct TConfig;

// One configuration key as the help text and the manual describe it.
struct TConfigKey {
  // The key; for a numbered key the part before its number ("file").
  std::string_view name;
  // The default as shown to people ("3", "none", "the current folder").
  std::string_view defaultValue;
  // What the key sets, in one line.
  std::string_view meaning;
  // The key is name followed by 1, 2, ... ("file1", "file2").
  bool numbered = false;
};

// Every configuration key, in the order the help text lists them.
std::span<const TConfigKey> configKeys();

// True when key is a configuration key; a numbered key needs a number
// without leading zeros ("file1", not "file" or "file01").
[[nodiscard]] bool isKnownKey(std::string_view key);

// The known key within two edits (insertions, deletions, substitutions and
// swaps of neighbours; a change of case alone counts as one) of key, the
// nearest one, the earliest in configKeys() among equals; empty when there is
// none. A numbered key keeps the number it was given: "flie5" gives "file5",
// "file01" gives "file1"; without a number it gets 1.
std::string closestKey(std::string_view key);

// The text of --help: the ways to start the program, every key with its
// meaning and default, and the exit statuses. Lines are at most 79 columns.
std::string usageText();

// Lines for people about a configuration, each "collusion: ..." without a line
// end, in the byte order of the keys: a key the program does not know (with
// the closest known key when there is one), and a value that config did not
// take and replaced by its default (a number out of range, past 32 bits or
// without digits; a switch other than 0 or 1; a kind other than 1). Control
// bytes of keys and values are shown as "?". config is the one built from map.
std::vector<std::string> configHints(const TParamFile& map, const TConfig& config);
