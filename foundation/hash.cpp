// HASH: lookups, the key=value file format, and its safe saving.
#include "foundation/hash.h"

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "foundation/zolan.h"
#include "platform/osys.h"

namespace {

typedef std::pair<STRING, STRING> ENTRY;

// Content of one file, parsed before it replaces a store.
struct PARSED {
  int handle = 0;
  bool hasKey = false;
  STRING key;
  std::vector<ENTRY> entries;
};

bool IsIgnored(const STRING& line) {
  const char* p = line.c_str();
  return line.IsEmpty() || (p[0] == '/' && p[1] == '/') || (p[0] == '#' && p[1] == ' ') ||
         (p[0] == '#' && line.Length() == 1);
}

// The value after the first "=": Base64 between "={{" and "}}", or the escaped form.
STRING DecodeValue(const STRING& raw) {
  STRING value;
  int n = raw.Length();
  if (n >= 5 && raw.c_str()[0] == '=' && raw.c_str()[1] == '{' && raw.c_str()[2] == '{' &&
      raw.c_str()[n - 2] == '}' && raw.c_str()[n - 1] == '}') {
    raw.Mid(3, n - 5).FromBase64(value);
    value.Flags |= STRINGFLAG_BASE64;
  } else {
    raw.Unescape(value, 0);
  }
  return value;
}

void ParseLine(const STRING& item, PARSED& out) {
  if (IsIgnored(item)) return;
  int eq = item.Pos("=");
  if (eq < 0) {
    ASSERT(item.Find("="), item.c_str());
    return;
  }
  STRING key = item.Left(eq);
  STRING value = DecodeValue(item.Mid(eq + 1));
  if (key == "#Handle") {
    out.handle = value.ToInt();
  } else if (key == "#Key") {
    out.key = value;
    out.hasKey = true;
  } else {
    out.entries.emplace_back(key, value);
  }
}

void Parse(const STRING& text, PARSED& out) {
  const char* p = text.c_str();
  int length = text.Length();
  int start = 0;
  for (int i = 0; i <= length; i++) {
    if (i < length && p[i] != '\n') continue;
    ParseLine(STRING(p + start, i - start), out);
    start = i + 1;
  }
  // Equal keys keep their file order (a stable sort: the neighbour exchange sort of the
  // format gives the same order), so a lookup finds the first occurrence.
  std::stable_sort(out.entries.begin(), out.entries.end(),
                   [](const ENTRY& a, const ENTRY& b) { return a.first < b.first; });
}

// The "#Key" line carries the key as it is; only a key that would not read back that way (a
// backslash or a control byte in it) is written in the escaped form that the reader decodes.
STRING KeyLineText(const STRING& key) {
  for (int i = 0; i < key.Length(); i++) {
    unsigned char c = static_cast<unsigned char>(key.c_str()[i]);
    if (c == '\\' || c < 32) {
      STRING escaped;
      key.Escape(escaped, "");
      return escaped;
    }
  }
  return key;
}

// Folder part of path including its last separator, so that a file in a drive's root gets
// its temporary file in that root and not in the drive's working folder; "." without one.
STRING FolderOf(const char* path) {
  STRING name(path);
  int cut = -1;
  for (int i = 0; i < name.Length(); i++)
    if (name.c_str()[i] == '\\' || name.c_str()[i] == '/' || name.c_str()[i] == ':') cut = i;
  return cut < 0 ? STRING(".") : name.Left(cut + 1);
}

// Writes text to a new file beside path and moves it over path; the old file stays as it was
// unless every byte reached the new one.
int ReplaceFileWith(const STRING& text, const char* path) {
  // A read-only file is not ours to replace, the same as when it is written in place.
  DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    Logit("HASH::Save %s is read-only\n", path);
    return 0;
  }
  char temp[MAX_PATH];
  STRING folder = FolderOf(path);
  if (!GetTempFileNameA(folder.c_str(), "hsh", 0, temp)) {
    Logit("HASH::Save GetTempFileNameA %s failed, error=%lu\n", folder.c_str(), GetLastError());
    return 0;
  }
  if (!text.Save(temp, "w")) {
    DeleteFileA(temp);
    return 0;
  }
  if (!MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    Logit("HASH::Save MoveFileExA %s failed, error=%lu\n", path, GetLastError());
    DeleteFileA(temp);
    return 0;
  }
  return 1;
}

}  // namespace

