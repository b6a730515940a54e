// Records HtmlHelpA calls, one line each, in the file named by the environment variable
// HHRECORDER_LOG (nothing is recorded without it):
//   HH_INITIALIZE <cookie handed out>
//   HH_DISPLAY_TOPIC <owner != 0> <topic>
//   HH_UNINITIALIZE <cookie given back>
//   <command> for any other command
#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace {

const UINT kDisplayTopic = 0x0000;
const UINT kInitialize = 0x001C;
const UINT kUninitialize = 0x001D;
// The cookie handed out, so that a test can see it come back.
const DWORD kCookie = 0x5A17;

void Record(const char* format, ...) {
  char path[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("HHRECORDER_LOG", path, sizeof path);
  if (n == 0 || n >= sizeof path) return;
  FILE* f = fopen(path, "ab");
  if (!f) return;
  va_list args;
  va_start(args, format);
  vfprintf(f, format, args);
  va_end(args);
  fputs("\n", f);
  fclose(f);
}

}  // namespace

extern "C" __declspec(dllexport) HWND WINAPI HtmlHelpA(HWND owner, LPCSTR file, UINT command,
                                  DWORD_PTR data) {
  switch (command) {
    case kInitialize:
      if (data) *(DWORD*)data = kCookie;
      Record("HH_INITIALIZE %lu", kCookie);
      break;
    case kDisplayTopic:
      Record("HH_DISPLAY_TOPIC %d %s", owner ? 1 : 0, file ? file : "(null)");
      break;
    case kUninitialize:
      Record("HH_UNINITIALIZE %lu", (unsigned long)data);
      break;
    default:
      Record("%u", command);
      break;
  }
  return nullptr;
}
