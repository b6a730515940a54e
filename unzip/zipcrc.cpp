#include "unzip/zipcrc.h"

#include <immintrin.h>
#include <zlib.h>

namespace {

// 128-bit pieces of the message are folded forward by carry-less multiplication with
// x^n mod P: the low half of a piece by x^(d+63) mod P, the high half by x^(d-1) mod P
// (one less, because a reflected product comes out shifted by one bit), where d is the
// distance folded over, in bits. Each constant is bit-reflected into 64 bits.
const long long kFold512Low = 0x653d982200000000LL;
const long long kFold512High = static_cast<long long>(0xcad38e8f00000000ULL);
const long long kFold128Low = 0x65673b4600000000LL;
const long long kFold128High = static_cast<long long>(0x9ba54c6f00000000ULL);

const size_t kMinimum = 64;

__attribute__((target("pclmul,sse2"))) inline __m128i Fold(__m128i piece, __m128i by, __m128i next) {
  __m128i low = _mm_clmulepi64_si128(piece, by, 0x00), high = _mm_clmulepi64_si128(piece, by, 0x11);
  return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

__attribute__((target("pclmul,sse2"))) inline __m128i Load(const unsigned char* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// At least kMinimum bytes. Four lanes are folded 64 bytes at a time, then into one, which
// then takes the remaining 16-byte pieces; the last piece and the bytes behind it have the
// same remainder as the whole message and go through the table.
__attribute__((target("pclmul,sse2"))) uint32_t Folded(uint32_t crc, const unsigned char* data, size_t n) {
  const __m128i by512 = _mm_set_epi64x(kFold512High, kFold512Low);
  const __m128i by128 = _mm_set_epi64x(kFold128High, kFold128Low);
  __m128i x0 = _mm_xor_si128(Load(data), _mm_cvtsi32_si128(static_cast<int>(~crc)));
  __m128i x1 = Load(data + 16), x2 = Load(data + 32), x3 = Load(data + 48);
  size_t at = 64;
  for (; at + 64 <= n; at += 64) {
    x0 = Fold(x0, by512, Load(data + at));
    x1 = Fold(x1, by512, Load(data + at + 16));
    x2 = Fold(x2, by512, Load(data + at + 32));
    x3 = Fold(x3, by512, Load(data + at + 48));
  }
  __m128i x = Fold(Fold(Fold(x0, by128, x1), by128, x2), by128, x3);
  for (; at + 16 <= n; at += 16) x = Fold(x, by128, Load(data + at));
  unsigned char last[16];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(last), x);
  uLong remainder = crc32(0xFFFFFFFFul, last, sizeof last);
  return static_cast<uint32_t>(crc32(remainder, data + at, static_cast<uInt>(n - at)));
}

bool CanFold() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse2");
}

}  // namespace

uint32_t ZipCrc32(uint32_t crc, const unsigned char* data, size_t n) {
  static const bool canFold = CanFold();
  if (canFold && n >= kMinimum) return Folded(crc, data, n);
  uLong value = crc;
  for (size_t done = 0; done < n;) {
    uInt piece = n - done > 0x40000000u ? 0x40000000u : static_cast<uInt>(n - done);
    value = crc32(value, data + done, piece);
    done += piece;
  }
  return static_cast<uint32_t>(value);
}
