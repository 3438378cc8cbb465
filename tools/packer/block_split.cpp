#include "block_split.h"

#include <cmath>

namespace packer {

namespace {

// x * log2(x), tabulated for small counts.
class XLogX {
 public:
  XLogX() : table_(Small) {
    table_[0] = 0;
    for (size_t i = 1; i < Small; i++) table_[i] = double(i) * std::log2(double(i));
  }
  double operator()(uint64_t x) const {
    return x < Small ? table_[x] : double(x) * std::log2(double(x));
  }

 private:
  static constexpr size_t Small = 1 << 14;
  std::vector<double> table_;
};

const XLogX& Entropy() {
  static const XLogX table;
  return table;
}

struct Chunk {
  std::vector<std::pair<int, uint32_t>> counts;  // combined symbol, count
  uint64_t extraBits = 0;
};

// Rough size of a block header: a few bits per coded symbol.
double HeaderEstimate(int used, int alphabet) {
  return 90.0 + 4.0 * used + 0.4 * (alphabet - used);
}

}  // namespace

std::vector<size_t> SplitIntoBlocks(const SymbolStream& stream, const SplitSettings& settings) {
  const size_t steps = stream.first.size();
  std::vector<size_t> cuts;
  if (steps <= settings.stepsPerChunk) return cuts;
  const size_t chunkCount = (steps + settings.stepsPerChunk - 1) / settings.stepsPerChunk;
  std::vector<Chunk> chunks(chunkCount);
  {
    std::vector<uint32_t> tally(size_t(stream.alphabetSize), 0);
    std::vector<int> touched;
    for (size_t c = 0; c < chunkCount; c++) {
      const size_t a = c * settings.stepsPerChunk;
      const size_t b = std::min(steps, a + settings.stepsPerChunk);
      touched.clear();
      for (size_t i = a; i < b; i++) {
        const int f = stream.first[i];
        if (tally[f]++ == 0) touched.push_back(f);
        const int s = stream.second[i];
        if (s >= 0 && tally[s]++ == 0) touched.push_back(s);
        chunks[c].extraBits += stream.extraBits[i];
      }
      for (int sym : touched) {
        chunks[c].counts.push_back({sym, tally[sym]});
        tally[sym] = 0;
      }
    }
  }

  const XLogX& g = Entropy();
  std::vector<double> best(chunkCount + 1, 0);
  std::vector<size_t> from(chunkCount + 1, 0);
  std::vector<uint64_t> acc(size_t(stream.alphabetSize));
  std::vector<uint64_t> tableTotal(size_t(stream.tableCount));
  std::vector<int> touched;
  for (size_t j = 1; j <= chunkCount; j++) {
    for (int sym : touched) acc[sym] = 0;
    touched.clear();
    for (uint64_t& t : tableTotal) t = 0;
    double sumSymbols = 0;  // sum of f log f over symbols
    uint64_t extra = 0;
    int used = 0;
    best[j] = INFINITY;
    const size_t lowest = j > settings.maxChunksPerBlock ? j - settings.maxChunksPerBlock : 0;
    for (size_t i = j; i-- > lowest;) {
      for (const auto& [sym, count] : chunks[i].counts) {
        const uint64_t before = acc[sym];
        if (before == 0) {
          touched.push_back(sym);
          used++;
        }
        acc[sym] = before + count;
        sumSymbols += g(before + count) - g(before);
        tableTotal[stream.tableOf[sym]] += count;
      }
      extra += chunks[i].extraBits;
      double bits = double(extra) - sumSymbols + HeaderEstimate(used, stream.alphabetSize);
      for (uint64_t t : tableTotal) bits += g(t);
      const double total = best[i] + bits;
      if (total < best[j]) {
        best[j] = total;
        from[j] = i;
      }
    }
  }
  for (size_t j = chunkCount; j > 0; j = from[j])
    if (from[j] > 0) cuts.push_back(from[j] * settings.stepsPerChunk);
  return std::vector<size_t>(cuts.rbegin(), cuts.rend());
}

}  // namespace packer
