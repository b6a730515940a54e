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

#endif
