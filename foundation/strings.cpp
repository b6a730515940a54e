// STRING: growth, the 96-byte buffer pool, and every text operation of the system.
#include "foundation/strings.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <share.h>
#include <string>
#include <sys/stat.h>
#include <windows.h>

#include "foundation/zolan.h"
#include "platform/osys.h"

namespace {

const char kNullText[] = "<NULL>";
const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// ---------------------------------------------------------------------------------------------
// Buffer pool: most strings of the program are short, so their 96-byte buffers are recycled
// instead of going back to the heap.
const int kPoolBufferSize = 96;
const int kPoolCapacity = 127;

// Every member has a constant initialiser, so the pool is ready before any constructor of a
// process-wide STRING runs.
struct BUFFERPOOL {
  INIT_ONCE once = INIT_ONCE_STATIC_INIT;
  CRITICAL_SECTION lock{};
  std::atomic<bool> closed{false};
  char* held[kPoolCapacity] = {};
  int count = 0;
};
BUFFERPOOL gPool;

BOOL CALLBACK PoolInit(PINIT_ONCE, PVOID, PVOID*) {
  InitializeCriticalSection(&gPool.lock);
  return TRUE;
}

char* PoolObtain(int size) {
  if (gPool.closed) return static_cast<char*>(malloc(size));
  InitOnceExecuteOnce(&gPool.once, PoolInit, nullptr, nullptr);
  char* ptr = nullptr;
  EnterCriticalSection(&gPool.lock);
  if (size == kPoolBufferSize && gPool.count > 0) {
    ptr = gPool.held[--gPool.count];
    gPool.held[gPool.count] = nullptr;
    ASSERT(ptr, "");
  }
  LeaveCriticalSection(&gPool.lock);
  return ptr ? ptr : static_cast<char*>(malloc(size));
}

void PoolReturn(char* buffer, int size) {
  if (!buffer) return;
  if (gPool.closed) {
    free(buffer);
    return;
  }
  InitOnceExecuteOnce(&gPool.once, PoolInit, nullptr, nullptr);
  EnterCriticalSection(&gPool.lock);
  if (size == kPoolBufferSize && gPool.count < kPoolCapacity) {
    gPool.held[gPool.count++] = buffer;
    buffer = nullptr;
  }
  LeaveCriticalSection(&gPool.lock);
  free(buffer);
}

// ---------------------------------------------------------------------------------------------
// Null-text mode: bit 1 = no "<NULL>" substitute, bit 2 = also raise the assertion.
std::atomic<int> gNullTextMode{0};

inline unsigned char Lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }
inline unsigned char Upper(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }

// Lexicographic comparison of two byte ranges, letters A-Z without regard to case.
int CompareNoCase(const char* a, int alen, const char* b, int blen) {
  int n = alen < blen ? alen : blen;
  for (int i = 0; i < n; i++) {
    int d = Lower(static_cast<unsigned char>(a[i])) - Lower(static_cast<unsigned char>(b[i]));
    if (d) return d;
  }
  return alen - blen;
}

// Bytes and length an operation reads from a string; a null string reads as the substitute.
struct TEXTVIEW {
  const char* p;
  int len;
};
TEXTVIEW ViewOf(const STRING& s, const char* operation) {
  if (s.NotNull()) return {s.c_str(), s.Length()};
  const char* p = StringNullCheck(nullptr, operation);
  return {p, static_cast<int>(strlen(p))};
}
TEXTVIEW ViewOf(const char* text, const char* operation) {
  const char* p = StringNullCheck(text, operation);
  return {p, static_cast<int>(strlen(p))};
}

// Position of needle in hay at or after start; -1 when start is past the text or not found.
int Search(TEXTVIEW hay, TEXTVIEW needle, int start, bool caseSensitive) {
  if (start < 0) start = 0;
  if (start >= hay.len) return -1;
  for (int i = start; i + needle.len <= hay.len; i++) {
    if (caseSensitive ? memcmp(hay.p + i, needle.p, needle.len) == 0
                      : CompareNoCase(hay.p + i, needle.len, needle.p, needle.len) == 0)
      return i;
  }
  return -1;
}

