// The audio predictor: per-channel prediction, error sums and adaptation.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "bit_writer.h"
#include "decoder_fixture.h"
#include "lz_stream.h"
#include "pack_support.h"

namespace {

void ResetAudio(Rar20Decoder* d, uint32_t channels) {
  std::memset(d->channels, 0, sizeof d->channels);
  d->crossDelta = 0;
  d->currentChannel = 0;
  d->channelCount = channels;
}

TEST(AudioDecoding, WorkedExample) {
  Rar20Decoder decoder{};
  ResetAudio(&decoder, 1);
  ChannelPredictor& p = decoder.channels[0];
  SetWeights(&p, 1, 0, 0, 0, 0);
  p.prevByte = 100;
  SetRecentDifferences(&p, 4, 2, 0, 0);
  EXPECT_EQ(DecodeAudioByte(&decoder, 3), 97);
  const int16_t* h = RecentDeltas(&p);
  EXPECT_EQ(h[3], -3);        // the byte's own delta
  EXPECT_EQ(h[2], 4);         // the delta before: the next byte's D2
  EXPECT_EQ(h[2] - h[1], 2);  // the next byte's d3: this byte's d2
  EXPECT_EQ(decoder.crossDelta, -3);
  EXPECT_EQ(p.prevByte, 97);
  EXPECT_EQ(p.sampleCount, 1u);
}

TEST(AudioDecoding, FirstByteAfterAResetIsTheNegatedSymbol) {
  Rar20Decoder decoder{};
  ResetAudio(&decoder, 1);
  EXPECT_EQ(DecodeAudioByte(&decoder, 5), 251);
  ResetAudio(&decoder, 1);
  EXPECT_EQ(DecodeAudioByte(&decoder, 0), 0);
}

// The sums of the bytes since the last adaptation.
std::vector<uint32_t> ErrorSums(const ChannelPredictor& p) {
  std::vector<uint32_t> sums(11);
  WindowErrors(&p, p.sampleCount % 32, sums.data());
  return sums;
}

TEST(AudioDecoding, ErrorSumsTreatHighSymbolsAsNegative) {
  Rar20Decoder decoder{};
  ResetAudio(&decoder, 1);
  ChannelPredictor& p = decoder.channels[0];
  SetRecentDifferences(&p, 3, 0, 0, 0);  // 3 becomes d1
  DecodeAudioByte(&decoder, 255);        // e = -8
  const std::vector<uint32_t> sums = ErrorSums(p);
  EXPECT_EQ(sums[0], 8u);
  EXPECT_EQ(sums[1], 11u);  // |-8 - 3|
  EXPECT_EQ(sums[2], 5u);   // |-8 + 3|
}

TEST(AudioDecoding, ErrorSumsCoverEveryCandidate) {
  Rar20Decoder decoder{};
  ResetAudio(&decoder, 2);
  ChannelPredictor& p = decoder.channels[0];
  // d1 5, d2 5 - 0, d3 -7, d4 20.
  SetRecentDifferences(&p, 5, 0, -7, 20);
  decoder.crossDelta = -30;
  DecodeAudioByte(&decoder, 2);  // e = 16
  const std::vector<uint32_t> sums = ErrorSums(p);
  const uint32_t expected[11] = {16, 11, 21, 11, 21, 23, 9, 4, 36, 46, 14};
  for (int i = 0; i < 11; i++) EXPECT_EQ(sums[i], expected[i]) << i;
}

TEST(AudioDecoding, CrossDeltaLinksTheChannels) {
  Rar20Decoder decoder{};
  ResetAudio(&decoder, 2);
  SetWeights(&decoder.channels[1], 0, 0, 0, 0, 8);  // channel 1 follows channel 0's last delta
  decoder.currentChannel = 0;
  EXPECT_EQ(DecodeAudioByte(&decoder, 256 - 10), 10);  // channel 0: +10
  EXPECT_EQ(decoder.crossDelta, 10);
  decoder.currentChannel = 1;
  // S = 8 * 0 + 8 * 10 = 80, predicted 10, symbol 0 keeps it.
  EXPECT_EQ(DecodeAudioByte(&decoder, 0), 10);
  EXPECT_EQ(decoder.crossDelta, 10);
}

TEST(AudioDecoding, WeightsAdaptEvery32BytesOfTheirOwnChannel) {
  Rar20Decoder decoder{};
  ResetAudio(&decoder, 2);
  // Channel 0 rises by 4 a byte (e = -32, delta1 = 4), so "e + delta1" has
  // the smallest sum and weight1 goes up. Channel 1 stays flat.
  for (int i = 0; i < 31; i++) {
    decoder.currentChannel = 0;
    DecodeAudioByte(&decoder, 256 - 4);
    decoder.currentChannel = 1;
    DecodeAudioByte(&decoder, 0);
  }
  EXPECT_EQ(decoder.channels[0].sampleCount, 31u);
  EXPECT_EQ(decoder.channels[0].weight1, 0);
  decoder.currentChannel = 0;
  DecodeAudioByte(&decoder, 256 - 4);  // the 32nd on channel 0, the 63rd of the stream
  EXPECT_EQ(decoder.channels[0].weight1, 1);
  // The window's last delta leads the next window: its first byte's d1.
  EXPECT_EQ(RecentDeltas(&decoder.channels[0])[3], 4);
  // Channel 1 has seen 31 bytes: its sums are still running.
  EXPECT_EQ(decoder.channels[1].sampleCount, 31u);
  EXPECT_EQ(ErrorSums(decoder.channels[1])[9], 31u * 4u);
}

TEST(AudioDecoding, AdaptationMovesOneWeightByTheSmallestSum) {
  ChannelPredictor p{};
  uint32_t sums[11];
  for (uint32_t i = 0; i < 11; i++) sums[i] = 100;
  AdaptWeights(&p, sums);  // all equal: entry 0 wins, nothing moves
  EXPECT_EQ(p.weight1 + p.weight2 + p.weight3 + p.weight4 + p.weight5, 0);
  int32_t ChannelPredictor::*weights[5] = {&ChannelPredictor::weight1, &ChannelPredictor::weight2,
                                           &ChannelPredictor::weight3, &ChannelPredictor::weight4,
                                           &ChannelPredictor::weight5};
  for (uint32_t m = 1; m < 11; m++) {
    ChannelPredictor q{};
    for (uint32_t i = 0; i < 11; i++) sums[i] = 50;
    sums[m] = 10;
    sums[(m % 10) + 1] = 10;  // a tie with a later or earlier entry
    AdaptWeights(&q, sums);
    const uint32_t winner = std::min(m, (m % 10) + 1);
    const int32_t moved = q.*weights[(winner - 1) / 2];
    EXPECT_EQ(moved, winner % 2 ? -1 : 1) << m;
  }
}

TEST(AudioDecoding, WeightsStayWithinMinus17And16) {
  ChannelPredictor p{};
  uint32_t lowerFirst[11] = {9};  // entry 1 (lower weight1) is smallest
  p.weight1 = -17;
  AdaptWeights(&p, lowerFirst);
  EXPECT_EQ(p.weight1, -17);
  p.weight1 = -16;
  AdaptWeights(&p, lowerFirst);
  EXPECT_EQ(p.weight1, -17);
  uint32_t raiseSecond[11];
  for (uint32_t i = 0; i < 11; i++) raiseSecond[i] = i == 4 ? 0 : 5;
  p.weight2 = 16;
  AdaptWeights(&p, raiseSecond);
  EXPECT_EQ(p.weight2, 16);
  p.weight2 = 15;
  AdaptWeights(&p, raiseSecond);
  EXPECT_EQ(p.weight2, 16);
}

TEST(AudioDecoding, AudioBlockInterleavesChannelsThroughTheLoop) {
  // Two channels, every symbol coded in 9 bits; symbol 256 closes nothing here.
  BitWriter w;
  std::vector<uint8_t> lengths(2 * 257, 9);
  PutBlockHeader(w, lengths, true, 2);
  CanonicalCode code(std::vector<uint8_t>(257, 9));
  const uint32_t symbols[4] = {5, 7, 1, 0};
  for (uint32_t s : symbols) code.Put(w, s);
  DecodeRun run;
  std::vector<uint8_t> out = run.Entry(w.Bytes(0), 4);
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[0], 251);  // channel 0 first byte: -5
  EXPECT_EQ(out[1], 249);  // channel 1 first byte: -7
  EXPECT_EQ(run.decoder.channels[0].sampleCount, 2u);
  EXPECT_EQ(run.decoder.channels[1].sampleCount, 2u);
  EXPECT_EQ(run.decoder.currentChannel, 0u);
}

