// CRC-32 by carry-less multiplication: four 128-bit lanes of the message
// are folded forward 64 bytes at a time (multiplied by powers of x modulo
// the polynomial, four products in flight at once), then into one lane,
// then reduced to 32 bits by Barrett's method. Compiled for the instructions it needs alone, and
// called only after the processor has been asked, so that the program still
// runs on processors without them.
#include "archive/crc32.h"

#if defined(__x86_64__) || defined(__i386__)

#include <cpuid.h>
#include <immintrin.h>

#if defined(__i386__)
// 32-bit Windows keeps the stack aligned to 4 bytes only; vectors spilled
// to it need 16.
#define FoldTarget __attribute__((target("pclmul,sse4.1"), force_align_arg_pointer))
#else
#define FoldTarget __attribute__((target("pclmul,sse4.1")))
#endif

namespace {

// x^(4*128+32) and x^(4*128-32) mod P, bit-reflected (the 64-byte fold).
constexpr long long FoldBy4Low = 0x154442bd4, FoldBy4High = 0x1c6e41596;
// x^(128+32) and x^(128-32) mod P, bit-reflected (the 16-byte fold).
constexpr long long FoldBy1Low = 0x1751997d0, FoldBy1High = 0x0ccaa009e;
// x^64 mod P, bit-reflected: folds 64 bits into 32.
constexpr long long FoldTo32 = 0x163cd6124;
// P itself and floor(x^64 / P), bit-reflected, for Barrett's reduction.
constexpr long long Poly = 0x1db710641, PolyQuotient = 0x1f7011641;

FoldTarget inline __m128i Load(const uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// x carried 128 bits further on, then the next 16 bytes added in.
FoldTarget inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
  const __m128i low = _mm_clmulepi64_si128(x, k, 0x00);
  const __m128i high = _mm_clmulepi64_si128(x, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

}  // namespace

bool Crc32CanFold() {
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  return (c & bit_PCLMUL) != 0 && (c & bit_SSE4_1) != 0;
}

FoldTarget uint32_t UpdateCrc32Folded(uint32_t crc, const void* data, uint32_t len) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  if (len < 64) return UpdateCrc32Table(crc, p, len);
  __m128i x0 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(int(crc)));
  __m128i x1 = Load(p + 16), x2 = Load(p + 32), x3 = Load(p + 48);
  p += 64;
  len -= 64;
  const __m128i by4 = _mm_set_epi64x(FoldBy4High, FoldBy4Low);
  for (; len >= 64; len -= 64, p += 64) {
    x0 = Fold(x0, by4, Load(p));
    x1 = Fold(x1, by4, Load(p + 16));
    x2 = Fold(x2, by4, Load(p + 32));
    x3 = Fold(x3, by4, Load(p + 48));
  }
  const __m128i by1 = _mm_set_epi64x(FoldBy1High, FoldBy1Low);
  x0 = Fold(x0, by1, x1);
  x0 = Fold(x0, by1, x2);
  x0 = Fold(x0, by1, x3);
  for (; len >= 16; len -= 16, p += 16) x0 = Fold(x0, by1, Load(p));

  // 128 bits to 64 (with 32 zero bits appended), then 64 to 32.
  x0 = _mm_xor_si128(_mm_srli_si128(x0, 8), _mm_clmulepi64_si128(x0, by1, 0x10));
  const __m128i low32 = _mm_set_epi32(0, 0, 0, -1);
  x0 = _mm_xor_si128(_mm_srli_si128(x0, 4), _mm_clmulepi64_si128(_mm_and_si128(x0, low32),
                                                                 _mm_set_epi64x(0, FoldTo32), 0));
  // Barrett: the quotient estimate times P, taken off.
  const __m128i poly = _mm_set_epi64x(PolyQuotient, Poly);
  __m128i q = _mm_clmulepi64_si128(_mm_and_si128(x0, low32), poly, 0x10);
  q = _mm_clmulepi64_si128(_mm_and_si128(q, low32), poly, 0x00);
  crc = uint32_t(_mm_extract_epi32(_mm_xor_si128(x0, q), 1));
  return UpdateCrc32Table(crc, p, len);
}

#else

bool Crc32CanFold() {
  return false;
}

uint32_t UpdateCrc32Folded(uint32_t crc, const void* data, uint32_t len) {
  return UpdateCrc32Table(crc, data, len);
}

#endif
