#include <gtest/gtest.h>

#include <string>

#include "platform/registry.h"
#include "platform/semaphores.h"
#include "platformtest.h"

namespace {

// Runs one operation of each wrapper with the log at the given level; the log's text.
std::string LogAtLevel(unsigned level) {
  LOGCAPTURE log("levels.log", level);
  {
    EVENTSEM event(0);
    event.Set();
    MUTEXSEM mutex(0, "ZolanTestLevels");
    mutex.Obtain(-1);
    mutex.Release();
    REGISTRY key(HKEY_CURRENT_USER, "Software\\ZolanTest\\Levels", nullptr, REGMODE_READ);
    key.Read("missing");
  }
  return log.Text();
}

TEST(LogLevels, EachWrapperLogsAtItsLevel) {
  SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\ZolanTest\\Levels");
  struct CASE {
    unsigned level;
    bool registry, eventCreated, mutex, eventSet;
  } cases[] = {
      {0, false, false, false, false},
      {2, true, false, false, false},
      {7, true, true, false, false},
      {11, true, true, true, false},
      {12, true, true, true, true},
      {0x100, false, false, false, false},
  };
  for (const CASE& c : cases) {
    std::string log = LogAtLevel(c.level);
    auto has = [&log](const char* text) { return log.find(text) != std::string::npos; };
    EXPECT_EQ(c.registry, has("REGISTRY::Read key=missing, ok=0, error=6\r\n")) << c.level;
    EXPECT_EQ(c.eventCreated, has("EVENTSEM::EVENTSEM created ")) << c.level;
    EXPECT_EQ(c.mutex, has("MUTEXSEM::MUTEXSEM created ")) << c.level;
    EXPECT_EQ(c.mutex, has("MUTEXSEM::Obtain ")) << c.level;
    EXPECT_EQ(c.mutex, has(", name= ZolanTestLevels\r\n")) << c.level;
    EXPECT_EQ(c.eventSet, has("EVENTSEM::Set ")) << c.level;
    EXPECT_EQ(c.eventSet, has("EVENTSEM::~EVENTSEM deleted ")) << c.level;
  }
}

}  // namespace