TEST(AudioDecoding, ABlockHeaderRightAfterAnEntrysLastByteServesTheNextSolidEntry) {
  // LZ, then audio, then LZ again, each entry's tables sent at the end of
  // the entry before it.
  const std::vector<uint8_t> audioLengths(257, 9);
  const CanonicalCode audio(audioLengths);
  LzStream first;
  first.Literals("ab");
  first.codes.literal.Put(first.w, SymbolNewTables);
  PutBlockHeader(first.w, audioLengths, true, 1);
  BitWriter second;
  audio.Put(second, 5);
  audio.Put(second, AudioSymbolNewTables);
  PutBlockHeader(second, FlatLzLengths(), false);
  LzStream third(false);
  third.Literals("xyz");
  for (bool direct : {true, false}) {
    DecodeRun run;
    run.direct = direct;
    EXPECT_EQ(run.Entry(first.Bytes(), 2), ToVector("ab")) << direct;
    EXPECT_TRUE(run.decoder.audioMode);
    EXPECT_EQ(run.Entry(second.Bytes(0), 1, true), std::vector<uint8_t>{251}) << direct;
    EXPECT_FALSE(run.decoder.audioMode);
    EXPECT_EQ(run.Entry(third.Bytes(), 3, true), ToVector("xyz")) << direct;
  }
}

