// STRINGARRAY: the array of texts, split from a text or read from a file line by line.
#ifndef ZOLAN_STRINGARRAY_H
#define ZOLAN_STRINGARRAY_H

#include "foundation/dynarray.h"
#include "foundation/strings.h"

// Compare flags: decimal values instead of texts, and texts without regard to case.
#define STRINGARRAY_NUMERIC 0x1
#define STRINGARRAY_NOCASE  0x10

class STRINGARRAY : public DYNARRAY<STRING> {
public:
  STRINGARRAY();
  // Every byte of the separator set ends a segment; the part after the last one is an item
  // too, even when empty. The source must not be a null string (assertion, empty array).
  STRINGARRAY(const STRING& source, const char* separators);

  // Negative, 0 or positive; flags STRINGARRAY_NUMERIC and STRINGARRAY_NOCASE.
  int Compare(const STRING& a, const STRING& b, int flags) const override;

  // Inserts the lines of a text file (CR LF read as a line feed) before the items already
  // held, decoded with STRING::Unescape when unescape is non-zero; returns the number of
  // lines read, 0 when the file does not open.
  int Load(const char* path, int unescape);
};

#endif
