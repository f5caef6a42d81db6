#include "crypto/secure_wipe.h"

#ifdef _WIN32
#include <windows.h>
#elif defined(__GLIBC__) || defined(__OpenBSD__) || defined(__FreeBSD__)
#include <string.h>
#define QZ_HAVE_EXPLICIT_BZERO 1
#endif

namespace qz {

void SecureWipe(void* data, std::size_t len) {
  if (!data || len == 0) return;
#ifdef _WIN32
  SecureZeroMemory(data, len);
#elif defined(QZ_HAVE_EXPLICIT_BZERO)
  explicit_bzero(data, len);
#else
  volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
  while (len--) *p++ = 0;
#endif
}

}  // namespace qz
