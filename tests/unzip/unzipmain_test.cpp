// The extractor through unzip_main on the real file system: result codes, the bytes, times
// and attributes it leaves on disk, name mapping and refused names.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "unziptest.h"

namespace {

using namespace unziptest;
namespace fs = std::filesystem;

TEST(UnzipMain, ResultCodesOfBothVectors) {
  struct CASE {
    const char* archive;
    const char* member;  // null: the listing vector
    int code;
  } cases[] = {
      {"methods.zip", nullptr, 0},
      {"methods.zip", "*", 0},
      {"pyzip.zip", "*", 0},
      {"prefixed.zip", nullptr, 1},          // data in front of the archive
      {"empty.zip", nullptr, 1},
      {"lastdisk.zip", nullptr, 1},          // disk 1 of 1
      {"skips.zip", "encrypted.txt", 1},
      {"skips.zip", "method7.txt", 1},
      {"skips.zip", "method9.txt", 1},
      {"skips.zip", "version45.txt", 1},
      {"cdretry.zip", nullptr, 2},           // directory found only at its stored offset
      {"missingbytes.zip", nullptr, 2},
      {"members250.zip", nullptr, 2},        // does not fit the entry table
      {"name150.zip", nullptr, 2},
      {"badcrc.zip", "crc.txt", 2},
      {"baddeflate.zip", "bad.txt", 2},
      {"hostile.zip", "*", 2},
      {"nocentral.zip", nullptr, 3},
      {"badlocal.zip", "crc.txt", 3},
      {"truncated.zip", nullptr, 9},         // no end record
      {"nosuch.zip", nullptr, 9},
      {"multidisk.zip", nullptr, 11},
      {"shortdata.zip", "short.txt", 51},
  };
  std::string folder = SCRATCH("scratch\\codes").Dir();
  for (const CASE& c : cases) {
    std::string archive = Fixture(c.archive);
    EXPECT_EQ(c.member ? Extract(archive, c.member, folder) : List(archive), c.code)
        << c.archive << (c.member ? " extract " : " list ") << (c.member ? c.member : "");
  }
}

TEST(UnzipMain, RejectsVectorsItDoesNotServe) {
  std::string archive = Fixture("methods.zip");
  std::string tooLong(261, 'x');
  std::vector<std::vector<const char*>> vectors = {
      {},
      {"unzip"},
      {"unzip", "-v"},
      {"unzip", "-x", archive.c_str()},
      {"unzip", "-Z", archive.c_str()},
      {"zipinfo", archive.c_str()},
      {"unzip", "-qq", archive.c_str(), "*", "-d"},
      {"unzip", "-v", tooLong.c_str()},
  };
  for (const auto& v : vectors) EXPECT_EQ(unzip_main(static_cast<int>(v.size()), v.data()), 10) << v.size();
}

TEST(UnzipMain, ArchiveLookup) {
  std::string folder = SCRATCH("scratch\\lookup").Dir();
  EXPECT_EQ(List(folder), 76);
  // The name is tried once more with ".zip" behind it, and the last component is a pattern.
  std::string base = Fixture("methods.zip");
  EXPECT_EQ(List(base.substr(0, base.size() - 4)), 0);
  EXPECT_EQ(List(Fixture("meth?ds.zip")), 0);
  EXPECT_EQ(gUnzipTable.Count, 14);
}

TEST(UnzipMain, EveryMethodRestoresTheOriginalBytes) {
  std::string folder = SCRATCH("scratch\\methods").Dir();
  ASSERT_EQ(Extract(Fixture("methods.zip"), "*", folder), 0);
  for (const char* member : {"stored.txt", "stored-large.bin", "shrunk.txt", "shrunk-runs.bin", "reduced1.txt", "reduced2.txt",
                             "reduced3.txt", "reduced4.txt", "imploded4k2.txt", "imploded4k3.txt",
                             "imploded8k2.txt", "imploded8k3.bin", "deflated.txt", "empty.txt"}) {
    std::string expected = Expected(member);
    EXPECT_TRUE(member == std::string("empty.txt") || !expected.empty()) << member;
    EXPECT_TRUE(ReadFileBytes(folder + "\\" + member) == expected) << member;
  }
}

TEST(UnzipMain, ZipfileArchiveWithDataDescriptorsAndFolders) {
  std::string folder = SCRATCH("scratch\\pyzip").Dir();
  ASSERT_EQ(Extract(Fixture("pyzip.zip"), "*", folder), 0);
  EXPECT_EQ(ReadFileBytes(folder + "\\docs\\readme.txt").size(), 5000u);
  EXPECT_EQ(ReadFileBytes(folder + "\\bin\\tool.dat").size(), 4000u);
  EXPECT_TRUE(GetFileAttributesA((folder + "\\docs\\empty").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

FILETIME LastWrite(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

TEST(UnzipMain, TimesAndAttributesReadBackFromDisk) {
  std::string folder = SCRATCH("scratch\\attributes").Dir();
  // Existing read-only and hidden files are replaced; the read-only one ends up writable.
  WriteFileBytes(folder + "\\readonly.txt", "old content");
  SetFileAttributesA((folder + "\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  WriteFileBytes(folder + "\\hidden.txt", "old hidden content");
  SetFileAttributesA((folder + "\\hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  ASSERT_EQ(Extract(Fixture("names.zip"), "*", folder), 0);
  EXPECT_EQ(ReadFileBytes(folder + "\\readonly.txt"), "read-only");
  EXPECT_EQ(ReadFileBytes(folder + "\\hidden.txt"), "hidden");
  struct CASE {
    const char* file;
    DWORD attributes;
  } cases[] = {
      {"plain.txt", FILE_ATTRIBUTE_ARCHIVE},
      {"hidden.txt", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN},
      {"readonly.txt", FILE_ATTRIBUTE_ARCHIVE},
  };
  for (const CASE& c : cases) {
    std::string path = folder + "\\" + c.file;
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & 0x7F, c.attributes) << c.file;
    // 2021-06-15 13:45:30 local time, as the generator stamps every member.
    FILETIME local;
    SYSTEMTIME t;
    FILETIME written = LastWrite(path);
    FileTimeToLocalFileTime(&written, &local);
    FileTimeToSystemTime(&local, &t);
    EXPECT_EQ(t.wYear * 10000 + t.wMonth * 100 + t.wDay, 20210615) << c.file;
    EXPECT_EQ(t.wHour * 10000 + t.wMinute * 100 + t.wSecond, 134530) << c.file;
  }
  EXPECT_EQ(ReadFileBytes(folder + "\\plain.txt"), Expected("plain.txt"));
}

TEST(UnzipMain, NamesOnDisk) {
  std::string folder = SCRATCH("scratch\\names").Dir();
  ASSERT_EQ(Extract(Fixture("names.zip"), "*", folder), 0);
  struct CASE {
    const char* path;  // relative to the folder, as found on disk
    const char* content;
  } cases[] = {
      {"host0.txt", "host 0"},      // MS-DOS names are lower-cased
      {"host10.txt", "host 10"},    // so are those of host 10
      {"HOST11.TXT", "host 11"},    // NTFS names keep their case
      {"Host3.Txt", "host 3"},
      {"sub1\\sub2\\deep.txt", "deep"},
      {"back\\slash\\member.txt", "backslash"},
      {"ver.txt", "version suffix"},  // ";" and digits at the end go
      {"co_lon.txt", "colon"},
  };
  for (const CASE& c : cases) {
    std::string path = folder + "\\" + c.path;
    EXPECT_EQ(ReadFileBytes(path), c.content) << c.path;
    // The case on disk, as the folder listing shows it.
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(path.c_str(), &found);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << c.path;
    FindClose(h);
    std::string name = c.path;
    EXPECT_EQ(found.cFileName, name.substr(name.rfind('\\') + 1)) << c.path;
  }
  EXPECT_TRUE(GetFileAttributesA((folder + "\\emptydir").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(PathExists(folder + "\\MYLABEL"));  // a volume label is passed over
  EXPECT_FALSE(PathExists(folder + "\\mylabel"));
}

TEST(UnzipMain, NamesLeavingTheDestinationAreRefused) {
  std::string parent = SCRATCH("scratch\\hostile").Dir();
  std::string folder = parent + "\\inner";
  EXPECT_EQ(Extract(Fixture("hostile.zip"), "*", folder), 2);
  EXPECT_EQ(ReadFileBytes(folder + "\\safe.txt"), "safe");
  int files = 0;
  for (const auto& e : fs::recursive_directory_iterator(parent)) files += e.is_regular_file();
  EXPECT_EQ(files, 1);  // safe.txt alone: nothing above the folder, nothing below it
  EXPECT_FALSE(PathExists("C:\\drive.txt"));
  EXPECT_FALSE(PathExists("C:\\root.txt"));
}

TEST(UnzipMain, DestinationFolder) {
  std::string folder = SCRATCH("scratch\\destination").Dir();
  // Created when missing (one level), with or without a trailing separator.
  EXPECT_EQ(Extract(Fixture("names.zip"), "plain.txt", folder + "\\new\\"), 0);
  EXPECT_EQ(ReadFileBytes(folder + "\\new\\plain.txt"), Expected("plain.txt"));
  // A file where the folder should be cannot become one.
  WriteFileBytes(folder + "\\file", "x");
  EXPECT_EQ(Extract(Fixture("names.zip"), "plain.txt", folder + "\\file"), 3);
  // A member folder that exists as a file fails the member.
  WriteFileBytes(folder + "\\sub1", "x");
  EXPECT_EQ(Extract(Fixture("names.zip"), "sub1/sub2/deep.txt", folder), 2);
}

TEST(UnzipMain, OutputInUseFailsWithFifty) {
  std::string folder = SCRATCH("scratch\\inuse").Dir();
  std::string target = folder + "\\plain.txt";
  WriteFileBytes(target, "kept");
  HANDLE held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Extract(Fixture("names.zip"), "plain.txt", folder), 50);
  CloseHandle(held);
  EXPECT_EQ(ReadFileBytes(target), "kept");
}

TEST(UnzipMain, BadCrcLeavesTheFile) {
  std::string folder = SCRATCH("scratch\\badcrc").Dir();
  EXPECT_EQ(Extract(Fixture("badcrc.zip"), "crc.txt", folder), 2);
  EXPECT_EQ(ReadFileBytes(folder + "\\crc.txt"), "checked bytes");
}

TEST(UnzipMain, ListingFillsTheTable) {
  ASSERT_EQ(List(Fixture("names.zip")), 0);
  EXPECT_STREQ(gUnzipTable.Names[0], "host0.txt");
  EXPECT_STREQ(gUnzipTable.Names[2], "HOST11.TXT");
  EXPECT_STREQ(gUnzipTable.Names[8], "back/slash/member.txt");
  EXPECT_EQ(gUnzipTable.Sizes[13], 2000u);
  EXPECT_STREQ(gUnzipTable.Names[14], "");
  ASSERT_EQ(List(Fixture("members249.zip")), 0);
  EXPECT_EQ(gUnzipTable.Count, 249);
  EXPECT_STREQ(gUnzipTable.Names[248], "m248.txt");
  EXPECT_STREQ(gUnzipTable.Names[249], "");
}

}  // namespace
