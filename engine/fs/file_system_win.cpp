// Windows file primitives over the wide functions: paths are UTF-8 (win_path.h).
// Every error is checked; outputs are flushed before the rename that makes them
// appear, and the rename itself is written through.
#include <windows.h>

#include <cstring>

#include "fs/entry_kind.h"
#include "fs/fault_injection.h"
#include "fs/file_streams.h"
#include "fs/file_system.h"
#include "fs/win_handles.h"
#include "fs/win_path.h"
#include "temp_name.h"

namespace qz {

namespace {

// ReadFile and WriteFile take 32-bit counts.
constexpr std::size_t kMaxIoChunk = 1u << 30;

bool IsMissingError(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

DWORD AttributesOf(const std::string& path) { return ::GetFileAttributesW(WidePath(path).c_str()); }

// The pause between deletion attempts. The timer is named, so every running copy
// shares one object; each sets it before it waits.
class RetryPause {
 public:
  void Wait(std::chrono::milliseconds pause) {
    if (!timer_) timer_ = ::CreateWaitableTimerW(nullptr, TRUE, L"WaitableTimer");
    if (!timer_) return;
    LARGE_INTEGER due;
    due.QuadPart = -static_cast<LONGLONG>(pause.count()) * 10000;
    if (::SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
      ::WaitForSingleObject(timer_, INFINITE);
    }
  }
  ~RetryPause() {
    if (timer_) ::CloseHandle(timer_);
  }

 private:
  HANDLE timer_ = nullptr;
};

std::uint64_t Join(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

FileSnapshot SnapshotOf(HANDLE file) {
  FileSnapshot snapshot;
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(file, &info)) return snapshot;
  snapshot.valid = true;
  snapshot.device = info.dwVolumeSerialNumber;
  snapshot.fileId = Join(info.nFileIndexHigh, info.nFileIndexLow);
  snapshot.size = Join(info.nFileSizeHigh, info.nFileSizeLow);
  snapshot.modified = static_cast<std::int64_t>(
      Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
  snapshot.mode = info.dwFileAttributes;
  snapshot.links = info.nNumberOfLinks;
  return snapshot;
}

bool SameFile(const FileSnapshot& now, const FileSnapshot& read) {
  return now.valid && now.device == read.device && now.fileId == read.fileId &&
         now.size == read.size && now.modified == read.modified;
}

bool SetAttributesByHandle(HANDLE file, DWORD attributes) {
  FILE_BASIC_INFO basic = {};  // zero times are left as they are
  basic.FileAttributes = attributes;
  return ::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic)) != 0;
}

// The output being written, for RemoveUnfinishedOutputNow from the console's handler.
// Kept in wide form, room for the longest path: the handler must not allocate.
wchar_t g_unfinished[kSystemPathUnits + 1];
volatile LONG g_hasUnfinished = 0;

void RegisterUnfinished(const std::string& path) {
  g_hasUnfinished = 0;
  const std::wstring wide = WidePath(path);
  if (wide.size() >= sizeof(g_unfinished) / sizeof(g_unfinished[0])) return;
  std::memcpy(g_unfinished, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
  g_hasUnfinished = 1;
}

// Deletes through a handle whose descriptor this process holds when it closes: under Wine
// the file's blocks are then freed by that close, on the calling thread, not by the
// system's server, whose every caller (a window's answers among them) would wait about
// half a second per GiB meanwhile.
bool DeleteFreeingHere(const std::string& path) {
  ScopedHandle file(::CreateFileW(WidePath(path).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.valid()) return false;
  BY_HANDLE_FILE_INFORMATION info;  // the query hands the descriptor over
  ::GetFileInformationByHandle(file.get(), &info);
  FILE_DISPOSITION_INFO disposition = {TRUE};
  return ::SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition, sizeof(disposition)) != 0;
}

}  // namespace

void RemoveUnfinishedOutputNow() {
  if (g_hasUnfinished) ::DeleteFileW(g_unfinished);
  g_hasUnfinished = 0;
}

SourceRemoval RemoveIfUnchanged(const std::string& path, const FileSnapshot& read,
                                const RetryPolicy& policy, std::string*) {
  if (!read.valid || read.bytesRead != read.size) return SourceRemoval::kChanged;
  RetryPause pause;
  for (int attempt = 0; attempt < policy.attempts; ++attempt) {
    if (attempt > 0) pause.Wait(policy.pause);
    if (InjectFault(FaultPoint::kDelete)) continue;
    // Checked and deleted through one handle, which nobody may write or delete while
    // it is open: what is checked is exactly what goes. Its snapshot hands its descriptor
    // over, so the blocks are freed here (DeleteFreeingHere).
    ScopedHandle file(::CreateFileW(WidePath(path).c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) {
      if (IsMissingError(::GetLastError())) return SourceRemoval::kRemoved;
      continue;  // held open by someone else: try again after the pause
    }
    // Where the system opened what a link leads to, the link is what has the name now.
    if (KindOfOpened(file.get(), path) != EntryKind::kRegularFile) return SourceRemoval::kChanged;
    const FileSnapshot now = SnapshotOf(file.get());
    if (!SameFile(now, read)) return SourceRemoval::kChanged;
    if (!SetAttributesByHandle(file.get(), FILE_ATTRIBUTE_NORMAL)) continue;
    FILE_DISPOSITION_INFO disposition = {TRUE};
    if (::SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition,
                                     sizeof(disposition))) {
      return SourceRemoval::kRemoved;
    }
    // Kept: a ".qz" keeps its marking.
    SetAttributesByHandle(file.get(), now.mode);
  }
  return SourceRemoval::kNotRemoved;
}

// Paths reach the system in the long-path form when they need it (win_path.h): the
// limit is the system's own, less what that form adds and the terminator.
std::size_t MaxPathLength() { return kSystemPathUnits - 7; }

// What every Windows file system allows for one name.
std::size_t MaxNameLength() { return 255; }

// The system's limits count UTF-16 units; a path that is no UTF-8 counts as too long.
// The path as given is measured, never its long-path form: names are measured too.
std::size_t PathLength(const std::string& path) {
  if (path.empty()) return 0;
  const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(),
                                           static_cast<int>(path.size()), nullptr, 0);
  return length <= 0 ? static_cast<std::size_t>(-1) : static_cast<std::size_t>(length);
}

SizeProbe ProbeFileSize(const std::string& path) {
  SizeProbe probe;
  ScopedHandle file(::CreateFileW(WidePath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    probe.cause = FileErrorCauseFromSystem(::GetLastError());
    return probe;
  }
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.get(), &size)) {
    probe.cause = FileErrorCauseFromSystem(::GetLastError());
    return probe;
  }
  probe.ok = true;
  probe.size = static_cast<std::uint64_t>(size.QuadPart);
  return probe;
}

