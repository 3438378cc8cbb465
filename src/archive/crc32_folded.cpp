// CRC-32 by carry-less multiplication: four 128-bit lanes of the message
// are folded forward 64 bytes at a time (multiplied by powers of x modulo
// the polynomial, four products in flight at once), then into one lane,
// then reduced to 32 bits by Barrett's method. Where the processor
// multiplies 256-bit vectors, four such lanes fold 128 bytes a step first:
// the multiplier's throughput, not its latency, bounds the 128-bit loop.
// Compiled for the instructions each needs alone, and called only after the
// processor has been asked, so that the program still runs without them.
#include "archive/crc32.h"

#if defined(__x86_64__) || defined(__i386__)

#include <cpuid.h>
#include <immintrin.h>

#if defined(__i386__)
// 32-bit Windows keeps the stack aligned to 4 bytes only; vectors spilled
// to it need 16.
#define FoldTarget __attribute__((target("pclmul,sse4.1"), force_align_arg_pointer))
#define WideTarget __attribute__((target("vpclmulqdq,avx2,pclmul,sse4.1"), force_align_arg_pointer))
#else
#define FoldTarget __attribute__((target("pclmul,sse4.1")))
#define WideTarget __attribute__((target("vpclmulqdq,avx2,pclmul,sse4.1")))
#endif

namespace {

// x^(4*128+32) and x^(4*128-32) mod P, bit-reflected (the 64-byte fold).
constexpr long long FoldBy4Low = 0x154442bd4, FoldBy4High = 0x1c6e41596;
// x^(8*128+32) and x^(8*128-32) mod P, bit-reflected (the 128-byte fold
// of 256-bit lanes), and the same for 2*128 (a 256-bit lane into the next).
constexpr long long FoldBy8Low = 0x1e88ef372, FoldBy8High = 0x14a7fe880;
constexpr long long FoldBy2Low = 0x0f1da05aa, FoldBy2High = 0x15a546366;
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

WideTarget inline __m256i LoadWide(const uint8_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

WideTarget inline __m256i FoldWide(__m256i x, __m256i k, __m256i next) {
  const __m256i low = _mm256_clmulepi64_epi128(x, k, 0x00);
  const __m256i high = _mm256_clmulepi64_epi128(x, k, 0x11);
  return _mm256_xor_si256(_mm256_xor_si256(low, high), next);
}

// The lane x0, whose bytes come just before p, carried over the len bytes
// from p on and reduced to the CRC.
FoldTarget inline uint32_t FinishFold(__m128i x0, const uint8_t* p, uint32_t len) {
  const __m128i by1 = _mm_set_epi64x(FoldBy1High, FoldBy1Low);
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
  const uint32_t crc = uint32_t(_mm_extract_epi32(_mm_xor_si128(x0, q), 1));
  return UpdateCrc32Table(crc, p, len);
}

}  // namespace

bool Crc32CanFold() {
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  return (c & bit_PCLMUL) != 0 && (c & bit_SSE4_1) != 0;
}

bool Crc32CanFoldWide() {
  unsigned a, b, c, d;
  if (!Crc32CanFold() || !__get_cpuid(1, &a, &b, &c, &d) || (c & bit_OSXSAVE) == 0 ||
      (c & bit_AVX) == 0)
    return false;
  // The system must save the 256-bit registers across task switches.
  unsigned xcr0, xcr0High;
  __asm__("xgetbv" : "=a"(xcr0), "=d"(xcr0High) : "c"(0));
  if ((xcr0 & 6) != 6) return false;
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
  return (b & bit_AVX2) != 0 && (c & bit_VPCLMULQDQ) != 0;
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
  return FinishFold(x0, p, len);
}

WideTarget uint32_t UpdateCrc32FoldedWide(uint32_t crc, const void* data, uint32_t len) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  if (len < 128) return UpdateCrc32Folded(crc, p, len);
  __m256i y0 = _mm256_xor_si256(LoadWide(p), _mm256_castsi128_si256(_mm_cvtsi32_si128(int(crc))));
  __m256i y1 = LoadWide(p + 32), y2 = LoadWide(p + 64), y3 = LoadWide(p + 96);
  p += 128;
  len -= 128;
  const __m256i by8 = _mm256_set_epi64x(FoldBy8High, FoldBy8Low, FoldBy8High, FoldBy8Low);
  for (; len >= 128; len -= 128, p += 128) {
    y0 = FoldWide(y0, by8, LoadWide(p));
    y1 = FoldWide(y1, by8, LoadWide(p + 32));
    y2 = FoldWide(y2, by8, LoadWide(p + 64));
    y3 = FoldWide(y3, by8, LoadWide(p + 96));
  }
  const __m256i by2 = _mm256_set_epi64x(FoldBy2High, FoldBy2Low, FoldBy2High, FoldBy2Low);
  y0 = FoldWide(y0, by2, y1);
  y0 = FoldWide(y0, by2, y2);
  y0 = FoldWide(y0, by2, y3);
  // The lane's low half carried 128 bits into its high half.
  const __m128i by1 = _mm_set_epi64x(FoldBy1High, FoldBy1Low);
  const __m128i x0 = Fold(_mm256_castsi256_si128(y0), by1, _mm256_extracti128_si256(y0, 1));
  _mm256_zeroupper();
  return FinishFold(x0, p, len);
}

#else

bool Crc32CanFold() {
  return false;
}

bool Crc32CanFoldWide() {
  return false;
}

uint32_t UpdateCrc32FoldedWide(uint32_t crc, const void* data, uint32_t len) {
  return UpdateCrc32Table(crc, data, len);
}

uint32_t UpdateCrc32Folded(uint32_t crc, const void* data, uint32_t len) {
  return UpdateCrc32Table(crc, data, len);
}

#endif
