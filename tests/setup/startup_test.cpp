// setup.exe started as a user would start it, from a copy of the distribution folder: the
// start-up log, commandline.ini files, the language library and the "DLL not found" box.
#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <string>
#include <vector>

#include "support/testfiles.h"
#include "support/windriver.h"

namespace {

typedef std::vector<std::string> Strings;

const char* const kLibraries[] = {"setupenglish.dll", "setupgerman.dll", "setupfrench.dll",
                                  "setuphungarian.dll"};

// Messages of a log file's lines; each line must carry a well-formed prefix.
Strings LogMessages(const std::string& path) {
  std::string text = ReadFileBytes(path);
  Strings messages;
  std::regex prefix(R"(^\[\d{4,}\.\d{2}:[0-9a-f]{4}\] )");
  size_t start = 0, end;
  while ((end = text.find("\r\n", start)) != std::string::npos) {
    std::string line = text.substr(start, end - start);
    std::smatch m;
    EXPECT_TRUE(std::regex_search(line, m, prefix)) << line;
    messages.push_back(m.empty() ? line : line.substr(m.length(0)));
    start = end + 2;
  }
  return messages;
}

// Messages starting with one of the given beginnings, in log order.
Strings Only(const Strings& messages, const Strings& beginnings) {
  Strings kept;
  for (const std::string& m : messages)
    for (const std::string& b : beginnings)
      if (m.compare(0, b.size(), b) == 0) {
        kept.push_back(m);
        break;
      }
  return kept;
}

bool Contains(const Strings& messages, const std::string& message) {
  for (const std::string& m : messages)
    if (m == message) return true;
  return false;
}

// A private copy of the distribution folder: <suite folder>\startup\<name>\dist, beside an
// empty folder "elsewhere" to start the program from.
class Startup : public ::testing::Test {
protected:
  void SetUp() override {
    const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    base = SCRATCH(std::string("startup\\") + test).Dir();
    dist = EmptyFolder(base + "\\dist");
    elsewhere = EmptyFolder(base + "\\elsewhere");
    log = base + "\\run.log";
    Copy("setup.exe", dist);
    for (const char* library : kLibraries) Copy(library, dist);
  }
  void Copy(const char* name, const std::string& folder, const char* as = nullptr) {
    ASSERT_TRUE(CopyFileA((std::string(ZOLAN_DIST_DIR) + "\\" + name).c_str(),
                          (folder + "\\" + (as ? as : name)).c_str(), FALSE))
        << name;
  }
  // Runs the program with the arguments from the folder (default: the dist copy); returns
  // its exit code, or -1 when it did not end in time.
  int Run(const std::string& arguments, const std::string& folder = "", const std::string& exe = "") {
    windriver::Process process;
    std::string program = exe.empty() ? dist + "\\setup.exe" : exe;
    if (!process.Start("\"" + program + "\" " + arguments, (folder.empty() ? dist : folder).c_str()))
      return -2;
    DWORD code = 0;
    return process.Wait(30000, &code) ? (int)code : -1;
  }
  std::string base, dist, elsewhere, log;
};

TEST_F(Startup, LogsTheStartSequenceExactly) {
  std::string arguments = "/LOGIT:" + log + " \"C:\\My Files\\x.cfg\" /LANG:GER";
  ASSERT_EQ(Run(arguments), 0);
  // The file reader's own lines belong to another class; the start sequence is the rest.
  Strings messages;
  for (const std::string& m : LogMessages(log))
    if (m.rfind("STRINGARRAY::", 0) != 0) messages.push_back(m);
  ASSERT_EQ(messages.size(), 16u) << ReadFileBytes(log);

  EXPECT_TRUE(std::regex_match(messages[0], std::regex(R"(START LOGGING at \S+ \d\d:\d\d:\d\d)"))) << messages[0];
  WIN32_FILE_ATTRIBUTE_DATA fa;
  ASSERT_TRUE(GetFileAttributesExA((dist + "\\setup.exe").c_str(), GetFileExInfoStandard, &fa));
  std::string running = "Running as " + dist + "\\setup.exe " + std::to_string(fa.nFileSizeLow) + " bytes, ";
  EXPECT_EQ(messages[1].substr(0, running.size()), running);
  Strings expected = {
      "Trying " + dist + "\\commandline.ini",
      "Processing " + dist + "\\commandline.ini done",
      "Trying " + dist + "\\setup_commandline.ini",
      "Processing " + dist + "\\setup_commandline.ini done",
      "Program Argument 0= " + dist + "\\setup.exe",
      "Program Argument 1= /LOGIT:" + log,
      "Program Argument 2= C:\\My Files\\x.cfg",
      "Program Argument 3= /LANG:GER",
  };
  EXPECT_EQ(Strings(messages.begin() + 2, messages.begin() + 10), expected);
  std::smatch m;
  std::string winMain = "APP::WinMain instance=([0-9a-f]{8}) parm=" +
                        std::regex_replace(arguments, std::regex(R"([\\^$.|?*+()\[\]{}])"), R"(\$&)") +
                        ", gMainThreadId= ([0-9a-f]{8})";
  EXPECT_TRUE(std::regex_match(messages[10], m, std::regex(winMain))) << messages[10];
  Strings rest = {
      "GetArgValue(\"LANG\", 0) returned GER",
      "TestArgValue(\"STARTUPDELAY\", 0) returned 0",
      "APP::Init loaded " + dist + "\\setupgerman.dll, language Deutsch",
      "AppMain argc=4, title=Zolan Application (Setup 1.00), language=7",
      "AppMain returned 0",
  };
  EXPECT_EQ(Strings(messages.begin() + 11, messages.end()), rest);
  // The thread id of the prefixes is the main thread's.
  std::string text = ReadFileBytes(log);
  if (m.size() == 3) {
    EXPECT_NE(text.find(":" + m[2].str().substr(4) + "] APP::WinMain"), std::string::npos);
  }
}

TEST_F(Startup, CommandLineFilesAreAppendedInOrder) {
  WriteFileBytes(dist + "\\commandline.ini", "   /LANG:FRENCH  \r\n\r\n\t/Two words\t\r\n");
  WriteFileBytes(elsewhere + "\\commandline.ini", "/FROMSTART\n");
  WriteFileBytes(dist + "\\setup_commandline.ini", "/FROMPROG");
  ASSERT_EQ(Run("/LOGIT:" + log + " /X", elsewhere), 0);
  Strings messages = LogMessages(log);
  Strings expected = {
      "Trying " + dist + "\\commandline.ini",
      "Processing " + dist + "\\commandline.ini done",
      "Trying " + elsewhere + "\\commandline.ini",
      "Processing " + elsewhere + "\\commandline.ini done",
      "Trying " + dist + "\\setup_commandline.ini",
      "Processing " + dist + "\\setup_commandline.ini done",
      "Program Argument 0= " + dist + "\\setup.exe",
      "Program Argument 1= /LOGIT:" + log,
      "Program Argument 2= /X",
      "Program Argument 3= /LANG:FRENCH",
      "Program Argument 4= /Two words",
      "Program Argument 5= /FROMSTART",
      "Program Argument 6= /FROMPROG",
      "APP::Init loaded " + dist + "\\setupfrench.dll, language Fran\xE7" "ais",
      "AppMain argc=3, title=Zolan Application (Setup 1.00), language=12",
  };
  EXPECT_EQ(Only(messages, {"Trying", "Processing", "Program Argument", "APP::Init", "AppMain argc"}), expected);
}

TEST_F(Startup, LoggingCanBeSwitchedOnFromCommandLineIni) {
  WriteFileBytes(dist + "\\commandline.ini", "/LOGIT:" + log + "\r\n");
  ASSERT_EQ(Run(""), 0);
  Strings messages = LogMessages(log);
  ASSERT_GE(messages.size(), 5u);
  // Logging starts while the first file is read: its "Trying" line came too early.
  EXPECT_EQ(messages[0].substr(0, 17), "START LOGGING at ");
  EXPECT_EQ(Only(messages, {"Trying", "Processing"}),
            (Strings{"Processing " + dist + "\\commandline.ini done", "Trying " + dist + "\\setup_commandline.ini",
                     "Processing " + dist + "\\setup_commandline.ini done"}));
  EXPECT_TRUE(Contains(messages, "Program Argument 1= /LOGIT:" + log));
  EXPECT_TRUE(Contains(messages, "AppMain returned 0"));
}

TEST_F(Startup, ServiceProgramDoesNotTakeLoggingOptionsFromFiles) {
  Copy("setup.exe", dist, "service.exe");
  std::string fileLog = base + "\\fromfile.log";
  WriteFileBytes(dist + "\\commandline.ini", "/LOGIT:" + fileLog + "\r\n");
  ASSERT_EQ(Run("/LOGIT:" + log, "", dist + "\\service.exe"), 0);
  EXPECT_FALSE(PathExists(fileLog));
  EXPECT_TRUE(Contains(LogMessages(log), "Program Argument 2= /LOGIT:" + fileLog));
}

TEST_F(Startup, LogToStandardError) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  std::string errors = base + "\\stderr.txt";
  HANDLE file = CreateFileA(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdError = file;
  PROCESS_INFORMATION pi = {};
  std::string command = "\"" + dist + "\\setup.exe\" /LOGIT:STDERR /LANG:ENGL";
  ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, dist.c_str(), &si, &pi));
  CloseHandle(file);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u);
  Strings messages = LogMessages(errors);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages[0].substr(0, 17), "START LOGGING at ");
  EXPECT_EQ(messages.back(), "AppMain returned 0");
}

