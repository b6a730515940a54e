#include "unzip/ziphostwin32.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "foundation/zolan.h"

namespace {

// One piece of the archive held in memory.
struct READAHEAD {
  explicit READAHEAD(long size) : Size(size), Data(new (std::nothrow) char[size]) {}
  // A piece that reaches the end of the file holds every request from its start on.
  bool Holds(int64_t offset, long n, int64_t fileSize) const {
    return Loaded && offset >= Start && (offset + n <= Start + Length || Start + Length >= fileSize);
  }
  // Copies what it holds of the request; the count copied.
  long Serve(int64_t offset, void* buffer, long n) const {
    int64_t available = Start + Length - offset;
    long take = available < n ? static_cast<long>(available < 0 ? 0 : available) : n;
    if (take > 0) memcpy(buffer, Data.get() + (offset - Start), take);
    return take;
  }
  const long Size;
  std::unique_ptr<char[]> Data;
  int64_t Start = 0;
  long Length = 0;
  bool Loaded = false;
};

}  // namespace

// Reads ahead in large pieces beneath the extractor's 2,048-byte blocks: under Wine every
// ReadFile costs a round trip to the server, so one read per block would cost more than
// the decompression itself; a piece of the member data holds several of the setup's
// members, which one UNZIPPER extracts one after the other. The archive's tail (end record
// and, for the setup's archives, the whole central directory) is held apart from the
// member data, because every run goes back and forth between the two.
class WIN32ZIPREADER : public ZIPREADER {
public:
  // opened: what the handle said of the file right after it was opened.
  WIN32ZIPREADER(HANDLE file, const BY_HANDLE_FILE_INFORMATION& opened)
      : File(file),
        FileSize(static_cast<int64_t>(opened.nFileSizeHigh) << 32 | opened.nFileSizeLow),
        Opened(opened),
        Tail(kTailSize + 4096),
        Window(kWindowSize) {}
  ~WIN32ZIPREADER() override { CloseHandle(File); }
  WIN32ZIPREADER(const WIN32ZIPREADER&) = delete;
  WIN32ZIPREADER& operator=(const WIN32ZIPREADER&) = delete;

  int64_t Size() override { return FileSize; }

  // True while the file at path has the size and times of the one opened and no read of it
  // has failed, so that what was read of it still holds. One query of the path's
  // attributes; a file replaced under the same name has other times.
  bool Unchanged(const char* path) const {
    WIN32_FILE_ATTRIBUTE_DATA now;
    if (ReadFailed || !GetFileAttributesExA(path, GetFileExInfoStandard, &now)) return false;
    return now.nFileSizeHigh == Opened.nFileSizeHigh && now.nFileSizeLow == Opened.nFileSizeLow &&
           CompareFileTime(&now.ftLastWriteTime, &Opened.ftLastWriteTime) == 0 &&
           CompareFileTime(&now.ftCreationTime, &Opened.ftCreationTime) == 0;
  }

  long ReadAt(int64_t offset, void* buffer, long n) override {
    int64_t tailStart = FileSize > kTailSize ? (FileSize - kTailSize) & ~static_cast<int64_t>(4095) : 0;
    READAHEAD& piece = offset >= tailStart && Tail.Data ? Tail : Window;
    if (!piece.Data || n > piece.Size) return ReadDirect(offset, buffer, n);
    if (!piece.Holds(offset, n, FileSize)) {
      // Backwards (the end-record search in a long tail) the piece ends with the request,
      // else it starts with it; either way on a 4 KiB boundary that keeps the request inside.
      int64_t start = &piece == &Tail ? tailStart : offset & ~static_cast<int64_t>(4095);
      if (&piece == &Window && piece.Loaded && offset < piece.Start && offset + n > piece.Size)
        start = (offset + n - piece.Size + 4095) & ~static_cast<int64_t>(4095);
      long got = ReadDirect(start, piece.Data.get(), piece.Size);
      piece.Loaded = got >= 0;
      if (got < 0) return -1;
      piece.Start = start;
      piece.Length = got;
    }
    return piece.Serve(offset, buffer, n);
  }

private:
  static const long kTailSize = 64 * 1024;
  static const long kWindowSize = 1024 * 1024;

