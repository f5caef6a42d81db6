// POSIX file primitives: open/read/write with every error checked, fsync of the
// file and of its folder around the rename that makes an output appear.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cerrno>
#include <climits>
#include <optional>
#include <thread>

#include "fs/fault_injection.h"
#include "fs/file_streams.h"
#include "fs/file_system.h"
#include "temp_name.h"

namespace qz {

std::size_t MaxPathLength() { return PATH_MAX - 1; }

std::size_t MaxNameLength() { return NAME_MAX; }

std::size_t PathLength(const std::string& path) { return path.size(); }

SizeProbe ProbeFileSize(const std::string& path) {
  SizeProbe probe;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
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

std::int64_t ModifiedNs(const struct stat& st) {
  return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool SameFile(const struct stat& st, const FileSnapshot& read) {
  return static_cast<std::uint64_t>(st.st_dev) == read.device &&
         static_cast<std::uint64_t>(st.st_ino) == read.fileId &&
         static_cast<std::uint64_t>(st.st_size) == read.size && ModifiedNs(st) == read.modified;
}

// rename(2) that never replaces: fails with EEXIST when to exists.
bool RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
#endif
  // File systems without the flag: a second link, then the old name goes.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

// Holds back signals for a few system calls, so that a handler that ends the process
// never finds a file half registered or a source moved aside.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &previous_);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

std::atomic<bool> g_diskFull{false};

// A write, flush or close that failed: whether for want of space.
bool Failed(int error) {
  if (error == ENOSPC || error == EDQUOT) g_diskFull = true;
  return false;
}

// The output being written, for RemoveUnfinishedOutputNow in a signal handler.
char g_unfinished[PATH_MAX];
volatile std::sig_atomic_t g_hasUnfinished = 0;

void RegisterUnfinished(const std::string& path) {
  g_hasUnfinished = 0;
  if (path.size() >= sizeof(g_unfinished)) return;
  std::memcpy(g_unfinished, path.c_str(), path.size() + 1);
  g_hasUnfinished = 1;
}

}  // namespace

bool OutputFailedForSpace() { return g_diskFull; }

void RemoveUnfinishedOutputNow() {
  if (g_hasUnfinished) ::unlink(g_unfinished);
  g_hasUnfinished = 0;
}

SourceRemoval RemoveIfUnchanged(const std::string& path, const FileSnapshot& read,
                                const RetryPolicy& policy, std::string* setAside) {
  if (!read.valid || read.bytesRead != read.size) return SourceRemoval::kChanged;
  // Moved aside first, so that what is checked is exactly what is deleted: a file put
  // in its place meanwhile is never touched.
  std::string aside;
  bool moved = false;
  // From the move aside until the file is gone or back: a process ended meanwhile would
  // leave the source under a temporary name.
  std::optional<SignalsHeld> held;
  for (int attempt = 0; attempt < policy.attempts && !moved; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(policy.pause);
    if (InjectFault(FaultPoint::kDelete)) continue;
    aside = MakeTemporaryPath(path);
    held.emplace();
    if (RenameNoReplace(path, aside)) {
      moved = true;
    } else {
      const int error = errno;
      held.reset();
      if (error == ENOENT) return SourceRemoval::kRemoved;  // gone already
    }
  }
  if (!moved) return SourceRemoval::kNotRemoved;
  struct stat st;
  const bool same = ::lstat(aside.c_str(), &st) == 0 && S_ISREG(st.st_mode) && SameFile(st, read);
  if (same && !InjectFault(FaultPoint::kDeleteAside) && ::unlink(aside.c_str()) == 0) {
    SyncDirectory(DirectoryOf(path));
    return SourceRemoval::kRemoved;
  }
  // Back under its name; if that was taken meanwhile it stays under the temporary one,
  // which batches report and never delete.
  if (!RenameNoReplace(aside, path) && setAside) *setAside = aside;
  return same ? SourceRemoval::kNotRemoved : SourceRemoval::kChanged;
}

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
  Close();
  eof_ = error_ = false;
  if (InjectFault(FaultPoint::kOpenSource)) return false;
  // The path may have been listed long before (while a password was typed): a link or
  // a FIFO put there meanwhile is neither followed nor waited for.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return false;
  }
  handle_ = fd;
  open_ = true;
  snapshot_ = FileSnapshot();
  snapshot_.valid = true;
  snapshot_.device = static_cast<std::uint64_t>(st.st_dev);
  snapshot_.fileId = static_cast<std::uint64_t>(st.st_ino);
  snapshot_.size = static_cast<std::uint64_t>(st.st_size);
  snapshot_.modified = ModifiedNs(st);
  snapshot_.mode = static_cast<std::uint32_t>(st.st_mode & 07777);
  snapshot_.links = static_cast<std::uint32_t>(st.st_nlink);
  snapshot_.owner = static_cast<std::uint32_t>(st.st_uid);
  snapshot_.group = static_cast<std::uint32_t>(st.st_gid);
  return true;
}

