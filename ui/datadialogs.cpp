// DATADIALOG, DATADIALOGBOX, the data items and the push-button handlers.
#include "ui/datadialogs.h"

#include <commctrl.h>
#include <shellapi.h>

#include "foundation/zolan.h"
#include "platform/osysfile.h"
#include "ui/winmisc.h"

namespace {

const char* TextOf(const STRING& text) { return text.NotNull() ? text.c_str() : ""; }
const char* TextOf(const STRING* text) { return text ? TextOf(*text) : ""; }

}  // namespace

// --- Items ---
// A control that is missing raises the item's assertion; the item then leaves both the
// control and the bound value alone, so a broken template never costs the caller's data.

void ENTRYDATADIALOGITEM::ToControl(HWND dialog) {
  ENTRYFIELD e(dialog, Id);
  ASSERT(e.Hwnd(), STRING(Id).c_str());
  if (!e.Hwnd()) return;
  e.AddStyle(ES_AUTOHSCROLL);
  SendMessageA(e.Hwnd(), EM_LIMITTEXT, (WPARAM)LengthLimit, 0);
  SetWindowTextA(e.Hwnd(), TextOf(Value));
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(Id, EN_CHANGE), (LPARAM)e.Hwnd());
  SendMessageA(e.Hwnd(), EM_SETSEL, 0, -1);
}

void ENTRYDATADIALOGITEM::FromControl(HWND dialog) {
  ENTRYFIELD e(dialog, Id);
  ASSERT(e.Hwnd(), STRING(Id).c_str());
  if (!e.Hwnd()) return;
  *Value = e.GetText();
}

SPINDATADIALOGITEM::~SPINDATADIALOGITEM() {
  if (!Spin) return;
  // Detached first, so that the edit control does not keep a buddy that is going away.
  SendMessageA(Spin->Hwnd(), UDM_SETBUDDY, 0, 0);
  delete Spin;
}

void SPINDATADIALOGITEM::CreateSpin(HWND dialog) {
  int IdSpin = 65000;
  while (IdSpin < 65500 && GetDlgItem(dialog, IdSpin)) IdSpin++;
  ASSERTTEXT(IdSpin < 65500, "IdSpin<65500", STRING(Id).c_str());
  if (IdSpin >= 65500) return;
  Spin = new SPINBUTTON(0, Id, dialog, IdSpin, 0);
  if (Lo >= 0 && Hi >= 0) ENTRYFIELD(dialog, Id).AddStyle(ES_NUMBER);
}

void SPINDATADIALOGITEM::ToControl(HWND dialog) {
  ENTRYFIELD e(dialog, Id);
  ASSERT(e.Hwnd(), STRING(Id).c_str());
  if (!e.Hwnd()) return;
  if (!Spin) CreateSpin(dialog);
  if (!Spin) return;
  Spin->SetRange(Lo, Hi);
  Spin->SetPos(Value->ToInt());
}

void SPINDATADIALOGITEM::FromControl(HWND dialog) {
  ENTRYFIELD e(dialog, Id);
  ASSERT(e.Hwnd(), STRING(Id).c_str());
  if (!e.Hwnd() || !Spin) return;
  *Value = STRING(Spin->GetPos());
}

void RADIODATADIALOGITEM::ToControl(HWND dialog) {
  RADIOBUTTON radio(dialog, Id);
  ASSERT(radio.Hwnd(), STRING(Id).c_str());
  if (!radio.Hwnd()) return;
  radio.SetCheck(Value->ToInt() == Number ? BST_CHECKED : BST_UNCHECKED);
}

void RADIODATADIALOGITEM::FromControl(HWND dialog) {
  RADIOBUTTON radio(dialog, Id);
  ASSERT(radio.Hwnd(), STRING(Id).c_str());
  if (!radio.Hwnd()) return;
  if (radio.GetCheck() == BST_CHECKED) *Value = STRING(Number);
}

void LISTDATADIALOGITEM::ToControl(HWND dialog) {
  LISTBOX lb(dialog, Id);
  ASSERT(lb.Hwnd(), STRING(Id).c_str());
  if (!lb.Hwnd()) return;
  if (Entries) {
    lb.Clear();
    for (int i = 0; i < Entries->Count(); i++) lb.Add(TextOf(Entries->Get(i)));
  }
  lb.Select(Value->ToInt(), 1);
}

void LISTDATADIALOGITEM::FromControl(HWND dialog) {
  LISTBOX lb(dialog, Id);
  ASSERT(lb.Hwnd(), STRING(Id).c_str());
  if (!lb.Hwnd()) return;
  *Value = STRING(lb.GetSelection(0));
}