bool InSet(const char* set, unsigned char c) {
  return set && c != 0 && strchr(set, c) != nullptr;
}

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  return Lower(c) - 'a' + 10;
}

// Value of the two hexadecimal digits after position i (the "x"), advancing i past those
// that are digits; a missing or foreign digit raises the assertion and stays text.
int HexPair(const char* text, int len, int& i) {
  int value = 0;
  for (int k = 0; k < 2; k++) {
    unsigned char d = i + 1 < len ? static_cast<unsigned char>(text[i + 1]) : 0;
    bool ok = isxdigit(d) != 0;
    ASSERTTEXT(ok, k == 0 ? "isxdigit(xdigit[0])" : "isxdigit(xdigit[1])", text);
    if (!ok) break;
    value = value * 16 + HexValue(d);
    i++;
  }
  return value;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
const char* StringNullCheck(const char* p, const char* operation) {
  if (p) return p;
  if (const char* env = getenv("ZOLANFAILONNULL")) gNullTextMode = atoi(env);
  int mode = gNullTextMode;
  if (!(mode & 1)) return kNullText;
  if (mode & 2) ASSERTTEXT(0, "p!=NULL", operation ? operation : "<none>");
  // Without a substitute the operation works on an empty text, which no caller can trip on.
  return "";
}

void STRING::ShutdownPool() {
  if (gPool.closed) return;
  InitOnceExecuteOnce(&gPool.once, PoolInit, nullptr, nullptr);
  EnterCriticalSection(&gPool.lock);
  while (gPool.count > 0) {
    free(gPool.held[--gPool.count]);
    gPool.held[gPool.count] = nullptr;
  }
  gPool.closed = true;
  LeaveCriticalSection(&gPool.lock);
  DeleteCriticalSection(&gPool.lock);
}

// ---------------------------------------------------------------------------------------------
STRING::STRING() : STRING(BLOCKSIZE, STRING_DEFAULT_BLOCKSIZE) {}

STRING::STRING(BLOCKSIZE_TAG, int blockSize)
    : Buffer(nullptr), StrLen(0), BufLen(0),
      BlockSize(blockSize > 0 ? blockSize : STRING_DEFAULT_BLOCKSIZE), Flags(0) {}

STRING::STRING(const char* text) : STRING() {
  if (text) Make(static_cast<int>(strlen(text)), text);
}

STRING::STRING(const void* data, int length, int blockSize) : STRING(BLOCKSIZE, blockSize) {
  if (data) Make(length, data);
}

STRING::STRING(int value) : STRING() { Format("%d", value); }
STRING::STRING(long value) : STRING() { Format("%ld", value); }
STRING::STRING(unsigned long value) : STRING() { Format("%lu", value); }

STRING::STRING(const STRING& other) : STRING(BLOCKSIZE, other.BlockSize) {
  Flags = other.Flags;
  if (other.Buffer) Make(other.StrLen, other.Buffer);
}

STRING::STRING(STRING&& other) noexcept
    : Buffer(other.Buffer), StrLen(other.StrLen), BufLen(other.BufLen),
      BlockSize(other.BlockSize), Flags(other.Flags) {
  other.Buffer = nullptr;
  other.StrLen = other.BufLen = 0;
}

STRING::~STRING() { Free(); }

STRING& STRING::operator=(const STRING& other) {
  if (this == &other) return *this;
  if (other.Buffer)
    Make(other.StrLen, other.Buffer);
  else
    Free();
  Flags = other.Flags;
  return *this;
}

STRING& STRING::operator=(STRING&& other) noexcept {
  if (this == &other) return *this;
  Free();
  Buffer = other.Buffer;
  StrLen = other.StrLen;
  BufLen = other.BufLen;
  Flags = other.Flags;
  other.Buffer = nullptr;
  other.StrLen = other.BufLen = 0;
  return *this;
}

STRING& STRING::operator=(const char* text) {
  if (!text)
    Free();
  else if (text != Buffer)
    Make(static_cast<int>(strlen(text)), text);
  Flags = 0;
  return *this;
}

void STRING::Free() {
  PoolReturn(Buffer, BufLen);
  Buffer = nullptr;
  StrLen = BufLen = 0;
}

// ---------------------------------------------------------------------------------------------
// Replaces the buffer by one that holds l bytes and the terminator; false (object unchanged)
// when the size cannot be represented or allocated.
static bool GrowBuffer(STRING& s, int l) {
  if (s.BlockSize <= 0) s.BlockSize = STRING_DEFAULT_BLOCKSIZE;
  long long size = (static_cast<long long>(l) + 1) / s.BlockSize + 1;
  size *= s.BlockSize;
  char* buffer = size <= 0x7fffffff ? PoolObtain(static_cast<int>(size)) : nullptr;
  if (!buffer) {
    ASSERT(buffer, "");
    return false;
  }
  int newSize = static_cast<int>(size);
  memset(buffer, 0, newSize);
  if (s.Buffer) memcpy(buffer, s.Buffer, s.StrLen < newSize ? s.StrLen : newSize);
  PoolReturn(s.Buffer, s.BufLen);
  s.Buffer = buffer;
  s.BufLen = newSize;

  if (s.Flags & STRINGFLAG_DYNABLOCK) {
    int block = newSize / 2;
    if (block >= 0x20000)
      block = 0x20000;
    else if (block >= 4096)
      block = (block + 1023) / 1024 * 1024;
    if (block != s.BlockSize) {
      s.BlockSize = block;
      Logit("STRING::Make STRINGFLAG_DYNABLOCK new blocksize %d\n", block);
    }
  } else if (newSize >= 32768) {
    s.Flags |= STRINGFLAG_DYNABLOCK;
    s.BlockSize = 16382;
    Logit("STRING::Make Upgrade String to STRINGFLAG_DYNABLOCK\n");
  } else if (newSize >= 8192) {
    s.BlockSize = 4096;
  } else if (newSize >= 4096) {
    s.BlockSize = 2048;
  } else if (newSize >= 1024) {
    s.BlockSize = 1024;
  }
  return true;
}

void STRING::Make(int l, const void* data) {
  if (l < 0) return;
  const char* src = static_cast<const char*>(data);
  // Data that lies in our own buffer must survive the buffer's replacement.
  bool own = src && Buffer && src >= Buffer && src < Buffer + BufLen;
  ptrdiff_t ownOffset = own ? src - Buffer : 0;
  if (BufLen < l + 1 && !GrowBuffer(*this, l)) return;
  if (own) src = Buffer + ownOffset;
  if (src) {
    if (BufLen < l + 1) {
      ASSERT(this->BufLen>=(l+1), "");
      return;
    }
    memmove(Buffer, src, l);
  }
  // Bytes past the length stay zero, so growing without data never exposes old bytes.
  if (StrLen > l) memset(Buffer + l, 0, StrLen - l);
  Buffer[l] = 0;
  StrLen = l;
}

// ---------------------------------------------------------------------------------------------
char& STRING::At(int i) {
  if (i >= 0 && i < StrLen) return Buffer[i];
  char info[128];
  snprintf(info, sizeof(info), "i= %d, len= %d, buf= %.60s", i, StrLen, Buffer ? Buffer : kNullText);
  ASSERTTEXT(0, "i>=0 && i<this->StrLen", info);
  // The spare byte is handed out per thread and cleared each time, so a caller that writes
  // through it cannot disturb anyone else.
  static thread_local char spare;
  spare = 0;
  return spare;
}

char& STRING::AtEnd(int i) {
  if (Buffer && i >= 0 && i <= StrLen) return Buffer[i];
  char info[128];
  snprintf(info, sizeof(info), "i= %d, len= %d, buf= %.60s", i, StrLen, Buffer ? Buffer : kNullText);
  ASSERTTEXT(0, "i>=0 && i<=this->StrLen", info);
  static thread_local char spare;
  spare = 0;
  return spare;
}

void STRING::SetLength(int newLength) {
  if (newLength < 0) {
    ASSERTTEXT(0, "newlength>=0", "");
    return;
  }
  if (!Buffer || newLength >= StrLen) return;
  Make(newLength);
}

void STRING::DeleteLeft(int howmany) {
  if (howmany < 0) {
    ASSERT(howmany>=0, "");
    return;
  }
  if (howmany == 0 || !Buffer) return;
  if (howmany >= StrLen) {
    Make(0);
    return;
  }
  Make(StrLen - howmany, Buffer + howmany);
}

void STRING::DeleteRight(int howmany) {
  if (howmany < 0) {
    ASSERT(howmany>=0, "");
    return;
  }
  if (howmany == 0 || !Buffer) return;
  Make(howmany >= StrLen ? 0 : StrLen - howmany);
}

void STRING::Delete(int howmany, int pos) {
  if (howmany < 0) {
    ASSERT(howmany>=0, "");
    return;
  }
  if (howmany == 0 || pos < 0 || pos >= StrLen) return;
  if (howmany >= StrLen - pos) {
    Make(pos);
    return;
  }
  memmove(Buffer + pos, Buffer + pos + howmany, StrLen - pos - howmany);
  Make(StrLen - howmany);
}

void STRING::InsertChars(int howmany, int pos, char ch) {
  if (howmany < 0) {
    ASSERT(howmany>=0, "");
    return;
  }
  if (howmany == 0 || pos < 0 || pos >= StrLen) return;
  if (howmany > 0x7ffffffe - StrLen) return;
  int oldLen = StrLen;
  Make(oldLen + howmany);
  if (StrLen != oldLen + howmany) return;
  memmove(Buffer + pos + howmany, Buffer + pos, oldLen - pos);
  memset(Buffer + pos, ch, howmany);
}

void STRING::Insert(const char* text, int pos) {
  if (text == Buffer) {
    ASSERT(text!=this->Buffer, "");
    return;
  }
  if (pos < 0 || pos > StrLen) return;
  TEXTVIEW add = ViewOf(text, "Insert");
  // A piece of our own buffer is copied first: growing would free the bytes it points to.
  std::string copy(add.p, add.len);
  int oldLen = StrLen;
  Make(oldLen + add.len);
  if (StrLen != oldLen + add.len) return;
  memmove(Buffer + pos + add.len, Buffer + pos, oldLen - pos);
  memcpy(Buffer + pos, copy.data(), add.len);
}

void STRING::Append(const char* text, int n) {
  const char* p = StringNullCheck(text, "STRING::Append op1");
  if (!text) n = -1;
  AppendBytes(p, n < 0 ? static_cast<int>(strlen(p)) : n);
}

void STRING::Append(const STRING& text) {
  TEXTVIEW add = ViewOf(text, "STRING::Append op1");
  AppendBytes(add.p, add.len);
}

void STRING::AppendBytes(const void* data, int n) {
  if (n < 0 || (!data && n > 0) || n > 0x7ffffffe - StrLen) return;
  const char* src = static_cast<const char*>(data);
  bool own = src && Buffer && src >= Buffer && src < Buffer + BufLen;
  ptrdiff_t ownOffset = own ? src - Buffer : 0;
  int oldLen = StrLen;
  Make(oldLen + n);
  if (StrLen != oldLen + n) return;
  if (own) src = Buffer + ownOffset;
  if (n) memmove(Buffer + oldLen, src, n);
}

void STRING::ToLower() {
  if (!Buffer) {
    StringNullCheck(nullptr, "ToLower");
    return;
  }
  for (int i = 0; i < StrLen; i++) Buffer[i] = Lower(static_cast<unsigned char>(Buffer[i]));
}

void STRING::ToUpper() {
  if (!Buffer) {
    StringNullCheck(nullptr, "ToUpper");
    return;
  }
  for (int i = 0; i < StrLen; i++) Buffer[i] = Upper(static_cast<unsigned char>(Buffer[i]));
}

// ---------------------------------------------------------------------------------------------
int STRING::Pos(const char* text, int start) const {
  return Search(ViewOf(*this, "Pos Buffer"), ViewOf(text, "Pos str"), start, true);
}

int STRING::iPos(const char* text, int start) const {
  return Search(ViewOf(*this, "iPos Buffer"), ViewOf(text, "iPos str"), start, false);
}

bool STRING::Find(const char* text, int* position, int start) const {
  int p = Pos(text, start);
  if (position) *position = p;
  return p >= 0;
}

bool STRING::iFind(const char* text, int* position, int start) const {
  int p = iPos(text, start);
  if (position) *position = p;
  return p >= 0;
}

STRING STRING::Mid(int pos, int count) const {
  if (pos < 0) pos = 0;
  if (pos >= StrLen) return STRING("");
  int rest = StrLen - pos;
  if (count < 0 || count > rest) count = rest;
  return STRING(Buffer + pos, count);
}

STRING STRING::Left(int n) const { return Mid(0, n); }

STRING STRING::Right(int n) const {
  int pos = StrLen - n;
  return Mid(pos > 0 ? pos : 0, n);
}

void STRING::Replace(const char* find, const char* replacement, int caseSensitive) {
  if (!Buffer || !find || !*find) return;
  TEXTVIEW with = ViewOf(replacement, "Replace");
  TEXTVIEW what = {find, static_cast<int>(strlen(find))};
  if (what.len == with.len && memcmp(what.p, with.p, what.len) == 0) return;
  // Built in one pass; the text that replacements insert is never searched again.
  STRING result(BLOCKSIZE, BlockSize);
  result.Make(0);
  TEXTVIEW self = {Buffer, StrLen};
  int p = 0;
  for (;;) {
    int hit = Search(self, what, p, caseSensitive != 0);
    if (hit < 0) break;
    result.AppendBytes(Buffer + p, hit - p);
    result.AppendBytes(with.p, with.len);
    p = hit + what.len;
  }
  if (p == 0) return;
  result.AppendBytes(Buffer + p, StrLen - p);
  Make(result.StrLen, result.Buffer);
}

void STRING::Strip(char how, const char* set) {
  how = static_cast<char>(Upper(static_cast<unsigned char>(how)));
  if (how != 'L' && how != 'R' && how != 'B') {
    ASSERT(how=='L' || how=='R' || how=='B', "");
    return;
  }
  if (!Buffer || !set) return;
  int begin = 0, end = StrLen;
  if (how != 'R')
    while (begin < end && InSet(set, Buffer[begin])) begin++;
  if (how != 'L')
    while (end > begin && InSet(set, Buffer[end - 1])) end--;
  if (begin == 0 && end == StrLen) return;
  Make(end - begin, Buffer + begin);
}

STRING STRING::GetToken(int n, const char* separators, unsigned flags) const {
  int start = 0;
  bool found = Buffer != nullptr && n >= 0;
  for (int skipped = 0; found && skipped < n; skipped++) {
    while (start < StrLen && !InSet(separators, Buffer[start])) start++;
    if (start >= StrLen) found = false;
    start++;
  }
  if (!found) return (flags & GETTOKEN_NOTNULL) ? STRING("") : STRING();
  int end = start;
  if (flags & 0xffff)
    end = StrLen;
  else
    while (end < StrLen && !InSet(separators, Buffer[end])) end++;
  return STRING(Buffer + start, end - start);
}

STRING STRING::GetLine(int n, unsigned flags) const { return GetToken(n, "\n", flags); }

// ---------------------------------------------------------------------------------------------
bool STRING::operator==(const STRING& other) const {
  if (!Buffer || !other.Buffer) return !Buffer && !other.Buffer;
  return CompareNoCase(Buffer, StrLen, other.Buffer, other.StrLen) == 0;
}

bool STRING::operator==(const char* text) const {
  if (!Buffer || !text) return !Buffer && !text;
  return CompareNoCase(Buffer, StrLen, text, static_cast<int>(strlen(text))) == 0;
}

static int Compare(const STRING& a, TEXTVIEW b) {
  TEXTVIEW va = ViewOf(a, "stricmp p1");
  return CompareNoCase(va.p, va.len, b.p, b.len);
}

bool STRING::operator<(const STRING& other) const {
  return Compare(*this, ViewOf(other, "stricmp p2")) < 0;
}
bool STRING::operator<(const char* text) const {
  return Compare(*this, ViewOf(text, "stricmp p2")) < 0;
}
bool STRING::operator>(const STRING& other) const {
  return Compare(*this, ViewOf(other, "stricmp p2")) > 0;
}
bool STRING::operator>(const char* text) const {
  return Compare(*this, ViewOf(text, "stricmp p2")) > 0;
}

static STRING Concat(TEXTVIEW left, TEXTVIEW right) {
  STRING result;
  result.Make(0);
  result.AppendBytes(left.p, left.len);
  result.AppendBytes(right.p, right.len);
  return result;
}

static TEXTVIEW LeftOperand(const char* p, int len) {
  return p ? TEXTVIEW{p, len} : TEXTVIEW{"", 0};
}

STRING operator||(const STRING& left, const STRING& right) {
  return Concat(LeftOperand(left.c_str(), left.Length()), ViewOf(right, "STR::op2||"));
}
STRING operator||(const STRING& left, const char* right) {
  return Concat(LeftOperand(left.c_str(), left.Length()), ViewOf(right, "STR::op2||"));
}
STRING operator||(const char* left, const STRING& right) {
  return Concat(LeftOperand(left, left ? static_cast<int>(strlen(left)) : 0),
                ViewOf(right, "STR::op2||"));
}

// ---------------------------------------------------------------------------------------------
// Formats into a local buffer of the given size; a result too long for it raises the assertion
// and is then stored complete, so the caller loses nothing.
template <int kSize>
static int FormatInto(STRING& s, bool append, const char* format, va_list args) {
  char buf[kSize];
  va_list again;
  va_copy(again, args);
  int rc = vsnprintf(buf, sizeof(buf), format ? format : kNullText, args);
  if (rc < 0) {
    va_end(again);
    return rc;
  }
  int base = append ? s.Length() : 0;
  if (rc < static_cast<int>(sizeof(buf)) - 1) {
    if (append)
      s.AppendBytes(buf, rc);
    else
      s.Make(rc, buf);
  } else {
    ASSERTTEXT(0, "rc<sizeof(buf)-1", format);
    if (rc <= 0x7ffffffe - base) {
      s.Make(base + rc);
      if (s.Length() == base + rc) vsnprintf(s.Buffer + base, rc + 1, format, again);
    }
  }
  va_end(again);
  return rc;
}

int STRING::FormatV(const char* format, va_list args) {
  return FormatInto<2048>(*this, false, format, args);
}

int STRING::AppendFormatV(const char* format, va_list args) {
  return FormatInto<4096>(*this, true, format, args);
}

int STRING::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  int rc = FormatV(format, args);
  va_end(args);
  return rc;
}

