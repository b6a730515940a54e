// Process-wide values, the program-argument table with its queries, the application title
// and the language library.
#include "foundation/approot.h"

#include <cstdlib>
#include <cstring>

#include "foundation/stringarray.h"
#include "foundation/zolan.h"
#include "ids/foundation.h"
#include "platform/osys.h"

HINSTANCE gAppInstance = nullptr;
HINSTANCE gResourceInstance = nullptr;
int gLanguageId = 9;
DWORD gMainThreadId = 0;
// Starts without a buffer: a text constructed before the string pool would depend on the
// order of static initialisation. APP::WinMain sets the default title first thing.
STRING gAppTitle;

namespace {

// Entries 0..argCount-1 hold buffers; the slot after the last one never does.
STRING argTable[APP_MAXARGS];
int argCount = 0;
bool languageLoaded = false;

// The n-th entry (from 0) whose text after "/" or "-" equals (whole) or starts with name.
int FindArgument(const char* name, int n, bool whole) {
  size_t len = strlen(name);
  for (int i = 0; i < argCount; i++) {
    const char* text = argTable[i].c_str();
    if (text[0] != '/' && text[0] != '-') continue;
    bool match = whole ? _stricmp(text + 1, name) == 0 : _strnicmp(text + 1, name, len) == 0;
    if (match && n-- == 0) return i;
  }
  return -1;
}

bool FileExists(const STRING& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ProcessCommandLineFile(const STRING& path, bool applyLogOptions) {
  Logit("Trying %s\n", path.c_str());
  STRINGARRAY lines;
  lines.Load(path.c_str(), 0);
  for (int i = 0; i < lines.Count(); i++) {
    STRING line = lines.Get(i);
    if (line.Length() == 0) continue;
    line.Strip('B', " \t");
    if (applyLogOptions) LogitOption(line.c_str());
    APP::AddArgument(line);
  }
  Logit("Processing %s done\n", path.c_str());
}

}  // namespace

int TestArg(const char* name) {
  int rc = name != nullptr && FindArgument(name, 0, true) >= 0 ? 1 : 0;
  Logit("TestArg(\"%s\") returned %d\n", name ? name : "<NULL>", rc);
  return rc;
}

int TestArgValue(const char* name, int n) {
  int rc = name != nullptr && n >= 0 && FindArgument(name, n, false) >= 0 ? 1 : 0;
  Logit("TestArgValue(\"%s\", %d) returned %d\n", name ? name : "<NULL>", n, rc);
  return rc;
}

STRING GetArgValue(const char* name, int n) {
  STRING value;
  int i = name != nullptr && n >= 0 ? FindArgument(name, n, false) : -1;
  if (i >= 0 && argTable[i].c_str()[0] == '/') {
    const char* rest = argTable[i].c_str() + 1 + strlen(name);
    if (*rest == ':') rest++;
    value = rest;
  } else if (i >= 0 && i + 1 < argCount) {
    value = argTable[i + 1];
  }
  Logit("GetArgValue(\"%s\", %d) returned %s\n", name ? name : "<NULL>", n,
        value.NotNull() ? value.c_str() : "<NULL>");
  return value;
}

namespace APP {

STRING FolderOf(const char* path) {
  const char* cut = nullptr;
  for (const char* p = path; *p; p++)
    if (*p == '\\' || *p == '/') cut = p;
  return cut ? STRING(path, (int)(cut - path)) : STRING("");
}

int Tokenise(char* line, char** tokens, int maxTokens, int* tokensDropped) {
  int count = 0, dropped = 0;
  auto keep = [&](char* token) {
    if (count < maxTokens) tokens[count++] = token;
    else dropped++;
  };
  char* p = line;
  while (*p == ' ') p++;
  size_t len = strlen(p);
  while (len > 0 && p[len - 1] == ' ') p[--len] = 0;
  while (*p) {
    char separator = ' ';
    if (*p == '"') {
      separator = '"';
      p++;
    }
    char* end = strchr(p, separator);
    if (end == nullptr) break;
    keep(p);
    *end++ = 0;
    while (*end == ' ') *end++ = 0;
    p = end;
  }
  if (*p) keep(p);
  if (tokensDropped) *tokensDropped = dropped;
  return count;
}

void SetArguments(const char* modulePath, char** tokens, int count) {
  for (int i = 0; i < APP_MAXARGS; i++) argTable[i].Free();
  argCount = 0;
  AddArgument(STRING(modulePath));
  for (int i = 1; i < count; i++) AddArgument(STRING(tokens[i]));
}

bool AddArgument(const STRING& argument) {
  // The last slot stays without a buffer: it ends the table for every reader.
  if (argCount >= APP_MAXARGS - 1) {
    Logit("APP: argument table full, ignored: %s\n", argument.NotNull() ? argument.c_str() : "<NULL>");
    return false;
  }
  argTable[argCount++] = argument.NotNull() ? argument : STRING("");
  return true;
}

int ArgumentCount() { return argCount; }

const STRING& Argument(int index) {
  return argTable[index >= 0 && index < APP_MAXARGS ? index : APP_MAXARGS - 1];
}

void LogArguments() {
  for (int i = 0; i < argCount; i++) Logit("Program Argument %d= %s\n", i, argTable[i].c_str());
}

void ReadCommandLineFiles(const char* appRoot, const char* startDir, const char* modulePath,
                          bool applyLogOptions) {
  STRING candidates[3];
  int n = 0;
  candidates[n] = appRoot;
  candidates[n++].Append("\\commandline.ini");
  if (_stricmp(startDir, appRoot) != 0) {
    candidates[n] = startDir;
    candidates[n++].Append("\\commandline.ini");
  }
  size_t len = strlen(modulePath);
  if (len >= 4 && _stricmp(modulePath + len - 4, ".exe") == 0) {
    candidates[n] = STRING(modulePath, (int)len - 4);
    candidates[n++].Append("_commandline.ini");
  }
  for (int i = 0; i < n; i++) ProcessCommandLineFile(candidates[i], applyLogOptions);
}

int ChooseLanguage() {
  static const struct { const char* name; const char* number; } names[] = {
      {"GER", "7"}, {"ENGL", "9"}, {"FRENCH", "12"}, {"HUNGARIAN", "14"}};
  STRING value = GetArgValue("LANG", 0);
  if (value.NotNull() == false) value = STRING((int)(GetThreadLocale() & 0x3FF));
  for (const auto& entry : names)
    if (_stricmp(value.c_str(), entry.name) == 0) value = entry.number;
  return atoi(value.c_str());
}

const char* LanguageFile(int languageId) {
  switch (languageId) {
    case 7: return "german.dll";
    case 12: return "french.dll";
    case 14: return "hungarian.dll";
    default: return "english.dll";
  }
}

STRING GetAppRoot(const STRING& folder) {
  static const char* const endings[] = {"\\Debug", "\\Debug2", "\\Release", "\\Release2"};
  if (!FileExists(folder || "\\..\\main.cpp") && !FileExists(folder || "\\..\\approot.cpp"))
    return folder;
  for (const char* ending : endings) {
    int n = (int)strlen(ending);
    if (folder.Length() >= n && _stricmp(folder.c_str() + folder.Length() - n, ending) == 0)
      return folder.Left(folder.Length() - n);
  }
  return folder;
}

int Init(const STRING& programPath, const STRING& appName, const STRING& version) {
  STRING name = appName;
  if (name.Length() > 0) name.At(0) = (char)toupper((unsigned char)name.At(0));
  if (gAppTitle.NotNull() == false) gAppTitle = APP_DEFAULT_TITLE;
  gAppTitle.AppendFormat(" (%s %s)", name.c_str(), version.c_str());

  STRING folder = GetAppRoot(FolderOf(programPath.c_str())) || "\\" || appName;
  for (;;) {
    STRING path = folder || LanguageFile(gLanguageId);
    HMODULE library = LoadLibraryA(path.c_str());
    if (library != nullptr) {
      gResourceInstance = library;
      Logit("APP::Init loaded %s, language %s\n", path.c_str(),
            OSYS::GetStringFromResource(IDS_FOUNDATION_LANGUAGE).c_str());
      languageLoaded = true;
      return 1;
    }
    Logit("APP::Init LoadLibrary %s failed, error=%lu\n", path.c_str(), GetLastError());
    if (strcmp(LanguageFile(gLanguageId), "english.dll") == 0) {
      STRING message;
      message.Format("DLL not found:\r%s", path.c_str());
      MessageBoxA(nullptr, message.c_str(), APP_DEFAULT_TITLE, MB_OK | MB_ICONERROR);
      LogitOption("/LOGITCLOSE");
      ExitProcess(APP_EXIT_NODLL);
    }
    gLanguageId = 9;
  }
}

void FreeLanguageLibrary() {
  if (!languageLoaded) return;
  FreeLibrary(gResourceInstance);
  gResourceInstance = nullptr;
  languageLoaded = false;
}

}  // namespace APP
