#include <process.h>

#include "foundation/zolan.h"
#include "platform/osys.h"

#define THREAD_STACKSIZE 32768

namespace OSYS {

HANDLE CreateThread(THREADPROC function, void* argument) {
  unsigned tid = 0;
  HANDLE thread =
      (HANDLE)_beginthreadex(nullptr, THREAD_STACKSIZE, function, argument, 0, &tid);
  Logit("OSYS::CreateThread returned hthread= %08x, tid= %04x\n", (unsigned)(UINT_PTR)thread,
        tid);
  return thread;
}

int WaitThread(HANDLE thread, DWORD timeout) {
  if (!thread) {
    ASSERTTEXT(0, "hThread!=NULL", nullptr);
    return 0;
  }
  if (timeout)
    Logit("OSYS::WaitThread hThread=%08x, timeout= %d\n", (unsigned)(UINT_PTR)thread, (int)timeout);
  DWORD rc = WaitForSingleObject(thread, timeout ? timeout : INFINITE);
  ASSERTTEXT(rc != WAIT_FAILED, "rc!=WAIT_FAILED", nullptr);
  if (rc != WAIT_OBJECT_0) {
    if (timeout)
      Logit("OSYS::WaitThread hThread=%08x timeout= %d failed\n", (unsigned)(UINT_PTR)thread,
            (int)timeout);
    return 0;
  }
  CloseHandle(thread);
  return 1;
}

void Sleep(DWORD ms) { ::Sleep(ms); }

DWORD ThreadId() { return GetCurrentThreadId(); }

}  // namespace OSYS
