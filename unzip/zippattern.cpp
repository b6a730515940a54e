#include "unzip/zippattern.h"

#include <cctype>

namespace {

bool SameChar(unsigned char a, unsigned char b, bool ignoreCase) {
  return a == b || (ignoreCase && tolower(a) == tolower(b));
}

bool InRange(unsigned char c, unsigned char low, unsigned char high, bool ignoreCase) {
  if (c >= low && c <= high) return true;
  if (!ignoreCase) return false;
  unsigned char l = static_cast<unsigned char>(tolower(c)), u = static_cast<unsigned char>(toupper(c));
  return (l >= low && l <= high) || (u >= low && u <= high);
}

// Takes one set element ("\" escapes the next character); advances *p.
unsigned char SetChar(const char** p) {
  if (**p == '\\' && (*p)[1]) (*p)++;
  return static_cast<unsigned char>(*(*p)++);
}

// Matches c against the set that starts at *p (just behind "["); moves *p behind "]".
// False for an unclosed set.
bool MatchSet(const char** p, unsigned char c, bool ignoreCase) {
  const char* q = *p;
  bool negate = *q == '!' || *q == '^';
  if (negate) q++;
  bool found = false;
  while (*q && *q != ']') {
    unsigned char low = SetChar(&q), high = low;
    if (*q == '-' && q[1] && q[1] != ']') {
      q++;
      high = SetChar(&q);
    }
    if (InRange(c, low, high, ignoreCase)) found = true;
  }
  if (!*q) return false;
  *p = q + 1;
  return found != negate;
}

// Matches one pattern element at *p against c; on success moves *p behind the element.
bool MatchOne(const char** p, unsigned char c, bool ignoreCase) {
  const char* q = *p;
  bool ok;
  if (*q == '?') {
    ok = true;
    q++;
  } else if (*q == '[') {
    q++;
    ok = MatchSet(&q, c, ignoreCase);
  } else {
    if (*q == '\\' && q[1]) q++;
    ok = SameChar(static_cast<unsigned char>(*q), c, ignoreCase);
    q++;
  }
  if (ok) *p = q;
  return ok;
}

}  // namespace

bool ZipMatch(const char* pattern, const char* name, bool ignoreCase) {
  const char* p = pattern;
  const char* n = name;
  const char* starPattern = nullptr;
  const char* starName = nullptr;
  // Backtracking only to the last star keeps the cost at length times length.
  while (*n) {
    if (*p == '*') {
      while (*p == '*') p++;
      if (!*p) return true;
      starPattern = p;
      starName = n;
      continue;
    }
    if (*p && MatchOne(&p, static_cast<unsigned char>(*n), ignoreCase)) {
      n++;
      continue;
    }
    if (!starPattern) return false;
    p = starPattern;
    n = ++starName;
  }
  while (*p == '*') p++;
  return !*p;
}