bool PathExists(const std::string& path) { return AttributesOf(path) != INVALID_FILE_ATTRIBUTES; }

bool IsDirectory(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsReadOnlyFile(const std::string& path) {
  const DWORD attributes = AttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool MarkHiddenReadOnly(const std::string& path) {
  if (InjectFault(FaultPoint::kMark)) return false;
  return ::SetFileAttributesW(WidePath(path).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY) != 0;
}

bool ClearAttributes(const std::string& path) {
  return ::SetFileAttributesW(WidePath(path).c_str(), FILE_ATTRIBUTE_NORMAL) != 0;
}

bool DeleteFileWithRetry(const std::string& path, const RetryPolicy& policy) {
  const DWORD original = AttributesOf(path);
  if (original == INVALID_FILE_ATTRIBUTES && IsMissingError(::GetLastError())) return true;
  RetryPause pause;
  for (int attempt = 0; attempt < policy.attempts; ++attempt) {
    if (attempt > 0) pause.Wait(policy.pause);
    if (InjectFault(FaultPoint::kDelete)) continue;
    // A failure to clear the attributes is retried like a failed deletion.
    if (!::SetFileAttributesW(WidePath(path).c_str(), FILE_ATTRIBUTE_NORMAL)) {
      if (IsMissingError(::GetLastError())) return true;
      continue;
    }
    if (DeleteFreeingHere(path)) return true;
    if (IsMissingError(::GetLastError())) return true;
  }
  // The file stays: give it back its marking, so that a kept ".qz" is still hidden
  // and read-only.
  if (original != INVALID_FILE_ATTRIBUTES && PathExists(path)) {
    ::SetFileAttributesW(WidePath(path).c_str(), original);
  }
  return false;
}

InputFile::~InputFile() { Close(); }

bool InputFile::Open(const std::string& path) {
  Close();
  eof_ = error_ = false;
  if (InjectFault(FaultPoint::kOpenSource)) return false;
  // Nobody may write the source while it is read: the copy must be what is deleted.
  // The entry itself is opened, never what a link there leads to.
  const std::wstring wide = WidePath(path);
  ScopedHandle entry(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  std::uint32_t attributes = 0;
  if (!entry.valid() || KindOfOpened(entry.get(), path, &attributes) != EntryKind::kRegularFile) return false;
  HANDLE file = entry.release();
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    // A cloud placeholder, a deduplicated or a compressed file: its filter gives the data
    // only to an open that goes through it, and that open must find the same file.
    ScopedHandle opened(file);
    file = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const FileSnapshot checked = SnapshotOf(opened.get()), reading = SnapshotOf(file);
    if (!checked.valid || !reading.valid || checked.device != reading.device ||
        checked.fileId != reading.fileId) {
      ::CloseHandle(file);
      return false;
    }
  }
  if (::GetFileType(file) != FILE_TYPE_DISK) {
    ::CloseHandle(file);
    return false;
  }
  handle_ = file;
  open_ = true;
  snapshot_ = SnapshotOf(file);
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
    const std::size_t chunk = len - done < kMaxIoChunk ? len - done : kMaxIoChunk;
    DWORD got = 0;
    if (!::ReadFile(handle_, data + done, static_cast<DWORD>(chunk), &got, nullptr)) {
      error_ = true;
      return done;
    }
    if (got == 0) {
      eof_ = true;
      return done;
    }
    done += got;
    snapshot_.bytesRead += got;
  }
  return done;
}

void InputFile::Close() {
  if (open_) ::CloseHandle(handle_);
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
    // Delete sharing only: a second Ctrl-C may remove it while it is still being written.
    HANDLE file = ::CreateFileW(WidePath(temp).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      handle_ = file;
      open_ = true;
      tempPath_ = temp;
      RegisterUnfinished(temp);
      return true;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

bool TempOutput::Write(const std::uint8_t* data, std::size_t len) {
  if (!open_) return false;
  while (len > 0) {
    if (InjectFault(FaultPoint::kWrite)) return false;
    const std::size_t chunk = len < kMaxIoChunk ? len : kMaxIoChunk;
    DWORD written = 0;
    if (!::WriteFile(handle_, data, static_cast<DWORD>(chunk), &written, nullptr)) return Failed(::GetLastError());
    if (written == 0) return false;
    data += written;
    len -= written;
  }
  return true;
}

bool TempOutput::WriteAt(std::uint64_t offset, const std::uint8_t* data, std::size_t len) {
  if (!open_) return false;
  while (len > 0) {
    if (InjectFault(FaultPoint::kWrite)) return false;
    const std::size_t chunk = len < kMaxIoChunk ? len : kMaxIoChunk;
    // On a synchronous handle the offset in OVERLAPPED positions the write.
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD written = 0;
    if (!::WriteFile(handle_, data, static_cast<DWORD>(chunk), &written, &at)) return Failed(::GetLastError());
    if (written == 0) return false;
    data += written;
    len -= written;
    offset += written;
  }
  return true;
}

bool TempOutput::TakeOver(const FileSnapshot& source, bool) {
  if (!open_ || !source.valid) return false;
  const auto modified = static_cast<std::uint64_t>(source.modified);
  FILETIME lastWrite = {static_cast<DWORD>(modified), static_cast<DWORD>(modified >> 32)};
  return ::SetFileTime(handle_, nullptr, nullptr, &lastWrite) != 0;
}

bool TempOutput::Finish() {
  if (!open_) return false;
  bool ok = !InjectFault(FaultPoint::kFlush) && (::FlushFileBuffers(handle_) != 0 || Failed(::GetLastError()));
  open_ = false;
  if (InjectFault(FaultPoint::kClose)) {
    ::CloseHandle(handle_);
    return false;
  }
  ok = (::CloseHandle(handle_) != 0 || Failed(::GetLastError())) && ok;
  return ok;
}

CommitResult TempOutput::Commit(bool replaceExisting, bool replaceReadOnly) {
  if (open_ || tempPath_.empty()) return CommitResult::kFailed;
  const DWORD attributes = AttributesOf(destination_);
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return CommitResult::kFailed;
    if (!replaceExisting) return CommitResult::kExists;
    if (!replaceReadOnly && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return CommitResult::kFailed;
    // MoveFileEx will not replace a read-only file.
    if (!::SetFileAttributesW(WidePath(destination_).c_str(), FILE_ATTRIBUTE_NORMAL)) return CommitResult::kFailed;
  }
  // Without MOVEFILE_REPLACE_EXISTING a file that appeared meanwhile is never replaced.
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
  const bool moved = !InjectFault(FaultPoint::kRename) &&
                     ::MoveFileExW(WidePath(tempPath_).c_str(), WidePath(destination_).c_str(), flags) != 0;
  if (!moved) {
    const DWORD error = ::GetLastError();
    if (exists) ::SetFileAttributesW(WidePath(destination_).c_str(), attributes);
    return !replaceExisting && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
               ? CommitResult::kExists
               : CommitResult::kFailed;
  }
  g_hasUnfinished = 0;
  committed_ = true;
  tempPath_.clear();
  return CommitResult::kOk;
}

bool TempOutput::Failed(unsigned long error) {
  if (outOfSpace_ && (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL)) *outOfSpace_ = true;
  return false;
}

void TempOutput::Discard() {
  if (open_) ::CloseHandle(handle_);
  open_ = false;
  if (!committed_ && !tempPath_.empty()) {
    DeleteFreeingHere(tempPath_);
    g_hasUnfinished = 0;
  }
  tempPath_.clear();
}

}  // namespace qz
