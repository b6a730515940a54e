// Data dialogs: values loaded into real controls, changed as a user would, read back; the
// disable rules; push buttons; the table limits.
#include "ui/datadialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>

#include "foundation/stringarray.h"
#include "support/assertrecorder.h"
#include "support/testfiles.h"
#include "support/windriver.h"
#include "uitest.h"
#include "uitestsupport.h"

using windriver::AsyncWindowTask;
using windriver::Query;

namespace {

class DataDialogs : public ::testing::Test {
protected:
  uitest::OwnResources resources;
};

Query OwnDialog(const char* title) {
  return Query::Dialog().Thread(GetCurrentThreadId()).Title(title, true);
}

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

std::string Text(const STRING& s) { return s.NotNull() ? std::string(s.c_str()) : "(null)"; }

// Bound values of the dialog with every kind of item.
struct VALUES {
  STRING name, count, paper, colour, language, printer, folder;
};

// Adds one item of every kind to the data dialog.
void Bind(DATADIALOG& dialog, VALUES& v, STRINGARRAY& colours) {
  dialog.AddItem(new ENTRYDATADIALOGITEM(IDC_DATA_NAME, &v.name, 64));
  dialog.AddItem(new SPINDATADIALOGITEM(IDC_DATA_COUNT, &v.count, 1, 99));
  dialog.AddItem(new RADIODATADIALOGITEM(IDC_DATA_RADIO0, &v.paper, 0));
  dialog.AddItem(new RADIODATADIALOGITEM(IDC_DATA_RADIO1, &v.paper, 1));
  dialog.AddItem(new RADIODATADIALOGITEM(IDC_DATA_RADIO2, &v.paper, 2));
  dialog.AddItem(new LISTDATADIALOGITEM(IDC_DATA_LIST, &v.colour, &colours));
  dialog.AddItem(new LISTSTRDATADIALOGITEM(IDC_DATA_COMBO, &v.language));
  dialog.AddItem(new ENTRYDATADIALOGITEM(IDC_DATA_FOLDER, &v.folder, 260));
}

STRINGARRAY Colours() {
  STRINGARRAY colours;
  for (const char* c : {"Red", "Green", "Blue"}) colours.Add(STRING(c));
  return colours;
}

void FillCombo(HWND dialog) {
  LISTBOX combo(dialog, IDC_DATA_COMBO);
  combo.Clear();
  for (const char* text : {"English", "Deutsch", "Abkhaz", "abc"}) combo.Add(text);
}

// Loads every kind, lets the user change every control, and reads back after OK.
TEST_F(DataDialogs, EveryItemKindLoadsAndReadsBackWhatTheUserChose) {
  DATADIALOGBOX dialog(IDD_UITEST_DATA, nullptr, nullptr);
  FillCombo(dialog.Hwnd());
  STRINGARRAY colours = Colours();
  VALUES v;
  v.name = std::string(70, 'n').c_str();  // longer than the limit of 64
  v.count = "7";
  v.paper = "1";
  v.colour = "2";
  v.language = "deu";
  v.folder = "C:\\";
  Bind(dialog, v, colours);

  struct {
    std::string name, count, language;
    int nameLimit = 0, colour = -2, paperChecked = -1;
    bool numberOnly = false;
  } shown;
  AsyncWindowTask user(OwnDialog("Data dialog"), [&](HWND d) {
    shown.name = windriver::GetText(d, IDC_DATA_NAME);
    shown.nameLimit = (int)SendMessageA(Item(d, IDC_DATA_NAME), EM_GETLIMITTEXT, 0, 0);
    shown.count = windriver::GetText(d, IDC_DATA_COUNT);
    shown.numberOnly = GetWindowLongPtrA(Item(d, IDC_DATA_COUNT), GWL_STYLE) & ES_NUMBER;
    for (int id : {IDC_DATA_RADIO0, IDC_DATA_RADIO1, IDC_DATA_RADIO2})
      if (SendMessageA(Item(d, id), BM_GETCHECK, 0, 0) == BST_CHECKED) shown.paperChecked = id;
    shown.colour = windriver::ListSelection(Item(d, IDC_DATA_LIST));
    shown.language = windriver::GetText(d, IDC_DATA_COMBO);

    windriver::SetText(d, IDC_DATA_NAME, "Jane Doe");
    windriver::SetText(d, IDC_DATA_COUNT, "12");
    windriver::Click(d, IDC_DATA_RADIO2);
    windriver::PickIndex(Item(d, IDC_DATA_LIST), 0);
    windriver::PickText(Item(d, IDC_DATA_COMBO), "Abkhaz");
    windriver::Click(d, IDOK);
    uitest::EndsOrFails(d);
  });
  EXPECT_EQ(dialog.Run(), IDOK);
  user.Join();

  EXPECT_EQ(shown.name, std::string(70, 'n'));  // the limit only stops typing
  EXPECT_EQ(shown.nameLimit, 64);
  EXPECT_EQ(shown.count, "7");
  EXPECT_TRUE(shown.numberOnly);
  EXPECT_EQ(shown.paperChecked, IDC_DATA_RADIO1);
  EXPECT_EQ(shown.colour, 2);
  EXPECT_EQ(shown.language, "Deutsch");

  EXPECT_EQ(Text(v.name), "Jane Doe");
  EXPECT_EQ(Text(v.count), "12");
  EXPECT_EQ(Text(v.paper), "2");
  EXPECT_EQ(Text(v.colour), "0");
  EXPECT_EQ(Text(v.language), "Abkhaz");
  EXPECT_EQ(Text(v.folder), "C:\\");
}

// How each way of ending a data dialog box treats the bound values, push results included.
TEST_F(DataDialogs, CancelKeepsTheValuesEveryOtherEndReadsThemBack) {
  struct CASE {
    const char* what;
    std::function<void(HWND)> end;
    int result;
    bool readBack;
  } cases[] = {
      {"Cancel", [](HWND d) { windriver::Click(d, IDCANCEL); }, 0, false},
      {"Escape", [](HWND d) { windriver::PostKey(d, VK_ESCAPE); }, 0, false},
      {"close command", [](HWND d) { windriver::Close(d); }, 2, true},
      {"Enter", [](HWND d) { windriver::PostKey(d, VK_RETURN); }, IDOK, true},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    DATADIALOGBOX dialog(IDD_UITEST_DATA, nullptr, nullptr);
    STRING name("old"), pushed("before");
    dialog.AddItem(new ENTRYDATADIALOGITEM(IDC_DATA_NAME, &name, 64));
    dialog.AddItem(new PUSHDATADIALOGITEM(
        IDC_DATA_OPEN, &pushed,
        [](UINT_PTR, HWND, STRING value) { return value || "+pushed"; }, 0));
    AsyncWindowTask user(OwnDialog("Data dialog"), [&](HWND d) {
      windriver::SetText(d, IDC_DATA_NAME, "new");
      windriver::Click(d, IDC_DATA_OPEN);
      Sleep(50);
      // Enter goes to the default button only while no other push button has the focus.
      SendMessageA(d, WM_NEXTDLGCTL, (WPARAM)Item(d, IDC_DATA_NAME), TRUE);
      c.end(d);
      uitest::EndsOrFails(d);
    });
    EXPECT_EQ(dialog.Run(), c.result);
    user.Join();
    EXPECT_EQ(Text(name), c.readBack ? "new" : "old");
    EXPECT_EQ(Text(pushed), c.readBack ? "before+pushed" : "before");
  }
}

TEST_F(DataDialogs, APushItemCallsItsHandlerWithItsValueAndStaysOpen) {
  DATADIALOGBOX dialog(IDD_UITEST_DATA, nullptr, nullptr);
  STRING value("v");
  struct SEEN {
    int calls = 0;
    HWND dialog = nullptr;
    UINT_PTR user = 0;
  } seen;
  dialog.AddItem(new PUSHDATADIALOGITEM(
      IDC_DATA_OPEN, &value,
      [](UINT_PTR user, HWND d, STRING v) {
        SEEN* s = (SEEN*)user;
        s->calls++;
        s->dialog = d;
        s->user = user;
        return v || STRING(s->calls);
      },
      (UINT_PTR)&seen));
  std::atomic<bool> stillOpen{false};
  AsyncWindowTask user(OwnDialog("Data dialog"), [&](HWND d) {
    windriver::Click(d, IDC_DATA_OPEN);
    windriver::Click(d, IDC_DATA_OPEN);
    stillOpen = IsWindowVisible(d);
    windriver::Click(d, IDOK);
    uitest::EndsOrFails(d);
  });
  EXPECT_EQ(dialog.Run(), IDOK);
  user.Join();
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(seen.calls, 2);
  EXPECT_EQ(seen.dialog, dialog.Hwnd());
  EXPECT_EQ(seen.user, (UINT_PTR)&seen);
  EXPECT_EQ(Text(value), "v12");
}

TEST_F(DataDialogs, HelpButtonNeverCallsAnItemAndDoesNotEndTheDialog) {
  DATADIALOGBOX dialog(IDD_UITEST_PLAIN, nullptr, nullptr);
  STRING value("v");
  static int calls;
  calls = 0;
  dialog.AddItem(new PUSHDATADIALOGITEM(
      IDC_PLAIN_HELP, &value, [](UINT_PTR, HWND, STRING v) { calls++; return v; }, 0));
  std::atomic<bool> stillOpen{false};
  AsyncWindowTask user(OwnDialog("Plain dialog"), [&](HWND d) {
    windriver::Click(d, IDC_PLAIN_HELP);
    Sleep(50);
    stillOpen = IsWindowVisible(d);
    windriver::Click(d, IDC_PLAIN_OTHER);
    uitest::EndsOrFails(d);
  });
  EXPECT_EQ(dialog.Run(), IDC_PLAIN_OTHER);
  user.Join();
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(calls, 0);
}

TEST_F(DataDialogs, AnItemOfAnotherKindOnAPushButtonIsAnAssertion) {
  ASSERTRECORDER asserts;
  DATADIALOG dialog(IDD_UITEST_DATA, nullptr, nullptr);
  STRING value("x");
  dialog.AddItem(new ENTRYDATADIALOGITEM(IDC_DATA_OPEN, &value, 10));
  SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_DATA_OPEN, BN_CLICKED),
               (LPARAM)Item(dialog.Hwnd(), IDC_DATA_OPEN));
  EXPECT_EQ(asserts.Take(), "this->Magic==0x50555348");
}

