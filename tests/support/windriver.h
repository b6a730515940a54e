// windriver: drives real windows the way a user would, for GUI tests.
//
// The code under test shows its boxes and dialogs on its own thread (often the test thread,
// blocked inside MessageBoxA or a dialog loop) or in another process. The driver runs beside
// it, on a helper thread or in the test thread while the code under test runs elsewhere,
// finds the window by class, title, thread or process, and presses buttons, types text,
// picks list entries or sends keys through the window messages a user's input would cause.
//
// Every search polls until a time-out, so a test never hangs on a window that does not come;
// every message to another thread is sent with a time-out, so a hung window cannot block the
// driver either. Nothing here replaces a Win32 call of the code under test.
//
// Under Xvfb without a window manager Wine spends about 2 s hiding each closing top-level
// window (it waits for a window-manager reply that never comes); the value Managed = "N"
// under HKCU\Software\Wine\X11 Driver, set in the prefix before the test starts, avoids it.
//
//   windriver::AsyncWindowTask box(windriver::Query().Thread(GetCurrentThreadId()),
//                                  windriver::PressButton(IDYES));
//   int answer = WINZOLAN::YesNoMsgBox(0, "Title", "Go on?");
//   box.Join();   // box.Found(), box.Caption(), box.Text()
#ifndef ZOLAN_TESTS_WINDRIVER_H
#define ZOLAN_TESTS_WINDRIVER_H

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace windriver {

// Default time a search waits for its window, in milliseconds.
constexpr DWORD kDefaultTimeout = 10000;
// Id of the static control that holds a message box's text.
constexpr int kMsgBoxTextId = 0xFFFF;
// Class of dialogs and message boxes.
constexpr const char* kDialogClass = "#32770";

// What a top-level window must match; unset fields match anything.
struct Query {
  std::string className;    // exact, without regard to case ("#32770" for dialogs and boxes)
  std::string title;        // caption: substring, or whole caption with exactTitle
  bool exactTitle = false;
  DWORD threadId = 0;       // owning thread
  DWORD processId = 0;      // owning process
  bool visibleOnly = true;  // a box is visible only once its content is set up
  std::vector<HWND> exclude;  // windows to pass over (for example those already answered)

  Query& Class(const char* name) { className = name; return *this; }
  Query& Title(const char* text, bool exact = false) { title = text; exactTitle = exact; return *this; }
  Query& Thread(DWORD id) { threadId = id; return *this; }
  Query& Process(DWORD id) { processId = id; return *this; }
  Query& AnyVisibility() { visibleOnly = false; return *this; }
  Query& Except(HWND window) { exclude.push_back(window); return *this; }
  // A dialog or message box (class "#32770").
  static Query Dialog() { return Query().Class(kDialogClass); }
};

bool Matches(HWND window, const Query& query);
// First matching top-level window, polling until timeoutMs has passed; 0 when none came.
HWND FindTopWindow(const Query& query, DWORD timeoutMs = kDefaultTimeout);
// One line per top-level window of the thread (or process, or all when both are 0): handle,
// class, caption, visibility; for failure messages when a window did not come.
std::string DescribeWindows(DWORD threadId, DWORD processId = 0);
// Waits until the window no longer exists (or is hidden); true when it went in time.
bool WaitGone(HWND window, DWORD timeoutMs = kDefaultTimeout);

// Control with this id (and class, when given, without regard to case) anywhere below root,
// nested child dialogs included; the first in z-order, parents before their children; 0 when
// none. Name the class where ids repeat: the common file dialog's file list also has id 1.
HWND FindControl(HWND root, int id, const char* className = nullptr);
// As FindControl, polling until the control exists and is enabled.
HWND WaitControl(HWND root, int id, const char* className = nullptr, DWORD timeoutMs = kDefaultTimeout);
// Every control below root with this class name (without regard to case), in z-order.
std::vector<HWND> FindControls(HWND root, const char* className);
std::string ClassOf(HWND window);

// Window text of a window or control (WM_GETTEXT); empty on failure.
std::string GetText(HWND window);
std::string GetText(HWND root, int id, const char* className = nullptr);
// Sets the text as typing would leave it (WM_SETTEXT, then EN_CHANGE is sent by the edit).
bool SetText(HWND root, int id, const char* text, const char* className = nullptr);
// Caption and text of a message box.
std::string BoxText(HWND box);

// Presses a button as a click would (BM_CLICK); the button's owner gets its WM_COMMAND.
// Returns once the press was handled or after a short time-out (a press that opens another
// modal window does not return before that window closes, so the driver does not wait).
bool Click(HWND button);
// The button (class "Button") with this id below root.
bool Click(HWND root, int id);
// Closes a window as its close box would (WM_CLOSE, posted).
bool Close(HWND window);

// List boxes and combo boxes: the entries, the selected index, and picking one. Picking
// selects the entry and tells the owner as a user's choice would (LBN_SELCHANGE /
// CBN_SELCHANGE); false when the entry does not exist.
std::vector<std::string> ListItems(HWND list);
int ListSelection(HWND list);
bool PickIndex(HWND list, int index);
bool PickText(HWND list, const char* text);

// Keys. PostKey posts key-down and key-up to the thread's focus window (or to the given
// window), enough for Tab, Enter, Escape and letters in dialogs. SendKey types through the
// system's input (keybd_event) into the foreground window after bringing window's top-level
// window to the front; use it for combinations that read the modifier state (Ctrl+Tab).
// System input is handled after messages already posted and on its own time: wait for the
// effect of a SendKey (text typed, page changed) before posting keys, or a still-held
// modifier turns a posted Tab into Shift+Tab.
bool PostKey(HWND window, WORD virtualKey);
bool SendKey(HWND window, WORD virtualKey, bool ctrl = false, bool shift = false);
// The window that has the keyboard focus in the window's thread; 0 when none.
HWND FocusOf(HWND window);

// Runs an action on the first window that matches, on a thread of its own, so that the
// calling thread can go on and run the code that shows the window. Join waits for the
// thread; the destructor joins as well; read the results after Join. When no window comes
// in time, Found() is false and, for a query by thread, the dialogs that thread shows are
// dismissed (DismissDialogs), so that a test whose query missed fails instead of hanging.
class AsyncWindowTask {
public:
  typedef std::function<void(HWND)> Action;
  AsyncWindowTask(const Query& query, Action action, DWORD timeoutMs = kDefaultTimeout);
  ~AsyncWindowTask();
  AsyncWindowTask(const AsyncWindowTask&) = delete;
  AsyncWindowTask& operator=(const AsyncWindowTask&) = delete;

  void Join();
  bool Found() const { return found; }
  // Caption and message-box text of the window as it was found (before the action ran).
  const std::string& Caption() const { return caption; }
  const std::string& Text() const { return text; }
  // When nothing came: the windows that were there (DescribeWindows) at the time-out.
  const std::string& Seen() const { return seen; }

private:
  void Run(Query query, Action action, DWORD timeoutMs);

  std::atomic<bool> found{false};
  std::string caption;
  std::string text;
  std::string seen;
  std::thread worker;
};

// Ends every visible dialog or box of the thread as a user would: Cancel, No or OK, in that
// order of preference, else the close box. Returns how many it found.
int DismissDialogs(DWORD threadId);

// The most common actions: press a button of the found window (closing the window instead
// when the button does not come, so that no test waits forever), or close it.
AsyncWindowTask::Action PressButton(int id);
AsyncWindowTask::Action CloseWindow();

// A program started for a black-box test; the driver finds its windows by process id.
// Owns the process: the destructor ends a process that is still running.
class Process {
public:
  Process() = default;
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // commandLine as CreateProcessA takes it; folder may be null (the caller's folder).
  bool Start(const std::string& commandLine, const char* folder = nullptr);
  DWORD Id() const { return info.dwProcessId; }
  HANDLE Handle() const { return info.hProcess; }
  // Waits for the end; true with the exit code when the process ended in time.
  bool Wait(DWORD timeoutMs, DWORD* exitCode = nullptr);
  // Finds a window of this process.
  HWND FindTopWindow(Query query, DWORD timeoutMs = kDefaultTimeout) const;
  // Answers the next box of this process by pressing the button; returns the box's text
  // ("caption|text"), empty when no box came.
  std::string AnswerBox(int buttonId, DWORD timeoutMs = kDefaultTimeout) const;
  void Terminate();

private:
  PROCESS_INFORMATION info{};
};

}  // namespace windriver

#endif
