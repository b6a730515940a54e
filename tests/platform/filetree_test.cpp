#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/stringarray.h"
#include "platform/osysfile.h"
#include "platformtest.h"

namespace {

std::vector<std::string> Items(const STRINGARRAY& list) {
  std::vector<std::string> items;
  for (int i = 0; i < list.Count(); i++) items.push_back(Text(list.Get(i)));
  return items;
}

// Position of an item in the list, -1 when absent.
int IndexOf(const std::vector<std::string>& items, const std::string& item) {
  for (size_t i = 0; i < items.size(); i++)
    if (items[i] == item) return (int)i;
  return -1;
}

class FileTree : public ::testing::Test {
protected:
  SCRATCH scratch{"tree"};
};

TEST(Folders, FolderOf) {
  std::string cwd = CurrentFolder();
  struct CASE {
    const char* path;
    std::string folder;
  } cases[] = {
      {"C:\\a\\b\\x.txt", "C:\\a\\b"},
      {"C:\\x.txt", "C:\\"},
      {"C:/a/x.txt", "C:/a"},
      {"\\a\\x.txt", cwd.substr(0, 2) + "\\a"},
      {"a\\x.txt", cwd.substr(0, 2) + "a"},
      {"x.txt", cwd},
      {"C:x.txt", "C:"},
      {"\\\\server\\share\\x.txt", "\\\\server\\share"},
  };
  for (const CASE& c : cases) EXPECT_EQ(c.folder, Text(OSYS::FolderOf(c.path))) << c.path;
  EXPECT_EQ(cwd, Text(OSYS::GetCurrentDir()));
}

TEST_F(FileTree, CreateDirectoryTree) {
  std::string deep = scratch / "a\\b\\c";
  EXPECT_TRUE(OSYS::CreateDirectoryTree(deep.c_str()));
  EXPECT_TRUE(scratch.Exists("a\\b\\c"));
  EXPECT_TRUE(OSYS::CreateDirectoryTree((deep + "\\").c_str()));
  EXPECT_TRUE(OSYS::CreateDirectoryTree((scratch / "d/e").c_str()));
  EXPECT_TRUE(scratch.Exists("d\\e"));
  scratch.File("file");
  EXPECT_FALSE(OSYS::CreateDirectoryTree((scratch / "file\\sub").c_str()));
  EXPECT_FALSE(OSYS::CreateDirectoryTree(""));
}

TEST_F(FileTree, ListFilesPutsContentBeforeItsFolder) {
  scratch.File("a.txt");
  scratch.File("S\\b.txt");
  scratch.File("S\\T\\c.dat");
  scratch.Folder(".hidden");
  scratch.File(".hidden\\h.txt");
  scratch.File(".dotfile");

  STRINGARRAY list;
  EXPECT_EQ(6, OSYS::ListFiles(scratch.Dir().c_str(), "*.*", &list, 1));
  std::vector<std::string> items = Items(list);
  std::vector<std::string> expected = {scratch / ".dotfile", scratch / "a.txt", scratch / "S\\b.txt",
                                       scratch / "S\\T\\c.dat", scratch / "S\\T", scratch / "S"};
  std::vector<std::string> sortedItems = items, sortedExpected = expected;
  std::sort(sortedItems.begin(), sortedItems.end());
  std::sort(sortedExpected.begin(), sortedExpected.end());
  EXPECT_EQ(sortedExpected, sortedItems);
  EXPECT_LT(IndexOf(items, scratch / "S\\b.txt"), IndexOf(items, scratch / "S"));
  EXPECT_LT(IndexOf(items, scratch / "S\\T\\c.dat"), IndexOf(items, scratch / "S\\T"));
  EXPECT_LT(IndexOf(items, scratch / "S\\T"), IndexOf(items, scratch / "S"));

  STRINGARRAY flat;
  EXPECT_EQ(2, OSYS::ListFiles(scratch.Dir().c_str(), "*.*", &flat, 0));
  EXPECT_EQ(2, flat.Count());
  EXPECT_EQ(6, OSYS::ListFiles(scratch.Dir().c_str(), "*.*", nullptr, 1));
  EXPECT_EQ(0, OSYS::ListFiles((scratch / "missing").c_str(), "*.*", nullptr, 1));
}

TEST_F(FileTree, ListFilesTakesNamesOnDiskLiterally) {
  scratch.File("%USERNAME%.txt");
  scratch.File("~x");
  STRINGARRAY list;
  EXPECT_EQ(2, OSYS::ListFiles(scratch.Dir().c_str(), "*.*", &list, 1));
  std::vector<std::string> items = Items(list);
  std::sort(items.begin(), items.end());
  EXPECT_EQ((std::vector<std::string>{scratch / "%USERNAME%.txt", scratch / "~x"}), items);
}

TEST_F(FileTree, CopyTree) {
  scratch.File("src\\a.txt", "A");
  scratch.File("src\\S\\b.txt", "B");
  scratch.File("src\\S\\T\\c.txt", "C");
  scratch.Folder("src\\Empty");
  std::string source = scratch / "src", target = scratch / "dst\\deeper";

  EXPECT_EQ(1, OSYS::CopyTree(source.c_str(), target.c_str(), "*.*", 1, 1));
  EXPECT_EQ("A", ReadFileBytes(target + "\\a.txt"));
  EXPECT_EQ("B", ReadFileBytes(target + "\\S\\b.txt"));
  EXPECT_EQ("C", ReadFileBytes(target + "\\S\\T\\c.txt"));
  EXPECT_TRUE(std::filesystem::is_directory(target + "\\Empty"));

  // An existing file fails the copy with failIfExists, but the rest still arrives.
  WriteFileBytes(target + "\\a.txt", "kept");
  std::filesystem::remove(target + "\\S\\b.txt");
  EXPECT_EQ(0, OSYS::CopyTree(source.c_str(), target.c_str(), "*.*", 1, 1));
  EXPECT_EQ("kept", ReadFileBytes(target + "\\a.txt"));
  EXPECT_EQ("B", ReadFileBytes(target + "\\S\\b.txt"));
  EXPECT_EQ(1, OSYS::CopyTree(source.c_str(), target.c_str(), "*.*", 1, 0));
  EXPECT_EQ("A", ReadFileBytes(target + "\\a.txt"));

  std::string flat = scratch / "flat";
  EXPECT_EQ(1, OSYS::CopyTree(source.c_str(), flat.c_str(), "*.*", 0, 1));
  EXPECT_EQ("A", ReadFileBytes(flat + "\\a.txt"));
  EXPECT_FALSE(std::filesystem::exists(flat + "\\S"));
}

TEST_F(FileTree, DeleteTree) {
  scratch.File("t\\a.txt");
  scratch.File("t\\keep.dat");
  scratch.File("t\\S\\b.txt");
  scratch.File("t\\S\\T\\c.txt");
  std::string tree = scratch / "t";

  // Only the matching files go; the folders are not empty, so they stay.
  EXPECT_EQ(1, OSYS::DeleteTree(tree.c_str(), "*.txt", 0));
  EXPECT_FALSE(scratch.Exists("t\\a.txt"));
  EXPECT_TRUE(scratch.Exists("t\\keep.dat"));
  EXPECT_TRUE(scratch.Exists("t\\S\\b.txt"));

  EXPECT_EQ(3, OSYS::DeleteTree(tree.c_str(), "*.*", 1));
  EXPECT_FALSE(scratch.Exists("t"));
  EXPECT_TRUE(std::filesystem::is_empty(scratch.Dir()));
  EXPECT_EQ(1, OSYS::DeleteTree(tree.c_str(), "*.*", 1));
}

}  // namespace
