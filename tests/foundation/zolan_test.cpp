// The process log and the assertion handler, checked through the files they really write.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <ctime>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "foundation/approot.h"
#include "foundation/zolan.h"
#include "platform/osys.h"
#include "support/testfiles.h"
#include "support/windriver.h"

namespace {

const char kFolder[] = "logtest";
const char kPrefix[] = R"(\[\d{4,}\.\d{2}:[0-9a-f]{4}\] )";

std::string Path(const char* name) { return std::string(kFolder) + "\\" + name; }

// Lines of a log file without their line ends (each line must end in CR LF).
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0, end;
  while ((end = text.find("\r\n", start)) != std::string::npos) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  EXPECT_EQ(start, text.size()) << "text after the last line end";
  return lines;
}

// The message of a log line after a well-formed prefix.
std::string Message(const std::string& line) {
  std::smatch m;
  EXPECT_TRUE(std::regex_search(line, m, std::regex(std::string("^") + kPrefix))) << line;
  return m.empty() ? line : line.substr(m.length(0));
}

std::string ThreadTag() {
  char tag[8];
  snprintf(tag, sizeof tag, ":%04lx] ", GetCurrentThreadId() & 0xFFFF);
  return tag;
}

// foundation_tests.exe logs by default to Zolan_FOUNDATION_TESTS_LOGIT.LOG in the documents.
std::string DefaultLogPath() {
  STRING folder = GetWin32SystemPath(SYSPATH_PERSONAL);
  return std::string(folder.c_str()) + "Zolan_FOUNDATION_TESTS_LOGIT.LOG";
}

class LogFile : public ::testing::Test {
protected:
  void SetUp() override {
    LogitOption("/LOGITCLOSE");
    level = LogitGetLevel();
    EmptyFolder(kFolder);
    DeleteFileA(DefaultLogPath().c_str());
  }
  void TearDown() override {
    LogitOption("/LOGITCLOSE");
    LogitSetLevel(level);
    DeleteFileA(DefaultLogPath().c_str());
  }
  unsigned level = 0;
};

TEST_F(LogFile, IsOffWithoutAnOption) {
  EXPECT_EQ(Logit("nothing %d\n", 1), 0);
  EXPECT_EQ(LogitEx(0, "nothing\n"), 0);
  EXPECT_FALSE(LogitIsOn());
  EXPECT_FALSE(PathExists(DefaultLogPath()));
}

TEST_F(LogFile, WritesStartLinesAndPrefixedLines) {
  ASSERT_EQ(LogitOption("/LOGIT:logtest\\a.log"), 1);
  EXPECT_TRUE(LogitIsOn());
  EXPECT_EQ(Logit("value %d of %s\n", 42, "x"), 1);
  EXPECT_EQ(Logit("literal 50%% stays\n"), 1);
  EXPECT_EQ(Logit("no format: 100\\n\n"), 1);
  LogitOption("/LOGITCLOSE");
  EXPECT_FALSE(LogitIsOn());
  EXPECT_EQ(Logit("after close\n"), 0);

  std::vector<std::string> lines = Lines(ReadFileBytes(Path("a.log")));
  ASSERT_EQ(lines.size(), 5u);
  for (const std::string& line : lines) EXPECT_NE(line.find(ThreadTag()), std::string::npos) << line;
  EXPECT_TRUE(std::regex_match(Message(lines[0]),
                               std::regex(R"(START LOGGING at \S+ \d\d:\d\d:\d\d)")))
      << lines[0];
  WIN32_FILE_ATTRIBUTE_DATA fa;
  ASSERT_TRUE(GetFileAttributesExA(ModulePath().c_str(), GetFileExInfoStandard, &fa));
  std::string running = "Running as " + ModulePath() + " " + std::to_string(fa.nFileSizeLow) + " bytes, ";
  EXPECT_EQ(Message(lines[1]).substr(0, running.size()), running);
  EXPECT_TRUE(std::regex_match(Message(lines[1]).substr(running.size()),
                               std::regex(R"(\w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4})")))
      << lines[1];
  EXPECT_EQ(Message(lines[2]), "value 42 of x");
  EXPECT_EQ(Message(lines[3]), "literal 50% stays");
  EXPECT_EQ(Message(lines[4]), "no format: 100\\n");
}

