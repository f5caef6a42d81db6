// A one-line progress bar on standard error for large files.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "steps/progress.h"

namespace qzcli {

// Whether standard error is a terminal, where a bar that redraws itself makes sense.
bool StderrIsTerminal();

class ProgressBar : public qz::ProgressSink {
 public:
  ProgressBar(std::FILE* out, std::string label) : out_(out), label_(std::move(label)) {}

  void Begin(std::uint64_t range) override;
  void Advance(std::uint64_t steps) override;
  // Clears the line so that the next message starts on a clean one.
  void End() override;

  // The text of the line for a fraction done, without the carriage return.
  static std::string Render(const std::string& label, std::uint64_t done, std::uint64_t range);

 private:
  void Draw();

  std::FILE* out_;
  std::string label_;
  std::uint64_t range_ = 0;
  std::uint64_t done_ = 0;
  int shownPercent_ = -1;
  std::size_t width_ = 0;
};

}  // namespace qzcli
