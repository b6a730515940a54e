// Help files: the id file, the topics HTML Help is asked to show, and the context help of
// toolkit windows. HTML Help is the recording stand-in registered where the system looks
// for the HTML Help control.
#include "platform/winhelp.h"

#include <gtest/gtest.h>
#include <winioctl.h>

#include <filesystem>
#include <fstream>
#include <cstring>
#include <string>
#include <vector>

#include "support/assertrecorder.h"
#include "support/testfiles.h"
#include "ui/windows.h"
#include "ui/wincontrols.h"
#include "uitest.h"
#include "uitestsupport.h"

namespace fs = std::filesystem;

namespace {

const char* const kHhctrlKey = HELPFILE_HHCTRL_KEY;

// Wine's mount manager defines drive letters with a drive type: the way to have a network
// drive on a machine without a network.
struct UNIXDRIVE {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDev;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};
const DWORD kDefineUnixDrive =
    CTL_CODE(0x6D, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

// Maps the letter to a folder below Z:\ as a network drive (DRIVE_REMOTE); an empty folder
// removes the drive. True when the mount manager took it.
bool DefineNetworkDrive(char letter, const std::string& windowsFolder) {
  std::string unixPath;
  if (!windowsFolder.empty()) {
    unixPath = windowsFolder.substr(2);  // Z: is the Unix root
    for (char& ch : unixPath)
      if (ch == '\\') ch = '/';
  }
  std::vector<char> buffer(sizeof(UNIXDRIVE) + unixPath.size() + 1, 0);
  UNIXDRIVE* drive = (UNIXDRIVE*)buffer.data();
  drive->size = (ULONG)buffer.size();
  drive->type = unixPath.empty() ? DRIVE_NO_ROOT_DIR : DRIVE_REMOTE;
  drive->letter = (WCHAR)letter;
  if (!unixPath.empty()) {
    memcpy(buffer.data() + sizeof(UNIXDRIVE), unixPath.c_str(), unixPath.size() + 1);
    drive->mountPointOffset = sizeof(UNIXDRIVE);
  }
  HANDLE manager =
      CreateFileA("\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) return false;
  DWORD returned = 0;
  BOOL ok = DeviceIoControl(manager, kDefineUnixDrive, buffer.data(), (DWORD)buffer.size(), nullptr,
                            0, &returned, nullptr);
  CloseHandle(manager);
  return ok != FALSE;
}

class Help : public ::testing::Test {
protected:
  void SetUp() override {
    folder = EmptyFolder(CurrentFolder() + "\\help");
    log = folder / "hhcalls.txt";
    SetEnvironmentVariableA("HHRECORDER_LOG", log.string().c_str());
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, kHhctrlKey, &key), ERROR_SUCCESS);
    char value[MAX_PATH] = "";
    LONG size = sizeof value;
    hadValue = RegQueryValueA(key, nullptr, value, &size) == ERROR_SUCCESS;
    saved = value;
    const char recorder[] = ZOLAN_TOOLS_DIR "\\hhrecorder.dll";
    RegSetValueExA(key, nullptr, 0, REG_SZ, (const BYTE*)recorder, sizeof recorder);
    RegCloseKey(key);
  }
  void TearDown() override {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kHhctrlKey, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
      if (hadValue)
        RegSetValueExA(key, nullptr, 0, REG_SZ, (const BYTE*)saved.c_str(),
                       (DWORD)saved.size() + 1);
      else
        RegDeleteValueA(key, nullptr);
      RegCloseKey(key);
    }
  }
  // Writes a file below the test folder; returns its full name.
  std::string Write(const char* name, const std::string& content) {
    WriteFileBytes((folder / name).string(), content);
    return (folder / name).string();
  }
  std::vector<std::string> Calls() {
    std::ifstream in(log.string());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::string Shown(const std::string& chm, int topic) {
    return "HH_DISPLAY_TOPIC 0 " + chm + "::html/topic-" + std::to_string(topic) + ".html";
  }
  std::string LastCall() {
    std::vector<std::string> calls = Calls();
    return calls.empty() ? "" : calls.back();
  }

  uitest::OwnResources resources;
  fs::path folder, log;
  bool hadValue = false;
  std::string saved;
};

TEST_F(Help, OnlyIdsOfTheIdFileAreTopics) {
  std::string chm = Write("setup.chm", "chm");
  Write("setup.ids", "IDH_MAIN=100\n200\n\n");
  Write("setup.cnt", "300\n");  // ignored while the .ids file exists
  {
    HELPFILE help;
    EXPECT_FALSE(help.HasFile());
    EXPECT_EQ(help.GetDefaultTopic(), -1);
    help.SetFilename(chm.c_str(), 1);
    EXPECT_TRUE(help.HasFile());
    EXPECT_EQ(help.GetNumHelpIds(), 2);
    EXPECT_EQ(help.ShowTopic(100), 1);
    EXPECT_EQ(LastCall(), Shown(chm, 100));
    EXPECT_EQ(help.ShowTopic(200), 1);
    EXPECT_EQ(LastCall(), Shown(chm, 200));
    EXPECT_EQ(help.ShowTopic(300), 0);
    EXPECT_EQ(help.ShowTopic(0), 0);  // the blank line is no topic
    EXPECT_EQ(LastCall(), Shown(chm, 200));
    help.SetFilename(nullptr, 0);  // changes nothing
    EXPECT_EQ(help.GetFilename(), chm.c_str());
    EXPECT_EQ(help.ShowTopic(100), 1);
  }
  std::vector<std::string> calls = Calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls.front(), "HH_INITIALIZE 23063");
  EXPECT_EQ(calls.back(), "HH_UNINITIALIZE 23063");  // the cookie goes back at the end
}

