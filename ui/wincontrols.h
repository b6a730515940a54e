// Child-control wrappers: CONTROL and the few operations the system needs of each control
// kind, and HLINE3D, the separator line the toolkit draws itself.
//
// CONTROL(parent, id) and its subclasses' wrapping constructors are views: short-lived stack
// objects that never destroy the control. The creating constructors own what they create.
#ifndef ZOLAN_UI_WINCONTROLS_H
#define ZOLAN_UI_WINCONTROLS_H

#include <windows.h>

#include "foundation/strings.h"
#include "ui/windows.h"

class CONTROL : public WINDOW {
public:
  // The parent's child with this id; id -1 wraps the parent itself.
  CONTROL(HWND parent, int controlId);
  // Creates a child control of a system class; owned by this object.
  CONTROL(const char* className, DWORD style, const char* text, int x, int y, int width,
          int height, HWND parent, int controlId, DWORD exStyle);

  // The window's class name, at most 127 characters.
  STRING GetClassName() const;
};

class CHECKBOX : public CONTROL {
public:
  CHECKBOX(HWND parent, int controlId) : CONTROL(parent, controlId) {}
  // Sets the state and tells the parent as a click would (BN_CLICKED).
  LRESULT SetCheck(int state);
  int GetCheck() const;
};

class RADIOBUTTON : public CHECKBOX {
public:
  RADIOBUTTON(HWND parent, int controlId) : CHECKBOX(parent, controlId) {}
};

// A list box, or a combo box when the class is anything but "Listbox".
class LISTBOX : public CONTROL {
public:
  LISTBOX(HWND parent, int controlId);
  bool IsListBox() const { return isListBox; }
  // A list box with multiple or extended selection.
  bool IsMultiSelect() const;
  void Clear();
  int Add(const char* text);
  int Insert(const char* text, int index);
  // First entry beginning with text, without regard to case; -1 when none.
  int Find(const char* text) const;
  // The n-th selected index, -1 when there is none.
  int GetSelection(int n) const;
  // Selects (or clears) an entry and tells the parent as a user's choice would.
  void Select(int index, int on);
  // The entry's text; index -1 is the first selected entry. Empty when there is none.
  STRING GetText(int index) const;

private:
  bool isListBox;
};

class ENTRYFIELD : public CONTROL {
public:
  ENTRYFIELD(HWND parent, int controlId) : CONTROL(parent, controlId) {}
};

// An up-down control attached to an edit control.
class SPINBUTTON : public CONTROL {
public:
  // Creates the up-down control and attaches it to the parent's edit control buddyId.
  SPINBUTTON(DWORD style, int buddyId, HWND parent, int controlId, DWORD exStyle);
  void SetRange(int lo, int hi);
  void SetPos(int value);
  int GetPos() const;
};

class PROGRESSBAR : public CONTROL {
public:
  // Creates a shown progress bar with the range 0 to 100.
  PROGRESSBAR(HWND parent, int controlId);
  void SetRange(int max);
  void SetPos(int value);
};

// A two-pixel sunken separator line; created hidden, its user moves and shows it.
class HLINE3D : public WINDOW {
public:
  HLINE3D(HWND parent, int lineId);
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  LRESULT Paint();
};

#define HLINE3D_CLASS "ZolanWinClassHline3D"

#endif
