#include <cstdint>
#include <cstring>

#include "unzip/zipdecoders.h"

namespace {

// A Shannon-Fano tree: codes of one length are consecutive, so a code of length L is found
// from the first code of that length and the count.
struct SFTREE {
  uint8_t Length[256];
  uint16_t First[17];
  uint16_t Count[17];
  uint16_t Offset[17];
  uint8_t Symbols[256];
};

struct EXPLODETREES {
  SFTREE Literal, Length, Distance;
};

bool ReadLengths(ZIPBITS& bits, SFTREE* t, int n) {
  unsigned bytes;
  if (!bits.Get(8, &bytes)) return false;
  int k = 0;
  for (unsigned i = 0; i <= bytes; i++) {
    unsigned b;
    if (!bits.Get(8, &b)) return false;
    int count = static_cast<int>(b >> 4) + 1;
    if (k + count > n) return false;
    while (count--) t->Length[k++] = static_cast<uint8_t>((b & 15) + 1);
  }
  return k == n;
}

// Codes as APPNOTE assigns them: lengths sorted ascending (stable), codes handed out from
// the longest, each step adding the increment of the length before it.
bool BuildTree(SFTREE* t, int n) {
  uint8_t order[256];
  int k = 0;
  for (int len = 1; len <= 16; len++)
    for (int s = 0; s < n; s++)
      if (t->Length[s] == len) order[k++] = static_cast<uint8_t>(s);
  memset(t->Count, 0, sizeof t->Count);
  uint32_t code = 0, increment = 0;
  int lastLength = 0, pos = 0;
  for (int i = n - 1; i >= 0; i--) {
    int s = order[i], len = t->Length[s];
    code += increment;
    if (len != lastLength) {
      lastLength = len;
      increment = 1u << (16 - len);
    }
    if (code > 0xFFFF) return false;  // more codes than the lengths allow
    if (t->Count[len] == 0) {
      t->First[len] = static_cast<uint16_t>(code >> (16 - len));
      t->Offset[len] = static_cast<uint16_t>(pos);
    }
    t->Count[len]++;
    t->Symbols[pos++] = static_cast<uint8_t>(s);
  }
  return true;
}

bool ReadTree(ZIPBITS& bits, SFTREE* t, int n) { return ReadLengths(bits, t, n) && BuildTree(t, n); }

// Codes are stored bit-reversed, so reading least significant first yields them from their
// most significant bit.
bool Decode(ZIPBITS& bits, const SFTREE* t, unsigned* symbol) {
  unsigned v = 0;
  for (int len = 1; len <= 16; len++) {
    unsigned b;
    if (!bits.Get(1, &b)) return false;
    v = (v << 1) | b;
    if (t->Count[len] && v >= t->First[len] && v - t->First[len] < t->Count[len]) {
      *symbol = t->Symbols[t->Offset[len] + v - t->First[len]];
      return true;
    }
  }
  return false;
}

bool Match(ZIPBITS& bits, const EXPLODETREES* trees, ZIPOUTPUT& out, int lowBits, int minMatch) {
  unsigned low, high, length;
  if (!bits.Get(lowBits, &low) || !Decode(bits, &trees->Distance, &high) ||
      !Decode(bits, &trees->Length, &length))
    return false;
  if (length == 63) {
    unsigned extra;
    if (!bits.Get(8, &extra)) return false;
    length += extra;
  }
  out.Copy(((high << lowBits) | low) + 1, length + minMatch);
  return true;
}

}  // namespace

int ZipExplode(ZIPHOST& host, ZIPDATA& data, ZIPOUTPUT& out, unsigned flags) {
  ZIPHOSTBLOCK<EXPLODETREES> block(host, 1);
  EXPLODETREES* trees = block.get();
  if (!trees) return 5;
  const bool literalTree = (flags & 4) != 0;
  const int lowBits = (flags & 2) ? 7 : 6;
  const int minMatch = literalTree ? 3 : 2;
  ZIPBITS bits(data);
  if ((literalTree && !ReadTree(bits, &trees->Literal, 256)) || !ReadTree(bits, &trees->Length, 64) ||
      !ReadTree(bits, &trees->Distance, 64))
    return 2;
  while (!out.Done()) {
    unsigned flag, c;
    if (!bits.Get(1, &flag)) return 2;
    if (!flag) {
      if (!Match(bits, trees, out, lowBits, minMatch)) return 2;
    } else if (literalTree ? Decode(bits, &trees->Literal, &c) : bits.Get(8, &c)) {
      out.Put(static_cast<unsigned char>(c));
    } else {
      return 2;
    }
  }
  return data.Overrun() ? 2 : data.Used() < data.Stored() ? 1 : 0;
}
