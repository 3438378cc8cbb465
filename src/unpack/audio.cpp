#include "unpack/audio.h"

#include <cstring>

#include "unpack/rar20_decoder.h"

void SetRecentDifferences(ChannelPredictor* p, int32_t lastDelta, int32_t lastD1, int32_t lastD2,
                          int32_t lastD3) {
  int16_t* const h = RecentDeltas(p);
  h[3] = int16_t(lastDelta);
  h[2] = int16_t(lastD1);
  h[1] = int16_t(lastD1 - lastD2);
  h[0] = int16_t(lastD1 - lastD2 - lastD3);
}

namespace {

// Entry 2k + 1 lowers weight k + 1 (not below -17), entry 2k + 2 raises it
// (not above 16); entry 0 moves none.
void MoveWeight(ChannelPredictor* p, uint32_t best) {
  int32_t* const weights[5] = {&p->weight1, &p->weight2, &p->weight3, &p->weight4, &p->weight5};
  for (uint32_t k = 0; k < 5; k++) {
    int32_t& w = *weights[k];
    w += int32_t(best == 2 * k + 2 && w < 16) - int32_t(best == 2 * k + 1 && w >= -16);
  }
  SetWeights(p, p->weight1, p->weight2, p->weight3, p->weight4, p->weight5);
}

// The window's last deltas lead the next window.
void CarryDeltas(ChannelPredictor* p) {
  // One by one: the deltas were stored one by one, and a wider load of them
  // would wait for the stores to reach the cache.
  for (uint32_t k = 0; k < DeltaHistory; k++) p->deltas[k] = p->deltas[AdaptationBytes + k];
}

}  // namespace

void SetWeights(ChannelPredictor* p, int32_t w1, int32_t w2, int32_t w3, int32_t w4, int32_t w5) {
  p->weight1 = w1;
  p->weight2 = w2;
  p->weight3 = w3;
  p->weight4 = w4;
  p->weight5 = w5;
  p->deltaWeight[0] = w1 + w2;
  p->deltaWeight[1] = w3 - w2;
  p->deltaWeight[2] = w4 - w3;
  p->deltaWeight[3] = -w4;
}

void AdaptWeights(ChannelPredictor* p, const uint32_t* sums) {
  // The smallest sum, ties to the lowest entry; selected without branches,
  // as the winner changes from one adaptation to the next.
  uint32_t best = 0, least = sums[0];
  for (uint32_t i = 1; i < 11; i++) {
    const uint32_t smaller = 0u - uint32_t(sums[i] < least);
    least ^= (least ^ sums[i]) & smaller;
    best ^= (best ^ i) & smaller;
  }
  MoveWeight(p, best);
}

#if defined(__i386__) && !defined(__SSE2__)
#include <cpuid.h>
// 32-bit code for any x86 may not assume SSE2: the vector sums are compiled
// for it alone and called once the processor has been asked. 32-bit
// Windows keeps the stack aligned to 4 bytes only; vectors spilled to it
// need 16.
#define VectorTarget __attribute__((target("sse2"), force_align_arg_pointer))
#define VectorHelper __attribute__((target("sse2")))
#define AskForVectors 1
#else
#define VectorTarget
#define VectorHelper
#define AskForVectors 0
#endif

