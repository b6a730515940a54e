#include <cstring>

#include "unzip/zipdecoders.h"
#include "unzip/zipextractor.h"
#include "unzip/zipmapname.h"
#include "unzip/zippattern.h"

namespace {

const int kCentralSize = 46;
const int kLocalSize = 30;
const unsigned char kCentralSignature[4] = {'P', 'K', 1, 2};
const unsigned char kLocalSignature[4] = {'P', 'K', 3, 4};
const unsigned kVms = 2;

bool HostIn(unsigned host, const char* list) { return strchr(list, static_cast<char>('a' + host)) != nullptr; }

// Hosts whose names the extractor lower-cases, and those that know volume labels.
bool LowerCaseHost(unsigned host) { return HostIn(host, "aefjk"); }     // 0 4 5 9 10
bool VolumeLabelHost(unsigned host) { return HostIn(host, "afgl"); }   // 0 5 6 11

bool Supported(unsigned method) { return method <= 6 || method == 8; }

const char* MethodVerb(unsigned method) {
  return method == 8 ? "inflate" : method == 6 ? "explode" : method == 1 ? "unshrink" : "unreduce";
}

const char* MethodAdjective(unsigned method) {
  return method == 8 ? "deflated" : method == 6 ? "imploded" : method == 1 ? "shrunk" : "reduced";
}

void ParseCentral(const unsigned char* h, ZIPCENTRAL& r) {
  r.Host = h[5] > 12 ? 12 : h[5];
  r.VersionNeeded = h[6];
  r.NeededHost = h[7];
  r.Flags = ZipGet16(h + 8);
  r.Method = ZipGet16(h + 10);
  r.Crc = ZipGet32(h + 16);
  r.CompressedSize = ZipGet32(h + 20);
  r.Size = ZipGet32(h + 24);
  r.Attributes = ZipGet32(h + 38);
  r.LocalOffset = ZipGet32(h + 42);
  r.VolumeLabel = (r.Attributes & 0x08) && VolumeLabelHost(r.Host);
  r.LowerCased = !r.VolumeLabel && LowerCaseHost(r.Host);
}

}  // namespace

bool ZIPEXTRACTOR::ReadCentral(ZIPCENTRAL& record, unsigned number) {
  unsigned char h[kCentralSize];
  long n = Input->Read(h, kCentralSize);
  if (n >= 4 && memcmp(h, kCentralSignature, 4) != 0) {
    Say("error:  expected central file header signature not found (file #%u).\n", number);
    Raise(3);
    return false;
  }
  if (n != kCentralSize) {
    Say("error [%s]:  archive ends early in the central directory\n", ArchivePath.c_str());
    Raise(51);
    return false;
  }
  ParseCentral(h, record);
  unsigned nameLength = ZipGet16(h + 28), extraLength = ZipGet16(h + 30), commentLength = ZipGet16(h + 32);
  unsigned keep = nameLength > ZIP_NAMEMAX ? ZIP_NAMEMAX : nameLength;
  if (keep < nameLength) Say("warning:  filename too long--truncating.\n");
  if (Input->Read(record.Name, keep) != static_cast<long>(keep)) {
    Say("error [%s]:  archive ends early in the central directory\n", ArchivePath.c_str());
    Raise(51);
    return false;
  }
  record.Name[keep] = 0;
  for (char* c = record.Name; *c; c++) {
    // Stored names use "/"; a "\" from a careless archiver means the same.
    if (*c == '\\') *c = '/';
    else if (record.LowerCased && *c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c - 'A' + 'a');
  }
  Input->Seek(Input->Tell() + (nameLength - keep) + extraLength + commentLength);
  return true;
}

bool ZIPEXTRACTOR::Selected(const ZIPCENTRAL& r) {
  bool match = Patterns.empty();
  for (size_t i = 0; i < Patterns.size(); i++)
    if (ZipMatch(Patterns[i].c_str(), r.Name, r.LowerCased)) match = PatternMatched[i] = true;
  if (!match) return false;
  bool vms = r.NeededHost == kVms;
  const char* reason = nullptr;
  char text[64];
  if (r.VersionNeeded > (vms ? 42u : 20u)) {
    snprintf(text, sizeof text, "need %s compat. v%u.%u (can do v%u.%u)", vms ? "VMS" : "PK", r.VersionNeeded / 10,
             r.VersionNeeded % 10, vms ? 4 : 2, vms ? 2 : 0);
    reason = text;
  } else if (!Supported(r.Method) || r.Method == 7) {
    snprintf(text, sizeof text, "compression method %u", r.Method);
    reason = text;
  } else if (r.Flags & 1) {
    reason = "encrypted (not supported)";
  }
  if (!reason) return true;
  Say("   skipping: %-22s  %s\n", r.Name, reason);
  Raise(1);
  return false;
}

