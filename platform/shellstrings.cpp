// The process-wide table of folder placeholders and the expansion of names that use them.
#include <cstring>

#include "foundation/zolan.h"
#include "platform/osys.h"
#include "platform/osysfile.h"
#include "platform/semaphores.h"

#define SHELLSTRING_COUNT 32

namespace {

struct SHELLSTRING {
  const char* name;  // not owned: a text that lives for the whole run; null marks a free entry
  STRING value;
  int flag;
};

// Process-wide: threads may expand names while another one sets a placeholder.
SHELLSTRING ShellStrings[SHELLSTRING_COUNT];
CRITSECT ShellStringsLock;
bool ShellStringsFilling = false;

class SHELLSTRINGLOCK {
public:
  SHELLSTRINGLOCK() { ShellStringsLock.Enter(); }
  ~SHELLSTRINGLOCK() { ShellStringsLock.Leave(); }
  SHELLSTRINGLOCK(const SHELLSTRINGLOCK&) = delete;
  SHELLSTRINGLOCK& operator=(const SHELLSTRINGLOCK&) = delete;
};

bool StartsWithNoCase(const STRING& text, const char* prefix) {
  size_t n = strlen(prefix);
  return (size_t)text.Length() >= n && _strnicmp(text.c_str(), prefix, n) == 0;
}

void RemoveTrailing(STRING& text, const char* set) {
  int n = text.Length();
  while (n > 0 && strchr(set, text.c_str()[n - 1]))
    n--;
  text.SetLength(n);
}

// Replaces every placeholder entry that starts the name with its folder.
void ReplaceLeadingPlaceholders(STRING& name) {
  for (const SHELLSTRING& entry : ShellStrings) {
    if (!entry.name)
      break;
    if (entry.value.IsEmpty() || !StartsWithNoCase(name, entry.name))
      continue;
    STRING folder(entry.value);
    RemoveTrailing(folder, "\\/");
    name.DeleteLeft((int)strlen(entry.name));
    name.Insert(folder.c_str(), 0);
  }
}

}  // namespace

void FILENAME::ShellStringsInit() {
  SHELLSTRINGLOCK lock;
  if (ShellStrings[0].name || ShellStringsFilling)
    return;
  ShellStringsFilling = true;
  Logit("FILENAME::ShellStringsInit\n");
  ShellStringSet("%USERPICTURES%", GetWin32SystemPath(SYSPATH_MYPICTURES).c_str(), 0);
  ShellStringSet("%USERPROFILE%", GetWin32SystemPath(SYSPATH_PERSONAL).c_str(), 0);
  ShellStringSet("%USERDESKTOP%", GetWin32SystemPath(SYSPATH_DESKTOP).c_str(), 0);
  ShellStringSet("%APPDATA%", GetWin32SystemPath(SYSPATH_APPDATA).c_str(), 0);
  ShellStringSet("%ALLUSERPROFILE%", GetWin32SystemPath(SYSPATH_COMMONDOCUMENTS).c_str(), 0);
  ShellStringSet("%ALLUSERAPPDATA%", GetWin32SystemPath(SYSPATH_COMMONAPPDATA).c_str(), 0);
  Logit("FILENAME::ShellStringsInit done\n");
  ShellStringsFilling = false;
}

void FILENAME::ShellStringSet(const char* placeholder, const char* value, int flag) {
  Logit("FILENAME::ShellStringSet %s %s\n", placeholder ? placeholder : "<null>",
        value ? value : "<null>");
  if (!placeholder)
    return;
  SHELLSTRINGLOCK lock;
  ShellStringsInit();
  for (SHELLSTRING& entry : ShellStrings) {
    if (entry.name && strcmp(entry.name, placeholder) != 0)
      continue;
    entry.name = placeholder;
    entry.value = STRING(value);
    entry.flag = flag;
    return;
  }
}

void FILENAME::ExpandShellString() {
  if (FullName.NotEmpty() && (FullName.c_str()[0] == '%' || FullName.c_str()[0] == '~' ||
                              FullName.iFind("%USERNAME%"))) {
    STRING before(FullName);
    SHELLSTRINGLOCK lock;
    ShellStringsInit();
    FullName.Replace("/", "\\", 1);
    if (StartsWithNoCase(FullName, "~\\")) {
      FullName.DeleteLeft(1);
      FullName.Insert("%USERPROFILE%", 0);
    }
    if (FullName.iFind("%USERNAME%")) {
      STRING user = OSYS::GetUserName();
      FullName.Replace("%USERNAME%", user.NotNull() ? user.c_str() : "", 0);
    }
    ReplaceLeadingPlaceholders(FullName);
    Logit("FILENAME::ExpandShellString %s -> %s\n", before.c_str(), FullName.c_str());
  }
  if (FullName.NotNull()) {
    FullName.Replace("/", "\\", 1);
    RemoveTrailing(FullName, "\\");
  }
}
