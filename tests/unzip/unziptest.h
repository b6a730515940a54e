// Helpers of the unzip suite: the generated archives, scratch folders below the suite's
// working folder, and reads of what the extractor left on disk.
#ifndef ZOLAN_TESTS_UNZIPTEST_H
#define ZOLAN_TESTS_UNZIPTEST_H

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "unzip/unzipper.h"

namespace unziptest {

namespace fs = std::filesystem;

inline std::string Fixture(const std::string& name) { return ZOLAN_TOOLS_DIR "\\zipfixtures\\" + name; }
// Content the generator put into a member of its own name.
inline std::string Expected(const std::string& member) {
  std::ifstream in(ZOLAN_TOOLS_DIR "\\zipfixtures\\expected\\" + member, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// An empty folder of the suite's working folder (read-only files inside are cleared first).
inline std::string Scratch(const std::string& name) {
  fs::path folder = fs::current_path() / "scratch" / name;
  std::error_code ignored;
  if (fs::exists(folder))
    for (const auto& e : fs::recursive_directory_iterator(folder))
      SetFileAttributesA(e.path().string().c_str(), FILE_ATTRIBUTE_NORMAL);
  fs::remove_all(folder, ignored);
  fs::create_directories(folder);
  return folder.string();
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteAll(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
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