  long ReadDirect(int64_t offset, void* buffer, long n) {
    OVERLAPPED at;
    memset(&at, 0, sizeof at);
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(File, buffer, static_cast<DWORD>(n), &got, &at)) {
      DWORD error = GetLastError();
      if (error == ERROR_HANDLE_EOF) return 0;
      Logit("WIN32ZIPHOST::ReadAt ReadFile offset=%lld, error=%lu\n", static_cast<long long>(offset), error);
      ReadFailed = true;
      return -1;
    }
    return static_cast<long>(got);
  }

  HANDLE File;
  const int64_t FileSize;
  const BY_HANDLE_FILE_INFORMATION Opened;
  bool ReadFailed = false;
  READAHEAD Tail;
  READAHEAD Window;
};

namespace {

// A run's view of an archive the host may keep beyond the run.
class SHAREDZIPREADER : public ZIPREADER {
public:
  explicit SHAREDZIPREADER(std::shared_ptr<WIN32ZIPREADER> archive) : Archive(std::move(archive)) {}
  int64_t Size() override { return Archive->Size(); }
  long ReadAt(int64_t offset, void* buffer, long n) override { return Archive->ReadAt(offset, buffer, n); }

private:
  std::shared_ptr<WIN32ZIPREADER> Archive;
};

class WIN32ZIPWRITER : public ZIPWRITER {
public:
  // attributes: what the file ends with; setAttributes: whether Close must still set them.
  WIN32ZIPWRITER(ZIPHOST& host, HANDLE file, const char* path, DWORD attributes, bool setAttributes)
      : Host(host), File(file), Path(path), Attributes(attributes), SetAttributes(setAttributes) {}
  ~WIN32ZIPWRITER() override {
    if (File != INVALID_HANDLE_VALUE) CloseHandle(File);
  }
  WIN32ZIPWRITER(const WIN32ZIPWRITER&) = delete;
  WIN32ZIPWRITER& operator=(const WIN32ZIPWRITER&) = delete;

  bool Write(const void* data, size_t n) override {
    DWORD written = 0;
    if (WriteFile(File, data, static_cast<DWORD>(n), &written, nullptr) && written == n) return true;
    Logit("WIN32ZIPHOST::Write WriteFile %s, bytes=%lu, written=%lu, error=%lu\n", Path.c_str(),
          static_cast<unsigned long>(n), written, GetLastError());
    return false;
  }

