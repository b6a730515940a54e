// Message boxes, folder browser, save dialog and program start, shown for real under Wine and
// answered by the window driver from a helper thread as a user would.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/approot.h"
#include "foundation/zolan.h"
#include "ids/winmisc.h"
#include "support/assertrecorder.h"
#include "support/languagelibrary.h"
#include "support/testfiles.h"
#include "support/windriver.h"
#include "ui/winmisc.h"

namespace fs = std::filesystem;
using windriver::AsyncWindowTask;
using windriver::Query;

namespace {

// Ids of the common save dialog's controls: file name, file types.
constexpr int kSaveNameId = 0x47c;
constexpr int kSaveTypesId = 0x470;

const char* const kRecorder = ZOLAN_TOOLS_DIR "\\progrecorder.exe";

// A box or dialog of this thread, answered by the driver from its own thread.
Query OwnDialog() {
  return Query::Dialog().Thread(GetCurrentThreadId());
}

// ---------------------------------------------------------------------------------------------
// Message boxes

// Id of the icon in the system's message box.
constexpr int kMsgBoxIconId = 0x440;

struct BoxCase {
  const char* kind;
  int press;
  int expected;           // result of YesNoMsgBox; unused for the others
  std::vector<int> buttons;  // buttons the box must offer
  LPCSTR icon;               // the system icon it shows
};

class MsgBoxes : public ::testing::TestWithParam<BoxCase> {};

TEST_P(MsgBoxes, ShowTitleTextAndButtonsAndReportTheAnswer) {
  const BoxCase& c = GetParam();
  std::vector<int> offered;
  HICON icon = nullptr;
  AsyncWindowTask box(OwnDialog(), [&](HWND window) {
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
      if (windriver::FindControl(window, id, "Button")) offered.push_back(id);
    }
    icon = (HICON)SendMessageA(windriver::FindControl(window, kMsgBoxIconId), STM_GETICON, 0, 0);
    windriver::PressButton(c.press)(window);
  });
  std::string kind = c.kind;
  int result = -2;
  if (kind == "info") {
    WINZOLAN::InfoMsgBox(nullptr, "Info title", "Some news");
  } else if (kind == "error") {
    WINZOLAN::ErrorMsgBox(nullptr, "Error title", "Some news");
  } else {
    result = WINZOLAN::YesNoMsgBox(nullptr, "Question title", "Some news");
  }
  box.Join();
  ASSERT_TRUE(box.Found()) << box.Seen();
  EXPECT_EQ(box.Caption(), kind == "info" ? "Info title" : kind == "error" ? "Error title" : "Question title");
  EXPECT_EQ(box.Text(), "Some news");
  EXPECT_EQ(offered, c.buttons);
  EXPECT_EQ(icon, LoadIconA(nullptr, c.icon));  // system icons are shared: same handle
  if (kind == "yesno") {
    EXPECT_EQ(result, c.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, MsgBoxes, ::testing::Values(
    BoxCase{"info", IDOK, 0, {IDOK}, IDI_INFORMATION},
    BoxCase{"error", IDOK, 0, {IDOK}, IDI_ERROR},
    BoxCase{"yesno", IDYES, 1, {IDYES, IDNO}, IDI_QUESTION},
    BoxCase{"yesno", IDNO, 0, {IDYES, IDNO}, IDI_QUESTION}));

TEST(MsgBoxNullTitle, ShowsTheLibraryCaptionAndLogsTheNullTitle) {
  struct { const char* library; int languageId; const char* caption; bool question; const char* logged; } cases[] = {
    {"setupenglish.dll", 9, "Zolan Setup", false, "WINZOLAN::InfoMsgBox title=(null) text=Proceed?\r\n"},
    {"setupgerman.dll", 7, "Zolan Installation", true, "WINZOLAN::YesNoMsgBox title=(null) text=Proceed?\r\n"},
  };
  fs::path folder = SCRATCH("winmisc\\nulltitle").Dir();
  std::string logFile = (folder / "log.txt").string();
  for (const auto& c : cases) {
    LanguageLibrary library(c.library, c.languageId);
    ASSERT_TRUE(library.Loaded()) << c.library;
    LOGCAPTURE log(logFile);
    AsyncWindowTask box(OwnDialog(), windriver::PressButton(c.question ? IDYES : IDOK));
    if (c.question) {
      EXPECT_EQ(WINZOLAN::YesNoMsgBox(nullptr, nullptr, "Proceed?"), 1);
    } else {
      WINZOLAN::InfoMsgBox(nullptr, nullptr, "Proceed?");
    }
    box.Join();
    EXPECT_EQ(box.Caption(), c.caption);
    EXPECT_NE(log.Text().find(c.logged), std::string::npos) << c.logged;
  }
}

TEST(MsgBoxNullTitle, CaptionExistsInEveryLanguage) {
  // Read as UTF-16 so that the library's code page (1250 for Hungarian) is checked as well.
  struct { const char* library; const wchar_t* caption; } cases[] = {
    {"setupenglish.dll", L"Zolan Setup"},
    {"setupgerman.dll", L"Zolan Installation"},
    {"setupfrench.dll", L"Installation de Zolan"},
    {"setuphungarian.dll", L"Zolan telep\u00edt\u0151"},
  };
  for (const auto& c : cases) {
    HMODULE module = LoadLibraryExA((std::string(ZOLAN_DIST_DIR "\\") + c.library).c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << c.library;
    wchar_t text[256] = L"";
    LoadStringW(module, IDS_MSGBOX_TITLE, text, 256);
    EXPECT_EQ(std::wstring(text), c.caption) << c.library;
    FreeLibrary(module);
  }
}

// ---------------------------------------------------------------------------------------------
// Folder browser

TEST(BrowseForFolder, ReturnsTheStartingFolderOrNullOnCancel) {
  // Folders that were there before the dialog: Wine's tree does not find every folder below
  // the user profile or on the mapped root drive, and a folder made just before the dialog
  // opens can reach it as a change notice that resets the selection.
  std::string start = "C:\\windows\\system32";
  struct { std::string start; int press; const char* expected; } cases[] = {
    {start, IDOK, start.c_str()},
    {"C:\\windows\\", IDOK, "C:\\windows"},
    {"C:\\", IDOK, "C:"},
    {start, IDCANCEL, nullptr},
  };
  for (const auto& c : cases) {
    std::vector<std::string> statics;
    AsyncWindowTask dialog(OwnDialog(), [&](HWND window) {
      for (HWND s : windriver::FindControls(window, "Static")) statics.push_back(windriver::GetText(s));
      windriver::PressButton(c.press)(window);
    });
    STRING chosen = WINDOWS::BrowseForFolder(nullptr, "Pick the target", c.start.c_str());
    dialog.Join();
    ASSERT_TRUE(dialog.Found()) << c.start << "\n" << dialog.Seen();
    EXPECT_NE(std::find(statics.begin(), statics.end(), "Pick the target"), statics.end());
    if (c.expected) {
      ASSERT_TRUE(chosen.NotNull()) << c.start;
      EXPECT_STRCASEEQ(chosen.c_str(), c.expected);
    } else {
      EXPECT_FALSE(chosen.NotNull());
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Save dialog: the file types from the compact filter text

std::vector<std::string> TypeList(const WINZOLAN::SAVEFILETYPES& types) {
  std::vector<std::string> list;
  for (const char* p = types.Types; *p; p += strlen(p) + 1) list.push_back(p);
  return list;
}

TEST(SaveFileTypes, BuildsFiltersAndDefaultExtension) {
  struct {
    const char* filter;
    int languageId;
    std::vector<std::string> types;
    const char* defExt;
  } cases[] = {
    {nullptr, 9, {"All Files (*.*)", "*.*"}, ""},
    {nullptr, 7, {"Alle Dateien (*.*)", "*.*"}, ""},
    {"", 9, {"All Files (*.*)", "*.*"}, ""},
    {".txt\nText files|*.txt", 9, {"Text files (*.txt)", "*.txt", "All Files (*.*)", "*.*"}, "txt"},
    {".txt", 7, {"Alle Dateien (*.*)", "*.*"}, "txt"},
    {"Text|*.txt\n\n", 9, {"Text (*.txt)", "*.txt", "All Files (*.*)", "*.*"}, ""},
    {"Docs|*.doc\nEverything|*.*", 9, {"Docs (*.doc)", "*.doc", "Everything (*.*)", "*.*"}, ""},
    {"Text|*.txt\n.log\nNo pattern\n|*.x", 9, {"Text (*.txt)", "*.txt", "All Files (*.*)", "*.*"}, ""},
  };
  for (const auto& c : cases) {
    WINZOLAN::SAVEFILETYPES types;
    WINZOLAN::BuildSaveFileTypes(c.filter, c.languageId, &types);
    EXPECT_EQ(TypeList(types), c.types) << (c.filter ? c.filter : "(null)");
    EXPECT_STREQ(types.DefExt, c.defExt) << (c.filter ? c.filter : "(null)");
  }
}

TEST(SaveFileTypes, LongTextsStayInsideTheBuffers) {
  std::string ext(300, 'e');
  std::string filter = "." + ext;
  for (int i = 0; i < 100; ++i) filter += "\nType number " + std::to_string(i) + "|*.t" + std::to_string(i);
  std::vector<std::string> raised;
  WINZOLAN::SAVEFILETYPES types;
  {
    ASSERTRECORDER asserts;
    WINZOLAN::BuildSaveFileTypes(filter.c_str(), 9, &types);
    for (const ASSERTRECORDER::ENTRY& e : asserts.All()) raised.push_back(e.condition);
  }

  EXPECT_EQ(std::string(types.DefExt), ext.substr(0, 127));
  EXPECT_EQ(raised, std::vector<std::string>{"_tcslen(filetypes)<2048"});
  std::vector<std::string> list = TypeList(types);
  ASSERT_GE(list.size(), 2u);
  EXPECT_EQ(list[0], "Type number 0 (*.t0)");
  EXPECT_EQ(list.size() % 2, 0u);  // only whole entries
  size_t used = 0;
  for (const std::string& s : list) used += s.size() + 1;
  EXPECT_LT(used, sizeof types.Types);
}

TEST(SaveFileDialog, SplitsTheProposedPath) {
  fs::path folder = SCRATCH("winmisc\\split").Dir();
  std::string existing = folder.string();
  struct { const char* proposed; std::string folder; const char* name; } cases[] = {
    {".\\order.txt", ".", "order.txt"},
    {"order.txt", ".", "order.txt"},
    {"C:\\missing\\dir\\x.txt", "C:\\missing\\dir", "x.txt"},
    {existing.c_str(), existing, ""},
    {nullptr, ".", ""},
  };
  for (const auto& c : cases) {
    STRING folderPart, namePart;
    WINZOLAN::SplitProposedPath(c.proposed, &folderPart, &namePart);
    EXPECT_STREQ(folderPart.c_str(), c.folder.c_str()) << (c.proposed ? c.proposed : "(null)");
    EXPECT_STREQ(namePart.c_str(), c.name) << (c.proposed ? c.proposed : "(null)");
  }
}

// ---------------------------------------------------------------------------------------------
// Save dialog, shown

struct SaveSeen {
  std::string name;
  std::vector<std::string> types;
};

// Runs the dialog with the driver reading its file name and types, typing a name (when
// given) and pressing the button.
const char* RunSaveDialog(const char* proposed, const char* filter, const char* typed, int press,
                          SaveSeen* seen) {
  AsyncWindowTask dialog(OwnDialog().Title("Save the order", true), [&](HWND window) {
    seen->name = windriver::GetText(window, kSaveNameId, "Edit");
    seen->types = windriver::ListItems(windriver::FindControl(window, kSaveTypesId));
    if (typed) windriver::SetText(window, kSaveNameId, typed, "Edit");
    windriver::PressButton(press)(window);
  });
  const char* result = WINZOLAN::SaveFileDialog(nullptr, "Save the order", proposed, filter);
  dialog.Join();
  EXPECT_TRUE(dialog.Found()) << dialog.Seen();
  return result;
}

TEST(SaveFileDialog, OffersTheFiltersAndReturnsTheChosenPath) {
  fs::path folder = SCRATCH("winmisc\\save").Dir();
  std::string cwd = fs::current_path().string();
  std::string target = folder.string();
  struct {
    const char* proposed;
    const char* filter;
    int languageId;
    const char* typed;
    const char* name;
    std::vector<std::string> types;
    std::string expected;
  } cases[] = {
    {".\\order.txt", nullptr, 9, nullptr, "order.txt", {"All Files (*.*)"}, cwd + "\\order.txt"},
    {".\\order.txt", nullptr, 7, nullptr, "order.txt", {"Alle Dateien (*.*)"}, cwd + "\\order.txt"},
    {target.c_str(), ".txt\nText files|*.txt", 9, "notes", "", {"Text files (*.txt)", "All Files (*.*)"},
     target + "\\notes.txt"},
    {target.c_str(), nullptr, 9, "plain.", "", {"All Files (*.*)"}, target + "\\plain"},
  };
  for (const auto& c : cases) {
    LanguageLibrary language("setupenglish.dll", c.languageId);
    SaveSeen seen;
    const char* result = RunSaveDialog(c.proposed, c.filter, c.typed, IDOK, &seen);
    EXPECT_EQ(seen.name, c.name);
    EXPECT_EQ(seen.types, c.types);
    ASSERT_NE(result, nullptr) << c.expected;
    EXPECT_STRCASEEQ(result, c.expected.c_str());
  }
  EXPECT_EQ(fs::current_path().string(), cwd);  // the dialog leaves the working folder alone
}

TEST(SaveFileDialog, CancelGivesNull) {
  SaveSeen seen;
  EXPECT_EQ(RunSaveDialog(".\\order.txt", nullptr, nullptr, IDCANCEL, &seen), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Program start, against the recorder program

class StartProgram : public ::testing::Test {
protected:
  void SetUp() override {
    folder = SCRATCH("winmisc\\start").Dir();
    record = folder / "record.txt";
    SetEnvironmentVariableA("PROGRECORDER_OUT", record.string().c_str());
  }
  void TearDown() override { SetEnvironmentVariableA("PROGRECORDER_OUT", nullptr); }

  // What the recorder wrote (key -> value); empty when it did not run.
  std::map<std::string, std::string> Recorded() {
    std::map<std::string, std::string> values;
    std::istringstream lines(ReadFileBytes(record.string()));
    for (std::string line; std::getline(lines, line);) {
      size_t eq = line.find('=');
      if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
  }
  bool WaitForRecord(DWORD ms) {
    for (DWORD waited = 0; waited < ms; waited += 20) {
      if (fs::exists(record)) return true;
      Sleep(20);
    }
    return fs::exists(record);
  }

  fs::path folder;
  fs::path record;
};

TEST_F(StartProgram, QuotesTheProgramOnlyWhenParametersFollow) {
  fs::path spaced = folder / "prog dir" / "prog rec.exe";
  fs::create_directories(spaced.parent_path());
  fs::copy_file(kRecorder, spaced);
  std::string recorder = kRecorder;
  std::string quoted = "\"" + recorder + "\"";
  struct { std::string program; const char* parameters; std::string commandLine; } cases[] = {
    {recorder, "/x", quoted + " /x"},
    {quoted, "/x \"a b\"", quoted + " /x \"a b\""},
    {recorder, "", recorder},
    {recorder, nullptr, recorder},
    {spaced.string(), nullptr, spaced.string()},
  };
  for (const auto& c : cases) {
    fs::remove(record);
    EXPECT_NE(WINZOLAN::StartProgram(c.program.c_str(), c.parameters, nullptr, nullptr, true, nullptr), 0)
        << c.program << " error " << GetLastError();
    std::string got = Recorded()["cmdline"];
    // Wine hands a program found at an unquoted path with blanks its name in quotes; Windows
    // passes the line on as it is. Either way nothing was added or cut.
    if (got != c.commandLine && c.commandLine.find(' ') != std::string::npos && c.commandLine[0] != '"') {
      EXPECT_EQ(got, "\"" + c.commandLine + "\"");
    } else {
      EXPECT_EQ(got, c.commandLine);
    }
  }
}

TEST_F(StartProgram, PassesFolderTitleAndHiddenStart) {
  std::string work = (folder / "work").string();
  fs::create_directories(work);
  std::string hidden = std::string("*") + kRecorder;
  struct { const char* program; const char* folder; const char* title; std::string cwd; const char* flags; const char* show; } cases[] = {
    {kRecorder, work.c_str(), "Zolan Service-Control", work, "0", nullptr},
    {hidden.c_str(), nullptr, "Hidden one", fs::current_path().string(), "1", "0"},
  };
  for (const auto& c : cases) {
    fs::remove(record);
    ASSERT_NE(WINZOLAN::StartProgram(c.program, "/x", c.folder, c.title, true, nullptr), 0);
    std::map<std::string, std::string> got = Recorded();
    EXPECT_EQ(got["cmdline"], std::string("\"") + kRecorder + "\" /x");
    EXPECT_STRCASEEQ(got["cwd"].c_str(), c.cwd.c_str());
    EXPECT_EQ(got["title"], c.title);
    EXPECT_EQ(got["flags"], c.flags);
    if (c.show) {
      EXPECT_EQ(got["show"], c.show);
    }
  }
}

TEST_F(StartProgram, WaitsForTheEndOnlyWhenAsked) {
  DWORD start = GetTickCount();
  ASSERT_NE(WINZOLAN::StartProgram(kRecorder, "/sleep=800", nullptr, true), 0);
  EXPECT_GE(GetTickCount() - start, 700u);
  EXPECT_TRUE(fs::exists(record));

  fs::remove(record);
  start = GetTickCount();
  ASSERT_NE(WINZOLAN::StartProgram(kRecorder, "/sleep=800", nullptr, false), 0);
  EXPECT_LT(GetTickCount() - start, 700u);
  EXPECT_FALSE(fs::exists(record));
  EXPECT_TRUE(WaitForRecord(10000));  // it still runs to its end
}

TEST_F(StartProgram, HandsTheProcessToTheCaller) {
  PROCESS_INFORMATION info{};
  ASSERT_NE(WINZOLAN::StartProgram(kRecorder, "/exit=5", nullptr, nullptr, false, &info), 0);
  ASSERT_NE(info.hProcess, nullptr);
  ASSERT_NE(info.hThread, nullptr);
  EXPECT_EQ(GetProcessId(info.hProcess), info.dwProcessId);
  EXPECT_EQ(GetThreadId(info.hThread), info.dwThreadId);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 5u);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
}

TEST_F(StartProgram, ExitCodeOrMinusOne) {
  std::string missing = (folder / "missing.exe").string();
  std::string longParameters(1100, 'p');
  struct { const char* program; const char* parameters; int expected; bool runs; } cases[] = {
    {kRecorder, "/exit=7", 7, true},
    {kRecorder, "/exit=0", 0, true},
    {kRecorder, "/exit=300", 300, true},
    {missing.c_str(), "/exit=7", -1, false},
    {missing.c_str(), nullptr, -1, false},
    // A command line longer than its buffer is refused instead of run cut short.
    {kRecorder, longParameters.c_str(), -1, false},
  };
  for (const auto& c : cases) {
    fs::remove(record);
    EXPECT_EQ(WINZOLAN::StartProgramExitCode(c.program, c.parameters, nullptr, "title"), c.expected)
        << c.program << " " << (c.parameters ? c.parameters : "(null)");
    EXPECT_EQ(fs::exists(record), c.runs) << c.program;
  }
  EXPECT_EQ(WINZOLAN::StartProgram(missing.c_str(), nullptr, nullptr, false), 0);
}

}  // namespace
