#include "program_hooks.h"

#include <cstdio>
#include <exception>
#include <new>

#include "dialog.h"
#include "internet_session.h"
#include "legible_font.h"
#include "menu.h"
#include "message_box.h"
#include "wnd.h"

namespace {

void ReportEscapedError(std::exception_ptr error) {
  const char* what = "未知错误。";
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    what = "内存不足。";
  } catch (const std::exception& other) {
    // Shown while other is still alive.
    AfxMessageBox(other.what(), MB_OK | MB_ICONSTOP);
    return;
  } catch (...) {
  }
  // The stop icon, like every error the program does not expect.
  AfxMessageBox(what, MB_OK | MB_ICONSTOP);
}

void DescribeNetworkError(DWORD error, char* text, std::size_t size) {
  std::snprintf(text, size, "网络错误 %lu。", static_cast<unsigned long>(error));
}

}  // namespace

void InstallProgramHooks() {
  CDialog::FontHooks fonts;
  fonts.replace = &MakeDialogLegible;
  fonts.fontOf = &LegibleFontOf;
  fonts.forget = &ForgetLegibleFont;
  CDialog::SetFontHooks(fonts);
  SetMessageBoxAppearing(&MakeMessageBoxLegible);
  CWnd::SetEscapedErrorReporter(&ReportEscapedError);
  CInternetException::SetDescribe(&DescribeNetworkError);
  CWnd::SetUnhandledMessageHandler(&CMenu::DispatchOwnerDraw);
}
