#include "product_page.h"

#include <windows.h>
#include <urlmon.h>

#include "internet_session.h"
#include "product_address.h"

namespace {

using ShowHtmlDialogFunction = HRESULT(STDAPICALLTYPE*)(HWND, IMoniker*, VARIANT*, LPWSTR, VARIANT*);

void ShowHtmlDialog() {
  HMODULE mshtml = LoadLibraryA("MSHTML.DLL");
  if (!mshtml) return;
  auto show = reinterpret_cast<ShowHtmlDialogFunction>(
      reinterpret_cast<void*>(GetProcAddress(mshtml, "ShowHTMLDialog")));
  if (show) {
    IMoniker* moniker = nullptr;
    if (SUCCEEDED(CreateURLMoniker(nullptr, ProductInfoUrl(), &moniker)) && moniker) {
      wchar_t options[] =
          L"dialogHeight:900px;dialogWidth:1020px;dialogTop:0px;dialogLeft:0px;edge:Raised;"
          L"center:Yes;help:yes;resizable:Yes;status:No;Minimize=yes;Maximize=yes;";
      show(nullptr, moniker, nullptr, options, nullptr);
      moniker->Release();
    }
  }
  FreeLibrary(mshtml);
}

}  // namespace

void ShowProductPage() {
  // A failure to open the session itself is the framework's to report.
  CInternetSession session(nullptr, 1, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  try {
    // Only opened to see that the site answers; closed again at once.
    CInternetFile page = session.OpenURL(ProductSiteUrl(), 1, INTERNET_FLAG_TRANSFER_ASCII);
  } catch (const CInternetException&) {
    return;
  }
  ShowHtmlDialog();
}
