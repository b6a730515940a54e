#include "unzip/zipmapname.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

const size_t kMaxPath = ZIP_PATHSIZE - 1;
const size_t kBuildSize = 3 * ZIP_PATHSIZE;  // destination and name are cut to 260 each
const size_t kComponentSize = ZIP_PATHSIZE + 1;

struct MAPPATH {
  char Long[kBuildSize];
  char Short[kBuildSize];
  size_t LongLength;
  size_t ShortLength;
  bool LongValid;
};

void Say(ZIPHOST& host, const char* format, const char* a, const char* b = "") {
  char text[1024];
  snprintf(text, sizeof text, format, a, b);
  host.Diagnostic(text);
}

ZIPMAPRESULT Refuse(ZIPHOST& host, const char* name) {
  Say(host, "mapname:  %s would leave the destination folder; not extracted\n", name);
  return ZIPMAP_FAILED;
}

// Windows drops trailing dots and blanks from a component, so "..", ".. " and "..." all
// climb out of the folder they are in.
bool Climbs(const char* c) { return *c && strspn(c, ". ") == strlen(c) && strcmp(c, ".") != 0; }

bool ComponentValid(const char* c) {
  for (const char* s = c; *s; s++)
    if (static_cast<unsigned char>(*s) < 0x20 || strchr("<>\"|?*", *s)) return false;
  return strlen(c) <= 255;
}

// No separator at the start of a relative path, or behind a drive or a root.
size_t SeparatorLength(const char* path, size_t length) {
  return length == 0 || path[length - 1] == '/' || path[length - 1] == ':' ? 0 : 1;
}

void Append(char* path, size_t* length, const char* component) {
  size_t n = strlen(component);
  if (*length + 1 + n >= kBuildSize) return;  // cannot happen for cut names; stays bounded
  if (SeparatorLength(path, *length)) path[(*length)++] = '/';
  memcpy(path + *length, component, n + 1);
  *length += n;
}

// Adds a component to both forms; the short form takes the 8.3 form once the long one is
// no longer a valid name.
void Join(MAPPATH& mp, const char* component) {
  Append(mp.Long, &mp.LongLength, component);
  mp.LongValid = mp.LongValid && ComponentValid(component) && mp.LongLength <= kMaxPath;
  char shortForm[16];
  if (!mp.LongValid) ZipShortComponent(component, shortForm);
  const char* use = mp.LongValid ? component : shortForm;
  if (*use) Append(mp.Short, &mp.ShortLength, use);
}

ZIPMAPRESULT Folder(ZIPHOST& host, MAPPATH& mp, const char* component, const char* name) {
  if (!*component || strcmp(component, ".") == 0) return ZIPMAP_FILE;
  if (Climbs(component)) return Refuse(host, name);
  Join(mp, component);
  if (mp.ShortLength >= kMaxPath) {
    Say(host, "checkdir error:  path too long: %s\n", mp.Short);
    return ZIPMAP_FAILED;
  }
  ZIPPATHKIND kind = host.Kind(mp.Short);
  if (kind == ZIPPATH_FILE) {
    Say(host, "checkdir error:  %s exists but is not directory\n                 unable to process %s.\n",
        mp.Short, name);
    return ZIPMAP_FAILED;
  }
  if (kind == ZIPPATH_MISSING && !host.MakeFolder(mp.Short)) {
    Say(host, "checkdir error:  can't create %s\n                 unable to process %s.\n", mp.Short, name);
    return ZIPMAP_FAILED;
  }
  return ZIPMAP_FILE;
}