TEST_F(Help, TheContentsFileServesWhenThereIsNoIdFile) {
  std::string hlp = Write("app.hlp", "hlp");
  Write("app.cnt", "Topic=41\n");
  HELPFILE help;
  help.SetFilename(hlp.c_str(), 0);
  EXPECT_EQ(help.ShowTopic(41), 1);  // WinHelp (disabled under test) is asked, not waited for
  EXPECT_EQ(help.ShowTopic(42), 0);
  EXPECT_TRUE(Calls().empty());
}

TEST_F(Help, AMissingIdFileIsAnAssertionAndShowsNothing) {
  ASSERTRECORDER asserts;
  std::string chm = Write("lonely.chm", "chm");
  HELPFILE help;
  help.SetFilename(chm.c_str(), 1);
  EXPECT_EQ(asserts.Take(), "fhelpcnt!=NULL");
  // Named after the last id file looked for: ".ids", then ".cnt".
  EXPECT_EQ(asserts.LastInfo(), (folder / "lonely.cnt").string());
  EXPECT_EQ(help.ShowTopic(0), 0);
  EXPECT_EQ(help.ShowTopic(-1), 0);
}

TEST_F(Help, TheIdTableStopsAtTwoHundredFiftySixIds) {
  ASSERTRECORDER asserts;
  std::string ids;
  for (int i = 1; i <= 300; i++) ids += "ID" + std::to_string(i) + "=" + std::to_string(i) + "\n";
  std::string chm = Write("many.chm", "chm");
  Write("many.ids", ids);
  HELPFILE help;
  help.SetFilename(chm.c_str(), 1);
  EXPECT_EQ(asserts.Take(), "this->NumHelpIds<ARRAYMAX(this->HelpIds)");
  EXPECT_EQ(help.GetNumHelpIds(), 256);
  EXPECT_EQ(help.ShowTopic(256), 1);
  EXPECT_EQ(help.ShowTopic(257), 0);
}

