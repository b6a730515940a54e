#include "foundation/strings.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "support/assertrecorder.h"
#include "support/testfiles.h"

namespace {

std::string Bytes(const STRING& s) { return s.NotNull() ? std::string(s.c_str(), s.Length()) : "(null)"; }

STRING FromBytes(const std::string& b) { return STRING(b.data(), static_cast<int>(b.size())); }

// ---------------------------------------------------------------------------------------------
TEST(StringGrowth, BufferSizesFollowTheBlockRule) {
  struct CASE {
    int length;
    int bufLen;
    int blockSize;
  } cases[] = {
      {0, 96, 96},      {3, 96, 96},       {94, 96, 96},     {95, 192, 96},
      {190, 192, 96},   {191, 288, 96},    {1100, 1152, 1024}, {5000, 5088, 2048},
      {9000, 9024, 4096},
  };
  for (const CASE& c : cases) {
    STRING s;
    s.Make(c.length);
    EXPECT_EQ(c.bufLen, s.BufLen) << c.length;
    EXPECT_EQ(c.blockSize, s.BlockSize) << c.length;
    EXPECT_EQ(c.length, s.Length());
    EXPECT_EQ(0u, s.Flags & STRINGFLAG_DYNABLOCK) << c.length;
  }
  STRING abc("abc");
  EXPECT_EQ(96, abc.BufLen);
  STRING long95(std::string(95, 'x').c_str());
  EXPECT_EQ(192, long95.BufLen);
}

TEST(StringGrowth, LargeBuffersSwitchToDynamicBlocksAndLogIt) {
  LOGCAPTURE log("strings_dynablock.log");
  STRING s;
  s.Make(0);
  std::string expected;
  for (int i = 0; s.Length() < 40000; i++) {
    std::string piece = std::to_string(i) + ",";
    s.Append(piece.c_str());
    expected += piece;
  }
  EXPECT_TRUE(s.Flags & STRINGFLAG_DYNABLOCK);
  EXPECT_EQ(expected, Bytes(s));
  EXPECT_LT(s.Length(), s.BufLen);
  EXPECT_EQ(0, s.c_str()[s.Length()]);

  // Next growth: buffer 65528, half of it rounded up to whole KB.
  STRING big;
  big.Make(40000);
  EXPECT_EQ(16382, big.BlockSize);
  big.Make(60000);
  EXPECT_EQ(65528, big.BufLen);
  EXPECT_EQ(32768, big.BlockSize);
  big.Make(300000);
  EXPECT_EQ(0x20000, big.BlockSize);

  std::string text = log.Text();
  EXPECT_NE(std::string::npos, text.find("STRING::Make Upgrade String to STRINGFLAG_DYNABLOCK\r\n"));
  EXPECT_NE(std::string::npos, text.find("STRING::Make STRINGFLAG_DYNABLOCK new blocksize 32768\r\n"));
}

TEST(StringGrowth, ShrinkingClearsTheRemovedBytes) {
  STRING s("abcdef");
  s.SetLength(2);
  EXPECT_EQ("ab", Bytes(s));
  s.Make(5);  // grows again without data: the old bytes must not come back
  EXPECT_EQ(std::string("ab\0\0\0", 5), Bytes(s));
}

TEST(StringPool, ConcurrentShortStringsStayIntact) {
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; t++) {
    threads.emplace_back([t, &failures] {
      for (int i = 0; i < 20000; i++) {
        STRING a;
        a.Format("%d-%d", t, i);
        STRING b(a);
        if (b != a || a.BufLen != 96) failures[t]++;
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(std::vector<int>(4, 0), failures);
}

// ---------------------------------------------------------------------------------------------
TEST(StringState, NullDiffersFromEmpty) {
  STRING null, empty(""), other;
  EXPECT_FALSE(null.NotNull());
  EXPECT_TRUE(empty.NotNull());
  EXPECT_TRUE(null.IsEmpty());
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_TRUE(null == other);
  EXPECT_FALSE(null == empty);
  EXPECT_TRUE(null != "");
  EXPECT_TRUE(null == static_cast<const char*>(nullptr));
  EXPECT_TRUE(STRING("ABC") == "abc");
  EXPECT_TRUE(STRING("ABC") == STRING("abc"));
  EXPECT_FALSE(STRING("abc") == "abcd");

  null.Append("");
  EXPECT_TRUE(null.NotNull()) << "appending makes a value, even an empty one";
  empty.Free();
  EXPECT_FALSE(empty.NotNull());
  EXPECT_EQ(0, empty.Length());
}

TEST(StringState, CopyAndAssignmentKeepTheirBlockSizeAndTakeTheFlags) {
  STRING source(BINARY::BLOCKSIZE, 200);
  source = "data";
  source.Flags = STRINGFLAG_BASE64;
  STRING copy(source);
  EXPECT_EQ(200, copy.BlockSize);
  EXPECT_EQ(STRINGFLAG_BASE64, copy.Flags);

  STRING target(STRING::BLOCKSIZE, 50);
  target = source;
  EXPECT_EQ(50, target.BlockSize);
  EXPECT_EQ(STRINGFLAG_BASE64, target.Flags);
  EXPECT_EQ("data", Bytes(target));

  target = target;
  EXPECT_EQ("data", Bytes(target));
  target = STRING();
  EXPECT_FALSE(target.NotNull());
  EXPECT_EQ(0u, target.Flags);

  STRING moved(std::move(copy));
  EXPECT_EQ("data", Bytes(moved));
  EXPECT_FALSE(copy.NotNull());

  EXPECT_EQ("-42", Bytes(STRING(-42)));
  EXPECT_EQ("4000000000", Bytes(STRING(4000000000UL)));
  EXPECT_EQ(std::string("a\0b", 3), Bytes(STRING("a\0b", 3)));
  EXPECT_FALSE(STRING(static_cast<const char*>(nullptr)).NotNull());
}

TEST(StringCompare, CaseInsensitiveOrderAndNullAsSubstitute) {
  struct CASE {
    const char* a;
    const char* b;
    int order;  // sign of a compared to b
  } cases[] = {
      {"abc", "ABD", -1}, {"B", "a", 1}, {"abc", "ABC", 0}, {"ab", "abc", -1},
      // letters fold to lower case, so "_" (0x5F) sorts before every letter
      {"_", "a", -1},     {"_", "A", -1}, {"\xe4", "\xc4", 1},  // only A-Z fold
  };
  for (const CASE& c : cases) {
    STRING a(c.a);
    EXPECT_EQ(c.order < 0, a < c.b) << c.a << " " << c.b;
    EXPECT_EQ(c.order > 0, a > STRING(c.b)) << c.a << " " << c.b;
    EXPECT_EQ(c.order == 0, a == c.b) << c.a << " " << c.b;
  }
  STRING null;
  EXPECT_TRUE(null < "a");                 // reads as "<NULL>"
  EXPECT_FALSE(null < "<null>");
  EXPECT_FALSE(null > "<NULL>");
}

TEST(StringConcat, NullOperands) {
  STRING null, x("x");
  EXPECT_EQ("x<NULL>", Bytes(x || null));
  EXPECT_EQ("x", Bytes(null || x));
  EXPECT_EQ("ab", Bytes("a" || STRING("b")));
  EXPECT_EQ("ab", Bytes(STRING("a") || "b"));
  EXPECT_EQ("x<NULL>", Bytes(x || static_cast<const char*>(nullptr)));
  EXPECT_EQ(96, (null || x).BlockSize);
}

// ---------------------------------------------------------------------------------------------
TEST(StringEdit, AccessAndEditingTable) {
  struct CASE {
    const char* name;
    void (*op)(STRING&);
    const char* result;
    const char* assertion;
  } cases[] = {
      {"DeleteLeft 2", [](STRING& s) { s.DeleteLeft(2); }, "cdef", ""},
      {"DeleteLeft all", [](STRING& s) { s.DeleteLeft(9); }, "", ""},
      {"DeleteLeft -1", [](STRING& s) { s.DeleteLeft(-1); }, "abcdef", "howmany>=0"},
      {"DeleteRight 2", [](STRING& s) { s.DeleteRight(2); }, "abcd", ""},
      {"DeleteRight all", [](STRING& s) { s.DeleteRight(6); }, "", ""},
      {"Delete middle", [](STRING& s) { s.Delete(2, 1); }, "adef", ""},
      {"Delete to end", [](STRING& s) { s.Delete(10, 4); }, "abcd", ""},
      {"Delete past end", [](STRING& s) { s.Delete(1, 6); }, "abcdef", ""},
      {"Delete -1", [](STRING& s) { s.Delete(-1, 0); }, "abcdef", "howmany>=0"},
      {"InsertChars", [](STRING& s) { s.InsertChars(2, 1, '-'); }, "a--bcdef", ""},
      {"InsertChars at end", [](STRING& s) { s.InsertChars(2, 6, '-'); }, "abcdef", ""},
      {"InsertChars -1", [](STRING& s) { s.InsertChars(-1, 0, '-'); }, "abcdef", "howmany>=0"},
      {"Insert", [](STRING& s) { s.Insert("XY", 0); }, "XYabcdef", ""},
      {"Insert at end", [](STRING& s) { s.Insert("XY", 6); }, "abcdefXY", ""},
      {"Insert past end", [](STRING& s) { s.Insert("XY", 7); }, "abcdef", ""},
      {"Insert own buffer", [](STRING& s) { s.Insert(s.c_str(), 1); }, "abcdef", "text!=this->Buffer"},
      {"Insert own tail", [](STRING& s) { s.Insert(s.c_str() + 4, 0); }, "efabcdef", ""},
      {"SetLength", [](STRING& s) { s.SetLength(3); }, "abc", ""},
      {"SetLength longer", [](STRING& s) { s.SetLength(10); }, "abcdef", ""},
      {"SetLength -1", [](STRING& s) { s.SetLength(-1); }, "abcdef", "newlength>=0"},
      {"Append own", [](STRING& s) { s.Append(s); }, "abcdefabcdef", ""},
      {"Append n", [](STRING& s) { s.Append("xyz", 2); }, "abcdefxy", ""},
      {"Append null", [](STRING& s) { s.Append(static_cast<const char*>(nullptr)); }, "abcdef<NULL>", ""},
      {"Append null STRING", [](STRING& s) { s.Append(STRING()); }, "abcdef<NULL>", ""},
      {"ToUpper", [](STRING& s) { s.Append("\xe4"); s.ToUpper(); }, "ABCDEF\xe4", ""},
      {"ToLower", [](STRING& s) { s = "AbC\xc4"; s.ToLower(); }, "abc\xc4", ""},
      {"At", [](STRING& s) { s.At(1) = 'B'; }, "aBcdef", ""},
      {"At out of range", [](STRING& s) { s.At(6) = 'x'; }, "abcdef", "i>=0 && i<this->StrLen"},
      {"At negative", [](STRING& s) { s.At(-1) = 'x'; }, "abcdef", "i>=0 && i<this->StrLen"},
      {"AtEnd terminator", [](STRING& s) { EXPECT_EQ(0, s.AtEnd(6)); }, "abcdef", ""},
      {"AtEnd past", [](STRING& s) { EXPECT_EQ(0, s.AtEnd(7)); }, "abcdef", "i>=0 && i<=this->StrLen"},
  };
  ASSERTRECORDER asserts;
  for (const CASE& c : cases) {
    STRING s("abcdef");
    c.op(s);
    EXPECT_EQ(c.result, Bytes(s)) << c.name;
    EXPECT_EQ(0, s.c_str()[s.Length()]) << c.name;
    EXPECT_EQ(c.assertion, asserts.Take()) << c.name;
  }
}

TEST(StringEdit, OutOfRangeAtReportsAndHandsOutAZeroByte) {
  ASSERTRECORDER asserts;
  STRING null;
  char& spare = null.At(0);
  EXPECT_EQ(0, spare);
  spare = 'x';
  EXPECT_EQ(0, STRING("ab").At(5)) << "the spare byte is cleared each time";
  ASSERT_EQ(2u, asserts.All().size());
  EXPECT_EQ("i= 5, len= 2, buf= ab", asserts.All()[1].info);
}

TEST(StringSearch, PosAndSubstrings) {
  STRING s("abcABCabc");
  struct CASE {
    const char* text;
    int start;
    int pos;
    int ipos;
  } cases[] = {
      {"bc", 0, 1, 1}, {"BC", 0, 4, 1}, {"bc", 2, 7, 4}, {"x", 0, -1, -1},
      {"", 3, 3, 3},   {"", 9, -1, -1}, {"abc", 9, -1, -1}, {"c", 8, 8, 8}, {"bc", -5, 1, 1},
  };
  for (const CASE& c : cases) {
    EXPECT_EQ(c.pos, s.Pos(c.text, c.start)) << c.text << "@" << c.start;
    EXPECT_EQ(c.ipos, s.iPos(c.text, c.start)) << c.text << "@" << c.start;
  }
  int where = 99;
  EXPECT_TRUE(s.iFind("CA", &where));
  EXPECT_EQ(2, where);
  EXPECT_FALSE(s.Find("CA", &where));
  EXPECT_EQ(-1, where);
  EXPECT_EQ(2, STRING("a\0b", 3).Pos("b")) << "bytes after a zero byte are searched too";

  STRING abc("abc");
  EXPECT_EQ("", Bytes(abc.Mid(10)));
  EXPECT_TRUE(abc.Mid(10).NotNull());
  EXPECT_EQ("bc", Bytes(abc.Mid(1)));
  EXPECT_EQ("b", Bytes(abc.Mid(1, 1)));
  EXPECT_EQ("bc", Bytes(abc.Mid(1, 50)));
  EXPECT_EQ("abc", Bytes(abc.Left(5)));
  EXPECT_EQ("ab", Bytes(abc.Left(2)));
  EXPECT_EQ("bc", Bytes(abc.Right(2)));
  EXPECT_EQ("abc", Bytes(abc.Right(7)));
  EXPECT_EQ("", Bytes(STRING().Mid(0)));
}

TEST(StringSearch, ReplaceTable) {
  struct CASE {
    const char* text;
    const char* find;
    const char* with;
    int caseSensitive;
    const char* result;
  } cases[] = {
      {"aaa", "a", "aa", 1, "aaaaaa"},
      {"a-b-c", "-", "", 1, "abc"},
      {"xAx", "a", "b", 1, "xAx"},
      {"xAxa", "a", "b", 0, "xbxb"},
      {"abc", "", "x", 1, "abc"},
      {"abc", "b", "b", 1, "abc"},
      {"$PROG runs $PROG", "$PROG", "setup.exe", 1, "setup.exe runs setup.exe"},
      {"abab", "ab", "b", 1, "bb"},
  };
  for (const CASE& c : cases) {
    STRING s(c.text);
    s.Replace(c.find, c.with, c.caseSensitive);
    EXPECT_EQ(c.result, Bytes(s)) << c.text << " " << c.find << "->" << c.with;
  }
}

TEST(StringSearch, StripTable) {
  struct CASE {
    char how;
    const char* text;
    const char* result;
  } cases[] = {
      {'B', "  x\t", "x"}, {'b', " \t x y \t", "x y"}, {'L', "  x ", "x "},
      {'R', "  x ", "  x"}, {'B', " \t ", ""},       {'B', "x", "x"},
  };
  for (const CASE& c : cases) {
    STRING s(c.text);
    s.Strip(c.how, " \t");
    EXPECT_EQ(c.result, Bytes(s)) << c.how << "[" << c.text << "]";
  }
  ASSERTRECORDER asserts;
  STRING s(" x ");
  s.Strip('X', " ");
  EXPECT_EQ(" x ", Bytes(s));
  EXPECT_EQ("how=='L' || how=='R' || how=='B'", asserts.Take());
  STRING null;
  null.Strip('B', " ");
  EXPECT_FALSE(null.NotNull());
}

TEST(StringTokens, GetTokenTable) {
  struct CASE {
    const char* text;  // null: a null string
    const char* separators;
    int n;
    unsigned flags;
    const char* token;  // "(null)" for a null result
  } cases[] = {
      {"a|b||c", "|", 0, 0, "a"},
      {"a|b||c", "|", 1, 0, "b"},
      {"a|b||c", "|", 2, 0, ""},
      {"a|b||c", "|", 3, 0, "c"},
      {"a|b||c", "|", 4, 0, "(null)"},
      {"a|b||c", "|", 4, GETTOKEN_NOTNULL, ""},
      {"a|b||c", "|", 1, GETTOKEN_REST, "b||c"},
      {"a|b||c", "|", -1, 0, "(null)"},
      {"|a", "|", 0, 0, ""},
      {"a|", "|", 1, 0, ""},
      {"a|", "|", 2, 0, "(null)"},
      {"x;y|z", "|;", 1, 0, "y"},
      {"x;y|z", "|;", 2, 0, "z"},
      {"", "|", 0, 0, ""},
      {"", "|", 1, 0, "(null)"},
      {nullptr, "|", 0, 0, "(null)"},
      {nullptr, "|", 3, 0, "(null)"},
      {nullptr, "|", 0, GETTOKEN_NOTNULL, ""},
      {nullptr, "|", 2, GETTOKEN_NOTNULL | GETTOKEN_REST, ""},
  };
  for (const CASE& c : cases) {
    STRING s(c.text);
    STRING token = s.GetToken(c.n, c.separators, c.flags);
    EXPECT_EQ(c.token, Bytes(token)) << (c.text ? c.text : "null") << " #" << c.n << " " << c.flags;
  }
  // A zero byte inside the text is no separator.
  EXPECT_EQ(std::string("a\0b", 3), Bytes(STRING("a\0b|c", 5).GetToken(0, "|")));
  STRING lines("one\ntwo\n");
  EXPECT_EQ("two", Bytes(lines.GetLine(1)));
  EXPECT_EQ("", Bytes(lines.GetLine(2)));
}

// ---------------------------------------------------------------------------------------------
TEST(StringFormat, LimitsRaiseTheAssertionAndKeepTheWholeText) {
  ASSERTRECORDER asserts;
  STRING s("old");
  EXPECT_EQ(6, s.Format("%s=%d", "key", 42));
  EXPECT_EQ("key=42", Bytes(s));
  s.AppendFormat("/%05.1f", 2.5);
  EXPECT_EQ("key=42/002.5", Bytes(s));

  std::string fits(2046, 'f'), tooLong(2047, 'g');
  s.Format("%s", fits.c_str());
  EXPECT_EQ(fits, Bytes(s));
  EXPECT_EQ("", asserts.Take());
  s.Format("%s", tooLong.c_str());
  EXPECT_EQ(tooLong, Bytes(s));
  EXPECT_EQ("rc<sizeof(buf)-1", asserts.Take());

  std::string appendFits(4094, 'a'), appendTooLong(4095, 'b');
  s = "<";
  s.AppendFormat("%s", appendFits.c_str());
  EXPECT_EQ("", asserts.Take());
  s.AppendFormat("%s", appendTooLong.c_str());
  EXPECT_EQ("<" + appendFits + appendTooLong, Bytes(s));
  EXPECT_EQ("rc<sizeof(buf)-1", asserts.Take());
}

TEST(StringConvert, NumbersTable) {
  struct CASE {
    const char* text;
    int i;
    double d;
  } cases[] = {
      {"42", 42, 42},         {"  -17abc", -17, -17}, {"+8", 8, 8},       {"abc", 0, 0},
      {"", 0, 0},             {"1.5e3", 1, 1500},     {"-.25", 0, -0.25}, {"3e", 3, 3},
      {"inf", 0, 0},          {"nan", 0, 0},          {"0x10", 0, 0},     {nullptr, 0, 0},
  };
  for (const CASE& c : cases) {
    STRING s(c.text);
    EXPECT_EQ(c.i, s.ToInt()) << (c.text ? c.text : "null");
    EXPECT_DOUBLE_EQ(c.d, s.ToDouble()) << (c.text ? c.text : "null");
  }
}

TEST(StringConvert, SetWideAndHex) {
  STRING w;
  w.SetWide("ab\xe4");
  EXPECT_EQ(std::string("a\0b\0\xe4\0", 6), Bytes(w));
  EXPECT_EQ(0, w.c_str()[6]);
  EXPECT_EQ(0, w.c_str()[7]);
  EXPECT_EQ(L"ab\xe4", std::wstring(reinterpret_cast<const wchar_t*>(w.c_str())));
  w.SetWide("abcdef", 2);
  EXPECT_EQ(4, w.Length());

  STRING hex;
  FromBytes(std::string("\x00\x7f\xff\x1a", 4)).ToHex(hex);
  EXPECT_EQ("007fff1a", Bytes(hex));
}

TEST(StringConvert, EscapeTableAndRoundTrip) {
  STRING out;
  FromBytes(std::string("a\\b\0\r\n\t\x1a\x7f\x80\x1f =}{", 15)).Escape(out, "={}");
  EXPECT_EQ("a\\\\b\\0\\r\\n\\t\\z\x7f\\x80\\x1f \\x3d\\x7d\\x7b", Bytes(out));

  std::string all;
  for (int c = 0; c < 256; c++) all += static_cast<char>(c);
  STRING escaped, back;
  FromBytes(all).Escape(escaped, "={}");
  for (unsigned char c : Bytes(escaped)) ASSERT_TRUE(c >= 32 && c <= 127 && c != '=' && c != '{' && c != '}');
  escaped.Unescape(back, 0);
  EXPECT_EQ(all, Bytes(back));

  STRING null;
  null.Escape(out, "");
  EXPECT_FALSE(out.NotNull());
}

TEST(StringConvert, UnescapeOfUnknownAndBrokenEscapes) {
  struct CASE {
    const char* text;
    int keepUnknown;
    std::string result;
    const char* assertion;
  } cases[] = {
      {"\\x3d", 0, "=", ""},
      {"a\\\\b", 0, "a\\b", ""},
      {"\\q", 1, "\\q", ""},
      {"\\q", 0, "q", "FALSE"},
      {"C:\\Program", 0, "C:Program", "FALSE"},
      {"end\\", 1, "end\\", ""},
      {"end\\", 0, "end", "FALSE"},
      {"\\x4", 0, "\x04", "isxdigit(xdigit[1])"},
      {"\\xg1", 0, std::string("\0g1", 3), "isxdigit(xdigit[0])"},
      {"\\x", 0, std::string(1, '\0'), "isxdigit(xdigit[0])"},
  };
  ASSERTRECORDER asserts;
  for (const CASE& c : cases) {
    STRING out;
    STRING(c.text).Unescape(out, c.keepUnknown);
    EXPECT_EQ(c.result, Bytes(out)) << c.text;
    EXPECT_EQ(c.assertion, asserts.Take()) << c.text;
  }
  STRING self("a\\tb");
  self.Unescape(self, 0);
  EXPECT_EQ("a\tb", Bytes(self));
}

TEST(StringConvert, Base64MatchesRfcVectors) {
  struct CASE {
    const char* plain;
    const char* encoded;
  } cases[] = {
      {"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},           {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
  };
  for (const CASE& c : cases) {
    STRING out, back;
    STRING(c.plain).ToBase64(out, 0);
    EXPECT_EQ(c.encoded, Bytes(out));
    out.FromBase64(back);
    EXPECT_EQ(c.plain, Bytes(back));
  }
  STRING out;
  FromBytes(std::string("\xff\xfe\x00", 3)).ToBase64(out, 0);
  EXPECT_EQ("//4A", Bytes(out));
}

TEST(StringConvert, Base64LineBreaksAndDecoderTolerance) {
  for (int length : {0, 1, 56, 57, 58, 114, 200}) {
    std::string data;
    for (int i = 0; i < length; i++) data += static_cast<char>(i * 7 + 3);
    STRING encoded, flat, back;
    FromBytes(data).ToBase64(encoded, 1);
    FromBytes(data).ToBase64(flat, 0);
    std::string text = Bytes(encoded);
    std::string joined;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find("\r\n", start);
      ASSERT_NE(std::string::npos, end) << "every line ends with CR LF";
      EXPECT_LE(end - start, 76u);
      EXPECT_GT(end - start, 0u);
      joined += text.substr(start, end - start);
      start = end + 2;
    }
    EXPECT_EQ(Bytes(flat), joined) << length;
    encoded.FromBase64(back);
    EXPECT_EQ(data, Bytes(back)) << length;
  }
  STRING out;
  STRING("Zm9v\r\n YmFy").FromBase64(out);
  EXPECT_EQ("foobar", Bytes(out));
  STRING("Zm8=Zm9v").FromBase64(out);
  EXPECT_EQ("fo", Bytes(out)) << "text after the first = is ignored";
  STRING("Zm9vY").FromBase64(out);
  EXPECT_EQ("foo", Bytes(out)) << "an unclosed last group gives nothing";
}

// ---------------------------------------------------------------------------------------------
class StringFile : public ::testing::Test {
protected:
  void SetUp() override { EmptyFolder(kDir); }
  static constexpr const char* kDir = "stringfiles";
  static constexpr const char* kFile = "stringfiles\\data.bin";
};

TEST_F(StringFile, SaveAndLoadInBinaryAndTextMode) {
  std::string data("line1\nline2\n\0\xff" "end", 17);
  LOGCAPTURE log("strings_file.log");
  ASSERT_EQ(1, FromBytes(data).Save(kFile, "wb"));
  EXPECT_EQ(data, ReadFileBytes(kFile));
  STRING text("a\nb\n");
  ASSERT_EQ(1, text.Save(kFile, "w"));
  EXPECT_EQ("a\r\nb\r\n", ReadFileBytes(kFile));
  ASSERT_EQ(1, STRING("c\n").Save(kFile, "a"));
  STRING loaded("previous");
  ASSERT_EQ(1, loaded.Load(kFile, "r"));
  EXPECT_EQ("a\nb\nc\n", Bytes(loaded));

  std::string big;
  for (int i = 0; i < 3000; i++) big += "0123456789";
  ASSERT_EQ(1, FromBytes(big).Save(kFile, "wb"));
  ASSERT_EQ(1, loaded.Load(kFile, "rb"));
  EXPECT_EQ(big, Bytes(loaded)) << "read in several chunks";
  std::string manyLines;
  for (int i = 0; i < 3000; i++) manyLines += "line " + std::to_string(i) + "\n";
  ASSERT_EQ(1, FromBytes(manyLines).Save(kFile, "w"));
  ASSERT_EQ(1, loaded.Load(kFile, "r"));
  EXPECT_EQ(manyLines, Bytes(loaded)) << "text mode over several chunks";

  std::string lines = log.Text();
  EXPECT_NE(std::string::npos, lines.find(std::string("BINARY::Save ") + kFile + "\r\n"));
  EXPECT_NE(std::string::npos, lines.find(std::string("BINARY::Load ") + kFile + " (9 bytes)\r\n"));
  EXPECT_NE(std::string::npos, lines.find(", 30000 bytes, "));
}

TEST_F(StringFile, FailuresLeaveTheContentAndReportZero) {
  LOGCAPTURE log("strings_filefail.log");
  STRING content("kept");
  EXPECT_EQ(0, content.Load("stringfiles\\missing.txt", "r"));
  EXPECT_EQ("kept", Bytes(content));
  EXPECT_EQ(0, content.Save("no-such-folder\\x.txt", "w"));

  // Load denies others writing, so it cannot open a file someone is writing.
  ASSERT_EQ(1, STRING("on disk").Save(kFile, "w"));
  HANDLE writer = CreateFileA(kFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, writer);
  EXPECT_EQ(0, content.Load(kFile, "r"));
  EXPECT_EQ("kept", Bytes(content));
  // Save denies others reading and writing, so an open reader keeps it out.
  EXPECT_EQ(0, content.Save(kFile, "w"));
  CloseHandle(writer);
  EXPECT_EQ("on disk", ReadFileBytes(kFile));

  std::string lines = log.Text();
  EXPECT_NE(std::string::npos, lines.find("BINARY::Load stringfiles\\missing.txt (-1 bytes)\r\n"));
  EXPECT_NE(std::string::npos, lines.find("BINARY::Save returns 00000000, -1 bytes, "));
}

// ---------------------------------------------------------------------------------------------
class StringNullMode : public ::testing::Test {
protected:
  // An absent variable keeps the mode, so the mode is set back to 0 before the variable goes.
  void TearDown() override {
    _putenv("ZOLANFAILONNULL=0");
    StringNullCheck(nullptr, "reset");
    _putenv("ZOLANFAILONNULL=");
  }
};

TEST_F(StringNullMode, ModesOfTheMissingText) {
  ASSERTRECORDER asserts;
  STRING null, x("x");
  _putenv("ZOLANFAILONNULL=1");
  EXPECT_EQ("x", Bytes(x || null));
  EXPECT_EQ(0, null.ToInt());
  EXPECT_EQ(0, x.Pos(nullptr));
  EXPECT_EQ("", asserts.Take());

  _putenv("ZOLANFAILONNULL=3");
  EXPECT_EQ("x", Bytes(x || null));
  ASSERT_EQ(1u, asserts.All().size());
  EXPECT_EQ("p!=NULL", asserts.All()[0].condition);
  EXPECT_EQ("STR::op2||", asserts.All()[0].info);
  asserts.Take();

  _putenv("ZOLANFAILONNULL=");
  EXPECT_EQ("x", Bytes(x || null)) << "an absent variable keeps the mode";
  EXPECT_EQ("p!=NULL", asserts.Take());
  _putenv("ZOLANFAILONNULL=0");
  EXPECT_EQ("x<NULL>", Bytes(x || null));
  EXPECT_EQ(-1, x.Pos(nullptr));
  EXPECT_EQ("", asserts.Take());
}

// Runs last in this file: the pool stays closed for the rest of the process, which only
// means that later buffers bypass it.
TEST(StringPoolShutdown, StringsWorkAfterThePoolIsClosed) {
  std::vector<STRING> pooled(200, STRING("pooled"));
  pooled.clear();
  STRING survivor("before");
  STRING::ShutdownPool();
  STRING::ShutdownPool();
  survivor.Append(" and after");
  STRING fresh("new");
  fresh.Free();
  EXPECT_EQ("before and after", Bytes(survivor));
}

}  // namespace