ZIPMAPRESULT Final(ZIPHOST& host, MAPPATH& mp, const char* component, char* path) {
  size_t separator = SeparatorLength(mp.Short, mp.ShortLength);
  size_t length = strlen(component);
  bool valid = mp.LongValid && ComponentValid(component) &&
               mp.LongLength + SeparatorLength(mp.Long, mp.LongLength) + length <= kMaxPath;
  char shortForm[16];
  if (!valid) ZipShortComponent(component, shortForm);
  const char* use = valid ? component : shortForm;
  if (mp.ShortLength + separator >= kMaxPath) {
    Say(host, "checkdir error:  path too long: %s\n", mp.Short);
    return ZIPMAP_FAILED;
  }
  memcpy(path, mp.Short, mp.ShortLength);
  if (separator) path[mp.ShortLength] = '/';
  size_t at = mp.ShortLength + separator, room = kMaxPath - at, take = strlen(use);
  if (take > room) take = room;
  memcpy(path + at, use, take);
  path[at + take] = 0;
  if (take < strlen(use)) {
    char full[kBuildSize];
    snprintf(full, sizeof full, "%s%s%s", mp.Short, separator ? "/" : "", use);
    Say(host, "checkdir warning:  path too long; truncating\n                   %s\n                -> %s\n",
        full, path);
  }
  return ZIPMAP_FILE;
}

bool OnlyDigits(const char* s) {
  while (isdigit(static_cast<unsigned char>(*s))) s++;
  return *s == 0;
}

bool Kept(unsigned char c) { return (c >= 0x20 && c < 0x7F) || (c >= 0x80 && c <= 0xFE); }

}  // namespace

ZIPMAPRESULT ZipMapName(ZIPHOST& host, const char* destination, const char* name, char* path) {
  if (name[0] == '/' || (isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':'))
    return Refuse(host, name);
  MAPPATH mp;
  mp.LongLength = mp.ShortLength = strlen(destination);
  if (mp.LongLength > kMaxPath) return ZIPMAP_FAILED;
  memcpy(mp.Long, destination, mp.LongLength + 1);
  memcpy(mp.Short, destination, mp.LongLength + 1);
  mp.LongValid = true;
  const bool fat = strchr(name, ' ') && host.IsFatVolume(name);
  char component[kComponentSize];
  size_t n = 0;
  for (const char* s = name; *s; s++) {
    unsigned char c = static_cast<unsigned char>(*s);
    if (c == 0x16) {
      if (!s[1]) break;
      c = static_cast<unsigned char>(*++s);
      if (c == '/' || c == '\\' || c == ':') return Refuse(host, name);
    } else if (c == '/') {
      component[n] = 0;
      n = 0;
      if (Folder(host, mp, component, name) == ZIPMAP_FAILED) return ZIPMAP_FAILED;
      continue;
    } else if (c == ';' && OnlyDigits(s + 1)) {
      break;
    } else if (c == ':' || (c == ' ' && fat)) {
      c = '_';
    } else if (!Kept(c)) {
      continue;
    }
    if (n < kComponentSize - 1) component[n++] = static_cast<char>(c);
  }
  component[n] = 0;
  if (n == 0 && name[0] && name[strlen(name) - 1] == '/') return ZIPMAP_FOLDER;
  if (Climbs(component) || strcmp(component, ".") == 0) return Refuse(host, name);
  if (n == 0) {
    Say(host, "mapname:  conversion of %s failed\n", name);
    return ZIPMAP_FAILED;
  }
  return Final(host, mp, component, path);
}

void ZipShortComponent(const char* component, char* out) {
  char work[kComponentSize + 1];
  size_t n = 0;
  if (strcmp(component, ".") == 0 || strcmp(component, "..") == 0) {
    strcpy(out, component[1] ? ".." : "");
    return;
  }
  if (component[0] == '.') work[n++] = '_';
  for (const char* s = component; *s && n < kComponentSize; s++)
    work[n++] = (*s == '[' || *s == ']') ? '_' : *s;
  work[n] = 0;
  char* lastDot = strrchr(work, '.');
  for (char* s = work; *s; s++)
    if (*s == '.' && s != lastDot) *s = '_';
  if (lastDot) {
    *lastDot = 0;
    snprintf(out, 13, "%.8s.%.3s", work, lastDot + 1);
    return;
  }
  char* underscore = strrchr(work, '_');
  size_t length = strlen(work);
  if (length > 8 && underscore) {
    size_t before = underscore - work, after = length - before - 1;
    if ((before < 8 ? before : 8) + (after < 3 ? after : 3) > 8) {
      *underscore = 0;
      snprintf(out, 13, "%.8s.%.3s", work, underscore + 1);
      return;
    }
  }
  snprintf(out, 13, "%.8s", work);
}
