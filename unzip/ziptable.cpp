#include "unzip/ziptable.h"

#include <cstring>

void UNZIPTABLE::Clear() {
  memset(Names, 0, sizeof Names);
  memset(Sizes, 0, sizeof Sizes);
  Total = 0;
  Count = 0;
}

bool UNZIPTABLE::Add(const char* name, uint32_t size) {
  size_t length = strlen(name);
  if (Count >= UNZIPTABLE_SLOTS - 1 || length >= UNZIPTABLE_NAMESIZE) return false;
  memcpy(Names[Count], name, length + 1);
  Sizes[Count] = size;
  Total += size;
  Count++;
  return true;
}