TEST_F(DataDialogs, ListItemsBySelectedIndex) {
  struct CASE {
    const char* value;
    int selected;
    const char* readBack;
  } cases[] = {{"1", 1, "1"}, {"-1", -1, "-1"}, {"green", 0, "0"}, {"", 0, "0"}, {"7", -1, "-1"}};
  STRINGARRAY colours = Colours();
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.value);
    DATADIALOG dialog(IDD_UITEST_DATA, nullptr, nullptr);
    STRING value(c.value);
    dialog.AddItem(new LISTDATADIALOGITEM(IDC_DATA_LIST, &value, &colours));
    dialog.DataToControls();
    EXPECT_EQ(windriver::ListItems(Item(dialog.Hwnd(), IDC_DATA_LIST)).size(), 3u);
    EXPECT_EQ(windriver::ListSelection(Item(dialog.Hwnd(), IDC_DATA_LIST)), c.selected);
    dialog.ControlsToData();
    EXPECT_EQ(Text(value), c.readBack);
  }
  // Without entries the list keeps what it holds.
  DATADIALOG dialog(IDD_UITEST_DATA, nullptr, nullptr);
  LISTBOX(dialog.Hwnd(), IDC_DATA_LIST).Add("kept");
  STRING value("0");
  dialog.AddItem(new LISTDATADIALOGITEM(IDC_DATA_LIST, &value, nullptr));
  dialog.DataToControls();
  EXPECT_EQ(windriver::ListItems(Item(dialog.Hwnd(), IDC_DATA_LIST)).size(), 1u);
  EXPECT_EQ(windriver::ListSelection(Item(dialog.Hwnd(), IDC_DATA_LIST)), 0);
}

