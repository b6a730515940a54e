#include "platform/osys.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/semaphores.h"
#include "platformtest.h"

namespace {

const char* const kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
const char* const kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct FOLDERCASE {
  int index;
  HKEY hive;
  const char* key;
  const char* value;
};

const FOLDERCASE kFolders[] = {
    {0, HKEY_CURRENT_USER, kShellFolders, "Programs"},
    {1, HKEY_CURRENT_USER, kShellFolders, "Startup"},
    {2, HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir"},
    {5, HKEY_CURRENT_USER, kShellFolders, "AppData"},
    {6, HKEY_CURRENT_USER, kShellFolders, "Personal"},
    {7, HKEY_CURRENT_USER, kShellFolders, "My Pictures"},
    {8, HKEY_CURRENT_USER, kShellFolders, "Desktop"},
    {9, HKEY_CURRENT_USER, kShellFolders, "SendTo"},
    {10, HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs"},
    {11, HKEY_LOCAL_MACHINE, kShellFolders, "Common Startup"},
    {12, HKEY_LOCAL_MACHINE, kShellFolders, "Common Documents"},
    {13, HKEY_LOCAL_MACHINE, kShellFolders, "Common AppData"},
};

// Each test writes its own folder values and puts the prefix's values back afterwards.
class SystemPath : public ::testing::Test {
protected:
  void SetUp() override {
    for (const FOLDERCASE& f : kFolders) saved.push_back(ReadValue(f.hive, f.key, f.value));
  }
  void TearDown() override {
    for (size_t i = 0; i < saved.size(); i++) {
      const FOLDERCASE& f = kFolders[i];
      if (saved[i].found)
        WriteValue(f.hive, f.key, f.value, saved[i].type, saved[i].data);
      else
        RegDeleteKeyValueA(f.hive, f.key, f.value);
    }
  }
  std::vector<REGVALUE> saved;
};

TEST_F(SystemPath, EachIndexReadsItsOwnValue) {
  ASSERTRECORDER asserts;
  for (const FOLDERCASE& f : kFolders) {
    std::string folder = "C:\\ZolanTest\\" + std::to_string(f.index);
    WriteValue(f.hive, f.key, f.value, REG_SZ, folder + std::string(1, '\0'));
  }
  for (const FOLDERCASE& f : kFolders)
    EXPECT_EQ("C:\\ZolanTest\\" + std::to_string(f.index) + "\\", Text(GetWin32SystemPath(f.index)))
        << f.value;
  EXPECT_EQ("", asserts.Take());
}

TEST_F(SystemPath, ExpandsVariablesAndKeepsOneTrailingBackslash) {
  SetEnvironmentVariableA("ZOLANTESTROOT", "D:\\Root");
  WriteValue(HKEY_CURRENT_USER, kShellFolders, "AppData", REG_EXPAND_SZ, "%ZOLANTESTROOT%\\Roaming");
  WriteValue(HKEY_CURRENT_USER, kShellFolders, "Personal", REG_SZ, "D:\\Docs\\");
  EXPECT_EQ("D:\\Root\\Roaming\\", Text(GetWin32SystemPath(SYSPATH_APPDATA)));
  EXPECT_EQ("D:\\Docs\\", Text(GetWin32SystemPath(SYSPATH_PERSONAL)));
}

TEST_F(SystemPath, FreshPrefixHasTheProgramFilesFolder) {
  EXPECT_EQ("C:\\Program Files\\", Text(GetWin32SystemPath(SYSPATH_PROGRAMFILES)));
}

TEST_F(SystemPath, InvalidIndexAndMissingValueGiveNull) {
  ASSERTRECORDER asserts;
  for (int index : {3, 4, -1, 14}) {
    EXPECT_EQ("(null)", Text(GetWin32SystemPath(index))) << index;
    EXPECT_EQ("FALSE", asserts.Take()) << index;
  }
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kShellFolders, "My Pictures");
  EXPECT_EQ("(null)", Text(GetWin32SystemPath(SYSPATH_MYPICTURES)));
  EXPECT_EQ("rc==ERROR_SUCCESS", asserts.Take());
  EXPECT_EQ("GetWin32SystemPath 7", asserts.LastInfo());
}

class Autostart : public ::testing::Test {
protected:
  void SetUp() override { RegDeleteKeyValueA(HKEY_CURRENT_USER, kRun, "ZolanTest"); }
  void TearDown() override { RegDeleteKeyValueA(HKEY_CURRENT_USER, kRun, "ZolanTest"); }
};

TEST_F(Autostart, SelfMeansTheQuotedProgramPath) {
  std::string self = ModulePath();
  std::string upper = self;
  for (char& c : upper) c = (char)toupper((unsigned char)c);
  const char* commands[] = {"<self>", "<SELF>", "<ownfile>", AUTOSTART_SELF, upper.c_str()};
  for (const char* command : commands) {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kRun, "ZolanTest");
    EXPECT_EQ(1, OSYS::SetAutostart("ZolanTest", command));
    REGVALUE v = ReadValue(HKEY_CURRENT_USER, kRun, "ZolanTest");
    EXPECT_EQ((DWORD)REG_SZ, v.type);
    // Stored with its terminating zero.
    EXPECT_EQ("\"" + self + "\"" + std::string(1, '\0'), v.data);
  }
}

TEST_F(Autostart, OtherCommandsStayAsTheyAreAndNullRemoves) {
  EXPECT_EQ(1, OSYS::SetAutostart("ZolanTest", "C:\\x.exe -remove \"a b\""));
  EXPECT_EQ(std::string("C:\\x.exe -remove \"a b\"") + '\0', ReadValue(HKEY_CURRENT_USER, kRun, "ZolanTest").data);
  EXPECT_EQ(1, OSYS::SetAutostart("ZolanTest", "other"));
  EXPECT_EQ(std::string("other\0", 6), ReadValue(HKEY_CURRENT_USER, kRun, "ZolanTest").data);
  EXPECT_EQ(1, OSYS::SetAutostart("ZolanTest", nullptr));
  EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kRun, "ZolanTest").found);
  EXPECT_EQ(0, OSYS::SetAutostart("ZolanTest", nullptr));
}

