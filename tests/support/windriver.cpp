#include "support/windriver.h"

#include <algorithm>
#include <cstdio>

namespace windriver {

namespace {

// Time the driver waits for another thread to handle one message; long enough for a busy
// dialog, short enough that a window which opened a nested modal loop does not stall a test.
constexpr UINT kSendTimeout = 3000;
constexpr DWORD kPollInterval = 20;

bool SendTimed(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
  DWORD_PTR dummy = 0;
  return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeout,
                             result ? result : &dummy) != 0;
}

LRESULT SendValue(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (!SendTimed(window, message, wParam, lParam, &result)) {
    return -1;
  }
  return (LRESULT)result;
}

bool TitleMatches(const std::string& caption, const Query& query) {
  if (query.title.empty()) {
    return true;
  }
  return query.exactTitle ? caption == query.title : caption.find(query.title) != std::string::npos;
}

std::string RawCaption(HWND window) {
  // GetWindowTextA reads the stored caption of another process's window without sending it
  // a message, so it works even while that window's thread is busy.
  char buffer[512];
  int n = GetWindowTextA(window, buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? n : 0);
}

struct TopSearch {
  const Query* query;
  HWND found;
};

BOOL CALLBACK TopSearchProc(HWND window, LPARAM param) {
  TopSearch* search = reinterpret_cast<TopSearch*>(param);
  if (Matches(window, *search->query)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectProc(HWND window, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  return TRUE;
}

struct ChildSearch {
  const int* id;          // null: any id
  const char* className;  // null: any class
  bool all;               // collect every match instead of the first
  std::vector<HWND> found;
};

BOOL CALLBACK ChildSearchProc(HWND window, LPARAM param) {
  ChildSearch* search = reinterpret_cast<ChildSearch*>(param);
  if (search->id && GetDlgCtrlID(window) != *search->id) {
    return TRUE;
  }
  if (search->className && lstrcmpiA(ClassOf(window).c_str(), search->className) != 0) {
    return TRUE;
  }
  search->found.push_back(window);
  return search->all ? TRUE : FALSE;
}

bool IsComboBox(HWND control) {
  std::string name = ClassOf(control);
  return lstrcmpiA(name.c_str(), "ComboBox") == 0 || lstrcmpiA(name.c_str(), "ComboBoxEx32") == 0;
}

// Tells the owner of a list or combo box about a new selection as a user's choice would.
void NotifySelection(HWND list, bool combo) {
  if (!combo && !(GetWindowLongA(list, GWL_STYLE) & LBS_NOTIFY)) {
    return;
  }
  WORD code = combo ? CBN_SELCHANGE : LBN_SELCHANGE;
  SendTimed(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), code), (LPARAM)list, nullptr);
}

LPARAM KeyParam(WORD virtualKey, bool up) {
  LPARAM param = 1 | ((LPARAM)(MapVirtualKeyA(virtualKey, 0) & 0xFF) << 16);
  if (up) {
    param |= (LPARAM)0xC0000000u;
  }
  return param;
}

}  // namespace

bool Matches(HWND window, const Query& query) {
  if (std::find(query.exclude.begin(), query.exclude.end(), window) != query.exclude.end()) {
    return false;
  }
  if (query.visibleOnly && !IsWindowVisible(window)) {
    return false;
  }
  if (query.threadId || query.processId) {
    DWORD processId = 0;
    DWORD threadId = GetWindowThreadProcessId(window, &processId);
    if ((query.threadId && threadId != query.threadId) ||
        (query.processId && processId != query.processId)) {
      return false;
    }
  }
  if (!query.className.empty() && lstrcmpiA(ClassOf(window).c_str(), query.className.c_str()) != 0) {
    return false;
  }
  return TitleMatches(RawCaption(window), query);
}

HWND FindTopWindow(const Query& query, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    TopSearch search{&query, nullptr};
    if (query.threadId) {
      EnumThreadWindows(query.threadId, TopSearchProc, (LPARAM)&search);
    } else {
      EnumWindows(TopSearchProc, (LPARAM)&search);
    }
    if (search.found) {
      return search.found;
    }
    if (GetTickCount() - start >= timeoutMs) {
      return nullptr;
    }
    Sleep(kPollInterval);
  }
}

