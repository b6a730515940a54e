// UNZIPPER: listing into the entry table, the copy engine's calling order, and the
// protected-files and ask-overwrite decisions, with the question answered by the driver.
#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>

#include <random>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/approot.h"
#include "foundation/zolan.h"
#include "support/languagelibrary.h"
#include "support/windriver.h"
#include "unziptest.h"

namespace {

using namespace unziptest;
namespace fs = std::filesystem;

// While alive, failed assertions are recorded instead of asked about ("/NOASSERT" toggles).
class ASSERTIONS {
public:
  ASSERTIONS() {
    Raised().clear();
    LogitOption("/NOASSERT");
    AssertSetObserver([](const char* condition, const char*) { Raised().push_back(condition); });
  }
  ~ASSERTIONS() {
    AssertSetObserver(nullptr);
    LogitOption("/NOASSERT");
  }
  ASSERTIONS(const ASSERTIONS&) = delete;
  ASSERTIONS& operator=(const ASSERTIONS&) = delete;
  static std::vector<std::string>& Raised() {
    static std::vector<std::string> raised;
    return raised;
  }
};

TEST(Unzipper, ListsNamesAndSizesInOrder) {
  ASSERTIONS assertions;
  UNZIPPER zip(Fixture("names.zip").c_str(), "<NULL>", "<NULL>");
  EXPECT_TRUE(ASSERTIONS::Raised().empty());
  char name[UNZIPTABLE_NAMESIZE];
  std::vector<std::string> names;
  unsigned long sum = 0;
  for (unsigned long size = zip.GetFirstFile(name); name[0]; size = zip.GetNextFile(name)) {
    names.push_back(name);
    sum += size;
  }
  ASSERT_EQ(names.size(), 14u);
  EXPECT_EQ(names[0], "host0.txt");
  EXPECT_EQ(names[8], "back/slash/member.txt");
  EXPECT_EQ(sum, zip.GetTotalSize());
  EXPECT_GT(zip.GetTotalSize(), 2000u);
}

TEST(Unzipper, IrregularArchiveTripsTheListingAssertion) {
  for (const char* archive : {"prefixed.zip", "empty.zip", "members250.zip", "nosuch.zip"}) {
    ASSERTIONS assertions;
    UNZIPPER zip(Fixture(archive).c_str(), "<NULL>", "<NULL>");
    ASSERT_EQ(ASSERTIONS::Raised().size(), 1u) << archive;
    EXPECT_EQ(ASSERTIONS::Raised()[0], "error==FALSE") << archive;
  }
}

TEST(Unzipper, ExtractFileResults) {
  ASSERTIONS assertions;
  std::string folder = SCRATCH("scratch\\extractfile").Dir();
  struct CASE {
    const char* archive;
    const char* member;
    int result;
    const char* written;  // file expected afterwards (relative), or null
  } cases[] = {
      {"names.zip", "sub1/sub2/deep.txt", 1, "sub1\\sub2\\deep.txt"},
      {"names.zip", "emptydir/", 1, "emptydir"},
      {"names.zip", "nothere.txt", 1, nullptr},
      {"names.zip", "back/slash/member.txt", 1, "back\\slash\\member.txt"},  // stored with "\"
      {"names.zip", "file[1].txt", 1, "file[1].txt"},  // listed names are taken literally
      {"skips.zip", "encrypted.txt", 0, nullptr},
      {"skips.zip", "method9.txt", 0, nullptr},
      {"skips.zip", "version45.txt", 0, nullptr},
      {"badcrc.zip", "crc.txt", 0, "crc.txt"},
  };
  for (const CASE& c : cases) {
    UNZIPPER zip(Fixture(c.archive).c_str(), "<NULL>", "<NULL>");
    EXPECT_EQ(zip.ExtractFile(c.member, folder.c_str()), c.result) << c.member;
    if (c.written) {
      EXPECT_TRUE(PathExists(folder + "\\" + c.written)) << c.member;
    }
  }
  EXPECT_EQ(ReadFileBytes(folder + "\\back\\slash\\member.txt"), "backslash");
  EXPECT_EQ(ReadFileBytes(folder + "\\file[1].txt"), "bracket");
  EXPECT_FALSE(PathExists(folder + "\\nothere.txt"));
  EXPECT_FALSE(PathExists(folder + "\\encrypted.txt"));
  EXPECT_TRUE(ASSERTIONS::Raised().empty());
}

TEST(Unzipper, CreatesTheDestinationChain) {
  std::string root = SCRATCH("scratch\\chain").Dir();
  std::string folder = root + "\\a\\b\\c";
  UNZIPPER zip(Fixture("names.zip").c_str(), "<NULL>", "<NULL>");
  EXPECT_EQ(zip.ExtractFile("sub1/sub2/deep.txt", folder.c_str()), 1);
  EXPECT_EQ(ReadFileBytes(folder + "\\sub1\\sub2\\deep.txt"), "deep");
}

TEST(Unzipper, ProtectedFilesAreKeptOnlyWhenTheyExist) {
  struct CASE {
    const char* list;
    const char* member;
    bool exists;
    bool replaced;
  } cases[] = {
      {"*.txt", "plain.txt", true, false},
      {"*.txt", "plain.txt", false, true},
      {"other.dat|PLAIN.TXT;ignored", "plain.txt", true, false},  // names ignore case
      {"sub1\\sub2\\deep.txt", "sub1/sub2/deep.txt", true, false},  // "\" reads as "/"
      {"plain.tx?", "plain.txt", true, false},
      {"plain.tx", "plain.txt", true, true},
      {"|", "plain.txt", true, true},
      {"<NULL>", "plain.txt", true, true},
  };
  for (const CASE& c : cases) {
    std::string folder = SCRATCH("scratch\\protected").Dir();
    std::string target = folder + "\\" + c.member;
    if (c.exists) {
      CreateDirectoryA((folder + "\\sub1").c_str(), nullptr);
      CreateDirectoryA((folder + "\\sub1\\sub2").c_str(), nullptr);
      WriteFileBytes(target, "existing");
    }
    UNZIPPER zip(Fixture("names.zip").c_str(), "<NULL>", c.list);
    EXPECT_EQ(zip.ExtractFile(c.member, folder.c_str()), 1) << c.list;
    EXPECT_EQ(ReadFileBytes(target) != "existing", c.replaced) << c.list << " exists=" << c.exists;
  }
}

void Put(std::string& s, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; i++) s += static_cast<char>(value >> (8 * i));
}

