// progrecorder: a stand-in for the programs that the setup program starts.
//
//   progrecorder [/out=file] [/sleep=ms] [/exit=code] [anything else]
//
// Writes what it was started with to the file of /out=, or else to the file named by the
// environment variable PROGRECORDER_OUT, as key=value lines:
//   cmdline=<the command line exactly as received>
//   cwd=<working folder>
//   flags=<STARTUPINFO dwFlags, hex>  show=<wShowWindow>  title=<lpTitle>
// The file appears complete or not at all (written beside it, then renamed), and only after
// the sleep, so a test that finds it knows the program has come to its end.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct Options {
  std::string out;
  DWORD sleepMs = 0;
  int exitCode = 0;
};

Options ReadOptions(int argc, char** argv) {
  Options options;
  char* fromEnv = getenv("PROGRECORDER_OUT");
  if (fromEnv) {
    options.out = fromEnv;
  }
  for (int i = 1; i < argc; ++i) {
    if (strncmp(argv[i], "/out=", 5) == 0) {
      options.out = argv[i] + 5;
    } else if (strncmp(argv[i], "/sleep=", 7) == 0) {
      options.sleepMs = (DWORD)strtoul(argv[i] + 7, nullptr, 10);
    } else if (strncmp(argv[i], "/exit=", 6) == 0) {
      options.exitCode = (int)strtol(argv[i] + 6, nullptr, 10);
    }
  }
  return options;
}

std::string Record() {
  char folder[MAX_PATH + 1] = "";
  GetCurrentDirectoryA(sizeof folder, folder);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  char numbers[64];
  snprintf(numbers, sizeof numbers, "flags=%lx\nshow=%u\n", (unsigned long)startup.dwFlags,
           (unsigned)startup.wShowWindow);
  std::string text = std::string("cmdline=") + GetCommandLineA() + "\ncwd=" + folder + "\n" + numbers;
  text += std::string("title=") + (startup.lpTitle ? startup.lpTitle : "") + "\n";
  return text;
}

bool WriteWhole(const std::string& path, const std::string& text) {
  std::string partial = path + ".part";
  FILE* file = fopen(partial.c_str(), "wb");
  if (!file) {
    return false;
  }
  bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
  written = fclose(file) == 0 && written;
  return written && MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

int main(int argc, char** argv) {
  Options options = ReadOptions(argc, argv);
  std::string text = Record();
  if (options.sleepMs) {
    Sleep(options.sleepMs);
  }
  if (!options.out.empty() && !WriteWhole(options.out, text)) {
    fprintf(stderr, "progrecorder: cannot write %s\n", options.out.c_str());
    return 255;
  }
  return options.exitCode;
}
