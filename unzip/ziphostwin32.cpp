#include "unzip/ziphostwin32.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/zolan.h"

namespace {

class WIN32ZIPREADER : public ZIPREADER {
public:
  explicit WIN32ZIPREADER(HANDLE file) : File(file) {}
  ~WIN32ZIPREADER() override { CloseHandle(File); }
  WIN32ZIPREADER(const WIN32ZIPREADER&) = delete;
  WIN32ZIPREADER& operator=(const WIN32ZIPREADER&) = delete;

  int64_t Size() override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(File, &size)) return -1;
    return size.QuadPart;
  }

  // A positioned read: one call per block instead of a seek and a read.
  long ReadAt(int64_t offset, void* buffer, long n) override {
    OVERLAPPED at;
    memset(&at, 0, sizeof at);
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(File, buffer, static_cast<DWORD>(n), &got, &at)) {
      DWORD error = GetLastError();
      if (error == ERROR_HANDLE_EOF) return 0;
      Logit("WIN32ZIPHOST::ReadAt ReadFile offset=%lld, error=%lu\n", static_cast<long long>(offset), error);
      return -1;
    }
    return static_cast<long>(got);
  }

private:
  HANDLE File;
};

class WIN32ZIPWRITER : public ZIPWRITER {
public:
  explicit WIN32ZIPWRITER(HANDLE file) : File(file) {}
  ~WIN32ZIPWRITER() override { CloseHandle(File); }
  WIN32ZIPWRITER(const WIN32ZIPWRITER&) = delete;
  WIN32ZIPWRITER& operator=(const WIN32ZIPWRITER&) = delete;

  bool Write(const void* data, size_t n) override {
    DWORD written = 0;
    if (WriteFile(File, data, static_cast<DWORD>(n), &written, nullptr) && written == n) return true;
    Logit("WIN32ZIPHOST::Write WriteFile bytes=%lu, written=%lu, error=%lu\n", static_cast<unsigned long>(n),
          written, GetLastError());
    return false;
  }

private:
  HANDLE File;
};

}  // namespace

void* WIN32ZIPHOST::Allocate(size_t n) { return malloc(n); }

void WIN32ZIPHOST::Free(void* block) { free(block); }

void WIN32ZIPHOST::Diagnostic(const char* text) { fputs(text, stderr); }

ZIPPATHKIND WIN32ZIPHOST::Kind(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return ZIPPATH_MISSING;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? ZIPPATH_FOLDER : ZIPPATH_FILE;
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

std::unique_ptr<ZIPREADER> WIN32ZIPHOST::OpenArchive(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Logit("WIN32ZIPHOST::OpenArchive CreateFileA %s, error=%lu\n", path, GetLastError());
    return nullptr;
  }
  return std::unique_ptr<ZIPREADER>(new WIN32ZIPREADER(file));
}

bool WIN32ZIPHOST::MakeFolder(const char* path) {
  if (CreateDirectoryA(path, nullptr)) return true;
  Logit("WIN32ZIPHOST::MakeFolder CreateDirectoryA %s, error=%lu\n", path, GetLastError());
  return false;
}

void WIN32ZIPHOST::MakeWritable(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return;
  if (!SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY))
    Logit("WIN32ZIPHOST::MakeWritable SetFileAttributesA %s, error=%lu\n", path, GetLastError());
}

// Opened and then cut to zero rather than created anew: creating over a hidden or system
// file fails unless the new attributes repeat those bits.
std::unique_ptr<ZIPWRITER> WIN32ZIPHOST::CreateOutput(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Logit("WIN32ZIPHOST::CreateOutput CreateFileA %s, error=%lu\n", path, GetLastError());
    return nullptr;
  }
  if (!SetEndOfFile(file)) {
    Logit("WIN32ZIPHOST::CreateOutput SetEndOfFile %s, error=%lu\n", path, GetLastError());
    CloseHandle(file);
    return nullptr;
  }
  return std::unique_ptr<ZIPWRITER>(new WIN32ZIPWRITER(file));
}

void WIN32ZIPHOST::SetTimeAndAttributes(const char* path, unsigned dosDate, unsigned dosTime, unsigned attributes) {
  FILETIME local, utc;
  char text[128];
  if (DosDateTimeToFileTime(static_cast<WORD>(dosDate), static_cast<WORD>(dosTime), &local)) {
    if (!LocalFileTimeToFileTime(&local, &utc)) utc = local;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      snprintf(text, sizeof text, "\nCreateFile error %lu when trying set file time\n", GetLastError());
      Diagnostic(text);
    } else {
      SetFileTime(file, nullptr, nullptr, &utc);
      CloseHandle(file);
    }
  }
  // The archive bit is set and read-only dropped: installed files stay replaceable.
  if (!SetFileAttributesA(path, ((attributes | FILE_ATTRIBUTE_ARCHIVE) & ~FILE_ATTRIBUTE_READONLY) & 0x7F)) {
    snprintf(text, sizeof text, "\nwarning (%lu): could not set file attributes\n", GetLastError());
    Diagnostic(text);
  }
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
