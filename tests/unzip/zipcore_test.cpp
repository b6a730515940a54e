// The extractor's pure core: patterns, 8.3 names, and runs over an archive in memory
// (allocation failures, corrupted archives).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>

#include <zlib.h>

#include "unzip/zipcrc.h"
#include "unzip/zipextract.h"
#include "unzip/zipmapname.h"
#include "unzip/zippattern.h"
#include "unziptest.h"

namespace {

TEST(ZipPattern, StarsSetsAndEscapes) {
  struct CASE {
    const char* pattern;
    const char* name;
    bool ignoreCase;
    bool match;
  } cases[] = {
      {"*", "dir/sub/file.txt", false, true},  // "*" crosses folders
      {"*.txt", "dir/file.txt", false, true},
      {"*.txt", "dir/file.TXT", false, false},
      {"*.txt", "dir/file.TXT", true, true},
      {"a*b*c", "axxbyybzc", false, true},  // backtracking to the last star
      {"a*b*c", "axxbyybzd", false, false},
      {"?.dat", "x.dat", false, true},
      {"?.dat", "xy.dat", false, false},
      {"file[12].txt", "file2.txt", false, true},
      {"file[12].txt", "file[1].txt", false, false},  // a bracketed name is a set, not itself
      {"file[!12].txt", "file3.txt", false, true},
      {"file[^12].txt", "file1.txt", false, false},
      {"[a-c]x", "bx", false, true},
      {"[a-c]x", "Bx", true, true},
      {"[a-c]x", "dx", false, false},
      {"[\\]]", "]", false, true},
      {"file[1.txt", "file[1.txt", false, false},  // unclosed set matches nothing
      {"file\\[1\\].txt", "file[1].txt", false, true},
      {"abc", "abcd", false, false},  // the whole name must be used up
      {"abc*", "abc", false, true},
      {"", "", false, true},
  };
  for (const CASE& c : cases)
    EXPECT_EQ(ZipMatch(c.pattern, c.name, c.ignoreCase), c.match) << c.pattern << " ~ " << c.name;
}

TEST(ZipMapName, ShortComponentsFollowTheEightThreeRules) {
  struct CASE {
    const char* component;
    const char* shortForm;
  } cases[] = {
      {"readme.txt", "readme.txt"},
      {"longfilename.text", "longfile.tex"},
      {"a.b.c.txt", "a_b_c.txt"},
      {".profile", "_.pro"},
      {"[x].dat", "_x_.dat"},
      {"longname_txt", "longname.txt"},  // the last "_" becomes the dot when that keeps more
      {"verylongname", "verylong"},
      {"ab_cdefghij", "ab_cdefg"},
      {".", ""},
      {"..", ".."},
  };
  for (const CASE& c : cases) {
    char out[16];
    ZipShortComponent(c.component, out);
    EXPECT_STREQ(out, c.shortForm) << c.component;
  }
}

// Every length around the folding steps (16 and 64 bytes), any alignment, any start value
// and a checksum taken in pieces must agree with zlib.
TEST(ZipCrc, AgreesWithZlib) {
  std::mt19937 random(1951);
  std::string data(70000, '\0');
  for (char& c : data) c = static_cast<char>(random());
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data.data());
  for (size_t n = 0; n <= 300; n++) {
    size_t offset = random() % 16;
    uint32_t start = n % 2 ? static_cast<uint32_t>(random()) : 0;
    EXPECT_EQ(ZipCrc32(start, bytes + offset, n), crc32(start, bytes + offset, static_cast<uInt>(n))) << n;
  }
  uint32_t pieces = 0;
  for (size_t at = 0, step = 1; at < data.size(); at += step, step = step * 3 % 40000 + 1)
    pieces = ZipCrc32(pieces, bytes + at, std::min(step, data.size() - at));
  EXPECT_EQ(pieces, crc32(0, bytes, static_cast<uInt>(data.size())));
}

// A host over memory: the archive is a byte string, output files land in a map, and the
// allocations can be made to fail from a given one on.
class MEMZIPHOST : public ZIPHOST {
public:
  explicit MEMZIPHOST(std::string archive) : Archive(std::move(archive)) {}

