// The window driver itself, against a small dialog of edit, list, combo box and buttons built
// in memory: what the driver does must reach the dialog as a user's input would.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/windriver.h"

namespace {

constexpr int kEditId = 101;
constexpr int kListId = 102;
constexpr int kComboId = 103;

// Dialog template in memory: header, then items, each DWORD-aligned (DLGTEMPLATE layout).
class TemplateBuilder {
public:
  TemplateBuilder(const char* title, int items) {
    Dword(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE);
    Dword(0);
    Word((WORD)items);
    Word(10); Word(10); Word(220); Word(120);
    Word(0); Word(0);  // no menu, default class
    Text(title);
    Word(8);
    Text("MS Shell Dlg");
  }
  void Item(WORD atom, DWORD style, int id, short x, short y, short cx, short cy, const char* text) {
    while (data.size() % 2) data.push_back(0);
    Dword(style | WS_CHILD | WS_VISIBLE);
    Dword(0);
    Word(x); Word(y); Word(cx); Word(cy);
    Word((WORD)id);
    Word(0xFFFF); Word(atom);
    Text(text);
    Word(0);
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(data.data()); }

private:
  void Word(WORD w) { data.push_back(w); }
  void Dword(DWORD d) { Word(LOWORD(d)); Word(HIWORD(d)); }
  void Text(const char* s) {
    while (*s) Word((WORD)(unsigned char)*s++);
    Word(0);
  }
  std::vector<WORD> data;
};

// What the dialog saw, read back when it ended.
struct Seen {
  std::string edit;
  int listSelection = -1;
  int comboSelection = -1;
  int listChanges = 0;
  int comboChanges = 0;
};

INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Seen* seen = reinterpret_cast<Seen*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      for (const char* s : {"alpha", "beta", "gamma"}) {
        SendDlgItemMessageA(dialog, kListId, LB_ADDSTRING, 0, (LPARAM)s);
        SendDlgItemMessageA(dialog, kComboId, CB_ADDSTRING, 0, (LPARAM)s);
      }
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == kListId && HIWORD(wParam) == LBN_SELCHANGE) seen->listChanges++;
      if (LOWORD(wParam) == kComboId && HIWORD(wParam) == CBN_SELCHANGE) seen->comboChanges++;
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        char text[256] = "";
        GetDlgItemTextA(dialog, kEditId, text, sizeof text);
        seen->edit = text;
        seen->listSelection = (int)SendDlgItemMessageA(dialog, kListId, LB_GETCURSEL, 0, 0);
        seen->comboSelection = (int)SendDlgItemMessageA(dialog, kComboId, CB_GETCURSEL, 0, 0);
        EndDialog(dialog, LOWORD(wParam));
      }
      return TRUE;
  }
  return FALSE;
}

INT_PTR RunTestDialog(Seen* seen) {
  TemplateBuilder t("Driver test", 5);
  t.Item(0x0081, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kEditId, 5, 5, 100, 12, "");
  t.Item(0x0083, WS_BORDER | WS_TABSTOP | LBS_NOTIFY, kListId, 5, 20, 100, 50, "");
  t.Item(0x0085, WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, kComboId, 110, 5, 100, 60, "");
  t.Item(0x0080, WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 110, 95, 50, 14, "OK");
  t.Item(0x0080, WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL, 165, 95, 50, 14, "Cancel");
  return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), nullptr, TestDialogProc, (LPARAM)seen);
}

windriver::Query OwnTestDialog() {
  return windriver::Query::Dialog().Thread(GetCurrentThreadId()).Title("Driver test", true);
}