TEST_F(DataDialogs, ListStringItemsSelectTheFirstEntryBeginningWithTheValue) {
  struct CASE {
    int id;
    const char* value;
    int selected;
    const char* readBack;
  } cases[] = {
      {IDC_DATA_COMBO, "ab", 2, "Abkhaz"},  {IDC_DATA_COMBO, "ABC", 3, "abc"},
      {IDC_DATA_COMBO, "xyz", -1, ""},      {IDC_DATA_LISTSTR, "ab", 2, "Abkhaz"},
      {IDC_DATA_LISTSTR, "xyz", -1, ""},    {IDC_DATA_MULTI, "deu", 1, "Deutsch"},
      {IDC_DATA_MULTI, "xyz", -1, ""},  // no match selects nothing, not every entry
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + " " + c.value);
    DATADIALOG dialog(IDD_UITEST_DATA, nullptr, nullptr);
    LISTBOX list(dialog.Hwnd(), c.id);
    for (const char* text : {"English", "Deutsch", "Abkhaz", "abc"}) list.Add(text);
    if (c.id == IDC_DATA_MULTI) list.Select(0, 1);  // an earlier choice that must go
    STRING value(c.value);
    dialog.AddItem(new LISTSTRDATADIALOGITEM(c.id, &value));
    dialog.DataToControls();
    EXPECT_EQ(list.GetSelection(0), c.selected);
    EXPECT_EQ(list.GetSelection(1), -1);
    dialog.ControlsToData();
    EXPECT_EQ(Text(value), c.readBack);
  }
}

