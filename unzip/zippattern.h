// Wildcard patterns of the extractor: "*" (any sequence, "/" included), "?" (one
// character), "[set]" with "!" or "^" negation, ranges and "\" escapes (an unclosed set
// matches nothing), and "\" for a literal character. The whole name must be consumed.
#ifndef ZOLAN_ZIPPATTERN_H
#define ZOLAN_ZIPPATTERN_H

bool ZipMatch(const char* pattern, const char* name, bool ignoreCase);

#endif
