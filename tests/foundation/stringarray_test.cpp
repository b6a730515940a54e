#include "foundation/stringarray.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "support/assertrecorder.h"
#include "support/testfiles.h"

namespace {

std::vector<std::string> Items(const STRINGARRAY& a) {
  std::vector<std::string> items;
  for (int i = 0; i < a.Count(); i++) {
    const STRING& s = a.Get(i);
    items.push_back(s.NotNull() ? std::string(s.c_str(), s.Length()) : "(null)");
  }
  return items;
}

typedef std::vector<std::string> LIST;

TEST(StringArraySplit, SegmentsIncludingEmptyOnes) {
  struct CASE {
    const char* text;
    const char* separators;
    LIST items;
  } cases[] = {
      {"a\nb\n", "\n", {"a", "b", ""}},
      {"", "\n", {""}},
      {"one", "|", {"one"}},
      {"|x||", "|", {"", "x", "", ""}},
      {"a|b;c", "|;", {"a", "b", "c"}},
  };
  for (const CASE& c : cases) EXPECT_EQ(c.items, Items(STRINGARRAY(STRING(c.text), c.separators))) << c.text;

  ASSERTRECORDER asserts;
  STRINGARRAY none((STRING()), "|");
  EXPECT_EQ(0, none.Count());
  EXPECT_EQ("source.NotNull()", asserts.Take());
}

TEST(StringArrayBasics, GrowthCopiesAndClear) {
  STRINGARRAY a;
  EXPECT_EQ(64, a.MaxItems);
  EXPECT_STREQ("STRINGARRAY", a.TypeName);
  for (int i = 0; i < 65; i++) a.Add(STRING(i));
  EXPECT_EQ(128, a.MaxItems) << "65 items grow the array once";
  EXPECT_EQ(65, a.Count());
  EXPECT_EQ("64", Items(a)[64]);

  a.Insert(0, "first");
  a.Insert(2, "third");
  a.Swap(0, 1);
  LIST items = Items(a);
  EXPECT_EQ((LIST{"0", "first", "third", "1"}), LIST(items.begin(), items.begin() + 4));

  STRINGARRAY copy(a);
  copy.Get(0) = "changed";
  EXPECT_EQ("0", Items(a)[0]) << "a copy owns its own items";
  EXPECT_EQ(a.MaxItems, copy.MaxItems);
  EXPECT_EQ(a.Count(), copy.Count());

  STRINGARRAY assigned;
  assigned.Add("old");
  assigned = copy;
  EXPECT_EQ(Items(copy), Items(assigned));

  LOGCAPTURE log("stringarray_delete.log");
  a.DeleteItem(1);
  EXPECT_EQ("third", Items(a)[1]);
  EXPECT_NE(std::string::npos, log.Text().find("DYNARRAY::DeleteItem is called for pitem=0x"));

  a.Clear();
  EXPECT_EQ(0, a.Count());
  EXPECT_EQ(0, a.MaxItems);
  a.Add("again");
  EXPECT_EQ(64, a.MaxItems) << "the next insertion allocates GrowBy slots";
  EXPECT_EQ(LIST{"again"}, Items(a));
}

TEST(StringArrayBasics, BadPositionsStayInsideTheSlots) {
  ASSERTRECORDER asserts;
  STRINGARRAY a;
  for (const char* s : {"a", "b", "c", "d", "e"}) a.Add(s);

  STRING& outside = a.Get(5);
  EXPECT_FALSE(outside.NotNull());
  outside = "written";
  EXPECT_FALSE(a.Get(-1).NotNull()) << "the spare item is fresh each time";
  ASSERT_EQ(2u, asserts.All().size());
  EXPECT_EQ("FALSE", asserts.All()[0].condition);
  EXPECT_EQ(0u, asserts.All()[0].info.find("i= 5, max= 64, count= 5, type= STRINGARRAY, this= "));
  asserts.Take();

  a.Insert(7, "late");
  EXPECT_EQ("pos>=0 && pos<=this->ItemCount", asserts.All().at(0).condition);
  EXPECT_EQ("7/5", asserts.All().at(0).info);
  asserts.Take();
  a.Swap(0, 9);
  a.Swap(-1, 0);
  a.DeleteItem(6);
  EXPECT_EQ("pos2>=0 && pos2<this->ItemCount|pos1>=0 && pos1<this->ItemCount|pos>=0 && pos<this->ItemCount",
            asserts.Take());
  EXPECT_EQ((LIST{"a", "b", "c", "d", "e", "late"}), Items(a)) << "the item is kept at the end";

  DYNARRAY<STRING> full(1, 0);
  full.Add("one");
  full.Add("two");
  EXPECT_EQ(1, full.Count());
  EXPECT_EQ(1, full.MaxItems);
  EXPECT_EQ("this->ItemCount<this->MaxItems", asserts.Take());
  EXPECT_EQ(0, full.Compare("a", "b", 0));
  EXPECT_EQ("FALSE", asserts.Take());
}

TEST(StringArrayBasics, CompareFlags) {
  STRINGARRAY a;
  struct CASE {
    const char* x;
    const char* y;
    int flags;
    int sign;
  } cases[] = {
      {"10", "9", STRINGARRAY_NUMERIC, 1}, {"10", "9", 0, -1},
      {"a", "B", 0, 1},                    {"a", "B", STRINGARRAY_NOCASE, -1},
      {"abc", "ABC", STRINGARRAY_NOCASE, 0}, {"ab", "abc", 0, -1},
      {" -3", "2", STRINGARRAY_NUMERIC, -1},
  };
  for (const CASE& c : cases) {
    int rc = a.Compare(c.x, c.y, c.flags);
    EXPECT_EQ(c.sign, (rc > 0) - (rc < 0)) << c.x << " " << c.y << " " << c.flags;
  }
}

TEST(StringArrayBasics, ConcurrentAddsAreSerialised) {
  STRINGARRAY a;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; t++)
    threads.emplace_back([&a, t] {
      for (int i = 0; i < 300; i++) a.Add(STRING(t * 1000 + i));
    });
  for (std::thread& th : threads) th.join();
  ASSERT_EQ(1200, a.Count());
  std::vector<int> seen(4000, 0);
  for (int i = 0; i < a.Count(); i++) seen.at(a.Get(i).ToInt())++;
  for (int t = 0; t < 4; t++)
    for (int i = 0; i < 300; i++) EXPECT_EQ(1, seen[t * 1000 + i]);
}

