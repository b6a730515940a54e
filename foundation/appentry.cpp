// The process entry point: prepares the process, builds the argument table, applies the
// logging options, chooses the language and runs the application's AppMain.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "foundation/approot.h"
#include "foundation/zolan.h"
#include "platform/osys.h"

namespace {

const int kPathBuffer = 256;

// The low-fragmentation heap where the system offers it; otherwise the runtime's small-block
// allocator serves small requests. Both are looked up at run time: neither exists everywhere.
void RequestLowFragmentationHeap() {
  typedef BOOL(WINAPI * HEAPSETINFORMATION)(HANDLE, HEAP_INFORMATION_CLASS, PVOID, SIZE_T);
  HEAPSETINFORMATION heapSet = (HEAPSETINFORMATION)(void*)GetProcAddress(
      GetModuleHandleA("kernel32.dll"), "HeapSetInformation");
  ULONG mode = 2;
  if (heapSet != nullptr && heapSet(GetProcessHeap(), HeapCompatibilityInformation, &mode, sizeof mode))
    return;
  typedef int(__cdecl * SETSBHTHRESHOLD)(size_t);
  SETSBHTHRESHOLD setThreshold = (SETSBHTHRESHOLD)(void*)GetProcAddress(
      GetModuleHandleA("msvcrt.dll"), "_set_sbh_threshold");
  if (setThreshold != nullptr) setThreshold(1016);
}

bool IsServiceProgram(const char* modulePath) {
  const char* name = modulePath;
  for (const char* p = modulePath; *p; p++)
    if (*p == '\\' || *p == '/') name = p + 1;
  return _stricmp(name, "service.exe") == 0;
}

// Builds the argument table from the command-line copy; returns argc. argv receives the
// tokens with argv[0] the module path and argv[argc] null.
int BuildArgumentTable(HINSTANCE instance, char* line, char* modulePath, char** argv) {
  gAppInstance = gResourceInstance = instance;
  GetModuleFileNameA(nullptr, modulePath, kPathBuffer - 1);
  bool service = IsServiceProgram(modulePath);
  char startDir[kPathBuffer] = ".";
  if (GetCurrentDirectoryA(sizeof startDir, startDir) == 0) lstrcpyA(startDir, ".");
  STRING appRoot = APP::GetAppRoot(APP::FolderOf(modulePath));
  SetCurrentDirectoryA(appRoot.c_str());
  INITCOMMONCONTROLSEX controls = {8, 0x7FF};
  InitCommonControlsEx(&controls);

  int dropped = 0;
  int argc = APP::Tokenise(line, argv, APP_MAXARGS - 1, &dropped);
  for (int i = 1; i < argc; i++) LogitOption(argv[i]);
  if (dropped > 0) Logit("APP::WinMain %d command-line arguments beyond the table ignored\n", dropped);
  // The program path as typed gives way to the full module path.
  if (argc == 0) argc = 1;
  argv[0] = modulePath;
  argv[argc] = nullptr;
  APP::SetArguments(modulePath, argv, argc);
  APP::ReadCommandLineFiles(appRoot.c_str(), startDir, modulePath, !service);
  APP::LogArguments();
  return argc;
}

void StartupDelay() {
  if (!TestArgValue("STARTUPDELAY", 0)) return;
  STRING seconds = GetArgValue("STARTUPDELAY", 0);
  int n = seconds.NotNull() ? atoi(seconds.c_str()) : 0;
  if (n > 0) Sleep((DWORD)n * 1000);
}

}  // namespace

int APP::WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  char* line = _strdup(GetCommandLineA());
  if (line == nullptr) return 1;
  RequestLowFragmentationHeap();
  _putenv("TZ=");
  _tzset();
  OSYS::Clock();
  gMainThreadId = GetCurrentThreadId();
  gAppTitle = APP_DEFAULT_TITLE;

  char modulePath[kPathBuffer] = {0};
  char* argv[APP_MAXARGS] = {nullptr};
  int argc = BuildArgumentTable(instance, line, modulePath, argv);
  Logit("APP::WinMain instance=%08x parm=%s, gMainThreadId= %08x\n",
        (unsigned)(UINT_PTR)instance, commandLine ? commandLine : "", (unsigned)gMainThreadId);
  gLanguageId = APP::ChooseLanguage();
  StartupDelay();

  int rc = AppMain(argc, argv, _environ);
  Logit("AppMain returned %d\n", rc);
  LogitOption("/LOGITCLOSE");
  free(line);
  STRING::ShutdownPool();
  APP::FreeLanguageLibrary();
  return rc;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  return APP::WinMain(instance, previous, commandLine, show);
}
