// Name mapping of the extractor: turns a member name into the path it is written to below
// the destination folder, creating the member's folders on the way.
//
// Two forms of the path grow side by side: the long form, and the short form that is
// written to, which takes 8.3 components once the long form stops being a valid name.
// Names that would leave the destination folder (a ".." component, a leading "/", a drive
// letter, or a separator smuggled in through the 0x16 escape) are refused.
#ifndef ZOLAN_ZIPMAPNAME_H
#define ZOLAN_ZIPMAPNAME_H

#include "unzip/ziphost.h"

// Paths of the extractor hold at most MAX_PATH - 1 characters.
#define ZIP_PATHSIZE 260

enum ZIPMAPRESULT {
  ZIPMAP_FILE,    // path holds the file to write
  ZIPMAP_FOLDER,  // the member is a folder; it exists now
  ZIPMAP_FAILED   // nothing may be written for the member
};

// destination: "" (the current folder), a drive ("C:" or "C:/") or a folder without a
// trailing "/". path receives ZIP_PATHSIZE bytes at most.
ZIPMAPRESULT ZipMapName(ZIPHOST& host, const char* destination, const char* name, char* path);

// The 8.3 form of one path component (out: at least 13 bytes); empty for ".".
void ZipShortComponent(const char* component, char* out);

#endif
