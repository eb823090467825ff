#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// The program's only exception: a parameter file that cannot be read.
class VrxException {
 public:
  explicit VrxException(std::string message) : message_(std::move(message)) {}
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

// A file of "key=value" lines held as an ordered map, also used as a plain
// string record (the result of comparing two documents).
//
// Lines without "=" and lines beginning with "//" are skipped; key and value
// are trimmed of blanks, tabs, CR and LF; an empty key or value is skipped;
// the first line that gives a key wins.
class TParamFile {
 public:
  TParamFile() = default;

  // Reads the file at path and adds its entries. Returns the number of entries
  // held afterwards, or -1 for an empty path. Throws VrxException
  // ("file_not_exists: " + path) when the file cannot be read; the entries are
  // then unchanged.
  std::int32_t load(const std::string& path);

  // The value under key; empty for an empty or absent key.
  std::string get(std::string_view key) const;
  // Stores value under key, replacing an existing value; ignored when either is empty.
  void set(const std::string& key, const std::string& value);
  std::int32_t count() const { return static_cast<std::int32_t>(entries_.size()); }
  // Every entry, in the byte order of the keys.
  const std::map<std::string, std::string, std::less<>>& entries() const { return entries_; }

  // The text under key with argument in place of the first placeholder
  // (the settings' "%S"); key + " " + argument when the key has no text.
  std::string messageText(std::string_view key, std::string_view argument) const;

  // The text of the file at path with every line ended by "\n" (an empty file
  // gives "\n"); empty for an empty path. Throws VrxException when the file
  // cannot be read.
  static std::string readWholeFile(const std::string& path);

  // Removes the bytes of set from both ends of text.
  static std::string trim(std::string_view text, std::string_view set);

 private:
  std::map<std::string, std::string, std::less<>> entries_;
  std::string separator_ = "=";
  std::string commentMarker_ = "//";
  std::string lineBreak_ = "\n";
};