namespace {

// Eight 16-bit lanes: one SSE2 register on x86; other targets get plain code
// for the same operations from the compiler.
typedef int16_t Lanes __attribute__((vector_size(16)));
typedef uint16_t Sums __attribute__((vector_size(16)));

// out lane i: lanes 2i and 2i+1 summed from a for i < 4, from b for i >= 4,
// each pair interleaved: the first step of a transposing reduction.
VectorHelper inline void FoldPairs(const Sums& a, const Sums& b, Sums* out) {
  *out = __builtin_shufflevector(a, b, 0, 8, 1, 9, 2, 10, 3, 11) +
         __builtin_shufflevector(a, b, 4, 12, 5, 13, 6, 14, 7, 15);
}

VectorHelper inline void FoldQuads(const Sums& a, const Sums& b, Sums* out) {
  *out = __builtin_shufflevector(a, b, 0, 1, 8, 9, 2, 3, 10, 11) +
         __builtin_shufflevector(a, b, 4, 5, 12, 13, 6, 7, 14, 15);
}

VectorHelper inline void FoldHalves(const Sums& a, const Sums& b, Sums* out) {
  *out = __builtin_shufflevector(a, b, 0, 1, 2, 3, 8, 9, 10, 11) +
         __builtin_shufflevector(a, b, 4, 5, 6, 7, 12, 13, 14, 15);
}

// Eight vectors in, one out: lane i holds the sum of the lanes of vector i.
VectorHelper inline void LaneTotals(const Sums* v, Sums* out) {
  Sums pairs[4], quads[2];
  for (int i = 0; i < 4; i++) FoldPairs(v[2 * i], v[2 * i + 1], &pairs[i]);
  FoldQuads(pairs[0], pairs[1], &quads[0]);
  FoldQuads(pairs[2], pairs[3], &quads[1]);
  FoldHalves(quads[0], quads[1], out);
}

// Every lane set to the least of the eight.
VectorHelper inline void AllLeast(Lanes* v) {
  Lanes swapped = __builtin_shufflevector(*v, *v, 4, 5, 6, 7, 0, 1, 2, 3);
  *v = *v < swapped ? *v : swapped;
  swapped = __builtin_shufflevector(*v, *v, 2, 3, 0, 1, 6, 7, 4, 5);
  *v = *v < swapped ? *v : swapped;
  swapped = __builtin_shufflevector(*v, *v, 1, 0, 3, 2, 5, 4, 7, 6);
  *v = *v < swapped ? *v : swapped;
}

}  // namespace

void WindowErrors(const ChannelPredictor* p, uint32_t n, uint32_t* sums) {
  for (uint32_t i = 0; i < 11; i++) sums[i] = 0;
  for (uint32_t i = 0; i < n; i++) {
    const int16_t* const h = p->deltas + i;
    const int32_t e = p->symbols[i];
    const int32_t compared[5] = {h[3], h[3] - h[2], h[2] - h[1], h[1] - h[0], p->crosses[i]};
    sums[0] += uint32_t(e < 0 ? -e : e);
    for (uint32_t k = 0; k < 5; k++) {
      const int32_t below = e - compared[k], above = e + compared[k];
      sums[2 * k + 1] += uint32_t(below < 0 ? -below : below);
      sums[2 * k + 2] += uint32_t(above < 0 ? -above : above);
    }
  }
}