void LISTSTRDATADIALOGITEM::ToControl(HWND dialog) {
  LISTBOX lb(dialog, Id);
  ASSERT(lb.Hwnd(), STRING(Id).c_str());
  if (!lb.Hwnd()) return;
  int found = lb.Find(TextOf(Value));
  // The value names one entry: no match clears the selection in every kind of list ("select
  // -1" would select every entry of a multiple-selection list box), and a multiple-selection
  // list drops earlier choices, so that the value reads back as it was loaded.
  if (found < 0 || lb.IsMultiSelect()) lb.Select(-1, 0);
  if (found >= 0) lb.Select(found, 1);
}

void LISTSTRDATADIALOGITEM::FromControl(HWND dialog) {
  LISTBOX lb(dialog, Id);
  ASSERT(lb.Hwnd(), STRING(Id).c_str());
  if (!lb.Hwnd()) return;
  *Value = lb.GetText(-1);
}

void PUSHDATADIALOGITEM::ToControl(HWND dialog) {
  Dialog = dialog;
  ButtonValue = *Value;
}

void PUSHDATADIALOGITEM::FromControl(HWND) { *Value = ButtonValue; }

void PUSHDATADIALOGITEM::Push() {
  ASSERTTEXT(Magic == 0x50555348, "this->Magic==0x50555348", STRING(Id).c_str());
  if (Magic != 0x50555348) return;
  if (Handler) ButtonValue = Handler(UserValue, Dialog, ButtonValue);
}

// --- DATADIALOG ---

DATADIALOG::DATADIALOG(int templateId, HWND parent, HINSTANCE module)
    : DIALOG(templateId, parent, module), Howmany(0), Max(DATADIALOG_MAXITEMS),
      DisableItemCount(0), ReadBack(true) {
  for (DATADIALOGITEM*& item : Items) item = nullptr;
}

DATADIALOG::~DATADIALOG() {
  while (Howmany > 0) {
    Howmany--;
    delete Items[Howmany];
    Items[Howmany] = nullptr;
  }
  DisableItemCount = 0;
}

int DATADIALOG::AddItem(DATADIALOGITEM* item) {
  if (Howmany >= Max) {
    ASSERT(this->Howmany < this->Max, item ? STRING(item->GetId()).c_str() : nullptr);
    // The dialog took the item over: one that does not fit is dropped, not leaked.
    delete item;
    return -1;
  }
  Items[Howmany] = item;
  return Howmany++;
}

void DATADIALOG::AddDisableItem(int dependentId, int dependsOnId, int mode, const char* value) {
  if (DisableItemCount >= DATADIALOG_MAXRULES) {
    ASSERTTEXT(DisableItemCount < DATADIALOG_MAXRULES,
               "this->DisableItemCount<ARRAYMAX(this->DisableItems)", STRING(dependentId).c_str());
    return;
  }
  DISABLERULE& rule = DisableItems[DisableItemCount++];
  rule.DependentDialog = hWnd;
  rule.DependentId = dependentId;
  rule.DependsOnDialog = hWnd;
  rule.DependsOnId = dependsOnId;
  rule.Mode = mode;
  rule.Value = value ? value : "";
}

void DATADIALOG::DataToControls() {
  for (int i = 0; i < Howmany; i++)
    if (Items[i]) Items[i]->ToControl(hWnd);
}

void DATADIALOG::ControlsToData() {
  if (!ReadBack) return;
  for (int i = 0; i < Howmany; i++)
    if (Items[i]) Items[i]->FromControl(hWnd);
}

void DATADIALOG::DiscardData() { ReadBack = false; }

DATADIALOGITEM* DATADIALOG::FindItem(int itemId) const {
  for (int i = 0; i < Howmany; i++)
    if (Items[i] && Items[i]->GetId() == itemId) return Items[i];
  return nullptr;
}

INT_PTR DATADIALOG::DlgProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_COMMAND) return DIALOG::DlgProc(message, wParam, lParam);
  int controlId = LOWORD(wParam);
  int notification = HIWORD(wParam);
  HWND control = (HWND)lParam;
  if (notification == BN_CLICKED && controlId != 9 && WINDOWS::IsPushButton(control)) {
    DATADIALOGITEM* item = FindItem(controlId);
    if (!item) return DIALOG::DlgProc(message, wParam, lParam);
    PUSHDATADIALOGITEM* push = dynamic_cast<PUSHDATADIALOGITEM*>(item);
    // Another kind of item bound to a push button's id has no handler to call.
    ASSERTTEXT(push != nullptr, "this->Magic==0x50555348", STRING(controlId).c_str());
    if (push) push->Push();
    return 1;
  }
  if (notification == BN_CLICKED || notification == EN_CHANGE || notification == LBN_SELCHANGE)
    EvaluateRules(controlId, control);
  return DIALOG::DlgProc(message, wParam, lParam);
}

// --- Disable rules ---

