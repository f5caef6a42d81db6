#include "internet_session.h"

#include <cstdio>

#include "app.h"

namespace {
CInternetException::Describe g_describe = nullptr;
}  // namespace

void CInternetException::SetDescribe(Describe describe) { g_describe = describe; }

CInternetException::CInternetException(DWORD error, DWORD_PTR context)
    : m_dwError(error), m_dwContext(context) {
  if (g_describe) {
    g_describe(error, m_szDescription, sizeof(m_szDescription));
    m_szDescription[sizeof(m_szDescription) - 1] = '\0';
  } else {
    std::snprintf(m_szDescription, sizeof(m_szDescription), "Internet error %lu.",
                  static_cast<unsigned long>(error));
  }
}

CInternetFile::~CInternetFile() {
  if (m_hFile) InternetCloseHandle(m_hFile);
}

CInternetSession::CInternetSession(const char* agent, DWORD_PTR context, DWORD accessType,
                                   const char* proxy, const char* proxyBypass, DWORD flags)
    : m_dwContext(context) {
  const std::string& appName = AfxGetAppName();
  m_hSession = InternetOpenA(agent ? agent : appName.c_str(), accessType, proxy, proxyBypass,
                             flags);
  if (!m_hSession) throw CInternetException(GetLastError(), context);
}

CInternetSession::~CInternetSession() { Close(); }

void CInternetSession::Close() {
  if (m_hSession) InternetCloseHandle(m_hSession);
  m_hSession = nullptr;
}

CInternetFile CInternetSession::OpenURL(const char* url, DWORD_PTR context, DWORD flags,
                                        const char* headers, DWORD headersLength) {
  HINTERNET file = InternetOpenUrlA(m_hSession, url, headers, headersLength, flags, context);
  if (!file) throw CInternetException(GetLastError(), context);
  return CInternetFile(file);
}
