// A block of memory inside another process: controls there take pointers in their own
// address space, so requests and answers are staged here.
#pragma once

#include <windows.h>

#include <cstddef>

namespace qz::e2e {

class RemoteMemory {
 public:
  RemoteMemory(DWORD pid, size_t size);
  ~RemoteMemory();
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  bool ok() const { return address_ != nullptr; }
  // The block's address in the other process, for pointers placed into requests.
  char* address() const { return static_cast<char*>(address_); }
  bool Write(size_t offset, const void* data, size_t size);
  bool Read(size_t offset, void* data, size_t size) const;

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  size_t size_ = 0;
};

}  // namespace qz::e2e