TEST_F(LogFile, SecondLogitClosesTheFileAndOpensTheDefault) {
  LogitOption("/LOGIT:logtest\\first.log");
  Logit("one\n");
  LogitOption("/LOGIT");
  Logit("two\n");
  EXPECT_EQ(std::string(LogitFileName()), DefaultLogPath());
  LogitOption("/LOGITCLOSE");

  std::string first = ReadFileBytes(Path("first.log"));
  EXPECT_NE(first.find("] one\r\n"), std::string::npos);
  EXPECT_EQ(first.find("two"), std::string::npos);
  std::string fallback = ReadFileBytes(DefaultLogPath());
  EXPECT_NE(fallback.find("] START LOGGING at "), std::string::npos);
  EXPECT_NE(fallback.find("] two\r\n"), std::string::npos);
}

TEST_F(LogFile, KeepAppendsAfterOneEmptyLineWhileLogitReplaces) {
  WriteFileBytes(Path("k.log"), "earlier run\r\n");
  LogitOption("/logitkeep:logtest\\k.log");
  Logit("later run\n");
  LogitOption("/LOGITCLOSE");
  std::string kept = ReadFileBytes(Path("k.log"));
  EXPECT_EQ(kept.substr(0, 16), "earlier run\r\n\r\n[") << kept;
  EXPECT_NE(kept.find("] later run\r\n"), std::string::npos);

  LogitOption("-LOGIT:logtest\\k.log");
  LogitOption("/LOGITCLOSE");
  std::string replaced = ReadFileBytes(Path("k.log"));
  EXPECT_EQ(replaced.find("run"), std::string::npos);
  EXPECT_EQ(replaced[0], '[');
}

TEST_F(LogFile, UniqueAndHardNames) {
  time_t before = time(nullptr);
  ASSERT_EQ(LogitOption("-logit:unique"), 1);
  std::string name = LogitFileName();
  LogitOption("/LOGITCLOSE");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(name, m, std::regex(R"(LOGIT_(\d+)_(\d+)_([0-9A-F]+)\.log)"))) << name;
  EXPECT_GE(std::stoul(m[1]), (unsigned long)before);
  EXPECT_LE(std::stoul(m[1]), (unsigned long)time(nullptr));
  EXPECT_LT(std::stoi(m[2]), 1000);
  EXPECT_EQ(std::stoul(m[3], nullptr, 16), GetCurrentProcessId());
  EXPECT_NE(ReadFileBytes(name).find("START LOGGING"), std::string::npos);
  DeleteFileA(name.c_str());

  ASSERT_EQ(LogitOption("/LOGITHARD:logtest\\hard.log"), 1);
  Logit("through\n");
  // Written through to the disk: readable while the log is still open.
  EXPECT_NE(ReadFileBytes(Path("hard.log")).find("] through\r\n"), std::string::npos);
}

TEST_F(LogFile, RecognisesOnlyItsOptions) {
  const struct { const char* option; int recognised; } cases[] = {
      {"/LOG", 0}, {"/LOGITX", 0}, {"LOGIT:logtest\\x.log", 0}, {"/LOGIT=logtest\\x.log", 0},
      {"", 0}, {"/", 0}, {"/D", 0}, {"/LOGITCLOSE", 1}, {"-logitclose", 1}};
  for (const auto& c : cases) {
    EXPECT_EQ(LogitOption(c.option), c.recognised) << c.option;
    EXPECT_FALSE(LogitIsOn()) << c.option;
  }
  EXPECT_EQ(LogitOption(nullptr), 0);
  EXPECT_FALSE(PathExists(Path("x.log")));
}

TEST_F(LogFile, LevelOptionsAccumulateAndLogOpensTheDefault) {
  LogitSetLevel(0);
  EXPECT_EQ(LogitOption("/D:3"), 1);
  EXPECT_EQ(LogitOption("-d:16"), 1);
  EXPECT_EQ(LogitGetLevel(), 0x13u);
  EXPECT_FALSE(LogitIsOn());
  EXPECT_FALSE(PathExists(DefaultLogPath()));

  EXPECT_EQ(LogitOption("/LOG:12"), 1);
  EXPECT_EQ(LogitGetLevel(), 0x1Fu);
  EXPECT_TRUE(LogitIsOn());
  LogitOption("/LOGITCLOSE");
  std::vector<std::string> lines = Lines(ReadFileBytes(DefaultLogPath()));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(Message(lines[2]), "LogitLevel 0000001f");
}

