#include "log/log.h"

#include "base/text_file.h"

std::string TLogEntry::line() const {
  std::string text = "(";
  text += std::to_string(kind_);
  text += ") ";
  text += stamp_;
  text += ": ";
  text += text_;
  return text;
}

TLog::TLog() : timer_(std::make_unique<TTimer>()) {}

void TLog::addEntry(std::int32_t kind, const std::string& text, bool withLap) {
  std::string copy = text;
  if (withLap) {
    copy += " [";
    copy += timer_->lapText("%H:%M:%S");
    copy += "]";
    timer_->markLap();
  }
  entries_.emplace_back(TTimer::nowText(defaultTimeFormat), kind, std::move(copy));
}

std::string TLog::text() const {
  std::string text;
  for (const TLogEntry& entry : entries_) {
    text += entry.line();
    text += '\n';
  }
  return text;
}

std::int32_t TLog::save(const std::string& path) const {
  if (path.empty()) return -1;
  if (!writeWholeFile(nullptr, path, text())) return -1;
  return static_cast<std::int32_t>(entries_.size());
}

std::string TLog::totalTime() const { return timer_->totalText(""); }

std::string TLog::fullText(const std::string& totalTimeText) {
  addEntry(kindMessage, totalTimeText, false);
  return text();
}
