// The process log and the assertion handler.
//
// The log writes through plain Win32 handles and stack buffers only, so that the string type
// and the platform wrappers can log without recursing into themselves.
#include "foundation/zolan.h"

#include <commctrl.h>
#include <sys/stat.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "foundation/approot.h"
#include "foundation/strings.h"
#include "platform/osys.h"

namespace {

const int kLineLimit = 8160;     // prefix + message, before the CR LF
const int kLineBuffer = 8192;

// Process-wide log state; switched by LogitOption on the main thread (or a window procedure).
HANDLE hLogOut = nullptr;
bool logOwnsHandle = false;      // STDERR is borrowed and must survive a close
bool logOn = false;
bool debugOn = false;
unsigned LogitLevel = 0;
bool noAssert = false;
bool consoleAllocated = false;
char logFileName[256];
HANDLE hLogMutex = nullptr;
long long logTimeZero = -1;
ASSERTOBSERVER assertObserver = nullptr;

// Local time in milliseconds on a continuous scale (no jump at month or year ends).
long long LocalMilliseconds() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  ULARGE_INTEGER u;
  u.LowPart = ft.dwLowDateTime;
  u.HighPart = ft.dwHighDateTime;
  return (long long)(u.QuadPart / 10000);
}

HANDLE LogMutex() {
  if (hLogMutex == nullptr) {
    HANDLE h = CreateMutexA(nullptr, FALSE, nullptr);
    if (InterlockedCompareExchangePointer(&hLogMutex, h, nullptr) != nullptr) CloseHandle(h);
  }
  return hLogMutex;
}

bool CaseStarts(const char* text, const char* prefix) {
  return _strnicmp(text, prefix, strlen(prefix)) == 0;
}

// Builds "[ssss.hh:tttt] message" in buf, cut to kLineLimit, with a final LF as CR LF.
int BuildLine(char* buf, const char* format, va_list args) {
  long long now = LocalMilliseconds();
  if (logTimeZero < 0) logTimeZero = now;
  long long elapsed = now - logTimeZero;
  int n = snprintf(buf, kLineLimit + 1, "[%04u.%02d:%04x] ", (unsigned)(elapsed / 1000),
                   (int)(elapsed % 1000) / 10, (unsigned)(GetCurrentThreadId() & 0xFFFF));
  int room = kLineLimit + 1 - n;
  bool cut = false;
  if (strchr(format, '%') != nullptr) {
    int m = vsnprintf(buf + n, room, format, args);
    if (m < 0) m = 0;
    cut = m >= room;
    n += cut ? room - 1 : m;
  } else {
    int m = (int)strlen(format);
    cut = m >= room;
    if (cut) m = room - 1;
    memcpy(buf + n, format, m);
    n += m;
  }
  // A cut line keeps its line end when the message was meant to end one.
  size_t flen = strlen(format);
  bool endsLine = cut ? (flen > 0 && format[flen - 1] == '\n') : (n > 0 && buf[n - 1] == '\n');
  if (endsLine) {
    if (buf[n - 1] == '\n') n--;
    buf[n++] = '\r';
    buf[n++] = '\n';
  }
  buf[n] = 0;
  return n;
}

int WriteLineV(const char* format, va_list args) {
  if (!(logOn || debugOn) || format == nullptr) return 0;
  HANDLE mutex = LogMutex();
  WaitForSingleObject(mutex, INFINITE);
  char buf[kLineBuffer];
  int n = BuildLine(buf, format, args);
  bool written = false;
  if (logOn && hLogOut != nullptr) {
    DWORD done = 0;
    WriteFile(hLogOut, buf, (DWORD)n, &done, nullptr);
    written = true;
  }
  if (debugOn) {
    OutputDebugStringA(buf);
    written = true;
  }
  BOOL ok = ReleaseMutex(mutex);
  ASSERTTEXT(ok, "ok", "");
  return written ? 1 : 0;
}

bool LevelPasses(unsigned level) {
  if ((LogitLevel & 0xF) < (level & 0xF)) return false;
  unsigned categories = level & ~0xFu;
  return categories == 0 || (LogitLevel & categories) != 0;
}

void CloseLog() {
  HANDLE mutex = LogMutex();
  WaitForSingleObject(mutex, INFINITE);
  if (hLogOut != nullptr && logOwnsHandle) CloseHandle(hLogOut);
  hLogOut = nullptr;
  logOwnsHandle = false;
  logOn = false;
  if (consoleAllocated) FreeConsole();
  consoleAllocated = false;
  ReleaseMutex(mutex);
}

// Name part of the module path with ".exe" turned into "_", upper case: SETUP_ for setup.exe.
void DefaultLogName(const char* modulePath, char* out, size_t size) {
  const char* name = modulePath;
  for (const char* p = modulePath; *p; p++)
    if (*p == '\\' || *p == '/') name = p + 1;
  STRING base(name);
  base.Replace(".exe", "_", 1);
  base.ToUpper();
  if (OSYS::GetOSType() >= OSTYPE_VISTA) {
    STRING folder = GetWin32SystemPath(SYSPATH_PERSONAL);
    // Without a documents folder the working directory is the only sensible place.
    snprintf(out, size, "%sZolan_%sLOGIT.LOG", folder.NotNull() ? folder.c_str() : "",
             base.c_str());
  } else {
    snprintf(out, size, "LOGIT.LOG");
  }
}

