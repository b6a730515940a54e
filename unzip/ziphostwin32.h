// WIN32ZIPHOST: the extractor's host over the Win32 file system, the C run-time heap and
// the standard error stream.
//
// A host that serves several runs keeps the archive it opened last, together with what it
// read of it, so that the next run over the same archive neither opens it again nor reads
// its central directory from the disk again: under Wine an open alone costs more than
// extracting a small member. The kept archive is used only while the file at its path still
// has the size and times it had when it was opened; otherwise, and after ForgetArchive, the
// next run opens the file afresh.
#ifndef ZOLAN_ZIPHOSTWIN32_H
#define ZOLAN_ZIPHOSTWIN32_H

#include <memory>
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

  // Closes the kept archive (when no run reads it any more).
  void ForgetArchive();

private:
  std::shared_ptr<WIN32ZIPREADER> Kept;
  std::string KeptPath;  // full path of the kept archive
};

#endif
