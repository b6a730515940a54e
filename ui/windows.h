// WINDOW and DIALOG: the object layer over the window manager that every window of the
// system is built with, and the toolkit's free functions (namespace WINDOWS).
//
// A WINDOW wraps one window handle. The type decides ownership: a WINDOW built from a handle
// (or copied from another WINDOW) is a view that never destroys the window; only the
// creating constructor sets auto-destroy. A DIALOG owns the window it created and destroys it
// with the object unless the system destroyed it first (WM_DESTROY clears the handle).
//
// Toolkit windows and dialogs find their object through the window's user-data word; the
// system's controls keep the system's procedure and their wrappers are not attached.
#ifndef ZOLAN_UI_WINDOWS_H
#define ZOLAN_UI_WINDOWS_H

#include <windows.h>

#include "foundation/strings.h"

// Private messages of the toolkit.
#define WMU_ENDMODAL 1089  // posted by DIALOG::Dismiss; wParam is the result
#define WMU_INIT     1090  // posted to itself by a toolkit window or dialog once created
#define WMU_GETID    1091  // wParam points to an int that receives the window's id

// Called ahead of the object's own procedure for every message of a toolkit window or
// dialog. A dialog answers with its result when it is non-zero; a window ignores it.
typedef LRESULT (*WINDOWPREHANDLER)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class WINDOW {
public:
  // A view of an existing window (null: the desktop, id -1).
  explicit WINDOW(HWND handle);
  // Another view of the same window; never owns it.
  WINDOW(const WINDOW& other);
  // Registers the class and creates a toolkit window that this object owns.
  WINDOW(DWORD style, const char* title, int x, int y, int width, int height, HWND parent,
         int id, const char* className, HCURSOR cursor);
  WINDOW& operator=(const WINDOW&) = delete;
  virtual ~WINDOW();

  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

  HWND Hwnd() const { return hWnd; }
  int Id() const { return id; }
  void SetPreHandler(WINDOWPREHANDLER handler) { preHandler = handler; }

  // DestroyWindow when a handle is set, then the handle is cleared; 0 without a handle.
  int Destroy();
  // Non-zero restores a minimised window and keeps a maximised one maximised; 0 hides.
  BOOL Show(int command);
  bool IsMinimized() const;
  bool IsMaximized() const;
  // Window rectangle in the parent's client coordinates for a child window, in screen
  // coordinates otherwise; the desktop work area for the null handle.
  RECT GetRect() const;
  SIZE GetSize() const;
  RECT GetClientRect() const;
  SIZE GetClientSize() const;
  BOOL Move(const RECT& rect);
  // A width or height of -1 keeps the current one.
  BOOL SetPos(int x, int y, int width, int height);
  STRING GetText() const;
  WINDOW GetParent() const;
  WINDOW GetOwner() const;
  WINDOW GetChild(int childId) const;
  void AddStyle(DWORD bits);
  void RemoveStyle(DWORD bits);
  void AddExStyle(DWORD bits);

  // The procedure of every window class that the toolkit registers.
  static LRESULT CALLBACK ToolkitWndProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam);

protected:
  // A wrapper with nothing yet (for subclasses that create their window themselves).
  WINDOW(int windowId);
  // Attaches a system-created window; sets auto-destroy.
  void TakeOwnership(HWND handle) { hWnd = handle; autoDestroy = true; }
  // Context help through the process-wide help file; true when a topic was shown.
  bool ShowHelp();

  HWND hWnd;
  int id;
  bool autoDestroy;
  WINDOWPREHANDLER preHandler;

private:
  static void RegisterToolkitClass(const char* className, int windowId, HCURSOR cursor);
  static HICON ClassIcon(int windowId);
  // The window is gone: the object no longer refers to it.
  void Detach();
};

class DIALOG : public WINDOW {
public:
  // Creates the dialog from the template (module 0: the language library) and places it;
  // a template id of 0 creates no window.
  DIALOG(int templateId, HWND parent, HINSTANCE module);
  ~DIALOG() override;

  virtual INT_PTR DlgProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Runs the dialog modally until DIALOG::Dismiss; flag 0 shows it first and hides it after.
  virtual int Process(int flag);
  virtual void Dismiss(int result);

  static INT_PTR CALLBACK ToolkitDlgProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam);

private:
  // Centres the dialog over a visible parent (else the work area), kept inside the work area.
  void Place(HWND parent);
  // Takes one message of the modal loop; false when the loop must end with *result.
  bool ModalStep(int* result);
};

namespace WINDOWS {

// A font of the given size in points for the screen; the caller owns and deletes it.
HFONT CreateFont(const char* faceName, int points, int bold, int italic, int charSet);
bool IsPushButton(HWND window);
bool IsRadioButton(HWND window);
// Waits for the handle while serving the thread's window messages; 1 when it was signalled.
int WinWaitForSingleObject(HANDLE handle, DWORD timeoutMs);

}  // namespace WINDOWS

#endif
