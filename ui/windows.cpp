// WINDOW: the wrapper of one window handle, toolkit window creation and the toolkit's
// window procedure.
#include "ui/windows.h"

#include "foundation/approot.h"
#include "foundation/zolan.h"
#include "platform/winhelp.h"

namespace {

RECT RectOf(HWND window) {
  RECT r = {0, 0, 0, 0};
  if (!window) {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
  }
  GetWindowRect(window, &r);
  // GetParent answers the owner for a top-level window; only a real child window measures in
  // its parent's client coordinates.
  HWND parent = ::GetParent(window);
  if (parent && parent != GetWindow(window, GW_OWNER))
    MapWindowPoints(HWND_DESKTOP, parent, (POINT*)&r, 2);
  return r;
}

HICON LoadIconIfAny(HINSTANCE module, int iconId) {
  if (!module || iconId <= 0 || iconId > 0xFFFF) return nullptr;
  return LoadIconA(module, MAKEINTRESOURCEA(iconId));
}

}  // namespace

WINDOW::WINDOW(HWND handle) : hWnd(handle), id(-1), autoDestroy(false), preHandler(nullptr) {
  if (!handle) return;
  id = (int)GetWindowLongPtrA(handle, GWLP_ID);
  if (id == 0) {
    int answer = 0;
    SendMessageA(handle, WMU_GETID, (WPARAM)&answer, 0);
    id = answer;
  }
}

WINDOW::WINDOW(const WINDOW& other)
    : hWnd(other.hWnd), id(other.id), autoDestroy(false), preHandler(nullptr) {}

WINDOW::WINDOW(int windowId)
    : hWnd(nullptr), id(windowId), autoDestroy(false), preHandler(nullptr) {}

WINDOW::WINDOW(DWORD style, const char* title, int x, int y, int width, int height,
               HWND parent, int windowId, const char* className, HCURSOR cursor)
    : hWnd(nullptr), id(windowId), autoDestroy(true), preHandler(nullptr) {
  RegisterToolkitClass(className, windowId, cursor);
  HMENU menuOrId;
  if (style & WS_CHILD)
    menuOrId = (HMENU)(INT_PTR)windowId;
  else
    menuOrId = (windowId > 0 && windowId <= 0xFFFF)
                   ? LoadMenuA(gResourceInstance, MAKEINTRESOURCEA(windowId))
                   : nullptr;
  HWND created = CreateWindowExA(0, className, title, style, x, y, width, height, parent,
                                 menuOrId, gResourceInstance, this);
  if (created) hWnd = created;
  if (!created)
    Logit("WINDOW::WINDOW CreateWindowExA(%s) failed, error=%lu\n", className, GetLastError());
  STRING info(windowId);
  ASSERTTEXT(this->hWnd != nullptr, "this->hWnd", info.c_str());
}

WINDOW::~WINDOW() {
  if (autoDestroy && hWnd && IsWindow(hWnd)) {
    Logit("WINDOW::~WINDOW auto-destroying %s %d\n", GetText().c_str(), id);
    DestroyWindow(hWnd);
  }
  hWnd = nullptr;
}

void WINDOW::RegisterToolkitClass(const char* className, int windowId, HCURSOR cursor) {
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof wc);
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = ToolkitWndProc;
  wc.cbWndExtra = 4;
  wc.hInstance = gResourceInstance;
  wc.hIcon = ClassIcon(windowId);
  wc.hCursor = cursor ? cursor : LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  wc.hbrBackground = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
  wc.lpszClassName = className;
  // Every creation registers; the class usually exists already, which is fine.
  if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    Logit("WINDOW::RegisterClass %s failed, error=%lu\n", className, GetLastError());
}

HICON WINDOW::ClassIcon(int windowId) {
  HICON icon = LoadIconIfAny(gResourceInstance, windowId);
  if (!icon) icon = LoadIconIfAny(gAppInstance, 1);
  if (!icon) icon = LoadIconIfAny(gResourceInstance, 1);
  if (!icon) icon = LoadIconIfAny(gResourceInstance, 32512);  // the number of IDI_APPLICATION
  return icon;
}

void WINDOW::Detach() {
  SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
  hWnd = nullptr;
  preHandler = nullptr;
}

