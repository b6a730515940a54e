// Numeric ids of the texts, dialog templates and menus in the language libraries.
// One set of ids serves every language; each subsystem keeps its ids in its own header.
#ifndef ZOLAN_RESIDS_H
#define ZOLAN_RESIDS_H
#include "ids/foundation.h"
#include "ids/platform.h"
#include "ids/unzip.h"
#include "ids/ui.h"
#include "ids/winmisc.h"
#include "ids/setup.h"
#endif
