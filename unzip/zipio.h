// The extractor's input and output paths: the archive read through one 2,048-byte buffer
// in aligned blocks, a member's compressed bytes limited to their stored size, a bit reader
// over them, and the 32 KiB output window that checks, counts and writes what the
// decompressors produce.
#ifndef ZOLAN_ZIPIO_H
#define ZOLAN_ZIPIO_H

#include <cstdint>

#include "unzip/ziphost.h"

#define ZIP_INBUFSIZE 2048
#define ZIP_WINDOWSIZE 32768

// Archive reader with one aligned block buffer; a seek inside the block only moves the
// read position. The buffer is the caller's (ZIP_INBUFSIZE bytes), not owned.
class ZIPINPUT {
public:
  ZIPINPUT(ZIPREADER& reader, unsigned char* buffer);
  ZIPINPUT(const ZIPINPUT&) = delete;
  ZIPINPUT& operator=(const ZIPINPUT&) = delete;

  // False for a negative offset; reading there then yields nothing.
  bool Seek(int64_t offset);
  int64_t Tell() const { return BlockStart + Pos; }
  // Bytes at the read position that need no further read (0 at the end of the archive).
  long Peek(const unsigned char** data);
  void Consume(long n) { Pos += n; }
  // Count of bytes copied; short at the end of the archive or after a read error (both
  // mean the archive ended early).
  long Read(void* destination, long n);

private:
  ZIPREADER& Reader;
  unsigned char* Buffer;
  int64_t BlockStart = 0;
  long BlockLength = 0;
  long Pos = 0;
  bool Loaded = false;
};

// The compressed bytes of one member: exactly its stored size, then nothing.
class ZIPDATA {
public:
  ZIPDATA(ZIPINPUT& input, uint32_t size) : Input(input), Left(size), Size(size) {}
  ZIPDATA(const ZIPDATA&) = delete;
  ZIPDATA& operator=(const ZIPDATA&) = delete;

  // Next byte, or -1 when the stored bytes are used up or the archive ended early.
  int NextByte() {
    if (Avail == 0 && !Refill()) return -1;
    Avail--;
    return *Current++;
  }
  // Contiguous bytes available now (0 when none are left); Take consumes n of them.
  long Peek(const unsigned char** data);
  void Take(long n) {
    Current += n;
    Avail -= n;
  }
  uint32_t Stored() const { return Size; }
  uint32_t Used() const { return Size - Left - static_cast<uint32_t>(Avail); }
  // A decompressor asked for more bytes than were stored.
  bool Overrun() const { return AskedTooMuch; }
  // The archive ended (or failed) before the stored size was read.
  bool EndedEarly() const { return Short; }

private:
  bool Refill();

  ZIPINPUT& Input;
  uint32_t Left;
  const uint32_t Size;
  const unsigned char* Current = nullptr;
  long Avail = 0;
  bool AskedTooMuch = false;
  bool Short = false;
};

// Bits of the compressed data, least significant first, fetched a byte at a time only when
// needed, so the byte count stays exact.
class ZIPBITS {
public:
  explicit ZIPBITS(ZIPDATA& data) : Data(data) {}
  // Reads n (0..16) bits into value; false when the data ran out.
  bool Get(int n, unsigned* value) {
    while (Count < n) {
      int b = Data.NextByte();
      if (b < 0) return false;
      Bits |= static_cast<uint32_t>(b) << Count;
      Count += 8;
    }
    *value = Bits & ((1u << n) - 1);
    Bits >>= n;
    Count -= n;
    return true;
  }

private:
  ZIPDATA& Data;
  uint32_t Bits = 0;
  int Count = 0;
};

// Output window of ZIP_WINDOWSIZE bytes (the caller's, not owned). Every full window and
// the rest at Finish update the CRC-32 and go to the writer. Output stops at the expected
// size; after a failed write nothing more is written.
class ZIPOUTPUT {
public:
  ZIPOUTPUT(unsigned char* window, ZIPWRITER* writer, uint32_t expected);
  ZIPOUTPUT(const ZIPOUTPUT&) = delete;
  ZIPOUTPUT& operator=(const ZIPOUTPUT&) = delete;

  // The expected size is reached (or writing failed): decompressors stop.
  bool Done() const { return Total >= Expected || WriteFailed; }
  void Put(unsigned char c) {
    if (Total >= Expected) return;
    Window[Pos++] = c;
    Total++;
    if (Pos == ZIP_WINDOWSIZE) Flush();
  }
  // Copies length bytes from distance (1 or more) bytes back; bytes before the start of the
  // output read as zeros.
  void Copy(uint32_t distance, uint32_t length);
  void Append(const unsigned char* data, uint32_t n);
  // Free window space at the write position, for a decompressor that writes in place;
  // Commit takes n bytes of it and is false (taking none) when they exceed the expected size.
  unsigned char* Space(unsigned* n);
  bool Commit(unsigned n);
  void Finish() { Flush(); }

  uint32_t Crc() const { return CrcValue; }
  bool Failed() const { return WriteFailed; }

private:
  void Flush();

  unsigned char* Window;
  ZIPWRITER* Writer;
  const uint64_t Expected;
  unsigned Pos = 0;
  unsigned Flushed = 0;  // window bytes before this position are written
  uint64_t Total = 0;
  uint32_t CrcValue = 0;
  bool WriteFailed = false;
};

#endif