namespace {

// Helpers of WindowTotals, inlined into it with its vectors' width; they
// take and give vectors through references, as vectors passed by value
// would change the calling convention.
template <typename V>
HotInline void LoadLanes(const int16_t* at, V* v) {
  std::memcpy(v, at, sizeof *v);
}

template <typename V, typename U>
HotInline void AddAbsolute(U* sum, const V& v) {
  *sum += U(v < 0 ? -v : v);
}

// Eight lanes from a vector of eight or sixteen.
template <typename U>
HotInline void Narrow(const U& v, Sums* out) {
  if constexpr (sizeof(U) == sizeof(Sums))
    *out = v;
  else
    *out = __builtin_shufflevector(v, v, 0, 1, 2, 3, 4, 5, 6, 7) +
           __builtin_shufflevector(v, v, 8, 9, 10, 11, 12, 13, 14, 15);
}

// The eleven sums of the full window in total[0..10] (total[11..15] zero),
// eight lanes of 16 bits each, added up with vectors of V: eight lanes
// (SSE2) or sixteen (AVX2), whichever the caller is compiled for. A lane
// adds the errors of a few bytes, at most 1024 + 255 each, and a total of
// all 32 stays below 65536: 16 unsigned bits hold both.
template <typename V, typename U>
HotInline void WindowTotals(const ChannelPredictor* p, Sums* total) {
  constexpr int width = sizeof(V) / sizeof(int16_t), groups = int(AdaptationBytes) / width;
  V e[groups];
  U symbolSum{};
  for (int g = 0; g < groups; g++) {
    LoadLanes(&p->symbols[width * g], &e[g]);
    AddAbsolute(&symbolSum, e[g]);
  }
  Narrow(symbolSum, &total[0]);
  // Candidate by candidate, so that few vectors are live at once (32-bit
  // code has eight registers); unrolled, so that the choices of rows are
  // made while compiling.
#pragma GCC unroll 5
  for (int k = 0; k < 5; k++) {
    U below{}, above{};
#pragma GCC unroll 4
    for (int g = 0; g < groups; g++) {
      V c;
      if (k == 4) {
        LoadLanes(&p->crosses[width * g], &c);
      } else {
        // Byte i's D1..D4 are deltas[i + 3] .. deltas[i]: d1 = D1, and
        // d(k + 1) = Dk - D(k + 1).
        LoadLanes(&p->deltas[width * g + 4 - k - (k == 0)], &c);
        if (k > 0) {
          V older;
          LoadLanes(&p->deltas[width * g + 3 - k], &older);
          c -= older;
        }
      }
      AddAbsolute(&below, V(e[g] - c));
      AddAbsolute(&above, V(e[g] + c));
    }
    Narrow(below, &total[2 * k + 1]);
    Narrow(above, &total[2 * k + 2]);
  }
  for (int i = 11; i < 16; i++) total[i] = Sums{};
}

// The entry AdaptWeights would choose from the sums: the eleven totals side
// by side in sixteen lanes, their least and its first lane.
VectorHelper inline uint32_t LeastTotal(const Sums* total) {
  Sums totals[2];
  LaneTotals(total, &totals[0]);
  LaneTotals(total + 8, &totals[1]);
  // Lanes 11..15 lose every comparison. Unsigned order as signed: flip the
  // top bit, as SSE2 compares only signed 16-bit lanes.
  const Sums unused = {0, 0, 0, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
  const Lanes low = Lanes(totals[0] ^ 0x8000), high = Lanes((totals[1] | unused) ^ 0x8000);
  // The least of sixteen lanes in every lane, then the least lane number
  // that holds it.
  Lanes least = low < high ? low : high;
  AllLeast(&least);
  const Lanes lowNumbers = {0, 1, 2, 3, 4, 5, 6, 7}, highNumbers = lowNumbers + 8;
  const Lanes none = {16, 16, 16, 16, 16, 16, 16, 16};
  const Lanes atLow = low == least ? lowNumbers : none, atHigh = high == least ? highNumbers : none;
  Lanes first = atLow < atHigh ? atLow : atHigh;
  AllLeast(&first);
  return uint32_t(first[0]);
}

VectorTarget uint32_t LeastErrorByVectors(const ChannelPredictor* p) {
  Sums total[16];
  WindowTotals<Lanes, Sums>(p, total);
  return LeastTotal(total);
}

#if defined(__i386__) || defined(__x86_64__)
// Sixteen lanes where the processor has AVX2: half the vectors of the work.
typedef int16_t WideLanes __attribute__((vector_size(32)));
typedef uint16_t WideSums __attribute__((vector_size(32)));
#if defined(__i386__)
#define WideTarget __attribute__((target("avx2"), force_align_arg_pointer))
#else
#define WideTarget __attribute__((target("avx2")))
#endif

WideTarget uint32_t LeastErrorByWideVectors(const ChannelPredictor* p) {
  Sums total[16];
  WindowTotals<WideLanes, WideSums>(p, total);
  return LeastTotal(total);
}
#endif

#if AskForVectors
bool ProcessorHasVectors() {
  unsigned a, b, c, d;
  return __get_cpuid(1, &a, &b, &c, &d) && (d & bit_SSE2) != 0;
}
#endif

}  // namespace

SumsBy FastestSums() {
#if defined(__i386__) || defined(__x86_64__)
  if (__builtin_cpu_supports("avx2")) return SumsBy::WideVectors;
#endif
#if AskForVectors
  if (!ProcessorHasVectors()) return SumsBy::Bytes;
#endif
  return SumsBy::Vectors;
}

void AdaptChannelBy(ChannelPredictor* p, SumsBy by) {
  p->adaptedAt = p->sampleCount;
  uint32_t best;
  switch (by) {
#if defined(__i386__) || defined(__x86_64__)
    case SumsBy::WideVectors:
      best = LeastErrorByWideVectors(p);
      break;
#endif
    case SumsBy::Vectors:
      best = LeastErrorByVectors(p);
      break;
    default: {
      uint32_t sums[11];
      WindowErrors(p, AdaptationBytes, sums);
      AdaptWeights(p, sums);
      CarryDeltas(p);
      return;
    }
  }
  MoveWeight(p, best);
  CarryDeltas(p);
}

void AdaptChannel(ChannelPredictor* p) {
  static const SumsBy by = FastestSums();
  AdaptChannelBy(p, by);
}

uint8_t DecodeAudioByte(Rar20Decoder* d, uint32_t symbol) {
  ChannelPredictor* p = &d->channels[d->currentChannel];
  // A run of the loop may have left the adaptation to the next byte.
  if (AdaptationDue(p)) AdaptChannel(p);
  const uint8_t out = PredictAudioByte(p, &d->crossDelta, AudioError(symbol));
  if (AdaptationDue(p)) AdaptChannel(p);
  return out;
}
