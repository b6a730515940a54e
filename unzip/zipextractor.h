// ZIPEXTRACTOR: one run of the extractor (see zipextract.h); internal to the unzip folder.
// zipextract.cpp holds the arguments and the archive checks, zipmember.cpp the central
// records and the extraction of members.
#ifndef ZOLAN_ZIPEXTRACTOR_H
#define ZOLAN_ZIPEXTRACTOR_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "unzip/ziphost.h"
#include "unzip/zipio.h"
#include "unzip/ziptable.h"

#define ZIP_BATCH 64
#define ZIP_NAMEMAX 260

// One central-directory record, as far as the extractor uses it.
struct ZIPCENTRAL {
  unsigned Host;           // host system that made the member (above 12 counts as 12)
  unsigned VersionNeeded;  // times 10
  unsigned NeededHost;
  unsigned Flags;
  unsigned Method;
  uint32_t Crc;
  uint32_t CompressedSize;
  uint32_t Size;
  uint32_t Attributes;     // external attributes
  uint32_t LocalOffset;
  bool LowerCased;
  bool VolumeLabel;
  char Name[ZIP_NAMEMAX + 1];  // "\" already read as "/"
};

class ZIPEXTRACTOR {
public:
  ZIPEXTRACTOR(ZIPHOST& host, UNZIPTABLE& table) : Host(host), Table(table) {}
  ZIPEXTRACTOR(const ZIPEXTRACTOR&) = delete;
  ZIPEXTRACTOR& operator=(const ZIPEXTRACTOR&) = delete;

  int Run(int argc, const char* const* argv);

private:
  bool ParseArguments(int argc, const char* const* argv);
  bool PrepareDestination();
  void FindArchives();
  // reader: the archive opened for path, or null when it could not be opened.
  void ProcessArchive(const std::string& path, std::unique_ptr<ZIPREADER> reader);
  bool FindEndRecord(unsigned char* record);
  bool CheckArchive();
  bool FindCentralDirectory();
  void ListRun();
  void ExtractRun();
  bool EndAfterDirectory();
  bool ReadCentral(ZIPCENTRAL& record, unsigned number);
  bool Selected(const ZIPCENTRAL& record);
  void ExtractMember(const ZIPCENTRAL& record, unsigned number);
  bool SeekLocalHeader(const ZIPCENTRAL& record, unsigned number, unsigned char* header);
  void WriteMember(const ZIPCENTRAL& record, const unsigned char* header, const char* path);
  int Decompress(unsigned method, unsigned flags, ZIPDATA& data, ZIPOUTPUT& out);

  void Raise(int code) {
    if (code > Code) Code = code;
  }
  void Say(const char* format, ...) __attribute__((format(printf, 2, 3)));

  ZIPHOST& Host;
  UNZIPTABLE& Table;
  int Code = 0;

  // Arguments of this run (each call starts from these defaults).
  bool Listing = false;
  std::string ArchiveArg;
  std::string Destination;
  std::vector<std::string> Patterns;
  std::vector<bool> PatternMatched;

  // Working buffers of the run and the archive being read.
  unsigned char* InBuffer = nullptr;
  unsigned char* OutBuffer = nullptr;
  std::string ArchivePath;
  std::unique_ptr<ZIPREADER> Reader;
  std::unique_ptr<ZIPINPUT> Input;
  int64_t ArchiveSize = 0;
  int64_t EndRecordAt = 0;
  int64_t Shift = 0;            // bytes in front of the archive that every offset moves by
  int64_t DirectoryStart = 0;
  unsigned Entries = 0;
  bool FirstMember = true;
  ZIPCENTRAL* Batch = nullptr;
};

inline unsigned ZipGet16(const unsigned char* p) { return p[0] | (p[1] << 8); }
inline uint32_t ZipGet32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

#endif
