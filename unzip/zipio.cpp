#include "unzip/zipio.h"

#include <cstring>

#include "unzip/zipcrc.h"

ZIPINPUT::ZIPINPUT(ZIPREADER& reader, unsigned char* buffer) : Reader(reader), Buffer(buffer) {}

bool ZIPINPUT::Seek(int64_t offset) {
  if (offset < 0) {
    // Park behind any real data so that the next read finds nothing.
    BlockStart = 0;
    BlockLength = 0;
    Pos = 0;
    Loaded = true;
    return false;
  }
  if (Loaded && offset >= BlockStart && offset <= BlockStart + BlockLength) {
    Pos = static_cast<long>(offset - BlockStart);
    return true;
  }
  BlockStart = offset & ~static_cast<int64_t>(ZIP_INBUFSIZE - 1);
  Pos = static_cast<long>(offset - BlockStart);
  Loaded = false;
  return true;
}

long ZIPINPUT::Peek(const unsigned char** data) {
  while (!Loaded || Pos >= BlockLength) {
    if (Loaded) {
      if (BlockLength < ZIP_INBUFSIZE) return 0;  // the last block: end of the archive
      BlockStart += ZIP_INBUFSIZE;
      Pos -= ZIP_INBUFSIZE;
    }
    long n = Reader.ReadAt(BlockStart, Buffer, ZIP_INBUFSIZE);
    BlockLength = n < 0 ? 0 : n;
    Loaded = true;
  }
  *data = Buffer + Pos;
  return BlockLength - Pos;
}

long ZIPINPUT::Read(void* destination, long n) {
  unsigned char* out = static_cast<unsigned char*>(destination);
  long done = 0;
  while (done < n) {
    const unsigned char* data;
    long avail = Peek(&data);
    if (avail <= 0) break;
    long take = avail < n - done ? avail : n - done;
    memcpy(out + done, data, take);
    Consume(take);
    done += take;
  }
  return done;
}

bool ZIPDATA::Refill() {
  if (Left == 0) {
    AskedTooMuch = true;
    return false;
  }
  const unsigned char* data;
  long n = Input.Peek(&data);
  if (n <= 0) {
    Short = true;
    return false;
  }
  if (static_cast<uint32_t>(n) > Left) n = static_cast<long>(Left);
  Input.Consume(n);
  Left -= static_cast<uint32_t>(n);
  Current = data;
  Avail = n;
  return true;
}

long ZIPDATA::Peek(const unsigned char** data) {
  if (Avail == 0 && !Refill()) return 0;
  *data = Current;
  return Avail;
}

ZIPOUTPUT::ZIPOUTPUT(unsigned char* window, ZIPWRITER* writer, uint32_t expected)
    : Window(window), Writer(writer), Expected(expected) {}

void ZIPOUTPUT::Copy(uint32_t distance, uint32_t length) {
  uint64_t left = Expected - (Total < Expected ? Total : Expected);
  if (length > left) length = static_cast<uint32_t>(left);
  while (length--) {
    unsigned char c = 0;
    if (distance <= Total) c = Window[(Pos - distance) & (ZIP_WINDOWSIZE - 1)];
    Window[Pos++] = c;
    Total++;
    if (Pos == ZIP_WINDOWSIZE) Flush();
  }
}

void ZIPOUTPUT::Append(const unsigned char* data, uint32_t n) {
  uint64_t left = Expected - (Total < Expected ? Total : Expected);
  if (n > left) n = static_cast<uint32_t>(left);
  while (n > 0) {
    unsigned take = ZIP_WINDOWSIZE - Pos;
    if (take > n) take = n;
    memcpy(Window + Pos, data, take);
    Pos += take;
    Total += take;
    data += take;
    n -= take;
    if (Pos == ZIP_WINDOWSIZE) Flush();
  }
}

unsigned char* ZIPOUTPUT::Space(unsigned* n) {
  *n = ZIP_WINDOWSIZE - Pos;
  return Window + Pos;
}

bool ZIPOUTPUT::Commit(unsigned n) {
  if (Total + n > Expected) return false;
  Pos += n;
  Total += n;
  if (Pos == ZIP_WINDOWSIZE) Flush();
  return true;
}

void ZIPOUTPUT::Flush() {
  if (Pos > Flushed) {
    CrcValue = ZipCrc32(CrcValue, Window + Flushed, Pos - Flushed);
    if (Writer && !WriteFailed && !Writer->Write(Window + Flushed, Pos - Flushed))
      WriteFailed = true;
  }
  // The window keeps its bytes: the decompressors copy from them across the flush.
  if (Pos == ZIP_WINDOWSIZE) Pos = 0;
  Flushed = Pos;
}
