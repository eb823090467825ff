#include "log/timer.h"

#include <chrono>
#include <ctime>

const std::string defaultTimeFormat = "%Y-%m-%d %H:%M:%S";

std::int32_t TTimer::ticks() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  // Wraps after 24 days like the 32-bit tick count it stands for; differences
  // stay right across one wrap.
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
}

TTimer::TTimer() : start_(ticks()), lap_(start_) {}

void TTimer::markLap() { lap_ = ticks(); }

namespace {
double secondsBetween(std::int32_t from, std::int32_t to) {
  const auto elapsed = static_cast<std::int32_t>(static_cast<std::uint32_t>(to) -
                                                 static_cast<std::uint32_t>(from));
  return elapsed / 1000.0;
}
}  // namespace

double TTimer::lapSeconds() const { return secondsBetween(lap_, ticks()); }

std::string TTimer::lapText(const std::string& format) const {
  return durationText(lapSeconds(), format);
}

std::string TTimer::totalText(const std::string& format) const {
  return durationText(secondsBetween(start_, ticks()), format);
}

std::string TTimer::nowText(const std::string& format) {
  const std::string& used = format.empty() ? defaultTimeFormat : format;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buffer[80];
  const std::size_t n = std::strftime(buffer, sizeof buffer, used.c_str(), &local);
  return std::string(buffer, n);
}

std::string TTimer::durationText(double seconds, const std::string& /*format*/) {
  if (seconds < 0 || !(seconds < 2147483648.0)) return {};
  const auto s = static_cast<std::int32_t>(seconds);
  const std::int32_t h = s / 3600;
  const std::int32_t m = (s - 3600 * h) / 60;
  const auto c = static_cast<std::int32_t>((seconds - (3600.0 * h + 60.0 * m)) * 100);

  std::string text;
  if (h <= 9) text += '0';
  text += std::to_string(h);
  text += ':';
  if (m <= 9) text += '0';
  text += std::to_string(m);
  text += ':';
  // c holds seconds and hundredths as one number, at least four digits wide.
  const std::string digits = std::to_string(c);
  const std::string padded = std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits;
  text.append(padded, 0, 2);
  text += '.';
  text.append(padded, 2);
  return text;
}
