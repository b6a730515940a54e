#include "platform/semaphores.h"

#include <cstdio>
#include <new>

#include "foundation/zolan.h"

namespace {

// Handles are logged as 32-bit numbers, as every log reader of this program expects.
unsigned HandleNumber(HANDLE h) { return (unsigned)(UINT_PTR)h; }

// A failed close, set, reset or release means a broken handle: report it with the handle.
void AssertHandleOk(BOOL ok, HANDLE h, int line) {
  if (ok)
    return;
  char info[32];
  snprintf(info, sizeof info, "handle= %08x", HandleNumber(h));
  Assert(0, "ok", __FILE__, line, info, 0);
}

// WaitForSingleObject result, with the assertion for a wait that could not even start.
DWORD WaitChecked(HANDLE h, DWORD timeout, int line) {
  DWORD rc = WaitForSingleObject(h, timeout);
  if (rc == WAIT_FAILED)
    Assert(0, "rc!=WAIT_FAILED", __FILE__, line, nullptr, 0);
  return rc;
}

}  // namespace

// --- EVENTSEM ---

EVENTSEM::EVENTSEM(int signalled) {
  hev = CreateEventA(nullptr, TRUE, signalled ? TRUE : FALSE, nullptr);
  LogitEx(7, "EVENTSEM::EVENTSEM created %08x\n", HandleNumber(hev));
  ASSERT(this->hev, nullptr);
}

EVENTSEM::~EVENTSEM() {
  if (!hev)
    return;
  BOOL ok = CloseHandle(hev);
  LogitEx(12, "EVENTSEM::~EVENTSEM deleted %08x, ok= %d\n", HandleNumber(hev), ok ? 1 : 0);
  AssertHandleOk(ok, hev, __LINE__);
}

int EVENTSEM::Set() {
  LogitEx(12, "EVENTSEM::Set %08x\n", HandleNumber(hev));
  BOOL ok = SetEvent(hev);
  AssertHandleOk(ok, hev, __LINE__);
  return ok ? 1 : 0;
}

int EVENTSEM::Reset() {
  LogitEx(12, "EVENTSEM::Reset %08x\n", HandleNumber(hev));
  BOOL ok = ResetEvent(hev);
  AssertHandleOk(ok, hev, __LINE__);
  return ok ? 1 : 0;
}

int EVENTSEM::Wait(DWORD timeout) {
  DWORD rc = WaitChecked(hev, timeout, __LINE__);
  LogitEx(12, "EVENTSEM::Wait %08x rc=%d\n", HandleNumber(hev), (int)rc);
  return rc == WAIT_OBJECT_0 ? 1 : 0;
}

// --- MUTEXSEM ---

MUTEXSEM::MUTEXSEM(int owned, const char* name) {
  hmux = CreateMutexA(nullptr, owned ? TRUE : FALSE, name);
  LogitEx(11, "MUTEXSEM::MUTEXSEM created %08x, name= %s\n", HandleNumber(hmux),
          name ? name : "<null>");
  ASSERT(this->hmux, nullptr);
}

MUTEXSEM::~MUTEXSEM() {
  if (!hmux)
    return;
  LogitEx(11, "MUTEXSEM::MUTEXSEM delete %08x\n", HandleNumber(hmux));
  AssertHandleOk(CloseHandle(hmux), hmux, __LINE__);
}

int MUTEXSEM::Obtain(int timeout) {
  DWORD rc = WaitChecked(hmux, timeout < 0 ? INFINITE : (DWORD)timeout, __LINE__);
  LogitEx(11, "MUTEXSEM::Obtain %08x rc= %d\n", HandleNumber(hmux), (int)rc);
  return rc == WAIT_OBJECT_0 ? 1 : 0;
}

int MUTEXSEM::Release() {
  BOOL ok = ReleaseMutex(hmux);
  LogitEx(11, "MUTEXSEM::Release %08x rc= %d\n", HandleNumber(hmux), ok ? 1 : 0);
  AssertHandleOk(ok, hmux, __LINE__);
  return ok ? 1 : 0;
}

// --- CRITSECT ---

CRITSECT::CRITSECT() {
  pCritSect = new (std::nothrow) CRITICAL_SECTION;
  if (pCritSect)
    InitializeCriticalSection(pCritSect);
  ASSERT(this->pCritSect, nullptr);
}

CRITSECT::~CRITSECT() {
  if (!pCritSect)
    return;
  DeleteCriticalSection(pCritSect);
  delete pCritSect;
}

void CRITSECT::Enter() {
  if (pCritSect)
    EnterCriticalSection(pCritSect);
}

void CRITSECT::Leave() {
  if (pCritSect)
    LeaveCriticalSection(pCritSect);
}
