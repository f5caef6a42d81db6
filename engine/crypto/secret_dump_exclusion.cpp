#include "secret_dump_exclusion.h"

#ifdef _WIN32
#include <windows.h>

#include <initializer_list>
#endif

namespace qz {

#ifdef _WIN32
namespace {

using RegisterBlock = HRESULT(WINAPI*)(const void*, DWORD);
using UnregisterBlock = HRESULT(WINAPI*)(const void*);

// Looked up at run time: older systems (and Wine) have no such call, and the program must
// still start there.
struct ReportCalls {
  RegisterBlock registerBlock = nullptr;
  UnregisterBlock unregisterBlock = nullptr;
  ReportCalls() {
    for (const wchar_t* library : {L"kernel32.dll", L"kernelbase.dll"}) {
      HMODULE module = GetModuleHandleW(library);
      if (!module) continue;
      registerBlock = reinterpret_cast<RegisterBlock>(
          reinterpret_cast<void*>(GetProcAddress(module, "WerRegisterExcludedMemoryBlock")));
      unregisterBlock = reinterpret_cast<UnregisterBlock>(
          reinterpret_cast<void*>(GetProcAddress(module, "WerUnregisterExcludedMemoryBlock")));
      if (registerBlock && unregisterBlock) return;
      registerBlock = nullptr;
      unregisterBlock = nullptr;
    }
  }
};

const ReportCalls& Calls() {
  static const ReportCalls calls;
  return calls;
}

}  // namespace

// A failure (the system's limit on such blocks met) leaves the block in a report, as it
// would be on a system without the call; the secret still works.
void ExcludeFromDumps(void* block, std::size_t size) {
  if (Calls().registerBlock && size <= MAXDWORD) Calls().registerBlock(block, static_cast<DWORD>(size));
}

void IncludeInDumps(void* block, std::size_t) {
  if (Calls().unregisterBlock) Calls().unregisterBlock(block);
}
#else
void ExcludeFromDumps(void*, std::size_t) {}
void IncludeInDumps(void*, std::size_t) {}
#endif

}  // namespace qz
