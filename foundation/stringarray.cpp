// STRINGARRAY: splitting, ordering and line-by-line loading of texts.
#include "foundation/stringarray.h"

#include <cstdio>
#include <cstring>
#include <share.h>
#include <sys/stat.h>

#include "foundation/zolan.h"
#include "platform/osys.h"

namespace {

const int kInitialSlots = 64;
const int kGrowBy = 64;
// One read fills at most this much of the 32 KB line buffer.
const int kReadSize = 32766;

// Reads the lines of an open file into lines; false on a read error.
bool ReadLines(FILE* file, STRINGARRAY& lines) {
  char buffer[kReadSize + 2];
  STRING line;
  line.Make(0);
  size_t got;
  while ((got = fread(buffer, 1, kReadSize, file)) > 0) {
    size_t start = 0;
    for (size_t i = 0; i < got; i++) {
      if (buffer[i] != '\n') continue;
      line.AppendBytes(buffer + start, static_cast<int>(i - start));
      lines.Add(line);
      line.Make(0);
      start = i + 1;
    }
    line.AppendBytes(buffer + start, static_cast<int>(got - start));
  }
  if (ferror(file)) return false;
  if (line.NotEmpty()) lines.Add(line);
  return true;
}

}  // namespace

STRINGARRAY::STRINGARRAY() : DYNARRAY<STRING>(kInitialSlots, kGrowBy) { SetTypeName("STRINGARRAY"); }

STRINGARRAY::STRINGARRAY(const STRING& source, const char* separators) : STRINGARRAY() {
  if (!source.NotNull()) {
    ASSERT(source.NotNull(), "");
    return;
  }
  const char* text = source.c_str();
  const char* set = separators ? separators : "";
  const char* segment = text;
  for (const char* p = text; *p; p++) {
    if (!strchr(set, *p)) continue;
    Add(STRING(segment, static_cast<int>(p - segment)));
    segment = p + 1;
  }
  Add(STRING(segment, static_cast<int>(strlen(segment))));
}

int STRINGARRAY::Compare(const STRING& a, const STRING& b, int flags) const {
  if (flags & STRINGARRAY_NUMERIC) {
    int x = a.ToInt(), y = b.ToInt();
    return x < y ? -1 : (x > y ? 1 : 0);
  }
  if (flags & STRINGARRAY_NOCASE) return a < b ? -1 : (a > b ? 1 : 0);
  const char* pa = a.NotNull() ? a.c_str() : "<NULL>";
  const char* pb = b.NotNull() ? b.c_str() : "<NULL>";
  int la = a.NotNull() ? a.Length() : 6, lb = b.NotNull() ? b.Length() : 6;
  int rc = memcmp(pa, pb, la < lb ? la : lb);
  if (rc) return rc;
  return la < lb ? -1 : (la > lb ? 1 : 0);
}

int STRINGARRAY::Load(const char* path, int unescape) {
  const char* name = path ? path : "<NULL>";
  struct _stati64 info;
  long long size = _stati64(name, &info) == 0 ? info.st_size : -1;
  Logit("STRINGARRAY::Load %s (%d bytes)\n", name, static_cast<int>(size));
  int count = 0;
  FILE* file = _fsopen(name, "r", _SH_DENYWR);
  if (file) {
    STRINGARRAY lines;
    // A file that cannot be read to its end adds nothing rather than a part of its lines.
    if (ReadLines(file, lines)) {
      GUARD hold(*this);
      for (int i = 0; i < lines.Count(); i++) {
        STRING line;
        if (unescape)
          lines.Get(i).Unescape(line, 0);
        else
          line = lines.Get(i);
        Insert(count++, line);
      }
    }
    fclose(file);
  }
  Logit("STRINGARRAY::Load returns %d, %s\n", count, OSYS::ErrorText(OSYS_LASTERROR).c_str());
  return count;
}
