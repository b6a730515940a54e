#include <zlib.h>

#include <cstring>

#include "unzip/zipdecoders.h"

namespace {

voidpf HostAlloc(voidpf opaque, uInt items, uInt size) {
  if (size != 0 && items > static_cast<size_t>(-1) / size) return Z_NULL;
  return static_cast<ZIPHOST*>(opaque)->Allocate(static_cast<size_t>(items) * size);
}

void HostFree(voidpf opaque, voidpf address) { static_cast<ZIPHOST*>(opaque)->Free(address); }

int InflateLoop(z_stream& zs, ZIPDATA& data, ZIPOUTPUT& out) {
  for (;;) {
    const unsigned char* in = nullptr;
    long avail = data.Peek(&in);
    zs.next_in = const_cast<Bytef*>(in);
    zs.avail_in = static_cast<uInt>(avail);
    unsigned space;
    zs.next_out = out.Space(&space);
    zs.avail_out = space;
    int rc = inflate(&zs, Z_NO_FLUSH);
    long used = avail - static_cast<long>(zs.avail_in);
    unsigned made = space - zs.avail_out;
    data.Take(used);
    if (!out.Commit(made)) return 2;  // more output than the member holds
    if (rc == Z_STREAM_END || out.Failed()) return 0;
    if (rc == Z_MEM_ERROR) return 5;
    // Without progress the stream wants bytes beyond the stored ones.
    if ((rc != Z_OK && rc != Z_BUF_ERROR) || (used == 0 && made == 0)) return 2;
  }
}

}  // namespace

int ZipInflate(ZIPHOST& host, ZIPDATA& data, ZIPOUTPUT& out) {
  z_stream zs;
  memset(&zs, 0, sizeof zs);
  zs.zalloc = HostAlloc;
  zs.zfree = HostFree;
  zs.opaque = &host;
  int rc = inflateInit2(&zs, -MAX_WBITS);
  if (rc != Z_OK) return rc == Z_MEM_ERROR ? 5 : 2;
  int result = InflateLoop(zs, data, out);
  inflateEnd(&zs);
  return result;
}

int ZipStore(ZIPDATA& data, ZIPOUTPUT& out) {
  while (!out.Done()) {
    const unsigned char* in;
    long n = data.Peek(&in);
    if (n <= 0) break;
    out.Append(in, static_cast<uint32_t>(n));
    data.Take(n);
  }
  return 0;
}
