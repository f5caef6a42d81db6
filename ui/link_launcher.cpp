// Opening a link: the shell first, then the browser registered for ".htm" files; and
// the message for a link that could not be opened.
#include "link_launcher.h"

#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "message_box.h"

namespace {

void ShowApplicationHelp(HWND owner, ULONG_PTR context, UINT command) {
  // The framework's convention: the help file is the executable's name with ".HLP".
  // Wide: the program may sit in a folder whose name the ANSI code page cannot hold.
  wchar_t path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  wchar_t* dot = std::wcsrchr(path, L'.');
  wchar_t* slash = std::wcsrchr(path, L'\\');
  if (dot && (!slash || dot > slash)) *dot = L'\0';
  if (std::wcslen(path) + 5 > MAX_PATH) return;
  std::wcscat(path, L".HLP");
  WinHelpW(owner, path, command, context);
}

}  // namespace

LinkSystemCalls SystemLinkCalls() {
  LinkSystemCalls calls;
  calls.shellExecute = [](HWND owner, const char* verb, const char* file, const char* parameters,
                          const char* directory, int show) {
    return ShellExecuteA(owner, verb, file, parameters, directory, show);
  };
  calls.winExec = [](const char* commandLine, UINT show) { return WinExec(commandLine, show); };
  calls.showHelp = &ShowApplicationHelp;
  return calls;
}

LinkSystemCalls& LinkCalls() {
  static LinkSystemCalls calls = SystemLinkCalls();
  return calls;
}

LONG QueryClassKey(HKEY root, const char* subKey, char* out, size_t outSize) {
  HKEY key = nullptr;
  LONG error = RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key);
  if (error != ERROR_SUCCESS) return error;
  char value[MAX_PATH] = {};
  DWORD type = 0;
  DWORD size = sizeof(value) - 1;  // room for a terminator the value may lack
  // The default value must really be there: an absent or unreadable one is an error,
  // never an unfilled buffer.
  error = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (error != ERROR_SUCCESS) return error;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
  value[size] = '\0';
  const size_t length = std::strlen(value);
  if (length + 1 > outSize) return ERROR_INSUFFICIENT_BUFFER;
  std::memcpy(out, value, length + 1);
  return ERROR_SUCCESS;
}

INT_PTR LaunchLinkUrl(const char* url, int showCommand) {
  const INT_PTR shellResult = reinterpret_cast<INT_PTR>(
      LinkCalls().shellExecute(nullptr, "open", url, nullptr, nullptr, showCommand));
  if (shellResult > 32) return shellResult;

  char command[kLinkCommandBufferSize];
  if (QueryClassKey(HKEY_CLASSES_ROOT, ".htm", command, sizeof(command)) != ERROR_SUCCESS)
    return shellResult;
  static const char kOpenCommand[] = "\\shell\\open\\command";
  if (std::strlen(command) + sizeof(kOpenCommand) > sizeof(command)) return shellResult;
  std::strcat(command, kOpenCommand);
  if (QueryClassKey(HKEY_CLASSES_ROOT, command, command, sizeof(command)) != ERROR_SUCCESS)
    return shellResult;

  // The URL takes the place of the first "%1", with its quotes when it has them.
  char* placeholder = std::strstr(command, "\"%1\"");
  if (!placeholder) placeholder = std::strstr(command, "%1");
  if (placeholder) *placeholder = '\0';

  // A line that cannot take the URL is refused rather than cut or overrun.
  if (std::strlen(command) + 1 + std::strlen(url) + 1 > sizeof(command)) return kLinkCommandTooLong;
  std::strcat(command, " ");
  std::strcat(command, url);
  return static_cast<INT_PTR>(LinkCalls().winExec(command, static_cast<UINT>(showCommand)));
}

std::string LinkOpenErrorText(int error) {
  switch (error) {
    case 0: return "The operating system is out\nof memory or resources.";
    case SE_ERR_FNF: return "The specified file was not found.";
    case SE_ERR_PNF: return "The specified path was not found.";
    case SE_ERR_ACCESSDENIED: return "The operating system denied\naccess to the specified file.";
    case SE_ERR_OOM: return "There was not enough memory to complete the operation.";
    case 11:  // ERROR_BAD_FORMAT
      return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case SE_ERR_SHARE: return "A sharing violation occurred. ";
    case SE_ERR_ASSOCINCOMPLETE: return "The filename association is\nincomplete or invalid.";
    case SE_ERR_DDETIMEOUT:
      return "The DDE transaction could not\nbe completed because the request timed out.";
    case SE_ERR_DDEFAIL: return "The DDE transaction failed.";
    case SE_ERR_DDEBUSY:
      return "The DDE transaction could not\nbe completed because other DDE transactions\n"
             "were being processed.";
    case SE_ERR_NOASSOC: return "There is no application associated\nwith the given filename extension.";
    case SE_ERR_DLLNOTFOUND: return "The specified dynamic-link library was not found.";
    case kLinkCommandTooLong:
      return "The link is too long for the command line\nof the registered browser.";
    default: {
      char text[64];
      std::snprintf(text, sizeof(text), "Unknown Error (%d) occurred.", error);
      return text;
    }
  }
}

void ShowLinkOpenError(int error) {
  AfxMessageBox(("Can't open link:\n\n" + LinkOpenErrorText(error)).c_str(), MB_ICONEXCLAMATION);
}
