// REGISTRY: one open registry key, with the maker's rule for where application settings live.
//
// The constructors open the key; when that fails the object simply has no key and every
// operation returns 0 (or an empty result). The object owns the key handle it opened and
// closes it on Close or destruction; it never closes the root it was given.
#ifndef ZOLAN_REGISTRY_H
#define ZOLAN_REGISTRY_H

#include <windows.h>

#include "foundation/stringarray.h"
#include "foundation/strings.h"

// Open modes of the key constructor.
#define REGMODE_READ    0x100  // existing key, for reading
#define REGMODE_WRITE   0x101  // existing key, for writing
#define REGMODE_CREATE  0x102  // open, or create when missing

// Hives of the application-key constructor; any other value is an open key used as root.
#define REGHIVE_LOCALMACHINE ((HKEY)(UINT_PTR)0)
#define REGHIVE_CURRENTUSER  ((HKEY)(UINT_PTR)1)

// Value names of a key are read with a buffer of this size; Read(name) takes values up to
// REGISTRY_MAXVALUE bytes.
#define REGISTRY_MAXNAME  512
#define REGISTRY_MAXVALUE 8192

class REGISTRY {
public:
  // Opens base\sub below root in one of the REGMODE_* modes; sub may be null.
  REGISTRY(HKEY root, const char* base, const char* sub, int mode);
  // The application key base\app below the hive, created when missing. An app that starts
  // with "<" (an unexpanded placeholder) is refused.
  REGISTRY(const char* app, const char* base, HKEY hive);
  ~REGISTRY();
  REGISTRY(const REGISTRY&) = delete;
  REGISTRY& operator=(const REGISTRY&) = delete;

  bool IsOpen() const { return hkApp != nullptr; }
  HKEY Key() const { return hkApp; }
  HKEY Root() const { return hkRoot; }
  const STRING& Path() const { return KeyPath; }

  void Close();

  // REG_SZ of strlen(text) bytes, without the terminating zero; 1 on success.
  int Write(const char* name, const char* text);
  // REG_BINARY of length bytes; 1 on success.
  int Write(const char* name, const void* data, int length);
  // Reads into the caller's buffer of *size bytes; on success *size is the value's length and
  // a zero byte follows when there is room. On failure buffer and *size are unchanged.
  int Read(const char* name, void* buffer, int* size);
  // The value, null when absent or longer than REGISTRY_MAXVALUE bytes; REG_SZ values lose
  // their trailing zero bytes, except that one byte always stays.
  STRING Read(const char* name);

  int DeleteValue(const char* name);
  // Deletes a subkey of this key: with recursive the whole tree, otherwise only an empty key.
  int DeleteKey(const char* sub, int recursive);

  // Names of all values of the key.
  STRINGARRAY EnumValues();
  // The value names joined with "|"; returns their number.
  int ValueList(STRING& out);

private:
  void Open(HKEY root, const char* base, const char* sub, int mode);

  HKEY hkApp;    // owned
  HKEY hkRoot;   // not owned: the hive or parent the key was opened under
  STRING KeyPath;
};

// The registry path base\sub as the key constructor opens it (company-key rule included).
STRING RegistryKeyPath(const char* base, const char* sub);

#endif
