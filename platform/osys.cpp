// OSYS system basics: operating-system type, the millisecond clock, locale dates and times,
// error texts and texts from the language library.
#include "platform/osys.h"

#include "foundation/approot.h"
#include "foundation/zolan.h"

namespace {

// Time zero of OSYS::Clock; fixed by the first call or by a reset.
long long clockZero = -1;

long long MonthMilliseconds() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  long long seconds = ((st.wDay * 24LL + st.wHour) * 60 + st.wMinute) * 60 + st.wSecond;
  return seconds * 1000 + st.wMilliseconds;
}

}  // namespace

namespace OSYS {

int GetOSType() {
  OSVERSIONINFOA vi;
  ZeroMemory(&vi, sizeof vi);
  vi.dwOSVersionInfoSize = sizeof vi;
  GetVersionExA(&vi);
  LogitEx(1, "OSYS::GetOSType %d.%d\n", (int)vi.dwMajorVersion, (int)vi.dwMinorVersion);
  if (vi.dwPlatformId != VER_PLATFORM_WIN32_NT) return OSTYPE_WIN9X;
  if (vi.dwMajorVersion < 5) return OSTYPE_NT4;
  if (vi.dwMajorVersion >= 6) return OSTYPE_VISTA;
  if (vi.dwMinorVersion == 0) return OSTYPE_WIN2000;
  if (vi.dwMinorVersion == 1) return OSTYPE_WINXP;
  return OSTYPE_WIN2003;
}

long long Clock(int reset) {
  long long now = MonthMilliseconds();
  if (clockZero < 0 || reset) clockZero = now;
  return now - clockZero;
}

STRING LocaleDate() {
  char buf[128];
  if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buf, sizeof buf) == 0)
    buf[0] = 0;
  return STRING(buf);
}

STRING LocaleTime() {
  char format[80];
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, format, sizeof format) == 0)
    lstrcpyA(format, "HH:mm:ss");
  char buf[128];
  if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, format, buf, sizeof buf) == 0) buf[0] = 0;
  return STRING(buf);
}

STRING ErrorText(int code) {
  DWORD error = code == OSYS_LASTERROR ? GetLastError() : (DWORD)code;
  char buf[256];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           error, 0, buf, sizeof buf, nullptr);
  if (n == 0) return STRING("<no error>");
  while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n')) n--;
  return STRING(buf, (int)n);
}

STRING GetStringFromResource(int id, HINSTANCE module) {
  if (module == (HINSTANCE)(LONG_PTR)-1) module = gResourceInstance;
  char buf[256];
  int n = LoadStringA(module, (UINT)id, buf, sizeof buf);
  STRING text = n > 0 ? STRING(buf, n) : STRING("<STR-ERR>");
  LogitEx(12, "OSYS::GetStringFromResource %d returns %s\n", id, text.c_str());
  return text;
}

}  // namespace OSYS
