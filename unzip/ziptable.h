// The archive entry table: member names and sizes of the archive listed last, in
// central-directory order. One table serves the process (gUnzipTable, unzipper.h); an empty
// name ends the list, so at most UNZIPTABLE_SLOTS - 1 members and names of at most
// UNZIPTABLE_NAMESIZE - 1 characters fit.
#ifndef ZOLAN_ZIPTABLE_H
#define ZOLAN_ZIPTABLE_H

#include <cstdint>

#define UNZIPTABLE_SLOTS 250
#define UNZIPTABLE_NAMESIZE 150

struct UNZIPTABLE {
  char Names[UNZIPTABLE_SLOTS][UNZIPTABLE_NAMESIZE];
  uint32_t Sizes[UNZIPTABLE_SLOTS];
  uint32_t Total;
  int Count;  // listed members: the slot the next one goes to

  void Clear();
  // Adds a member behind the last; false (nothing added) when the name or the member does
  // not fit.
  bool Add(const char* name, uint32_t size);
};

#endif