  // The time goes through the handle that wrote the file (write access, no sharing): nothing
  // is written after it, and a second open per file would cost more than the writing.
  void Close(unsigned dosDate, unsigned dosTime) override {
    char text[128];
    FILETIME local, utc;
    if (DosDateTimeToFileTime(static_cast<WORD>(dosDate), static_cast<WORD>(dosTime), &local)) {
      if (!LocalFileTimeToFileTime(&local, &utc)) utc = local;
      if (!SetFileTime(File, nullptr, nullptr, &utc)) {
        snprintf(text, sizeof text, "\nSetFileTime error %lu when trying set file time\n", GetLastError());
        Host.Diagnostic(text);
      }
    }
    CloseHandle(File);
    File = INVALID_HANDLE_VALUE;
    if (SetAttributes && !SetFileAttributesA(Path.c_str(), Attributes)) {
      snprintf(text, sizeof text, "\nwarning (%lu): could not set file attributes\n", GetLastError());
      Host.Diagnostic(text);
    }
  }

private:
  ZIPHOST& Host;
  HANDLE File;
  std::string Path;
  DWORD Attributes;
  bool SetAttributes;
};

// The path resolved against the current folder (which may change between runs); "" when
// it cannot be resolved, which rules out remembering anything about it.
std::string FullPath(const char* path) {
  char full[MAX_PATH];
  DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
  return length > 0 && length < sizeof full ? full : "";
}

HANDLE OpenForWriting(const char* path, DWORD attributes) {
  return CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, attributes ? attributes : FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

}  // namespace

void* WIN32ZIPHOST::Allocate(size_t n) { return malloc(n); }

void WIN32ZIPHOST::Free(void* block) { free(block); }

void WIN32ZIPHOST::Diagnostic(const char* text) { fputs(text, stderr); }

ZIPPATHKIND WIN32ZIPHOST::Kind(const char* path) {
  std::string fullPath = FullPath(path);
  if (Folders.count(fullPath)) return ZIPPATH_FOLDER;
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return ZIPPATH_MISSING;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ZIPPATH_FILE;
  if (!fullPath.empty()) Folders.insert(fullPath);
  return ZIPPATH_FOLDER;
}

bool WIN32ZIPHOST::ListFolder(const char* folder, void (*each)(void* context, const char* name), void* context) {
  std::string pattern = std::string(folder) + "*";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    Logit("WIN32ZIPHOST::ListFolder FindFirstFileA %s, error=%lu\n", pattern.c_str(), GetLastError());
    return false;
  }
  do {
    each(context, found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return true;
}

WIN32ZIPHOST::WIN32ZIPHOST() = default;

WIN32ZIPHOST::~WIN32ZIPHOST() = default;

bool WIN32ZIPHOST::Forget() {
  bool any = Kept || !Folders.empty();
  Kept.reset();
  KeptPath.clear();
  Folders.clear();
  return any;
}

// The kept archive stays open between runs, so it is shared for writing too: others may
// rewrite it, and the next run notices that by its size or time. It is not shared for
// deleting: a file deleted while open stays visible under its name, unchanged, until the
// last handle goes, so the next run would extract from an archive that is gone.
std::unique_ptr<ZIPREADER> WIN32ZIPHOST::OpenArchive(const char* path) {
  std::string fullPath = FullPath(path);
  if (Kept && !fullPath.empty() && fullPath == KeptPath && Kept->Unchanged(fullPath.c_str()))
    return std::unique_ptr<ZIPREADER>(new SHAREDZIPREADER(Kept));
  Kept.reset();
  KeptPath.clear();
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Logit("WIN32ZIPHOST::OpenArchive CreateFileA %s, error=%lu\n", path, GetLastError());
    return nullptr;
  }
  BY_HANDLE_FILE_INFORMATION opened;
  if (!GetFileInformationByHandle(file, &opened)) {
    Logit("WIN32ZIPHOST::OpenArchive GetFileInformationByHandle %s, error=%lu\n", path, GetLastError());
    CloseHandle(file);
    return nullptr;
  }
  std::shared_ptr<WIN32ZIPREADER> archive = std::make_shared<WIN32ZIPREADER>(file, opened);
  if (!fullPath.empty()) {
    Kept = archive;
    KeptPath = fullPath;
  }
  return std::unique_ptr<ZIPREADER>(new SHAREDZIPREADER(archive));
}

bool WIN32ZIPHOST::MakeFolder(const char* path) {
  if (CreateDirectoryA(path, nullptr)) {
    std::string fullPath = FullPath(path);
    if (!fullPath.empty()) Folders.insert(fullPath);
    return true;
  }
  Logit("WIN32ZIPHOST::MakeFolder CreateDirectoryA %s, error=%lu\n", path, GetLastError());
  return false;
}

// Opened and then cut to zero rather than created anew: creating over a hidden or system
// file fails unless the new attributes repeat those bits. A new file gets its final
// attributes at once, which spares setting them after closing.
std::unique_ptr<ZIPWRITER> WIN32ZIPHOST::CreateOutput(const char* path, unsigned attributes) {
  // Installed files stay replaceable: the archive bit is set and read-only dropped.
  DWORD final = ((attributes | FILE_ATTRIBUTE_ARCHIVE) & ~FILE_ATTRIBUTE_READONLY) & 0x7F;
  DWORD atCreation = final & (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  HANDLE file = OpenForWriting(path, atCreation);
  DWORD error = GetLastError();
  if (file == INVALID_HANDLE_VALUE && error == ERROR_ACCESS_DENIED) {
    DWORD existing = GetFileAttributesA(path);
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) &&
        SetFileAttributesA(path, existing & ~FILE_ATTRIBUTE_READONLY)) {
      file = OpenForWriting(path, atCreation);
      error = GetLastError();
    }
  }
  if (file == INVALID_HANDLE_VALUE) {
    Logit("WIN32ZIPHOST::CreateOutput CreateFileA %s, error=%lu\n", path, error);
    return nullptr;
  }
  bool existed = error == ERROR_ALREADY_EXISTS;
  if (existed && !SetEndOfFile(file)) {
    Logit("WIN32ZIPHOST::CreateOutput SetEndOfFile %s, error=%lu\n", path, GetLastError());
    CloseHandle(file);
    return nullptr;
  }
  return std::unique_ptr<ZIPWRITER>(new WIN32ZIPWRITER(*this, file, path, final, existed || final != atCreation));
}

bool WIN32ZIPHOST::IsFatVolume(const char* path) {
  char full[MAX_PATH];
  char* namePart;
  DWORD n = GetFullPathNameA(path, sizeof full, full, &namePart);
  if (n == 0 || n >= sizeof full || full[1] != ':') return false;
  char root[4] = {full[0], ':', '\\', 0};
  char fileSystem[32] = "";
  if (!GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, sizeof fileSystem))
    return false;
  return _strnicmp(fileSystem, "FAT", 3) == 0;
}
