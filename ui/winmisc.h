// Message boxes, the folder browser, the save-file dialog and starting other programs: the
// small services through which the system talks to the user outside its own dialogs.
//
// Everything runs on the caller's thread and blocks it: the boxes and dialogs until the user
// closes them (they pump messages, so the caller's other windows keep painting), a program
// start with waiting until the other program has ended.
#ifndef ZOLAN_UI_WINMISC_H
#define ZOLAN_UI_WINMISC_H

#include <windows.h>

#include "foundation/strings.h"

// Sizes of the save dialog's buffers (bytes, terminating NULs included).
#define SAVEFILE_TYPES_SIZE 2048
#define SAVEFILE_DEFEXT_SIZE 128
#define SAVEFILE_TITLE_SIZE 128
// Buffers of a program start (bytes, terminating NUL included). A command line or folder
// that does not fit is refused rather than cut, since a cut one would run something else.
#define STARTPROGRAM_CMDLINE_SIZE 1024
#define STARTPROGRAM_FOLDER_SIZE 1024
#define STARTPROGRAM_TITLE_SIZE 256

namespace WINZOLAN {

// A null title shows the language library's default caption. Each call logs its title and text.
void InfoMsgBox(HWND owner, const char* title, const char* text);
void ErrorMsgBox(HWND owner, const char* title, const char* text);
// 1 when the user answered Yes, else 0.
int YesNoMsgBox(HWND owner, const char* title, const char* text);

// The file types of the save dialog, built from the compact filter text: lines separated by
// "\n", each "name|pattern"; a line 0 that begins with "." gives the default extension
// instead. An all-files line ("All Files|*.*", German "Alle Dateien" for languageId 7) is
// added when the text offers no "|*.*" of its own; a null text gives that line alone.
struct SAVEFILETYPES {
  char Types[SAVEFILE_TYPES_SIZE];    // "name (pattern)\0pattern\0" ... "\0"
  char DefExt[SAVEFILE_DEFEXT_SIZE];  // without the dot; empty when none is given
};
void BuildSaveFileTypes(const char* filterText, int languageId, SAVEFILETYPES* out);
// Start folder and file name of the save dialog for a proposed path: an existing folder
// gives itself and no name; otherwise the path splits at its last backslash; a bare name
// starts in ".".
void SplitProposedPath(const char* proposed, STRING* folder, STRING* name);

// The common save dialog; the chosen path (one trailing "." removed) in a process-wide
// buffer that stays valid until the next call, or null when the user cancelled. An existing
// file may be chosen without a question.
const char* SaveFileDialog(HWND owner, const char* title, const char* proposed,
                           const char* filterText);

// Starts program with parameters (both as CreateProcessA's command line: a program with
// parameters is put in double quotes unless it already begins with one; a program alone is
// passed as it is). A program named "*name" starts hidden. folder and title may be null.
// With wait, returns only after the program has ended. With a record, the caller receives
// (and closes) both handles; without, they are closed here. Non-zero when it was started.
int StartProgram(const char* program, const char* parameters, const char* folder,
                 const char* title, bool wait, PROCESS_INFORMATION* record);
// The same, in the caller's working folder and without a record.
int StartProgram(const char* program, const char* parameters, const char* title, bool wait);
// Runs the program to its end and returns its exit code; -1 when it could not be started.
int StartProgramExitCode(const char* program, const char* parameters, const char* folder,
                         const char* title);

}  // namespace WINZOLAN

namespace WINDOWS {

// The shell's folder browser, opened on startFolder (may be null). The chosen folder without
// a trailing backslash (a drive's root gives "C:"), or a null string when the user cancelled.
STRING BrowseForFolder(HWND owner, const char* title, const char* startFolder);

}  // namespace WINDOWS

#endif
