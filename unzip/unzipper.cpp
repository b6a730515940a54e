#include "unzip/unzipper.h"

#include <windows.h>
#include <direct.h>
#include <io.h>

#include <cstring>
#include <string>

#include "foundation/zolan.h"
#include "ids/unzip.h"
#include "platform/osys.h"
#include "ui/winmisc.h"
#include "unzip/zipextract.h"
#include "unzip/ziphostwin32.h"
#include "unzip/zippattern.h"

UNZIPTABLE gUnzipTable;

int unzip_main(int argc, const char* const* argv) {
  WIN32ZIPHOST host;
  return unzip_run(host, gUnzipTable, argc, argv);
}

namespace {

const int kQuestionSize = 1024;

void Slashes(STRING& text) {
  if (!text.NotNull()) return;
  for (char* c = text.Data(); *c; c++)
    if (*c == '\\') *c = '/';
}

// Calls each(field1, field2) for every "|" entry of the list, until it returns true.
template <class EACH>
bool AnyEntry(const STRING& list, EACH each) {
  if (!list.NotNull()) return false;
  std::string all(list.c_str());
  for (size_t start = 0; start <= all.size();) {
    size_t end = all.find('|', start);
    if (end == std::string::npos) end = all.size();
    std::string entry = all.substr(start, end - start);
    size_t semicolon = entry.find(';');
    std::string first = entry.substr(0, semicolon);
    std::string second = semicolon == std::string::npos ? "" : entry.substr(semicolon + 1);
    second = second.substr(0, second.find(';'));
    if (!first.empty() && each(first, second)) return true;
    start = end + 1;
  }
  return false;
}

bool Exists(const STRING& path) { return _access(path.c_str(), 0) == 0; }

// The question's text with its one "%s" filled in; the library text is never used as a
// printf format, so a stray "%" in a translation cannot read beyond the argument.
STRING Question(const char* shown) {
  STRING text = OSYS::GetStringFromResource(IDS_UNZIP_REPLACEQUESTION);
  std::string t = text.NotNull() ? text.c_str() : "";
  size_t at = t.find("%s");
  if (at != std::string::npos) t.replace(at, 2, shown);
  if (t.size() >= static_cast<size_t>(kQuestionSize)) t.resize(kQuestionSize - 1);
  return STRING(t.c_str());
}

// Creates the folders in front of every separator of the path but the last part; the
// extractor makes that one. A separator as third character follows a drive.
void MakeParents(const char* folder) {
  std::string path(folder);
  for (size_t i = 1; i < path.size(); i++)
    if ((path[i] == '\\' || path[i] == '/') && i != 2) _mkdir(path.substr(0, i).c_str());
}

// The extractor takes member names as patterns; a listed name holding "[", "*" or "?"
// would then match something else or nothing, and the run would report success with
// nothing written. Each such character goes into a set of its own, which matches exactly
// that character ("\" cannot quote it: the extractor reads every "\" as "/").
std::string Literal(const char* member) {
  std::string pattern;
  for (const char* c = member; *c; c++) {
    if (strchr("[*?", *c)) pattern += std::string("[") + *c + "]";
    else pattern += *c;
  }
  return pattern;
}

}  // namespace

UNZIPPER::UNZIPPER(const STRING& archive, const STRING& askOverwrite, const STRING& protectedFiles)
    : ArchivePath(archive), AskOverwrite(askOverwrite), ProtectedFiles(protectedFiles) {
  Slashes(AskOverwrite);
  Slashes(ProtectedFiles);
  gUnzipTable.Clear();
  const char* argv[] = {"unzip", "-v", ArchivePath.NotNull() ? ArchivePath.c_str() : ""};
  int error = unzip_run(Host, gUnzipTable, 3, argv);
  Logit("UNZIPPER::UNZIPPER archive=%s, rc=%d, members=%d, total=%lu\n", argv[2], error, gUnzipTable.Count,
        static_cast<unsigned long>(gUnzipTable.Total));
  ASSERT(error==FALSE, argv[2]);
  for (int i = 0; i < UNZIPTABLE_SLOTS; i++)
    for (char* c = gUnzipTable.Names[i]; c < gUnzipTable.Names[i] + UNZIPTABLE_NAMESIZE; c++)
      if (*c == '\\') *c = '/';
}

