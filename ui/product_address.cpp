#include "product_address.h"

#include <string>

namespace {

struct Addresses {
  std::string host;
  std::string site;
  std::wstring info;
};

Addresses& Current() {
  static Addresses addresses;
  return addresses;
}

}  // namespace

void SetProductHost(const char* host) {
  Addresses& addresses = Current();
  addresses.host = host ? host : "";
  addresses.site = "http://" + addresses.host + "/";
  const std::string info = addresses.site + "Product/HotInfo.aspx?id=qz";
  addresses.info.assign(info.begin(), info.end());  // ASCII
}

const char* ProductSiteUrl() { return Current().site.c_str(); }

const wchar_t* ProductInfoUrl() { return Current().info.c_str(); }

const char* VendorSiteAddress() { return Current().host.c_str(); }

const char* VendorSiteUrl() { return Current().site.c_str(); }
