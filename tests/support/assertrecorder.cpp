#include "support/assertrecorder.h"

#include "foundation/zolan.h"
#include "support/testfiles.h"

namespace {
// The observer is a plain function, so it finds the recorder that is alive through this.
ASSERTRECORDER* recording = nullptr;
}  // namespace

ASSERTRECORDER::ASSERTRECORDER() {
  recording = this;
  LogitOption("/NOASSERT");
  AssertSetObserver(Record);
}

ASSERTRECORDER::~ASSERTRECORDER() {
  AssertSetObserver(nullptr);
  LogitOption("/NOASSERT");
  recording = nullptr;
}

std::string ASSERTRECORDER::Take() {
  std::lock_guard<std::mutex> hold(lock);
  std::string joined;
  for (const ENTRY& e : entries) joined += (joined.empty() ? "" : "|") + e.condition;
  entries.clear();
  return joined;
}

std::string ASSERTRECORDER::LastInfo() const {
  std::lock_guard<std::mutex> hold(lock);
  return lastInfo;
}

void ASSERTRECORDER::Record(const char* condition, const char* info) {
  if (!recording) return;
  std::lock_guard<std::mutex> hold(recording->lock);
  recording->entries.push_back({condition ? condition : "", info ? info : ""});
  recording->lastInfo = info ? info : "";
}

LOGCAPTURE::LOGCAPTURE(const std::string& file) : name(file) {
  LogitOption(("/LOGIT:" + name).c_str());
}

LOGCAPTURE::LOGCAPTURE(const std::string& file, unsigned level)
    : name(file), restoreLevel(true), savedLevel(LogitGetLevel()) {
  LogitSetLevel(level);
  LogitOption(("/LOGIT:" + name).c_str());
}

LOGCAPTURE::~LOGCAPTURE() {
  LogitOption("/LOGITCLOSE");
  if (restoreLevel) LogitSetLevel(savedLevel);
}

std::string LOGCAPTURE::Text() {
  LogitOption("/LOGITCLOSE");
  return ReadFileBytes(name);
}
