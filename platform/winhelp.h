// HELPFILE: context help from one HTML Help or WinHelp file.
//
// Topics are addressed by number; the numbers are the control and dialog ids of the user
// interface. Only ids listed in the companion id file (the help file's name ending in "ids",
// else in "cnt") are topics. HTML Help is loaded at run time from the registered location of
// the HTML Help control, else from "hhctrl.ocx".
#ifndef ZOLAN_PLATFORM_WINHELP_H
#define ZOLAN_PLATFORM_WINHELP_H

#include <windows.h>

#include "foundation/strings.h"

#define HELPFILE_MAXIDS 256

class HELPFILE {
public:
  HELPFILE();
  ~HELPFILE();
  HELPFILE(const HELPFILE&) = delete;
  HELPFILE& operator=(const HELPFILE&) = delete;

  // Sets the help file and reads its id file; a null path changes nothing.
  void SetFilename(const char* path, int html);
  bool HasFile() const { return FileName.NotEmpty(); }
  const STRING& GetFilename() const { return FileName; }
  // Shows the topic when id is one of the file's topics; 1 when shown.
  int ShowTopic(int topic);
  // ShowTopic with the window's control id, then with each parent's, until one is shown.
  int ShowContextHelp(HWND window);
  void SetDefaultTopic(int topic) { DefaultTopic = topic; }
  int GetDefaultTopic() const { return DefaultTopic; }
  int GetNumHelpIds() const { return NumHelpIds; }

private:
  typedef HWND(WINAPI* HTMLHELPPROC)(HWND, LPCSTR, UINT, DWORD_PTR);

  // HtmlHelpA from the HTML Help control, loaded on first use; null when unavailable.
  HTMLHELPPROC HtmlHelpEntry();
  void ReadIdFile(const STRING& path);
  void UseTempCopyIfOnNetwork();
  bool IsTopic(int topic) const;

  bool Html;
  DWORD Cookie;
  HWND HelpWindow;
  HWND OwnerWindow;
  STRING FileName;
  int DefaultTopic;
  int HelpIds[HELPFILE_MAXIDS];
  int NumHelpIds;
  HMODULE hHtmlHelp;  // owned: the HTML Help library once loaded
  HTMLHELPPROC pHtmlHelp;
};

// The one help file of the process.
extern HELPFILE gHelpFile;

// The registry key (below HKEY_CLASSES_ROOT) whose default value names the HTML Help control.
#define HELPFILE_HHCTRL_KEY "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32"

#endif
