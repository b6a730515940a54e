// CRC-32 of the archive members (the one zlib computes), with a fast path for processors
// that multiply without carries: the checksum runs over every byte written, and the plain
// table method costs about as much again as writing the bytes under Wine.
#ifndef ZOLAN_ZIPCRC_H
#define ZOLAN_ZIPCRC_H

#include <cstddef>
#include <cstdint>

// Goes on from crc (0 to start) over n bytes; the same value as zlib's crc32.
uint32_t ZipCrc32(uint32_t crc, const unsigned char* data, size_t n);

#endif
