// Compiled once per executable with QZ_PRODUCT_HOST set, so that tests can point the
// program at a loopback server.
#include "product_address.h"

#ifndef QZ_PRODUCT_HOST
#error "QZ_PRODUCT_HOST must name the vendor's host"
#endif

#define QZ_WIDEN2(text) L##text
#define QZ_WIDEN(text) QZ_WIDEN2(text)

const char* ProductSiteUrl() { return "http://" QZ_PRODUCT_HOST "/"; }

const wchar_t* ProductInfoUrl() {
  return QZ_WIDEN("http://" QZ_PRODUCT_HOST "/Product/HotInfo.aspx?id=qz");
}

const char* VendorSiteAddress() { return QZ_PRODUCT_HOST; }

const char* VendorSiteUrl() { return "http://" QZ_PRODUCT_HOST "/"; }
