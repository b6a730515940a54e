// WIN32ZIPHOST: the extractor's host over the Win32 file system, the C run-time heap and
// the standard error stream.
//
// A host that serves several runs remembers what they have in common, because under Wine
// every file-system call is dear: an open alone costs more than extracting a small member.
// It keeps the archive it opened last, together with what it read of it, and uses it while
// the file at its path still has the size and times it had when it was opened; and it
// remembers the folders it found or made, so that they are not looked up again. Forget lets
// go of both; a run that failed while relying on them is repeated after it (UNZIPPER), so
// that stale knowledge (a folder removed in between) can only cost time.
#ifndef ZOLAN_ZIPHOSTWIN32_H
#define ZOLAN_ZIPHOSTWIN32_H

#include <memory>
#include <set>
#include <string>

#include "unzip/ziphost.h"

class WIN32ZIPREADER;

class WIN32ZIPHOST : public ZIPHOST {
public:
  WIN32ZIPHOST();
  ~WIN32ZIPHOST() override;
  WIN32ZIPHOST(const WIN32ZIPHOST&) = delete;
  WIN32ZIPHOST& operator=(const WIN32ZIPHOST&) = delete;

  void* Allocate(size_t n) override;
  void Free(void* block) override;
  void Diagnostic(const char* text) override;
  ZIPPATHKIND Kind(const char* path) override;
  bool ListFolder(const char* folder, void (*each)(void* context, const char* name), void* context) override;
  std::unique_ptr<ZIPREADER> OpenArchive(const char* path) override;
  bool MakeFolder(const char* path) override;
  std::unique_ptr<ZIPWRITER> CreateOutput(const char* path, unsigned attributes) override;
  bool IsFatVolume(const char* path) override;

  // Closes the kept archive (when no run reads it any more) and forgets the known folders;
  // true when there was either.
  bool Forget();

private:
  std::shared_ptr<WIN32ZIPREADER> Kept;
  std::string KeptPath;             // full path of the kept archive
  std::set<std::string> Folders;    // full paths of folders found or made
};

#endif