// An archive of one stored member.
std::string StoredZip(const std::string& name, const std::string& content) {
  uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size()));
  uint32_t size = static_cast<uint32_t>(content.size()), nameLength = static_cast<uint32_t>(name.size());
  std::string local("PK\3\4"), central("PK\1\2"), end("PK\5\6");
  Put(central, 20, 2);
  for (std::string* h : {&local, &central}) {
    Put(*h, 10, 2), Put(*h, 0, 2), Put(*h, 0, 2), Put(*h, 0x6000, 2), Put(*h, 0x5A21, 2);
    Put(*h, crc, 4), Put(*h, size, 4), Put(*h, size, 4), Put(*h, nameLength, 2), Put(*h, 0, 2);
  }
  Put(central, 0, 2), Put(central, 0, 2), Put(central, 0, 2), Put(central, 0x20, 4), Put(central, 0, 4);
  local += name + content;
  central += name;
  Put(end, 0, 4), Put(end, 1, 2), Put(end, 1, 2);
  Put(end, static_cast<uint32_t>(central.size()), 4), Put(end, static_cast<uint32_t>(local.size()), 4), Put(end, 0, 2);
  return local + central + end;
}

bool SetLastWrite(const std::string& path, const FILETIME& time) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  bool set = file != INVALID_HANDLE_VALUE && SetFileTime(file, nullptr, nullptr, &time);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return set;
}

// One UNZIPPER serves many ExtractFile calls; an archive rewritten in between is read
// anew, even when only its size or only its time tells.
TEST(Unzipper, ArchiveRewrittenBetweenExtractionsIsReadAnew) {
  struct CASE {
    const char* replacement;  // new content of the member
    bool sameTime;            // the rewritten archive gets the first one's last-write time
  } cases[] = {
      {"second version", true},
      {"FIRST", false},  // same size
  };
  for (const CASE& c : cases) {
    std::string folder = SCRATCH("scratch\\changed").Dir();
    std::string archive = folder + "\\swap.zip", target = folder + "\\out\\member.txt";
    WriteFileBytes(archive, StoredZip("member.txt", "first"));
    WIN32_FILE_ATTRIBUTE_DATA before;
    ASSERT_TRUE(GetFileAttributesExA(archive.c_str(), GetFileExInfoStandard, &before));
    UNZIPPER zip(archive.c_str(), "<NULL>", "<NULL>");
    ASSERT_EQ(zip.ExtractFile("member.txt", (folder + "\\out").c_str()), 1);
    ASSERT_EQ(ReadFileBytes(target), "first");
    WriteFileBytes(archive, StoredZip("member.txt", c.replacement));
    FILETIME later = before.ftLastWriteTime;
    later.dwHighDateTime++;
    ASSERT_TRUE(SetLastWrite(archive, c.sameTime ? before.ftLastWriteTime : later));
    EXPECT_EQ(zip.ExtractFile("member.txt", (folder + "\\out").c_str()), 1) << c.replacement;
    EXPECT_EQ(ReadFileBytes(target), c.replacement);
  }
}

