// The application object: runs the main window modally and ends the process with it.
#pragma once

#include "app.h"

class CMainApp : public CWinApp {
 public:
  BOOL InitInstance() override;
};
