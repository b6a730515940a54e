// Helpers of the platform suite: a clean registry test key and direct reads of the registry to
// check results against; assertion recording and files come from the shared test support.
#ifndef ZOLAN_TESTS_PLATFORMTEST_H
#define ZOLAN_TESTS_PLATFORMTEST_H

#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "foundation/strings.h"
#include "support/assertrecorder.h"
#include "support/testfiles.h"

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

#endif
