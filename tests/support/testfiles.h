// Files and folders for tests, read and written directly rather than through the code under
// test, so that a result on disk is checked against an independent reader.
#ifndef ZOLAN_TESTS_TESTFILES_H
#define ZOLAN_TESTS_TESTFILES_H

#include <string>

// The whole file, byte for byte; "(missing)" when it cannot be opened (so that an absent file
// never compares equal to an empty one).
std::string ReadFileBytes(const std::string& path);
// Creates or replaces the file with exactly these bytes; true when all were written.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// Whether a file or folder of that name exists.
bool PathExists(const std::string& path);

std::string CurrentFolder();
// Full name of the running test program.
std::string ModulePath();

// Makes path an empty folder: removes what is there (read-only files too) and creates it
// and any missing parents anew. Returns path.
std::string EmptyFolder(const std::string& path);

// A scratch folder below the working folder (name may hold several levels, "\" between),
// emptied and created anew on construction; left in place afterwards for inspection.
class SCRATCH {
public:
  explicit SCRATCH(const std::string& name);

  const std::string& Dir() const { return dir; }
  std::string operator/(const std::string& rest) const { return dir + "\\" + rest; }
  // Creates the file (and its folders); rest uses "\".
  void File(const std::string& rest, const std::string& content = "x") const;
  void Folder(const std::string& rest) const;
  bool Exists(const std::string& rest) const;

private:
  std::string dir;
};

#endif