TEST(AudioDecoding, ASolidEntryAfterABrokenHeaderDecodesByTheTablesLeftUnbuilt) {
  // The first entry's last literal is followed by an audio header of three
  // channels whose first length repeats the one before it, which no header
  // has: the entry is broken and no audio table is built. The solid entry
  // after it decodes with the empty tables: every code is 15 bits of symbol
  // 0, whose bytes predict to 0.
  LzStream first;
  first.Literal('a');
  first.codes.literal.Put(first.w, SymbolNewTables);
  first.w.Bits(0b1010, 4);  // audio, not delta, three channels
  for (int i = 0; i < LevelSymbols; i++) first.w.Bits(5, 4);
  CanonicalCode(std::vector<uint8_t>(LevelSymbols, 5)).Put(first.w, LevelRepeat);
  const std::vector<uint8_t> second(8, 0xFF);
  for (bool direct : {true, false}) {
    DecodeRun run;
    run.direct = direct;
    run.Entry(first.Bytes(), 1);
    EXPECT_TRUE(run.decoder.audioMode && run.decoder.dataError) << direct;
    EXPECT_EQ(run.decoder.channelCount, 3u);
    EXPECT_EQ(run.Entry(second, 3, true), std::vector<uint8_t>(3, 0)) << direct;
    EXPECT_FALSE(run.decoder.dataError) << direct;
    EXPECT_EQ(run.decoder.input.bytePos * 8 + run.decoder.input.bitPos, 45u) << direct;
  }
}