LRESULT CALLBACK WINDOW::ToolkitWndProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
  if (message == WM_CREATE && lParam) {
    WINDOW* created = (WINDOW*)((CREATESTRUCTA*)lParam)->lpCreateParams;
    SetWindowLongPtrA(window, GWLP_USERDATA, (LONG_PTR)created);
    if (created) created->hWnd = window;
  }
  WINDOW* object = (WINDOW*)GetWindowLongPtrA(window, GWLP_USERDATA);
  if (!object) return DefWindowProcA(window, message, wParam, lParam);
  if (object->preHandler) object->preHandler(window, message, wParam, lParam);
  LogitHotKey(message, wParam, lParam);
  if (message == WM_DESTROY) object->WINDOW::WndProc(message, wParam, lParam);
  LRESULT answer = object->WndProc(message, wParam, lParam);
  // The window is gone for good: a later destructor must not destroy a recycled handle.
  if (message == WM_NCDESTROY) object->Detach();
  return answer;
}

LRESULT WINDOW::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      if (!lParam) break;
      PostMessageA(hWnd, WMU_INIT, 0, 0);
      return 0;
    case WM_DESTROY:
      preHandler = nullptr;
      return 1;
    case WM_QUERYENDSESSION:
      return 1;
    case WM_ENDSESSION:
      PostMessageA(hWnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_HELP:
      return ShowHelp() ? 1 : 0;
    case WMU_INIT:
      return WndProc(WM_CREATE, 0, 0);
    case WMU_GETID:
      if (wParam) *(int*)wParam = id;
      return 0;
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

bool WINDOW::ShowHelp() {
  if (!gHelpFile.HasFile()) return false;
  HWND focus = GetFocus();
  if (focus && gHelpFile.ShowContextHelp(focus)) return true;
  if (gHelpFile.ShowTopic(id)) return true;
  if (gHelpFile.ShowContextHelp(hWnd)) return true;
  if (gHelpFile.GetDefaultTopic() != -1) gHelpFile.ShowTopic(gHelpFile.GetDefaultTopic());
  return true;
}

int WINDOW::Destroy() {
  if (!hWnd) return 0;
  int result = DestroyWindow(hWnd);
  hWnd = nullptr;
  return result;
}

BOOL WINDOW::Show(int command) {
  if (command != 0) {
    if (IsMinimized())
      command = SW_RESTORE;
    else if (IsMaximized())
      command = SW_SHOWMAXIMIZED;
  }
  return ShowWindow(hWnd, command);
}

bool WINDOW::IsMinimized() const {
  WINDOWPLACEMENT wp;
  wp.length = sizeof wp;
  return GetWindowPlacement(hWnd, &wp) && wp.showCmd == SW_SHOWMINIMIZED;
}

bool WINDOW::IsMaximized() const {
  WINDOWPLACEMENT wp;
  wp.length = sizeof wp;
  return GetWindowPlacement(hWnd, &wp) && wp.showCmd == SW_SHOWMAXIMIZED;
}

RECT WINDOW::GetRect() const { return RectOf(hWnd); }

SIZE WINDOW::GetSize() const {
  RECT r = GetRect();
  SIZE s = {r.right - r.left, r.bottom - r.top};
  return s;
}

RECT WINDOW::GetClientRect() const {
  RECT r = {0, 0, 0, 0};
  ASSERTTEXT(this->hWnd != HWND_DESKTOP, "this->hWnd!=HWND_DESKTOP", nullptr);
  ::GetClientRect(hWnd, &r);
  return r;
}

SIZE WINDOW::GetClientSize() const {
  RECT r = GetClientRect();
  SIZE s = {r.right - r.left, r.bottom - r.top};
  return s;
}

BOOL WINDOW::Move(const RECT& rect) {
  return MoveWindow(hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                    TRUE);
}

BOOL WINDOW::SetPos(int x, int y, int width, int height) {
  SIZE current = GetSize();
  if (width == -1) width = current.cx;
  if (height == -1) height = current.cy;
  return MoveWindow(hWnd, x, y, width, height, TRUE);
}

STRING WINDOW::GetText() const {
  int length = GetWindowTextLengthA(hWnd);
  if (length <= 0) return STRING("");
  STRING text;
  text.Make(length);
  ASSERTTEXT(text.Data() != nullptr, "txt", nullptr);
  if (!text.Data()) return STRING("");
  int copied = GetWindowTextA(hWnd, text.Data(), length + 1);
  text.SetLength(copied > 0 ? copied : 0);
  return text;
}

WINDOW WINDOW::GetParent() const { return WINDOW(::GetParent(hWnd)); }

WINDOW WINDOW::GetOwner() const { return WINDOW(GetWindow(hWnd, GW_OWNER)); }

WINDOW WINDOW::GetChild(int childId) const { return WINDOW(GetDlgItem(hWnd, childId)); }

void WINDOW::AddStyle(DWORD bits) {
  SetWindowLongPtrA(hWnd, GWL_STYLE, GetWindowLongPtrA(hWnd, GWL_STYLE) | (LONG_PTR)bits);
}

void WINDOW::RemoveStyle(DWORD bits) {
  SetWindowLongPtrA(hWnd, GWL_STYLE, GetWindowLongPtrA(hWnd, GWL_STYLE) & ~(LONG_PTR)bits);
}

void WINDOW::AddExStyle(DWORD bits) {
  SetWindowLongPtrA(hWnd, GWL_EXSTYLE, GetWindowLongPtrA(hWnd, GWL_EXSTYLE) | (LONG_PTR)bits);
}

namespace WINDOWS {

HFONT CreateFont(const char* faceName, int points, int bold, int italic, int charSet) {
  HDC hdc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  ASSERT(hdc, nullptr);
  int resolution = hdc ? GetDeviceCaps(hdc, LOGPIXELSY) : 0;
  if (hdc) DeleteDC(hdc);
  LOGFONTA lf;
  ZeroMemory(&lf, sizeof lf);
  lf.lfHeight = -MulDiv(points, resolution, 72);
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = italic ? TRUE : FALSE;
  lf.lfCharSet = (BYTE)charSet;
  lstrcpynA(lf.lfFaceName, faceName ? faceName : "", LF_FACESIZE);
  return CreateFontIndirectA(&lf);
}

namespace {

// The button type of a "Button" window, -1 for any other class.
int ButtonType(HWND window) {
  char className[128];
  if (!window || !GetClassNameA(window, className, sizeof className)) return -1;
  if (lstrcmpiA(className, "Button") != 0) return -1;
  return (int)(GetWindowLongPtrA(window, GWL_STYLE) & 0xF);
}

}  // namespace

bool IsPushButton(HWND window) {
  int type = ButtonType(window);
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_USERBUTTON;
}

bool IsRadioButton(HWND window) {
  int type = ButtonType(window);
  return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

int WinWaitForSingleObject(HANDLE handle, DWORD timeoutMs) {
  for (;;) {
    DWORD rc = MsgWaitForMultipleObjects(1, &handle, FALSE, timeoutMs, QS_ALLINPUT);
    if (rc != WAIT_OBJECT_0 + 1) {
      Logit("WINDOWS::WinWaitForSingleObject finished\n");
      return rc == WAIT_OBJECT_0 ? 1 : 0;
    }
    MSG msg;
    for (int i = 0; i < 10 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); i++) {
      Logit("WINDOWS::WinWaitForSingleObject dispatch msg= %04x\n", msg.message);
      DispatchMessageA(&msg);
    }
  }
}

}  // namespace WINDOWS

// --- DIALOG ---

DIALOG::DIALOG(int templateId, HWND parent, HINSTANCE module) : WINDOW(templateId) {
  if (templateId == 0) return;
  HWND created = CreateDialogParamA(module ? module : gResourceInstance,
                                    MAKEINTRESOURCEA(templateId), parent, ToolkitDlgProc,
                                    (LPARAM)this);
  if (!created)
    Logit("DIALOG::DIALOG CreateDialogParamA(%d) failed, error=%lu\n", templateId,
          GetLastError());
  hWnd = created;
  STRING info(templateId);
  ASSERTTEXT(this->hWnd != nullptr, "this->hWnd", info.c_str());
  if (!hWnd) return;
  Place(parent);
}

DIALOG::~DIALOG() {
  if (hWnd) DestroyWindow(hWnd);
  hWnd = nullptr;
}

void DIALOG::Place(HWND parent) {
  RECT work = WINDOW(nullptr).GetRect();
  HWND reference = (parent && IsWindowVisible(parent)) ? parent : nullptr;
  ASSERTTEXT(!(parent && IsChild(hWnd, parent)), "!is_child", nullptr);
  RECT r = WINDOW(reference).GetRect();
  SIZE size = GetSize();
  int x = r.left + ((r.right - r.left) - size.cx) / 2;
  int y = r.top + ((r.bottom - r.top) - size.cy) / 2;
  if (x + size.cx > work.right) x = work.right - size.cx;
  if (x < 0) x = 0;
  if (y + size.cy > work.bottom) y = work.bottom - size.cy;
  if (y < 0) y = 0;
  MoveWindow(hWnd, x, y, size.cx, size.cy, TRUE);
}

INT_PTR CALLBACK DIALOG::ToolkitDlgProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
  if (message == WM_INITDIALOG && lParam) {
    SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
    ((DIALOG*)lParam)->hWnd = window;
    PostMessageA(window, WMU_INIT, 0, 0);
  }
  DIALOG* object = (DIALOG*)GetWindowLongPtrA(window, GWLP_USERDATA);
  if (!object) return 0;
  INT_PTR answer =
      object->preHandler ? object->preHandler(window, message, wParam, lParam) : 0;
  LogitHotKey(message, wParam, lParam);
  if (message == WM_DESTROY) object->DIALOG::DlgProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    return 0;
  }
  if (answer) return answer;
  return object->DlgProc(message, wParam, lParam);
}