int STRING::AppendFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  int rc = AppendFormatV(format, args);
  va_end(args);
  return rc;
}

// ---------------------------------------------------------------------------------------------
int STRING::ToInt() const {
  TEXTVIEW v = ViewOf(*this, "atoi");
  return static_cast<int>(strtol(v.p, nullptr, 10));
}

double STRING::ToDouble() const {
  TEXTVIEW v = ViewOf(*this, "atof");
  // Only plain decimal notation counts: strtod alone would also read "inf", "nan" and hex.
  const char* p = v.p;
  const char* end = v.p + v.len;
  while (p < end && (*p == ' ' || *p == '\t')) p++;
  const char* begin = p;
  if (p < end && (*p == '+' || *p == '-')) p++;
  int digits = 0;
  while (p < end && isdigit(static_cast<unsigned char>(*p))) p++, digits++;
  if (p < end && *p == '.') {
    p++;
    while (p < end && isdigit(static_cast<unsigned char>(*p))) p++, digits++;
  }
  if (!digits) return 0.0;
  if (p < end && (*p == 'e' || *p == 'E')) {
    const char* e = p + 1;
    if (e < end && (*e == '+' || *e == '-')) e++;
    if (e < end && isdigit(static_cast<unsigned char>(*e))) {
      while (e < end && isdigit(static_cast<unsigned char>(*e))) e++;
      p = e;
    }
  }
  return strtod(std::string(begin, p).c_str(), nullptr);
}