TEST(AudioDecoding, TheLoopGivesWhatByteByByteDecodingGives) {
  // A 3-channel block that ends as every channel ends its first window (the
  // loop leaves their adaptations to each channel's next byte: channel 0's
  // to the next block, on one channel, channels 1 and 2's across it), a
  // 1-channel block that ends in the middle of an adaptation window, a
  // 3-channel block, then a block of 1 to 4 channels that may start in the
  // middle of a round; codes of 8, 9 and 13 bits (longer than one lookup
  // reaches); enough bytes for input slides and many adaptations; written
  // through the window and straight into the output.
  std::vector<uint8_t> lengths(257);
  for (int s = 0; s < 257; s++) lengths[size_t(s)] = s < 120 ? 8 : s < 240 ? 9 : 13;
  const CanonicalCode code(lengths);
  for (uint32_t channels = 1; channels <= 4; channels++) {
    uint32_t x = 12345 + channels;
    auto next = [&x] { return (x = x * 1103515245u + 12345u) >> 16; };
    const struct {
      uint32_t channels, bytes;
    } blocks[4] = {{3, 96}, {1, 777}, {3, 1001}, {channels, 30000}};
    std::vector<uint32_t> symbols;
    BitWriter w;
    for (const auto& block : blocks) {
      if (!symbols.empty()) code.Put(w, 256);
      std::vector<uint8_t> all;
      for (uint32_t c = 0; c < block.channels; c++)
        all.insert(all.end(), lengths.begin(), lengths.end());
      PutBlockHeader(w, all, true, int(block.channels));
      for (uint32_t i = 0; i < block.bytes; i++) {
        symbols.push_back(next() % 8 == 0 ? 240 + next() % 16 : next() % 240);
        code.Put(w, symbols.back());
      }
    }
    for (bool direct : {true, false}) {
      DecodeRun run;
      run.direct = direct;
      const std::vector<uint8_t> out = run.Entry(w.Bytes(), uint32_t(symbols.size()));

      ResetAudio(&run.decoder, 3);
      std::vector<uint8_t> expected;
      uint32_t i = 0;
      for (const auto& block : blocks) {
        run.decoder.channelCount = block.channels;
        if (run.decoder.currentChannel >= block.channels) run.decoder.currentChannel = 0;
        for (uint32_t k = 0; k < block.bytes; k++, i++) {
          expected.push_back(DecodeAudioByte(&run.decoder, symbols[i]));
          if (++run.decoder.currentChannel == run.decoder.channelCount)
            run.decoder.currentChannel = 0;
        }
      }
      EXPECT_EQ(out, expected) << channels << " channels, direct " << direct;
    }
  }
}

}  // namespace

namespace {

TEST(AudioDecoding, AdaptationMovesTheWeightThePlainSumsChoose) {
  // Random windows, some of small values so that sums tie, and weights at
  // and near their limits; the adaptation (by vectors where the processor
  // has them) against the byte-at-a-time sums and the plain choice.
  TestRandom r(31);
  for (int round = 0; round < 4000; round++) {
    const int32_t spread = round % 3 == 0 ? 3 : 256;
    auto value = [&] { return int32_t(r.Below(uint32_t(spread))) - spread / 2; };
    ChannelPredictor p{};
    for (uint32_t i = 0; i < 32; i++) {
      p.symbols[i] = int16_t(8 * value());
      p.crosses[i] = int16_t(value());
    }
    for (int16_t& delta : p.deltas) delta = int16_t(value());
    int32_t* weights[5] = {&p.weight1, &p.weight2, &p.weight3, &p.weight4, &p.weight5};
    for (int32_t* w : weights) *w = int32_t(r.Below(34)) - 17;
    p.sampleCount = 32;
    ChannelPredictor plain = p;
    uint32_t sums[11];
    WindowErrors(&plain, 32, sums);
    AdaptWeights(&plain, sums);
    const std::vector<int32_t> expected = {plain.weight1, plain.weight2, plain.weight3,
                                           plain.weight4, plain.weight5};
    for (int by = 0; by <= int(FastestSums()); by++) {
      ChannelPredictor q = p;
      AdaptChannelBy(&q, SumsBy(by));
      ASSERT_EQ(std::vector<int32_t>({q.weight1, q.weight2, q.weight3, q.weight4, q.weight5}),
                expected)
          << "round " << round << ", sums made by way " << by;
      for (uint32_t k = 0; k < DeltaHistory; k++)
        ASSERT_EQ(q.deltas[k], p.deltas[32 + k]) << "round " << round;
    }
  }
}

}  // namespace