FileSnapshot InputFile::snapshot() const { return snapshot_; }

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
    snapshot_.bytesRead += static_cast<std::uint64_t>(n);
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
  g_diskFull = false;
  if (InjectFault(FaultPoint::kCreateTemp)) return false;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temp = MakeTemporaryPath(destination);
    // Owner only: until it is finished it may hold plaintext, and the final bits are
    // set by TakeOver.
    SignalsHeld held;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      RegisterUnfinished(temp);
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
      return Failed(errno);
    }
    data += n;
    len -= static_cast<std::size_t>(n);
  }
  return true;
}

bool TempOutput::WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t len) {
  if (!open_) return false;
  while (len > 0) {
    if (InjectFault(FaultPoint::kWrite)) return false;
    const ssize_t n = ::pwrite(handle_, data, len, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return Failed(errno);
    }
    data += n;
    len -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

bool TempOutput::TakeOver(const FileSnapshot& source, bool encryptedOutput) {
  if (!open_ || !source.valid) return false;
  const mode_t bits = static_cast<mode_t>(source.mode & 0777);
  const mode_t mode = encryptedOutput ? bits & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH) : bits | S_IWUSR;
  timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(source.modified / 1000000000);
  times[1].tv_nsec = static_cast<long>(source.modified % 1000000000);
  const bool timed = ::futimens(handle_, times) == 0;
  // Root works on other users' files: the output stays theirs. Before the bits, since
  // a change of owner may clear some.
  bool owned = true;
  if (::geteuid() == 0) {
    owned = ::fchown(handle_, static_cast<uid_t>(source.owner), static_cast<gid_t>(source.group)) == 0;
  }
  return ::fchmod(handle_, mode) == 0 && timed && owned;
}

bool TempOutput::Finish() {
  if (!open_) return false;
  bool ok = !InjectFault(FaultPoint::kFlush) && (::fsync(handle_) == 0 || Failed(errno));
  open_ = false;
  if (InjectFault(FaultPoint::kClose)) {
    ::close(handle_);
    return false;
  }
  ok = (::close(handle_) == 0 || Failed(errno)) && ok;
  return ok;
}

CommitResult TempOutput::Commit(bool replaceExisting, bool replaceReadOnly) {
  if (open_ || tempPath_.empty()) return CommitResult::kFailed;
  if (IsDirectory(destination_)) return CommitResult::kFailed;
  if (InjectFault(FaultPoint::kRename)) return CommitResult::kFailed;
  if (!replaceExisting) {
    if (!RenameNoReplace(tempPath_, destination_)) {
      return errno == EEXIST ? CommitResult::kExists : CommitResult::kFailed;
    }
  } else {
    if (!replaceReadOnly && IsReadOnlyFile(destination_)) return CommitResult::kFailed;
    if (::rename(tempPath_.c_str(), destination_.c_str()) != 0) return CommitResult::kFailed;
  }
  g_hasUnfinished = 0;
  committed_ = true;
  tempPath_.clear();
  // The rename is in place; a failing folder sync cannot be undone, and the file
  // itself is already complete on disk.
  SyncDirectory(DirectoryOf(destination_));
  return CommitResult::kOk;
}

void TempOutput::Discard() {
  if (open_) ::close(handle_);
  open_ = false;
  if (!committed_ && !tempPath_.empty()) {
    ::unlink(tempPath_.c_str());
    g_hasUnfinished = 0;
  }
  tempPath_.clear();
}

}  // namespace qz