void STRING::SetWide(const char* text, int n) {
  TEXTVIEW v = ViewOf(text, "SetWide");
  if (n < 0 || n > v.len) n = v.len;
  if (n > 0x3ffffffe) return;
  std::string copy(v.p, n);
  Make(2 * n + 1);
  if (StrLen != 2 * n + 1) return;
  for (int i = 0; i < n; i++) {
    Buffer[2 * i] = copy[i];
    Buffer[2 * i + 1] = 0;
  }
  Buffer[2 * n] = 0;
  // The second zero byte of the wide terminator lies just past the length.
  StrLen = 2 * n;
}

void STRING::Escape(STRING& out, const char* extra) const {
  if (!Buffer) {
    out.Free();
    return;
  }
  static const char digits[] = "0123456789abcdef";
  STRING result;
  result.Make(0);
  for (int i = 0; i < StrLen; i++) {
    unsigned char c = static_cast<unsigned char>(Buffer[i]);
    char esc[4] = {'\\', 0, 0, 0};
    int n = 2;
    switch (c) {
      case '\\': esc[1] = '\\'; break;
      case 0: esc[1] = '0'; break;
      case 13: esc[1] = 'r'; break;
      case 10: esc[1] = 'n'; break;
      case 9: esc[1] = 't'; break;
      case 26: esc[1] = 'z'; break;
      default:
        if (c >= 32 && c <= 127 && !InSet(extra, c)) {
          esc[0] = static_cast<char>(c);
          n = 1;
        } else {
          esc[1] = 'x';
          esc[2] = digits[c >> 4];
          esc[3] = digits[c & 15];
          n = 4;
        }
    }
    result.AppendBytes(esc, n);
  }
  out.Make(result.StrLen, result.Buffer);
}

