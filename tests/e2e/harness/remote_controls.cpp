#include "remote_controls.h"

#include <commctrl.h>

#include "remote_memory.h"
#include "shared.h"
#include "window_find.h"

namespace qz::e2e {

namespace {

constexpr UINT kSendTimeoutMs = 5000;
constexpr int kTextCapacity = 1024;

bool Send(HWND window, UINT message, WPARAM w, LPARAM l, LRESULT* result) {
  DWORD_PTR out = 0;
  if (!SendMessageTimeoutA(window, message, w, l, SMTO_ABORTIFHUNG, kSendTimeoutMs, &out))
    return false;
  *result = static_cast<LRESULT>(out);
  return true;
}

DWORD OwnerProcess(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

// Reads the zero-terminated text that the control wrote behind the request record.
std::string ReadText(const RemoteMemory& memory, size_t offset) {
  std::string text(kTextCapacity, '\0');
  if (!memory.Read(offset, text.data(), text.size())) return {};
  text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
  return text;
}

}  // namespace

std::optional<std::vector<ComboItem>> ReadComboBoxExItems(HWND combo) {
  LRESULT count = 0;
  if (!Send(combo, CB_GETCOUNT, 0, 0, &count) || count < 0) return std::nullopt;
  RemoteMemory memory(OwnerProcess(combo), sizeof(COMBOBOXEXITEMA) + kTextCapacity);
  if (!memory.ok()) return std::nullopt;
  std::vector<ComboItem> items;
  for (LRESULT i = 0; i < count; ++i) {
    COMBOBOXEXITEMA request{};
    request.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    request.iItem = i;
    request.pszText = memory.address() + sizeof request;
    request.cchTextMax = kTextCapacity;
    const char zero = 0;
    LRESULT ok = 0;
    if (!memory.Write(0, &request, sizeof request) || !memory.Write(sizeof request, &zero, 1) ||
        !Send(combo, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(memory.address()), &ok) || !ok)
      return std::nullopt;
    COMBOBOXEXITEMA answer{};
    if (!memory.Read(0, &answer, sizeof answer)) return std::nullopt;
    // A pointer into the control's own memory could not be read from here.
    if (answer.pszText != request.pszText) return std::nullopt;
    items.push_back({ReadText(memory, sizeof request), answer.iImage, answer.iSelectedImage});
  }
  return items;
}

int ComboSelection(HWND combo) {
  LRESULT selection = CB_ERR;
  if (!Send(combo, CB_GETCURSEL, 0, 0, &selection)) return CB_ERR;
  return static_cast<int>(selection);
}

std::optional<std::vector<ListItem>> ReadListViewItems(HWND list) {
  LRESULT count = 0;
  if (!Send(list, LVM_GETITEMCOUNT, 0, 0, &count) || count < 0) return std::nullopt;
  RemoteMemory memory(OwnerProcess(list), sizeof(LVITEMW) + kTextCapacity * sizeof(wchar_t));
  if (!memory.ok()) return std::nullopt;
  std::vector<ListItem> items;
  for (LRESULT i = 0; i < count; ++i) {
    LVITEMW request{};
    request.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    request.iItem = static_cast<int>(i);
    request.pszText = reinterpret_cast<wchar_t*>(memory.address() + sizeof request);
    request.cchTextMax = kTextCapacity;
    const wchar_t zero = 0;
    LRESULT ok = 0;
    if (!memory.Write(0, &request, sizeof request) || !memory.Write(sizeof request, &zero, sizeof zero) ||
        !Send(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(memory.address()), &ok) || !ok)
      return std::nullopt;
    LVITEMW answer{};
    if (!memory.Read(0, &answer, sizeof answer)) return std::nullopt;
    if (answer.pszText != request.pszText) return std::nullopt;
    std::wstring text(kTextCapacity, L'\0');
    if (!memory.Read(sizeof request, text.data(), text.size() * sizeof(wchar_t))) return std::nullopt;
    text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
    items.push_back({WideToUtf8(text), answer.iImage, answer.lParam});
  }
  return items;
}

std::optional<int> DroppedListClientHeight(HWND combo) {
  LRESULT ignored = 0;
  const DWORD pid = OwnerProcess(combo);
  if (!Send(combo, CB_SHOWDROPDOWN, TRUE, 0, &ignored)) return std::nullopt;
  HWND list = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : TopLevelWindows(pid))
          if (IsWindowVisible(w) && ClassName(w) == "ComboLBox") list = w;
        return list != nullptr;
      },
      Millis(3000));
  RECT client{};
  const bool measured = list && GetClientRect(list, &client);
  Send(combo, CB_SHOWDROPDOWN, FALSE, 0, &ignored);
  if (!measured) return std::nullopt;
  return static_cast<int>(client.bottom - client.top);
}

int ComboItemHeight(HWND combo, int index) {
  LRESULT height = CB_ERR;
  if (!Send(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(index), 0, &height)) return -1;
  return static_cast<int>(height);
}

int ComboCount(HWND combo) {
  LRESULT count = CB_ERR;
  if (!Send(combo, CB_GETCOUNT, 0, 0, &count)) return -1;
  return static_cast<int>(count);
}

}  // namespace qz::e2e
