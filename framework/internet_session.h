// A WinINet session: the root handle lives as long as the object; opening a URL that
// fails raises CInternetException.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstddef>
#include <exception>

// what() is the text the framework shows when one escapes a handler.
class CInternetException : public std::exception {
 public:
  explicit CInternetException(DWORD error, DWORD_PTR context = 1);
  const char* what() const noexcept override { return m_szDescription; }
  // Writes the text of an error code (UTF-8, at most size - 1 bytes and a NUL); the
  // program installs its own wording at start-up, else "Internet error N.".
  using Describe = void (*)(DWORD error, char* text, std::size_t size);
  static void SetDescribe(Describe describe);

  DWORD m_dwError;
  DWORD_PTR m_dwContext;

 private:
  char m_szDescription[48];  // a fixed buffer: copying the exception cannot throw
};

// An opened URL; the handle is closed with the object.
class CInternetFile {
 public:
  explicit CInternetFile(HINTERNET handle) : m_hFile(handle) {}
  ~CInternetFile();
  CInternetFile(const CInternetFile&) = delete;
  CInternetFile& operator=(const CInternetFile&) = delete;
  HINTERNET m_hFile;
};

class CInternetSession {
 public:
  // agent null means the application's name. Throws CInternetException when the root
  // handle cannot be opened.
  explicit CInternetSession(const char* agent = nullptr, DWORD_PTR context = 1,
                            DWORD accessType = INTERNET_OPEN_TYPE_PRECONFIG,
                            const char* proxy = nullptr, const char* proxyBypass = nullptr,
                            DWORD flags = 0);
  ~CInternetSession();
  CInternetSession(const CInternetSession&) = delete;
  CInternetSession& operator=(const CInternetSession&) = delete;

  // Throws CInternetException when the URL cannot be opened.
  CInternetFile OpenURL(const char* url, DWORD_PTR context = 1,
                        DWORD flags = INTERNET_FLAG_TRANSFER_ASCII,
                        const char* headers = nullptr, DWORD headersLength = 0);
  void Close();

  HINTERNET m_hSession = nullptr;
  DWORD_PTR m_dwContext;
};