// ---------------------------------------------------------------------------------------------
class StringArrayLoad : public ::testing::Test {
protected:
  void SetUp() override { EmptyFolder("arrayfiles"); }
  static void Write(const std::string& bytes) { ASSERT_TRUE(WriteFileBytes(kFile, bytes)); }
  static constexpr const char* kFile = "arrayfiles\\lines.txt";
};

TEST_F(StringArrayLoad, LinesComeFirstInFileOrder) {
  struct CASE {
    std::string content;
    int unescape;
    LIST items;
  } cases[] = {
      {"one\r\ntwo\r\n\r\nlast", 0, {"one", "two", "", "last", "held"}},
      {"one\ntwo\n", 0, {"one", "two", "held"}},
      {"\n\n", 0, {"", "", "held"}},
      {"", 0, {"held"}},
      {"a\\tb\r\nc\\\\d\n", 1, {"a\tb", "c\\d", "held"}},
      {"a\\tb\r\n", 0, {"a\\tb", "held"}},
      {"lone\rcr\n", 0, {"lone\rcr", "held"}},
  };
  for (const CASE& c : cases) {
    Write(c.content);
    STRINGARRAY a;
    a.Add("held");
    EXPECT_EQ(static_cast<int>(c.items.size()) - 1, a.Load(kFile, c.unescape)) << c.content;
    EXPECT_EQ(c.items, Items(a)) << c.content;
  }
}

TEST_F(StringArrayLoad, LongLinesStayWhole) {
  std::string longLine;
  for (int i = 0; i < 14000; i++) longLine += "line" + std::to_string(i % 10) + ",";
  ASSERT_GT(longLine.size(), 2u * 32766);
  // A line feed exactly at the end of one read must not produce an empty extra line.
  std::string exact(32765, 'e');
  Write(longLine + "\n" + exact + "\nafter\n");
  STRINGARRAY a;
  EXPECT_EQ(3, a.Load(kFile, 0));
  EXPECT_EQ((LIST{longLine, exact, "after"}), Items(a));
}

TEST_F(StringArrayLoad, MissingFileAddsNothingAndLogsTheReason) {
  LOGCAPTURE log("stringarray_load.log");
  STRINGARRAY a;
  a.Add("held");
  EXPECT_EQ(0, a.Load("arrayfiles\\missing.txt", 0));
  EXPECT_EQ(LIST{"held"}, Items(a));
  std::string text = log.Text();
  EXPECT_NE(std::string::npos, text.find("STRINGARRAY::Load arrayfiles\\missing.txt (-1 bytes)\r\n"));
  size_t at = text.find("STRINGARRAY::Load returns 0, ");
  ASSERT_NE(std::string::npos, at);
  std::string reason = text.substr(at + 29, text.find("\r\n", at) - at - 29);
  EXPECT_FALSE(reason.empty());
  EXPECT_NE("<no error>", reason);
}

}  // namespace
