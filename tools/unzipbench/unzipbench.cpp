// unzipbench [folder]: makes a 100 MB archive of 249 deflated members (half random bytes,
// half text) in folder (default: unzipbench below the current folder) and times, in one run,
//   a) the copy engine's pattern: one UNZIPPER listing plus one ExtractFile per member,
//   b) zlib raw inflate of the same members written with CreateFileA/WriteFile,
// each into an empty folder. Prints both (best of five rounds) and the ratio a/b.
#include <windows.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "foundation/zolan.h"
#include "unzip/unzipper.h"

namespace {

const int kMembers = 249;
const size_t kTotal = 100u * 1024 * 1024;
const int kRounds = 5;

struct MEMBER {
  std::string Name;
  uint32_t Offset;  // of the local header
  uint32_t Compressed;
  uint32_t Size;
  uint32_t Crc;
};

std::string Content(int index, size_t size, std::mt19937& random) {
  std::string data(size, '\0');
  if (index % 2 == 0) {
    for (char& c : data) c = static_cast<char>(random());
    return data;
  }
  static const char* words[] = {"install ", "folder ", "archive ", "member ", "setup ", "product ", "\r\n"};
  size_t at = 0;
  while (at < size) {
    const char* w = words[random() % 7];
    for (const char* c = w; *c && at < size; c++) data[at++] = *c;
  }
  return data;
}

std::string Deflate(const std::string& data) {
  z_stream zs;
  memset(&zs, 0, sizeof zs);
  deflateInit2(&zs, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&zs, data.size()), '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
  zs.avail_out = static_cast<uInt>(out.size());
  deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

void Put16(std::string& s, unsigned v) { s += static_cast<char>(v & 0xFF), s += static_cast<char>(v >> 8); }
void Put32(std::string& s, uint32_t v) { Put16(s, v & 0xFFFF), Put16(s, v >> 16); }

std::string Header(const MEMBER& m, bool central) {
  std::string h(central ? "PK\1\2" : "PK\3\4");
  if (central) Put16(h, 20);
  Put16(h, 20), Put16(h, 0), Put16(h, 8), Put16(h, 0x6000), Put16(h, 0x5A21);
  Put32(h, m.Crc), Put32(h, m.Compressed), Put32(h, m.Size);
  Put16(h, static_cast<unsigned>(m.Name.size())), Put16(h, 0);
  if (central) Put16(h, 0), Put16(h, 0), Put16(h, 0), Put32(h, 0x20), Put32(h, m.Offset);
  return h + m.Name;
}

bool MakeArchive(const std::string& path, std::vector<MEMBER>& members) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  std::mt19937 random(2026);
  uint32_t offset = 0;
  for (int i = 0; i < kMembers; i++) {
    MEMBER m;
    m.Name = "data/" + std::string(i % 2 ? "text" : "random") + std::to_string(i) + ".bin";
    std::string data = Content(i, kTotal / kMembers, random);
    std::string packed = Deflate(data);
    m.Offset = offset, m.Compressed = static_cast<uint32_t>(packed.size());
    m.Size = static_cast<uint32_t>(data.size());
    m.Crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), m.Size);
    std::string local = Header(m, false);
    fwrite(local.data(), 1, local.size(), f);
    fwrite(packed.data(), 1, packed.size(), f);
    offset += static_cast<uint32_t>(local.size() + packed.size());
    members.push_back(m);
  }
  std::string directory;
  for (const MEMBER& m : members) directory += Header(m, true);
  std::string end("PK\5\6");
  Put16(end, 0), Put16(end, 0), Put16(end, kMembers), Put16(end, kMembers);
  Put32(end, static_cast<uint32_t>(directory.size())), Put32(end, offset), Put16(end, 0);
  fwrite(directory.data(), 1, directory.size(), f);
  fwrite(end.data(), 1, end.size(), f);
  return fclose(f) == 0;
}

double Seconds(LARGE_INTEGER from) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - from.QuadPart) / frequency.QuadPart;
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName, path = folder + "\\" + name;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
      else DeleteFileA(path.c_str());
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
  RemoveDirectoryA(folder.c_str());
}