void STRING::Unescape(STRING& out, int keepUnknown) const {
  if (!Buffer) {
    out.Free();
    return;
  }
  STRING result;
  result.Make(0);
  for (int i = 0; i < StrLen; i++) {
    char c = Buffer[i];
    if (c != '\\') {
      result.AppendBytes(&c, 1);
      continue;
    }
    if (i + 1 >= StrLen) {
      // A backslash that ends the text escapes nothing.
      if (keepUnknown)
        result.AppendBytes("\\", 1);
      else
        ASSERTTEXT(0, "FALSE", Buffer);
      break;
    }
    char next = Buffer[++i];
    switch (next) {
      case '0': c = 0; break;
      case '\\': c = '\\'; break;
      case 'n': c = 10; break;
      case 'r': c = 13; break;
      case 't': c = 9; break;
      case 'z': c = 26; break;
      case 'x': c = static_cast<char>(HexPair(Buffer, StrLen, i)); break;
      default:
        if (keepUnknown)
          result.AppendBytes("\\", 1);
        else
          ASSERTTEXT(0, "FALSE", Buffer);
        c = next;
    }
    result.AppendBytes(&c, 1);
  }
  out.Make(result.StrLen, result.Buffer);
}

void STRING::ToHex(STRING& out) const {
  if (!Buffer) {
    out.Free();
    return;
  }
  static const char digits[] = "0123456789abcdef";
  STRING result;
  result.Make(0);
  for (int i = 0; i < StrLen; i++) {
    unsigned char c = static_cast<unsigned char>(Buffer[i]);
    char pair[2] = {digits[c >> 4], digits[c & 15]};
    result.AppendBytes(pair, 2);
  }
  out.Make(result.StrLen, result.Buffer);
}

