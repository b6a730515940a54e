// Swaps a language library from the distribution folder in for texts by id, together with the
// language id, and puts the previous ones back when it goes out of scope.
#ifndef ZOLAN_TESTS_LANGUAGELIBRARY_H
#define ZOLAN_TESTS_LANGUAGELIBRARY_H

#include <windows.h>

#include <string>

#include "foundation/approot.h"

class LanguageLibrary {
public:
  LanguageLibrary(const char* file, int languageId)
      : module(LoadLibraryA((std::string(ZOLAN_DIST_DIR "\\") + file).c_str())),
        savedModule(gResourceInstance), savedId(gLanguageId) {
    if (module) gResourceInstance = module;
    gLanguageId = languageId;
  }
  ~LanguageLibrary() {
    gResourceInstance = savedModule;
    gLanguageId = savedId;
    if (module) FreeLibrary(module);
  }
  LanguageLibrary(const LanguageLibrary&) = delete;
  LanguageLibrary& operator=(const LanguageLibrary&) = delete;
  bool Loaded() const { return module != nullptr; }

private:
  HMODULE module;
  HINSTANCE savedModule;
  int savedId;
};

#endif
