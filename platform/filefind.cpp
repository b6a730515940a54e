#include <new>

#include "foundation/zolan.h"
#include "platform/osysfile.h"

FILEFIND::FILEFIND() : hFind(INVALID_HANDLE_VALUE) {
  pResult = new (std::nothrow) WIN32_FIND_DATAA;
  ASSERT(this->pResult, nullptr);
}

FILEFIND::~FILEFIND() {
  Close();
  delete pResult;
}

bool FILEFIND::First(const char* pattern, STRING& name) {
  Close();
  name.Free();
  if (!pResult || !pattern)
    return false;
  HANDLE h = FindFirstFileA(pattern, pResult);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    // An empty folder or no match is an ordinary end, not worth a line.
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
      Logit("FILEFIND::First %s failed, error=%lu\n", pattern, error);
    return false;
  }
  hFind = h;
  name = pResult->cFileName;
  return true;
}

bool FILEFIND::Next(STRING& name) {
  name.Free();
  if (hFind == INVALID_HANDLE_VALUE || !FindNextFileA(hFind, pResult))
    return false;
  name = pResult->cFileName;
  return true;
}

DWORD FILEFIND::Attributes() const {
  return hFind != INVALID_HANDLE_VALUE && pResult ? pResult->dwFileAttributes : 0;
}

void FILEFIND::Close() {
  if (hFind == INVALID_HANDLE_VALUE)
    return;
  FindClose(hFind);
  hFind = INVALID_HANDLE_VALUE;
}