TEST_F(LogFile, LevelFilter) {
  const struct { unsigned mask, level; int passes; } cases[] = {
      {0x0C, 12, 1}, {0x0C, 13, 0}, {0x0C, 0, 1}, {0x00, 0, 1}, {0x00, 1, 0},
      {0x10C, 0x101, 1}, {0x0C, 0x101, 0}, {0x20F, 0x101, 0}, {0x30F, 0x301, 1}, {0x201, 0x302, 0}};
  LogitOption("/LOGIT:logtest\\levels.log");
  std::string expected;
  for (const auto& c : cases) {
    LogitSetLevel(c.mask);
    char text[64];
    snprintf(text, sizeof text, "mask %x level %x", c.mask, c.level);
    EXPECT_EQ(LogitEx(c.level, nullptr), c.passes) << text;
    EXPECT_EQ(LogitEx(c.level, "%s\n", text), c.passes) << text;
    if (c.passes) expected += std::string(text) + "|";
  }
  LogitOption("/LOGITCLOSE");
  std::vector<std::string> lines = Lines(ReadFileBytes(Path("levels.log")));
  std::string written;
  for (size_t i = 2; i < lines.size(); i++) written += Message(lines[i]) + "|";
  EXPECT_EQ(written, expected);
}

TEST_F(LogFile, LongLinesAreCutAt8160Characters) {
  std::string big(10000, 'x');
  LogitOption("/LOGIT:logtest\\long.log");
  Logit("%s\n", big.c_str());
  Logit(big.c_str());  // no "%": copied literally, no line end
  Logit("short\n");
  LogitOption("/LOGITCLOSE");
  std::vector<std::string> lines = Lines(ReadFileBytes(Path("long.log")));
  ASSERT_EQ(lines.size(), 4u);
  // (std::regex recurses per character: long texts are checked by hand.)
  EXPECT_EQ(lines[2].size(), 8160u);
  std::string cut = Message(lines[2].substr(0, 40)) + lines[2].substr(40);
  EXPECT_EQ(cut, std::string(cut.size(), 'x'));
  // The literal line has no line end of its own: the next line follows it directly.
  ASSERT_GT(lines[3].size(), 8160u);
  std::string literal = Message(lines[3].substr(0, 40)) + lines[3].substr(40, 8160 - 40);
  EXPECT_EQ(literal, std::string(literal.size(), 'x'));
  EXPECT_EQ(Message(lines[3].substr(8160)), "short");
}

TEST_F(LogFile, LinesOfThreadsNeverInterleave) {
  LogitOption("/LOGIT:logtest\\threads.log");
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; t++)
    threads.emplace_back([t] {
      for (int i = 0; i < 200; i++) Logit("thread %d line %03d %s\n", t, i, std::string(100, 'a' + t).c_str());
    });
  for (std::thread& t : threads) t.join();
  LogitOption("/LOGITCLOSE");
  std::vector<std::string> lines = Lines(ReadFileBytes(Path("threads.log")));
  ASSERT_EQ(lines.size(), 2u + 800u);
  int next[4] = {0, 0, 0, 0};
  std::regex body(R"(thread (\d) line (\d{3}) ([a-d]{100}))");
  for (size_t i = 2; i < lines.size(); i++) {
    std::smatch m;
    std::string message = Message(lines[i]);
    ASSERT_TRUE(std::regex_match(message, m, body)) << message;
    int t = std::stoi(m[1]);
    EXPECT_EQ(std::stoi(m[2]), next[t]++);
    EXPECT_EQ(m[3], std::string(100, 'a' + t));
  }
}

