// Folder-level file operations: existence, working folder, creating, listing, copying and
// deleting folder trees.
#include <cstring>

#include "foundation/stringarray.h"
#include "foundation/zolan.h"
#include "platform/osysfile.h"

#define CURRENTDIR_SIZE 256

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// folder\name without placeholder expansion: names found on disk are taken literally, so a
// file called %USERNAME%.txt never turns into another file's name.
STRING Join(const STRING& folder, const char* name) {
  STRING path(folder);
  if (path.Length() > 0 && !IsSeparator(path.c_str()[path.Length() - 1]))
    path.Append("\\");
  path.Append(name);
  return path;
}

// A folder as the caller names it, placeholders expanded; "." when none is given.
STRING BaseFolder(const char* folder) {
  FILENAME base(folder && *folder ? folder : ".");
  return base.FullName.NotEmpty() ? base.FullName : STRING(".");
}

int ListTree(const STRING& folder, const char* pattern, STRINGARRAY* list, int recursive) {
  FILEFIND find;
  STRING entry;
  int count = 0;
  STRING search = Join(folder, pattern);
  for (bool more = find.First(search.c_str(), entry); more; more = find.Next(entry)) {
    DWORD attributes = find.Attributes();
    STRING path = Join(folder, entry.c_str());
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      count++;
      if (list)
        list->Add(path);
      continue;
    }
    if (!recursive || entry.c_str()[0] == '.')
      continue;
    // A linked folder is listed as itself, never entered: its content belongs elsewhere.
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      count += ListTree(path, pattern, list, recursive);
    count++;
    if (list)
      list->Add(path);
  }
  return count;
}

}  // namespace

namespace OSYS {

bool FileExists(const char* path) { return FILENAME(path).Exists(); }

bool IsDirectory(const char* path) { return FILENAME(path).IsDirectory(); }

STRING GetCurrentDir() {
  char folder[CURRENTDIR_SIZE];
  DWORD n = GetCurrentDirectoryA(sizeof folder, folder);
  if (n == 0 || n >= sizeof folder) {
    Logit("OSYS::GetCurrentDir GetCurrentDirectoryA failed, error=%lu\n", GetLastError());
    return STRING();
  }
  return STRING(folder);
}

STRING FolderOf(const char* path) {
  if (!path)
    return GetCurrentDir();
  int length = (int)strlen(path);
  int driveLength = length >= 2 && path[1] == ':' ? 2 : 0;
  int end = length;
  while (end > driveLength && !IsSeparator(path[end - 1]))
    end--;
  if (driveLength == 0 && end == 0)
    return GetCurrentDir();
  STRING folder;
  if (driveLength)
    folder = STRING(path, driveLength);
  else if (!(IsSeparator(path[0]) && IsSeparator(path[1])))  // a \\server\share name has no drive
    folder = GetCurrentDir().Left(2);
  else
    folder = "";
  folder.Append(path + driveLength, end - driveLength);
  int n = folder.Length();
  while (n > 0 && IsSeparator(folder.c_str()[n - 1]) && !(n == 3 && folder.c_str()[1] == ':'))
    n--;
  folder.SetLength(n);
  return folder;
}

bool CreateDirectoryTree(const char* path) {
  if (!path || !*path)
    return false;
  STRING prefix("");
  for (const char* p = path;; p++) {
    if (*p && !IsSeparator(*p)) {
      prefix.Append(p, 1);
      continue;
    }
    prefix.Append("\\");
    // Failures are expected here (drive roots, existing folders); the final test decides.
    if (!IsDirectory(prefix.c_str()))
      CreateDirectoryA(prefix.c_str(), nullptr);
    if (!*p)
      break;
  }
  bool ok = IsDirectory(path);
  Logit("OSYS::CreateDirectoryTree %s returns %d\n", path, ok ? 1 : 0);
  return ok;
}

int ListFiles(const char* folder, const char* pattern, STRINGARRAY* list, int recursive) {
  STRING base = BaseFolder(folder);
  int count = ListTree(base, pattern ? pattern : "*.*", list, recursive);
  Logit("OSYS::ListFiles %s returns %d\n", base.c_str(), count);
  return count;
}

int CopyTree(const char* source, const char* target, const char* pattern, int recursive,
             int failIfExists) {
  STRING from = BaseFolder(source);
  STRING to = BaseFolder(target);
  STRINGARRAY list;
  ListTree(from, pattern ? pattern : "*.*", &list, recursive);
  list.Add(from);
  int fl = from.Length();
  int result = 1;
  // From the end, so that every folder exists before its content arrives.
  for (int i = list.Count() - 1; i >= 0; i--) {
    STRING item = list.Get(i);
    if (item.Left(fl) != from) {
      ASSERTTEXT(0, "source.Left(fl)==from", item.c_str());
      result = 0;
      continue;
    }
    STRING name(to);
    name.Append(item.Mid(fl));
    if (IsDirectory(item.c_str())) {
      if (!CreateDirectoryTree(name.c_str()))
        result = 0;
    } else if (!CopyFileA(item.c_str(), name.c_str(), failIfExists ? TRUE : FALSE)) {
      Logit("OSYS::CopyTree CopyFileA %s -> %s failed, error=%lu\n", item.c_str(), name.c_str(),
            GetLastError());
      result = 0;
    }
  }
  Logit("OSYS::CopyTree %s -> %s returns %d\n", from.c_str(), to.c_str(), result);
  return result;
}

int DeleteTree(const char* folder, const char* pattern, int recursive) {
  STRING base = BaseFolder(folder);
  STRINGARRAY list;
  ListTree(base, pattern ? pattern : "*.*", &list, recursive);
  list.Add(base);
  for (int i = 0; i < list.Count(); i++) {
    STRING item = list.Get(i);
    DWORD attributes = GetFileAttributesA(item.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
      continue;
    if (!DeleteFileA(item.c_str()))
      Logit("OSYS::DeleteTree DeleteFileA %s failed, error=%lu\n", item.c_str(), GetLastError());
    list.DeleteItem(i--);
  }
  // Content comes before its folder, so each folder is empty when its turn comes.
  int tried = list.Count();
  for (int i = 0; i < tried; i++)
    if (!RemoveDirectoryA(list.Get(i).c_str()))
      Logit("OSYS::DeleteTree RemoveDirectoryA %s failed, error=%lu\n", list.Get(i).c_str(),
            GetLastError());
  Logit("OSYS::DeleteTree %s returns %d\n", base.c_str(), tried);
  return tried;
}

}  // namespace OSYS