HASH::HASH() : Handle(0), LockTable(false) {
  Keys.SetTypeName("HASH-KEYS");
  Values.SetTypeName("HASH-VALUES");
}

HASH::HASH(const HASH& other) : HASH() { *this = other; }

HASH& HASH::operator=(const HASH& other) {
  if (this == &other) return *this;
  // The copy is taken under the other's lock, then installed under ours.
  other.Keys.Lock();
  STRINGARRAY keys(other.Keys), values(other.Values);
  int handle = other.Handle;
  bool lockTable = other.LockTable;
  STRING key = other.Key;
  other.Keys.Unlock();

  Keys.Lock();
  Keys = keys;
  Values = values;
  Handle = handle;
  LockTable = lockTable;
  Key = key;
  Keys.Unlock();
  return *this;
}

HASH::~HASH() {}

int HASH::Find(const STRING& key, bool& found) const {
  found = false;
  int i = 0;
  for (; i < Keys.ItemCount; i++) {
    const STRING& k = *Keys.ppItems[i];
    if (k == key) {
      found = true;
      break;
    }
    if (k > key) break;
  }
  return i;
}

STRING& HASH::operator[](const STRING& key) {
  Keys.Lock();
  bool found;
  int i = Find(key, found);
  if (!found) {
    if (LockTable) ASSERT(!this->LockTable, key.NotNull() ? key.c_str() : "<NULL>");
    Keys.Insert(i, key);
    Values.Insert(i, STRING());
  }
  STRING& value = Values.Get(i);
  Keys.Unlock();
  return value;
}

bool HASH::Exists(const STRING& key) const {
  Keys.Lock();
  bool found;
  Find(key, found);
  Keys.Unlock();
  return found;
}

int HASH::Delete(const STRING& key) {
  Keys.Lock();
  int deleted = 0;
  for (int i = 0; i < Keys.Count() && !deleted; i++) {
    if (Keys.Get(i) != key) continue;
    Keys.DeleteItem(i);
    Values.DeleteItem(i);
    deleted = 1;
  }
  Keys.Unlock();
  return deleted;
}

STRINGARRAY HASH::GetKeys() const {
  Keys.Lock();
  STRINGARRAY keys(Keys);
  Keys.Unlock();
  return keys;
}

void HASH::SetKey(const char* text) {
  Keys.Lock();
  Key = text;
  Keys.Unlock();
}

bool HASH::Load(const char* path) {
  Logit("HASH::Load %s\n", path ? path : "<NULL>");
  BINARY content;
  bool ok = content.Load(path, "r") != 0;
  if (ok) {
    PARSED parsed;
    Parse(content, parsed);
    Keys.Lock();
    Keys.Clear();
    Values.Clear();
    for (const ENTRY& e : parsed.entries) {
      Keys.Add(e.first);
      Values.Add(e.second);
    }
    Handle = parsed.handle;
    if (parsed.hasKey) Key = parsed.key;
    Keys.Unlock();
  }
  Logit("HASH::Load returns %d, %s\n", ok ? 1 : 0, OSYS::ErrorText(OSYS_LASTERROR).c_str());
  return ok;
}

STRING HASH::Text() const {
  STRING text;
  text.Make(0);
  if (Handle != 0) text.AppendFormat("#Handle=%d\n", Handle);
  if (Key.NotNull()) {
    text.Append("#Key=");
    text.Append(KeyLineText(Key));
    text.Append("\n");
  }
  for (int i = 0; i < Keys.Count(); i++) {
    const STRING& value = Values.Get(i);
    text.Append(Keys.Get(i));
    text.Append("=");
    // A null value (a key created by a lookup) is written as an empty one.
    if (value.NotNull()) {
      STRING written;
      if (value.Flags & STRINGFLAG_BASE64) {
        value.ToBase64(written, 0);
        text.Append("={{");
        text.Append(written);
        text.Append("}}");
      } else {
        value.Escape(written, "={}");
        text.Append(written);
      }
    }
    text.Append("\n");
  }
  return text;
}

int HASH::Save(const char* path) {
  Keys.Lock();
  STRING text = Text();
  Logit("HASH::Save %s\n", path ? path : "<NULL>");
  int rc = path ? ReplaceFileWith(text, path) : 0;
  Logit("HASH::Save returns %d\n", rc);
  Keys.Unlock();
  return rc;
}
