#include "lz_symbols.h"

#include <cmath>

namespace packer {

namespace {

void Prices(const uint32_t* freq, int n, uint32_t* cost) {
  double total = 0;
  for (int s = 0; s < n; s++) total += freq[s];
  // Unseen symbols stay possible, at the price of a rare one.
  const double smooth = 0.25;
  total += smooth * n;
  for (int s = 0; s < n; s++) {
    double bits = std::log2(total / (freq[s] + smooth));
    if (bits < 1) bits = 1;
    if (bits > MaxCodeLength) bits = MaxCodeLength;
    cost[s] = uint32_t(bits * 16 + 0.5);
  }
}

}  // namespace

void CostsFromFrequencies(const LzFrequencies& f, CostModel* m) {
  Prices(f.main, LiteralSymbols, m->main);
  Prices(f.distance, DistanceSymbols, m->distance);
  Prices(f.recentLength, RepLengthSymbols, m->recentLength);
}

void DefaultCosts(CostModel* m) {
  for (int s = 0; s < SymbolRepeatLast; s++) m->main[s] = 8 * 16;
  for (int s = SymbolRepeatLast; s < LiteralSymbols; s++) m->main[s] = 9 * 16;
  m->main[SymbolRepeatLast] = 7 * 16;
  for (int s = SymbolRecentFirst; s < SymbolShortFirst; s++) m->main[s] = 7 * 16;
  for (uint32_t& c : m->distance) c = 5 * 16;
  for (uint32_t& c : m->recentLength) c = 4 * 16;
}

}  // namespace packer