TEST_F(DataDialogs, RadioItemsFormOneChoice) {
  struct CASE {
    const char* value;
    int checked;  // index of the checked button, -1 none
  } cases[] = {{"0", 0}, {"2", 2}, {"x", 0}, {"5", -1}};
  const int ids[] = {IDC_DATA_RADIO0, IDC_DATA_RADIO1, IDC_DATA_RADIO2};
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.value);
    DATADIALOG dialog(IDD_UITEST_DATA, nullptr, nullptr);
    STRING value(c.value);
    for (int n = 0; n < 3; n++) dialog.AddItem(new RADIODATADIALOGITEM(ids[n], &value, n));
    dialog.DataToControls();
    for (int n = 0; n < 3; n++)
      EXPECT_EQ(CHECKBOX(dialog.Hwnd(), ids[n]).GetCheck(), n == c.checked ? 1 : 0);
    dialog.ControlsToData();
    // Nothing checked leaves the value alone.
    EXPECT_EQ(Text(value), c.checked < 0 ? c.value : std::to_string(c.checked));
  }
}

TEST_F(DataDialogs, SpinItemsGetOneUpDownControlBesideTheirEdit) {
  struct CASE {
    int lo, hi;
    const char* value;
    bool numberOnly;
    const char* readBack;
  } cases[] = {{1, 99, "7", true, "7"}, {-50, 50, "-20", false, "-20"},
               {0, 100000, "70000", true, "70000"}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.value);
    DATADIALOG dialog(IDD_UITEST_DATA, nullptr, nullptr);
    HWND taken = CreateWindowExA(0, "Static", "", WS_CHILD, 0, 0, 1, 1, dialog.Hwnd(),
                                 (HMENU)65000, nullptr, nullptr);
    STRING value(c.value);
    dialog.AddItem(new SPINDATADIALOGITEM(IDC_DATA_COUNT, &value, c.lo, c.hi));
    dialog.DataToControls();
    dialog.DataToControls();  // a second load keeps the same up-down control
    HWND spin = Item(dialog.Hwnd(), 65001);  // 65000 is taken
    ASSERT_TRUE(spin);
    EXPECT_FALSE(Item(dialog.Hwnd(), 65002));
    HWND edit = Item(dialog.Hwnd(), IDC_DATA_COUNT);
    EXPECT_EQ((HWND)SendMessageA(spin, UDM_GETBUDDY, 0, 0), edit);
    EXPECT_EQ(windriver::GetText(edit), c.value);
    EXPECT_EQ((GetWindowLongPtrA(edit, GWL_STYLE) & ES_NUMBER) != 0, c.numberOnly);
    dialog.ControlsToData();
    EXPECT_EQ(Text(value), c.readBack);
    windriver::SetText(dialog.Hwnd(), IDC_DATA_COUNT, "3");
    dialog.ControlsToData();
    EXPECT_EQ(Text(value), "3");
    DestroyWindow(taken);
  }
}

