// Resource ids used by the unzip subsystem.
#pragma once

// Question whether to replace an existing file; exactly one "%s" for the file's name.
#define IDS_UNZIP_REPLACEQUESTION  2992
// Title of that question.
#define IDS_UNZIP_REPLACETITLE     2993