TEST_F(LogFile, HotKeysNeedCtrlAndShift) {
  NMLVKEYDOWN key = {};
  key.hdr.code = (UINT)LVN_KEYDOWN;
  key.wVKey = VK_F5;
  LogitHotKey(WM_NOTIFY, 0, (LPARAM)&key);
  EXPECT_FALSE(LogitIsOn()) << "F5 without Ctrl and Shift";

  keybd_event(VK_CONTROL, 0, 0, 0);
  keybd_event(VK_SHIFT, 0, 0, 0);
  LogitHotKey(WM_COMMAND, 0, (LPARAM)&key);
  bool onByOtherMessage = LogitIsOn();
  LogitHotKey(WM_NOTIFY, 0, (LPARAM)&key);
  bool onByF5 = LogitIsOn();
  std::string name = LogitFileName();
  key.wVKey = VK_F8;
  LogitHotKey(WM_NOTIFY, 0, (LPARAM)&key);
  bool onAfterF8 = LogitIsOn();
  keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);

  EXPECT_FALSE(onByOtherMessage);
  EXPECT_TRUE(onByF5);
  EXPECT_EQ(name, DefaultLogPath());
  EXPECT_FALSE(onAfterF8);
}

// --- Assertions ---

std::string Details(const char* condition, const char* file, int line, int error,
                    const std::string& info) {
  STRING errorText = error ? OSYS::ErrorText(error) : STRING("");
  char buf[1024];
  snprintf(buf, sizeof buf,
           "    Condition: %s\r\n    Location : %s line %d\r\n    Last Err.: %dL (%s)\r\n"
           "    Add. Info: %s\r\n",
           condition, file, line, error, errorText.c_str(), info.c_str());
  return buf;
}

std::string Title() { return gAppTitle.NotNull() ? gAppTitle.c_str() : "Zolan Application"; }

class AssertTest : public LogFile {
protected:
  void SetUp() override {
    LogFile::SetUp();
    DeleteFileA("assert.log");
    language = gLanguageId;
    gLanguageId = 9;
  }
  void TearDown() override {
    gLanguageId = language;
    DeleteFileA("assert.log");
    LogFile::TearDown();
  }
  int language = 9;
};

std::vector<std::string> observed;
void Observe(const char* condition, const char* info) {
  observed.push_back(std::string(condition) + "/" + (info ? info : "(null)"));
}