std::string DescribeWindows(DWORD threadId, DWORD processId) {
  Query any;
  any.visibleOnly = false;
  any.threadId = threadId;
  any.processId = processId;
  std::vector<HWND> windows;
  if (threadId) {
    EnumThreadWindows(threadId, CollectProc, (LPARAM)&windows);
  } else {
    EnumWindows(CollectProc, (LPARAM)&windows);
  }
  std::string lines;
  for (HWND window : windows) {
    if (!Matches(window, any)) {
      continue;
    }
    char handle[32];
    snprintf(handle, sizeof handle, "%p", (void*)window);
    lines += std::string(handle) + " class=" + ClassOf(window) + " caption=\"" + RawCaption(window) +
             "\"" + (IsWindowVisible(window) ? " visible" : " hidden") + "\n";
  }
  return lines;
}

bool WaitGone(HWND window, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount() - start >= timeoutMs) {
      return false;
    }
    Sleep(kPollInterval);
  }
  return true;
}

HWND FindControl(HWND root, int id, const char* className) {
  ChildSearch search{&id, className, false, {}};
  EnumChildWindows(root, ChildSearchProc, (LPARAM)&search);
  return search.found.empty() ? nullptr : search.found.front();
}

HWND WaitControl(HWND root, int id, const char* className, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND control = FindControl(root, id, className);
    if (control && IsWindowEnabled(control)) {
      return control;
    }
    if (!IsWindow(root) || GetTickCount() - start >= timeoutMs) {
      return nullptr;
    }
    Sleep(kPollInterval);
  }
}

std::vector<HWND> FindControls(HWND root, const char* className) {
  ChildSearch search{nullptr, className, true, {}};
  EnumChildWindows(root, ChildSearchProc, (LPARAM)&search);
  return search.found;
}

std::string ClassOf(HWND window) {
  char name[256];
  int n = GetClassNameA(window, name, sizeof name);
  return std::string(name, n > 0 ? n : 0);
}

std::string GetText(HWND window) {
  if (!window) {
    return std::string();
  }
  LRESULT length = SendValue(window, WM_GETTEXTLENGTH);
  if (length < 0) {
    return std::string();
  }
  std::string text((size_t)length + 1, '\0');
  LRESULT got = SendValue(window, WM_GETTEXT, text.size(), (LPARAM)&text[0]);
  text.resize(got > 0 ? (size_t)got : 0);
  return text;
}

std::string GetText(HWND root, int id, const char* className) {
  return GetText(FindControl(root, id, className));
}

bool SetText(HWND root, int id, const char* text, const char* className) {
  HWND control = FindControl(root, id, className);
  DWORD_PTR result = 0;
  return control && SendTimed(control, WM_SETTEXT, 0, (LPARAM)text, &result) && result;
}

std::string BoxText(HWND box) {
  return GetText(box, kMsgBoxTextId);
}

bool Click(HWND button) {
  if (!button || !IsWindow(button)) {
    return false;
  }
  // A time-out here means the press is being handled and opened another modal loop.
  SendTimed(button, BM_CLICK, 0, 0, nullptr);
  return true;
}

bool Click(HWND root, int id) {
  return Click(FindControl(root, id, "Button"));
}

bool Close(HWND window) {
  return window && PostMessageA(window, WM_CLOSE, 0, 0);
}

std::vector<std::string> ListItems(HWND list) {
  bool combo = IsComboBox(list);
  std::vector<std::string> items;
  LRESULT count = SendValue(list, combo ? CB_GETCOUNT : LB_GETCOUNT);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = SendValue(list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, (WPARAM)i);
    if (length < 0) {
      break;
    }
    std::string text((size_t)length + 1, '\0');
    LRESULT got = SendValue(list, combo ? CB_GETLBTEXT : LB_GETTEXT, (WPARAM)i, (LPARAM)&text[0]);
    text.resize(got > 0 ? (size_t)got : 0);
    items.push_back(text);
  }
  return items;
}

int ListSelection(HWND list) {
  return (int)SendValue(list, IsComboBox(list) ? CB_GETCURSEL : LB_GETCURSEL);
}

bool PickIndex(HWND list, int index) {
  bool combo = IsComboBox(list);
  LRESULT result = SendValue(list, combo ? CB_SETCURSEL : LB_SETCURSEL, (WPARAM)index);
  if (result < 0 || result != index) {
    return false;
  }
  NotifySelection(list, combo);
  return true;
}

