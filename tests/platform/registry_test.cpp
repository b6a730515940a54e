#include "platform/registry.h"

#include <gtest/gtest.h>

#include <string>

#include "platformtest.h"

namespace {

const char* const kBase = "Software\\ZolanTest";
const char* const kKey = "Software\\ZolanTest\\Keys";

class Registry : public ::testing::Test {
protected:
  void SetUp() override {
    DeleteKeyTree(HKEY_CURRENT_USER, kBase);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kBase);
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Dunmo\\Mailbarrow ZTest");
  }
};

TEST(RegistryPath, JoinsBaseAndSubWithTheCompanyKeyRule) {
  struct CASE {
    const char* base;
    const char* sub;
    const char* path;
  } cases[] = {
      {"Software\\Zolan\\", "Mailbarrow 2", "Software\\Dunmo\\Mailbarrow 2"},
      {"SOFTWARE\\zolan", "mailBARROWx", "Software\\Dunmo\\mailBARROWx"},
      {"Software\\Zolan\\", "Mailbarro", "Software\\Zolan\\Mailbarro"},
      {"Software\\Zolan\\Sub", "Mailbarrow", "Software\\Zolan\\Sub\\Mailbarrow"},
      {"Software\\Zolan\\", "\\Demo\\", "Software\\Zolan\\Demo"},
      {"Software\\Zolan", "\\\\A\\B\\\\", "Software\\Zolan\\A\\B"},
      {"Software\\Zolan\\", nullptr, "Software\\Zolan"},
      {"Software\\Zolan\\", "", "Software\\Zolan"},
  };
  for (const CASE& c : cases)
    EXPECT_EQ(c.path, Text(RegistryKeyPath(c.base, c.sub))) << c.base << " + " << (c.sub ? c.sub : "(null)");
}

TEST_F(Registry, ApplicationKeyLandsWhereTheRuleSays) {
  struct CASE {
    const char* app;
    const char* base;
    HKEY hive;
    HKEY expectRoot;
    const char* expectPath;
  } cases[] = {
      {"Mailbarrow ZTest", "Software\\Zolan\\", REGHIVE_CURRENTUSER, HKEY_CURRENT_USER,
       "Software\\Dunmo\\Mailbarrow ZTest"},
      {"App", "Software\\ZolanTest\\", REGHIVE_LOCALMACHINE, HKEY_LOCAL_MACHINE, "Software\\ZolanTest\\App"},
      {"App", "Software\\ZolanTest", REGHIVE_CURRENTUSER, HKEY_CURRENT_USER, "Software\\ZolanTest\\App"},
  };
  for (const CASE& c : cases) {
    {
      REGISTRY key(c.app, c.base, c.hive);
      ASSERT_TRUE(key.IsOpen()) << c.expectPath;
      EXPECT_EQ(c.expectPath, Text(key.Path()));
      EXPECT_EQ(1, key.Write("v", "data"));
    }
    REGVALUE v = ReadValue(c.expectRoot, c.expectPath, "v");
    EXPECT_TRUE(v.found) << c.expectPath;
    EXPECT_EQ("data", v.data.substr(0, 4));
  }
}

TEST_F(Registry, ApplicationKeyBelowAnOpenKey) {
  REGISTRY parent(HKEY_CURRENT_USER, kBase, nullptr, REGMODE_CREATE);
  ASSERT_TRUE(parent.IsOpen());
  {
    REGISTRY key("Child", "Inner", parent.Key());
    EXPECT_TRUE(key.IsOpen());
  }
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\ZolanTest\\Inner\\Child"));
}

TEST_F(Registry, ApplicationKeyRefusesPlaceholdersAndRecordsFailures) {
  ASSERTRECORDER asserts;
  {
    REGISTRY key("<self>", "Software\\ZolanTest\\", REGHIVE_CURRENTUSER);
    EXPECT_FALSE(key.IsOpen());
  }
  EXPECT_EQ("app[0]!='<'", asserts.Take());
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\ZolanTest\\<self>"));

  // A hive that is no open key: nothing opens, only a record is left.
  HKEY stale = (HKEY)(UINT_PTR)0x7654320;
  REGISTRY key("App", "Base", stale);
  EXPECT_FALSE(key.IsOpen());
  EXPECT_EQ("this->hkApp!=NULL", asserts.Take());
  EXPECT_EQ("App/Base/" + std::to_string((unsigned long)0x7654320), asserts.LastInfo());
}

