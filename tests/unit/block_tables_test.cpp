// Block headers: plain and delta-coded lengths, runs, audio channel counts.
#include "unpack/block_tables.h"

#include <gtest/gtest.h>

#include "bit_writer.h"
#include "decoder_fixture.h"

namespace {

// Level code in which symbol i has length levelLengths[i].
struct HeaderWriter {
  BitWriter w;
  CanonicalCode level{std::vector<uint8_t>(19, 5)};
  void Start(bool audio, bool delta, int channels = 1) {
    w.Bits(audio, 1);
    w.Bits(delta, 1);
    if (audio) w.Bits(uint32_t(channels - 1), 2);
    for (int i = 0; i < 19; i++) w.Bits(5, 4);
  }
  void Sym(uint32_t s) { level.Put(w, s); }
};

void ReadHeader(DecodeRun& run, const BitWriter& w) {
  run.Feed(w.Bytes(16));
  run.decoder.dataError = false;
  ReadBlockTables(&run.decoder);
}

TEST(BlockTables, PlainHeaderGivesLengthsEqualToTheirCodes) {
  DecodeRun run;
  std::memset(run.decoder.previousLengths, 9, sizeof run.decoder.previousLengths);
  HeaderWriter h;
  h.Start(false, false);
  for (int i = 0; i < 374; i++) h.Sym(i % 3 == 0 ? 8 : 9);
  ReadHeader(run, h.w);
  EXPECT_FALSE(run.decoder.audioMode);
  EXPECT_EQ(run.decoder.previousLengths[0], 8);
  EXPECT_EQ(run.decoder.previousLengths[1], 9);
  EXPECT_EQ(run.decoder.previousLengths[373], 9);
  EXPECT_EQ(run.decoder.literalTable.symbolCount, 298);
  EXPECT_EQ(run.decoder.distanceTable.symbolCount, 48);
  EXPECT_EQ(run.decoder.repLengthTable.symbolCount, 28);
  EXPECT_EQ(run.decoder.literalTable.symbols[0], 0u);  // the 8-bit symbols come first
  EXPECT_EQ(run.decoder.literalTable.symbols[1], 3u);
}

TEST(BlockTables, DeltaHeaderAddsCodesToThePreviousLengthsModulo16) {
  DecodeRun run;
  std::memset(run.decoder.previousLengths, 0, sizeof run.decoder.previousLengths);
  run.decoder.previousLengths[0] = 15;
  run.decoder.previousLengths[1] = 4;
  HeaderWriter h;
  h.Start(false, true);
  h.Sym(3);  // 15 + 3 = 2
  h.Sym(0);  // stays 4
  for (int i = 2; i < 374; i++) h.Sym(7);
  ReadHeader(run, h.w);
  EXPECT_EQ(run.decoder.previousLengths[0], 2);
  EXPECT_EQ(run.decoder.previousLengths[1], 4);
  EXPECT_EQ(run.decoder.previousLengths[2], 7);
}

TEST(BlockTables, RunsRepeatTheLastLengthOrWriteZeros) {
  DecodeRun run;
  HeaderWriter h;
  h.Start(false, false);
  h.Sym(5);
  h.Sym(16);
  h.w.Bits(0b01, 2);  // four more 5s
  h.Sym(17);
  h.w.Bits(0b010, 3);  // five zeros
  h.Sym(18);
  h.w.Bits(0, 7);  // eleven zeros
  h.Sym(6);
  for (int i = 1 + 4 + 5 + 11 + 1; i < 374; i++) h.Sym(9);
  ReadHeader(run, h.w);
  const uint8_t* l = run.decoder.previousLengths;
  for (int i = 0; i < 5; i++) EXPECT_EQ(l[i], 5) << i;
  for (int i = 5; i < 21; i++) EXPECT_EQ(l[i], 0) << i;
  EXPECT_EQ(l[21], 6);
  EXPECT_EQ(l[22], 9);
}

TEST(BlockTables, ZeroRunPastTheLastLengthStopsThereAndTheBlockBegins) {
  DecodeRun run;
  HeaderWriter h;
  h.Start(false, false);
  for (int i = 0; i < 370; i++) h.Sym(9);
  h.Sym(18);
  h.w.Bits(127, 7);  // 138 zeros asked, 4 fit
  h.w.Bits(0b1011, 4);
  ReadHeader(run, h.w);
  EXPECT_EQ(run.decoder.previousLengths[369], 9);
  EXPECT_EQ(run.decoder.previousLengths[370], 0);
  EXPECT_EQ(run.decoder.previousLengths[373], 0);
  EXPECT_EQ(ReadBits(&run.decoder.input, 4), 0b1011u);  // the next bits follow the header directly
}

TEST(BlockTables, RepeatWithNothingBeforeItMarksTheDataBroken) {
  DecodeRun run;
  HeaderWriter h;
  h.Start(false, false);
  h.Sym(16);
  h.w.Bits(0, 2);
  for (int i = 0; i < 374; i++) h.Sym(9);
  ReadHeader(run, h.w);
  EXPECT_TRUE(run.decoder.dataError);
}

TEST(BlockTables, AudioHeaderSetsChannelsAndKeepsOrRestartsTheRotation) {
  DecodeRun run;
  for (int channels = 1; channels <= 4; channels++) {
    for (uint32_t current : {0u, 2u, 3u}) {
      run.decoder.currentChannel = current;
      HeaderWriter h;
      h.Start(true, false, channels);
      for (int i = 0; i < 257 * channels; i++) h.Sym(9);
      h.w.Bits(0b110, 3);
      ReadHeader(run, h.w);
      EXPECT_TRUE(run.decoder.audioMode);
      EXPECT_EQ(run.decoder.channelCount, uint32_t(channels));
      EXPECT_EQ(run.decoder.currentChannel, current < uint32_t(channels) ? current : 0u);
      EXPECT_EQ(run.decoder.audioTables[channels - 1].symbolCount, 257);
      EXPECT_EQ(ReadBits(&run.decoder.input, 3), 0b110u)
          << channels;  // exactly 257 x channels lengths read
    }
  }
}

TEST(BlockTables, LengthsPastAShortBlockKeepTheirEarlierValues) {
  DecodeRun run;
  std::memset(run.decoder.previousLengths, 0, sizeof run.decoder.previousLengths);
  run.decoder.previousLengths[1000] = 12;
  HeaderWriter h;
  h.Start(false, true);
  for (int i = 0; i < 374; i++) h.Sym(9);
  ReadHeader(run, h.w);
  EXPECT_EQ(run.decoder.previousLengths[1000], 12);
}

}  // namespace
