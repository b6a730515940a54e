// Helpers of the ui suite: the suite's own resources as the language library, a dialog that
// records its commands, and pumping the thread's messages.
#ifndef ZOLAN_TESTS_UITESTSUPPORT_H
#define ZOLAN_TESTS_UITESTSUPPORT_H

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "foundation/approot.h"
#include "ui/windows.h"

namespace uitest {

// While alive, the test program's own module (uitest.rc) serves dialogs, icons and menus, and
// the common controls are registered as the program start would do.
class OwnResources {
public:
  OwnResources() : savedApp(gAppInstance), savedResource(gResourceInstance) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, 0x7FF};
    InitCommonControlsEx(&icc);
    gAppInstance = gResourceInstance = GetModuleHandleA(nullptr);
  }
  ~OwnResources() {
    gAppInstance = savedApp;
    gResourceInstance = savedResource;
  }
  OwnResources(const OwnResources&) = delete;
  OwnResources& operator=(const OwnResources&) = delete;

private:
  HINSTANCE savedApp;
  HINSTANCE savedResource;
};

// A dialog that records the WM_COMMANDs (id, notification) and keys it receives.
class RecordingDialog : public DIALOG {
public:
  RecordingDialog(int templateId, HWND parent = nullptr) : DIALOG(templateId, parent, nullptr) {}
  INT_PTR DlgProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND) commands.push_back({LOWORD(wParam), HIWORD(wParam)});
    if (message == WM_KEYDOWN) keys.push_back((int)wParam);
    if (message == WM_INITDIALOG && lParam == 0) deferredInits++;
    return DIALOG::DlgProc(message, wParam, lParam);
  }
  bool Received(int id, int notification) const {
    for (const std::pair<int, int>& c : commands)
      if (c.first == id && c.second == notification) return true;
    return false;
  }
  std::vector<std::pair<int, int>> commands;
  std::vector<int> keys;
  int deferredInits = 0;
};

// Serves the thread's pending messages (posted WMU_INIT, paints).
inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Called by a driver thread after the action that should end a modal dialog: a dialog still
// shown after a while is ended with the result -99, so that a test fails instead of hanging.
inline void EndsOrFails(HWND dialog) {
  for (int i = 0; i < 250 && IsWindowVisible(dialog); i++) Sleep(20);
  if (IsWindowVisible(dialog)) PostMessageA(dialog, WMU_ENDMODAL, (WPARAM)-99, 0);
}

}  // namespace uitest

#endif