  void* Allocate(size_t n) override { return Allocations++ >= FailFrom ? nullptr : malloc(n); }
  void Free(void* block) override { free(block); }
  void Diagnostic(const char*) override {}
  ZIPPATHKIND Kind(const char* path) override {
    if (Folders.count(path) || strcmp(path, "out") == 0) return ZIPPATH_FOLDER;
    return Files.count(path) || strcmp(path, "a.zip") == 0 ? ZIPPATH_FILE : ZIPPATH_MISSING;
  }
  bool ListFolder(const char*, void (*each)(void*, const char*), void* context) override {
    each(context, "a.zip");
    return true;
  }
  std::unique_ptr<ZIPREADER> OpenArchive(const char*) override { return std::unique_ptr<ZIPREADER>(new READER(Archive)); }
  bool MakeFolder(const char* path) override {
    Folders[path] = true;
    return true;
  }
  std::unique_ptr<ZIPWRITER> CreateOutput(const char* path, unsigned) override {
    Files[path].clear();
    return std::unique_ptr<ZIPWRITER>(new WRITER(Files[path]));
  }
  bool IsFatVolume(const char*) override { return false; }

  std::map<std::string, std::string> Files;
  std::map<std::string, bool> Folders;
  size_t FailFrom = static_cast<size_t>(-1);
  size_t Allocations = 0;

private:
  struct READER : ZIPREADER {
    explicit READER(const std::string& d) : Data(d) {}
    int64_t Size() override { return static_cast<int64_t>(Data.size()); }
    long ReadAt(int64_t offset, void* buffer, long n) override {
      if (offset >= static_cast<int64_t>(Data.size())) return 0;
      long k = static_cast<long>(std::min<int64_t>(n, static_cast<int64_t>(Data.size()) - offset));
      memcpy(buffer, Data.data() + offset, k);
      return k;
    }
    const std::string& Data;
  };
  struct WRITER : ZIPWRITER {
    explicit WRITER(std::string& t) : Target(t) {}
    bool Write(const void* data, size_t n) override {
      Target.append(static_cast<const char*>(data), n);
      return true;
    }
    void Close(unsigned, unsigned) override {}
    std::string& Target;
  };
  std::string Archive;
};

// A component of dots and blanks only (other than ".") leads out of its folder on Windows.
bool Climbs(const std::string& path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string c = path.substr(start, end - start);
    if (!c.empty() && c != "." && c.find_first_not_of(". ") == std::string::npos) return true;
    start = end + 1;
  }
  return false;
}

int RunExtract(MEMZIPHOST& host, const char* member) {
  UNZIPTABLE table;
  const char* argv[] = {"unzip", "-qq", "a.zip", member, "-d", "out"};
  return unzip_run(host, table, 6, argv);
}

TEST(ZipCore, MemoryShortageGivesItsOwnCodes) {
  std::string archive = ReadFileBytes(unziptest::Fixture("methods.zip"));
  // The run's three buffers come first; any later allocation belongs to a decompressor.
  struct CASE {
    const char* member;
    size_t failFrom;
    int code;
  } cases[] = {
      {"stored.txt", 0, 4}, {"stored.txt", 2, 4}, {"deflated.txt", 3, 5},
      {"shrunk.txt", 3, 5}, {"reduced2.txt", 3, 5}, {"imploded8k3.bin", 3, 5},
  };
  for (const CASE& c : cases) {
    MEMZIPHOST host(archive);
    host.FailFrom = c.failFrom;
    EXPECT_EQ(RunExtract(host, c.member), c.code) << c.member;
  }
}

// Corrupted archives: every run ends with a code of the table and writes only below "out".
TEST(ZipCore, CorruptArchivesNeverEscapeOrCrash) {
  std::mt19937 random(4711);
  for (const char* name : {"methods.zip", "names.zip", "pyzip.zip"}) {
    std::string original = ReadFileBytes(unziptest::Fixture(name));
    ASSERT_FALSE(original.empty()) << name;
    for (int round = 0; round < 150; round++) {
      std::string spoilt = original;
      int changes = 1 + static_cast<int>(random() % 12);
      for (int i = 0; i < changes; i++) spoilt[random() % spoilt.size()] = static_cast<char>(random());
      if (round % 10 == 0) spoilt.resize(random() % spoilt.size());
      MEMZIPHOST host(spoilt);
      int code = RunExtract(host, "*");
      EXPECT_TRUE(code <= 3 || code == 9 || code == 11 || code == 51) << name << " round " << round << ": " << code;
      for (const auto& f : host.Files) {
        EXPECT_EQ(f.first.compare(0, 4, "out/"), 0) << f.first;
        EXPECT_FALSE(Climbs(f.first)) << f.first;
        EXPECT_EQ(f.first.find(':'), std::string::npos) << f.first;
      }
    }
  }
}

}  // namespace
