// STRING: the one text and byte-buffer type of the system.
//
// A STRING owns a zero-terminated heap buffer that grows in blocks and keeps an explicit
// length, so it can carry bytes including zeros. A string without a buffer (null: the value
// is absent) differs from one with a buffer of length 0 (empty). Comparisons ignore the case
// of the letters A-Z. Broken preconditions go to the assertion handler (zolan.h); an operation
// that meets a missing text works on the substitute text "<NULL>".
//
// Strings are not synchronised: a string belongs to one thread at a time. The 96-byte buffers
// are recycled through a process-wide pool guarded by a critical section.
#ifndef ZOLAN_STRINGS_H
#define ZOLAN_STRINGS_H

#include <cstdarg>

#define STRINGFLAG_BASE64   0x1   // value of the key-value store held as Base64 text
#define STRINGFLAG_DYNABLOCK 0x2  // block size follows the buffer size

#define STRING_DEFAULT_BLOCKSIZE 96
#define GETTOKEN_REST     0x1      // token runs to the end of the string, separators included
#define GETTOKEN_NOTNULL  0x10000  // a null token comes back as an empty string

class STRING {
public:
  enum BLOCKSIZE_TAG { BLOCKSIZE };

  STRING();
  STRING(BLOCKSIZE_TAG, int blockSize);
  STRING(const char* text);
  STRING(const void* data, int length, int blockSize = STRING_DEFAULT_BLOCKSIZE);
  explicit STRING(int value);
  explicit STRING(long value);
  explicit STRING(unsigned long value);
  STRING(const STRING& other);
  STRING(STRING&& other) noexcept;
  ~STRING();

  STRING& operator=(const STRING& other);
  STRING& operator=(STRING&& other) noexcept;
  STRING& operator=(const char* text);

  void Free();
  // Resizes to l bytes; with data, the content becomes those l bytes. l < 0 does nothing.
  void Make(int l, const void* data = nullptr);

  bool NotNull() const { return Buffer != nullptr; }
  int Length() const { return StrLen; }
  bool IsEmpty() const { return Buffer == nullptr || StrLen <= 0; }
  bool NotEmpty() const { return Buffer != nullptr && StrLen > 0; }
  const char* c_str() const { return Buffer; }
  char* Data() { return Buffer; }

  char& At(int i);
  char& AtEnd(int i);
  void SetLength(int newLength);
  void DeleteLeft(int howmany);
  void DeleteRight(int howmany);
  void Delete(int howmany, int pos);
  void InsertChars(int howmany, int pos, char ch);
  void Insert(const char* text, int pos);
  void Append(const char* text, int n = -1);
  void Append(const STRING& text);  // a null text appends "<NULL>"
  void AppendBytes(const void* data, int n);
  void ToLower();
  void ToUpper();

  int Pos(const char* text, int start = 0) const;
  int iPos(const char* text, int start = 0) const;
  bool Find(const char* text, int* position = nullptr, int start = 0) const;
  bool iFind(const char* text, int* position = nullptr, int start = 0) const;
  STRING Mid(int pos, int count = -1) const;
  STRING Left(int n) const;
  STRING Right(int n) const;
  void Replace(const char* find, const char* replacement, int caseSensitive);
  void Strip(char how, const char* set);
  STRING GetToken(int n, const char* separators, unsigned flags = 0) const;
  STRING GetLine(int n, unsigned flags = 0) const;

  bool operator==(const STRING& other) const;
  bool operator==(const char* text) const;
  bool operator!=(const STRING& other) const { return !(*this == other); }
  bool operator!=(const char* text) const { return !(*this == text); }
  bool operator<(const STRING& other) const;
  bool operator<(const char* text) const;
  bool operator>(const STRING& other) const;
  bool operator>(const char* text) const;

  int Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  int AppendFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));
  int FormatV(const char* format, va_list args);
  int AppendFormatV(const char* format, va_list args);

  int ToInt() const;
  double ToDouble() const;
  void SetWide(const char* text, int n = -1);
  void Escape(STRING& out, const char* extra) const;
  void Unescape(STRING& out, int keepUnknown) const;
  void ToHex(STRING& out) const;
  void ToBase64(STRING& out, int lineBreaks) const;
  void FromBase64(STRING& out) const;
  int Save(const char* path, const char* mode) const;
  int Load(const char* path, const char* mode);

  // Frees the pooled buffers and closes the pool; later buffers bypass it.
  static void ShutdownPool();

  // Fields in their documented order; kept public for the few places that use the buffer
  // directly (the key-value store's Base64 flag, Win32 calls that fill a buffer).
  char* Buffer;
  int StrLen;
  int BufLen;
  int BlockSize;
  unsigned Flags;
};

// The same class, used for raw bytes; its file operations log as BINARY::Save/BINARY::Load.
typedef STRING BINARY;

STRING operator||(const STRING& left, const STRING& right);
STRING operator||(const STRING& left, const char* right);
STRING operator||(const char* left, const STRING& right);

// Null-pointer guard of the string operations: returns p, or for a null p the text the
// operation works on instead, by the null-text mode (environment variable ZOLANFAILONNULL,
// read at each null; an absent variable keeps the mode): "<NULL>" while bit 1 is clear, else
// an empty text, after the assertion "p!=NULL" when bit 2 is set as well.
const char* StringNullCheck(const char* p, const char* operation);

#endif
