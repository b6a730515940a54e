// WIN32ZIPHOST: the extractor's host over the Win32 file system, the C run-time heap and
// the standard error stream.
#ifndef ZOLAN_ZIPHOSTWIN32_H
#define ZOLAN_ZIPHOSTWIN32_H

#include "unzip/ziphost.h"

class WIN32ZIPHOST : public ZIPHOST {
public:
  WIN32ZIPHOST() = default;
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
};

#endif
