// UNZIPPER: lists one package archive into the archive entry table, hands out its member
// names and sizes, and extracts one member at a time, deciding first from the protected-
// files and ask-overwrite lists whether an existing file may be replaced.
//
// The table (gUnzipTable) and the extractor's settings are process-wide and unlocked: one
// UNZIPPER and one extraction at a time. An object lives on its caller's stack and is never
// copied. While it lives, its archive stays open: others may read and rewrite the file but
// not delete or rename it.
#ifndef ZOLAN_UNZIPPER_H
#define ZOLAN_UNZIPPER_H

#include "foundation/strings.h"
#include "unzip/ziphostwin32.h"
#include "unzip/ziptable.h"

// The archive entry table that the last listing filled.
extern UNZIPTABLE gUnzipTable;

// The extractor (see zipextract.h) over the Win32 file system, filling gUnzipTable.
int unzip_main(int argc, const char* const* argv);

class UNZIPPER {
public:
  // Lists the archive; the listing must succeed (assertion "error==FALSE").
  // Both lists: entries separated by "|", fields by ";". Protected-files field 1 is a
  // member name, or a pattern when it holds "*" or "?"; ask-overwrite field 1 is a member
  // name and field 2 an optional name to show in the question.
  UNZIPPER(const STRING& archive, const STRING& askOverwrite, const STRING& protectedFiles);
  ~UNZIPPER();
  UNZIPPER(const UNZIPPER&) = delete;
  UNZIPPER& operator=(const UNZIPPER&) = delete;

  unsigned long GetTotalSize() const;
  // Copies the first member name into name (at least UNZIPTABLE_NAMESIZE bytes) and
  // returns its size; GetNextFile goes on from there. An empty name ends the list.
  unsigned long GetFirstFile(char* name);
  unsigned long GetNextFile(char* name);
  // 1 when the member was extracted below folder, or left alone by decision; 0 when the
  // extraction failed.
  int ExtractFile(const char* member, const char* folder);

private:
  unsigned long CopySlot(char* name);
  int Run(const char* member, const char* folder);
  bool Protected(const char* member, const STRING& target) const;
  bool Declined(const char* member, const STRING& target) const;

  // Serves every run of this object, so the archive is opened and its directory read from
  // the disk once, and each folder looked up once, not once per member (see ziphostwin32.h).
  WIN32ZIPHOST Host;
  STRING ArchivePath;
  STRING AskOverwrite;
  STRING ProtectedFiles;
  int Cursor = 0;
};

#endif
