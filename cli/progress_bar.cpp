#include "progress_bar.h"

#include "console_text.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace qzcli {

namespace {

constexpr std::size_t kBarCells = 30;
// Long names are cut so that the line fits an 80-column terminal.
constexpr std::size_t kLabelBytes = 36;

int PercentOf(std::uint64_t done, std::uint64_t range) {
  if (range == 0) return 100;
  if (done >= range) return 100;
  return static_cast<int>(done * 100 / range);
}

}  // namespace

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return ::isatty(STDERR_FILENO) != 0;
#endif
}

std::string ProgressBar::Render(const std::string& label, std::uint64_t done, std::uint64_t range) {
  const int percent = PercentOf(done, range);
  const std::size_t filled = static_cast<std::size_t>(percent) * kBarCells / 100;
  std::string shown = label;
  if (shown.size() > kLabelBytes) {
    std::string tail = shown.substr(shown.size() - (kLabelBytes - 3));
    // Do not start inside a UTF-8 sequence (names are UTF-8 on Windows too).
    while (!tail.empty() && (static_cast<unsigned char>(tail[0]) & 0xC0) == 0x80) tail.erase(0, 1);
    shown = "..." + tail;
  }
  std::string line = shown + " [";
  line.append(filled, '#');
  line.append(kBarCells - filled, ' ');
  line += "] ";
  const std::string digits = std::to_string(percent);
  line.append(3 - digits.size(), ' ');
  line += digits + "%";
  return line;
}

void ProgressBar::Begin(std::uint64_t range) {
  range_ = range;
  done_ = 0;
  shownPercent_ = -1;
  Draw();
}

void ProgressBar::Advance(std::uint64_t steps) {
  done_ += steps;
  Draw();
}

void ProgressBar::End() {
  if (width_ > 0) {
    WriteText(out_, "\r" + std::string(width_, ' ') + "\r");
    std::fflush(out_);
  }
  width_ = 0;
}

void ProgressBar::Draw() {
  const int percent = PercentOf(done_, range_);
  if (percent == shownPercent_) return;
  shownPercent_ = percent;
  const std::string line = Render(label_, done_, range_);
  WriteText(out_, "\r" + line);
  std::fflush(out_);
  width_ = line.size();
}

}  // namespace qzcli
