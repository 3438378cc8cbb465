#include "block_header.h"

#include <cstring>
#include <vector>

#include "huffman_code.h"

namespace packer {

namespace {

// The lengths each run of the level code can have.
constexpr int RepeatLeast = LevelRepeatBase, RepeatMost = RepeatLeast + (1 << LevelRepeatBits) - 1;
constexpr int ZerosLeast = LevelZerosBase, ZerosMost = ZerosLeast + (1 << LevelZerosBits) - 1;
constexpr int LongZerosLeast = LevelLongZerosBase,
              LongZerosMost = LongZerosLeast + (1 << LevelLongZerosBits) - 1;

// The extra bits after a level symbol: none after a length.
int RunExtraBits(int symbol) {
  return symbol == LevelRepeat      ? int(LevelRepeatBits)
         : symbol == LevelZeros     ? int(LevelZerosBits)
         : symbol == LevelLongZeros ? int(LevelLongZerosBits)
                                    : 0;
}

struct LevelOp {
  uint8_t symbol;
  uint8_t extra;  // run length less its base
};

// Cheapest level-symbol sequence for the lengths under the given level code
// costs (in bits), by dynamic programming over the positions.
std::vector<LevelOp> PlanLevels(const uint8_t* lengths, int count, const uint8_t* base,
                                const uint32_t* cost) {
  std::vector<uint32_t> best(count + 1, UINT32_MAX);
  std::vector<LevelOp> how(count + 1);
  std::vector<int> from(count + 1, 0);
  // zeroRun[i]: zeros from i on; sameRun[i]: lengths from i on that equal lengths[i - 1].
  std::vector<int> zeroRun(count + 1, 0), sameRun(count + 1, 0);
  for (int i = count - 1; i >= 0; i--) {
    zeroRun[i] = lengths[i] == 0 ? zeroRun[i + 1] + 1 : 0;
    if (i > 0 && lengths[i] == lengths[i - 1])
      sameRun[i] = 1 + (i + 1 < count && lengths[i + 1] == lengths[i] ? sameRun[i + 1] : 0);
  }
  best[0] = 0;
  auto relax = [&](int i, int j, uint32_t c, LevelOp op) {
    if (best[i] + c < best[j]) {
      best[j] = best[i] + c;
      how[j] = op;
      from[j] = i;
    }
  };
  for (int i = 0; i < count; i++) {
    if (best[i] == UINT32_MAX) continue;
    const uint8_t single = uint8_t((lengths[i] - base[i]) & 15);
    if (cost[single] != UINT32_MAX) relax(i, i + 1, cost[single], {single, 0});
    if (i > 0 && cost[LevelRepeat] != UINT32_MAX)
      for (int n = RepeatLeast; n <= RepeatMost && n <= sameRun[i]; n++)
        relax(i, i + n, cost[LevelRepeat] + LevelRepeatBits,
              {LevelRepeat, uint8_t(n - RepeatLeast)});
    if (cost[LevelZeros] != UINT32_MAX)
      for (int n = ZerosLeast; n <= ZerosMost && n <= zeroRun[i]; n++)
        relax(i, i + n, cost[LevelZeros] + LevelZerosBits, {LevelZeros, uint8_t(n - ZerosLeast)});
    if (cost[LevelLongZeros] != UINT32_MAX && zeroRun[i] >= LongZerosLeast) {
      // All these runs cost the same; the longest, the shortest few, and
      // those that leave a short remainder are the ones worth trying.
      const int longest = zeroRun[i] > LongZerosMost ? LongZerosMost : zeroRun[i];
      auto tryRun = [&](int n) {
        if (n >= LongZerosLeast && n <= longest)
          relax(i, i + n, cost[LevelLongZeros] + LevelLongZerosBits,
                {LevelLongZeros, uint8_t(n - LongZerosLeast)});
      };
      for (int n = LongZerosLeast; n <= LongZerosLeast + 10; n++) tryRun(n);
      for (int k = 0; k <= 10; k++) tryRun(longest - k);
    }
  }
  std::vector<LevelOp> ops;
  for (int j = count; j > 0; j = from[j]) ops.push_back(how[j]);
  return std::vector<LevelOp>(ops.rbegin(), ops.rend());
}

struct HeaderPlan {
  std::vector<LevelOp> ops;
  uint8_t levelLengths[LevelSymbols];
  uint32_t bits;
};

HeaderPlan PlanHeader(const uint8_t* lengths, int count, const uint8_t* base) {
  HeaderPlan plan;
  uint32_t cost[LevelSymbols];
  for (uint32_t& c : cost) c = 4;
  // Two rounds: plan with flat costs, code the result, plan again with the
  // costs of that code (every symbol kept usable), code the final plan.
  for (int round = 0; round < 2; round++) {
    plan.ops = PlanLevels(lengths, count, base, cost);
    uint32_t freq[LevelSymbols] = {};
    for (const LevelOp& op : plan.ops) freq[op.symbol]++;
    BuildCodeLengths(freq, LevelSymbols, MaxCodeLength, plan.levelLengths);
    if (round == 0)
      for (int s = 0; s < LevelSymbols; s++)
        cost[s] = plan.levelLengths[s] ? plan.levelLengths[s] : (s < LevelRepeat ? 8 : 9);
  }
  uint32_t freq[LevelSymbols] = {};
  for (const LevelOp& op : plan.ops) freq[op.symbol]++;
  BuildCodeLengths(freq, LevelSymbols, MaxCodeLength, plan.levelLengths);
  plan.bits = LevelSymbols * LevelLengthBits;
  for (const LevelOp& op : plan.ops)
    plan.bits += plan.levelLengths[op.symbol] + RunExtraBits(op.symbol);
  return plan;
}

bool DeltaAllowed(const BlockHeaderShape& shape, const PreviousLengths& previous) {
  for (int i = 0; i < shape.count; i++)
    if (!previous.known[i]) return false;
  return true;
}

// Plans both codings and returns the cheaper; *delta tells which.
HeaderPlan ChooseHeader(const BlockHeaderShape& shape, const PreviousLengths& previous,
                        bool* delta) {
  static const uint8_t zeros[MaxLengthCount] = {};
  HeaderPlan plain = PlanHeader(shape.lengths, shape.count, zeros);
  *delta = false;
  if (!DeltaAllowed(shape, previous)) return plain;
  HeaderPlan relative = PlanHeader(shape.lengths, shape.count, previous.value);
  if (relative.bits < plain.bits) {
    *delta = true;
    return relative;
  }
  return plain;
}

uint32_t FixedBits(const BlockHeaderShape& shape) {
  return HeaderFlagBits + (shape.audio ? AudioChannelBits : 0);
}

}  // namespace

uint32_t BlockHeaderBits(const BlockHeaderShape& shape, const PreviousLengths& previous) {
  bool delta;
  return FixedBits(shape) + ChooseHeader(shape, previous, &delta).bits;
}

void WriteBlockHeader(BitWriter* out, const BlockHeaderShape& shape, PreviousLengths* previous) {
  bool delta;
  const HeaderPlan plan = ChooseHeader(shape, *previous, &delta);
  out->Put(shape.audio ? 1 : 0, 1);
  out->Put(delta ? 1 : 0, 1);
  if (shape.audio) out->Put(uint32_t(shape.channels - 1), AudioChannelBits);
  for (int s = 0; s < LevelSymbols; s++) out->Put(plan.levelLengths[s], LevelLengthBits);
  uint16_t codes[LevelSymbols];
  AssignCodes(plan.levelLengths, LevelSymbols, codes);
  for (const LevelOp& op : plan.ops) {
    out->Put(codes[op.symbol], plan.levelLengths[op.symbol]);
    if (op.symbol >= LevelRepeat) out->Put(op.extra, RunExtraBits(op.symbol));
  }
  // Past the block's count a decoder may keep, clear or copy stale lengths:
  // the encoder relies on none of them.
  std::memcpy(previous->value, shape.lengths, size_t(shape.count));
  for (int i = 0; i < MaxLengthCount; i++) previous->known[i] = i < shape.count;
}

}  // namespace packer
