#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "log/timer.h"

// The kind of a log entry, written as its number.
enum TLogKind : std::int32_t { kindMessage = 1, kindError = 2, kindWarning = 3 };

// One line of the run log.
class TLogEntry {
 public:
  TLogEntry(std::string stamp, std::int32_t kind, std::string text)
      : stamp_(std::move(stamp)), kind_(kind), text_(std::move(text)) {}

  const std::string& stamp() const { return stamp_; }
  std::int32_t kind() const { return kind_; }
  const std::string& text() const { return text_; }
  void setStamp(std::string stamp) { stamp_ = std::move(stamp); }
  void setKind(std::int32_t kind) { kind_ = kind; }
  void setText(std::string text) { text_ = std::move(text); }

  // "(" kind ") " stamp ": " text
  std::string line() const;

 private:
  std::string stamp_;
  std::int32_t kind_;
  std::string text_;
};

// The run log: finished message texts in the order they were added, each with
// its local time stamp, written to the log file once at the end of a study.
// The log filters nothing: callers decide from the settings what to add.
class TLog {
 public:
  TLog();
  TLog(const TLog&) = delete;
  TLog& operator=(const TLog&) = delete;

  // Appends an entry; withLap appends " [" + time since the last lap + "]"
  // to the text and starts a new lap.
  void addEntry(std::int32_t kind, const std::string& text, bool withLap);
  void addMessage(const std::string& text, bool withLap) { addEntry(kindMessage, text, withLap); }
  void addError(const std::string& text) { addEntry(kindError, text, false); }
  void addWarning(const std::string& text) { addEntry(kindWarning, text, false); }

  // Writes one line per entry to path, replacing the file. Returns the number
  // of entries written, or -1 when path is empty or the file could not be
  // written whole (a partial file is removed).
  std::int32_t save(const std::string& path) const;

  // Every line, each followed by "\n": the bytes of the log file.
  std::string text() const;
  // The time since the log was made, as "HH:MM:SS.cc".
  std::string totalTime() const;
  // Adds totalTimeText (the caller's message for the total time, for example
  // log_full_time with totalTime()) as a progress entry and returns every
  // line, each followed by "\n".
  std::string fullText(const std::string& totalTimeText);

  const std::list<TLogEntry>& entries() const { return entries_; }

 private:
  std::list<TLogEntry> entries_;
  std::unique_ptr<TTimer> timer_;
};