void STRING::ToBase64(STRING& out, int lineBreaks) const {
  if (!Buffer) {
    out.Free();
    return;
  }
  STRING result;
  result.Make(0);
  int lineLen = 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(Buffer);
  for (int i = 0; i < StrLen; i += 3) {
    int n = StrLen - i < 3 ? StrLen - i : 3;
    unsigned v = p[i] << 16 | (n > 1 ? p[i + 1] << 8 : 0) | (n > 2 ? p[i + 2] : 0);
    char group[4] = {kBase64Alphabet[v >> 18 & 63], kBase64Alphabet[v >> 12 & 63],
                     n > 1 ? kBase64Alphabet[v >> 6 & 63] : '=', n > 2 ? kBase64Alphabet[v & 63] : '='};
    if (lineBreaks && lineLen + 4 > 76) {
      result.AppendBytes("\r\n", 2);
      lineLen = 0;
    }
    result.AppendBytes(group, 4);
    lineLen += 4;
  }
  if (lineBreaks && lineLen > 0) result.AppendBytes("\r\n", 2);
  out.Make(result.StrLen, result.Buffer);
}

void STRING::FromBase64(STRING& out) const {
  if (!Buffer) {
    out.Free();
    return;
  }
  STRING result;
  result.Make(0);
  unsigned value = 0;
  int collected = 0;
  bool closed = false;
  for (int i = 0; i < StrLen && !closed; i++) {
    char c = Buffer[i];
    if (c == '=') {
      closed = true;
      break;
    }
    const char* at = c ? strchr(kBase64Alphabet, c) : nullptr;
    if (!at) continue;
    value = value << 6 | static_cast<unsigned>(at - kBase64Alphabet);
    if (++collected == 4) {
      char bytes[3] = {static_cast<char>(value >> 16), static_cast<char>(value >> 8),
                       static_cast<char>(value)};
      result.AppendBytes(bytes, 3);
      value = 0;
      collected = 0;
    }
  }
  if (closed && collected >= 2) {
    value <<= 6 * (4 - collected);
    char bytes[2] = {static_cast<char>(value >> 16), static_cast<char>(value >> 8)};
    result.AppendBytes(bytes, collected - 1);
  }
  out.Make(result.StrLen, result.Buffer);
}

