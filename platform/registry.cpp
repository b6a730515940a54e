#include "platform/registry.h"

#include <shlwapi.h>

#include <cstring>

#include "foundation/zolan.h"

#define REGISTRY_LOGLEVEL 2

namespace {

const char* Shown(const char* text) { return text ? text : "<null>"; }

bool StartsWithNoCase(const char* text, const char* prefix) {
  return _strnicmp(text, prefix, strlen(prefix)) == 0;
}

}  // namespace

STRING RegistryKeyPath(const char* base, const char* sub) {
  if (!base)
    base = "";
  // The Mailbarrow family keeps its settings under another company key.
  if (sub && StartsWithNoCase(sub, "Mailbarrow") &&
      (_stricmp(base, "Software\\Zolan\\") == 0 || _stricmp(base, "Software\\Zolan") == 0))
    base = "Software\\Dunmo";
  STRING path(base);
  if (sub) {
    if (path.Length() == 0 || path.c_str()[path.Length() - 1] != '\\')
      path.Append("\\");
    while (*sub == '\\')
      sub++;
    path.Append(sub);
  }
  int n = path.Length();
  while (n > 0 && path.c_str()[n - 1] == '\\')
    n--;
  path.SetLength(n);
  return path;
}

REGISTRY::REGISTRY(HKEY root, const char* base, const char* sub, int mode)
    : hkApp(nullptr), hkRoot(nullptr) {
  Open(root, base, sub, mode);
}

REGISTRY::REGISTRY(const char* app, const char* base, HKEY hive)
    : hkApp(nullptr), hkRoot(nullptr) {
  // An unexpanded placeholder such as "<self>" would become a junk key name.
  if (!app)
    return;
  if (app[0] == '<') {
    ASSERTTEXT(0, "app[0]!='<'", app);
    return;
  }
  HKEY root = hive;
  if (hive == REGHIVE_LOCALMACHINE)
    root = HKEY_LOCAL_MACHINE;
  else if (hive == REGHIVE_CURRENTUSER)
    root = HKEY_CURRENT_USER;
  Open(root, base, app, REGMODE_CREATE);
  if (!hkApp) {
    STRING info;
    info.Format("%s/%s/%lu", app, Shown(base), (unsigned long)(UINT_PTR)hive);
    Assert(0, "this->hkApp!=NULL", __FILE__, __LINE__, info.c_str(), 1);
  }
}

REGISTRY::~REGISTRY() { Close(); }

void REGISTRY::Open(HKEY root, const char* base, const char* sub, int mode) {
  STRING path = RegistryKeyPath(base, sub);
  HKEY hk = nullptr;
  LONG rc;
  switch (mode) {
    case REGMODE_READ:
      rc = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &hk);
      break;
    case REGMODE_WRITE:
      rc = RegOpenKeyExA(root, path.c_str(), 0, KEY_WRITE, &hk);
      break;
    case REGMODE_CREATE:
      rc = RegCreateKeyA(root, path.c_str(), &hk);
      break;
    default:
      ASSERTTEXT(0, "FALSE", nullptr);
      rc = ERROR_INVALID_PARAMETER;
      break;
  }
  LogitEx(REGISTRY_LOGLEVEL, "REGISTRY::REGISTRY key=%s, mode=%d, error=%d\n", path.c_str(), mode,
          (int)rc);
  if (rc != ERROR_SUCCESS)
    return;
  hkApp = hk;
  hkRoot = root;
  KeyPath = path;
}

void REGISTRY::Close() {
  if (!hkApp)
    return;
  RegCloseKey(hkApp);
  hkApp = nullptr;
}

int REGISTRY::Write(const char* name, const char* text) {
  LONG rc = ERROR_INVALID_HANDLE;
  if (!text)
    rc = ERROR_INVALID_PARAMETER;
  else if (hkApp)
    rc = RegSetValueExA(hkApp, name, 0, REG_SZ, (const BYTE*)text, (DWORD)strlen(text));
  LogitEx(REGISTRY_LOGLEVEL, "REGISTRY::Write String value= %s; data=%s, error=%08x\n", Shown(name),
          Shown(text), (unsigned)rc);
  return rc == ERROR_SUCCESS ? 1 : 0;
}