INT_PTR DIALOG::DlgProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      hWnd = nullptr;
      preHandler = nullptr;
      return 0;
    case WM_CLOSE:
      Dismiss(2);
      return 1;
    case WM_INITDIALOG:
      return lParam ? 1 : 0;
    case WM_COMMAND:
      if (HIWORD(wParam) != 0 || !WINDOWS::IsPushButton((HWND)lParam)) return 0;
      if (LOWORD(wParam) == 9)
        WndProc(WM_HELP, 0, 0);
      else
        Dismiss(LOWORD(wParam) == IDCANCEL ? 0 : LOWORD(wParam));
      return 1;
    case WMU_INIT:
      return DlgProc(WM_INITDIALOG, 0, 0);
    case WMU_GETID:
      if (wParam) *(int*)wParam = id;
      return 0;
  }
  return 0;
}

void DIALOG::Dismiss(int result) {
  // Without a window the post would become a thread message that no loop expects.
  if (hWnd) PostMessageA(hWnd, WMU_ENDMODAL, (WPARAM)result, 0);
}

int DIALOG::Process(int flag) {
  HWND owner = GetWindow(hWnd, GW_OWNER);
  if (owner) EnableWindow(owner, FALSE);
  if (flag == 0) {
    Show(1);
    SetForegroundWindow(hWnd);
  }
  int result = 0;
  while (ModalStep(&result)) {
  }
  if (owner) EnableWindow(owner, TRUE);
  if (flag == 0) Show(0);
  return result;
}

bool DIALOG::ModalStep(int* result) {
  // A dialog destroyed under the loop can never receive its end message: end as closed.
  if (!hWnd) {
    *result = 2;
    return false;
  }
  MSG msg;
  BOOL got = GetMessageA(&msg, nullptr, 0, 0);
  if (got == 0 || got == -1) {
    // The thread is asked to quit: hand the request on to the outer loop.
    if (got == 0) PostQuitMessage((int)msg.wParam);
    *result = 2;
    return false;
  }
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
    // Ctrl+Tab belongs to the dialog itself (page switching), not to dialog navigation.
    msg.hwnd = hWnd;
    DispatchMessageA(&msg);
    return true;
  }
  if (msg.message != WMU_ENDMODAL && IsDialogMessageA(hWnd, &msg)) return true;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  if (msg.message == WMU_ENDMODAL && msg.hwnd == hWnd) {
    *result = (int)msg.wParam;
    return false;
  }
  return true;
}
