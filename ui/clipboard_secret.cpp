#include "clipboard_secret.h"

#include <cstdint>
#include <cstring>

#include "crypto/secure_wipe.h"

namespace {

constexpr UINT_PTR kClearTimer = 0x5143;
constexpr UINT kClearAfterMs = 60 * 1000;
// The keeper's property: the clipboard's sequence number right after the copy, marked in
// bit 32 so that a number of 0 still reads as present.
constexpr wchar_t kCopiedSequence[] = L"Lockmere.CopiedSecret";
constexpr std::uint64_t kPresent = std::uint64_t{1} << 32;

void CALLBACK ClearOnTimer(HWND keeper, UINT, UINT_PTR, DWORD) { ClearSecretFromClipboard(keeper); }

bool PutGlobal(UINT format, const void* data, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  void* target = memory ? GlobalLock(memory) : nullptr;
  if (!target) {
    if (memory) GlobalFree(memory);
    return false;
  }
  std::memcpy(target, data, size);
  GlobalUnlock(memory);
  if (SetClipboardData(format, memory)) return true;
  qz::SecureWipe(GlobalLock(memory), size);
  GlobalUnlock(memory);
  GlobalFree(memory);
  return false;
}

}  // namespace

bool CopySecretToClipboard(HWND keeper, const qz::Secret& secret) {
  if (!OpenClipboard(keeper)) return false;
  EmptyClipboard();
  // With the zero that ends it, which the secret keeps after its bytes.
  bool copied = PutGlobal(CF_UNICODETEXT, secret.wchars(), secret.size() + sizeof(wchar_t));
  if (copied) {
    // Kept out of the clipboard's history and its copies to other devices.
    const DWORD no = 0;
    PutGlobal(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"), &no, sizeof no);
    PutGlobal(RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"), &no, sizeof no);
    PutGlobal(RegisterClipboardFormatW(L"CanUploadToCloudClipboard"), &no, sizeof no);
  }
  CloseClipboard();
  if (!copied) return false;
  const std::uint64_t mark = kPresent | GetClipboardSequenceNumber();
  SetPropW(keeper, kCopiedSequence, reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(mark)));
  SetTimer(keeper, kClearTimer, kClearAfterMs, &ClearOnTimer);
  return true;
}

void ClearSecretFromClipboard(HWND keeper) {
  KillTimer(keeper, kClearTimer);
  const auto mark = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(RemovePropW(keeper, kCopiedSequence)));
  if (!(mark & kPresent) || static_cast<DWORD>(mark) != GetClipboardSequenceNumber()) return;
  if (!OpenClipboard(keeper)) return;
  // The block the clipboard holds is freed as it empties, but not wiped.
  if (HANDLE text = GetClipboardData(CF_UNICODETEXT)) {
    if (void* bytes = GlobalLock(text)) {
      qz::SecureWipe(bytes, GlobalSize(text));
      GlobalUnlock(text);
    }
  }
  EmptyClipboard();
  CloseClipboard();
}