HANDLE OpenOutput(const char* name, bool keep, bool hard) {
  logOwnsHandle = false;
  if (_stricmp(name, "STDERR") == 0) return GetStdHandle(STD_ERROR_HANDLE);
  if (_stricmp(name, "CONSOLE") == 0) {
    consoleAllocated = AllocConsole() != 0;
    return GetStdHandle(STD_OUTPUT_HANDLE);
  }
  HANDLE h = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         keep ? OPEN_ALWAYS : CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL | (hard ? FILE_FLAG_WRITE_THROUGH : 0), nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  logOwnsHandle = true;
  if (keep) {
    SetFilePointer(h, 0, nullptr, FILE_END);
    DWORD done = 0;
    WriteFile(h, "\r\n", 2, &done, nullptr);
  }
  return h;
}

void WriteStartLines(const char* modulePath) {
  char date[64] = "", clock[64] = "";
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date);
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, "HH:mm:ss", clock, sizeof clock);
  Logit("START LOGGING at %s %s\n", date, clock);
  struct _stat64 st;
  if (_stat64(modulePath, &st) != 0) memset(&st, 0, sizeof st);
  time_t mtime = (time_t)st.st_mtime;
  const char* when = ctime(&mtime);
  Logit("Running as %s %ld bytes, %s", modulePath, (long)st.st_size, when ? when : "\n");
}

// The "/LOGIT" family; option is the text after the prefix character.
void OpenLog(const char* option) {
  SYSTEMTIME st;
  GetLocalTime(&st);
  char modulePath[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, modulePath, sizeof modulePath - 1);

  char name[256];
  const char* colon = strchr(option, ':');
  if (colon != nullptr && colon[1] != 0)
    snprintf(name, sizeof name, "%s", colon + 1);
  else
    DefaultLogName(modulePath, name, sizeof name);

  if (hLogOut != nullptr || logOn) CloseLog();

  if (_stricmp(name, "UNIQUE") == 0)
    snprintf(logFileName, sizeof logFileName, "LOGIT_%lu_%d_%X.log", (unsigned long)time(nullptr),
             (int)st.wMilliseconds, (unsigned)GetCurrentProcessId());
  else
    snprintf(logFileName, sizeof logFileName, "%s", name);

  bool keep = CaseStarts(option, "LOGITKEEP");
  bool hard = CaseStarts(option, "LOGITHARD");
  HANDLE h = OpenOutput(logFileName, keep, hard);
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return;
  hLogOut = h;
  logOn = true;
  WriteStartLines(modulePath);
}

// "LOGIT", "LOGITKEEP" and "LOGITHARD", alone or followed by ":" and a file.
bool IsOpenOption(const char* name) {
  static const char* const kinds[] = {"LOGITKEEP", "LOGITHARD", "LOGIT"};
  for (const char* kind : kinds) {
    size_t n = strlen(kind);
    if (_strnicmp(name, kind, n) == 0 && (name[n] == 0 || name[n] == ':')) return true;
  }
  return false;
}

void AddLevel(const char* digits, bool openDefault) {
  LogitLevel |= (unsigned)strtoul(digits, nullptr, 10);
  if (openDefault && !logOn) OpenLog("LOGIT");
  Logit("LogitLevel %08x\n", LogitLevel);
}

void Beeps(const int* tones, int count) {
  // Triples of frequency, duration and the pause before the next tone.
  for (int i = 0; i < count; i++) {
    Beep(tones[3 * i], tones[3 * i + 1]);
    if (i + 1 < count) Sleep(tones[3 * i + 2]);
  }
}

}  // namespace

int Logit(const char* format, ...) {
  va_list args;
  va_start(args, format);
  int rc = WriteLineV(format, args);
  va_end(args);
  return rc;
}

int LogitEx(unsigned level, const char* format, ...) {
  if (!LevelPasses(level)) return 0;
  if (format == nullptr) return 1;
  va_list args;
  va_start(args, format);
  int rc = WriteLineV(format, args);
  va_end(args);
  return rc;
}

int LogitOption(const char* option) {
  if (option == nullptr || (option[0] != '/' && option[0] != '-')) return 0;
  const char* name = option + 1;
  if (_stricmp(name, "LOGITCLOSE") == 0) {
    CloseLog();
  } else if (IsOpenOption(name)) {
    OpenLog(name);
  } else if (_stricmp(name, "LOGDEBUG") == 0 || _stricmp(name, "LOGDBG") == 0) {
    debugOn = true;
  } else if (CaseStarts(name, "LOG:")) {
    AddLevel(name + 4, true);
  } else if (CaseStarts(name, "D:")) {
    AddLevel(name + 2, false);
  } else if (_stricmp(name, "NOASSERT") == 0) {
    noAssert = !noAssert;
  } else {
    return 0;
  }
  return 1;
}