// The archive is read ahead in pieces of 1 MiB; a member across several pieces and into the
// archive's tail comes out whole, twice in a row (the second time from a kept archive).
TEST(Unzipper, MemberAcrossReadAheadPiecesComesOutWhole) {
  std::string folder = SCRATCH("scratch\\large").Dir();
  std::string content(3 * 1024 * 1024 + 17, '\0');
  std::mt19937 random(7);
  for (char& c : content) c = static_cast<char>(random());
  WriteFileBytes(folder + "\\large.zip", StoredZip("large.bin", content));
  UNZIPPER zip((folder + "\\large.zip").c_str(), "<NULL>", "<NULL>");
  for (int round = 0; round < 2; round++) {
    EXPECT_EQ(zip.ExtractFile("large.bin", (folder + "\\out").c_str()), 1) << round;
    EXPECT_TRUE(ReadFileBytes(folder + "\\out\\large.bin") == content) << round;
  }
}

// Folders found by one ExtractFile call are not looked up again by the next; one removed in
// between is made again.
TEST(Unzipper, FolderRemovedBetweenExtractionsIsMadeAgain) {
  std::string root = SCRATCH("scratch\\removed").Dir();
  std::string folder = root + "\\dest";
  UNZIPPER zip(Fixture("names.zip").c_str(), "<NULL>", "<NULL>");
  ASSERT_EQ(zip.ExtractFile("sub1/sub2/deep.txt", folder.c_str()), 1);
  for (const char* removed : {"\\dest\\sub1\\sub2", "\\dest"}) {
    fs::remove_all(root + removed);
    EXPECT_EQ(zip.ExtractFile("sub1/sub2/deep.txt", folder.c_str()), 1) << removed;
    EXPECT_EQ(ReadFileBytes(folder + "\\sub1\\sub2\\deep.txt"), "deep") << removed;
  }
}

TEST(Unzipper, AskOverwriteQuestion) {
  // Texts 2992 and 2993 of the question come from the English library.
  LanguageLibrary english("setupenglish.dll", gLanguageId);
  ASSERT_TRUE(english.Loaded());
  struct CASE {
    const char* list;
    int answer;      // button the driver presses; 0: no question may come
    bool exists;
    const char* shown;
    bool replaced;
  } cases[] = {
      {"plain.txt;Your settings", IDNO, true, "Your settings", false},
      {"PLAIN.TXT;Your settings", IDYES, true, "Your settings", true},
      {"plain.txt", IDNO, true, "plain.txt", false},
      {"plain.txt;Your settings", 0, false, nullptr, true},
      {"plain.tx*", 0, true, nullptr, true},  // never a pattern
  };
  for (const CASE& c : cases) {
    std::string folder = SCRATCH("scratch\\ask").Dir();
    std::string target = folder + "\\plain.txt";
    if (c.exists) WriteFileBytes(target, "existing");
    UNZIPPER zip(Fixture("names.zip").c_str(), c.list, "<NULL>");
    windriver::AsyncWindowTask box(windriver::Query::Dialog().Thread(GetCurrentThreadId()),
                                   windriver::PressButton(c.answer ? c.answer : IDNO), c.answer ? 10000 : 300);
    EXPECT_EQ(zip.ExtractFile("plain.txt", folder.c_str()), 1) << c.list;
    box.Join();
    EXPECT_EQ(box.Found(), c.answer != 0) << c.list;
    if (c.shown) {
      EXPECT_EQ(box.Caption(), "Replace file") << c.list;
      EXPECT_EQ(box.Text(), std::string("The file ") + c.shown + " already exists.\n\nDo you want to replace it?")
          << c.list;
    }
    EXPECT_EQ(ReadFileBytes(target) == Expected("plain.txt"), c.replaced) << c.list;
  }
}

}  // namespace
