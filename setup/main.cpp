// The setup program's main function: loads the language library and reports that it runs.
// The installation jobs are driven from here once they exist.
#include "foundation/approot.h"
#include "foundation/zolan.h"

int AppMain(int argc, char** argv, char** /*envp*/) {
  APP::Init(STRING(argv[0]), STRING("setup"), STRING("1.00"));
  Logit("AppMain argc=%d, title=%s, language=%d\n", argc, gAppTitle.c_str(), gLanguageId);
  return 0;
}