TEST_F(AssertTest, QuietAssertionRecordsInLogAndAssertLog) {
  observed.clear();
  AssertSetObserver(Observe);
  LogitOption("/LOGIT:logtest\\assert.log");
  EXPECT_EQ(Assert(1, "never", "x.cpp", 1, "info", 0), 1);
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(Assert(0, "count > 0", "C:\\src/dir\\file.cpp", 42, "count=0", 1), 1);
  gLanguageId = 7;
  SetLastError(0);
  EXPECT_EQ(Assert(0, "p != NULL", "d:other.cpp", 7, nullptr, 1), 1);
  AssertSetObserver(nullptr);
  LogitOption("/LOGITCLOSE");

  EXPECT_EQ(observed, (std::vector<std::string>{"count > 0/count=0", "p != NULL/(null)"}));
  std::string english = Details("count > 0", "file.cpp", 42, ERROR_ACCESS_DENIED, "count=0");
  std::string german =
      "    Bedingung: p != NULL\r\n    Datei: other.cpp Zeile 7\r\n    Code : 0L ()\r\n"
      "    Info : <null>\r\n";
  std::string header = "--- " + Title() + " --- " + OSYS::LocaleDate().c_str() + " ";
  std::string written = ReadFileBytes("assert.log");
  std::regex layout("--- [^\\r\\n]+ ---\\r\\n\\r\\n([^]*?)\\r\\n\\r\\n--- [^\\r\\n]+ ---\\r\\n\\r\\n([^]*)\\r\\n\\r\\n");
  std::smatch m;
  ASSERT_TRUE(std::regex_match(written, m, layout)) << written;
  EXPECT_EQ(written.substr(0, header.size()), header);
  EXPECT_EQ(m[1], english);
  EXPECT_EQ(m[2], german);

  std::string log = ReadFileBytes(Path("assert.log"));
  EXPECT_NE(log.find("] *** ASSERTION FAILED: \r\n" + english + "\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("] *** ASSERTION FAILED: \r\n" + german + "\r\n"), std::string::npos) << log;
}

TEST_F(AssertTest, AssertLogWithoutLogOption) {
  EXPECT_EQ(Assert(0, "a == b", "f.cpp", 3, "", 1), 1);
  EXPECT_FALSE(LogitIsOn());
  EXPECT_NE(ReadFileBytes("assert.log").find("    Condition: a == b\r\n"), std::string::npos);
}

// Runs a failing non-quiet assertion; returns whether a box came (answered Yes) and its text.
bool AssertShowsBox(std::string* caption, std::string* text) {
  windriver::AsyncWindowTask box(windriver::Query::Dialog().Thread(GetCurrentThreadId()),
                                 windriver::PressButton(IDYES), 3000);
  SetLastError(0);
  EXPECT_EQ(Assert(0, "ready", "box.cpp", 9, "asked", 0), 1);
  box.Join();
  if (caption) *caption = box.Caption();
  if (text) *text = box.Text();
  return box.Found();
}

TEST_F(AssertTest, AsksInABoxAndYesGoesOn) {
  std::string caption, text;
  ASSERT_TRUE(AssertShowsBox(&caption, &text));
  EXPECT_EQ(caption.substr(0, Title().size() + 3), Title() + " / ");
  EXPECT_TRUE(std::regex_match(caption.substr(Title().size() + 3), std::regex(R"(.*\d:\d\d:\d\d.*)")))
      << caption;
  std::string expected =
      "Unexpected condition encountered!\n\nPlease contact us via our web site and \nprovide the "
      "following information (logged \nin assert.log file in the program's \ninstallation "
      "folder):\n\n" + Details("ready", "box.cpp", 9, 0, "asked") +
      "\nDo you want to try to continue with the program?";
  EXPECT_EQ(text, expected);
  EXPECT_NE(ReadFileBytes("assert.log").find("    Condition: ready\r\n"), std::string::npos);
}

TEST_F(AssertTest, NoAssertToggles) {
  EXPECT_EQ(LogitOption("/NOASSERT"), 1);
  EXPECT_FALSE(AssertShowsBox(nullptr, nullptr)) << "once: no box";
  EXPECT_EQ(LogitOption("-noassert"), 1);
  EXPECT_TRUE(AssertShowsBox(nullptr, nullptr)) << "twice: the box again";
  EXPECT_NE(ReadFileBytes("assert.log").find("    Condition: ready\r\n"), std::string::npos);
}

const char kChildVariable[] = "ZOLAN_ASSERT_CHILD";

// Started by AnswerNoEndsTheProcess: a German assertion that must not return.
TEST(AssertChild, FailsAndMustNotReturn) {
  char flag[8];
  if (GetEnvironmentVariableA(kChildVariable, flag, sizeof flag) == 0) GTEST_SKIP();
  gLanguageId = 7;
  SetLastError(0);
  Assert(0, "child", "child.cpp", 5, "stop", 0);
  ExitProcess(0);
}

TEST_F(AssertTest, AnswerNoEndsTheProcess) {
  EmptyFolder("assertchild");
  std::string command = "\"" + ModulePath() + "\" --gtest_filter=AssertChild.FailsAndMustNotReturn";
  SetEnvironmentVariableA(kChildVariable, "1");
  windriver::Process child;
  bool started = child.Start(command, "assertchild");
  SetEnvironmentVariableA(kChildVariable, nullptr);
  ASSERT_TRUE(started);
  std::string box = child.AnswerBox(IDNO, 20000);
  DWORD exitCode = 0;
  ASSERT_TRUE(child.Wait(20000, &exitCode));
  EXPECT_EQ(exitCode, (DWORD)ZOLAN_ASSERT_EXITCODE);
  std::string details =
      "    Bedingung: child\r\n    Datei: child.cpp Zeile 5\r\n    Code : 0L ()\r\n    Info : stop\r\n";
  std::string german =
      "Es ist eine unerwartete Situation aufgetreten!\n\nBitte melden Sie die Umst\xE4nde des "
      "Fehlers und die folgenden\nInformationen an uns (siehe auch Datei assert.log im Ordner,\n"
      "in dem das Programm installiert wurde):\n\n" + details +
      "\nWollen Sie jetzt versuchen mit dem Programm fortzufahren?";
  size_t bar = box.find('|');
  ASSERT_NE(bar, std::string::npos) << "no box came";
  EXPECT_EQ(box.substr(0, 20), "Zolan Application / ");
  EXPECT_EQ(box.substr(bar + 1), german);
  EXPECT_NE(ReadFileBytes("assertchild\\assert.log").find(details), std::string::npos);
}

}  // namespace