// ---------------------------------------------------------------------------------------------
int STRING::Save(const char* path, const char* mode) const {
  const char* name = StringNullCheck(path, "STRING::Save");
  Logit("BINARY::Save %s\n", name);
  FILE* file = _fsopen(name, mode ? mode : "w", _SH_DENYRW);
  int written = -1;
  bool ok = false;
  if (file) {
    written = StrLen > 0 ? static_cast<int>(fwrite(Buffer, 1, StrLen, file)) : 0;
    // A short write or a failed flush at close means the file does not hold the text.
    ok = written == StrLen;
    if (fclose(file) != 0) ok = false;
  }
  Logit("BINARY::Save returns %08x, %d bytes, %s\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(file)),
        written, OSYS::ErrorText(OSYS_LASTERROR).c_str());
  return ok ? 1 : 0;
}

int STRING::Load(const char* path, const char* mode) {
  const char* name = StringNullCheck(path, "STRING::Load");
  struct _stati64 info;
  long long size = _stati64(name, &info) == 0 ? info.st_size : -1;
  Logit("BINARY::Load %s (%d bytes)\n", name, static_cast<int>(size));
  FILE* file = _fsopen(name, mode ? mode : "r", _SH_DENYWR);
  bool ok = false;
  STRING content(BLOCKSIZE, BlockSize);
  if (file) {
    content.Make(0);
    char chunk[8192];
    // Text mode may hand out less than a chunk before the end (CR LF become one byte), so
    // only an empty read ends the file.
    size_t got;
    while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0)
      content.AppendBytes(chunk, static_cast<int>(got));
    // A read error must not pass for the whole file: the content then stays as it was.
    ok = !ferror(file);
    fclose(file);
    if (ok) Make(content.StrLen, content.Buffer);
  }
  Logit("BINARY::Load returns %8x, %d bytes, %s\n", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(file)),
        ok ? StrLen : -1, OSYS::ErrorText(OSYS_LASTERROR).c_str());
  return ok ? 1 : 0;
}
