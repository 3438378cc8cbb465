#include "unpack/audio.h"

#include <cstring>

#include "unpack/rar20_decoder.h"

void AdaptWeights(ChannelPredictor* p) {
  // The smallest sum, ties to the lowest entry; selected without branches,
  // as the winner changes from one adaptation to the next.
  uint32_t best = 0, least = p->errorSum[0];
  for (uint32_t i = 1; i < 11; i++) {
    const uint32_t smaller = 0u - uint32_t(p->errorSum[i] < least);
    least ^= (least ^ p->errorSum[i]) & smaller;
    best ^= (best ^ i) & smaller;
  }
  for (uint32_t& e : p->errorSum) e = 0;
  // Entry 2k + 1 lowers weight k + 1 (not below -17), entry 2k + 2 raises
  // it (not above 16); entry 0 moves none.
  int32_t* const weights[5] = {&p->weight1, &p->weight2, &p->weight3, &p->weight4, &p->weight5};
  for (uint32_t k = 0; k < 5; k++) {
    int32_t& w = *weights[k];
    w += int32_t(best == 2 * k + 2 && w < 16) - int32_t(best == 2 * k + 1 && w >= -16);
  }
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

// Helpers take and give vectors through references: without SSE (the
// 32-bit Windows build) vectors passed by value would change the calling
// convention.
VectorHelper inline void AddAbs(Sums* total, const Lanes& v) {
  *total += Sums(v > -v ? v : -v);
}

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

}  // namespace

void AddPendingErrorsOneByOne(const ChannelPredictor* p, uint32_t n, uint32_t* sums) {
  uint32_t added[11] = {};
  for (uint32_t i = 0; i < n; i++) {
    const int32_t e = p->pending[0][i];
    added[0] += uint32_t(e < 0 ? -e : e);
    for (uint32_t k = 1; k < 6; k++) {
      const int32_t d = p->pending[k][i];
      const int32_t below = e - d, above = e + d;
      added[2 * k - 1] += uint32_t(below < 0 ? -below : below);
      added[2 * k] += uint32_t(above < 0 ? -above : above);
    }
  }
  for (int i = 0; i < 11; i++) sums[i] = p->errorSum[i] + added[i];
}

namespace {

VectorTarget void AddPendingErrorsByVectors(const ChannelPredictor* p, uint32_t n, uint32_t* sums) {
  // A lane adds the errors of four bytes, at most 1024 + 255 each, and a
  // total of all 32 stays below 65536: 16 unsigned bits hold both.
  Sums total[16] = {};
  const Lanes lane = {0, 1, 2, 3, 4, 5, 6, 7};
  for (uint32_t first = 0; first < 32; first += 8) {
    // Bytes from n on count as e = 0 against candidates 0.
    const Lanes keep = lane + int16_t(first) < int16_t(n);
    Lanes row[6];
    for (int k = 0; k < 6; k++) {
      std::memcpy(&row[k], &p->pending[k][first], sizeof row[k]);
      row[k] &= keep;
    }
    const Lanes e = row[0];
    AddAbs(&total[0], e);
    for (int k = 1; k < 6; k++) {
      AddAbs(&total[2 * k - 1], e - row[k]);
      AddAbs(&total[2 * k], e + row[k]);
    }
  }
  Sums totals[2];
  LaneTotals(total, &totals[0]);
  LaneTotals(total + 8, &totals[1]);
  uint16_t added[16];
  std::memcpy(added, totals, sizeof added);
  for (int i = 0; i < 11; i++) sums[i] = p->errorSum[i] + added[i];
}

#if AskForVectors
bool ProcessorHasVectors() {
  unsigned a, b, c, d;
  return __get_cpuid(1, &a, &b, &c, &d) && (d & bit_SSE2) != 0;
}
#endif

}  // namespace

void AddPendingErrors(const ChannelPredictor* p, uint32_t n, uint32_t* sums) {
#if AskForVectors
  // Without SSE2 the vectors' lanes would be carried out one by one,
  // several times the work of the plain sums.
  static const bool vectors = ProcessorHasVectors();
  if (!vectors) return AddPendingErrorsOneByOne(p, n, sums);
#endif
  AddPendingErrorsByVectors(p, n, sums);
}

void AdaptChannel(ChannelPredictor* p) {
  AddPendingErrors(p, 32, p->errorSum);
  AdaptWeights(p);
}

uint8_t DecodeAudioByte(Rar20Decoder* d, uint32_t symbol) {
  ChannelPredictor* p = &d->channels[d->currentChannel];
  const uint8_t out = PredictAudioByte(p, &d->crossDelta, symbol);
  if (AdaptationDue(p)) AdaptChannel(p);
  return out;
}
