// POSIX file primitives: open/read/write with every error checked, fsync of the
// file and of its folder around the rename that makes an output appear.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <thread>

#include "fault_injection.h"
#include "file_streams.h"
#include "file_system.h"
#include "temp_name.h"

namespace qz {

std::size_t MaxPathBytes() { return PATH_MAX - 1; }

std::size_t MaxNameBytes() { return NAME_MAX; }

SizeProbe ProbeFileSize(const std::string& path) {
  SizeProbe probe;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    probe.cause = FileErrorCauseFromSystem(errno);
    return probe;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    probe.cause = FileErrorCauseFromSystem(errno);
  } else {
    probe.ok = true;
    probe.size = static_cast<std::uint64_t>(st.st_size);
  }
  ::close(fd);
  return probe;
}

bool PathExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool MarkHiddenReadOnly(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  return ::chmod(path.c_str(), st.st_mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH) & 07777) == 0;
}

bool ClearAttributes(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  return ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

bool DeleteFileWithRetry(const std::string& path, const RetryPolicy& policy) {
  for (int attempt = 0; attempt < policy.attempts; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(policy.pause);
    if (InjectFault(FaultPoint::kDelete)) continue;
    if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
  }
  return false;
}

namespace {

bool SyncDirectory(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  return ::close(fd) == 0 && ok;
}

}  // namespace

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
  Close();
  eof_ = error_ = false;
  if (InjectFault(FaultPoint::kOpenSource)) return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  handle_ = fd;
  open_ = true;
  return true;
}

std::size_t InputFile::Read(std::uint8_t* data, std::size_t len) {
  std::size_t done = 0;
  while (done < len) {
    if (InjectFault(FaultPoint::kRead)) {
      error_ = true;
      return done;
    }
    const ssize_t n = ::read(handle_, data + done, len - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = true;
      return done;
    }
    if (n == 0) {
      eof_ = true;
      return done;
    }
    done += static_cast<std::size_t>(n);
  }
  return done;
}

void InputFile::Close() {
  if (open_) ::close(handle_);
  open_ = false;
}

TempOutput::~TempOutput() { Discard(); }

bool TempOutput::Create(const std::string& destination) {
  Discard();
  destination_ = destination;
  committed_ = false;
  if (InjectFault(FaultPoint::kCreateTemp)) return false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temp = MakeTemporaryPath(destination);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      handle_ = fd;
      open_ = true;
      tempPath_ = temp;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool TempOutput::Write(const std::uint8_t* data, std::size_t len) {
  if (!open_) return false;
  while (len > 0) {
    if (InjectFault(FaultPoint::kWrite)) return false;
    const ssize_t n = ::write(handle_, data, len);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    len -= static_cast<std::size_t>(n);
  }
  return true;
}

bool TempOutput::Finish() {
  if (!open_) return false;
  bool ok = !InjectFault(FaultPoint::kFlush) && ::fsync(handle_) == 0;
  open_ = false;
  if (InjectFault(FaultPoint::kClose)) {
    ::close(handle_);
    return false;
  }
  ok = ::close(handle_) == 0 && ok;
  return ok;
}

bool TempOutput::Commit(bool replaceReadOnly) {
  if (open_ || tempPath_.empty()) return false;
  if (!replaceReadOnly && IsReadOnlyFile(destination_)) return false;
  if (IsDirectory(destination_)) return false;
  if (InjectFault(FaultPoint::kRename)) return false;
  if (::rename(tempPath_.c_str(), destination_.c_str()) != 0) return false;
  committed_ = true;
  tempPath_.clear();
  // The rename is in place; a failing folder sync cannot be undone, and the file
  // itself is already complete on disk.
  SyncDirectory(DirectoryOf(destination_));
  return true;
}

void TempOutput::Discard() {
  if (open_) ::close(handle_);
  open_ = false;
  if (!committed_ && !tempPath_.empty()) ::unlink(tempPath_.c_str());
  tempPath_.clear();
}

}  // namespace qz
