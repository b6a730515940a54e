// The decompressors of the ZIP methods the extractor supports: 0 stored, 1 shrunk, 2 to 5
// reduced, 6 imploded, 8 deflated. Each reads one member's compressed bytes and writes
// through the output window until the member's size is reached or the data ends.
//
// Results are the extractor's codes: 0 done, 1 done but the imploded data did not use all
// stored bytes, 2 invalid data (or more bytes needed than stored), 5 out of memory. A
// short archive (ZIPDATA::EndedEarly) and a failed write (ZIPOUTPUT::Failed) are for the
// caller to tell apart.
#ifndef ZOLAN_ZIPDECODERS_H
#define ZOLAN_ZIPDECODERS_H

#include "unzip/ziphost.h"
#include "unzip/zipio.h"

int ZipStore(ZIPDATA& data, ZIPOUTPUT& out);
// PKZIP dynamic LZW: codes of 9 to 13 bits, with partial clearing.
int ZipUnshrink(ZIPHOST& host, ZIPDATA& data, ZIPOUTPUT& out);
// Follower sets and the run/copy expansion, compression factor 1 to 4 (methods 2 to 5).
int ZipUnreduce(ZIPHOST& host, ZIPDATA& data, ZIPOUTPUT& out, int factor);
// Sliding dictionary with Shannon-Fano trees; flags are the member's general-purpose flags
// (bit 1: 8 KiB dictionary, bit 2: literal tree present).
int ZipExplode(ZIPHOST& host, ZIPDATA& data, ZIPOUTPUT& out, unsigned flags);
// Raw deflate (RFC 1951) through zlib, with zlib's memory taken from the host.
int ZipInflate(ZIPHOST& host, ZIPDATA& data, ZIPOUTPUT& out);

#endif
