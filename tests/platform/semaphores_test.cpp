#include "platform/semaphores.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/osys.h"
#include "platformtest.h"

namespace {

TEST(EventSem, StaysSignalledUntilReset) {
  EVENTSEM event(0);
  ASSERT_NE(nullptr, event.Handle());
  EXPECT_EQ(0, event.Wait(0));
  EXPECT_EQ(1, event.Set());
  EXPECT_EQ(1, event.Wait(0));
  EXPECT_EQ(1, event.Wait(0));
  EXPECT_EQ(1, event.Reset());
  EXPECT_EQ(0, event.Wait(10));

  EVENTSEM signalled(1);
  EXPECT_EQ(1, signalled.Wait(0));
}

TEST(EventSem, WakesAWaitingThread) {
  EVENTSEM event(0);
  int woken = 0;
  std::thread waiter([&] { woken = event.Wait(5000); });
  Sleep(20);
  event.Set();
  waiter.join();
  EXPECT_EQ(1, woken);
}

TEST(MutexSem, ReentrantForTheOwnerExclusiveForOthers) {
  MUTEXSEM mutex(0, nullptr);
  ASSERT_NE(nullptr, mutex.Handle());
  EXPECT_EQ(1, mutex.Obtain(-1));
  EXPECT_EQ(1, mutex.Obtain(0));
  int other = -1;
  std::thread([&] { other = mutex.Obtain(0); }).join();
  EXPECT_EQ(0, other);
  EXPECT_EQ(1, mutex.Release());
  std::thread([&] { other = mutex.Obtain(0); }).join();
  EXPECT_EQ(0, other) << "still held once";
  EXPECT_EQ(1, mutex.Release());
  // Released as often as obtained: free for others.
  std::thread([&] {
    other = mutex.Obtain(0);
    if (other) mutex.Release();
  }).join();
  EXPECT_EQ(1, other);
}

TEST(MutexSem, OwnedAtCreationAndSharedByName) {
  MUTEXSEM first(1, "ZolanTestMutex");
  int other = -1;
  std::thread([&] {
    MUTEXSEM second(0, "ZolanTestMutex");
    other = second.Obtain(20);
  }).join();
  EXPECT_EQ(0, other);
  EXPECT_EQ(1, first.Release());
}

TEST(MutexSem, ReleasingWithoutOwningIsAnError) {
  ASSERTRECORDER asserts;
  MUTEXSEM mutex(0, nullptr);
  EXPECT_EQ(0, mutex.Release());
  EXPECT_EQ("ok", asserts.Take());
  char info[32];
  snprintf(info, sizeof info, "handle= %08x", (unsigned)(UINT_PTR)mutex.Handle());
  EXPECT_EQ(info, asserts.LastInfo());
}

TEST(CritSect, SerialisesThreads) {
  CRITSECT lock;
  long counter = 0;
  auto work = [&] {
    for (int i = 0; i < 20000; i++) {
      lock.Enter();
      long value = counter;
      if (i % 1000 == 0) Sleep(0);
      counter = value + 1;
      lock.Leave();
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(40000, counter);
}

}  // namespace
