// The application frame: process-wide values, the program-argument table and its queries,
// the application title and the language library.
#ifndef ZOLAN_APPROOT_H
#define ZOLAN_APPROOT_H

#include <windows.h>

#include "foundation/strings.h"

// Process-wide values, written by the main thread during start-up and only read afterwards.
extern HINSTANCE gAppInstance;       // the program's own module
extern HINSTANCE gResourceInstance;  // texts, dialogs and menus come from here
extern int gLanguageId;              // 7 German, 9 English, 12 French, 14 Hungarian
extern DWORD gMainThreadId;
extern STRING gAppTitle;             // "Zolan Application (Setup 1.00)" after APP::Init

// The title until APP::Init adds the application's name and version.
#define APP_DEFAULT_TITLE "Zolan Application"
// Slots of the program-argument table; the first slot without a buffer ends it.
#define APP_MAXARGS 128
// Exit code when no language library can be loaded.
#define APP_EXIT_NODLL 99

// Supplied by the application; called by APP::WinMain with the command-line tokens.
int AppMain(int argc, char** argv, char** envp);

// Option queries over the argument table; each writes one log line.
int TestArg(const char* name);
int TestArgValue(const char* name, int n);
STRING GetArgValue(const char* name, int n);

namespace APP {

int WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
// Title and language library; ends the process with exit code 99 when no library loads.
int Init(const STRING& programPath, const STRING& appName, const STRING& version);
// The text before the last backslash or slash; empty when there is none.
STRING FolderOf(const char* path);
// The folder, with a build-output ending (\Debug, \Release...) cut inside a source tree.
STRING GetAppRoot(const STRING& folder);

// --- Start-up steps, kept apart so that they can be exercised in-process ---

// Splits a writable command line in place into at most maxTokens tokens (blanks separate,
// a double quote at the start of a token runs to the next double quote); returns the count.
// tokensDropped receives how many further tokens did not fit.
int Tokenise(char* line, char** tokens, int maxTokens, int* tokensDropped);
// Clears the argument table and fills it from tokens (entry 0 replaced by modulePath).
void SetArguments(const char* modulePath, char** tokens, int count);
// Appends one argument; false (and one log line) when the table is full.
bool AddArgument(const STRING& argument);
// Number of arguments in the table.
int ArgumentCount();
const STRING& Argument(int index);
// Logs "Program Argument %d= %s" for every entry.
void LogArguments();
// Reads the commandline.ini candidates; logs "Trying"/"Processing" for each.
void ReadCommandLineFiles(const char* appRoot, const char* startDir, const char* modulePath,
                          bool applyLogOptions);
// Language id from the LANG option or the thread locale, with the name table applied.
int ChooseLanguage();
// Library file name for a language id: "german.dll", "english.dll"...
const char* LanguageFile(int languageId);
// Frees the language library APP::Init loaded, if any, and clears gResourceInstance.
void FreeLanguageLibrary();

}  // namespace APP

#endif
