#include "support/testfiles.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "(missing)";
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  out.close();
  return out.good();
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string CurrentFolder() {
  char path[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof path, path);
  return path;
}

std::string ModulePath() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}

std::string EmptyFolder(const std::string& path) {
  std::error_code ec;
  // A read-only file would stop the removal, and tests make such files on purpose.
  for (auto it = std::filesystem::recursive_directory_iterator(path, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
    SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
  std::filesystem::remove_all(path, ec);
  std::filesystem::create_directories(path);
  return path;
}

SCRATCH::SCRATCH(const std::string& name) : dir(CurrentFolder() + "\\" + name) { EmptyFolder(dir); }

void SCRATCH::File(const std::string& rest, const std::string& content) const {
  std::filesystem::create_directories(std::filesystem::path(*this / rest).parent_path());
  WriteFileBytes(*this / rest, content);
}

void SCRATCH::Folder(const std::string& rest) const { std::filesystem::create_directories(*this / rest); }

bool SCRATCH::Exists(const std::string& rest) const { return std::filesystem::exists(*this / rest); }