// A missing control raises the item's assertion and leaves the bound value as it was.
TEST_F(DataDialogs, AnItemWithoutItsControlIsAnAssertionAndKeepsTheValue) {
  STRINGARRAY colours = Colours();
  struct CASE {
    const char* assertion;
    std::function<DATADIALOGITEM*(STRING*)> make;
  } cases[] = {
      {"e.Hwnd()", [](STRING* v) { return new ENTRYDATADIALOGITEM(4711, v, 10); }},
      {"e.Hwnd()", [](STRING* v) { return new SPINDATADIALOGITEM(4711, v, 0, 9); }},
      {"radio.Hwnd()", [](STRING* v) { return new RADIODATADIALOGITEM(4711, v, 1); }},
      {"lb.Hwnd()", [&](STRING* v) { return new LISTDATADIALOGITEM(4711, v, &colours); }},
      {"lb.Hwnd()", [](STRING* v) { return new LISTSTRDATADIALOGITEM(4711, v); }},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.assertion);
    ASSERTRECORDER asserts;
    DATADIALOG dialog(IDD_UITEST_DATA, nullptr, nullptr);
    STRING value("1");
    dialog.AddItem(c.make(&value));
    dialog.DataToControls();
    EXPECT_EQ(asserts.Take(), c.assertion);
    EXPECT_EQ(asserts.LastInfo(), "4711");  // the item's id
    dialog.ControlsToData();
    EXPECT_EQ(asserts.Take(), c.assertion);
    EXPECT_EQ(Text(value), "1");
  }
}

TEST_F(DataDialogs, TheSixtyFifthItemOrRuleIsAnAssertionAndIsNotStored) {
  ASSERTRECORDER asserts;
  DATADIALOG dialog(IDD_UITEST_DATA, nullptr, nullptr);
  STRING values[65];
  for (int i = 0; i < 64; i++)
    EXPECT_EQ(dialog.AddItem(new PUSHDATADIALOGITEM(1000 + i, &values[i], nullptr, 0)), i);
  EXPECT_EQ(asserts.Take(), "");
  EXPECT_EQ(dialog.AddItem(new PUSHDATADIALOGITEM(2000, &values[64], nullptr, 0)), -1);
  EXPECT_EQ(asserts.Take(), "this->Howmany < this->Max");

  for (int i = 0; i < 64; i++) dialog.AddDisableItem(IDC_DATA_OPEN, IDC_DATA_NAME, 1, nullptr);
  windriver::SetText(dialog.Hwnd(), IDC_DATA_NAME, "x");
  EXPECT_EQ(asserts.Take(), "");
  dialog.AddDisableItem(IDC_DATA_OPEN, IDC_DATA_NAME, 1, nullptr);
  EXPECT_EQ(asserts.Take(), "this->DisableItemCount<ARRAYMAX(this->DisableItems)");
  // The 64 rules still work.
  windriver::SetText(dialog.Hwnd(), IDC_DATA_NAME, "");
  EXPECT_FALSE(IsWindowEnabled(Item(dialog.Hwnd(), IDC_DATA_OPEN)));
}

// --- Disable rules, evaluated as the controls notify ---

class Rules : public DataDialogs {
protected:
  Rules() : dialog(IDD_UITEST_RULES, nullptr, nullptr) {}
  bool Enabled(int id) { return IsWindowEnabled(Item(dialog.Hwnd(), id)) != 0; }
  bool Visible(int id) {
    return (GetWindowLongPtrA(Item(dialog.Hwnd(), id), GWL_STYLE) & WS_VISIBLE) != 0;
  }
  void Type(int id, const char* text) { windriver::SetText(dialog.Hwnd(), id, text); }
  void Click(int id) { SendMessageA(Item(dialog.Hwnd(), id), BM_CLICK, 0, 0); }
  DATADIALOG dialog;
};