TEST_F(Startup, GermanMissingFallsBackToEnglish) {
  ASSERT_TRUE(DeleteFileA((dist + "\\setupgerman.dll").c_str()));
  ASSERT_EQ(Run("/LOGIT:" + log + " /LANG:GER"), 0);
  Strings expected = {
      "APP::Init LoadLibrary " + dist + "\\setupgerman.dll failed, error=126",
      "APP::Init loaded " + dist + "\\setupenglish.dll, language English",
      "AppMain argc=3, title=Zolan Application (Setup 1.00), language=9",
  };
  EXPECT_EQ(Only(LogMessages(log), {"APP::Init", "AppMain argc"}), expected);
}

TEST_F(Startup, WithoutLanguageLibraryReportsAndEnds99) {
  for (const char* library : kLibraries) ASSERT_TRUE(DeleteFileA((dist + "\\" + library).c_str()));
  windriver::Process process;
  ASSERT_TRUE(process.Start("\"" + dist + "\\setup.exe\" /LOGIT:" + log + " /LANG:HUNGARIAN", dist.c_str()));
  std::string box = process.AnswerBox(IDOK, 20000);
  DWORD code = 0;
  ASSERT_TRUE(process.Wait(20000, &code));
  EXPECT_EQ(code, 99u);
  EXPECT_EQ(box, "Zolan Application|DLL not found:\r" + dist + "\\setupenglish.dll");
  Strings expected = {
      "APP::Init LoadLibrary " + dist + "\\setuphungarian.dll failed, error=126",
      "APP::Init LoadLibrary " + dist + "\\setupenglish.dll failed, error=126",
  };
  EXPECT_EQ(Only(LogMessages(log), {"APP::Init", "AppMain"}), expected);
}