// Central records in batches; after each batch its members are extracted and reading
// resumes behind it.
void ZIPEXTRACTOR::ExtractRun() {
  Input->Seek(DirectoryStart);
  for (unsigned done = 0; done < Entries;) {
    unsigned count = Entries - done < ZIP_BATCH ? Entries - done : ZIP_BATCH;
    for (unsigned i = 0; i < count; i++)
      if (!ReadCentral(Batch[i], done + i + 1)) return;
    int64_t resume = Input->Tell();
    for (unsigned i = 0; i < count; i++)
      if (Selected(Batch[i])) ExtractMember(Batch[i], done + i + 1);
    Input->Seek(resume);
    done += count;
  }
  EndAfterDirectory();
  for (size_t i = 0; i < Patterns.size(); i++)
    if (!PatternMatched[i]) Say("caution: filename not matched:  %s\n", Patterns[i].c_str());
}

bool ZIPEXTRACTOR::SeekLocalHeader(const ZIPCENTRAL& r, unsigned number, unsigned char* h) {
  int64_t at = static_cast<int64_t>(r.LocalOffset) + Shift;
  bool ok = Input->Seek(at) && Input->Read(h, kLocalSize) == kLocalSize && memcmp(h, kLocalSignature, 4) == 0;
  if (!ok && FirstMember && Shift != 0) {
    Say("  (attempting to re-compensate)\n");
    at = r.LocalOffset;
    ok = Input->Seek(at) && Input->Read(h, kLocalSize) == kLocalSize && memcmp(h, kLocalSignature, 4) == 0;
    if (ok) Shift = 0;
  }
  FirstMember = false;
  if (!ok) {
    Say("file #%u:  bad zipfile offset (%s):  %lld\n", number, "local header sig", static_cast<long long>(at));
    Raise(3);
    return false;
  }
  return Input->Seek(at + kLocalSize + ZipGet16(h + 26) + ZipGet16(h + 28));
}

void ZIPEXTRACTOR::ExtractMember(const ZIPCENTRAL& r, unsigned number) {
  unsigned char h[kLocalSize];
  if (!SeekLocalHeader(r, number, h)) return;
  unsigned method = ZipGet16(h + 8);
  if (!Supported(method) || method == 7) {
    Say("   skipping: %-22s  compression method %u\n", r.Name, method);
    Raise(1);
    return;
  }
  if (r.VolumeLabel) {
    Say("   skipping: %-22s  %svolume label\n", r.Name, "");
    return;
  }
  char path[ZIP_PATHSIZE];
  ZIPMAPRESULT mapped = ZipMapName(Host, Destination.c_str(), r.Name, path);
  if (mapped == ZIPMAP_FAILED) Raise(2);
  if (mapped != ZIPMAP_FILE) return;
  WriteMember(r, h, path);
}

void ZIPEXTRACTOR::WriteMember(const ZIPCENTRAL& r, const unsigned char* h, const char* path) {
  unsigned flags = ZipGet16(h + 6), method = ZipGet16(h + 8);
  bool descriptor = (flags & 8) != 0;
  uint32_t crc = descriptor ? r.Crc : ZipGet32(h + 14);
  uint32_t compressed = descriptor ? r.CompressedSize : ZipGet32(h + 18);
  uint32_t size = descriptor ? r.Size : ZipGet32(h + 22);
  std::unique_ptr<ZIPWRITER> file = Host.CreateOutput(path, r.Attributes & 0xFF);
  if (!file) {
    Say("error:  cannot create %s\n", path);
    Raise(50);
    return;
  }
  ZIPDATA data(*Input, compressed);
  ZIPOUTPUT out(OutBuffer, file.get(), size);
  int rc = Decompress(method, flags, data, out);
  out.Finish();
  if (out.Failed()) {
    Say("error:  write error on %s (disk full?)\n", path);
    Raise(50);
    return;
  }
  file->Close(ZipGet16(h + 12), ZipGet16(h + 10));
  if (data.EndedEarly()) {
    Say("error [%s]:  archive ends early in %s\n", ArchivePath.c_str(), r.Name);
    Raise(51);
  } else if (rc == 5) {
    Say("error:  not enough memory to %s %s\n", MethodVerb(method), r.Name);
    Raise(5);
  } else if (rc == 2) {
    Say("  error:  invalid compressed (%s) data for %s\n", MethodAdjective(method), r.Name);
    Raise(2);
  } else if (out.Crc() != crc) {
    Say(" bad CRC %08lx  (should be %08lx)\n", static_cast<unsigned long>(out.Crc()),
        static_cast<unsigned long>(crc));
    Raise(2);
  }
  Raise(rc == 1 ? 1 : 0);
}

int ZIPEXTRACTOR::Decompress(unsigned method, unsigned flags, ZIPDATA& data, ZIPOUTPUT& out) {
  switch (method) {
    case 0: return ZipStore(data, out);
    case 1: return ZipUnshrink(Host, data, out);
    case 6: return ZipExplode(Host, data, out, flags);
    case 8: return ZipInflate(Host, data, out);
    default: return ZipUnreduce(Host, data, out, static_cast<int>(method) - 1);
  }
}
