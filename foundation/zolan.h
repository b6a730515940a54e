// The process log and the assertion handler.
//
// One process-wide log, off by default, switched on by logging options (command line,
// commandline.ini, or the Ctrl+Shift+F5..F8 keys in list views). Every line carries the
// prefix "[ssss.hh:tttt] " (seconds and hundredths since the first line, thread id).
// Assertions log, append to assert.log and ask the user whether to go on.
#ifndef ZOLAN_ZOLAN_H
#define ZOLAN_ZOLAN_H

#include <windows.h>

// Writes one line when the log (or the debugger output) is on; 1 when written.
int Logit(const char* format, ...) __attribute__((format(printf, 1, 2)));
// As Logit, for lines of the given level; a null format only reports whether it would pass.
int LogitEx(unsigned level, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Applies one logging option such as "/LOGIT:file"; 1 when the text was a logging option.
int LogitOption(const char* option);
// Key-combination switch of the log for window procedures (LVN_KEYDOWN with Ctrl+Shift).
void LogitHotKey(UINT message, WPARAM wParam, LPARAM lParam);

// Current level mask and log state, for callers that decide how much to log.
unsigned LogitGetLevel();
// Replaces the level mask (the options only add bits); lets a caller restore an earlier mask.
void LogitSetLevel(unsigned level);
bool LogitIsOn();
// Name of the log file opened last (as given, or the generated UNIQUE or default name).
const char* LogitFileName();

// Exit code of a process ended by the answer No in the assertion box.
#define ZOLAN_ASSERT_EXITCODE 3

// Returns 1 when condition holds; otherwise logs, appends to assert.log and asks the user
// (unless quiet or /NOASSERT). Answer No ends the process.
int Assert(int condition, const char* conditionText, const char* file, int line,
           const char* info, int quiet);

#define ASSERT(cond, info) Assert((cond) ? 1 : 0, #cond, __FILE__, __LINE__, (info), 0)
#define ASSERTQUIET(cond, info) Assert((cond) ? 1 : 0, #cond, __FILE__, __LINE__, (info), 1)
// For conditions whose source text differs from the expression checked.
#define ASSERTTEXT(cond, text, info) Assert((cond) ? 1 : 0, (text), __FILE__, __LINE__, (info), 0)

// Observer for tests: called with the condition text and information of every failed
// assertion before it is reported. Pass null to remove it.
typedef void (*ASSERTOBSERVER)(const char* conditionText, const char* info);
void AssertSetObserver(ASSERTOBSERVER observer);

#endif