// --- Threads ---

struct THREADDATA {
  EVENTSEM* go;
  DWORD tid;
  int done;
};

unsigned __stdcall Worker(void* argument) {
  THREADDATA* data = (THREADDATA*)argument;
  data->go->Wait(INFINITE);
  data->tid = OSYS::ThreadId();
  data->done = 1;
  return 0;
}

TEST(Threads, WaitClosesTheHandleOnlyWhenTheThreadEnded) {
  EVENTSEM go(0);
  THREADDATA data = {&go, 0, 0};
  HANDLE thread = OSYS::CreateThread(Worker, &data);
  ASSERT_NE(nullptr, thread);
  EXPECT_EQ(0, OSYS::WaitThread(thread, 50));
  DWORD flags;
  EXPECT_TRUE(GetHandleInformation(thread, &flags));
  go.Set();
  EXPECT_EQ(1, OSYS::WaitThread(thread));
  EXPECT_FALSE(GetHandleInformation(thread, &flags));
  EXPECT_EQ(1, data.done);
  EXPECT_NE(0u, data.tid);
  EXPECT_NE(OSYS::ThreadId(), data.tid);
}

TEST(Threads, WaitingForNoThreadIsAnError) {
  ASSERTRECORDER asserts;
  EXPECT_EQ(0, OSYS::WaitThread(nullptr, 10));
  EXPECT_EQ("hThread!=NULL", asserts.Take());
}

TEST(Clock, TimeDateAndUser) {
  long long before = (long long)time(nullptr);
  long long now = OSYS::Time();
  EXPECT_LE(before, now);
  EXPECT_LE(now, (long long)time(nullptr));

  SYSTEMTIME local;
  GetLocalTime(&local);
  char date[16];
  snprintf(date, sizeof date, "%04d-%02d-%02d", local.wYear, local.wMonth, local.wDay);
  EXPECT_EQ(date, Text(OSYS::DateString()));

  char user[256];
  ASSERT_NE(0u, GetEnvironmentVariableA("USERNAME", user, sizeof user));
  EXPECT_EQ(user, Text(OSYS::GetUserName()));
}

}  // namespace