UNZIPPER::~UNZIPPER() {
  AskOverwrite.Free();
  ProtectedFiles.Free();
}

unsigned long UNZIPPER::GetTotalSize() const { return gUnzipTable.Total; }

unsigned long UNZIPPER::GetFirstFile(char* name) {
  Cursor = 0;
  return CopySlot(name);
}

unsigned long UNZIPPER::GetNextFile(char* name) { return CopySlot(name); }

unsigned long UNZIPPER::CopySlot(char* name) {
  if (Cursor >= UNZIPTABLE_SLOTS) {
    name[0] = 0;
    return 0;
  }
  memcpy(name, gUnzipTable.Names[Cursor], UNZIPTABLE_NAMESIZE);
  name[UNZIPTABLE_NAMESIZE - 1] = 0;
  return gUnzipTable.Sizes[Cursor++];
}

bool UNZIPPER::Protected(const char* member, const STRING& target) const {
  bool leave = false;
  AnyEntry(ProtectedFiles, [&](const std::string& first, const std::string&) {
    bool match = first.find_first_of("*?") != std::string::npos ? ZipMatch(first.c_str(), member, true)
                                                                : _stricmp(first.c_str(), member) == 0;
    if (match && Exists(target)) leave = true;
    return false;
  });
  return leave;
}

bool UNZIPPER::Declined(const char* member, const STRING& target) const {
  bool declined = false;
  AnyEntry(AskOverwrite, [&](const std::string& first, const std::string& second) {
    if (_stricmp(first.c_str(), member) != 0 || !Exists(target)) return false;
    STRING text = Question(second.empty() ? member : second.c_str());
    STRING title = OSYS::GetStringFromResource(IDS_UNZIP_REPLACETITLE);
    declined = !WINZOLAN::YesNoMsgBox(GetActiveWindow(), title.c_str(), text.c_str());
    return true;
  });
  return declined;
}

int UNZIPPER::ExtractFile(const char* member, const char* folder) {
  size_t length = strlen(folder);
  bool separator = length > 0 && (folder[length - 1] == '\\' || folder[length - 1] == '/');
  STRING target(folder);
  target.Append(separator ? "" : "\\");
  target.Append(member);
  if (Host.Kind(folder) == ZIPPATH_MISSING) MakeParents(folder);
  if (Protected(member, target) || Declined(member, target)) {
    Logit("UNZIPPER::ExtractFile member=%s, folder=%s, left alone\n", member, folder);
    return 1;
  }
  int rc = Run(member, folder);
  // A failure may come from what the host remembers of earlier runs (a folder removed since,
  // an archive on a dropped network drive): the run is repeated without it, so that the
  // result is the one a first run gives.
  if (rc != 0 && Host.Forget()) {
    Logit("UNZIPPER::ExtractFile member=%s, rc=%d, repeated afresh\n", member, rc);
    if (Host.Kind(folder) == ZIPPATH_MISSING) MakeParents(folder);
    rc = Run(member, folder);
  }
  Logit("UNZIPPER::ExtractFile member=%s, folder=%s, rc=%d\n", member, folder, rc);
  return rc == 0 ? 1 : 0;
}

int UNZIPPER::Run(const char* member, const char* folder) {
  std::string pattern = Literal(member);
  const char* argv[] = {"unzip", "-qq", ArchivePath.NotNull() ? ArchivePath.c_str() : "", pattern.c_str(), "-d", folder};
  return unzip_run(Host, gUnzipTable, 6, argv);
}