TEST(WinDriver, TypesPicksReadsAndPresses) {
  Seen seen;
  std::vector<std::string> items;
  bool missingPick = true;
  windriver::AsyncWindowTask task(OwnTestDialog(), [&](HWND dialog) {
    windriver::SetText(dialog, kEditId, "typed");
    HWND list = windriver::FindControl(dialog, kListId);
    HWND combo = windriver::FindControl(dialog, kComboId);
    items = windriver::ListItems(combo);
    windriver::PickText(list, "GAMMA");
    windriver::PickIndex(combo, 1);
    missingPick = windriver::PickText(list, "delta") || windriver::PickIndex(combo, 7);
    windriver::Click(dialog, IDOK);
  });
  EXPECT_EQ(RunTestDialog(&seen), IDOK);
  task.Join();
  ASSERT_TRUE(task.Found()) << task.Seen();
  EXPECT_EQ(task.Caption(), "Driver test");
  EXPECT_EQ(items, (std::vector<std::string>{"alpha", "beta", "gamma"}));
  EXPECT_FALSE(missingPick);
  EXPECT_EQ(seen.edit, "typed");
  EXPECT_EQ(seen.listSelection, 2);
  EXPECT_EQ(seen.comboSelection, 1);
  EXPECT_EQ(seen.listChanges, 1);
  EXPECT_EQ(seen.comboChanges, 1);
}

TEST(WinDriver, KeysMoveFocusAndEndTheDialog) {
  struct { WORD key; INT_PTR result; } cases[] = {{VK_RETURN, IDOK}, {VK_ESCAPE, IDCANCEL}};
  for (const auto& c : cases) {
    Seen seen;
    int focusAfterTab = 0;
    windriver::AsyncWindowTask task(OwnTestDialog(), [&](HWND dialog) {
      // The dialog starts with the focus on its first control, the edit.
      windriver::PostKey(dialog, VK_TAB);
      for (int i = 0; i < 100 && GetDlgCtrlID(windriver::FocusOf(dialog)) == kEditId; ++i) Sleep(20);
      focusAfterTab = GetDlgCtrlID(windriver::FocusOf(dialog));
      windriver::PostKey(dialog, c.key);
    });
    EXPECT_EQ(RunTestDialog(&seen), c.result);
    task.Join();
    ASSERT_TRUE(task.Found()) << task.Seen();
    EXPECT_EQ(focusAfterTab, kListId);
  }
}

TEST(WinDriver, TypesThroughTheSystemInput) {
  Seen seen;
  std::string typed;
  windriver::AsyncWindowTask task(OwnTestDialog(), [&](HWND dialog) {
    windriver::SendKey(dialog, 'Q', false, true);
    // System input arrives on its own time: wait for its effect before going on.
    for (int i = 0; i < 100 && typed != "Q"; ++i) {
      Sleep(20);
      typed = windriver::GetText(dialog, kEditId);
    }
    windriver::Click(dialog, IDOK);
  });
  EXPECT_EQ(RunTestDialog(&seen), IDOK);
  task.Join();
  ASSERT_TRUE(task.Found()) << task.Seen();
  EXPECT_EQ(seen.edit, "Q");
}

TEST(WinDriver, AMissedQueryDismissesTheThreadsDialogInsteadOfHanging) {
  Seen seen;
  windriver::AsyncWindowTask task(windriver::Query::Dialog().Thread(GetCurrentThreadId()).Title("No such title"),
                                  windriver::PressButton(IDOK), 1000);
  EXPECT_EQ(RunTestDialog(&seen), IDCANCEL);
  task.Join();
  EXPECT_FALSE(task.Found());
  EXPECT_NE(task.Seen().find("caption=\"Driver test\" visible"), std::string::npos) << task.Seen();
}

TEST(WinDriver, AnswersTheBoxOfAnotherProcess) {
  // Wine's script host shows WScript.Echo in a message box: a box of another process.
  std::string script = "winmisc_driver_box.js";
  FILE* file = fopen(script.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  fputs("WScript.Echo(\"Hello from the script\");\r\nWScript.Quit(4);\r\n", file);
  fclose(file);
  windriver::Process child;
  ASSERT_TRUE(child.Start("wscript.exe " + script));
  std::string box = child.AnswerBox(IDOK);
  DWORD code = 0;
  EXPECT_TRUE(child.Wait(10000, &code));
  EXPECT_NE(box.find("|Hello from the script"), std::string::npos) << box;
  EXPECT_EQ(code, 4u);
  remove(script.c_str());
}

}  // namespace
