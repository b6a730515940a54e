// The system basics of the log: operating-system type, clock, error texts, locale texts and
// texts from a language library.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "foundation/approot.h"
#include "foundation/zolan.h"
#include "ids/foundation.h"
#include "platform/osys.h"
#include "support/assertrecorder.h"

namespace {

// Log text written while fn runs at the given level mask.
template <class FN>
std::string LoggedAt(unsigned level, FN fn) {
  LOGCAPTURE log("osysbasics.log", level);
  fn();
  return log.Text();
}

TEST(OsysBasics, OsTypeOfThisSystemAndItsLevelOneLine) {
  OSVERSIONINFOA vi = {};
  vi.dwOSVersionInfoSize = sizeof vi;
  ASSERT_TRUE(GetVersionExA(&vi));
  int type = -1;
  std::string atOne = LoggedAt(1, [&] { type = OSYS::GetOSType(); });
  EXPECT_EQ(type, vi.dwMajorVersion >= 6 ? OSTYPE_VISTA : vi.dwMinorVersion == 1 ? OSTYPE_WINXP : -1);
  std::string line = "] OSYS::GetOSType " + std::to_string(vi.dwMajorVersion) + "." +
                     std::to_string(vi.dwMinorVersion) + "\r\n";
  EXPECT_NE(atOne.find(line), std::string::npos) << atOne;
  std::string atZero = LoggedAt(0, [] { OSYS::GetOSType(); });
  EXPECT_EQ(atZero.find("GetOSType"), std::string::npos);
}

TEST(OsysBasics, ErrorTexts) {
  char system[256] = "";
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND, 0,
                 system, sizeof system, nullptr);
  std::string notFound = OSYS::ErrorText(ERROR_FILE_NOT_FOUND).c_str();
  EXPECT_FALSE(notFound.empty());
  EXPECT_EQ(notFound.find_first_of("\r\n"), std::string::npos) << "line end removed";
  EXPECT_EQ(std::string(system).substr(0, notFound.size()), notFound);
  EXPECT_NE(std::string(OSYS::ErrorText(0).c_str()), "<no error>") << "success has a text";
  SetLastError(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(std::string(OSYS::ErrorText(OSYS_LASTERROR).c_str()), notFound);
  EXPECT_EQ(std::string(OSYS::ErrorText(0x2FFFFFFF).c_str()), "<no error>");
}

TEST(OsysBasics, ClockCountsMillisecondsFromItsReset) {
  long long zero = OSYS::Clock(1);
  Sleep(120);
  long long later = OSYS::Clock();
  EXPECT_LE(zero, 5);
  EXPECT_GE(later, 110);
  EXPECT_LT(later, 2000);
  EXPECT_LE(OSYS::Clock(1), 5) << "a reset starts again from zero";
}

TEST(OsysBasics, LocaleDateAndTimeFollowTheUserFormats) {
  char date[64], time[64];
  STRING d = OSYS::LocaleDate(), t = OSYS::LocaleTime();
  GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date);
  GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, sizeof time);
  EXPECT_EQ(std::string(d.c_str()), date);
  // Seconds may have ticked between the two readings: compare up to the minutes.
  EXPECT_EQ(std::string(t.c_str()).substr(0, 4), std::string(time).substr(0, 4));
  EXPECT_NE(std::string(t.c_str()).find(':'), std::string::npos);
}

TEST(OsysBasics, TextsFromTheLanguageLibrary) {
  HMODULE german = LoadLibraryA(ZOLAN_DIST_DIR "\\setupgerman.dll");
  ASSERT_NE(german, nullptr);
  HINSTANCE before = gResourceInstance;
  gResourceInstance = german;
  std::string text, missing, own;
  std::string log = LoggedAt(12, [&] {
    text = OSYS::GetStringFromResource(IDS_FOUNDATION_LANGUAGE).c_str();
    missing = OSYS::GetStringFromResource(4).c_str();
  });
  own = OSYS::GetStringFromResource(IDS_FOUNDATION_LANGUAGE, GetModuleHandleA(nullptr)).c_str();
  std::string quiet = LoggedAt(11, [] { OSYS::GetStringFromResource(IDS_FOUNDATION_LANGUAGE); });
  gResourceInstance = before;
  FreeLibrary(german);

  EXPECT_EQ(text, "Deutsch");
  EXPECT_EQ(missing, "<STR-ERR>");
  EXPECT_EQ(own, "<STR-ERR>") << "the test program holds no texts";
  EXPECT_NE(log.find("] OSYS::GetStringFromResource 960 returns Deutsch\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("] OSYS::GetStringFromResource 4 returns <STR-ERR>\r\n"), std::string::npos) << log;
  EXPECT_EQ(quiet.find("GetStringFromResource"), std::string::npos);
}

}  // namespace
