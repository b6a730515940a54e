// OSYS: free functions over the operating system, each logging what it does.
#ifndef ZOLAN_OSYS_H
#define ZOLAN_OSYS_H

#include <windows.h>
#include "foundation/strings.h"

// Operating-system types returned by OSYS::GetOSType.
#define OSTYPE_WIN9X    0
#define OSTYPE_NT4      1
#define OSTYPE_WIN2000  2
#define OSTYPE_WINXP    3
#define OSTYPE_WIN2003  4
#define OSTYPE_VISTA    5

// Error code that stands for the calling thread's last error in OSYS::ErrorText.
#define OSYS_LASTERROR (-4711)

namespace OSYS {

// --- System basics the log and the assertion handler rely on ---
int GetOSType();
// Milliseconds since time zero (fixed by the first call, or again by a call with reset set).
// Counts from the start of the current month, so only differences over short spans are useful.
long long Clock(int reset = 0);
STRING LocaleDate();
STRING LocaleTime();
STRING ErrorText(int code);

// --- Language library ---
// Text by id from the module (HINSTANCE(-1): the language library, gResourceInstance);
// "<STR-ERR>" when the id is absent.
STRING GetStringFromResource(int id, HINSTANCE module = (HINSTANCE)(LONG_PTR)-1);

}  // namespace OSYS

// --- Special folders ---
// Indexes of GetWin32SystemPath; 3 and 4 are not in use.
#define SYSPATH_PROGRAMS         0
#define SYSPATH_STARTUP          1
#define SYSPATH_PROGRAMFILES     2
#define SYSPATH_APPDATA          5
#define SYSPATH_PERSONAL         6   // the user's documents folder
#define SYSPATH_MYPICTURES       7
#define SYSPATH_DESKTOP          8
#define SYSPATH_SENDTO           9
#define SYSPATH_COMMONPROGRAMS   10
#define SYSPATH_COMMONSTARTUP    11
#define SYSPATH_COMMONDOCUMENTS  12
#define SYSPATH_COMMONAPPDATA    13

// The folder of a special-folder index, as the shell records it in the registry, with
// environment variables expanded and a trailing backslash; null when the index is invalid or
// the registry has no such folder.
STRING GetWin32SystemPath(int index);

namespace OSYS {

// --- Threads ---
typedef unsigned(__stdcall* THREADPROC)(void* argument);
// Starts function(argument) on a new thread with a 32 KB stack, through the C runtime so the
// runtime is ready for the thread; the thread handle, null on failure.
HANDLE CreateThread(THREADPROC function, void* argument);
// Waits for the thread's end, timeout in ms (0: without limit). On success closes the handle
// and returns 1; otherwise returns 0 and the handle stays open.
int WaitThread(HANDLE thread, DWORD timeout = 0);
void Sleep(DWORD ms);
DWORD ThreadId();

// --- Date, time and user ---
// Seconds since 1970-01-01.
long long Time();
// Today's local date as YYYY-MM-DD.
STRING DateString();
// The logged-on user's name; null when unavailable.
STRING GetUserName();

// --- Per-user autostart list ---
// command AUTOSTART_SELF, "<self>", "<ownfile>" or the program's own path: the quoted program
// path; a null command removes the entry. 1 on success.
#define AUTOSTART_SELF ((const char*)1)
int SetAutostart(const char* name, const char* command);

}  // namespace OSYS

// OSYS::FileExists, OSYS::IsDirectory and the other file and folder functions.
#include "platform/osysfile.h"

#endif
