// Test helpers of the foundation suite: record failed assertions instead of asking, and
// capture the log lines an operation writes.
#ifndef ZOLAN_TESTS_ASSERTCAPTURE_H
#define ZOLAN_TESTS_ASSERTCAPTURE_H

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/zolan.h"

// While alive, failed assertions are recorded (condition text and information) and the
// assertion box stays away. "/NOASSERT" toggles, so it is applied once more at the end.
class ASSERTCAPTURE {
public:
  struct ENTRY {
    std::string condition;
    std::string info;
  };
  ASSERTCAPTURE() {
    Entries().clear();
    LogitOption("/NOASSERT");
    AssertSetObserver(Record);
  }
  ~ASSERTCAPTURE() {
    AssertSetObserver(nullptr);
    LogitOption("/NOASSERT");
  }
  ASSERTCAPTURE(const ASSERTCAPTURE&) = delete;
  ASSERTCAPTURE& operator=(const ASSERTCAPTURE&) = delete;

  const std::vector<ENTRY>& All() const { return Entries(); }
  // Condition texts of the assertions raised so far, separated by "|"; then starts afresh.
  std::string Take() {
    std::string joined;
    for (const ENTRY& e : Entries()) joined += (joined.empty() ? "" : "|") + e.condition;
    Entries().clear();
    return joined;
  }

private:
  static std::vector<ENTRY>& Entries() {
    static std::vector<ENTRY> entries;
    return entries;
  }
  static void Record(const char* condition, const char* info) {
    Entries().push_back({condition ? condition : "", info ? info : ""});
  }
};

// While alive, the process log goes to the named file; Text() closes it and returns its lines.
class LOGCAPTURE {
public:
  explicit LOGCAPTURE(const char* file) : name(file) {
    LogitOption(("/LOGIT:" + name).c_str());
  }
  ~LOGCAPTURE() { LogitOption("/LOGITCLOSE"); }
  LOGCAPTURE(const LOGCAPTURE&) = delete;
  LOGCAPTURE& operator=(const LOGCAPTURE&) = delete;

  std::string Text() {
    LogitOption("/LOGITCLOSE");
    std::ifstream in(name, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }

private:
  std::string name;
};

#endif