bool DATADIALOG::RuleApplies(const DISABLERULE& rule, int controlId, HWND control) const {
  if (rule.DependsOnDialog == hWnd && rule.DependsOnId == controlId) return true;
  // A click on one radio button unchecks the others of its group without a notification.
  return WINDOWS::IsRadioButton(control) &&
         WINDOWS::IsRadioButton(GetDlgItem(rule.DependsOnDialog, rule.DependsOnId));
}

void DATADIALOG::EvaluateRules(int controlId, HWND control) {
  for (int i = 0; i < DisableItemCount; i++) {
    const DISABLERULE& rule = DisableItems[i];
    if (!RuleApplies(rule, controlId, control)) continue;
    bool holds = Condition(rule) || AnyOtherCondition(i);
    CONTROL dependent(rule.DependentDialog, rule.DependentId);
    if (!dependent.Hwnd()) continue;
    bool container = (GetWindowLongPtrA(dependent.Hwnd(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0;
    if (container || (rule.Mode & DDMODE_HIDE))
      dependent.Show(holds ? 0 : 1);
    else
      EnableWindow(dependent.Hwnd(), holds ? FALSE : TRUE);
  }
}

bool DATADIALOG::AnyOtherCondition(int ruleIndex) const {
  const DISABLERULE& rule = DisableItems[ruleIndex];
  for (int i = 0; i < DisableItemCount; i++) {
    if (i == ruleIndex) continue;
    const DISABLERULE& other = DisableItems[i];
    if (other.DependentDialog == rule.DependentDialog && other.DependentId == rule.DependentId &&
        Condition(other))
      return true;
  }
  return false;
}

bool DATADIALOG::Condition(const DISABLERULE& rule) const {
  CONTROL cdepend(rule.DependsOnDialog, rule.DependsOnId);
  ASSERTTEXT(cdepend.Hwnd() != nullptr, "(HWND)cdepend", STRING(rule.DependsOnId).c_str());
  if (!cdepend.Hwnd()) return false;
  STRING className = cdepend.GetClassName();
  int condition = rule.Mode & 0xFFF;
  if (className == "BUTTON") {
    if (WINDOWS::IsPushButton(cdepend.Hwnd())) return false;
    int check = CHECKBOX(rule.DependsOnDialog, rule.DependsOnId).GetCheck();
    if (condition == DDCOND_CHECKED) return check != 0;
    if (condition == DDCOND_UNCHECKED) return check == 0;
  } else if (className == "COMBOBOX" || className == "LISTBOX") {
    STRING text = LISTBOX(rule.DependsOnDialog, rule.DependsOnId).GetText(-1);
    if (condition == DDCOND_EQUAL) return text == rule.Value;
    if (condition == DDCOND_NOTEQUAL) return text != rule.Value;
  } else if (className == "EDIT") {
    STRING text = cdepend.GetText();
    switch (condition) {
      case DDCOND_CHECKED: return text.NotEmpty();
      case DDCOND_UNCHECKED: return text.IsEmpty();
      case DDCOND_EQUAL: return text == rule.Value;
      case DDCOND_NOTEQUAL: return text != rule.Value;
      case DDCOND_FILEEXISTS: return OSYS::FileExists(text.c_str());
      case DDCOND_NOFILE: return !OSYS::FileExists(text.c_str());
      case DDCOND_DIREXISTS: return OSYS::IsDirectory(text.c_str());
      case DDCOND_NODIR: return !OSYS::IsDirectory(text.c_str());
    }
  } else {
    return false;
  }
  ASSERT(FALSE, STRING(condition).c_str());
  return false;
}

// --- DATADIALOGBOX ---

INT_PTR DATADIALOGBOX::DlgProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDCANCEL &&
      WINDOWS::IsPushButton((HWND)lParam))
    DiscardData();
  return DATADIALOG::DlgProc(message, wParam, lParam);
}

int DATADIALOGBOX::Run() {
  KeepData();
  DataToControls();
  int result = Process(0);
  // A dialog that the system destroyed under the loop has no controls left to read.
  if (hWnd) ControlsToData();
  return result;
}

// --- Push-button handlers ---

STRING PushBrowseFolder(UINT_PTR userValue, HWND dialog, STRING value) {
  ENTRYFIELD edit(dialog, (int)userValue);
  STRING start = edit.GetText();
  STRING title = value.GetToken(0, "|");
  STRING folder = WINDOWS::BrowseForFolder(dialog, title.c_str(), start.c_str());
  if (folder.NotNull()) SetWindowTextA(edit.Hwnd(), folder.c_str());
  return value;
}

STRING PushOpen(UINT_PTR, HWND dialog, STRING value) {
  ShellExecuteA(dialog, "open", value.c_str(), nullptr, OSYS::GetCurrentDir().c_str(), SW_SHOW);
  return value;
}
