// HELPFILE: context help from one HTML Help or WinHelp file.
#include "platform/winhelp.h"

#include <htmlhelp.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "foundation/zolan.h"
#include "platform/osysfile.h"
#include "platform/registry.h"

HELPFILE gHelpFile;

HELPFILE::HELPFILE()
    : Html(false), Cookie(0), HelpWindow(nullptr), OwnerWindow(nullptr), FileName(""),
      DefaultTopic(-1), NumHelpIds(0), hHtmlHelp(nullptr), pHtmlHelp(nullptr) {
  for (int& helpId : HelpIds) helpId = -1;
  Logit("HELPFILE::HELPFILE\n");
}

HELPFILE::~HELPFILE() {
  Logit("~HELPFILE::HELPFILE\n");
  if (Html) {
    // Only a library that was loaded has anything to uninitialise.
    if (pHtmlHelp) pHtmlHelp(nullptr, nullptr, HH_UNINITIALIZE, (DWORD_PTR)Cookie);
  } else if (HasFile()) {
    WinHelpA(OwnerWindow, FileName.c_str(), HELP_QUIT, 0);
  }
  if (hHtmlHelp) FreeLibrary(hHtmlHelp);
}

HELPFILE::HTMLHELPPROC HELPFILE::HtmlHelpEntry() {
  if (pHtmlHelp) return pHtmlHelp;
  // The control's registration tells where HTML Help lives; a machine without it may still
  // find the library on the search path.
  REGISTRY key(HKEY_CLASSES_ROOT, HELPFILE_HHCTRL_KEY, nullptr, REGMODE_READ);
  STRING registered = key.Read("");
  if (registered.NotEmpty()) {
    char expanded[MAX_PATH];
    DWORD n = ExpandEnvironmentStringsA(registered.c_str(), expanded, sizeof expanded);
    if (n > 0 && n <= sizeof expanded) registered = expanded;
    hHtmlHelp = LoadLibraryA(registered.c_str());
    if (!hHtmlHelp)
      Logit("HELPFILE::HtmlHelpEntry LoadLibraryA(%s) failed, error=%lu\n", registered.c_str(),
            GetLastError());
  }
  if (!hHtmlHelp) hHtmlHelp = LoadLibraryA("hhctrl.ocx");
  if (!hHtmlHelp) {
    Logit("HELPFILE::HtmlHelpEntry LoadLibraryA(hhctrl.ocx) failed, error=%lu\n", GetLastError());
    return nullptr;
  }
  pHtmlHelp = (HTMLHELPPROC)(void*)GetProcAddress(hHtmlHelp, "HtmlHelpA");
  if (!pHtmlHelp)
    Logit("HELPFILE::HtmlHelpEntry GetProcAddress(HtmlHelpA) failed, error=%lu\n",
          GetLastError());
  return pHtmlHelp;
}

void HELPFILE::SetFilename(const char* path, int html) {
  Logit("HELPFILE::SetFilename %s (html= %d)\n", path, html);
  if (path) {
    Html = html != 0;
    if (Html) {
      HTMLHELPPROC entry = HtmlHelpEntry();
      if (entry) entry(nullptr, nullptr, HH_INITIALIZE, (DWORD_PTR)&Cookie);
    }
    FileName = path;
    int stem = FileName.Length() >= 3 ? FileName.Length() - 3 : 0;
    STRING idFile = FileName.Left(stem) || "ids";
    if (GetFileAttributesA(idFile.c_str()) == INVALID_FILE_ATTRIBUTES)
      idFile = FileName.Left(stem) || "cnt";
    ReadIdFile(idFile);
    if (Html) UseTempCopyIfOnNetwork();
  }
  Logit("HELPFILE::SetFilename done, file is %s (html= %d)\n", FileName.c_str(), Html ? 1 : 0);
}

void HELPFILE::ReadIdFile(const STRING& path) {
  NumHelpIds = 0;
  for (int& helpId : HelpIds) helpId = -1;
  FILE* fhelpcnt = fopen(path.c_str(), "r");
  ASSERTTEXT(fhelpcnt != nullptr, "fhelpcnt!=NULL", path.c_str());
  if (!fhelpcnt) return;
  char line[512];
  while (fgets(line, sizeof line, fhelpcnt)) {
    const char* text = line;
    const char* equals = strchr(line, '=');
    if (equals) text = equals + 1;
    // A blank line names no topic; reading it as 0 would make id 0 a topic.
    if (strspn(text, " \t\r\n") == strlen(text)) continue;
    // The table holds 256 ids; further lines are reported once and not read.
    if (NumHelpIds >= HELPFILE_MAXIDS) {
      ASSERTTEXT(NumHelpIds < HELPFILE_MAXIDS, "this->NumHelpIds<ARRAYMAX(this->HelpIds)",
                 path.c_str());
      break;
    }
    HelpIds[NumHelpIds++] = atoi(text);
  }
  fclose(fhelpcnt);
}

void HELPFILE::UseTempCopyIfOnNetwork() {
  char temp[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("TEMP", temp, sizeof temp);
  if (n == 0 || n >= sizeof temp) return;
  DWORD attributes = GetFileAttributesA(temp);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  FILENAME file(FileName.c_str());
  if (!file.IsOnNetwork()) return;
  Logit("HELPFILE::SetFilename file is on network\n");
  STRING copy = FILENAME(temp, file.GetName().c_str()).c_str();
  if (CopyFileA(FileName.c_str(), copy.c_str(), FALSE)) {
    FileName = copy;
    Logit("HELPFILE::SetFilename copy to temp (%s) done\n", temp);
  } else {
    Logit("HELPFILE::SetFilename CopyFileA(%s) failed, error=%lu\n", copy.c_str(),
          GetLastError());
  }
}

bool HELPFILE::IsTopic(int topic) const {
  for (int i = 0; i < NumHelpIds; i++)
    if (HelpIds[i] == topic) return true;
  return false;
}

int HELPFILE::ShowTopic(int topic) {
  if (!IsTopic(topic)) return 0;
  if (Html) {
    STRING address;
    address.Format("%s::html/topic-%d.html", FileName.c_str(), topic);
    HTMLHELPPROC entry = HtmlHelpEntry();
    if (entry) HelpWindow = entry(OwnerWindow, address.c_str(), HH_DISPLAY_TOPIC, 0);
  } else {
    WinHelpA(OwnerWindow, FileName.c_str(), HELP_CONTEXT, (ULONG_PTR)topic);
  }
  return 1;
}

int HELPFILE::ShowContextHelp(HWND window) {
  int shown = 0;
  for (HWND w = window; w && !shown; w = ::GetParent(w))
    shown = ShowTopic((int)GetWindowLongPtrA(w, GWLP_ID));
  return shown;
}
