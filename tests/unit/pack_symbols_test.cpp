// The high levels speak the whole alphabet: literals, the last match again,
// recent distances, short matches, new matches and new tables, and the
// decoder follows every one of them.
#include <gtest/gtest.h>

#include "pack_support.h"

namespace {

// Records of 24 bytes that differ in one byte (the same match again and
// again), text (new matches and recent distances), a small alphabet (short
// matches), then noise (a new block).
std::vector<uint8_t> EveryKindOfRepeat() {
  TestRandom r(21);
  std::vector<uint8_t> data;
  const std::vector<uint8_t> record = RandomData(24, 22);
  for (int i = 0; i < 800; i++) {
    data.insert(data.end(), record.begin(), record.end());
    data.back() = uint8_t(r.Next());
  }
  const std::vector<uint8_t> text = TextData(60000, 23);
  data.insert(data.end(), text.begin(), text.end());
  for (int i = 0; i < 20000; i++) data.push_back(uint8_t("xyz"[r.Below(3)] + r.Below(2) * 9));
  const std::vector<uint8_t> noise = RandomData(60000, 24);
  data.insert(data.end(), noise.begin(), noise.end());
  return data;
}

TEST(PackSymbols, TheOptimalLevelsUseEveryKindOfSymbol) {
  const std::vector<uint8_t> data = EveryKindOfRepeat();
  for (int level : {4, 5}) {
    packer::ArchiveSettings settings;
    settings.level = level;
    settings.audio = packer::AudioChoice::Never;
    packer::PackSummary summary;
    const std::vector<uint8_t> archive =
        PackOrFail({FileItem("all.bin", data)}, settings, &summary);
    const uint64_t* kinds = summary.encoding.symbols;
    EXPECT_GT(kinds[packer::KindLiteral], 0u);
    EXPECT_GT(kinds[packer::KindRepeatLast], 0u) << "level " << level;
    EXPECT_GT(kinds[packer::KindRecent], 0u) << "level " << level;
    EXPECT_GT(kinds[packer::KindShort], 0u) << "level " << level;
    EXPECT_GT(kinds[packer::KindNewMatch], 0u) << "level " << level;
    EXPECT_GT(kinds[packer::KindNewTables], 0u) << "level " << level;
    EXPECT_EQ(kinds[packer::KindAudio], 0u);
    std::vector<uint8_t> out;
    ASSERT_TRUE(FetchEntry(archive, "all.bin", &out));
    EXPECT_TRUE(out == data);
  }
}

TEST(PackSymbols, AudioOffLeavesNoAudioAndAudioOnCodesEveryByteAsAudio) {
  const std::vector<uint8_t> sound = SoundData(30000, 2, 3);
  packer::ArchiveSettings settings;
  packer::PackSummary summary;
  settings.audio = packer::AudioChoice::Never;
  PackOrFail({FileItem("s", sound)}, settings, &summary);
  EXPECT_EQ(summary.encoding.symbols[packer::KindAudio], 0u);
  EXPECT_EQ(summary.encoding.audioBlocks, 0u);
  settings.audio = packer::AudioChoice::Always;
  PackOrFail({FileItem("s", sound)}, settings, &summary);
  EXPECT_EQ(summary.encoding.symbols[packer::KindAudio], sound.size());
  EXPECT_EQ(summary.encoding.lzBlocks, 0u);
}

}  // namespace
