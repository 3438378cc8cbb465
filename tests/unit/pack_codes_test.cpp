// The packer's bits, code lengths, canonical codes and block headers, read
// back with the decompressor's own bit input, tables and header reader.
#include <gtest/gtest.h>

#include "decoder_fixture.h"
#include "pack_support.h"
#include "packer/bit_writer.h"
#include "packer/block_header.h"
#include "packer/huffman_code.h"
#include "unpack/block_tables.h"
#include "unpack/rar20_decoder.h"

namespace {

double KraftSum(const uint8_t* lengths, int n) {
  double sum = 0;
  for (int i = 0; i < n; i++)
    if (lengths[i]) sum += 1.0 / double(1u << lengths[i]);
  return sum;
}

// Starts the decoder's bit input on the given bytes.
void StartInput(DecodeRun* run, std::vector<uint8_t> bytes) {
  bytes.resize(bytes.size() + 8, 0);
  run->Feed(bytes);
}

TEST(PackBits, ComeOutMostSignificantFirstAndPadWithZeros) {
  packer::BitWriter w;
  w.Put(0x5, 3);     // 101
  w.Put(0x1, 1);     // 1
  w.Put(0x3FF, 10);  // 1111111111
  w.Put(0, 0);
  EXPECT_EQ(w.BitCount(), 14u);
  w.Flush();
  ASSERT_EQ(w.Bytes().size(), 2u);
  EXPECT_EQ(w.Bytes()[0], 0xBF);  // 1011 1111
  EXPECT_EQ(w.Bytes()[1], 0xFC);  // 1111 1100
}

TEST(PackCodeLengths, StayWithinTheLimitAndFillTheCodeSpace) {
  uint32_t fib[40];
  fib[0] = fib[1] = 1;
  for (int i = 2; i < 40; i++) fib[i] = fib[i - 1] + fib[i - 2];
  for (int limit : {15, 9, 7}) {
    uint8_t lengths[40];
    packer::BuildCodeLengths(fib, 40, limit, lengths);
    for (int i = 0; i < 40; i++) {
      EXPECT_GE(lengths[i], 1);
      EXPECT_LE(lengths[i], limit);
    }
    EXPECT_DOUBLE_EQ(KraftSum(lengths, 40), 1.0) << "limit " << limit;
  }
}

TEST(PackCodeLengths, AreHuffmanOptimalWhenTheLimitDoesNotBite) {
  const uint32_t freq[6] = {1, 1, 2, 4, 0, 8};
  uint8_t lengths[6];
  packer::BuildCodeLengths(freq, 6, 15, lengths);
  const uint8_t expected[6] = {4, 4, 3, 2, 0, 1};
  for (int i = 0; i < 6; i++) EXPECT_EQ(lengths[i], expected[i]) << i;
}

TEST(PackCodeLengths, ALoneSymbolGetsOneBitAndUnusedOnesNone) {
  uint32_t freq[19] = {};
  uint8_t lengths[19];
  packer::BuildCodeLengths(freq, 19, 15, lengths);
  for (uint8_t l : lengths) EXPECT_EQ(l, 0);
  freq[7] = 12;
  packer::BuildCodeLengths(freq, 19, 15, lengths);
  for (int i = 0; i < 19; i++) EXPECT_EQ(lengths[i], i == 7 ? 1 : 0);
}

TEST(PackCodes, TheDecoderReadsEveryCanonicalCodeAsItsSymbol) {
  TestRandom r(3);
  for (int round = 0; round < 20; round++) {
    uint32_t freq[298];
    for (uint32_t& f : freq) f = r.Below(3) == 0 ? 0 : 1 + r.Below(round % 2 ? 5 : 100000);
    uint8_t lengths[298];
    uint16_t codes[298];
    packer::BuildCodeLengths(freq, 298, 15, lengths);
    packer::AssignCodes(lengths, 298, codes);
    std::vector<int> sent;
    packer::BitWriter w;
    for (int k = 0; k < 600; k++) {
      const int s = int(r.Below(298));
      if (lengths[s] == 0) continue;
      sent.push_back(s);
      w.Put(codes[s], lengths[s]);
    }
    w.Flush();
    DecodeRun run;
    StartInput(&run, w.Bytes());
    HuffTable table;
    BuildHuffTable(lengths, 298, &table);
    for (size_t k = 0; k < sent.size(); k++) {
      NeedInput(&run.decoder.input, 8);
      ASSERT_EQ(DecodeSymbol(&run.decoder.input, &table), uint32_t(sent[k]))
          << "round " << round << " symbol " << k;
    }
  }
}

// Writes one header and reads it with the decoder's ReadBlockTables; the
// run's decoder keeps the lengths for the next header.
void ExpectHeaderReadsBack(DecodeRun& run, const uint8_t* lengths, bool audio, int channels,
                           packer::PreviousLengths* previous, size_t* bits) {
  const int count = audio ? 257 * channels : 374;
  packer::BitWriter w;
  packer::WriteBlockHeader(&w, {audio, channels, lengths, count}, previous);
  *bits = size_t(w.BitCount());
  w.Flush();
  StartInput(&run, w.Bytes());
  ReadBlockTables(&run.decoder);
  EXPECT_EQ(run.decoder.audioMode, audio);
  if (audio) {
    EXPECT_EQ(run.decoder.channelCount, uint32_t(channels));
  }
  for (int i = 0; i < count; i++) ASSERT_EQ(run.decoder.previousLengths[i], lengths[i]) << i;
  // The header is read to its last bit and no further.
  EXPECT_EQ(run.decoder.input.bytePos * 8 + run.decoder.input.bitPos, *bits);
}

TEST(PackBlockHeaders, ReadBackPlainAndDeltaCodedWithRunsOfEveryKind) {
  DecodeRun run;
  packer::PreviousLengths previous;
  uint8_t first[374] = {};
  for (int i = 0; i < 256; i += 3) first[i] = uint8_t(4 + i % 5);  // singles
  for (int i = 256; i < 270; i++) first[i] = 7;                    // a run to repeat
  for (int i = 300; i < 320; i++) first[i] = uint8_t(1 + i % 15);  // zeros around
  size_t firstBits, secondBits, plainBits;
  ExpectHeaderReadsBack(run, first, false, 1, &previous, &firstBits);
  // Nearly the same lengths again: delta coding spends about a bit on each.
  uint8_t second[374];
  memcpy(second, first, sizeof second);
  second[10] = 9;
  second[373] = 3;
  ExpectHeaderReadsBack(run, second, false, 1, &previous, &secondBits);
  EXPECT_LT(secondBits, firstBits * 2 / 3);
  // Without usable previous lengths the same header is plain and longer.
  packer::PreviousLengths unknown;
  for (bool& k : unknown.known) k = false;
  memset(&run.decoder.previousLengths, 0, sizeof run.decoder.previousLengths);
  ExpectHeaderReadsBack(run, second, false, 1, &unknown, &plainBits);
  EXPECT_GT(plainBits, secondBits);
}

TEST(PackBlockHeaders, AudioHeadersCarryTheirChannelsAndNeverLeanOnUnsetLengths) {
  DecodeRun run;
  packer::PreviousLengths previous;
  TestRandom r(5);
  uint8_t lengths[1028];
  for (int channels : {4, 1, 3, 2, 4}) {
    for (uint8_t& l : lengths) l = uint8_t(r.Below(3) ? 5 + r.Below(6) : 0);
    size_t bits;
    ExpectHeaderReadsBack(run, lengths, true, channels, &previous, &bits);
  }
  // After an LZ block only its 374 lengths may serve as a base.
  size_t bits;
  ExpectHeaderReadsBack(run, lengths, false, 1, &previous, &bits);
  for (int i = 0; i < 1028; i++) EXPECT_EQ(previous.known[i], i < 374) << i;
}

}  // namespace
