#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// One line on a terminal that shows how far a long step has come: its name,
// the items done of the total and an estimate of the time left, rewritten in
// place (carriage return, text, clear to the end of the line) at most ten
// times a second. Each step gets a line of its own. When the output is not a
// terminal nothing at all is written.
class TProgressLine {
 public:
  using TClock = std::function<std::chrono::steady_clock::time_point()>;

  // Writes to fd, which outlives the line, only when isTerminal. clock tells
  // the time; it is the monotonic clock but for tests.
  TProgressLine(int fd, bool isTerminal, TClock clock = std::chrono::steady_clock::now);
  // Ends the line shown, as finish does.
  ~TProgressLine();
  TProgressLine(const TProgressLine&) = delete;
  TProgressLine& operator=(const TProgressLine&) = delete;

  // The progress line of standard error, shown when that is a terminal.
  static TProgressLine forStandardError();

  // done of total items of step are done. A new step name ends the line of
  // the step before and starts its own clock. The first update of a step and
  // one with done at total always show; others only a tenth of a second
  // after the last one shown. Without a positive total, no share and no
  // estimate are shown.
  void update(std::string_view step, std::int64_t done, std::int64_t total);

  // Ends the line shown, if any, with a line feed, so that other output
  // starts on a line of its own. The next update starts a new step.
  void finish();

  // Seconds as "12s", "3m05s" or "1h02m".
  static std::string durationText(std::int64_t seconds);

 private:
  void show(std::string text);

  int fd_;
  bool isTerminal_;
  TClock clock_;
  std::string step_;
  std::chrono::steady_clock::time_point stepStart_{};
  std::chrono::steady_clock::time_point lastShown_{};
  // A line is on the terminal and not ended.
  bool open_ = false;
};