TEST_F(Rules, AButtonIsDisabledWhileAnEditIsEmpty) {
  STRING text("");
  dialog.AddItem(new ENTRYDATADIALOGITEM(IDC_RULES_EDIT, &text, 20));
  dialog.AddDisableItem(IDC_RULES_APPLY, IDC_RULES_EDIT, DDCOND_UNCHECKED, nullptr);
  dialog.DataToControls();
  EXPECT_FALSE(Enabled(IDC_RULES_APPLY));
  Type(IDC_RULES_EDIT, "a");
  EXPECT_TRUE(Enabled(IDC_RULES_APPLY));
  Type(IDC_RULES_EDIT, "");
  EXPECT_FALSE(Enabled(IDC_RULES_APPLY));
}

TEST_F(Rules, SeveralRulesOnOneControlDisableItWhileAnyHolds) {
  STRING choice("0"), check("1");
  dialog.AddItem(new RADIODATADIALOGITEM(IDC_RULES_RADIO_A, &choice, 0));
  dialog.AddItem(new RADIODATADIALOGITEM(IDC_RULES_RADIO_B, &choice, 1));
  dialog.AddItem(new RADIODATADIALOGITEM(IDC_RULES_CHECK, &check, 1));
  dialog.AddDisableItem(IDC_RULES_SAVE, IDC_RULES_RADIO_A, DDCOND_UNCHECKED, nullptr);
  dialog.AddDisableItem(IDC_RULES_SAVE, IDC_RULES_CHECK, DDCOND_UNCHECKED, nullptr);
  dialog.DataToControls();
  EXPECT_TRUE(Enabled(IDC_RULES_SAVE));
  Click(IDC_RULES_RADIO_B);  // unchecks A without a notification from A
  EXPECT_FALSE(Enabled(IDC_RULES_SAVE));
  Click(IDC_RULES_RADIO_A);
  EXPECT_TRUE(Enabled(IDC_RULES_SAVE));
  Click(IDC_RULES_CHECK);
  EXPECT_FALSE(Enabled(IDC_RULES_SAVE));
  Click(IDC_RULES_RADIO_B);
  Click(IDC_RULES_CHECK);
  EXPECT_FALSE(Enabled(IDC_RULES_SAVE));  // A is still unchecked
  Click(IDC_RULES_RADIO_A);
  EXPECT_TRUE(Enabled(IDC_RULES_SAVE));
}

TEST_F(Rules, HideModeAndContainersHideInsteadOfDisabling) {
  DIALOG panel(IDD_UITEST_PANEL, dialog.Hwnd(), nullptr);
  SetWindowLongPtrA(panel.Hwnd(), GWLP_ID, IDC_RULES_PANEL);
  STRING text("");
  dialog.AddItem(new ENTRYDATADIALOGITEM(IDC_RULES_EDIT, &text, 20));
  dialog.AddDisableItem(IDC_RULES_HIDDEN, IDC_RULES_EDIT, DDCOND_UNCHECKED | DDMODE_HIDE, nullptr);
  dialog.AddDisableItem(IDC_RULES_PANEL, IDC_RULES_EDIT, DDCOND_UNCHECKED, nullptr);
  dialog.DataToControls();
  EXPECT_FALSE(Visible(IDC_RULES_HIDDEN));
  EXPECT_TRUE(Enabled(IDC_RULES_HIDDEN));
  EXPECT_FALSE(Visible(IDC_RULES_PANEL));
  EXPECT_TRUE(Enabled(IDC_RULES_PANEL));
  Type(IDC_RULES_EDIT, "x");
  EXPECT_TRUE(Visible(IDC_RULES_HIDDEN));
  EXPECT_TRUE(Visible(IDC_RULES_PANEL));
}

