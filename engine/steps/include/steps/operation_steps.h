// What every file operation of the engine shares: path checks, the I/O buffer,
// progress, and finishing the output (the source's times and bits, flush, commit).
// Internal to the engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fs/file_streams.h"
#include "steps/cipher_options.h"
#include "steps/cipher_steps.h"

namespace qz {

// Ends the progress display on every way out.
class ProgressScope {
 public:
  ProgressScope(ProgressSink* sink, std::uint64_t sizeHint)
      : sink_(sink), range_(sink ? ProgressRange(sizeHint) : 0) {
    if (range_ > 0) sink_->Begin(range_);
  }
  ~ProgressScope() {
    if (range_ > 0) sink_->End();
  }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;
  // bytesDone counts body bytes processed so far; the final block counts as a step
  // even when it is empty.
  void Update(std::uint64_t bytesDone, bool final) {
    if (range_ == 0) return;
    const std::uint64_t steps = bytesDone / kProgressBlockBytes + (final ? 1 : 0);
    if (steps > reported_) {
      sink_->Advance(steps - reported_);
      reported_ = steps;
    }
  }

 private:
  ProgressSink* sink_;
  std::uint64_t range_;
  std::uint64_t reported_ = 0;
};

// Tells the sink while a strong file's key is derived; ended on every way out.
class KeyStepScope {
 public:
  explicit KeyStepScope(ProgressSink* sink) : sink_(sink) {
    if (sink_) sink_->KeyStepBegan();
  }
  ~KeyStepScope() { End(); }
  KeyStepScope(const KeyStepScope&) = delete;
  KeyStepScope& operator=(const KeyStepScope&) = delete;
  void End() {
    if (sink_) sink_->KeyStepEnded();
    sink_ = nullptr;
  }

 private:
  ProgressSink* sink_;
};

// The whole path, and on POSIX also its last component: "name.qz" can exceed the
// file system's 255-byte names even where "name" fits.
bool PathFits(const std::string& path);
// A temporary name can be longer than the destination's own name.
bool TemporaryPathFits(const std::string& destination);

// I/O buffers hold plaintext: wiped before they are freed.
struct WipingDelete {
  std::size_t bytes = 0;
  void operator()(std::uint8_t* data) const;
};
using IoBuffer = std::unique_ptr<std::uint8_t[], WipingDelete>;

// Null when the memory is not there.
IoBuffer AllocateBuffer(std::size_t bytes);

// Opens the source and a temporary output beside the destination for an encryption:
// a folder of the destination's name, or an existing file without consent to replace
// it, ends it before anything is written.
EncryptStep OpenForEncryption(const std::string& source, const std::string& destination,
                              const CipherOptions& options, InputFile* in, TempOutput* out);

// The output takes the source's times (and bits) and goes to stable storage; the
// source is closed.
template <typename Step>
Step FinishWriting(InputFile& in, TempOutput& out, bool encrypted, const CipherOptions& options) {
  const FileSnapshot read = in.snapshot();
  in.Close();
  if (options.sourceRead) *options.sourceRead = read;
  if (options.cancelled && options.cancelled()) return Step::kCancelled;
  out.TakeOver(read, encrypted);  // a file system without times or modes still gets the data
  if (!out.Finish()) return Step::kWriteBlock;
  return Step::kOk;
}

// The finished output under its name.
template <typename Step>
Step CommitOutput(TempOutput& out, bool encrypted, const CipherOptions& options) {
  // An encrypted output is marked read-only, so it must be able to replace the one an
  // earlier encryption left; a decrypted output never overwrites a read-only file.
  const bool replaceReadOnly = encrypted;
  switch (out.Commit(options.overwriteDestination, replaceReadOnly)) {
    case CommitResult::kOk: return Step::kOk;
    case CommitResult::kExists: return Step::kDestinationExists;
    case CommitResult::kFailed: break;
  }
  return Step::kReplaceDest;
}

template <typename Step>
Step FinishOutput(InputFile& in, TempOutput& out, bool encrypted, const CipherOptions& options) {
  const Step step = FinishWriting<Step>(in, out, encrypted, options);
  return step == Step::kOk ? CommitOutput<Step>(out, encrypted, options) : step;
}

}  // namespace qz
