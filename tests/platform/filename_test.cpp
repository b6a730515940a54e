#include "platform/osysfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <winioctl.h>
#include <string>
#include <vector>

#include "platform/osys.h"
#include "platformtest.h"

namespace {

// A drive letter that Wine's mount manager maps to a Unix folder as a network drive, the way
// winecfg defines drives (Wine's own control code and request layout); removed again on
// destruction.
class NETWORKDRIVE {
public:
  NETWORKDRIVE(char letter, const std::string& unixFolder) : letter(letter) {
    ok = Define(DRIVE_REMOTE, unixFolder.c_str());
  }
  ~NETWORKDRIVE() {
    if (ok) Define(DRIVE_NO_ROOT_DIR, nullptr);
  }
  NETWORKDRIVE(const NETWORKDRIVE&) = delete;
  NETWORKDRIVE& operator=(const NETWORKDRIVE&) = delete;
  bool Ok() const { return ok; }

private:
  struct REQUEST {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
  };
  bool Define(ULONG type, const char* mountPoint) {
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    std::vector<char> buffer(sizeof(REQUEST) + (mountPoint ? strlen(mountPoint) + 1 : 0));
    REQUEST* request = (REQUEST*)buffer.data();
    request->size = (ULONG)buffer.size();
    request->type = type;
    request->letter = (WCHAR)tolower(letter);
    if (mountPoint) {
      request->mountPointOffset = sizeof(REQUEST);
      strcpy(buffer.data() + sizeof(REQUEST), mountPoint);
    }
    DWORD returned;
    const DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
    BOOL done = DeviceIoControl(manager, kDefineUnixDrive, buffer.data(), (DWORD)buffer.size(), nullptr, 0,
                                &returned, nullptr);
    CloseHandle(manager);
    return done != FALSE;
  }
  char letter;
  bool ok;
};

std::string Folder(int index) {
  STRING path = GetWin32SystemPath(index);
  std::string text = Text(path);
  if (!text.empty() && text.back() == '\\') text.pop_back();
  return text;
}

TEST(FileName, NormalisesSeparators) {
  struct CASE {
    const char* name;
    const char* full;
  } cases[] = {
      {"D:/Data/x.txt/", "D:\\Data\\x.txt"},
      {"D:\\", "D:"},
      {"a/b\\\\", "a\\b"},
      {"plain", "plain"},
      {"", ""},
      {"Demo\\%APPDATA%", "Demo\\%APPDATA%"},
      {"Demo/%appdata%/", "Demo\\%appdata%"},
  };
  for (const CASE& c : cases) EXPECT_EQ(c.full, Text(FILENAME(c.name).FullName)) << c.name;
  EXPECT_EQ("(null)", Text(FILENAME(nullptr).FullName));
}

TEST(FileName, PseudoNames) {
  EXPECT_EQ(ModulePath(), Text(FILENAME("<SELF>").FullName));
  EXPECT_EQ(ModulePath(), Text(FILENAME("<self>").FullName));

  std::string temp = getenv("TEMP");
  if (!temp.empty() && temp.back() == '\\') temp.pop_back();
  FILENAME first("<temp>");
  FILENAME second("<TMP>");
  EXPECT_EQ(temp, Text(first.GetPath()));
  EXPECT_EQ(temp, Text(second.GetPath()));
  EXPECT_NE(Text(first.FullName), Text(second.FullName));
  EXPECT_FALSE(first.Exists());
  EXPECT_FALSE(second.Exists());
}

TEST(FileName, TemporaryNameNeedsTemp) {
  ASSERTRECORDER asserts;
  char saved[MAX_PATH];
  GetEnvironmentVariableA("TEMP", saved, sizeof saved);
  _putenv("TEMP=");
  FILENAME name("<tmp>");
  _putenv_s("TEMP", saved);
  EXPECT_EQ("(null)", Text(name.FullName));
  EXPECT_EQ("fname", asserts.Take());
}

TEST(FileName, PlaceholdersExpandOnlyAtTheStart) {
  std::string appdata = Folder(SYSPATH_APPDATA);
  std::string personal = Folder(SYSPATH_PERSONAL);
  ASSERT_FALSE(appdata.empty());
  ASSERT_FALSE(personal.empty());
  char user[256];
  GetEnvironmentVariableA("USERNAME", user, sizeof user);
  struct CASE {
    const char* name;
    std::string full;
  } cases[] = {
      {"%APPDATA%\\Demo", appdata + "\\Demo"},
      {"%appdata%/Demo/", appdata + "\\Demo"},
      {"%USERPROFILE%", personal},
      {"%UserProfile%\\a\\b", personal + "\\a\\b"},
      {"%USERPICTURES%\\p", Folder(SYSPATH_MYPICTURES) + "\\p"},
      {"%USERDESKTOP%\\d", Folder(SYSPATH_DESKTOP) + "\\d"},
      {"%ALLUSERPROFILE%\\s", Folder(SYSPATH_COMMONDOCUMENTS) + "\\s"},
      {"%ALLUSERAPPDATA%\\s", Folder(SYSPATH_COMMONAPPDATA) + "\\s"},
      {"~\\x.ini", personal + "\\x.ini"},
      {"~/x.ini", personal + "\\x.ini"},
      {"~x.ini", "~x.ini"},
      {"C:\\Users\\%username%\\x", std::string("C:\\Users\\") + user + "\\x"},
      {"%USERNAME%-%USERNAME%", std::string(user) + "-" + user},
      {"Demo\\%APPDATA%", "Demo\\%APPDATA%"},
      {"%UNKNOWN%\\x", "%UNKNOWN%\\x"},
  };
  for (const CASE& c : cases) EXPECT_EQ(c.full, Text(FILENAME(c.name).FullName)) << c.name;
}

TEST(FileName, ShellStringSetAddsAndReplaces) {
  FILENAME::ShellStringSet("%ZOLANTEST%", "C:\\First\\", 0);
  EXPECT_EQ("C:\\First\\x", Text(FILENAME("%zolantest%\\x").FullName));
  FILENAME::ShellStringSet("%ZOLANTEST%", "C:\\Second/", 0);
  EXPECT_EQ("C:\\Second\\x", Text(FILENAME("%ZOLANTEST%\\x").FullName));
  // An empty value leaves the placeholder in the name.
  FILENAME::ShellStringSet("%ZOLANTEST%", "", 0);
  EXPECT_EQ("%ZOLANTEST%\\x", Text(FILENAME("%ZOLANTEST%\\x").FullName));
  FILENAME::ShellStringSet("%ZOLANTEST%", nullptr, 0);
  EXPECT_EQ("%ZOLANTEST%\\x", Text(FILENAME("%ZOLANTEST%\\x").FullName));
  // The standard placeholders can be redirected too.
  std::string appdata = Folder(SYSPATH_APPDATA);
  FILENAME::ShellStringSet("%APPDATA%", "E:\\Redirected", 0);
  EXPECT_EQ("E:\\Redirected\\y", Text(FILENAME("%APPDATA%\\y").FullName));
  FILENAME::ShellStringSet("%APPDATA%", appdata.c_str(), 0);
}

TEST(FileName, FullTableStoresNothingMore) {
  // Literals: the table keeps the pointers.
  static const char* const kNames[] = {
      "%ZT00%", "%ZT01%", "%ZT02%", "%ZT03%", "%ZT04%", "%ZT05%", "%ZT06%", "%ZT07%",
      "%ZT08%", "%ZT09%", "%ZT10%", "%ZT11%", "%ZT12%", "%ZT13%", "%ZT14%", "%ZT15%",
      "%ZT16%", "%ZT17%", "%ZT18%", "%ZT19%", "%ZT20%", "%ZT21%", "%ZT22%", "%ZT23%",
      "%ZT24%", "%ZT25%", "%ZT26%", "%ZT27%", "%ZT28%", "%ZT29%", "%ZT30%", "%ZT31%",
  };
  for (const char* name : kNames) FILENAME::ShellStringSet(name, "C:\\T", 0);
  // The six standard entries and the test's own come first, so the last ones find no room.
  EXPECT_EQ("C:\\T\\a", Text(FILENAME("%ZT00%\\a").FullName));
  EXPECT_EQ("%ZT31%\\a", Text(FILENAME("%ZT31%\\a").FullName));
  // Entries already present can still be changed.
  FILENAME::ShellStringSet("%ZT00%", "C:\\U", 0);
  EXPECT_EQ("C:\\U\\a", Text(FILENAME("%ZT00%\\a").FullName));
}

TEST(FileName, Joins) {
  struct CASE {
    const char* folder;
    const char* name;
    const char* full;
  } cases[] = {
      {".", "x.ini", ".\\x.ini"},
      {"D:\\Dir\\", "x.ini", "D:\\Dir\\x.ini"},
      {"D:\\Dir", "E:\\y.ini", "E:\\y.ini"},
      {"D:\\Dir", "\\y.ini", "\\y.ini"},
      {"D:/Dir/", "sub/x", "D:\\Dir\\sub\\x"},
      {nullptr, "x", ".\\x"},
      {"", "x", ".\\x"},
      {"D:\\Dir", "", "D:\\Dir"},
      {"D:\\Dir", nullptr, "D:\\Dir"},
      {"%UNKNOWN%", "x", "%UNKNOWN%\\x"},
      {"D:\\", "x", "D:\\x"},
  };
  for (const CASE& c : cases)
    EXPECT_EQ(c.full, Text(FILENAME(c.folder, c.name).FullName))
        << (c.folder ? c.folder : "(null)") << " + " << (c.name ? c.name : "(null)");
  EXPECT_EQ(Folder(SYSPATH_APPDATA) + "\\x", Text(FILENAME("%APPDATA%", "x").FullName));
  EXPECT_EQ(ModulePath(), Text(FILENAME("D:\\Dir", "<self>").FullName));
}

TEST(FileName, ThreePartJoins) {
  struct CASE {
    const char* folder;
    const char* sub;
    const char* name;
    const char* full;
  } cases[] = {
      {"D:\\Dir", ".", "x.ini", "D:\\Dir\\x.ini"},
      {"D:\\Dir", "Sub\\", "x.ini", "D:\\Dir\\Sub\\x.ini"},
      {"D:\\Dir", nullptr, "x.ini", "D:\\Dir\\x.ini"},
      {"", "", "x.ini", ".\\x.ini"},
      {"D:/Dir/./.", "./Sub", "x.ini", "D:\\Dir\\Sub\\x.ini"},
      {"D:\\Dir", "Sub", "E:\\y.ini", "E:\\y.ini"},
  };
  for (const CASE& c : cases)
    EXPECT_EQ(c.full, Text(FILENAME(c.folder, c.sub, c.name).FullName)) << c.folder << " " << c.name;
}

TEST(FileName, PathAndNameParts) {
  struct CASE {
    const char* name;
    const char* path;
    const char* file;
  } cases[] = {
      {"D:\\Dir\\x.txt", "D:\\Dir", "x.txt"},
      {"x.txt", ".", "x.txt"},
      {"D:x.txt", "D:", "x.txt"},
      {"\\x.txt", "", "x.txt"},
      {"a\\b\\c", "a\\b", "c"},
  };
  for (const CASE& c : cases) {
    FILENAME name(c.name);
    EXPECT_EQ(c.path, Text(name.GetPath())) << c.name;
    EXPECT_EQ(c.file, Text(name.GetName())) << c.name;
  }
}

TEST(FileName, FullPathAndNetwork) {
  EXPECT_EQ(CurrentFolder() + "\\rel\\x.txt", Text(FILENAME("rel\\x.txt").GetFullPath()));
  EXPECT_EQ("C:\\a\\x.txt", Text(FILENAME("C:\\a\\b\\..\\x.txt").GetFullPath()));

  ASSERTRECORDER asserts;
  EXPECT_FALSE(FILENAME("\\\\server\\share\\x.txt").IsOnNetwork());
  EXPECT_FALSE(FILENAME("C:\\windows\\win.ini").IsOnNetwork());
  EXPECT_FALSE(FILENAME("rel.txt").IsOnNetwork());
  EXPECT_EQ("", asserts.Take());
  // A drive letter that is not mapped leaves a record.
  EXPECT_FALSE(FILENAME("Q:\\x.txt").IsOnNetwork());
  EXPECT_EQ("rc!=0 && rc!=1", asserts.Take());
  EXPECT_FALSE(FILENAME("").IsOnNetwork());
  EXPECT_EQ("fullname.NotEmpty()", asserts.Take());
}

class FileOnDisk : public ::testing::Test {
protected:
  SCRATCH scratch{"files"};
};

TEST_F(FileOnDisk, ExistsDirectoryAndSize) {
  scratch.File("five.txt", "12345");
  scratch.Folder("dir");
  struct CASE {
    std::string name;
    bool exists;
    bool directory;
    long long size;
  } cases[] = {
      {scratch / "five.txt", true, false, 5},
      {scratch / "dir", true, true, 0},
      {scratch / "missing", false, false, -1},
  };
  for (const CASE& c : cases) {
    FILENAME name(c.name.c_str());
    EXPECT_EQ(c.exists, name.Exists()) << c.name;
    EXPECT_EQ(c.exists, OSYS::FileExists(c.name.c_str())) << c.name;
    EXPECT_EQ(c.directory, name.IsDirectory()) << c.name;
    EXPECT_EQ(c.directory, OSYS::IsDirectory(c.name.c_str())) << c.name;
    if (!c.directory) {
      EXPECT_EQ(c.size, name.Size()) << c.name;
    }
  }
  EXPECT_FALSE(FILENAME(nullptr).Exists());
  EXPECT_FALSE(FILENAME(nullptr).IsDirectory());
  EXPECT_EQ(1, FILENAME((scratch / "five.txt").c_str()).Remove());
  EXPECT_FALSE(scratch.Exists("five.txt"));
  EXPECT_EQ(0, FILENAME((scratch / "five.txt").c_str()).Remove());
}

TEST_F(FileOnDisk, CopyTo) {
  std::string content;
  for (int i = 0; i < 3000; i++) content += (char)(i * 7);
  scratch.File("src.bin", content);
  scratch.File("old.bin", "old");
  FILENAME source((scratch / "src.bin").c_str());

  EXPECT_EQ(1, source.CopyTo(FILENAME((scratch / "new.bin").c_str()), 0));
  EXPECT_EQ(content, ReadFileBytes(scratch / "new.bin"));
  EXPECT_EQ(0, source.CopyTo(FILENAME((scratch / "old.bin").c_str()), 0));
  EXPECT_EQ("old", ReadFileBytes(scratch / "old.bin"));
  EXPECT_EQ(1, source.CopyTo(FILENAME((scratch / "old.bin").c_str()), 1));
  EXPECT_EQ(content, ReadFileBytes(scratch / "old.bin"));

  FILENAME empty((scratch / "empty.bin").c_str());
  scratch.File("empty.bin", "");
  EXPECT_EQ(1, empty.CopyTo(FILENAME((scratch / "empty2.bin").c_str()), 0));
  EXPECT_EQ("", ReadFileBytes(scratch / "empty2.bin"));

  EXPECT_EQ(0, FILENAME((scratch / "missing").c_str()).CopyTo(FILENAME((scratch / "t").c_str()), 1));
  EXPECT_FALSE(scratch.Exists("t"));
  EXPECT_EQ(0, source.CopyTo(FILENAME((scratch / "nofolder\\t").c_str()), 1));
}

TEST_F(FileOnDisk, Enumeration) {
  scratch.File("a.txt");
  scratch.File("b.dat");
  scratch.Folder("S");
  FILEFIND find;
  STRING name;
  std::vector<std::string> files, folders;
  for (bool more = find.First((scratch / "*").c_str(), name); more; more = find.Next(name))
    (find.Attributes() & FILE_ATTRIBUTE_DIRECTORY ? folders : files).push_back(Text(name));
  EXPECT_EQ("(null)", Text(name));
  std::sort(files.begin(), files.end());
  std::sort(folders.begin(), folders.end());
  EXPECT_EQ((std::vector<std::string>{"a.txt", "b.dat"}), files);
  EXPECT_EQ((std::vector<std::string>{".", "..", "S"}), folders);

  EXPECT_TRUE(find.First((scratch / "*.txt").c_str(), name));
  EXPECT_EQ("a.txt", Text(name));
  EXPECT_FALSE(find.Next(name));
  EXPECT_FALSE(find.First((scratch / "*.none").c_str(), name));
  EXPECT_EQ("(null)", Text(name));
  EXPECT_FALSE(find.Next(name));
}

}  // namespace

namespace {

TEST_F(FileOnDisk, IsOnNetworkForAMappedDrive) {
  std::string folder = scratch.Dir();
  if (folder.compare(0, 2, "Z:") != 0) GTEST_SKIP() << "the scratch folder has no Unix path";
  std::string unixFolder = folder.substr(2);
  for (char& c : unixFolder)
    if (c == '\\') c = '/';
  scratch.File("shared.txt");
  NETWORKDRIVE drive('N', unixFolder);
  ASSERT_TRUE(drive.Ok());
  ASSERT_EQ((UINT)DRIVE_REMOTE, GetDriveTypeA("N:\\"));
  EXPECT_TRUE(FILENAME("N:\\shared.txt").IsOnNetwork());
  EXPECT_TRUE(FILENAME("n:/").IsOnNetwork());
  EXPECT_FALSE(FILENAME((scratch / "shared.txt").c_str()).IsOnNetwork());
}

}  // namespace
