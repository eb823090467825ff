#include "base/progress_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include "base/text_file.h"

namespace {

constexpr auto kLeastInterval = std::chrono::milliseconds(100);
// Estimates from less time than this jump about too much to be shown.
constexpr auto kLeastTimeForEstimate = std::chrono::seconds(1);
constexpr std::string_view kClearToLineEnd = "\x1b[K";

std::string twoDigits(std::int64_t value) {
  return (value < 10 ? "0" : "") + std::to_string(value);
}

}  // namespace

TProgressLine::TProgressLine(int fd, bool isTerminal, TClock clock)
    : fd_(fd), isTerminal_(isTerminal), clock_(std::move(clock)) {}

TProgressLine::~TProgressLine() { finish(); }

TProgressLine TProgressLine::forStandardError() {
  return TProgressLine(STDERR_FILENO, ::isatty(STDERR_FILENO) == 1);
}

std::string TProgressLine::durationText(std::int64_t seconds) {
  if (seconds < 60) return std::to_string(seconds) + "s";
  if (seconds < 3600) return std::to_string(seconds / 60) + "m" + twoDigits(seconds % 60) + "s";
  return std::to_string(seconds / 3600) + "h" + twoDigits(seconds / 60 % 60) + "m";
}

void TProgressLine::update(std::string_view step, std::int64_t done, std::int64_t total) {
  if (!isTerminal_) return;
  const auto now = clock_();
  if (step != step_ || !open_) {
    finish();
    step_ = step;
    stepStart_ = now;
  } else if ((total <= 0 || done < total) && now - lastShown_ < kLeastInterval) {
    return;
  }
  lastShown_ = now;

  std::string text = step_ + ": " + std::to_string(done);
  if (total > 0) {
    const std::int64_t percent = done >= total ? 100 : done * 100 / total;
    text += " of " + std::to_string(total) + " (" + std::to_string(percent) + "%)";
    const auto elapsed = now - stepStart_;
    if (done > 0 && done < total && elapsed >= kLeastTimeForEstimate) {
      const double secondsPerItem = std::chrono::duration<double>(elapsed).count() / done;
      const auto left = static_cast<std::int64_t>(secondsPerItem * (total - done) + 0.5);
      text += ", about " + durationText(left) + " left";
    }
  }
  show(std::move(text));
}

void TProgressLine::finish() {
  if (open_) show({});
  step_.clear();
  open_ = false;
}

// An empty text ends the line; any other rewrites it, cut to the terminal's
// width so that it never wraps.
void TProgressLine::show(std::string text) {
  std::string bytes;
  if (text.empty()) {
    bytes = "\n";
  } else {
    winsize size{};
    if (::ioctl(fd_, TIOCGWINSZ, &size) == 0 && size.ws_col > 1 && text.size() >= size.ws_col) {
      text.resize(size.ws_col - 1u);
    }
    bytes = "\r" + text + std::string(kClearToLineEnd);
    open_ = true;
  }
  // Progress is a courtesy: a line that cannot be written is left out.
  static_cast<void>(writeAll(fd_, bytes));
}