void LogitHotKey(UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY || lParam == 0) return;
  const NMHDR* hdr = (const NMHDR*)lParam;
  if (hdr->code != (UINT)LVN_KEYDOWN) return;
  if (GetAsyncKeyState(VK_CONTROL) >= 0 || GetAsyncKeyState(VK_SHIFT) >= 0) return;
  static const int rising[] = {440, 200, 10, 660, 100, 10, 880, 100, 100, 880, 100, 100, 880, 100, 0};
  static const int falling[] = {880, 100, 10, 660, 100, 10, 440, 100, 0};
  switch (((const NMLVKEYDOWN*)lParam)->wVKey) {
    case VK_F5: LogitOption("/LOGIT"); Beeps(rising, 3); break;
    case VK_F6: LogitOption("/LOGITHARD"); Beeps(rising, 4); break;
    case VK_F7: LogitOption("/LOGIT:CONSOLE"); Beeps(rising, 5); break;
    case VK_F8: LogitOption("/LOGITCLOSE"); Beeps(falling, 3); break;
    default: break;
  }
}

unsigned LogitGetLevel() { return LogitLevel; }
void LogitSetLevel(unsigned level) { LogitLevel = level; }
bool LogitIsOn() { return logOn; }
const char* LogitFileName() { return logFileName; }

void AssertSetObserver(ASSERTOBSERVER observer) { assertObserver = observer; }

namespace {

const char kDetailsEnglish[] =
    "    Condition: %s\r\n    Location : %s line %d\r\n    Last Err.: %dL (%s)\r\n"
    "    Add. Info: %s\r\n";
const char kDetailsGerman[] =
    "    Bedingung: %s\r\n    Datei: %s Zeile %d\r\n    Code : %dL (%s)\r\n    Info : %s\r\n";
const char kMessageEnglish[] =
    "Unexpected condition encountered!\n\nPlease contact us via our web site and \nprovide "
    "the following information (logged \nin assert.log file in the program's \ninstallation "
    "folder):\n\n%s\nDo you want to try to continue with the program?";
const char kMessageGerman[] =
    "Es ist eine unerwartete Situation aufgetreten!\n\nBitte melden Sie die Umst\xE4nde des "
    "Fehlers und die folgenden\nInformationen an uns (siehe auch Datei assert.log im Ordner,\n"
    "in dem das Programm installiert wurde):\n\n%s\nWollen Sie jetzt versuchen mit dem "
    "Programm fortzufahren?";

const char* BaseName(const char* file) {
  const char* name = file ? file : "";
  for (const char* p = name; *p; p++)
    if (*p == '/' || *p == ':' || *p == '\\') name = p + 1;
  return name;
}

const char* AppTitle() { return gAppTitle.NotNull() ? gAppTitle.c_str() : "Zolan Application"; }

void AppendAssertLog(const STRING& details) {
  FILE* f = fopen("assert.log", "ab");
  if (f == nullptr) return;
  STRING date = OSYS::LocaleDate();
  STRING time = OSYS::LocaleTime();
  fprintf(f, "--- %s --- %s %s ---\r\n\r\n", AppTitle(), date.c_str(), time.c_str());
  fprintf(f, "%s\r\n\r\n", details.c_str());
  fclose(f);
}

// Asks whether to go on; false when the user answered No.
bool AskToContinue(const STRING& details, bool german) {
  STRING message;
  message.Format(german ? kMessageGerman : kMessageEnglish, details.c_str());
  STRING caption(AppTitle());
  caption.Append(" / ");
  caption.Append(OSYS::LocaleTime());
  return MessageBoxA(nullptr, message.c_str(), caption.c_str(), MB_YESNO | MB_ICONERROR) != IDNO;
}

}  // namespace

int Assert(int condition, const char* conditionText, const char* file, int line,
           const char* info, int quiet) {
  if (condition) return 1;
  DWORD error = GetLastError();
  STRING errorText = error != 0 ? OSYS::ErrorText((int)error) : STRING("");
  if (errorText.Length() > 511) errorText.SetLength(511);
  if (assertObserver != nullptr) assertObserver(conditionText, info);

  bool german = gLanguageId == 7;
  STRING details;
  details.Format(german ? kDetailsGerman : kDetailsEnglish, conditionText ? conditionText : "",
                 BaseName(file), line, (int)error, errorText.c_str(), info ? info : "<null>");
  Logit("*** ASSERTION FAILED: \r\n%s\n", details.c_str());
  AppendAssertLog(details);
  if (noAssert || quiet) return 1;
  if (AskToContinue(details, german)) return 1;
  // The program must not go on: stop an attached debugger here, otherwise end at once.
  if (IsDebuggerPresent()) DebugBreak();
  LogitOption("/LOGITCLOSE");
  TerminateProcess(GetCurrentProcess(), ZOLAN_ASSERT_EXITCODE);
  return 0;
}
