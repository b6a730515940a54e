// Child-control wrappers and the separator line.
#include "ui/wincontrols.h"

#include <commctrl.h>

#include "foundation/zolan.h"

namespace {

// Tells the parent about a change as the control itself would for a user's action.
void NotifyParent(HWND control, int controlId, int notification) {
  if (!control) return;
  SendMessageA(::GetParent(control), WM_COMMAND, MAKEWPARAM(controlId, notification),
               (LPARAM)control);
}

int DecimalDigits(int value) {
  long long v = value < 0 ? -(long long)value : value;
  int digits = 1;
  while (v >= 10) {
    v /= 10;
    digits++;
  }
  return digits;
}

}  // namespace

// --- CONTROL ---

CONTROL::CONTROL(HWND parent, int controlId)
    : WINDOW(controlId == -1 ? parent : GetDlgItem(parent, controlId)) {}

CONTROL::CONTROL(const char* className, DWORD style, const char* text, int x, int y,
                 int width, int height, HWND parent, int controlId, DWORD exStyle)
    : WINDOW(controlId) {
  Logit("CONTROL::CONTROL %08x, %d, %s, %s, %x, %x\n", (unsigned)(UINT_PTR)parent, controlId,
        className, text, (unsigned)style, (unsigned)exStyle);
  Logit("CONTROL::CONTROL %d\n", IsWindow(parent) ? 1 : 0);
  HWND created = CreateWindowExA(exStyle, className, text, style | WS_CHILD, x, y, width, height,
                                 parent, (HMENU)(INT_PTR)controlId, nullptr, nullptr);
  if (!created)
    Logit("CONTROL::CONTROL CreateWindowExA(%s) failed, error=%lu\n", className,
          GetLastError());
  STRING info(controlId);
  ASSERTTEXT(created != nullptr, "this->hWnd", info.c_str());
  if (created) TakeOwnership(created);
}

STRING CONTROL::GetClassName() const {
  char name[128];
  int n = hWnd ? ::GetClassNameA(hWnd, name, sizeof name) : 0;
  return STRING(name, n > 0 ? n : 0);
}

// --- CHECKBOX ---

LRESULT CHECKBOX::SetCheck(int state) {
  LRESULT result = SendMessageA(hWnd, BM_SETCHECK, (WPARAM)state, 0);
  NotifyParent(hWnd, id, BN_CLICKED);
  return result;
}

int CHECKBOX::GetCheck() const { return (int)SendMessageA(hWnd, BM_GETCHECK, 0, 0); }

// --- LISTBOX ---

LISTBOX::LISTBOX(HWND parent, int controlId) : CONTROL(parent, controlId), isListBox(false) {
  isListBox = GetClassName() == "Listbox";
}

