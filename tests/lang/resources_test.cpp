// The four language libraries hold the same ids: every text, dialog template and menu that
// one library has, the others have too.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <set>
#include <string>

#include "ids/foundation.h"

namespace {

const char* const kLibraries[] = {"setupenglish.dll", "setupgerman.dll", "setupfrench.dll",
                                  "setuphungarian.dll"};

struct LIBRARY {
  explicit LIBRARY(const char* name)
      : module(LoadLibraryA((std::string(ZOLAN_DIST_DIR) + "\\" + name).c_str())) {}
  ~LIBRARY() {
    if (module) FreeLibrary(module);
  }
  LIBRARY(const LIBRARY&) = delete;
  LIBRARY& operator=(const LIBRARY&) = delete;
  HMODULE module;
};

typedef std::set<std::string> NAMES;

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR names) {
  ((NAMES*)names)->insert(IS_INTRESOURCE(name) ? std::to_string((UINT_PTR)name) : std::string(name));
  return TRUE;
}

NAMES ResourceNames(HMODULE module, LPCSTR type) {
  NAMES names;
  EnumResourceNamesA(module, type, CollectName, (LONG_PTR)&names);
  return names;
}

// Text ids of a library: a string-table block n holds the ids (n-1)*16 .. (n-1)*16+15, each
// as a counted UTF-16 text; a length of zero means the id is absent.
NAMES TextIds(HMODULE module) {
  NAMES ids;
  for (const std::string& block : ResourceNames(module, RT_STRING)) {
    int n = std::stoi(block);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(n), RT_STRING);
    const WORD* p = found ? (const WORD*)LockResource(LoadResource(module, found)) : nullptr;
    if (!p) continue;
    for (int i = 0; i < 16; i++) {
      if (*p) ids.insert(std::to_string((n - 1) * 16 + i));
      p += 1 + *p;
    }
  }
  return ids;
}

std::string Missing(const NAMES& all, const NAMES& have) {
  std::string missing;
  for (const std::string& id : all)
    if (!have.count(id)) missing += " " + id;
  return missing;
}

TEST(LanguageLibraries, HoldTheSameTextsDialogsAndMenus) {
  std::map<std::string, NAMES> texts, dialogs, menus;
  NAMES allTexts, allDialogs, allMenus;
  for (const char* name : kLibraries) {
    LIBRARY library(name);
    ASSERT_NE(library.module, nullptr) << name;
    texts[name] = TextIds(library.module);
    dialogs[name] = ResourceNames(library.module, RT_DIALOG);
    menus[name] = ResourceNames(library.module, RT_MENU);
    allTexts.insert(texts[name].begin(), texts[name].end());
    allDialogs.insert(dialogs[name].begin(), dialogs[name].end());
    allMenus.insert(menus[name].begin(), menus[name].end());
    // Every text arrives through LoadStringA as the program reads it.
    for (const std::string& id : texts[name]) {
      char buf[256];
      EXPECT_GT(LoadStringA(library.module, std::stoi(id), buf, sizeof buf), 0) << name << " id " << id;
    }
  }
  EXPECT_TRUE(allTexts.count(std::to_string(IDS_FOUNDATION_LANGUAGE)));
  for (const char* name : kLibraries) {
    EXPECT_EQ(Missing(allTexts, texts[name]), "") << "text ids missing in " << name;
    EXPECT_EQ(Missing(allDialogs, dialogs[name]), "") << "dialog ids missing in " << name;
    EXPECT_EQ(Missing(allMenus, menus[name]), "") << "menu ids missing in " << name;
  }
}

TEST(LanguageLibraries, EachServesItsLanguageInItsCodePage) {
  const struct { const char* library; const char* language; const char* id; } cases[] = {
      {"setupenglish.dll", "English", "9"},
      {"setupgerman.dll", "Deutsch", "7"},
      {"setupfrench.dll", "Fran\xE7" "ais", "12"},
      {"setuphungarian.dll", "Magyar", "14"},
  };
  for (const auto& c : cases) {
    LIBRARY library(c.library);
    ASSERT_NE(library.module, nullptr) << c.library;
    char language[256] = "", id[256] = "";
    LoadStringA(library.module, IDS_FOUNDATION_LANGUAGE, language, sizeof language);
    LoadStringA(library.module, IDS_FOUNDATION_LANGUAGEID, id, sizeof id);
    EXPECT_STREQ(language, c.language) << c.library;
    EXPECT_STREQ(id, c.id) << c.library;
  }
}

}  // namespace
