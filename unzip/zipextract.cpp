#include "unzip/zipextract.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "unzip/zipextractor.h"
#include "unzip/zippattern.h"

namespace {

const long kEndSearch = 66000;  // end record (22 bytes) plus the longest comment
const int kEndRecordSize = 22;
const unsigned char kEndSignature[4] = {'P', 'K', 5, 6};
const unsigned char kCentralSignature[4] = {'P', 'K', 1, 2};

bool StartsWith(const std::string& s, const char* prefix) {
  return s.compare(0, strlen(prefix), prefix) == 0;
}

}  // namespace

int unzip_run(ZIPHOST& host, UNZIPTABLE& table, int argc, const char* const* argv) {
  ZIPEXTRACTOR run(host, table);
  return run.Run(argc, argv);
}

void ZIPEXTRACTOR::Say(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  Host.Diagnostic(text);
}

int ZIPEXTRACTOR::Run(int argc, const char* const* argv) {
  if (!ParseArguments(argc, argv)) return 10;
  if (!Listing && !PrepareDestination()) return 3;
  ZIPHOSTBLOCK<unsigned char> in(Host, ZIP_INBUFSIZE + 4), out(Host, 2 * ZIP_WINDOWSIZE + 1);
  ZIPHOSTBLOCK<ZIPCENTRAL> batch(Host, ZIP_BATCH);
  if (!in.get() || !out.get() || !batch.get()) {
    Say("error:  can't allocate unzip buffers\n");
    return 4;
  }
  InBuffer = in.get();
  OutBuffer = out.get();
  Batch = batch.get();
  FindArchives();
  return Code;
}

// Options first, then the archive, then member names; "-d" takes the folder.
bool ZIPEXTRACTOR::ParseArguments(int argc, const char* const* argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; i++) {
    if (!argv[i] || strlen(argv[i]) > ZIP_ARGMAX) return false;
    args.emplace_back(argv[i]);
    for (char& c : args.back())
      if (c == '\\') c = '/';
  }
  // The listing-only program names and "-Z" select a mode the setup never uses.
  if (args.empty() || StartsWith(args[0], "zipinfo") || StartsWith(args[0], "ii")) return false;
  bool haveDestination = false;
  // "-d" takes the next element as the destination folder, once.
  auto destination = [&](size_t& i) {
    if (haveDestination || i + 1 >= args.size()) return false;
    haveDestination = true;
    Destination = args[++i];
    return true;
  };
  size_t i = 1;
  for (; i < args.size() && args[i][0] == '-'; i++) {
    if (args[i] == "-v") {
      Listing = true;
    } else if (args[i] == "-d") {
      if (!destination(i)) return false;
    } else if (args[i] != "-qq" && args[i] != "-q") {
      return false;
    }
  }
  if (i >= args.size()) return false;
  ArchiveArg = args[i++];
  for (; i < args.size(); i++) {
    if (args[i] != "-d") Patterns.push_back(args[i]);
    else if (!destination(i)) return false;
  }
  PatternMatched.assign(Patterns.size(), false);
  return true;
}

bool ZIPEXTRACTOR::PrepareDestination() {
  size_t n = Destination.size();
  // "C:/" is the drive's root, "C:" its current folder; any other trailing "/" goes.
  bool driveRoot = n == 3 && isalpha(static_cast<unsigned char>(Destination[0])) && Destination[1] == ':';
  if (n > 1 && Destination[n - 1] == '/' && !driveRoot) Destination.erase(n - 1);
  if (Destination.empty() || Host.Kind(Destination.c_str()) == ZIPPATH_FOLDER) return true;
  if (Host.MakeFolder(Destination.c_str())) return true;
  Say("checkdir:  can't create extraction directory: %s\n", Destination.c_str());
  return false;
}

void ZIPEXTRACTOR::FindArchives() {
  size_t slash = ArchiveArg.rfind('/');
  // A plain name finds itself or nothing, so opening it first spares the folder listing.
  if (ArchiveArg.find_first_of("*?[", slash == std::string::npos ? 0 : slash) == std::string::npos) {
    std::unique_ptr<ZIPREADER> reader = Host.OpenArchive(ArchiveArg.c_str());
    if (reader) {
      ProcessArchive(ArchiveArg, std::move(reader));
      return;
    }
  }
  if (Host.Kind(ArchiveArg.c_str()) == ZIPPATH_FOLDER) {
    Say("error:  %s is a directory\n", ArchiveArg.c_str());
    Raise(76);
    return;
  }
  std::string folder = slash == std::string::npos ? "" : ArchiveArg.substr(0, slash + 1);
  std::string pattern = slash == std::string::npos ? ArchiveArg : ArchiveArg.substr(slash + 1);
  struct FOUND {
    const std::string* Pattern;
    std::vector<std::string> Names;
  } found{&pattern, {}};
  Host.ListFolder(folder.c_str(), [](void* context, const char* name) {
    FOUND* f = static_cast<FOUND*>(context);
    if (strcmp(name, ".") && strcmp(name, "..") && ZipMatch(f->Pattern->c_str(), name, true))
      f->Names.push_back(name);
  }, &found);
  bool any = false;
  for (const std::string& name : found.Names) {
    if (Host.Kind((folder + name).c_str()) != ZIPPATH_FILE) continue;
    any = true;
    ProcessArchive(folder + name, Host.OpenArchive((folder + name).c_str()));
  }
  if (!any && Host.Kind((ArchiveArg + ".zip").c_str()) == ZIPPATH_FILE) {
    any = true;
    ProcessArchive(ArchiveArg + ".zip", Host.OpenArchive((ArchiveArg + ".zip").c_str()));
  }
  if (!any) {
    Say("unzip:  cannot find %s or %s.zip.\n", ArchiveArg.c_str(), ArchiveArg.c_str());
    Raise(9);
  }
}