// Every condition on the control kinds it applies to.
TEST_F(Rules, ConditionsByControlKind) {
  SCRATCH folder("rules");
  folder.File("file.txt");
  std::string file = folder / "file.txt", dir = folder.Dir(), missing = folder / "missing";
  LISTBOX list(dialog.Hwnd(), IDC_RULES_LIST);
  LISTBOX combo(dialog.Hwnd(), IDC_RULES_COMBO);
  for (LISTBOX* l : {&list, &combo}) {
    l->Add("Alpha");
    l->Add("Beta");
  }
  auto check = [&] { CHECKBOX(dialog.Hwnd(), IDC_RULES_CHECK).SetCheck(1); };
  auto typeFile = [&] { Type(IDC_RULES_PATH, file.c_str()); };
  auto typeMissing = [&] { Type(IDC_RULES_PATH, missing.c_str()); };
  struct CASE {
    const char* what;
    int dependsOn;
    int condition;
    const char* value;
    std::function<void()> set;
    bool holds;
  } cases[] = {
      {"check box checked", IDC_RULES_CHECK, 0, "", check, true},
      {"check box not checked", IDC_RULES_CHECK, 1, "", check, false},
      {"list text equals, any case", IDC_RULES_LIST, 2, "alpha", [&] { list.Select(0, 1); }, true},
      {"list text differs", IDC_RULES_LIST, 3, "alpha", [&] { list.Select(1, 1); }, true},
      {"list without selection", IDC_RULES_LIST, 2, "", [&] { list.Select(-1, 0); }, true},
      {"combo text equals", IDC_RULES_COMBO, 2, "Beta", [&] { combo.Select(1, 1); }, true},
      {"combo text differs", IDC_RULES_COMBO, 3, "Beta", [&] { combo.Select(1, 1); }, false},
      {"edit not empty", IDC_RULES_PATH, 0, "", [&] { Type(IDC_RULES_PATH, "x"); }, true},
      {"edit equals", IDC_RULES_PATH, 2, "ABC", [&] { Type(IDC_RULES_PATH, "abc"); }, true},
      {"edit differs", IDC_RULES_PATH, 3, "ABC", [&] { Type(IDC_RULES_PATH, "abc"); }, false},
      {"file exists", IDC_RULES_PATH, 4, "", typeFile, true},
      {"file missing", IDC_RULES_PATH, 4, "", typeMissing, false},
      {"no file", IDC_RULES_PATH, 5, "", typeMissing, true},
      {"folder exists", IDC_RULES_PATH, 6, "", [&] { Type(IDC_RULES_PATH, dir.c_str()); }, true},
      {"a file is no folder", IDC_RULES_PATH, 6, "", typeFile, false},
      {"no folder", IDC_RULES_PATH, 7, "", typeFile, true},
  };
  int n = 0;
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    // A fresh dependent each time: one rule on it alone.
    int dependent = 9000 + n++;
    CONTROL target("Button", BS_PUSHBUTTON | WS_VISIBLE, "t", 0, 0, 10, 10, dialog.Hwnd(),
                   dependent, 0);
    EnableWindow(target.Hwnd(), c.holds ? TRUE : FALSE);  // the rule must change it
    dialog.AddDisableItem(dependent, c.dependsOn, c.condition, c.value);
    c.set();
    EXPECT_EQ(IsWindowEnabled(target.Hwnd()) == 0, c.holds);
  }
}

// Rules on push buttons and other classes never hold, so only the check box decides.
TEST_F(Rules, PushButtonsAndOtherClassesNeverHold) {
  dialog.AddDisableItem(IDC_RULES_SAVE, IDC_RULES_APPLY, DDCOND_UNCHECKED, nullptr);
  dialog.AddDisableItem(IDC_RULES_SAVE, IDC_RULES_LABEL, DDCOND_UNCHECKED, nullptr);
  dialog.AddDisableItem(IDC_RULES_SAVE, IDC_RULES_CHECK, DDCOND_CHECKED, nullptr);
  EnableWindow(Item(dialog.Hwnd(), IDC_RULES_SAVE), FALSE);
  CHECKBOX(dialog.Hwnd(), IDC_RULES_CHECK).SetCheck(0);
  EXPECT_TRUE(Enabled(IDC_RULES_SAVE));
  Click(IDC_RULES_CHECK);
  EXPECT_FALSE(Enabled(IDC_RULES_SAVE));
}

