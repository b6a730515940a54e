// WINDOW and DIALOG on real windows under Wine: wrapping and ownership, show states,
// rectangles and placement, the modal loop driven as a user would, class registration.
#include "ui/windows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "support/assertrecorder.h"
#include "support/windriver.h"
#include "ui/wincontrols.h"
#include "uitest.h"
#include "uitestsupport.h"

using windriver::AsyncWindowTask;
using windriver::Query;

namespace {

class Windows : public ::testing::Test {
protected:
  uitest::OwnResources resources;
};

// A visible top-level toolkit window, as a parent or owner.
class Frame : public WINDOW {
public:
  Frame(int x, int y, int width, int height, DWORD style = WS_POPUP | WS_VISIBLE)
      : WINDOW(style, "Frame", x, y, width, height, nullptr, 0, "ZolanTestFrame", nullptr) {}
};

Query OwnDialog(const char* title) {
  return Query::Dialog().Thread(GetCurrentThreadId()).Title(title, true);
}

TEST_F(Windows, NullHandleIsTheDesktopWorkArea) {
  WINDOW desktop(nullptr);
  EXPECT_EQ(desktop.Id(), -1);
  RECT work;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  RECT r = desktop.GetRect();
  EXPECT_TRUE(EqualRect(&r, &work));
  SIZE s = desktop.GetSize();
  EXPECT_EQ(s.cx, work.right - work.left);
}

TEST_F(Windows, IdComesFromTheControlOrFromTheToolkitWindowItself) {
  DIALOG dialog(IDD_UITEST_PLAIN, nullptr, nullptr);
  ASSERT_TRUE(dialog.Hwnd());
  // A top-level dialog has no control id: it answers WMU_GETID with its template id.
  EXPECT_EQ(WINDOW(dialog.Hwnd()).Id(), IDD_UITEST_PLAIN);
  EXPECT_EQ(WINDOW(GetDlgItem(dialog.Hwnd(), IDC_PLAIN_OTHER)).Id(), IDC_PLAIN_OTHER);
  EXPECT_EQ(CONTROL(dialog.Hwnd(), -1).Hwnd(), dialog.Hwnd());
  EXPECT_EQ(dialog.GetChild(IDC_PLAIN_EDIT1).Hwnd(), GetDlgItem(dialog.Hwnd(), IDC_PLAIN_EDIT1));
  EXPECT_EQ(CONTROL(dialog.Hwnd(), IDC_PLAIN_EDIT1).GetParent().Hwnd(), dialog.Hwnd());
}

TEST_F(Windows, OnlyTheCreatorDestroysAWindow) {
  DIALOG dialog(IDD_UITEST_PLAIN, nullptr, nullptr);
  HWND edit = GetDlgItem(dialog.Hwnd(), IDC_PLAIN_EDIT1);
  {
    WINDOW view(dialog.Hwnd());
    WINDOW copy(view);
    CONTROL control(dialog.Hwnd(), IDC_PLAIN_EDIT1);
    CHECKBOX alsoAView(dialog.Hwnd(), IDOK);
  }
  EXPECT_TRUE(IsWindow(dialog.Hwnd()));
  EXPECT_TRUE(IsWindow(edit));

  HWND created;
  {
    CONTROL owned("Edit", WS_VISIBLE, "x", 0, 0, 50, 20, dialog.Hwnd(), 4242, 0);
    created = owned.Hwnd();
    ASSERT_TRUE(IsWindow(created));
    WINDOW view(created);  // a view of an owned control leaves it to its owner
  }
  EXPECT_FALSE(IsWindow(created));

  HWND line;
  {
    HLINE3D separator(dialog.Hwnd(), 100);
    line = separator.Hwnd();
    ASSERT_TRUE(IsWindow(line));
  }
  EXPECT_FALSE(IsWindow(line));

  HWND window = dialog.Hwnd();
  {
    DIALOG other(IDD_UITEST_PLAIN, nullptr, nullptr);
    window = other.Hwnd();
  }
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(Windows, AWindowTheSystemDestroyedIsNotDestroyedAgain) {
  DIALOG dialog(IDD_UITEST_PLAIN, nullptr, nullptr);
  DestroyWindow(dialog.Hwnd());
  EXPECT_EQ(dialog.Hwnd(), nullptr);

  Frame frame(0, 0, 100, 100);
  HLINE3D separator(frame.Hwnd(), 100);
  DestroyWindow(frame.Hwnd());
  EXPECT_EQ(frame.Hwnd(), nullptr);
  EXPECT_EQ(separator.Hwnd(), nullptr);
}

TEST_F(Windows, ShowRestoresAMinimisedWindowAndKeepsAMaximisedOne) {
  DIALOG dialog(IDD_UITEST_PLAIN, nullptr, nullptr);
  dialog.Show(1);
  ShowWindow(dialog.Hwnd(), SW_MINIMIZE);
  ASSERT_TRUE(dialog.IsMinimized());
  dialog.Show(1);
  EXPECT_FALSE(dialog.IsMinimized());
  EXPECT_FALSE(dialog.IsMaximized());
  EXPECT_TRUE(IsWindowVisible(dialog.Hwnd()));

  ShowWindow(dialog.Hwnd(), SW_MAXIMIZE);
  ASSERT_TRUE(dialog.IsMaximized());
  dialog.Show(1);
  EXPECT_TRUE(dialog.IsMaximized());

  dialog.Show(0);
  EXPECT_FALSE(IsWindowVisible(dialog.Hwnd()));
}

TEST_F(Windows, RectanglesOfChildrenAreInTheParentsClientCoordinates) {
  Frame owner(30, 40, 400, 300);
  DIALOG dialog(IDD_UITEST_PLAIN, owner.Hwnd(), nullptr);
  // An owned top-level dialog measures on the screen.
  RECT screen;
  GetWindowRect(dialog.Hwnd(), &screen);
  RECT r = dialog.GetRect();
  EXPECT_TRUE(EqualRect(&r, &screen));

  CONTROL edit(dialog.Hwnd(), IDC_PLAIN_EDIT1);
  edit.SetPos(7, 9, 60, -1);
  RECT child = edit.GetRect();
  EXPECT_EQ(child.left, 7);
  EXPECT_EQ(child.top, 9);
  EXPECT_EQ(edit.GetSize().cx, 60);
  RECT moved = {11, 13, 81, 40};
  edit.Move(moved);
  child = edit.GetRect();
  EXPECT_TRUE(EqualRect(&child, &moved));
  SIZE client = dialog.GetClientSize();
  RECT clientRect;
  GetClientRect(dialog.Hwnd(), &clientRect);
  EXPECT_EQ(client.cx, clientRect.right);
  EXPECT_EQ(dialog.GetText(), "Plain dialog");
}

TEST_F(Windows, ClientRectOfTheDesktopWrapperIsAnAssertion) {
  ASSERTRECORDER asserts;
  WINDOW(nullptr).GetClientRect();
  EXPECT_EQ(asserts.Take(), "this->hWnd!=HWND_DESKTOP");
}

TEST_F(Windows, StylesAreAddedAndRemoved) {
  DIALOG dialog(IDD_UITEST_PLAIN, nullptr, nullptr);
  CONTROL edit(dialog.Hwnd(), IDC_PLAIN_EDIT1);
  edit.AddStyle(ES_NUMBER);
  EXPECT_TRUE(GetWindowLongPtrA(edit.Hwnd(), GWL_STYLE) & ES_NUMBER);
  edit.RemoveStyle(ES_NUMBER);
  EXPECT_FALSE(GetWindowLongPtrA(edit.Hwnd(), GWL_STYLE) & ES_NUMBER);
  edit.AddExStyle(WS_EX_CONTROLPARENT);
  EXPECT_TRUE(GetWindowLongPtrA(edit.Hwnd(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
}

// Placement over the parent, kept inside the work area.
TEST_F(Windows, DialogsAreCentredOverAVisibleParentWithinTheWorkArea) {
  RECT work = WINDOW(nullptr).GetRect();
  struct CASE {
    const char* what;
    int x, y, width, height;
    bool visible;
  } cases[] = {
      {"narrow parent at the left edge", 0, 0, 300, 200, true},
      {"parent at the right and bottom edges", work.right - 100, work.bottom - 50, 100, 50, true},
      {"large parent", 50, 40, 900, 700, true},
      {"hidden parent: centred on the work area", 0, 0, 300, 200, false},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    Frame parent(c.x, c.y, c.width, c.height, WS_POPUP | (c.visible ? WS_VISIBLE : 0));
    DIALOG dialog(IDD_UITEST_WIDE, parent.Hwnd(), nullptr);
    RECT r = dialog.GetRect();
    int w = r.right - r.left, h = r.bottom - r.top;
    ASSERT_GT(w, 300);  // wider than the narrow parent
    RECT ref = c.visible ? RECT{c.x, c.y, c.x + c.width, c.y + c.height} : work;
    int x = ref.left + ((ref.right - ref.left) - w) / 2;
    int y = ref.top + ((ref.bottom - ref.top) - h) / 2;
    if (x + w > work.right) x = work.right - w;
    if (x < 0) x = 0;
    if (y + h > work.bottom) y = work.bottom - h;
    if (y < 0) y = 0;
    EXPECT_EQ(r.left, x);
    EXPECT_EQ(r.top, y);
    if (c.x == 0 && c.visible) {
      EXPECT_EQ(r.left, 0);
    }
    if (c.x > 0 && c.width == 100) {
      EXPECT_EQ(r.right, work.right);
    }
  }
}

// How a modal dialog ends, by the user's action.
TEST_F(Windows, ProcessEndsWithTheResultOfTheUsersAction) {
  struct CASE {
    const char* what;
    std::function<void(HWND)> act;
    int result;
  } cases[] = {
      {"Cancel button", [](HWND d) { windriver::Click(d, IDCANCEL); }, 0},
      {"close command", [](HWND d) { windriver::Close(d); }, 2},
      {"other push button", [](HWND d) { windriver::Click(d, IDC_PLAIN_OTHER); }, IDC_PLAIN_OTHER},
      {"OK button", [](HWND d) { windriver::Click(d, IDOK); }, IDOK},
      {"Enter", [](HWND d) { windriver::PostKey(d, VK_RETURN); }, IDOK},
      {"Escape", [](HWND d) { windriver::PostKey(d, VK_ESCAPE); }, 0},
      {"Help, then another button",
       [](HWND d) {
         windriver::Click(d, IDC_PLAIN_HELP);
         Sleep(100);
         if (IsWindowVisible(d)) windriver::Click(d, IDC_PLAIN_OTHER);
       },
       IDC_PLAIN_OTHER},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    Frame owner(0, 0, 200, 100);
    DIALOG dialog(IDD_UITEST_PLAIN, owner.Hwnd(), nullptr);
    std::atomic<bool> ownerDisabled{false};
    AsyncWindowTask user(OwnDialog("Plain dialog"), [&](HWND d) {
      ownerDisabled = !IsWindowEnabled(owner.Hwnd());
      c.act(d);
      uitest::EndsOrFails(d);
    });
    EXPECT_EQ(dialog.Process(0), c.result);
    user.Join();
    EXPECT_TRUE(user.Found());
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner.Hwnd()));
    EXPECT_FALSE(IsWindowVisible(dialog.Hwnd()));
  }
}

TEST_F(Windows, TabMovesTheFocusAndCtrlTabReachesTheDialog) {
  uitest::RecordingDialog dialog(IDD_UITEST_PLAIN);
  std::atomic<bool> tabMoved{false}, ctrlTabKeptFocus{false};
  AsyncWindowTask user(OwnDialog("Plain dialog"), [&](HWND d) {
    HWND edit1 = GetDlgItem(d, IDC_PLAIN_EDIT1), edit2 = GetDlgItem(d, IDC_PLAIN_EDIT2);
    SendMessageA(d, WM_NEXTDLGCTL, (WPARAM)edit1, TRUE);
    windriver::PostKey(d, VK_TAB);
    for (int i = 0; i < 50 && windriver::FocusOf(d) != edit2; i++) Sleep(20);
    tabMoved = windriver::FocusOf(d) == edit2;
    windriver::SendKey(d, VK_TAB, true);
    Sleep(300);
    ctrlTabKeptFocus = windriver::FocusOf(d) == edit2;
    windriver::Click(d, IDOK);
    uitest::EndsOrFails(d);
  });
  EXPECT_EQ(dialog.Process(0), IDOK);
  user.Join();
  EXPECT_TRUE(tabMoved);
  EXPECT_TRUE(ctrlTabKeptFocus);
  ASSERT_EQ(dialog.keys.size(), 1u);
  EXPECT_EQ(dialog.keys[0], VK_TAB);
}

TEST_F(Windows, TheDeferredCreationCallReachesTheDerivedClass) {
  uitest::RecordingDialog dialog(IDD_UITEST_PLAIN);
  EXPECT_EQ(dialog.deferredInits, 0);
  uitest::Pump();
  EXPECT_EQ(dialog.deferredInits, 1);
}

TEST_F(Windows, AMissingTemplateIsAnAssertionAndLeavesNoWindow) {
  ASSERTRECORDER asserts;
  DIALOG missing(4711, nullptr, nullptr);
  EXPECT_EQ(missing.Hwnd(), nullptr);
  EXPECT_EQ(asserts.Take(), "this->hWnd");
  EXPECT_EQ(asserts.LastInfo(), "4711");  // the template id
  DIALOG none(0, nullptr, nullptr);
  EXPECT_EQ(none.Hwnd(), nullptr);
  EXPECT_EQ(asserts.Take(), "");
}

// The class icon: the window's own icon, else the program's, else the library's icon 1.
TEST_F(Windows, ClassIconFallsBackInOrder) {
  ASSERTRECORDER asserts;
  HMODULE self = GetModuleHandleA(nullptr);
  HMODULE noIcons = LoadLibraryA(ZOLAN_DIST_DIR "\\setupenglish.dll");
  ASSERT_TRUE(noIcons);
  struct CASE {
    const char* what;
    HINSTANCE resource, app;
    int id;
    HICON expected;
  } cases[] = {
      {"own icon", self, self, IDI_UITEST_WINDOW,
       LoadIconA(self, MAKEINTRESOURCEA(IDI_UITEST_WINDOW))},
      {"program icon", noIcons, self, 7002, LoadIconA(self, MAKEINTRESOURCEA(IDI_UITEST_APP))},
      {"library icon 1", self, noIcons, 7002, LoadIconA(self, MAKEINTRESOURCEA(IDI_UITEST_APP))},
      {"no icon at all", noIcons, noIcons, 7002, nullptr},
  };
  int n = 0;
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    gResourceInstance = c.resource;
    gAppInstance = c.app;
    std::string className = "ZolanIconTest" + std::to_string(n++);
    WINDOW window(WS_POPUP, "", 0, 0, 10, 10, nullptr, c.id, className.c_str(), nullptr);
    ASSERT_TRUE(window.Hwnd()) << asserts.Take();
    EXPECT_EQ((HICON)GetClassLongPtrA(window.Hwnd(), GCLP_HICON), c.expected);
  }
  gResourceInstance = gAppInstance = self;
  FreeLibrary(noIcons);
}

TEST_F(Windows, TopLevelWindowsGetTheMenuOfTheirId) {
  WINDOW top(WS_OVERLAPPEDWINDOW, "Menu", 0, 0, 200, 100, nullptr, IDM_UITEST_WINDOW,
             "ZolanMenuTest", nullptr);
  EXPECT_TRUE(GetMenu(top.Hwnd()));
  WINDOW childWindow(WS_CHILD, "", 0, 0, 10, 10, top.Hwnd(), IDM_UITEST_WINDOW, "ZolanMenuTest",
                     nullptr);
  EXPECT_EQ(GetDlgCtrlID(childWindow.Hwnd()), IDM_UITEST_WINDOW);
}

TEST_F(Windows, ButtonKindsAreToldApart) {
  DIALOG dialog(IDD_UITEST_PLAIN, nullptr, nullptr);
  struct CASE {
    const char* className;
    DWORD style;
    bool push, radio;
  } cases[] = {
      {"Button", BS_PUSHBUTTON, true, false},     {"BUTTON", BS_DEFPUSHBUTTON, true, false},
      {"Button", BS_USERBUTTON, true, false},     {"Button", BS_RADIOBUTTON, false, true},
      {"Button", BS_AUTORADIOBUTTON, false, true}, {"Button", BS_AUTOCHECKBOX, false, false},
      {"Button", BS_GROUPBOX, false, false},      {"Static", 0, false, false},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.style);
    CONTROL control(c.className, c.style, "", 0, 0, 10, 10, dialog.Hwnd(), 500, 0);
    EXPECT_EQ(WINDOWS::IsPushButton(control.Hwnd()), c.push);
    EXPECT_EQ(WINDOWS::IsRadioButton(control.Hwnd()), c.radio);
  }
  EXPECT_FALSE(WINDOWS::IsPushButton(nullptr));
}

TEST_F(Windows, CreateFontMakesACharacterHeightFromPoints) {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  HFONT font = WINDOWS::CreateFont("Arial", 9, 1, 1, ANSI_CHARSET);
  ASSERT_TRUE(font);
  LOGFONTA lf;
  ASSERT_TRUE(GetObjectA(font, sizeof lf, &lf));
  EXPECT_EQ(lf.lfHeight, -MulDiv(9, dpi, 72));
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_TRUE(lf.lfItalic);
  EXPECT_STREQ(lf.lfFaceName, "Arial");
  DeleteObject(font);
  font = WINDOWS::CreateFont("Arial", 12, 0, 0, DEFAULT_CHARSET);
  GetObjectA(font, sizeof lf, &lf);
  EXPECT_EQ(lf.lfWeight, FW_NORMAL);
  EXPECT_FALSE(lf.lfItalic);
  DeleteObject(font);
}

// A worker that sends to the waiting thread's window must not dead-lock the wait.
TEST_F(Windows, WinWaitForSingleObjectServesMessagesWhileWaiting) {
  Frame frame(0, 0, 50, 50);
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread worker([&] {
    SendMessageA(frame.Hwnd(), WM_SETTEXT, 0, (LPARAM)"from worker");
    SetEvent(done);
  });
  EXPECT_EQ(WINDOWS::WinWaitForSingleObject(done, 5000), 1);
  worker.join();
  EXPECT_EQ(frame.GetText(), "from worker");

  HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD start = GetTickCount();
  EXPECT_EQ(WINDOWS::WinWaitForSingleObject(never, 100), 0);
  EXPECT_GE(GetTickCount() - start, 90u);
  CloseHandle(never);
  CloseHandle(done);
}

}  // namespace
