// Dialogs from templates: modal with the framework's own loop (so that PreTranslateMessage
// runs for every message of the dialog and its controls), or modeless.
#pragma once

#include "wnd.h"

class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate)
      : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
  CWnd* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
};

// Binds a control of the dialog to a wrapper object (subclassing it) the first time.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

// The window must end while the whole object exists, or the handlers of the derived
// class (WM_DESTROY, PostNcDestroy) cannot run: DoModal ends it before it returns, and a
// class whose object can go while its modeless window is open destroys the window in its
// own destructor. ~CDialog only checks that.
class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Returns the value given to EndDialog, or -1 when the dialog cannot be created.
  virtual INT_PTR DoModal();
  // Modeless: creates the dialog and returns at once.
  BOOL Create(UINT templateId, CWnd* parent = nullptr);
  void EndDialog(int result);
  BOOL UpdateData(BOOL saveAndValidate = TRUE);
  BOOL IsModalLoopRunning() const { return m_bContinueModal; }

  // A program's own choice of every dialog's font, installed at start-up: `replace`
  // runs before a dialog's own set-up (which may derive fonts from the one it sets),
  // `fontOf` answers WM_GETFONT when not null (the system's dialog keeps answering with
  // its template's font), `forget` runs at the dialog's end. Any may be null.
  struct FontHooks {
    void (*replace)(HWND dialog) = nullptr;
    HFONT (*fontOf)(HWND dialog) = nullptr;
    void (*forget)(HWND dialog) = nullptr;
  };
  static void SetFontHooks(const FontHooks& hooks);

  BOOL PreTranslateMessage(MSG* msg) override;

 protected:
  virtual BOOL OnInitDialog();
  virtual void DoDataExchange(CDataExchange* dx);
  virtual void OnOK();
  virtual void OnCancel();

  BOOL OnCommand(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;

 private:
  HWND CreateFromTemplate(UINT templateId, HWND owner);
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  BOOL m_bContinueModal = FALSE;
  int m_nModalResult = -1;
};
