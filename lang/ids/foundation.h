// Resource ids used by the foundation subsystem.
#pragma once

// Name of the library's language, in that language (logged when the library is loaded).
#define IDS_FOUNDATION_LANGUAGE     960
// Primary language identifier the library serves, as decimal text (7, 9, 12, 14).
#define IDS_FOUNDATION_LANGUAGEID   961