TEST_F(Startup, ArgumentsBeyondTheTableAreIgnoredAndLogged) {
  std::string arguments = "/LOGIT:" + log;
  for (int i = 2; i < 142; i++) arguments += " /A" + std::to_string(i);
  WriteFileBytes(dist + "\\commandline.ini", "/FROMINI\n");
  ASSERT_EQ(Run(arguments), 0);
  Strings messages = LogMessages(log);
  EXPECT_TRUE(Contains(messages, "APP::WinMain 15 command-line arguments beyond the table ignored"));
  EXPECT_TRUE(Contains(messages, "APP: argument table full, ignored: /FROMINI"));
  Strings listed = Only(messages, {"Program Argument"});
  ASSERT_EQ(listed.size(), 127u);
  EXPECT_EQ(listed.back(), "Program Argument 126= /A126");
  EXPECT_EQ(Only(messages, {"AppMain argc=127,"}).size(), 1u);
}

TEST_F(Startup, StartupDelayWaitsWholeSeconds) {
  DWORD started = GetTickCount();
  ASSERT_EQ(Run("/LOGIT:" + log + " /STARTUPDELAY:1"), 0);
  EXPECT_GE(GetTickCount() - started, 1000u);
  EXPECT_TRUE(Contains(LogMessages(log), "GetArgValue(\"STARTUPDELAY\", 0) returned 1"));

  ASSERT_EQ(Run("/LOGIT:" + log + " /STARTUPDELAY"), 0);
  EXPECT_TRUE(Contains(LogMessages(log), "GetArgValue(\"STARTUPDELAY\", 0) returned "));
}

TEST_F(Startup, BuildFolderInsideASourceTreeUsesTheTreeAsAppRoot) {
  std::string tree = base + "\\tree";
  EmptyFolder(tree + "\\Release");
  WriteFileBytes(tree + "\\main.cpp", "");
  Copy("setup.exe", tree + "\\Release");
  Copy("setupenglish.dll", tree);
  ASSERT_EQ(Run("/LOGIT:relative.log /LANG:ENGL", elsewhere, tree + "\\Release\\setup.exe"), 0);
  // The working directory is the tree, so the relative log name lands there.
  Strings messages = LogMessages(tree + "\\relative.log");
  EXPECT_EQ(Only(messages, {"Trying", "APP::Init"}),
            (Strings{"Trying " + tree + "\\commandline.ini", "Trying " + elsewhere + "\\commandline.ini",
                     "Trying " + tree + "\\Release\\setup_commandline.ini",
                     "APP::Init loaded " + tree + "\\setupenglish.dll, language English"}));
}

}  // namespace