bool LISTBOX::IsMultiSelect() const {
  return isListBox &&
         (GetWindowLongPtrA(hWnd, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0;
}

void LISTBOX::Clear() { SendMessageA(hWnd, isListBox ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0); }

int LISTBOX::Add(const char* text) {
  return (int)SendMessageA(hWnd, isListBox ? LB_ADDSTRING : CB_ADDSTRING, 0, (LPARAM)text);
}

int LISTBOX::Insert(const char* text, int index) {
  return (int)SendMessageA(hWnd, isListBox ? LB_INSERTSTRING : CB_INSERTSTRING, (WPARAM)index,
                           (LPARAM)text);
}

int LISTBOX::Find(const char* text) const {
  LRESULT found = SendMessageA(hWnd, isListBox ? LB_FINDSTRING : CB_FINDSTRING, (WPARAM)-1,
                               (LPARAM)(text ? text : ""));
  return found < 0 ? -1 : (int)found;
}

int LISTBOX::GetSelection(int n) const {
  if (IsMultiSelect()) {
    int selected[256];
    LRESULT count = SendMessageA(hWnd, LB_GETSELITEMS, 256, (LPARAM)selected);
    if (count == LB_ERR || n < 0 || n >= count) return -1;
    return selected[n];
  }
  if (n != 0) return -1;
  LRESULT index = SendMessageA(hWnd, isListBox ? LB_GETCURSEL : CB_GETCURSEL, 0, 0);
  return index < 0 ? -1 : (int)index;
}

void LISTBOX::Select(int index, int on) {
  if (!isListBox)
    SendMessageA(hWnd, CB_SETCURSEL, (WPARAM)(on ? index : -1), 0);
  else if (IsMultiSelect())
    SendMessageA(hWnd, LB_SETSEL, (WPARAM)(on ? TRUE : FALSE), (LPARAM)index);
  else
    SendMessageA(hWnd, LB_SETCURSEL, (WPARAM)(on ? index : -1), 0);
  NotifyParent(hWnd, id, LBN_SELCHANGE);
}

STRING LISTBOX::GetText(int index) const {
  if (index == -1) index = GetSelection(0);
  if (index < 0) return STRING("");
  LRESULT length =
      SendMessageA(hWnd, isListBox ? LB_GETTEXTLEN : CB_GETLBTEXTLEN, (WPARAM)index, 0);
  if (length < 0) return STRING("");
  STRING text;
  text.Make((int)length);
  if (!text.Data()) return STRING("");
  LRESULT copied =
      SendMessageA(hWnd, isListBox ? LB_GETTEXT : CB_GETLBTEXT, (WPARAM)index, (LPARAM)text.Data());
  text.SetLength(copied > 0 ? (int)copied : 0);
  return text;
}

// --- SPINBUTTON ---

SPINBUTTON::SPINBUTTON(DWORD style, int buddyId, HWND parent, int controlId, DWORD exStyle)
    : CONTROL(UPDOWN_CLASSA,
              style | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS |
                  UDS_NOTHOUSANDS,
              "", 0, 0, 0, 0, parent, controlId, exStyle) {
  SendMessageA(hWnd, UDM_SETBUDDY, (WPARAM)GetDlgItem(parent, buddyId), 0);
}

void SPINBUTTON::SetRange(int lo, int hi) {
  HWND buddy = (HWND)SendMessageA(hWnd, UDM_GETBUDDY, 0, 0);
  SendMessageA(buddy, EM_LIMITTEXT, (WPARAM)(DecimalDigits(hi) + (lo < 0 ? 1 : 0)), 0);
  if (lo >= -32767 && lo <= 32767 && hi >= -32767 && hi <= 32767) {
    SendMessageA(hWnd, UDM_SETRANGE, 0, MAKELPARAM((short)hi, (short)lo));
    return;
  }
  int probeLo = -1, probeHi = -2;
  SendMessageA(hWnd, UDM_GETRANGE32, (WPARAM)&probeLo, (LPARAM)&probeHi);
  ASSERTTEXT(!(probeLo == -1 && probeHi == -2), "lo!=-1 && hi!=-2",
             "COMCTL32 V4.71 or higher required");
  SendMessageA(hWnd, UDM_SETRANGE32, (WPARAM)lo, (LPARAM)hi);
}

// The 32-bit position messages: with a range beyond 16 bits the 16-bit ones would cut the
// value; within 16 bits both agree.
void SPINBUTTON::SetPos(int value) { SendMessageA(hWnd, UDM_SETPOS32, 0, (LPARAM)value); }

int SPINBUTTON::GetPos() const { return (int)SendMessageA(hWnd, UDM_GETPOS32, 0, 0); }

// --- PROGRESSBAR ---

PROGRESSBAR::PROGRESSBAR(HWND parent, int controlId)
    : CONTROL(PROGRESS_CLASSA, WS_CHILD, "", 0, 0, 10, 10, parent, controlId, 0) {
  Show(SW_SHOW);
  SendMessageA(hWnd, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
}

void PROGRESSBAR::SetRange(int max) { SendMessageA(hWnd, PBM_SETRANGE, 0, MAKELPARAM(0, max)); }

void PROGRESSBAR::SetPos(int value) { SendMessageA(hWnd, PBM_SETPOS, (WPARAM)value, 0); }

// --- HLINE3D ---

HLINE3D::HLINE3D(HWND parent, int lineId)
    : WINDOW(WS_CHILD, "", 0, 0, 100, 2, parent, lineId, HLINE3D_CLASS, nullptr) {}

LRESULT HLINE3D::WndProc(UINT message, WPARAM, LPARAM) {
  // Nothing but painting: no mouse input, no background erasing.
  return message == WM_PAINT ? Paint() : 0;
}

LRESULT HLINE3D::Paint() {
  PAINTSTRUCT ps;
  HDC hDC = BeginPaint(hWnd, &ps);
  if (!hDC) return 0;
  int width = GetSize().cx;
  const int colours[2] = {COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
  for (int row = 0; row < 2; row++) {
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(colours[row]));
    HGDIOBJ old = SelectObject(hDC, pen);
    MoveToEx(hDC, 0, row, nullptr);
    LineTo(hDC, width, row);
    SelectObject(hDC, old);
    DeleteObject(pen);
  }
  EndPaint(hWnd, &ps);
  return 1;
}
