// Command-line splitting, the argument table and its queries, commandline.ini files, the
// language choice, the app root and the language library, run in-process.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "foundation/approot.h"
#include "foundation/zolan.h"
#include "support/assertrecorder.h"
#include "support/testfiles.h"

namespace {

typedef std::vector<std::string> Strings;

// Messages of the log lines written while fn runs (prefixes removed).
template <class FN>
Strings LoggedBy(FN fn) {
  LOGCAPTURE log("approot.log");
  fn();
  std::string text = log.Text();
  Strings lines;
  size_t start = 0, end;
  while ((end = text.find("\r\n", start)) != std::string::npos) {
    std::string line = text.substr(start, end - start);
    size_t body = line.find("] ");
    lines.push_back(body == std::string::npos ? line : line.substr(body + 2));
    start = end + 2;
  }
  return Strings(lines.begin() + 2, lines.end());  // without the two start lines
}

Strings Split(const std::string& commandLine, int maxTokens = APP_MAXARGS - 1, int* dropped = nullptr) {
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back(0);
  std::vector<char*> tokens(maxTokens + 1);
  int n = APP::Tokenise(line.data(), tokens.data(), maxTokens, dropped);
  return Strings(tokens.begin(), tokens.begin() + n);
}

// Fills the argument table with "prog.exe" and the given arguments.
void UseArguments(Strings arguments) {
  std::vector<char*> tokens;
  arguments.insert(arguments.begin(), "as typed");
  for (std::string& a : arguments) tokens.push_back(&a[0]);
  APP::SetArguments("C:\\Dist\\prog.exe", tokens.data(), (int)tokens.size());
}

std::string Upper(std::string text) {
  for (char& c : text) c = (char)toupper((unsigned char)c);
  return text;
}

Strings Table() {
  Strings all;
  for (int i = 0; i < APP::ArgumentCount(); i++) all.push_back(APP::Argument(i).c_str());
  return all;
}

class ArgumentTable : public ::testing::Test {
protected:
  void SetUp() override { LogitOption("/LOGITCLOSE"); }
  void TearDown() override {
    LogitOption("/LOGITCLOSE");
    UseArguments({});
  }
};

TEST(Tokenise, QuoteAndBlankRules) {
  const struct { const char* line; Strings tokens; } cases[] = {
      {R"(setup.exe "C:\My Files\x.cfg" /LANG:GER)", {"setup.exe", R"(C:\My Files\x.cfg)", "/LANG:GER"}},
      {"   a    b   ", {"a", "b"}},
      {R"(a"b c")", {"a\"b", "c\""}},
      {R"(a "" b)", {"a", "", "b"}},
      {R"(a "open quote  runs to the end   )", {"a", "open quote  runs to the end"}},
      {R"("x y"z w)", {"x y", "z", "w"}},
      {"a\tb \tc", {"a\tb", "\tc"}},
      {R"(a ")", {"a"}},
      {"", {}},
      {"    ", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Split(c.line), c.tokens) << c.line;
}

TEST(Tokenise, KeepsWithinTheTableAndCountsTheRest) {
  std::string line;
  for (int i = 0; i < 200; i++) line += "t" + std::to_string(i) + " ";
  int dropped = -1;
  Strings tokens = Split(line, APP_MAXARGS - 1, &dropped);
  ASSERT_EQ(tokens.size(), 127u);
  EXPECT_EQ(tokens.back(), "t126");
  EXPECT_EQ(dropped, 73);
}

TEST_F(ArgumentTable, Queries) {
  const struct {
    Strings arguments;
    const char* query;  // T TestArg, V TestArgValue, G GetArgValue
    const char* name;
    int n;
    const char* expected;  // "0"/"1", a value, or nullptr for no value
    const char* logged;
  } cases[] = {
      {{"/remove"}, "T", "REMOVE", 0, "1", "TestArg(\"REMOVE\") returned 1"},
      {{"-REMOVE"}, "T", "remove", 0, "1", "TestArg(\"remove\") returned 1"},
      {{"/REMOVEX"}, "T", "REMOVE", 0, "0", "TestArg(\"REMOVE\") returned 0"},
      {{"/REMOVEX"}, "V", "REMOVE", 0, "1", "TestArgValue(\"REMOVE\", 0) returned 1"},
      {{"REMOVE", "+REMOVE"}, "V", "REMOVE", 0, "0", "TestArgValue(\"REMOVE\", 0) returned 0"},
      {{"/LOG:1", "x", "/LOG:2"}, "G", "LOG", 1, "2", "GetArgValue(\"LOG\", 1) returned 2"},
      {{"/LOG:1", "/LOG:2"}, "V", "LOG", 1, "1", "TestArgValue(\"LOG\", 1) returned 1"},
      {{"/LOG:1", "/LOG:2"}, "V", "LOG", 2, "0", "TestArgValue(\"LOG\", 2) returned 0"},
      {{"/LOG:1", "/LOG:2"}, "G", "LOG", 2, nullptr, "GetArgValue(\"LOG\", 2) returned <NULL>"},
      {{"/LANG:GER"}, "G", "LANG", 0, "GER", "GetArgValue(\"LANG\", 0) returned GER"},
      {{"/langGER"}, "G", "LANG", 0, "GER", "GetArgValue(\"LANG\", 0) returned GER"},
      {{"/LANG"}, "G", "LANG", 0, "", "GetArgValue(\"LANG\", 0) returned "},
      {{"/LANG=GER"}, "G", "LANG", 0, "=GER", "GetArgValue(\"LANG\", 0) returned =GER"},
      {{"/LANG::GER"}, "G", "LANG", 0, ":GER", "GetArgValue(\"LANG\", 0) returned :GER"},
      {{"/LANGUAGE:de"}, "G", "LANG", 0, "UAGE:de", "GetArgValue(\"LANG\", 0) returned UAGE:de"},
      {{"-LANG", "GER"}, "G", "LANG", 0, "GER", "GetArgValue(\"LANG\", 0) returned GER"},
      {{"-LANG", "/LOG:3"}, "G", "LANG", 0, "/LOG:3", "GetArgValue(\"LANG\", 0) returned /LOG:3"},
      {{"-LANG:GER", "x"}, "G", "LANG", 0, "x", "GetArgValue(\"LANG\", 0) returned x"},
      {{"-LANG"}, "G", "LANG", 0, nullptr, "GetArgValue(\"LANG\", 0) returned <NULL>"},
      {{"LANG:GER"}, "G", "LANG", 0, nullptr, "GetArgValue(\"LANG\", 0) returned <NULL>"},
      {{}, "T", "C", 0, "0", "TestArg(\"C\") returned 0"},  // entry 0 is C:\Dist\prog.exe
  };
  for (const auto& c : cases) {
    UseArguments(c.arguments);
    std::string result;
    bool hasValue = true;
    Strings logged = LoggedBy([&] {
      if (c.query[0] == 'T') result = std::to_string(TestArg(c.name));
      if (c.query[0] == 'V') result = std::to_string(TestArgValue(c.name, c.n));
      if (c.query[0] == 'G') {
        STRING value = GetArgValue(c.name, c.n);
        hasValue = value.NotNull();
        result = hasValue ? value.c_str() : "";
      }
    });
    std::string what = std::string(c.query) + " " + c.name + " " + std::to_string(c.n) + " on " +
                       (c.arguments.empty() ? "" : c.arguments[0]);
    EXPECT_EQ(hasValue, c.expected != nullptr) << what;
    EXPECT_EQ(result, c.expected ? c.expected : "") << what;
    EXPECT_EQ(logged, Strings{c.logged}) << what;
  }
}

TEST_F(ArgumentTable, EntryZeroIsTheModulePathAndEmptyTokensKeepTheirSlot) {
  UseArguments({"", "/A"});
  EXPECT_EQ(Table(), (Strings{"C:\\Dist\\prog.exe", "", "/A"}));
  EXPECT_TRUE(APP::Argument(1).NotNull());
  EXPECT_EQ(TestArg("A"), 1);
  EXPECT_FALSE(APP::Argument(3).NotNull());
  EXPECT_FALSE(APP::Argument(-1).NotNull());
  EXPECT_FALSE(APP::Argument(APP_MAXARGS).NotNull());
}

TEST_F(ArgumentTable, FullTableIgnoresFurtherArgumentsAndSaysSo) {
  Strings many;
  for (int i = 1; i < 127; i++) many.push_back("/A" + std::to_string(i));
  UseArguments(many);
  ASSERT_EQ(APP::ArgumentCount(), 127);
  bool added = true;
  Strings logged = LoggedBy([&] { added = APP::AddArgument(STRING("/LATE")); });
  EXPECT_FALSE(added);
  EXPECT_EQ(logged, Strings{"APP: argument table full, ignored: /LATE"});
  EXPECT_EQ(APP::ArgumentCount(), 127);
  EXPECT_FALSE(APP::Argument(127).NotNull());
  EXPECT_EQ(TestArg("LATE"), 0);
  EXPECT_EQ(TestArg("A126"), 1);
}

TEST_F(ArgumentTable, CommandLineFilesAreReadInOrderAndAppended) {
  std::string root = SCRATCH("cmdroot").Dir(), start = SCRATCH("cmdstart").Dir();
  WriteFileBytes(root + "\\commandline.ini", "   /LANG:FRENCH  \r\n\r\n\t/A b\t\n");
  WriteFileBytes(start + "\\commandline.ini", "/FROMSTART");
  WriteFileBytes(root + "\\prog_commandline.ini", "/FROMPROG\n/D:4\n");
  std::string module = root + "\\prog.EXE";
  UseArguments({"/CMD"});
  unsigned level = LogitGetLevel();
  LogitSetLevel(0);
  Strings logged = LoggedBy([&] { APP::ReadCommandLineFiles(root.c_str(), start.c_str(), module.c_str(), true); });
  unsigned applied = LogitGetLevel();
  LogitSetLevel(level);

  EXPECT_EQ(Table(), (Strings{"C:\\Dist\\prog.exe", "/CMD", "/LANG:FRENCH", "/A b", "/FROMSTART", "/FROMPROG", "/D:4"}));
  EXPECT_EQ(applied, 4u) << "logging options of the files are applied";
  Strings expected = {"Trying " + root + "\\commandline.ini", "Processing " + root + "\\commandline.ini done",
                      "Trying " + start + "\\commandline.ini", "Processing " + start + "\\commandline.ini done",
                      "Trying " + root + "\\prog_commandline.ini", "LogitLevel 00000004",
                      "Processing " + root + "\\prog_commandline.ini done"};
  Strings kept;
  for (const std::string& line : logged)
    if (line.rfind("Trying", 0) == 0 || line.rfind("Processing", 0) == 0 || line.rfind("LogitLevel", 0) == 0)
      kept.push_back(line);
  EXPECT_EQ(kept, expected);
}

TEST_F(ArgumentTable, CommandLineCandidates) {
  std::string root = SCRATCH("cmdroot").Dir();
  const struct { std::string start, module; bool apply; Strings tried; } cases[] = {
      // The same folder in other letters is read once; a program without ".exe" has no own file.
      {Upper(root), root + "\\prog.exe", true, {root + "\\commandline.ini", root + "\\prog_commandline.ini"}},
      {root + "\\..\\CMDROOT", root + "\\prog.com", true,
       {root + "\\commandline.ini", root + "\\..\\CMDROOT\\commandline.ini"}},
      {root, root + "\\prog", false, {root + "\\commandline.ini"}},
  };
  WriteFileBytes(root + "\\commandline.ini", "/D:8\n");
  for (const auto& c : cases) {
    UseArguments({});
    unsigned level = LogitGetLevel();
    LogitSetLevel(0);
    Strings logged = LoggedBy([&] { APP::ReadCommandLineFiles(root.c_str(), c.start.c_str(), c.module.c_str(), c.apply); });
    unsigned applied = LogitGetLevel();
    LogitSetLevel(level);
    Strings tried;
    for (const std::string& line : logged)
      if (line.rfind("Trying ", 0) == 0) tried.push_back(line.substr(7));
    EXPECT_EQ(tried, c.tried) << c.start << " " << c.module;
    EXPECT_EQ(applied, c.apply ? 8u : 0u) << c.module;
    EXPECT_EQ(TestArg("D:8"), 1);
  }
}

TEST_F(ArgumentTable, LanguageChoice) {
  const struct { Strings arguments; int id; } cases[] = {
      {{"/LANG:GER"}, 7}, {{"/lang:engl"}, 9}, {{"-LANG", "french"}, 12}, {{"/LANGHungarian"}, 14},
      {{"/LANG:1031"}, 1031}, {{"/LANG:german"}, 0}, {{"/LANG"}, 0}, {{"/LANG:12"}, 12},
      {{}, (int)(GetThreadLocale() & 0x3FF)},
  };
  for (const auto& c : cases) {
    UseArguments(c.arguments);
    EXPECT_EQ(APP::ChooseLanguage(), c.id) << (c.arguments.empty() ? "none" : c.arguments[0]);
  }
}

TEST(AppRoot, CutsBuildFolderEndingsInsideASourceTree) {
  std::string tree = SCRATCH("approottree").Dir();
  std::string other = SCRATCH("approotplain").Dir();
  WriteFileBytes(tree + "\\main.cpp", "");
  std::string tree2 = SCRATCH("approottree2").Dir();
  WriteFileBytes(tree2 + "\\approot.cpp", "");
  const struct { std::string folder, root; } cases[] = {
      {tree + "\\Release", tree},
      {tree + "\\release", tree},
      {tree + "\\Debug2", tree},
      {tree + "\\Release2", tree},
      {tree2 + "\\Debug", tree2},
      {tree + "\\Other", tree + "\\Other"},
      {tree + "\\xRelease", tree + "\\xRelease"},
      {other + "\\Release", other + "\\Release"},
  };
  for (const auto& c : cases) EXPECT_EQ(std::string(APP::GetAppRoot(STRING(c.folder.c_str())).c_str()), c.root);
}

// APP::Init changes process-wide values; each case restores them.
class LanguageLibrary : public ::testing::Test {
protected:
  void SetUp() override {
    folder = SCRATCH("initlang").Dir();
    title = gAppTitle;
    language = gLanguageId;
    resource = gResourceInstance;
    gAppTitle = APP_DEFAULT_TITLE;
  }
  void TearDown() override {
    APP::FreeLanguageLibrary();
    gAppTitle = title;
    gLanguageId = language;
    gResourceInstance = resource;
  }
  void Provide(const char* language) {
    std::string name = std::string("setup") + language + ".dll";
    ASSERT_TRUE(CopyFileA((std::string(ZOLAN_DIST_DIR) + "\\" + name).c_str(), (folder + "\\" + name).c_str(), FALSE));
  }
  std::string folder;
  STRING title;
  int language = 9;
  HINSTANCE resource = nullptr;
};

TEST_F(LanguageLibrary, InitLoadsTheLibraryOfTheLanguageOrEnglish) {
  Provide("english");
  Provide("french");
  const struct { int languageId; int finalId; const char* library; } cases[] = {
      {12, 12, "setupfrench.dll"}, {7, 9, "setupenglish.dll"}, {14, 9, "setupenglish.dll"},
      {1031, 1031, "setupenglish.dll"}, {9, 9, "setupenglish.dll"}};
  for (const auto& c : cases) {
    gLanguageId = c.languageId;
    gAppTitle = APP_DEFAULT_TITLE;
    Strings logged = LoggedBy([&] {
      EXPECT_EQ(APP::Init(STRING((folder + "\\setup.exe").c_str()), STRING("setup"), STRING("1.00")), 1);
    });
    EXPECT_EQ(gLanguageId, c.finalId);
    EXPECT_EQ(std::string(gAppTitle.c_str()), "Zolan Application (Setup 1.00)");
    char loaded[MAX_PATH] = "";
    GetModuleFileNameA(gResourceInstance, loaded, sizeof loaded);
    EXPECT_EQ(std::string(loaded), folder + "\\" + c.library) << c.languageId;
    ASSERT_FALSE(logged.empty());
    EXPECT_EQ(logged.back().substr(0, 16), "APP::Init loaded") << logged.back();
    APP::FreeLanguageLibrary();
    EXPECT_EQ(gResourceInstance, nullptr);
  }
}

}  // namespace