TEST_F(Rules, UnknownConditionsAndMissingControlsAreAssertions) {
  ASSERTRECORDER asserts;
  dialog.AddDisableItem(IDC_RULES_APPLY, IDC_RULES_CHECK, 9, nullptr);
  Click(IDC_RULES_CHECK);
  EXPECT_EQ(asserts.Take(), "FALSE");
  EXPECT_TRUE(Enabled(IDC_RULES_APPLY));

  DATADIALOG other(IDD_UITEST_RULES, nullptr, nullptr);
  other.AddDisableItem(IDC_RULES_APPLY, 4711, 0, nullptr);
  other.AddDisableItem(IDC_RULES_SAVE, IDC_RULES_CHECK, 0, nullptr);
  SendMessageA(Item(other.Hwnd(), IDC_RULES_CHECK), BM_CLICK, 0, 0);
  EXPECT_EQ(asserts.Take(), "");  // the rule on 4711 does not apply to the check box
  SendMessageA(other.Hwnd(), WM_COMMAND, MAKEWPARAM(4711, 0), 0);
  EXPECT_EQ(asserts.Take(), "(HWND)cdepend");
}

// --- Push-button handlers ---

TEST_F(DataDialogs, BrowseFolderPutsTheChosenFolderIntoTheEdit) {
  DATADIALOGBOX dialog(IDD_UITEST_DATA, nullptr, nullptr);
  STRING folder("C:\\windows"), browse("Pick a folder|ignored");
  dialog.AddItem(new ENTRYDATADIALOGITEM(IDC_DATA_FOLDER, &folder, 260));
  dialog.AddItem(new PUSHDATADIALOGITEM(IDC_DATA_BROWSE, &browse, PushBrowseFolder,
                                        IDC_DATA_FOLDER));
  HWND browser = nullptr;
  AsyncWindowTask user(OwnDialog("Data dialog"), [&](HWND d) {
    windriver::SetText(d, IDC_DATA_FOLDER, "C:\\users");
    PostMessageA(Item(d, IDC_DATA_BROWSE), BM_CLICK, 0, 0);
    DWORD thread = GetWindowThreadProcessId(d, nullptr);
    browser = windriver::FindTopWindow(Query::Dialog().Thread(thread).Except(d));
    if (browser) {
      Sleep(500);
      windriver::Click(browser, IDOK);
      windriver::WaitGone(browser);
    }
    windriver::Click(d, IDOK);
    uitest::EndsOrFails(d);
  });
  EXPECT_EQ(dialog.Run(), IDOK);
  user.Join();
  ASSERT_TRUE(browser);
  EXPECT_EQ(Text(browse), "Pick a folder|ignored");  // the handler returns the value as it was
  EXPECT_STRCASEEQ(folder.c_str(), "C:\\users");     // the starting folder, chosen as it was
}

TEST_F(DataDialogs, OpenStartsTheValueInTheWorkingFolder) {
  std::string out = CurrentFolder() + "\\pushopen.txt";
  DeleteFileA(out.c_str());
  SetEnvironmentVariableA("PROGRECORDER_OUT", out.c_str());
  STRING result = PushOpen(0, nullptr, STRING(ZOLAN_TOOLS_DIR "\\progrecorder.exe"));
  EXPECT_EQ(Text(result), ZOLAN_TOOLS_DIR "\\progrecorder.exe");
  for (int i = 0; i < 200 && !PathExists(out); i++) Sleep(50);
  SetEnvironmentVariableA("PROGRECORDER_OUT", nullptr);
  std::string recorded = ReadFileBytes(out);
  EXPECT_NE(recorded.find("cwd=" + CurrentFolder()), std::string::npos) << recorded;
}

}  // namespace
