#include <cstring>
#include <ctime>

#include "foundation/zolan.h"
#include "platform/osys.h"
#include "platform/osysfile.h"
#include "platform/registry.h"

#define AUTOSTART_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Run"
#define USERNAME_SIZE 256

namespace OSYS {

long long Time() { return (long long)time(nullptr); }

STRING DateString() {
  time_t now = time(nullptr);
  struct tm local = {};
  STRING date;
  if (localtime_s(&local, &now) == 0)
    date.Format("%04d-%02d-%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
  return date;
}

STRING GetUserName() {
  char name[USERNAME_SIZE];
  DWORD size = sizeof name;
  if (!::GetUserNameA(name, &size)) {
    Logit("OSYS::GetUserName GetUserNameA failed, error=%lu\n", GetLastError());
    return STRING();
  }
  return STRING(name);
}

namespace {

// The program itself as an autostart command: its path in double quotes.
bool MeansSelf(const char* command, const STRING& self) {
  return command == AUTOSTART_SELF || _stricmp(command, "<ownfile>") == 0 ||
         _stricmp(command, "<self>") == 0 || self == command;
}

}  // namespace

int SetAutostart(const char* name, const char* command) {
  REGISTRY run(HKEY_CURRENT_USER, AUTOSTART_KEY, nullptr, REGMODE_CREATE);
  if (!command)
    return run.DeleteValue(name);
  FILENAME self("<self>");
  STRING data;
  if (MeansSelf(command, self.FullName))
    data.Format("\"%s\"", self.FullName.c_str());
  else
    data = command;
  LONG rc = ERROR_INVALID_HANDLE;
  if (run.IsOpen())
    rc = RegSetValueExA(run.Key(), name, 0, REG_SZ, (const BYTE*)data.c_str(),
                        (DWORD)data.Length() + 1);
  Logit("OSYS::SetAutostart name= %s, data= %s, error=%d\n", name ? name : "<null>", data.c_str(),
        (int)rc);
  return rc == ERROR_SUCCESS ? 1 : 0;
}

}  // namespace OSYS
