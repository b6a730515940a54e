// HASH: the sorted key=value store behind setup.cfg, order.cfg and the other settings files.
//
// Keys are kept sorted without regard to case; a lookup finds the first of equal keys, so the
// first occurrence in a file wins. A lookup of an absent key creates it with a null value, so
// callers tell "absent" (null) from "present but empty" (empty). A value whose Flags carry
// STRINGFLAG_BASE64 is binary and is written as Base64 text.
//
// File format, one entry per line: key=value, the value in the escaped form of
// STRING::Escape with "={}" as extra characters, or key=={{Base64}} for a binary value.
// Ignored: empty lines, lines starting with "//" or "# ", and the line "#". The lines
// "#Handle=n" and "#Key=text" set Handle and Key.
#ifndef ZOLAN_HASH_H
#define ZOLAN_HASH_H

#include "foundation/stringarray.h"
#include "foundation/strings.h"

class HASH {
public:
  HASH();
  HASH(const HASH& other);
  HASH& operator=(const HASH& other);
  virtual ~HASH();

  // Replaces the whole content by the file's; false (store unchanged) when it cannot be read.
  // A line without "=" raises the assertion and is skipped.
  bool Load(const char* path);
  // Writes the content; the old file is replaced only once the new text is completely on disk,
  // so a failed save leaves it as it was. 1 on success, else 0.
  int Save(const char* path);

  // The value of key, created (null) at its sorted place when absent.
  STRING& operator[](const STRING& key);
  STRING& operator[](const char* key) { return (*this)[STRING(key)]; }
  bool Exists(const STRING& key) const;
  // Removes the first entry whose key equals key; 1, or 0 when there is none.
  int Delete(const STRING& key);
  STRINGARRAY GetKeys() const;
  void SetKey(const char* text);

  int Handle;
  STRINGARRAY Keys;    // sorted ascending without regard to case
  STRINGARRAY Values;  // value of key i in slot i
  bool LockTable;      // a lookup must not create a key
  STRING Key;

private:
  // Slot of the first key that is equal (found set) or greater; Count() when none.
  int Find(const STRING& key, bool& found) const;
  STRING Text() const;
};

#endif
