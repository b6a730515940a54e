// Helpers of the platform suite: assertion recording, a clean registry test key and a clean
// scratch folder, and direct reads of the registry and the disk to check results against.
#ifndef ZOLAN_TESTS_PLATFORMTEST_H
#define ZOLAN_TESTS_PLATFORMTEST_H

#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/strings.h"
#include "foundation/zolan.h"

// While alive, failed assertions are recorded and no box is shown ("/NOASSERT" toggles, so
// it is applied again at the end).
class ASSERTRECORDER {
public:
  struct ENTRY {
    std::string condition;
    std::string info;
  };
  ASSERTRECORDER() {
    Entries().clear();
    LastInfoText().clear();
    LogitOption("/NOASSERT");
    AssertSetObserver(Record);
  }
  ~ASSERTRECORDER() {
    AssertSetObserver(nullptr);
    LogitOption("/NOASSERT");
  }
  ASSERTRECORDER(const ASSERTRECORDER&) = delete;
  ASSERTRECORDER& operator=(const ASSERTRECORDER&) = delete;

  // Condition texts recorded since the last call, joined with "|".
  std::string Take() {
    std::string joined;
    for (const ENTRY& e : Entries()) joined += (joined.empty() ? "" : "|") + e.condition;
    Entries().clear();
    return joined;
  }
  // Information text of the last assertion recorded (kept by Take).
  std::string LastInfo() const { return LastInfoText(); }

private:
  static std::vector<ENTRY>& Entries() {
    static std::vector<ENTRY> entries;
    return entries;
  }
  static std::string& LastInfoText() {
    static std::string info;
    return info;
  }
  static void Record(const char* condition, const char* info) {
    Entries().push_back({condition ? condition : "", info ? info : ""});
    LastInfoText() = info ? info : "";
  }
};

inline std::string Text(const STRING& s) {
  return s.NotNull() ? std::string(s.c_str(), s.Length()) : "(null)";
}

// --- Registry read back directly ---
inline bool KeyExists(HKEY root, const char* path) {
  HKEY hk;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &hk) != ERROR_SUCCESS) return false;
  RegCloseKey(hk);
  return true;
}

struct REGVALUE {
  bool found = false;
  DWORD type = REG_NONE;
  std::string data;
};

inline REGVALUE ReadValue(HKEY root, const char* path, const char* name) {
  REGVALUE v;
  HKEY hk;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &hk) != ERROR_SUCCESS) return v;
  char buffer[16384];
  DWORD size = sizeof buffer;
  if (RegQueryValueExA(hk, name, nullptr, &v.type, (BYTE*)buffer, &size) == ERROR_SUCCESS) {
    v.found = true;
    v.data.assign(buffer, size);
  }
  RegCloseKey(hk);
  return v;
}

// A REG_SZ value as text: the system hands the terminator back even when none was stored.
inline std::string TextData(const REGVALUE& v) {
  std::string data = v.data;
  if (!data.empty() && data.back() == 0) data.pop_back();
  return data;
}

inline void WriteValue(HKEY root, const char* path, const char* name, DWORD type,
                       const std::string& data) {
  HKEY hk;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(root, path, &hk)) << path;
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(hk, name, 0, type, (const BYTE*)data.data(), (DWORD)data.size()));
  RegCloseKey(hk);
}

inline void DeleteKeyTree(HKEY root, const char* path) {
  SHDeleteKeyA(root, path);
  ASSERT_FALSE(KeyExists(root, path)) << path;
}

// --- Disk ---
inline std::string ModulePath() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}

inline std::string CurrentDir() {
  char path[MAX_PATH];
  GetCurrentDirectoryA(sizeof path, path);
  return path;
}

inline void WriteFileBytes(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary);
  out << data;
}

inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "(missing)";
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

// A scratch folder below the working folder, emptied at the start of each test.
class SCRATCH {
public:
  explicit SCRATCH(const char* name) : dir(CurrentDir() + "\\" + name) {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    std::filesystem::create_directories(dir);
  }
  const std::string& Dir() const { return dir; }
  std::string operator/(const std::string& rest) const { return dir + "\\" + rest; }
  // Creates the file (and its folders); rest uses "\".
  void File(const std::string& rest, const std::string& content = "x") const {
    std::filesystem::create_directories(std::filesystem::path(*this / rest).parent_path());
    WriteFileBytes(*this / rest, content);
  }
  void Folder(const std::string& rest) const { std::filesystem::create_directories(*this / rest); }
  bool Exists(const std::string& rest) const { return std::filesystem::exists(*this / rest); }

private:
  std::string dir;
};

#endif
