// What the code under test reports besides its results: failed assertions, recorded instead
// of asked about, and the process log lines an operation writes.
#ifndef ZOLAN_TESTS_ASSERTRECORDER_H
#define ZOLAN_TESTS_ASSERTRECORDER_H

#include <mutex>
#include <string>
#include <vector>

// While alive, failed assertions are recorded (condition text and information) and no box is
// shown. "/NOASSERT" toggles, so it is applied once more at the end; one recorder at a time.
class ASSERTRECORDER {
public:
  struct ENTRY {
    std::string condition;
    std::string info;
  };
  ASSERTRECORDER();
  ~ASSERTRECORDER();
  ASSERTRECORDER(const ASSERTRECORDER&) = delete;
  ASSERTRECORDER& operator=(const ASSERTRECORDER&) = delete;

  // Assertions recorded since the start or the last Take.
  const std::vector<ENTRY>& All() const { return entries; }
  // Condition texts recorded since the last call, joined with "|"; then starts afresh.
  std::string Take();
  // Information text of the last assertion recorded (kept by Take).
  std::string LastInfo() const;

private:
  static void Record(const char* condition, const char* info);

  mutable std::mutex lock;  // assertions may come from other threads
  std::vector<ENTRY> entries;
  std::string lastInfo;
};

// While alive, the process log goes to the named file, at the given level when one is given
// (the level before is restored at the end). Text() closes the log and returns the file.
class LOGCAPTURE {
public:
  explicit LOGCAPTURE(const std::string& file);
  LOGCAPTURE(const std::string& file, unsigned level);
  ~LOGCAPTURE();
  LOGCAPTURE(const LOGCAPTURE&) = delete;
  LOGCAPTURE& operator=(const LOGCAPTURE&) = delete;

  std::string Text();

private:
  std::string name;
  bool restoreLevel = false;
  unsigned savedLevel = 0;
};

#endif
