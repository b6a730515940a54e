// Synchronisation primitives: a manual-reset event, a re-entrant mutex and a critical section.
//
// Each wrapper owns its system object for its whole life and cannot be copied; creation
// failures raise an assertion and leave the object without a handle, so every later call
// reports failure instead of touching an invalid handle.
#ifndef ZOLAN_SEMAPHORES_H
#define ZOLAN_SEMAPHORES_H

#include <windows.h>

// Manual-reset event: once set it stays signalled until Reset.
class EVENTSEM {
public:
  explicit EVENTSEM(int signalled = 0);
  ~EVENTSEM();
  EVENTSEM(const EVENTSEM&) = delete;
  EVENTSEM& operator=(const EVENTSEM&) = delete;

  int Set();
  int Reset();
  // 1 when the event was signalled within timeout ms (INFINITE waits without limit).
  int Wait(DWORD timeout);
  HANDLE Handle() const { return hev; }

private:
  HANDLE hev;
};

// Mutex; the owning thread may obtain it again (each Obtain needs its Release).
class MUTEXSEM {
public:
  explicit MUTEXSEM(int owned = 0, const char* name = nullptr);
  ~MUTEXSEM();
  MUTEXSEM(const MUTEXSEM&) = delete;
  MUTEXSEM& operator=(const MUTEXSEM&) = delete;

  // Waits up to timeout ms for ownership, -1 without limit; 1 when owned.
  int Obtain(int timeout = -1);
  int Release();
  HANDLE Handle() const { return hmux; }

private:
  HANDLE hmux;
};

// Critical section for short, process-local locks.
class CRITSECT {
public:
  CRITSECT();
  ~CRITSECT();
  CRITSECT(const CRITSECT&) = delete;
  CRITSECT& operator=(const CRITSECT&) = delete;

  void Enter();
  void Leave();

private:
  CRITICAL_SECTION* pCritSect;
};

#endif