int REGISTRY::Write(const char* name, const void* data, int length) {
  LONG rc = ERROR_INVALID_HANDLE;
  if (length < 0 || (!data && length > 0))
    rc = ERROR_INVALID_PARAMETER;
  else if (hkApp)
    rc = RegSetValueExA(hkApp, name, 0, REG_BINARY, (const BYTE*)data, (DWORD)length);
  LogitEx(REGISTRY_LOGLEVEL, "REGISTRY::Write binary value= %s, error=%08x\n", Shown(name),
          (unsigned)rc);
  return rc == ERROR_SUCCESS ? 1 : 0;
}

int REGISTRY::Read(const char* name, void* buffer, int* size) {
  LONG rc = ERROR_INVALID_HANDLE;
  if (!buffer || !size || *size < 0)
    rc = ERROR_INVALID_PARAMETER;
  else if (hkApp) {
    DWORD length = (DWORD)*size;
    rc = RegQueryValueExA(hkApp, name, nullptr, nullptr, (BYTE*)buffer, &length);
    if (rc == ERROR_SUCCESS) {
      if ((int)length < *size)
        ((char*)buffer)[length] = 0;
      *size = (int)length;
    }
  }
  LogitEx(REGISTRY_LOGLEVEL, "REGISTRY::Read key=%s, ok=%d, error=%d\n", Shown(name),
          rc == ERROR_SUCCESS ? 1 : 0, (int)rc);
  return rc == ERROR_SUCCESS ? 1 : 0;
}

STRING REGISTRY::Read(const char* name) {
  STRING value;
  LONG rc = ERROR_INVALID_HANDLE;
  if (hkApp) {
    value.Make(REGISTRY_MAXVALUE);
    DWORD type = REG_NONE;
    DWORD length = REGISTRY_MAXVALUE;
    rc = RegQueryValueExA(hkApp, name, nullptr, &type, (BYTE*)value.Data(), &length);
    if (rc == ERROR_SUCCESS) {
      int n = (int)length;
      if (type == REG_SZ || type == REG_EXPAND_SZ)
        while (n > 1 && value.c_str()[n - 1] == 0)
          n--;
      value.SetLength(n);
    } else {
      value.Free();
    }
  }
  LogitEx(REGISTRY_LOGLEVEL, "REGISTRY::Read key=%s, ok=%d, error=%d\n", Shown(name),
          rc == ERROR_SUCCESS ? 1 : 0, (int)rc);
  return value;
}

int REGISTRY::DeleteValue(const char* name) {
  LONG rc = hkApp ? RegDeleteValueA(hkApp, name) : ERROR_INVALID_HANDLE;
  LogitEx(REGISTRY_LOGLEVEL, "REGISTRY::delete value= %s, error=%d\n", Shown(name), (int)rc);
  return rc == ERROR_SUCCESS ? 1 : 0;
}

int REGISTRY::DeleteKey(const char* sub, int recursive) {
  LONG rc = ERROR_INVALID_HANDLE;
  // An empty subkey name would make the system delete this key itself (and its whole tree).
  if (!sub || !*sub)
    rc = ERROR_INVALID_PARAMETER;
  else if (hkApp)
    rc = recursive ? (LONG)SHDeleteKeyA(hkApp, sub) : RegDeleteKeyA(hkApp, sub);
  LogitEx(REGISTRY_LOGLEVEL, "REGISTRY::delete key= %s, error=%d\n", Shown(sub), (int)rc);
  return rc == ERROR_SUCCESS ? 1 : 0;
}

STRINGARRAY REGISTRY::EnumValues() {
  STRINGARRAY names;
  if (!hkApp)
    return names;
  for (DWORD index = 0;; index++) {
    char name[REGISTRY_MAXNAME];
    DWORD length = sizeof name;
    if (RegEnumValueA(hkApp, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.Add(STRING(name));
  }
  return names;
}

int REGISTRY::ValueList(STRING& out) {
  STRINGARRAY names = EnumValues();
  STRING list("");
  for (int i = 0; i < names.Count(); i++) {
    if (i > 0)
      list.Append("|");
    list.Append(names.Get(i));
  }
  out = list;
  return names.Count();
}
