// Helpers of the unzip suite: the generated archives and the extractor run as a command.
#ifndef ZOLAN_TESTS_UNZIPTEST_H
#define ZOLAN_TESTS_UNZIPTEST_H

#include <string>

#include "support/testfiles.h"
#include "unzip/unzipper.h"

namespace unziptest {

inline std::string Fixture(const std::string& name) { return ZOLAN_TOOLS_DIR "\\zipfixtures\\" + name; }
// Content the generator put into a member of its own name.
inline std::string Expected(const std::string& member) {
  return ReadFileBytes(ZOLAN_TOOLS_DIR "\\zipfixtures\\expected\\" + member);
}

inline int List(const std::string& archive) {
  const char* argv[] = {"unzip", "-v", archive.c_str()};
  return unzip_main(3, argv);
}

inline int Extract(const std::string& archive, const std::string& member, const std::string& folder) {
  const char* argv[] = {"unzip", "-qq", archive.c_str(), member.c_str(), "-d", folder.c_str()};
  return unzip_main(6, argv);
}

}  // namespace unziptest

#endif
