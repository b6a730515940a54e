// Control wrappers on the real controls of a test dialog, and the separator line's pixels.
#include "ui/wincontrols.h"

#include <gtest/gtest.h>

#include "uitest.h"
#include "uitestsupport.h"

namespace {

class Controls : public ::testing::Test {
protected:
  uitest::OwnResources resources;
};

void Fill(LISTBOX& list) {
  list.Clear();
  for (const char* text : {"red", "green", "ABC", "abd", "blue"}) list.Add(text);
}

TEST_F(Controls, ListAndComboBoxesShareOneInterface) {
  uitest::RecordingDialog dialog(IDD_UITEST_DATA);
  for (int id : {IDC_DATA_LIST, IDC_DATA_COMBO}) {
    SCOPED_TRACE(id);
    LISTBOX list(dialog.Hwnd(), id);
    EXPECT_EQ(list.IsListBox(), id == IDC_DATA_LIST);
    Fill(list);
    EXPECT_EQ(list.Find("ab"), 2);  // first entry that begins with it, in any case
    EXPECT_EQ(list.Find("AbD"), 3);
    EXPECT_EQ(list.Find("x"), -1);
    EXPECT_EQ(list.GetSelection(0), -1);
    STRING none = list.GetText(-1);
    EXPECT_TRUE(none.NotNull());
    EXPECT_TRUE(none.IsEmpty());

    dialog.commands.clear();
    list.Select(3, 1);
    EXPECT_EQ(list.GetSelection(0), 3);
    EXPECT_EQ(list.GetSelection(1), -1);
    EXPECT_EQ(list.GetText(-1), "abd");
    EXPECT_EQ(list.GetText(1), "green");
    EXPECT_TRUE(dialog.Received(id, 1));  // as a user's choice would tell the parent

    list.Insert("first", 0);
    EXPECT_EQ(list.GetText(0), "first");
    list.Select(0, 0);
    EXPECT_EQ(list.GetSelection(0), -1);
    EXPECT_EQ(list.GetText(42), "");
    list.Clear();
    EXPECT_EQ(list.Find("red"), -1);
  }
}

TEST_F(Controls, MultipleSelectionListsReportEachSelectedEntry) {
  DIALOG dialog(IDD_UITEST_DATA, nullptr, nullptr);
  LISTBOX list(dialog.Hwnd(), IDC_DATA_MULTI);
  Fill(list);
  list.Select(1, 1);
  list.Select(3, 1);
  EXPECT_EQ(list.GetSelection(0), 1);
  EXPECT_EQ(list.GetSelection(1), 3);
  EXPECT_EQ(list.GetSelection(2), -1);
  EXPECT_EQ(list.GetText(-1), "green");
  list.Select(-1, 0);
  EXPECT_EQ(list.GetSelection(0), -1);
  list.Select(-1, 1);
  EXPECT_EQ(list.GetSelection(4), 4);
}

TEST_F(Controls, SetCheckTellsTheParentAsAClickWould) {
  uitest::RecordingDialog dialog(IDD_UITEST_RULES);
  CHECKBOX check(dialog.Hwnd(), IDC_RULES_CHECK);
  check.SetCheck(1);
  EXPECT_EQ(check.GetCheck(), 1);
  EXPECT_TRUE(dialog.Received(IDC_RULES_CHECK, BN_CLICKED));
  RADIOBUTTON radio(dialog.Hwnd(), IDC_RULES_RADIO_B);
  radio.SetCheck(1);
  EXPECT_EQ(radio.GetCheck(), 1);
  check.SetCheck(0);
  EXPECT_EQ(check.GetCheck(), 0);
}

TEST_F(Controls, SpinRangeLimitsTheEditAndUsesThirtyTwoBitsWhenNeeded) {
  struct CASE {
    int lo, hi;
    int limit;
  } cases[] = {{0, 999, 3}, {-5, 20, 3}, {0, 40000, 5}, {-100000, 5, 2}, {0, 0, 1}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(std::to_string(c.lo) + ".." + std::to_string(c.hi));
    DIALOG dialog(IDD_UITEST_DATA, nullptr, nullptr);
    SPINBUTTON spin(0, IDC_DATA_COUNT, dialog.Hwnd(), 65000, 0);
    HWND edit = GetDlgItem(dialog.Hwnd(), IDC_DATA_COUNT);
    EXPECT_EQ((HWND)SendMessageA(spin.Hwnd(), UDM_GETBUDDY, 0, 0), edit);
    spin.SetRange(c.lo, c.hi);
    EXPECT_EQ((int)SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), c.limit);
    int lo = 0, hi = 0;
    SendMessageA(spin.Hwnd(), UDM_GETRANGE32, (WPARAM)&lo, (LPARAM)&hi);
    EXPECT_EQ(lo, c.lo);
    EXPECT_EQ(hi, c.hi);
    spin.SetPos(c.hi);
    EXPECT_EQ(spin.GetPos(), c.hi);
    char text[32];
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_EQ(std::string(text), std::to_string(c.hi));  // shown in the buddy, no separators
  }
}

