#include <cstdint>

#include "unzip/zipdecoders.h"

namespace {

const unsigned kDle = 144;

struct FOLLOWERS {
  uint8_t Count[256];
  uint8_t Set[256][32];
};

// Bits that index a follower set of n entries (the smallest width that holds n - 1, at
// least one bit).
const uint8_t kIndexBits[33] = {0, 1, 1, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 4, 4,
                                5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5};

// The sets are stored for byte 255 first, down to byte 0.
bool ReadFollowers(ZIPBITS& bits, FOLLOWERS* f) {
  for (int j = 255; j >= 0; j--) {
    unsigned n;
    if (!bits.Get(6, &n) || n > 32) return false;
    f->Count[j] = static_cast<uint8_t>(n);
    for (unsigned i = 0; i < n; i++) {
      unsigned c;
      if (!bits.Get(8, &c)) return false;
      f->Set[j][i] = static_cast<uint8_t>(c);
    }
  }
  return true;
}

// One byte of the intermediate stream: a literal, or an entry of the follower set of the
// byte before it.
bool NextByte(ZIPBITS& bits, const FOLLOWERS* f, unsigned* last) {
  unsigned n = f->Count[*last];
  unsigned flag = 1;
  if (n > 0 && !bits.Get(1, &flag)) return false;
  if (flag) return bits.Get(8, last);
  unsigned index;
  if (!bits.Get(kIndexBits[n], &index) || index >= n) return false;
  *last = f->Set[*last][index];
  return true;
}

}  // namespace

int ZipUnreduce(ZIPHOST& host, ZIPDATA& data, ZIPOUTPUT& out, int factor) {
  ZIPHOSTBLOCK<FOLLOWERS> block(host, 1);
  FOLLOWERS* f = block.get();
  if (!f) return 5;
  ZIPBITS bits(data);
  if (!ReadFollowers(bits, f)) return 2;
  const unsigned lengthMask = 0x7Fu >> (factor - 1);
  unsigned c = 0;
  unsigned state = 0, v = 0, length = 0;
  while (!out.Done()) {
    if (!NextByte(bits, f, &c)) return 2;
    switch (state) {
      case 0:
        if (c != kDle) out.Put(static_cast<unsigned char>(c));
        else state = 1;
        break;
      case 1:
        if (c == 0) {
          out.Put(kDle);
          state = 0;
        } else {
          v = c;
          length = v & lengthMask;
          state = length == lengthMask ? 2 : 3;
        }
        break;
      case 2:
        length += c;
        state = 3;
        break;
      default:
        out.Copy(((v >> (8 - factor)) << 8) + c + 1, length + 3);
        state = 0;
        break;
    }
  }
  return 0;
}
