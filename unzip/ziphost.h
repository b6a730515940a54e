// ZIPHOST: everything the extractor needs from the system, as one small interface.
//
// The archive reader, the name mapping and the decompressors call nothing but this: the
// archive file, output files and folders, memory and the diagnostics stream. WIN32ZIPHOST
// (ziphostwin32.h) serves the setup; a host over memory can drive the same core in tests
// and fuzzers without touching the disk.
#ifndef ZOLAN_ZIPHOST_H
#define ZOLAN_ZIPHOST_H

#include <cstddef>
#include <cstdint>
#include <memory>

// An archive opened for reading.
class ZIPREADER {
public:
  virtual ~ZIPREADER() {}
  // Bytes in the archive; -1 when the size cannot be had.
  virtual int64_t Size() = 0;
  // Reads up to n bytes at offset into buffer; the count read (0 at the end), -1 on error.
  virtual long ReadAt(int64_t offset, void* buffer, long n) = 0;
};

// An output file opened for writing; the destructor closes it (if Close did not).
class ZIPWRITER {
public:
  virtual ~ZIPWRITER() {}
  // False when not all n bytes were written.
  virtual bool Write(const void* data, size_t n) = 0;
  // Sets the last-write time from the MS-DOS date and time (local time), closes the file
  // and gives it its attributes.
  virtual void Close(unsigned dosDate, unsigned dosTime) = 0;
};

enum ZIPPATHKIND { ZIPPATH_MISSING, ZIPPATH_FILE, ZIPPATH_FOLDER };

class ZIPHOST {
public:
  virtual ~ZIPHOST() {}

  // Working memory of a run and of the decompressors; null when none is left.
  virtual void* Allocate(size_t n) = 0;
  virtual void Free(void* block) = 0;
  // One diagnostic text; nobody relies on it, only on the result codes.
  virtual void Diagnostic(const char* text) = 0;

  virtual ZIPPATHKIND Kind(const char* path) = 0;
  // Calls each(context, name) for every entry of the folder ("" is the current folder);
  // false when the folder cannot be listed.
  virtual bool ListFolder(const char* folder, void (*each)(void* context, const char* name),
                          void* context) = 0;
  virtual std::unique_ptr<ZIPREADER> OpenArchive(const char* path) = 0;

  virtual bool MakeFolder(const char* path) = 0;
  // Opens the file for writing, truncated, first giving an existing file write permission
  // when it lacks it; null when it cannot be opened. attributes (MS-DOS bits) are the ones
  // the file gets at Close: the archive bit added, read-only removed.
  virtual std::unique_ptr<ZIPWRITER> CreateOutput(const char* path, unsigned attributes) = 0;
  // True when the volume that holds path has a FAT file system (no blanks in names there).
  virtual bool IsFatVolume(const char* path) = 0;
};

// Memory of count T from the host, given back when the block goes out of scope; get() is
// null when the host had none.
template <class T>
class ZIPHOSTBLOCK {
public:
  ZIPHOSTBLOCK(ZIPHOST& host, size_t count)
      : Host(host), Block(static_cast<T*>(host.Allocate(count * sizeof(T)))) {}
  ~ZIPHOSTBLOCK() {
    if (Block) Host.Free(Block);
  }
  ZIPHOSTBLOCK(const ZIPHOSTBLOCK&) = delete;
  ZIPHOSTBLOCK& operator=(const ZIPHOSTBLOCK&) = delete;
  T* get() const { return Block; }

private:
  ZIPHOST& Host;
  T* Block;
};

#endif