TEST_F(Help, ContextHelpWalksUpTheParentChain) {
  std::string chm = Write("ctx.chm", "chm");
  Write("ctx.ids", "260\n");
  HELPFILE help;
  help.SetFilename(chm.c_str(), 1);
  DIALOG dialog(IDD_UITEST_RULES, nullptr, nullptr);
  DIALOG panel(IDD_UITEST_PANEL, dialog.Hwnd(), nullptr);
  SetWindowLongPtrA(panel.Hwnd(), GWLP_ID, IDC_RULES_PANEL);
  CONTROL inner("Button", BS_PUSHBUTTON, "in", 0, 0, 10, 10, panel.Hwnd(), 55, 0);
  EXPECT_EQ(help.ShowContextHelp(inner.Hwnd()), 1);
  EXPECT_EQ(LastCall(), Shown(chm, IDC_RULES_PANEL));
  EXPECT_EQ(help.ShowContextHelp(GetDlgItem(dialog.Hwnd(), IDC_RULES_APPLY)), 0);
}

// The help request of a toolkit window: the focus's context, the window's own id, the
// window's context, then the default topic.
TEST_F(Help, TheHelpButtonShowsTheMostSpecificTopic) {
  std::string chm = Write("order.chm", "chm");
  struct CASE {
    const char* what;
    const char* ids;
    int focus;
    int shown;  // 0: nothing
  } cases[] = {
      {"focused control", "7301\n7300\n500\n", IDC_PLAIN_EDIT1, IDC_PLAIN_EDIT1},
      {"the dialog's own id", "7300\n500\n", IDC_PLAIN_EDIT2, IDD_UITEST_PLAIN},
      {"default topic", "500\n", IDC_PLAIN_EDIT1, 500},
      {"nothing", "42\n", IDC_PLAIN_EDIT1, 0},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.what);
    Write("order.ids", c.ids);
    gHelpFile.SetFilename(chm.c_str(), 1);
    gHelpFile.SetDefaultTopic(strcmp(c.what, "nothing") == 0 ? -1 : 500);
    fs::remove(log);
    DIALOG dialog(IDD_UITEST_PLAIN, nullptr, nullptr);
    dialog.Show(1);
    SetFocus(GetDlgItem(dialog.Hwnd(), c.focus));
    // What the Help button tells its dialog when clicked.
    SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_PLAIN_HELP, BN_CLICKED),
                 (LPARAM)GetDlgItem(dialog.Hwnd(), IDC_PLAIN_HELP));
    EXPECT_EQ(LastCall(), c.shown ? Shown(chm, c.shown) : "");
  }
}

// A help file on a network drive is shown from a copy in TEMP, made afresh at each
// SetFilename.
TEST_F(Help, AFileOnANetworkDriveIsShownFromACopyInTemp) {
  fs::path share = folder / "share";
  fs::create_directories(share);
  WriteFileBytes((share / "net.chm").string(), "first");
  WriteFileBytes((share / "net.ids").string(), "100\n");
  ASSERT_TRUE(DefineNetworkDrive('n', share.string()));
  ASSERT_EQ(GetDriveTypeA("N:\\"), (UINT)DRIVE_REMOTE);
  char temp[MAX_PATH];
  GetEnvironmentVariableA("TEMP", temp, sizeof temp);
  std::string copy = std::string(temp) + "\\net.chm";
  DeleteFileA(copy.c_str());

  HELPFILE help;
  help.SetFilename("N:\\net.chm", 1);
  EXPECT_STRCASEEQ(help.GetFilename().c_str(), copy.c_str());
  EXPECT_EQ(help.ShowTopic(100), 1);
  EXPECT_EQ(LastCall(), Shown(copy, 100));
  WriteFileBytes((share / "net.chm").string(), "second");
  help.SetFilename("N:\\net.chm", 1);
  EXPECT_EQ(ReadFileBytes(copy), "second");
  DefineNetworkDrive('n', "");

  // A file on a local drive is used where it is.
  std::string chm = Write("local.chm", "chm");
  Write("local.ids", "100\n");
  help.SetFilename(chm.c_str(), 1);
  EXPECT_EQ(help.GetFilename(), chm.c_str());
}

}  // namespace
