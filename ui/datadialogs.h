// DATADIALOG and DATADIALOGBOX: dialogs whose controls are bound to the caller's STRINGs.
//
// One item table serves both directions: DataToControls loads every bound value into its
// control, ControlsToData reads every control back (unless the data was discarded), so the
// two cannot drift apart. Disable rules enable/disable (or show/hide) a control by the state
// of another and are evaluated whenever a control notifies a change.
#ifndef ZOLAN_UI_DATADIALOGS_H
#define ZOLAN_UI_DATADIALOGS_H

#include <windows.h>

#include "foundation/dynarray.h"
#include "foundation/strings.h"
#include "ui/wincontrols.h"
#include "ui/windows.h"

#define DATADIALOG_MAXITEMS 64
#define DATADIALOG_MAXRULES 64

// Disable-rule modes: the condition in bits 0-11, the hide flag above.
#define DDCOND_CHECKED      0  // button checked / edit not empty
#define DDCOND_UNCHECKED    1  // button unchecked / edit empty
#define DDCOND_EQUAL        2  // list or edit text equals the rule's value
#define DDCOND_NOTEQUAL     3
#define DDCOND_FILEEXISTS   4  // edit text names an existing file
#define DDCOND_NOFILE       5
#define DDCOND_DIREXISTS    6  // edit text names an existing folder
#define DDCOND_NODIR        7
#define DDMODE_HIDE         0x10000

class DATADIALOGITEM {
public:
  // value: the caller's STRING, not owned; it must outlive the dialog.
  DATADIALOGITEM(int itemId, STRING* value) : Id(itemId), Value(value) {}
  DATADIALOGITEM(const DATADIALOGITEM&) = delete;
  DATADIALOGITEM& operator=(const DATADIALOGITEM&) = delete;
  virtual void ToControl(HWND dialog) = 0;
  virtual void FromControl(HWND dialog) = 0;
  virtual ~DATADIALOGITEM() {}

  int GetId() const { return Id; }

protected:
  int Id;
  STRING* Value;  // not owned
};

class ENTRYDATADIALOGITEM : public DATADIALOGITEM {
public:
  ENTRYDATADIALOGITEM(int itemId, STRING* value, int lengthLimit)
      : DATADIALOGITEM(itemId, value), LengthLimit(lengthLimit) {}
  void ToControl(HWND dialog) override;
  void FromControl(HWND dialog) override;

private:
  int LengthLimit;
};

// Bound to an edit control; the up-down control beside it is created on first load.
class SPINDATADIALOGITEM : public DATADIALOGITEM {
public:
  SPINDATADIALOGITEM(int itemId, STRING* value, int lo, int hi)
      : DATADIALOGITEM(itemId, value), Lo(lo), Hi(hi), Spin(nullptr) {}
  ~SPINDATADIALOGITEM() override;
  void ToControl(HWND dialog) override;
  void FromControl(HWND dialog) override;

private:
  void CreateSpin(HWND dialog);
  int Lo;
  int Hi;
  SPINBUTTON* Spin;  // owned
};

// One radio button of a choice: several items bound to the same STRING with their numbers.
class RADIODATADIALOGITEM : public DATADIALOGITEM {
public:
  RADIODATADIALOGITEM(int itemId, STRING* value, int number)
      : DATADIALOGITEM(itemId, value), Number(number) {}
  void ToControl(HWND dialog) override;
  void FromControl(HWND dialog) override;

private:
  int Number;
};

// The value is the selected index; entries (may be null, not owned) fill the list first.
class LISTDATADIALOGITEM : public DATADIALOGITEM {
public:
  LISTDATADIALOGITEM(int itemId, STRING* value, DYNARRAY<STRING>* entries)
      : DATADIALOGITEM(itemId, value), Entries(entries) {}
  void ToControl(HWND dialog) override;
  void FromControl(HWND dialog) override;

private:
  DYNARRAY<STRING>* Entries;  // not owned
};

// The value is the selected entry's text.
class LISTSTRDATADIALOGITEM : public DATADIALOGITEM {
public:
  LISTSTRDATADIALOGITEM(int itemId, STRING* value) : DATADIALOGITEM(itemId, value) {}
  void ToControl(HWND dialog) override;
  void FromControl(HWND dialog) override;
};

// Handler of a push button: (user value, dialog, button value) -> new button value.
typedef STRING (*PUSHHANDLER)(UINT_PTR userValue, HWND dialog, STRING value);

class PUSHDATADIALOGITEM : public DATADIALOGITEM {
public:
  PUSHDATADIALOGITEM(int itemId, STRING* value, PUSHHANDLER handler, UINT_PTR userValue)
      : DATADIALOGITEM(itemId, value), Handler(handler), UserValue(userValue),
        Dialog(nullptr), Magic(0x50555348) {}
  void ToControl(HWND dialog) override;
  void FromControl(HWND dialog) override;
  // The button was pressed: its value becomes the handler's result.
  void Push();

private:
  PUSHHANDLER Handler;
  UINT_PTR UserValue;
  HWND Dialog;      // not owned
  STRING ButtonValue;
  unsigned Magic;
};

class DATADIALOG : public DIALOG {
public:
  DATADIALOG(int templateId, HWND parent, HINSTANCE module);
  ~DATADIALOG() override;

  INT_PTR DlgProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  virtual void DataToControls();
  virtual void ControlsToData();
  virtual void DiscardData();

  // Takes ownership of the item; returns its index, -1 when the table is full.
  int AddItem(DATADIALOGITEM* item);
  void AddDisableItem(int dependentId, int dependsOnId, int mode, const char* value);

protected:
  // Read back after the next run; DATADIALOG::DiscardData clears it.
  void KeepData() { ReadBack = true; }

private:
  struct DISABLERULE {
    HWND DependentDialog;  // not owned
    int DependentId;
    HWND DependsOnDialog;  // not owned
    int DependsOnId;
    int Mode;
    STRING Value;
  };

  DATADIALOGITEM* FindItem(int itemId) const;
  void EvaluateRules(int controlId, HWND control);
  bool RuleApplies(const DISABLERULE& rule, int controlId, HWND control) const;
  bool Condition(const DISABLERULE& rule) const;
  bool AnyOtherCondition(int ruleIndex) const;

  DATADIALOGITEM* Items[DATADIALOG_MAXITEMS];  // owned
  int Howmany;
  int Max;
  DISABLERULE DisableItems[DATADIALOG_MAXRULES];
  int DisableItemCount;
  bool ReadBack;
};

class DATADIALOGBOX : public DATADIALOG {
public:
  DATADIALOGBOX(int templateId, HWND parent, HINSTANCE module)
      : DATADIALOG(templateId, parent, module) {}
  INT_PTR DlgProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Loads the values, runs the dialog modally and reads them back unless cancelled.
  int Run();
};

// Push-button handlers. PushBrowseFolder: userValue is the id of an edit control in the same
// dialog that receives the chosen folder; the value's first "|" field is the browser's title.
STRING PushBrowseFolder(UINT_PTR userValue, HWND dialog, STRING value);
// Opens the value (a file or an address) in the shell.
STRING PushOpen(UINT_PTR userValue, HWND dialog, STRING value);

#endif
