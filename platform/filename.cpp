// FILENAME construction, joining and the queries on one name.
#include <io.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "foundation/zolan.h"
#include "platform/osysfile.h"

#define MODULEPATH_SIZE 1024
#define FULLPATH_SIZE 256
#define COPYBLOCK_SIZE 1024

namespace {

// Counts the temporary names handed out, so that each construction gets a new one.
volatile LONG TempNameCounter = 0;

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAbsolute(const STRING& name) {
  return name.Length() >= 1 && (name.c_str()[0] == '\\' || (name.Length() >= 2 && name.c_str()[1] == ':'));
}

STRING ModulePath() {
  char path[MODULEPATH_SIZE];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  if (n == 0 || n >= sizeof path) {
    Logit("FILENAME::FILENAME GetModuleFileNameA failed, error=%lu\n", GetLastError());
    return STRING();
  }
  return STRING(path);
}

// A name in the TEMP folder that no file has yet; null when TEMP is not set.
STRING NewTempName() {
  const char* folder = getenv("TEMP");
  if (folder && *folder) {
    STRING name;
    for (int attempt = 0; attempt < 0x10000; attempt++) {
      LONG n = InterlockedIncrement(&TempNameCounter);
      name.Format("%s%s~zs%04lx%04lx.tmp", folder, IsSeparator(folder[strlen(folder) - 1]) ? "" : "\\",
                  GetCurrentProcessId() & 0xFFFF, (unsigned long)n & 0xFFFF);
      if (GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES)
        return name;
    }
  }
  ASSERTTEXT(0, "fname", folder);
  return STRING();
}

// "." for a folder that is not given.
const char* FolderOrDot(const char* folder) { return folder && *folder ? folder : "."; }

}  // namespace

FILENAME::FILENAME(const char* name) {
  if (!name)
    return;
  if (_stricmp(name, "<self>") == 0)
    FullName = ModulePath();
  else if (_stricmp(name, "<tmp>") == 0 || _stricmp(name, "<temp>") == 0)
    FullName = NewTempName();
  else
    FullName = name;
  ExpandShellString();
}

FILENAME::FILENAME(const char* folder, const char* name) {
  FILENAME n(name ? name : "");
  if (IsAbsolute(n.FullName)) {
    FullName = n.FullName;
  } else {
    FullName = FolderOrDot(folder);
    if (!IsSeparator(FullName.c_str()[FullName.Length() - 1]) && n.FullName.NotEmpty())
      FullName.Append("\\");
    FullName.Append(n.FullName);
  }
  ExpandShellString();
  Logit("FILENAME::FILENAME returns %s\n", FullName.c_str());
}

FILENAME::FILENAME(const char* folder, const char* sub, const char* name)
    : FullName(FILENAME(FILENAME(FolderOrDot(folder), FolderOrDot(sub)).c_str(), name).FullName) {
  FullName.Replace("/", "\\", 1);
  // Collapse until none is left: one pass leaves "\.\" behind in "\.\.\".
  while (FullName.Find("\\.\\"))
    FullName.Replace("\\.\\", "\\", 1);
  int n = FullName.Length();
  while (n > 0 && FullName.c_str()[n - 1] == '\\')
    n--;
  FullName.SetLength(n);
  Logit("FILENAME::FILENAME returns %s\n", FullName.c_str());
}

bool FILENAME::Exists() const { return FullName.NotNull() && _access(FullName.c_str(), 0) == 0; }

bool FILENAME::IsDirectory() const {
  if (FullName.IsEmpty())
    return false;
  DWORD attributes = GetFileAttributesA(FullName.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

long long FILENAME::Size() const {
  struct _stati64 status;
  if (FullName.IsEmpty() || _stati64(FullName.c_str(), &status) != 0)
    return -1;
  return (long long)status.st_size;
}

STRING FILENAME::GetPath() const {
  const char* text = FullName.c_str();
  for (int i = FullName.Length() - 1; i >= 0; i--)
    if (IsSeparator(text[i]))
      return FullName.Left(i);
  // A drive-relative name D:x lies in the current folder of drive D.
  if (FullName.Length() >= 2 && text[1] == ':')
    return FullName.Left(2);
  return STRING(".");
}

STRING FILENAME::GetName() const {
  const char* text = FullName.c_str();
  for (int i = FullName.Length() - 1; i >= 0; i--)
    if (IsSeparator(text[i]))
      return FullName.Mid(i + 1);
  if (FullName.Length() >= 2 && text[1] == ':')
    return FullName.Mid(2);
  return FullName;
}

STRING FILENAME::GetFullPath() const {
  char path[FULLPATH_SIZE];
  DWORD n = FullName.NotNull() ? GetFullPathNameA(FullName.c_str(), sizeof path, path, nullptr) : 0;
  if (n == 0 || n >= sizeof path) {
    Logit("FILENAME::GetFullPath %s failed, error=%lu\n", FullName.c_str(), GetLastError());
    return STRING();
  }
  return STRING(path);
}

int FILENAME::Remove() const {
  if (FullName.IsEmpty())
    return 0;
  if (DeleteFileA(FullName.c_str()))
    return 1;
  Logit("FILENAME::Remove %s failed, error=%lu\n", FullName.c_str(), GetLastError());
  return 0;
}

int FILENAME::CopyTo(const FILENAME& target, int overwrite) const {
  if (FullName.IsEmpty() || target.FullName.IsEmpty() || (!overwrite && target.Exists()))
    return 0;
  FILE* in = fopen(FullName.c_str(), "rb");
  if (!in) {
    Logit("FILENAME::CopyTo cannot open %s\n", FullName.c_str());
    return 0;
  }
  FILE* out = fopen(target.c_str(), "wb");
  if (!out) {
    Logit("FILENAME::CopyTo cannot create %s\n", target.c_str());
    fclose(in);
    return 0;
  }
  char block[COPYBLOCK_SIZE];
  bool ok = true;
  size_t n;
  while (ok && (n = fread(block, 1, sizeof block, in)) > 0)
    ok = fwrite(block, 1, n, out) == n;
  // A read error or a failed final flush loses bytes just as a short write does.
  ok = ok && !ferror(in);
  ok = (fclose(out) == 0) && ok;
  fclose(in);
  Logit("FILENAME::CopyTo %s -> %s ok=%d\n", FullName.c_str(), target.c_str(), ok ? 1 : 0);
  return ok ? 1 : 0;
}

bool FILENAME::IsOnNetwork() const {
  Logit("FILENAME::IsOnNetwork file= %s\n", FullName.NotNull() ? FullName.c_str() : "<null>");
  STRING fullname = GetFullPath();
  if (fullname.IsEmpty()) {
    ASSERTQUIET(fullname.NotEmpty(), FullName.c_str());
    return false;
  }
  const char* text = fullname.c_str();
  bool remote = false;
  STRING examined(fullname);
  if (fullname.Length() >= 3 && text[1] == ':' && text[2] == '\\') {
    examined = fullname.Left(3);
    UINT rc = GetDriveTypeA(examined.c_str());
    if (rc == DRIVE_UNKNOWN || rc == DRIVE_NO_ROOT_DIR)
      Assert(0, "rc!=0 && rc!=1", __FILE__, __LINE__, examined.c_str(), 1);
    remote = rc == DRIVE_REMOTE;
  }
  Logit("FILENAME::IsOnNetwork fullname %s returns %d\n", examined.c_str(), remote ? 1 : 0);
  return remote;
}
