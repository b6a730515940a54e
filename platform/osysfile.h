// FILENAME: full Windows paths from the names found in configuration files and command lines,
// with the pseudo names "<self>", "<tmp>"/"<temp>" and folder placeholders such as "%APPDATA%";
// FILEFIND: directory enumeration; and the file-tree operations of OSYS.
#ifndef ZOLAN_OSYSFILE_H
#define ZOLAN_OSYSFILE_H

#include <windows.h>

#include "foundation/strings.h"

class STRINGARRAY;

// After construction every "/" has become "\" and there is no trailing backslash (a drive
// root D:\ reads D:).
class FILENAME {
public:
  // "<self>": the program's path; "<tmp>"/"<temp>": a new file name in the TEMP folder; any
  // other name as given, with its placeholders expanded. A null name gives a null FullName.
  FILENAME(const char* name);
  // name joined to folder unless it is absolute; a null or empty folder reads as ".".
  FILENAME(const char* folder, const char* name);
  // name joined to folder\sub, with "\.\" collapsed.
  FILENAME(const char* folder, const char* sub, const char* name);

  const char* c_str() const { return FullName.c_str(); }

  bool Exists() const;
  bool IsDirectory() const;
  // Size in bytes, -1 when unavailable.
  long long Size() const;
  // The folder part: the text before the last separator, "." when there is none.
  STRING GetPath() const;
  // The text after the last separator or drive prefix.
  STRING GetName() const;
  // The absolute form of the name; null when the system cannot give one.
  STRING GetFullPath() const;
  int Remove() const;
  // Copies the file's bytes to target; with overwrite 0 an existing target is left alone
  // and the result is 0. 1 when every byte was written.
  int CopyTo(const FILENAME& target, int overwrite) const;
  // Whether the file lies on a network drive.
  bool IsOnNetwork() const;
  // Expands "~\", "%USERNAME%" and the placeholders of the shell-string table at the start
  // of the name, then normalises the separators.
  void ExpandShellString();

  // Sets the value of a placeholder. The placeholder text is kept by pointer, so it must live
  // for the whole run (a literal). With every entry taken by others nothing is stored.
  static void ShellStringSet(const char* placeholder, const char* value, int flag);
  // Fills the table with the user's folders once; later calls return at once.
  static void ShellStringsInit();

  STRING FullName;
};

// Directory enumeration. The object owns the search handle it opened.
class FILEFIND {
public:
  FILEFIND();
  ~FILEFIND();
  FILEFIND(const FILEFIND&) = delete;
  FILEFIND& operator=(const FILEFIND&) = delete;

  // Each stores the entry's name in name, or a null string at the end, and returns whether
  // there was an entry. First ends a search that is still open.
  bool First(const char* pattern, STRING& name);
  bool Next(STRING& name);
  // Attribute bits of the current entry.
  DWORD Attributes() const;
  void Close();

private:
  HANDLE hFind;                // owned; INVALID_HANDLE_VALUE when no search is open
  WIN32_FIND_DATAA* pResult;  // owned
};

namespace OSYS {

bool FileExists(const char* path);
bool IsDirectory(const char* path);
STRING GetCurrentDir();
// Drive and folder of path (the working directory's drive when path has none), or the
// working directory when path has neither drive nor folder.
STRING FolderOf(const char* path);
// Creates every missing folder along path; whether path is a folder afterwards.
bool CreateDirectoryTree(const char* path);
// Adds the files matching pattern in folder to list (when given), and with recursive the
// sub-folders too, each after its content; returns their number. Entries starting with "."
// are skipped.
int ListFiles(const char* folder, const char* pattern, STRINGARRAY* list, int recursive);
// Copies the tree below source to target; 1 when every file was copied.
int CopyTree(const char* source, const char* target, const char* pattern, int recursive,
             int failIfExists);
// Deletes the listed files, then removes the folders that are empty by then, folder itself
// last; returns the number of folders it tried to remove.
int DeleteTree(const char* folder, const char* pattern, int recursive);

}  // namespace OSYS

#endif
