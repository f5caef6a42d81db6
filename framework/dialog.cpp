#include "dialog.h"

#include <cassert>

#include "app.h"

namespace {
CDialog::FontHooks g_fontHooks;
}  // namespace

void CDialog::SetFontHooks(const FontHooks& hooks) { g_fontHooks = hooks; }

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (!control.m_hWnd) control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog() {
  assert(!m_hWnd && "a dialog's window must be destroyed before its object");
  // The derived part is gone: the window ends unattached, so that none of its last
  // messages reaches this half-destroyed object.
  if (m_hWnd) ::DestroyWindow(Detach());
}

HWND CDialog::CreateFromTemplate(UINT templateId, HWND owner) {
  HINSTANCE instance = AfxGetInstanceHandle();
  HRSRC resource = FindResourceW(instance, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
  if (!resource) return nullptr;
  HGLOBAL loaded = LoadResource(instance, resource);
  auto dialogTemplate = loaded ? static_cast<LPCDLGTEMPLATEW>(LockResource(loaded)) : nullptr;
  if (!dialogTemplate) return nullptr;
  // The wide function keeps the template's texts intact on any ANSI code page.
  return CreateDialogIndirectParamW(instance, dialogTemplate, owner, &CDialog::DialogProc,
                                    reinterpret_cast<LPARAM>(this));
}

INT_PTR CDialog::DoModal() {
  HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : AfxGetMainWndHandle();
  if (owner) owner = GetLastActivePopup(owner);
  if (owner && !IsWindow(owner)) owner = nullptr;
  bool reenableOwner = owner && IsWindowEnabled(owner);

  m_nModalResult = -1;
  m_bContinueModal = TRUE;
  if (reenableOwner) ::EnableWindow(owner, FALSE);
  HWND dialog = CreateFromTemplate(m_nIDTemplate, owner);
  if (!dialog) {
    m_bContinueModal = FALSE;
    if (reenableOwner) ::EnableWindow(owner, TRUE);
    return -1;
  }
  if (m_bContinueModal) ::ShowWindow(dialog, SW_SHOWNORMAL);

  MSG msg;
  while (m_bContinueModal) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!WalkPreTranslateTree(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }

  // Re-enable the owner before the dialog goes, so that it gets the activation back.
  if (reenableOwner) ::EnableWindow(owner, TRUE);
  if (owner && GetActiveWindow() == dialog) SetActiveWindow(owner);
  if (IsWindow(dialog)) DestroyWithoutHiding(dialog);
  return m_nModalResult;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  m_nIDTemplate = templateId;
  m_pParentWnd = parent;
  HWND owner = parent ? parent->m_hWnd : AfxGetMainWndHandle();
  return CreateFromTemplate(templateId, owner) != nullptr;
}

void CDialog::EndDialog(int result) {
  m_nModalResult = result;
  if (m_bContinueModal) {
    m_bContinueModal = FALSE;
    if (m_hWnd) PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wakes the modal loop
  }
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  return m_hWnd && IsDialogMessageW(m_hWnd, msg);
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
  if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (CWnd::OnCommand(wParam, lParam, result)) return TRUE;
  UINT code = HIWORD(wParam);
  if (code != BN_CLICKED) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK: OnOK(); return TRUE;
    case IDCANCEL: OnCancel(); return TRUE;
    default: return FALSE;
  }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    dialog->Attach(hwnd);
    // Before the dialog's own set-up, which may derive fonts of its own from this one.
    if (g_fontHooks.replace) g_fontHooks.replace(hwnd);
    return CallGuarded(message, wParam, lParam,
                       [&] { return static_cast<LRESULT>(dialog->OnInitDialog()); });
  }
  CWnd* wnd = FromHandlePermanent(hwnd);
  if (!wnd) return FALSE;
  if (message == WM_GETFONT && g_fontHooks.fontOf) {
    if (HFONT font = g_fontHooks.fontOf(hwnd)) {
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(font));
      return TRUE;
    }
  }
  if (message == WM_NCDESTROY) {
    if (g_fontHooks.forget) g_fontHooks.forget(hwnd);
    wnd->OnFinalDestroy();
    return FALSE;
  }
  LRESULT result = 0;
  BOOL handled = FALSE;
  CallGuarded(message, wParam, lParam, [&] {
    handled = wnd->OnWndMsg(message, wParam, lParam, &result);
    return result;
  });
  if (!handled) return FALSE;
  // These messages return their result directly; the rest through DWLP_MSGRESULT.
  if ((message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ||
      message == WM_COMPAREITEM || message == WM_VKEYTOITEM || message == WM_CHARTOITEM ||
      message == WM_QUERYDRAGICON)
    return static_cast<INT_PTR>(result);
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}