bool PickText(HWND list, const char* text) {
  std::vector<std::string> items = ListItems(list);
  for (size_t i = 0; i < items.size(); ++i) {
    if (lstrcmpiA(items[i].c_str(), text) == 0) {
      return PickIndex(list, (int)i);
    }
  }
  return false;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) {
    return nullptr;
  }
  return info.hwndFocus;
}

bool PostKey(HWND window, WORD virtualKey) {
  HWND target = FocusOf(window);
  if (!target) {
    target = window;
  }
  return PostMessageA(target, WM_KEYDOWN, virtualKey, KeyParam(virtualKey, false)) &&
         PostMessageA(target, WM_KEYUP, virtualKey, KeyParam(virtualKey, true));
}

bool SendKey(HWND window, WORD virtualKey, bool ctrl, bool shift) {
  HWND top = GetAncestor(window, GA_ROOT);
  if (!top || !SetForegroundWindow(top)) {
    return false;
  }
  if (ctrl) keybd_event(VK_CONTROL, 0, 0, 0);
  if (shift) keybd_event(VK_SHIFT, 0, 0, 0);
  keybd_event((BYTE)virtualKey, 0, 0, 0);
  keybd_event((BYTE)virtualKey, 0, KEYEVENTF_KEYUP, 0);
  if (shift) keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
  if (ctrl) keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
  return true;
}

AsyncWindowTask::AsyncWindowTask(const Query& query, Action action, DWORD timeoutMs)
    : worker(&AsyncWindowTask::Run, this, query, std::move(action), timeoutMs) {}

AsyncWindowTask::~AsyncWindowTask() {
  Join();
}

void AsyncWindowTask::Join() {
  if (worker.joinable()) {
    worker.join();
  }
}

void AsyncWindowTask::Run(Query query, Action action, DWORD timeoutMs) {
  HWND window = FindTopWindow(query, timeoutMs);
  if (!window) {
    seen = DescribeWindows(query.threadId, query.processId);
    if (query.threadId) {
      DismissDialogs(query.threadId);
    }
    return;
  }
  caption = GetText(window);
  text = BoxText(window);
  found = true;
  action(window);
}

int DismissDialogs(DWORD threadId) {
  std::vector<HWND> windows;
  EnumThreadWindows(threadId, CollectProc, (LPARAM)&windows);
  int dismissed = 0;
  for (HWND window : windows) {
    if (!Matches(window, Query::Dialog())) {
      continue;
    }
    ++dismissed;
    bool pressed = false;
    for (int id : {IDCANCEL, IDNO, IDOK}) {
      HWND button = FindControl(window, id, "Button");
      if (button && IsWindowEnabled(button)) {
        pressed = Click(button);
        break;
      }
    }
    if (!pressed) {
      Close(window);
    }
  }
  return dismissed;
}

AsyncWindowTask::Action PressButton(int id) {
  return [id](HWND window) {
    // A button that never comes must not leave the box (and the test) waiting forever.
    HWND button = WaitControl(window, id, "Button", 5000);
    if (!button || !Click(button)) {
      Close(window);
    }
  };
}

AsyncWindowTask::Action CloseWindow() {
  return [](HWND window) { Close(window); };
}

Process::~Process() {
  Terminate();
}

bool Process::Start(const std::string& commandLine, const char* folder) {
  if (info.hProcess) {
    return false;
  }
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION created{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                      &created)) {
    return false;
  }
  info = created;
  return true;
}

bool Process::Wait(DWORD timeoutMs, DWORD* exitCode) {
  if (!info.hProcess || WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0) {
    return false;
  }
  if (exitCode) {
    GetExitCodeProcess(info.hProcess, exitCode);
  }
  return true;
}

HWND Process::FindTopWindow(Query query, DWORD timeoutMs) const {
  query.processId = info.dwProcessId;
  return windriver::FindTopWindow(query, timeoutMs);
}

std::string Process::AnswerBox(int buttonId, DWORD timeoutMs) const {
  HWND box = FindTopWindow(Query::Dialog(), timeoutMs);
  if (!box) {
    return std::string();
  }
  std::string seen = GetText(box) + "|" + BoxText(box);
  PressButton(buttonId)(box);
  WaitGone(box, 5000);
  return seen;
}

void Process::Terminate() {
  if (!info.hProcess) {
    return;
  }
  if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, 5000);
  }
  CloseHandle(info.hProcess);
  if (info.hThread) {
    CloseHandle(info.hThread);
  }
  info = PROCESS_INFORMATION{};
}

}  // namespace windriver
