#include "foundation/hash.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "support/assertrecorder.h"
#include "support/testfiles.h"

namespace {

typedef std::vector<std::string> LIST;

std::string Bytes(const STRING& s) { return s.NotNull() ? std::string(s.c_str(), s.Length()) : "(null)"; }

LIST Keys(const HASH& h) {
  LIST keys;
  STRINGARRAY all = h.GetKeys();
  for (int i = 0; i < all.Count(); i++) keys.push_back(Bytes(all.Get(i)));
  return keys;
}

// Every test works in an empty folder of its own.
class HashFile : public ::testing::Test {
protected:
  void SetUp() override { EmptyFolder(kDir); }

  static std::string Path(const char* name) { return std::string(kDir) + "\\" + name; }
  static void Write(const char* name, const std::string& bytes) {
    ASSERT_TRUE(WriteFileBytes(Path(name), bytes)) << name;
  }
  static std::string Read(const char* name) { return ReadFileBytes(Path(name)); }
  static LIST Files() {
    LIST names;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((std::string(kDir) + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
      if (found.cFileName[0] != '.') names.push_back(found.cFileName);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
  }
  // Loads the text into a fresh store.
  static HASH LoadText(const std::string& text) {
    Write("in.cfg", text);
    HASH h;
    EXPECT_TRUE(h.Load(Path("in.cfg").c_str()));
    return h;
  }

  static constexpr const char* kDir = "hashfiles";
};

TEST_F(HashFile, IgnoredLinesAndMalformedLines) {
  ASSERTRECORDER asserts;
  HASH h = LoadText("// comment\r\n# note\r\n#\r\n\r\nAppName=Demo\r\n");
  EXPECT_EQ(LIST{"AppName"}, Keys(h));
  EXPECT_EQ("Demo", Bytes(h["AppName"]));
  EXPECT_EQ("", asserts.Take());

  h = LoadText("no equals sign\r\n#comment without blank\r\nx=1\r\n/ single slash\r\n");
  EXPECT_EQ(LIST{"x"}, Keys(h));
  ASSERT_EQ(3u, asserts.All().size());
  EXPECT_EQ("item.Find(\"=\")", asserts.All()[0].condition);
  EXPECT_EQ("no equals sign", asserts.All()[0].info);
  EXPECT_EQ("#comment without blank", asserts.All()[1].info);
}

TEST_F(HashFile, KeysAndValuesAreTakenLiterally) {
  ASSERTRECORDER asserts;
  HASH h = LoadText(
      "Key = x\n"
      "eq=a=b\n"
      "empty=\n"
      "slash=C:\\\\Program Files\\\\Demo\n"
      "hexeq=1\\x3d2\n"
      "bad=\\Path\n"
      "braces=\\x7bx\\x7d\n");
  EXPECT_EQ(" x", Bytes(h["Key "]));
  EXPECT_FALSE(h.Exists("Key"));
  EXPECT_EQ("a=b", Bytes(h["eq"]));
  EXPECT_EQ("", Bytes(h["empty"]));
  EXPECT_TRUE(h["empty"].NotNull());
  EXPECT_EQ("C:\\Program Files\\Demo", Bytes(h["slash"]));
  EXPECT_EQ("1=2", Bytes(h["hexeq"]));
  EXPECT_EQ("Path", Bytes(h["bad"]));
  EXPECT_EQ("{x}", Bytes(h["braces"]));
  EXPECT_EQ("FALSE", asserts.Take());
}

TEST_F(HashFile, SortedKeysAndFirstOccurrenceWins) {
  HASH h = LoadText("b=2\na=1\nA=3\nB=4\n_u=5\nZ=6\n");
  EXPECT_EQ((LIST{"_u", "a", "A", "b", "B", "Z"}), Keys(h));
  EXPECT_EQ("1", Bytes(h["a"]));
  EXPECT_EQ("1", Bytes(h["A"]));
  EXPECT_EQ("2", Bytes(h["B"]));

  EXPECT_EQ(1, h.Delete("A"));
  EXPECT_EQ((LIST{"_u", "A", "b", "B", "Z"}), Keys(h)) << "Delete removes the first match";
  EXPECT_EQ("3", Bytes(h["a"]));
  EXPECT_EQ(0, h.Delete("missing"));
  EXPECT_EQ(0, h.Delete(STRING()));
}

TEST_F(HashFile, LookupsCreateNullValuesThatSaveWrites) {
  HASH h = LoadText("a=1\n");
  EXPECT_FALSE(h.Exists("m"));
  EXPECT_FALSE(h["m"].NotNull());
  EXPECT_TRUE(h.Exists("M"));
  h["c"] = "3";
  h["b"] = STRING("");
  EXPECT_EQ((LIST{"a", "b", "c", "m"}), Keys(h));
  ASSERT_EQ(1, h.Save(Path("out.cfg").c_str()));
  EXPECT_EQ("a=1\r\nb=\r\nc=3\r\nm=\r\n", Read("out.cfg"));

  ASSERTRECORDER asserts;
  h.LockTable = true;
  h["a"] = "changed";
  EXPECT_EQ("", asserts.Take());
  h["locked"];
  ASSERT_EQ(1u, asserts.All().size());
  EXPECT_EQ("!this->LockTable", asserts.All()[0].condition);
  EXPECT_EQ("locked", asserts.All()[0].info);
}

TEST_F(HashFile, CanonicalFileRoundTripsByteForByte) {
  const std::string canonical =
      "#Handle=5\r\n"
      "#Key=ABCD-1234\r\n"
      "AppName=Demo \\x3d Test\r\n"
      "bin=={{AAEC/w==}}\r\n"
      "empty=\r\n"
      "Folder=C:\\\\Program Files\\\\Demo\r\n"
      "Lines=one\\r\\ntwo\\ttab\\x7bx\\x7d\\0\\z\r\n"
      "Umlaut=\\xe4\\xf6\r\n";
  HASH h = LoadText(canonical);
  EXPECT_EQ(5, h.Handle);
  EXPECT_EQ("ABCD-1234", Bytes(h.Key));
  EXPECT_EQ(std::string("\x00\x01\x02\xff", 4), Bytes(h["bin"]));
  EXPECT_EQ(STRINGFLAG_BASE64, h["bin"].Flags & STRINGFLAG_BASE64);
  EXPECT_EQ(std::string("one\r\ntwo\ttab{x}\0\x1a", 17), Bytes(h["Lines"]));
  ASSERT_EQ(1, h.Save(Path("out.cfg").c_str()));
  EXPECT_EQ(canonical, Read("out.cfg"));

  // Comments, blank lines and the file order are not part of the store: a hand-written file
  // comes back in the canonical form, which then stays stable.
  HASH edited = LoadText(
      "// settings\r\n\r\nUmlaut=\\xe4\\xf6\r\n#key=ABCD-1234\r\n# order does not matter\r\n"
      "Lines=one\\r\\ntwo\\ttab\\x7bx\\x7d\\0\\z\r\nbin=={{AAEC/w==}}\r\n#HANDLE=5\r\n"
      "AppName=Demo \\x3d Test\r\nFolder=C:\\\\Program Files\\\\Demo\r\nempty=\r\n");
  ASSERT_EQ(1, edited.Save(Path("edited.cfg").c_str()));
  EXPECT_EQ(canonical, Read("edited.cfg"));
}

TEST_F(HashFile, KeyLineReadsBackWhatWasSet) {
  struct CASE {
    const char* key;
    const char* line;
  } cases[] = {
      {"ABCD-1234 \xe4=x", "#Key=ABCD-1234 \xe4=x\r\n"},
      {"C:\\key", "#Key=C:\\\\key\r\n"},
      {"two\nlines", "#Key=two\\nlines\r\n"},
  };
  for (const CASE& c : cases) {
    HASH h;
    h.SetKey(c.key);
    ASSERT_EQ(1, h.Save(Path("key.cfg").c_str()));
    EXPECT_EQ(c.line, Read("key.cfg"));
    HASH back;
    ASSERT_TRUE(back.Load(Path("key.cfg").c_str()));
    EXPECT_EQ(c.key, Bytes(back.Key));
  }
}

TEST_F(HashFile, LoadReplacesTheStoreButKeepsAnEarlierKey) {
  HASH h = LoadText("#Key=first\n#Handle=7\nold=1\n");
  EXPECT_EQ(7, h.Handle);
  Write("second.cfg", "new=2\n");
  ASSERT_TRUE(h.Load(Path("second.cfg").c_str()));
  EXPECT_EQ(LIST{"new"}, Keys(h));
  EXPECT_EQ(0, h.Handle);
  EXPECT_EQ("first", Bytes(h.Key));

  LOGCAPTURE log("hash_load.log");
  EXPECT_FALSE(h.Load(Path("missing.cfg").c_str()));
  EXPECT_EQ(LIST{"new"}, Keys(h)) << "an unreadable file leaves the store unchanged";
  EXPECT_EQ("first", Bytes(h.Key));
  std::string text = log.Text();
  EXPECT_NE(std::string::npos, text.find("HASH::Load " + Path("missing.cfg") + "\r\n"));
  EXPECT_NE(std::string::npos, text.find("HASH::Load returns 0, "));
}

TEST_F(HashFile, FailedSavesLeaveTheOldFileAlone) {
  const std::string old = "keep=this\r\n";
  Write("target.cfg", old);
  HASH h = LoadText("new=content\n");

  // A read-only target cannot be replaced.
  ASSERT_TRUE(SetFileAttributesA(Path("target.cfg").c_str(), FILE_ATTRIBUTE_READONLY));
  LOGCAPTURE log("hash_save.log");
  EXPECT_EQ(0, h.Save(Path("target.cfg").c_str()));
  EXPECT_EQ(old, Read("target.cfg"));
  EXPECT_EQ((LIST{"in.cfg", "target.cfg"}), Files()) << "no temporary file stays behind";

  // A folder that does not exist.
  EXPECT_EQ(0, h.Save((Path("nowhere") + "\\target.cfg").c_str()));
  std::string text = log.Text();
  EXPECT_NE(std::string::npos, text.find("HASH::Save " + Path("target.cfg") + "\r\n"));
  EXPECT_NE(std::string::npos, text.find("HASH::Save returns 0\r\n"));

  // The same save goes through once the target may be written.
  ASSERT_TRUE(SetFileAttributesA(Path("target.cfg").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(1, h.Save(Path("target.cfg").c_str()));
  EXPECT_EQ("new=content\r\n", Read("target.cfg"));
  EXPECT_EQ((LIST{"in.cfg", "target.cfg"}), Files());
}

TEST_F(HashFile, SaveByRelativeAndAbsolutePaths) {
  HASH h;
  h["k"] = "v";
  DeleteFileA("hash_plain.cfg");
  ASSERT_EQ(1, h.Save("hash_plain.cfg"));
  STRING content;
  ASSERT_EQ(1, content.Load("hash_plain.cfg", "rb"));
  EXPECT_EQ("k=v\r\n", Bytes(content));
  DeleteFileA("hash_plain.cfg");

  char full[MAX_PATH];
  ASSERT_NE(0u, GetFullPathNameA(Path("abs.cfg").c_str(), MAX_PATH, full, nullptr));
  ASSERT_EQ(1, h.Save(full));
  EXPECT_EQ("k=v\r\n", Read("abs.cfg"));
  EXPECT_EQ(LIST{"abs.cfg"}, Files());
}

TEST(Hash, CopiesAreIndependent) {
  HASH h;
  h["a"] = "1";
  h.Handle = 3;
  h.SetKey("secret");
  h.LockTable = true;
  HASH copy(h);
  copy["a"] = "2";
  EXPECT_EQ("1", Bytes(h["a"]));
  EXPECT_EQ(3, copy.Handle);
  EXPECT_EQ("secret", Bytes(copy.Key));
  EXPECT_TRUE(copy.LockTable);
  EXPECT_STREQ("HASH-KEYS", copy.Keys.TypeName);
  EXPECT_STREQ("HASH-VALUES", copy.Values.TypeName);
  HASH assigned;
  assigned["z"] = "9";
  assigned = h;
  EXPECT_EQ(LIST{"a"}, Keys(assigned));
}

TEST(Hash, ConcurrentLookupsKeepTheKeysSorted) {
  HASH h;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; t++)
    threads.emplace_back([&h, t] {
      for (int i = 0; i < 100; i++) {
        STRING key;
        key.Format("k%03d", (i * 7 + t * 13) % 150);
        h[key] = key;
      }
    });
  for (std::thread& th : threads) th.join();
  LIST keys = Keys(h);
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
  EXPECT_EQ(std::adjacent_find(keys.begin(), keys.end()), keys.end()) << "no key twice";
  for (const std::string& k : keys) EXPECT_EQ(k, Bytes(h[k.c_str()]));
}

}  // namespace
