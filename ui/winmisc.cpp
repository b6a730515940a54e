#include "ui/winmisc.h"

#include <commdlg.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "foundation/approot.h"
#include "foundation/zolan.h"
#include "ids/winmisc.h"
#include "platform/osys.h"

namespace {

// The save dialog's result, documented as valid until the next call.
char gSaveFileDialogPath[MAX_PATH];

// What the C runtime's printf shows for a null string, so log lines read as they always did.
const char* Printable(const char* text) {
  return text ? text : "(null)";
}

// Copies at most size-1 characters and always terminates.
void CopyCut(char* target, size_t size, const char* source) {
  size_t n = strlen(source);
  if (n >= size) {
    n = size - 1;
  }
  memcpy(target, source, n);
  target[n] = '\0';
}

int ShowBox(const char* name, HWND owner, const char* title, const char* text, UINT style) {
  Logit("WINZOLAN::%s title=%s text=%s\n", name, Printable(title), Printable(text));
  STRING caption = title ? STRING(title) : OSYS::GetStringFromResource(IDS_MSGBOX_TITLE);
  return MessageBoxA(owner, text ? text : "", caption.c_str(), style);
}

// Appends "name (pattern)\0pattern\0" when it fits in front of the closing NUL; false when not.
bool AddFileType(WINZOLAN::SAVEFILETYPES* out, size_t* used, const STRING& name, const STRING& pattern) {
  STRING entry;
  entry.Format("%s (%s)", name.c_str(), pattern.c_str());
  size_t needed = (size_t)entry.Length() + 1 + (size_t)pattern.Length() + 1;
  // The handler lets the caller go on after a failed assertion, so the check stands alone.
  if (*used + needed >= SAVEFILE_TYPES_SIZE) {
    ASSERTTEXT(false, "_tcslen(filetypes)<2048", entry.c_str());
    return false;
  }
  memcpy(out->Types + *used, entry.c_str(), (size_t)entry.Length() + 1);
  *used += (size_t)entry.Length() + 1;
  memcpy(out->Types + *used, pattern.c_str(), (size_t)pattern.Length() + 1);
  *used += (size_t)pattern.Length() + 1;
  return true;
}

STRING FilterTextWithAllFiles(const char* filterText, int languageId) {
  const char* allFiles = languageId == 7 ? "\nAlle Dateien|*.*" : "\nAll Files|*.*";
  STRING text(filterText ? filterText : allFiles);
  if (!text.Find("|*.*")) {
    while (text.Length() > 0 && text.c_str()[text.Length() - 1] == '\n') {
      text.DeleteRight(1);
    }
    text.Append(allFiles);
  }
  return text;
}

BOOL IsFolder(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CALLBACK BrowseCallback(HWND dialog, UINT message, LPARAM, LPARAM startFolder) {
  if (message == BFFM_INITIALIZED && startFolder) {
    SendMessageA(dialog, BFFM_SETSELECTIONA, TRUE, startFolder);
  }
  return 0;
}

STRING PathOfItemList(LPITEMIDLIST items) {
  char path[MAX_PATH] = "";
  BOOL ok = SHGetPathFromIDListA(items, path);
  if (!ok) {
    Logit("WINDOWS::BrowseForFolder SHGetPathFromIDListA failed, error=%lu\n", GetLastError());
  }
  IMalloc* shellMalloc = nullptr;
  if (SUCCEEDED(SHGetMalloc(&shellMalloc)) && shellMalloc) {
    shellMalloc->Free(items);
    shellMalloc->Release();
  }
  if (!ok) {
    return STRING();
  }
  size_t n = strlen(path);
  if (n > 0 && path[n - 1] == '\\') {
    path[n - 1] = '\0';
  }
  return STRING(path);
}

// The command line CreateProcessA gets; false when it would not fit its buffer.
bool BuildCommandLine(const char* program, const char* parameters, char* line, size_t size) {
  int n;
  if (parameters && *parameters) {
    n = snprintf(line, size, program[0] == '"' ? "%s %s" : "\"%s\" %s", program, parameters);
  } else {
    n = snprintf(line, size, "%s", program);
  }
  if (n < 0 || (size_t)n >= size) {
    Logit("START PROGRAM: command line of %d characters does not fit, not started\n", n);
    return false;
  }
  return true;
}

void WaitForEnd(HANDLE process) {
  for (;;) {
    DWORD result = WaitForSingleObject(process, INFINITE);
    if (result == WAIT_OBJECT_0) {
      return;
    }
    if (result == WAIT_FAILED) {
      Logit("START PROGRAM: WaitForSingleObject failed, error=%lu\n", GetLastError());
      return;
    }
  }
}

}  // namespace

namespace WINZOLAN {

void InfoMsgBox(HWND owner, const char* title, const char* text) {
  ShowBox("InfoMsgBox", owner, title, text, MB_SETFOREGROUND | MB_ICONINFORMATION);
}

void ErrorMsgBox(HWND owner, const char* title, const char* text) {
  ShowBox("ErrorMsgBox", owner, title, text, MB_SETFOREGROUND | MB_ICONERROR);
}

int YesNoMsgBox(HWND owner, const char* title, const char* text) {
  int answer = ShowBox("YesNoMsgBox", owner, title, text, MB_SETFOREGROUND | MB_ICONQUESTION | MB_YESNO);
  return answer == IDYES ? 1 : 0;
}

void BuildSaveFileTypes(const char* filterText, int languageId, SAVEFILETYPES* out) {
  memset(out, 0, sizeof *out);
  STRING text = FilterTextWithAllFiles(filterText, languageId);
  size_t used = 0;
  for (int i = 0;; ++i) {
    STRING line = text.GetToken(i, "\n");
    if (!line.NotNull()) {
      break;
    }
    if (i == 0 && line.Length() > 0 && line.c_str()[0] == '.') {
      CopyCut(out->DefExt, sizeof out->DefExt, line.c_str() + 1);
      continue;
    }
    STRING name = line.GetToken(0, "|");
    STRING pattern = line.GetToken(1, "|");
    // A name without a pattern would offer a file type that matches nothing.
    if (name.IsEmpty() || pattern.IsEmpty()) {
      continue;
    }
    // One assertion is enough: the types that did fit are offered.
    if (!AddFileType(out, &used, name, pattern)) {
      break;
    }
  }
}

void SplitProposedPath(const char* proposed, STRING* folder, STRING* name) {
  const char* path = proposed ? proposed : "";
  const char* slash = strrchr(path, '\\');
  if (*path && IsFolder(path)) {
    *folder = path;
    *name = "";
  } else if (slash) {
    *folder = STRING(path, (int)(slash - path));
    *name = slash + 1;
  } else {
    *folder = ".";
    *name = path;
  }
}

const char* SaveFileDialog(HWND owner, const char* title, const char* proposed,
                           const char* filterText) {
  SAVEFILETYPES types;
  BuildSaveFileTypes(filterText, gLanguageId, &types);
  STRING folder;
  STRING name;
  SplitProposedPath(proposed, &folder, &name);
  char file[MAX_PATH];
  CopyCut(file, sizeof file, name.c_str());
  char caption[SAVEFILE_TITLE_SIZE];
  CopyCut(caption, sizeof caption, title ? title : "");

  OPENFILENAMEA dialog{};
  dialog.lStructSize = OSYS::GetOSType() < 3 ? OPENFILENAME_SIZE_VERSION_400A : sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = types.Types;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = sizeof file;
  dialog.lpstrInitialDir = folder.c_str();
  dialog.lpstrTitle = title ? caption : nullptr;
  dialog.lpstrDefExt = types.DefExt;
  dialog.Flags = OFN_LONGNAMES | OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameA(&dialog)) {
    DWORD error = CommDlgExtendedError();
    if (error) {
      Logit("WINZOLAN::SaveFileDialog GetSaveFileNameA failed, error=%lx\n", error);
    }
    return nullptr;
  }
  CopyCut(gSaveFileDialogPath, sizeof gSaveFileDialogPath, file);
  size_t n = strlen(gSaveFileDialogPath);
  if (n > 0 && gSaveFileDialogPath[n - 1] == '.') {
    gSaveFileDialogPath[n - 1] = '\0';
  }
  return gSaveFileDialogPath;
}

int StartProgram(const char* program, const char* parameters, const char* folder,
                 const char* title, bool wait, PROCESS_INFORMATION* record) {
  if (!program) {
    Logit("START PROGRAM: no program given\n");
    return 0;
  }
  bool hidden = program[0] == '*';
  if (hidden) {
    ++program;
  }
  Logit("START PROGRAM: %s %s\n", program, Printable(parameters));
  char line[STARTPROGRAM_CMDLINE_SIZE];
  if (!BuildCommandLine(program, parameters, line, sizeof line)) {
    return 0;
  }
  if (folder && strlen(folder) >= STARTPROGRAM_FOLDER_SIZE) {
    Logit("START PROGRAM: working folder too long, not started\n");
    return 0;
  }
  char caption[STARTPROGRAM_TITLE_SIZE];
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (title) {
    CopyCut(caption, sizeof caption, title);
    startup.lpTitle = caption;
  }
  if (hidden) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
  }
  PROCESS_INFORMATION info{};
  BOOL rc = CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &info);
  Logit("START PROGRAM: rc= %d\n", rc);
  if (!rc) {
    Logit("START PROGRAM: CreateProcessA failed, error=%lu\n", GetLastError());
  }
  if (rc && wait) {
    WaitForEnd(info.hProcess);
  }
  if (record) {
    *record = info;
  } else {
    if (info.hProcess) CloseHandle(info.hProcess);
    if (info.hThread) CloseHandle(info.hThread);
  }
  Logit("START PROGRAM: return\n");
  return rc;
}

int StartProgram(const char* program, const char* parameters, const char* title, bool wait) {
  return StartProgram(program, parameters, nullptr, title, wait, nullptr);
}

int StartProgramExitCode(const char* program, const char* parameters, const char* folder,
                         const char* title) {
  PROCESS_INFORMATION info{};
  if (!StartProgram(program, parameters, folder, title, true, &info)) {
    return -1;
  }
  DWORD code = (DWORD)-1;
  if (!GetExitCodeProcess(info.hProcess, &code)) {
    Logit("START PROGRAM: GetExitCodeProcess failed, error=%lu\n", GetLastError());
  }
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return (int)code;
}

}  // namespace WINZOLAN

namespace WINDOWS {

STRING BrowseForFolder(HWND owner, const char* title, const char* startFolder) {
  // The dialog's shell objects need COM on this thread; a repeated call is harmless.
  CoInitialize(nullptr);
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = BrowseCallback;
  info.lParam = (LPARAM)startFolder;
  LPITEMIDLIST items = SHBrowseForFolderA(&info);
  if (!items) {
    return STRING();
  }
  return PathOfItemList(items);
}

}  // namespace WINDOWS