TEST_F(Registry, OpenModes) {
  ASSERTRECORDER asserts;
  EXPECT_FALSE(REGISTRY(HKEY_CURRENT_USER, kBase, "Keys", REGMODE_READ).IsOpen());
  EXPECT_FALSE(REGISTRY(HKEY_CURRENT_USER, kBase, "Keys", REGMODE_WRITE).IsOpen());
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kKey));
  EXPECT_TRUE(REGISTRY(HKEY_CURRENT_USER, kBase, "Keys", REGMODE_CREATE).IsOpen());
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kKey));

  REGISTRY writer(HKEY_CURRENT_USER, kBase, "Keys", REGMODE_WRITE);
  ASSERT_TRUE(writer.IsOpen());
  EXPECT_EQ(1, writer.Write("w", "1"));
  REGISTRY reader(HKEY_CURRENT_USER, kBase, "Keys", REGMODE_READ);
  ASSERT_TRUE(reader.IsOpen());
  EXPECT_EQ(0, reader.Write("r", "1"));
  EXPECT_EQ("1", Text(reader.Read("w")));
  EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kKey, "r").found);
  EXPECT_EQ("", asserts.Take());

  REGISTRY bad(HKEY_CURRENT_USER, kBase, "Keys", 259);
  EXPECT_FALSE(bad.IsOpen());
  EXPECT_EQ("FALSE", asserts.Take());
}

TEST_F(Registry, ClassesRootIsTheMachineClassesKey) {
  DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Classes\\.zolantest");
  {
    REGISTRY key(HKEY_CLASSES_ROOT, ".zolantest", nullptr, REGMODE_CREATE);
    ASSERT_TRUE(key.IsOpen());
    EXPECT_EQ(1, key.Write(nullptr, "ZolanTest.File"));
  }
  EXPECT_EQ("ZolanTest.File", TextData(ReadValue(HKEY_LOCAL_MACHINE, "Software\\Classes\\.zolantest", nullptr)));
  DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Classes\\.zolantest");
}

TEST_F(Registry, WritesStoreTheExactBytes) {
  REGISTRY key(HKEY_CURRENT_USER, kKey, nullptr, REGMODE_CREATE);
  EXPECT_EQ(1, key.Write("text", "abc"));
  EXPECT_EQ(1, key.Write("empty", ""));
  EXPECT_EQ(1, key.Write("bin", "a\0b\0", 4));
  EXPECT_EQ(1, key.Write("nobytes", "", 0));
  struct CASE {
    const char* name;
    DWORD type;
    std::string data;
  } cases[] = {
      {"text", REG_SZ, "abc"},
      {"empty", REG_SZ, ""},
      {"bin", REG_BINARY, std::string("a\0b\0", 4)},
      {"nobytes", REG_BINARY, ""},
  };
  for (const CASE& c : cases) {
    REGVALUE v = ReadValue(HKEY_CURRENT_USER, kKey, c.name);
    EXPECT_TRUE(v.found) << c.name;
    EXPECT_EQ(c.type, v.type) << c.name;
    EXPECT_EQ(c.data, c.type == REG_SZ ? TextData(v) : v.data) << c.name;
  }
  EXPECT_EQ(0, key.Write("null", (const char*)nullptr));
  EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kKey, "null").found);
}

TEST_F(Registry, ReadAsStringTrimsTextTerminatorsOnly) {
  WriteValue(HKEY_CURRENT_USER, kKey, "abc", REG_SZ, std::string("abc\0", 4));
  WriteValue(HKEY_CURRENT_USER, kKey, "twozeros", REG_SZ, std::string("abc\0\0", 5));
  WriteValue(HKEY_CURRENT_USER, kKey, "empty", REG_SZ, std::string("\0", 1));
  WriteValue(HKEY_CURRENT_USER, kKey, "bin", REG_BINARY, std::string("ab\0\0", 4));
  WriteValue(HKEY_CURRENT_USER, kKey, "max", REG_BINARY, std::string(8192, 'm'));
  WriteValue(HKEY_CURRENT_USER, kKey, "toolong", REG_BINARY, std::string(8193, 't'));
  REGISTRY key(HKEY_CURRENT_USER, kKey, nullptr, REGMODE_READ);
  struct CASE {
    const char* name;
    std::string value;
  } cases[] = {
      {"abc", "abc"},
      {"twozeros", "abc"},
      {"empty", std::string("\0", 1)},
      {"bin", std::string("ab\0\0", 4)},
      {"max", std::string(8192, 'm')},
      {"toolong", "(null)"},
      {"missing", "(null)"},
  };
  for (const CASE& c : cases) EXPECT_EQ(c.value, Text(key.Read(c.name))) << c.name;
}

