#include <cstdio>

#include "foundation/zolan.h"
#include "platform/osys.h"
#include "platform/registry.h"

namespace {

#define SHELLFOLDERS_KEY "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"
#define PATHBUFFER_SIZE 1024

struct SPECIALFOLDER {
  HKEY hive;
  const char* key;
  const char* value;  // null: the index is not in use
};

const SPECIALFOLDER SpecialFolders[] = {
    {HKEY_CURRENT_USER, SHELLFOLDERS_KEY, "Programs"},
    {HKEY_CURRENT_USER, SHELLFOLDERS_KEY, "Startup"},
    {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir"},
    {nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr},
    {HKEY_CURRENT_USER, SHELLFOLDERS_KEY, "AppData"},
    {HKEY_CURRENT_USER, SHELLFOLDERS_KEY, "Personal"},
    {HKEY_CURRENT_USER, SHELLFOLDERS_KEY, "My Pictures"},
    {HKEY_CURRENT_USER, SHELLFOLDERS_KEY, "Desktop"},
    {HKEY_CURRENT_USER, SHELLFOLDERS_KEY, "SendTo"},
    {HKEY_LOCAL_MACHINE, SHELLFOLDERS_KEY, "Common Programs"},
    {HKEY_LOCAL_MACHINE, SHELLFOLDERS_KEY, "Common Startup"},
    {HKEY_LOCAL_MACHINE, SHELLFOLDERS_KEY, "Common Documents"},
    {HKEY_LOCAL_MACHINE, SHELLFOLDERS_KEY, "Common AppData"},
};

// The registry text of the folder with its environment variables expanded; null when missing.
STRING ReadFolder(const SPECIALFOLDER& folder) {
  REGISTRY key(folder.hive, folder.key, nullptr, REGMODE_READ);
  char raw[PATHBUFFER_SIZE];
  int size = sizeof raw - 1;
  if (!key.Read(folder.value, raw, &size))
    return STRING();
  raw[size] = 0;
  char expanded[PATHBUFFER_SIZE];
  DWORD n = ExpandEnvironmentStringsA(raw, expanded, sizeof expanded);
  if (n == 0 || n > sizeof expanded)
    return STRING();
  return STRING(expanded);
}

}  // namespace

STRING GetWin32SystemPath(int index) {
  const int count = (int)(sizeof SpecialFolders / sizeof SpecialFolders[0]);
  if (index < 0 || index >= count || !SpecialFolders[index].value) {
    ASSERTTEXT(0, "FALSE", nullptr);
    return STRING();
  }
  STRING path = ReadFolder(SpecialFolders[index]);
  if (!path.NotNull()) {
    char info[48];
    snprintf(info, sizeof info, "GetWin32SystemPath %d", index);
    Assert(0, "rc==ERROR_SUCCESS", __FILE__, __LINE__, info, 1);
    return path;
  }
  if (path.Length() == 0 || path.c_str()[path.Length() - 1] != '\\')
    path.Append("\\");
  return path;
}
