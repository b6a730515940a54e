#include <cstdint>

#include "unzip/zipdecoders.h"

namespace {

const unsigned kCodes = 8192;      // 13-bit codes
const unsigned kControl = 256;     // followed by 1 (wider codes) or 2 (partial clear)
const unsigned kFirstFree = 257;

struct SHRINKTABLE {
  int16_t Parent[kCodes];   // code of the string without its last byte; -1 for literals
  uint8_t Value[kCodes];    // last byte of the string
  uint8_t InUse[kCodes];
  uint8_t Stack[kCodes];    // a string spelled backwards; scratch marks while clearing
};

void InitTable(SHRINKTABLE* t) {
  for (unsigned c = 0; c < kCodes; c++) {
    t->Parent[c] = -1;
    t->Value[c] = static_cast<uint8_t>(c);
    t->InUse[c] = c <= kControl;
  }
}

unsigned NextFree(const SHRINKTABLE* t, unsigned from) {
  while (from < kCodes && t->InUse[from]) from++;
  return from;
}

// Spells the string of code into the end of Stack; its first index, or -1 when the code is
// unused or its chain is broken (only corrupt data gets there).
int Expand(SHRINKTABLE* t, unsigned code) {
  int top = kCodes;
  int c = static_cast<int>(code);
  while (c >= 0) {
    if (top == 0 || c == static_cast<int>(kControl) || !t->InUse[c]) return -1;
    t->Stack[--top] = t->Value[c];
    c = t->Parent[c];
  }
  return top;
}

// Frees every dynamic code that no other code extends.
void PartialClear(SHRINKTABLE* t) {
  uint8_t* isParent = t->Stack;
  for (unsigned c = 0; c < kCodes; c++) isParent[c] = 0;
  for (unsigned c = kFirstFree; c < kCodes; c++)
    if (t->InUse[c] && t->Parent[c] >= static_cast<int>(kFirstFree)) isParent[t->Parent[c]] = 1;
  for (unsigned c = kFirstFree; c < kCodes; c++)
    if (!isParent[c]) t->InUse[c] = 0;
}

void AddCode(SHRINKTABLE* t, unsigned* nextFree, unsigned parent, uint8_t value) {
  if (*nextFree >= kCodes) return;  // table full until the next partial clear
  t->Parent[*nextFree] = static_cast<int16_t>(parent);
  t->Value[*nextFree] = value;
  t->InUse[*nextFree] = 1;
  *nextFree = NextFree(t, *nextFree + 1);
}

bool Control(ZIPBITS& bits, SHRINKTABLE* t, int* width, unsigned* nextFree) {
  unsigned sub;
  if (!bits.Get(*width, &sub)) return false;
  if (sub == 1 && *width < 13) {
    (*width)++;
    return true;
  }
  if (sub == 2) {
    PartialClear(t);
    *nextFree = NextFree(t, kFirstFree);
    return true;
  }
  return false;
}

}  // namespace

int ZipUnshrink(ZIPHOST& host, ZIPDATA& data, ZIPOUTPUT& out) {
  ZIPHOSTBLOCK<SHRINKTABLE> block(host, 1);
  SHRINKTABLE* t = block.get();
  if (!t) return 5;
  InitTable(t);
  ZIPBITS bits(data);
  int width = 9;
  int prev = -1;
  unsigned nextFree = kFirstFree;
  while (!out.Done()) {
    unsigned code;
    if (!bits.Get(width, &code)) return 2;
    if (code == kControl) {
      if (!Control(bits, t, &width, &nextFree)) return 2;
      continue;
    }
    if (prev < 0) {
      if (code > 255) return 2;
      out.Put(static_cast<unsigned char>(code));
      prev = static_cast<int>(code);
      continue;
    }
    bool fresh = !t->InUse[code];
    if (fresh) {
      // The code the decoder is about to define: the previous string plus its first byte.
      if (code != nextFree) return 2;
      int first = Expand(t, prev);
      if (first < 0) return 2;
      AddCode(t, &nextFree, prev, t->Stack[first]);
    }
    int start = Expand(t, code);
    if (start < 0) return 2;
    if (!fresh) AddCode(t, &nextFree, prev, t->Stack[start]);
    for (int i = start; i < static_cast<int>(kCodes); i++) out.Put(t->Stack[i]);
    prev = static_cast<int>(code);
  }
  return 0;
}