TEST_F(Registry, ReadIntoBufferTerminatesOnlyWhenThereIsRoom) {
  WriteValue(HKEY_CURRENT_USER, kKey, "bin", REG_BINARY, "12345");
  REGISTRY key(HKEY_CURRENT_USER, kKey, nullptr, REGMODE_READ);
  struct CASE {
    int size;
    int ok;
    int sizeAfter;
    std::string buffer;  // the first 7 bytes afterwards, filled with '#' before
  } cases[] = {
      {7, 1, 5, std::string("12345\0#", 7)},
      {5, 1, 5, "12345##"},
      {4, 0, 4, "#######"},
  };
  for (const CASE& c : cases) {
    char buffer[8] = "#######";
    int size = c.size;
    EXPECT_EQ(c.ok, key.Read("bin", buffer, &size)) << c.size;
    EXPECT_EQ(c.sizeAfter, size) << c.size;
    EXPECT_EQ(c.buffer, std::string(buffer, 7)) << c.size;
  }
  int size = 8;
  char buffer[8];
  EXPECT_EQ(0, key.Read("missing", buffer, &size));
  EXPECT_EQ(8, size);
}

TEST_F(Registry, DeleteValueAndKeys) {
  REGISTRY key(HKEY_CURRENT_USER, kKey, nullptr, REGMODE_CREATE);
  key.Write("v", "1");
  EXPECT_EQ(1, key.DeleteValue("v"));
  EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, kKey, "v").found);
  EXPECT_EQ(0, key.DeleteValue("v"));

  WriteValue(HKEY_CURRENT_USER, "Software\\ZolanTest\\Keys\\Full\\Deep", "x", REG_SZ, "1");
  WriteValue(HKEY_CURRENT_USER, "Software\\ZolanTest\\Keys\\Empty", "", REG_SZ, "");
  RegDeleteValueA(HKEY_CURRENT_USER, "Software\\ZolanTest\\Keys\\Empty");

  EXPECT_EQ(0, key.DeleteKey("Full", 0));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\ZolanTest\\Keys\\Full\\Deep"));
  EXPECT_EQ(1, key.DeleteKey("Full", 1));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\ZolanTest\\Keys\\Full"));
  EXPECT_EQ(1, key.DeleteKey("Empty", 0));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\ZolanTest\\Keys\\Empty"));
  EXPECT_EQ(0, key.DeleteKey("Missing", 1));

  // Without a subkey name nothing is deleted, least of all the key itself.
  EXPECT_EQ(0, key.DeleteKey("", 1));
  EXPECT_EQ(0, key.DeleteKey(nullptr, 0));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kKey));
}

TEST_F(Registry, ValueNames) {
  REGISTRY key(HKEY_CURRENT_USER, kKey, nullptr, REGMODE_CREATE);
  STRING list("old");
  EXPECT_EQ(0, key.ValueList(list));
  EXPECT_EQ("", Text(list));
  key.Write("beta", "2");
  key.Write("Alpha", "1");
  key.Write("gamma", "3", 1);
  EXPECT_EQ(3, key.ValueList(list));
  // Wine hands value names back sorted.
  EXPECT_EQ("Alpha|beta|gamma", Text(list));
  STRINGARRAY names = key.EnumValues();
  ASSERT_EQ(3, names.Count());
  EXPECT_EQ("gamma", Text(names.Get(2)));

  // A name longer than the name buffer ends the enumeration.
  key.Write(std::string(600, 'z').c_str(), "long");
  EXPECT_EQ(3, key.ValueList(list));
}

TEST_F(Registry, ClosedKeyFailsEveryOperation) {
  REGISTRY key(HKEY_CURRENT_USER, kKey, nullptr, REGMODE_CREATE);
  key.Write("v", "1");
  key.Close();
  EXPECT_FALSE(key.IsOpen());
  key.Close();
  char buffer[8];
  int size = sizeof buffer;
  STRING list;
  EXPECT_EQ(0, key.Write("w", "1"));
  EXPECT_EQ(0, key.Write("w", "1", 1));
  EXPECT_EQ(0, key.Read("v", buffer, &size));
  EXPECT_EQ("(null)", Text(key.Read("v")));
  EXPECT_EQ(0, key.DeleteValue("v"));
  EXPECT_EQ(0, key.DeleteKey("x", 1));
  EXPECT_EQ(0, key.ValueList(list));
  EXPECT_EQ(0, key.EnumValues().Count());
  EXPECT_EQ("1", ReadValue(HKEY_CURRENT_USER, kKey, "v").data.substr(0, 1));
}

}  // namespace