double WithUnzipper(const std::string& archive, const std::string& folder) {
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  UNZIPPER zip(archive.c_str(), "<NULL>", "<NULL>");
  char name[UNZIPTABLE_NAMESIZE];
  int failed = 0;
  for (zip.GetFirstFile(name); name[0]; zip.GetNextFile(name)) failed += zip.ExtractFile(name, folder.c_str()) != 1;
  double seconds = Seconds(start);
  if (failed) fprintf(stderr, "unzipbench: %d members failed\n", failed);
  return seconds;
}

bool InflateMember(HANDLE in, const MEMBER& m, const std::string& path, std::string& packed, std::string& out) {
  LARGE_INTEGER at;
  at.QuadPart = m.Offset + 30 + m.Name.size();
  DWORD got = 0;
  packed.resize(m.Compressed);
  if (!SetFilePointerEx(in, at, nullptr, FILE_BEGIN) || !ReadFile(in, &packed[0], m.Compressed, &got, nullptr))
    return false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  z_stream zs;
  memset(&zs, 0, sizeof zs);
  inflateInit2(&zs, -MAX_WBITS);
  zs.next_in = reinterpret_cast<Bytef*>(&packed[0]);
  zs.avail_in = got;
  int rc = Z_OK;
  while (rc == Z_OK) {
    zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zs.avail_out = static_cast<uInt>(out.size());
    rc = inflate(&zs, Z_NO_FLUSH);
    DWORD written;
    WriteFile(file, out.data(), static_cast<DWORD>(out.size() - zs.avail_out), &written, nullptr);
  }
  inflateEnd(&zs);
  CloseHandle(file);
  return rc == Z_STREAM_END;
}

double WithInflate(const std::string& archive, const std::vector<MEMBER>& members, const std::string& folder) {
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  HANDLE in = CreateFileA(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  std::string packed, out(256 * 1024, '\0');
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA((folder + "\\data").c_str(), nullptr);
  int failed = 0;
  for (const MEMBER& m : members) failed += !InflateMember(in, m, folder + "\\" + m.Name, packed, out);
  CloseHandle(in);
  double seconds = Seconds(start);
  if (failed) fprintf(stderr, "unzipbench: %d members failed to inflate\n", failed);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  LogitOption("/NOASSERT");  // a failed listing is reported below, not asked about
  std::string folder = argc > 1 ? argv[1] : "unzipbench";
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string archive = folder + "\\bench.zip";
  std::vector<MEMBER> members;
  printf("making %s (%d members, %u MB)...\n", archive.c_str(), kMembers, static_cast<unsigned>(kTotal >> 20));
  if (!MakeArchive(archive, members)) {
    fprintf(stderr, "unzipbench: cannot write %s\n", archive.c_str());
    return 1;
  }
  double a = 1e9, b = 1e9;
  for (int round = 0; round < kRounds; round++) {
    std::string outA = folder + "\\a", outB = folder + "\\b";
    RemoveTree(outA), RemoveTree(outB);
    // Alternating the order spreads the cost of the system writing back the previous
    // round's output evenly over both.
    double ta = 0, tb = 0;
    if (round % 2) ta = WithUnzipper(archive, outA);
    tb = WithInflate(archive, members, outB);
    if (round % 2 == 0) ta = WithUnzipper(archive, outA);
    printf("round %d: a %.3f s, b %.3f s\n", round + 1, ta, tb);
    a = ta < a ? ta : a;
    b = tb < b ? tb : b;
  }
  printf("a (UNZIPPER listing + ExtractFile per member): %.3f s\n", a);
  printf("b (raw inflate + CreateFileA/WriteFile):        %.3f s\n", b);
  printf("ratio a/b: %.2f (target <= 1.25)\n", a / b);
  RemoveTree(folder + "\\a"), RemoveTree(folder + "\\b");
  DeleteFileA(archive.c_str());
  return 0;
}