TEST_F(Controls, ProgressBarIsShownWithRangeHundred) {
  DIALOG dialog(IDD_UITEST_DATA, nullptr, nullptr);
  PROGRESSBAR bar(dialog.Hwnd(), 600);
  ASSERT_TRUE(bar.Hwnd());
  EXPECT_TRUE(GetWindowLongPtrA(bar.Hwnd(), GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ((int)SendMessageA(bar.Hwnd(), PBM_GETRANGE, TRUE, 0), 0);
  EXPECT_EQ((int)SendMessageA(bar.Hwnd(), PBM_GETRANGE, FALSE, 0), 100);
  bar.SetRange(500);
  bar.SetPos(250);
  EXPECT_EQ((int)SendMessageA(bar.Hwnd(), PBM_GETRANGE, FALSE, 0), 500);
  EXPECT_EQ((int)SendMessageA(bar.Hwnd(), PBM_GETPOS, 0, 0), 250);
}

TEST_F(Controls, ClassNameOfAControl) {
  DIALOG dialog(IDD_UITEST_DATA, nullptr, nullptr);
  EXPECT_EQ(CONTROL(dialog.Hwnd(), IDC_DATA_NAME).GetClassName(), "Edit");
  EXPECT_EQ(CONTROL(dialog.Hwnd(), 4711).GetClassName(), "");
}

// The line paints shadow over highlight across its whole width, and nothing else.
TEST_F(Controls, SeparatorLinePaintsShadowOverHighlight) {
  WINDOW frame(WS_POPUP | WS_VISIBLE, "", 20, 20, 500, 60, nullptr, 0, "ZolanLineFrame",
               nullptr);
  HLINE3D line(frame.Hwnd(), 100);
  EXPECT_FALSE(IsWindowVisible(line.Hwnd()));
  SIZE initial = line.GetSize();
  EXPECT_EQ(initial.cx, 100);
  EXPECT_EQ(initial.cy, 2);
  line.SetPos(30, 20, 400, 2);
  line.Show(SW_SHOW);
  UpdateWindow(frame.Hwnd());
  uitest::Pump();

  HDC dc = GetDC(frame.Hwnd());
  COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
  ASSERT_NE(shadow, light);
  int wrongTop = 0, wrongBottom = 0;
  for (int x = 30; x < 430; x++) {
    if (GetPixel(dc, x, 20) != shadow) wrongTop++;
    if (GetPixel(dc, x, 21) != light) wrongBottom++;
  }
  EXPECT_EQ(wrongTop, 0);
  EXPECT_EQ(wrongBottom, 0);
  EXPECT_NE(GetPixel(dc, 430, 20), shadow);  // the line ends with its width
  EXPECT_NE(GetPixel(dc, 100, 22), light);   // two rows only
  ReleaseDC(frame.Hwnd(), dc);

  // The line takes no mouse input.
  POINT inside = {100, 20};
  ClientToScreen(frame.Hwnd(), &inside);
  EXPECT_EQ(SendMessageA(line.Hwnd(), WM_NCHITTEST, 0, MAKELPARAM(inside.x, inside.y)), 0);
}

}  // namespace