void ZIPEXTRACTOR::ProcessArchive(const std::string& path, std::unique_ptr<ZIPREADER> reader) {
  ArchivePath = path;
  Reader = std::move(reader);
  if (!Reader) {
    Say("error:  can't open zipfile [ %s ]\n", path.c_str());
    Raise(9);
    return;
  }
  Input.reset(new ZIPINPUT(*Reader, InBuffer));
  FirstMember = true;
  if (CheckArchive()) {
    if (Listing) ListRun();
    else ExtractRun();
  }
  Input.reset();
  Reader.reset();
}

// Searches the last kEndSearch bytes backwards, block by aligned block; the bytes behind
// each block (up to 3) are kept so that a signature across a block border is found too.
bool ZIPEXTRACTOR::FindEndRecord(unsigned char* record) {
  int64_t start = ArchiveSize > kEndSearch ? ArchiveSize - kEndSearch : 0;
  unsigned char carry[3] = {0, 0, 0};
  long carried = 0;
  for (int64_t block = (ArchiveSize - 1) & ~static_cast<int64_t>(ZIP_INBUFSIZE - 1);
       ArchiveSize > 0 && block >= (start & ~static_cast<int64_t>(ZIP_INBUFSIZE - 1)); block -= ZIP_INBUFSIZE) {
    long n = Reader->ReadAt(block, InBuffer, ZIP_INBUFSIZE);
    if (n < 0) return false;
    memcpy(InBuffer + n, carry, carried);
    for (long i = n + carried - 4; i >= 0; i--) {
      int64_t at = block + i;
      if (at < start) break;
      if (memcmp(InBuffer + i, kEndSignature, 4) == 0 && at + kEndRecordSize <= ArchiveSize &&
          Reader->ReadAt(at, record, kEndRecordSize) == kEndRecordSize) {
        EndRecordAt = at;
        return true;
      }
    }
    carried = n < 3 ? n : 3;
    memcpy(carry, InBuffer, carried);
  }
  return false;
}

bool ZIPEXTRACTOR::CheckArchive() {
  unsigned char end[kEndRecordSize];
  ArchiveSize = Reader->Size();
  if (ArchiveSize < 0 || !FindEndRecord(end)) {
    Say("End-of-central-directory signature not found in %s.\n", ArchivePath.c_str());
    Raise(9);
    return false;
  }
  unsigned disk = ZipGet16(end + 4), directoryDisk = ZipGet16(end + 6);
  if (disk == 1 && directoryDisk == 1) {
    Say("warning [%s]:  zipfile claims to be last disk of a multi-part archive;\n", ArchivePath.c_str());
    Raise(1);
  } else if (disk != 0) {
    Say("error [%s]:  zipfile is part of multi-disk archive\n", ArchivePath.c_str());
    Raise(11);
    return false;
  }
  Entries = ZipGet16(end + 10);
  uint32_t size = ZipGet32(end + 12), offset = ZipGet32(end + 16);
  int64_t extra = EndRecordAt - (static_cast<int64_t>(offset) + size);
  Shift = extra;
  if (extra < 0) {
    Say("error [%s]:  missing %lld bytes in zipfile\n", ArchivePath.c_str(), static_cast<long long>(-extra));
    Raise(2);
  } else if (extra > 0 && (offset != 0 || size == 0)) {
    Say("warning [%s]:  %lld extra bytes at beginning or within zipfile\n", ArchivePath.c_str(),
        static_cast<long long>(extra));
    Raise(1);
  } else if (extra > 0) {
    Say("error [%s]:  reported length of central directory is\n  %lld bytes too long\n",
        ArchivePath.c_str(), static_cast<long long>(extra));
    Raise(2);
  }
  if (size == 0 && offset == 0) {
    Say("warning [%s]:  zipfile is empty\n", ArchivePath.c_str());
    Raise(1);
    return false;
  }
  DirectoryStart = offset;
  return FindCentralDirectory();
}

// The directory is looked for where the shift puts it, then where its offset says.
bool ZIPEXTRACTOR::FindCentralDirectory() {
  unsigned char signature[4];
  if (Input->Seek(DirectoryStart + Shift) && Input->Read(signature, 4) == 4 &&
      memcmp(signature, kCentralSignature, 4) == 0) {
    DirectoryStart += Shift;
    return true;
  }
  if (Shift != 0 && Input->Seek(DirectoryStart) && Input->Read(signature, 4) == 4 &&
      memcmp(signature, kCentralSignature, 4) == 0) {
    Shift = 0;
    Raise(2);
    return true;
  }
  Say("error [%s]:  start of central directory not found;\n  zipfile corrupt.\n%s", ArchivePath.c_str(),
      "  (the archive is damaged or was copied in text mode)\n");
  Raise(3);
  return false;
}

void ZIPEXTRACTOR::ListRun() {
  Table.Clear();
  Input->Seek(DirectoryStart);
  for (unsigned i = 0; i < Entries; i++) {
    ZIPCENTRAL& record = Batch[0];
    if (!ReadCentral(record, i + 1)) return;
    if (!Table.Add(record.Name, record.Size)) {
      Say("error:  %s does not fit the entry table (%d members, names below %d characters)\n",
          record.Name, UNZIPTABLE_SLOTS - 1, UNZIPTABLE_NAMESIZE);
      Raise(2);
    }
  }
  EndAfterDirectory();
}

bool ZIPEXTRACTOR::EndAfterDirectory() {
  unsigned char signature[4];
  if (Input->Read(signature, 4) == 4 && memcmp(signature, kEndSignature, 4) == 0) return true;
  Say("\nnote:  didn't find end-of-central-dir signature at end of central dir.\n");
  Raise(1);
  return false;
}
