#pragma once

#include <cstdint>
#include <string>

// The default date-time format of time stamps: "%Y-%m-%d %H:%M:%S".
extern const std::string defaultTimeFormat;

// The run log's stopwatch: elapsed wall time in milliseconds from a monotonic
// clock, and the local time of day for time stamps.
class TTimer {
 public:
  TTimer();

  void markLap();
  // Seconds since the last lap mark (or since construction).
  double lapSeconds() const;
  // durationText of the time since the last lap mark; format has no effect.
  std::string lapText(const std::string& format) const;
  // durationText of the time since construction; format has no effect.
  std::string totalText(const std::string& format) const;
  // The local wall-clock time formatted by strftime; defaultTimeFormat when
  // format is empty.
  static std::string nowText(const std::string& format);
  // seconds as HH:MM:SS.cc, hundredths cut, never rounded; empty for a
  // negative value. Hours are not limited to two digits. format has no effect.
  static std::string durationText(double seconds, const std::string& format);

 private:
  static std::int32_t ticks();

  std::int32_t start_;
  std::int32_t lap_;
};
