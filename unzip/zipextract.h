// The extractor: a reader of ZIP archives as far as version 2.0 of the format goes, driven
// through an argument vector shaped like a command line and answering with a result code
// (the highest one met during the run):
//
//   0 success            1 warning              2 error, processing went on
//   3 severe error       4 no working buffers   5 a decompressor ran out of memory
//   9 archive not found  10 invalid arguments   11 archive spans several disks
//   50 output file cannot be opened or written  51 archive ends early or cannot be read
//   76 archive path names a folder
//
// Two vectors are served:
//   "unzip", "-v", archive                       lists the archive into the entry table
//   "unzip", "-qq", archive, member..., "-d", folder   extracts the matching members
// Every "\" of an element counts as "/". Elements may hold up to ZIP_ARGMAX characters.
#ifndef ZOLAN_ZIPEXTRACT_H
#define ZOLAN_ZIPEXTRACT_H

#include "unzip/ziphost.h"
#include "unzip/ziptable.h"

#define ZIP_ARGMAX 260

// Runs one vector through host; a listing fills table.
int unzip_run(ZIPHOST& host, UNZIPTABLE& table, int argc, const char* const* argv);

#endif
