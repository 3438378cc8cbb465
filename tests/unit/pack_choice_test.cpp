// The packer's choices never lose: the automatic audio choice against both
// forced modes, the costlier levels against level 3, run-heavy files against
// zlib's best, on the kinds of input that once fooled the estimates.
#include <gtest/gtest.h>
#include <zlib.h>

#include "pack_support.h"

namespace {

using packer::ArchiveSettings;
using packer::AudioChoice;

struct Sample {
  const char* kind;
  std::vector<uint8_t> data;
};

std::vector<Sample> Samples() {
  std::vector<uint8_t> sound = SoundData(60000, 2, 21);
  std::vector<uint8_t> soundThenZeros = sound;
  soundThenZeros.resize(sound.size() + 200000, 0);
  return {{"plain bitmap", PlainBitmapData(300, 200, 1)},
          {"screen bitmap", ScreenBitmapData(400, 300, 2)},
          {"icon", IconData(48, 3)},
          {"zeros", std::vector<uint8_t>(300000, 0)},
          {"zero-padded sections", ZeroPaddedData(3, 4)},
          {"period-3 pattern",
           [] {
             std::vector<uint8_t> v(200000);
             for (size_t i = 0; i < v.size(); i++) v[i] = uint8_t(i % 3 * 40);
             return v;
           }()},
          {"sound", sound},
          {"sound then zeros", soundThenZeros},
          {"text", TextData(100000, 5)}};
}

// Packed size of the entry's data, after checking that it comes back.
uint64_t PackedSize(const std::vector<uint8_t>& data, int level, AudioChoice audio) {
  ArchiveSettings settings;
  settings.level = level;
  settings.audio = audio;
  const std::vector<uint8_t> archive = PackOrFail({FileItem("f", data)}, settings);
  std::vector<uint8_t> out;
  EXPECT_TRUE(FetchEntry(archive, "f", &out)) << "-m" << level;
  EXPECT_EQ(out, data) << "-m" << level;
  ArchiveImage image{archive.data(), uint32_t(archive.size()), 0};
  EntryListNode* head = nullptr;
  ArchiveListEntries(&image, &head);
  const uint64_t size = head ? head->packedSize : 0;
  ArchiveFreeList(head);
  return size;
}

uint64_t DeflateSize(const std::vector<uint8_t>& data) {
  uLongf n = compressBound(uLong(data.size()));
  std::vector<uint8_t> out(n);
  EXPECT_EQ(compress2(out.data(), &n, data.data(), uLong(data.size()), 9), Z_OK);
  return n - 6;  // zlib's own header and check value
}

TEST(PackChoice, AutomaticIsWithinOnePercentOfTheBetterForcedMode) {
  for (const Sample& s : Samples())
    for (int level : {1, 3, 5}) {
      const uint64_t automatic = PackedSize(s.data, level, AudioChoice::Automatic);
      const uint64_t always = PackedSize(s.data, level, AudioChoice::Always);
      const uint64_t never = PackedSize(s.data, level, AudioChoice::Never);
      EXPECT_LE(double(automatic), 1.01 * double(std::min(always, never)))
          << s.kind << " at -m" << level << ": -mm " << always << ", -mm- " << never;
    }
}

TEST(PackChoice, CostlierLevelsAreNeverLargerThanLevelThree) {
  for (const Sample& s : Samples())
    for (AudioChoice audio : {AudioChoice::Automatic, AudioChoice::Never}) {
      const uint64_t m3 = PackedSize(s.data, 3, audio);
      EXPECT_LE(PackedSize(s.data, 4, audio), m3) << s.kind;
      EXPECT_LE(PackedSize(s.data, 5, audio), m3) << s.kind;
    }
}

TEST(PackChoice, RunHeavyFilesPackAtLeastAsSmallAsZlibsBest) {
  // Every run-heavy kind at level 5; all but the screen, whose glyphs want
  // the optimal parse, at level 3 as well.
  for (const Sample& s : Samples()) {
    const std::string kind = s.kind;
    if (kind == "sound" || kind == "sound then zeros" || kind == "text") continue;
    const uint64_t deflate = DeflateSize(s.data);
    EXPECT_LE(PackedSize(s.data, 5, AudioChoice::Automatic), deflate) << kind << " at -m5";
    if (kind != "screen bitmap") {
      EXPECT_LE(PackedSize(s.data, 3, AudioChoice::Automatic), deflate) << kind << " at -m3";
    }
  }
}

TEST(PackChoice, ZerosCostFarLessThanABitAByte) {
  // Audio blocks spend at least a bit a byte; matches of the longest length
  // spend a few bits for each of them.
  const std::vector<uint8_t> zeros(1000000, 0);
  for (int level = 1; level <= 5; level++)
    EXPECT_LT(PackedSize(zeros, level, AudioChoice::Automatic), 2000u) << "-m" << level;
}

TEST(PackChoice, SoundStillGetsAudioBlocks) {
  ArchiveSettings settings;
  settings.level = 3;
  packer::PackSummary summary;
  PackOrFail({FileItem("voice.raw", SoundData(80000, 1, 22))}, settings, &summary);
  EXPECT_GT(summary.encoding.audioBlocks, 0u);
  EXPECT_EQ(summary.encoding.lzBlocks, 0u);
}

TEST(PackChoice, SolidStreamKeepsTheSmallerWholeWithEveryEntryIntact) {
  std::vector<packer::PackItem> items;
  const std::vector<Sample> samples = Samples();
  for (size_t i = 0; i < samples.size(); i++)
    items.push_back(FileItem("f" + std::to_string(i), samples[i].data));
  for (int level : {3, 5}) {
    uint64_t sizes[3];
    int k = 0;
    for (AudioChoice audio : {AudioChoice::Automatic, AudioChoice::Always, AudioChoice::Never}) {
      ArchiveSettings settings;
      settings.level = level;
      settings.solid = true;
      settings.audio = audio;
      const std::vector<uint8_t> archive = PackOrFail(items, settings);
      sizes[k++] = archive.size();
      for (size_t i = items.size(); i-- > 0;) {
        std::vector<uint8_t> out;
        ASSERT_TRUE(FetchEntry(archive, items[i].name, &out)) << items[i].name;
        EXPECT_EQ(out, items[i].data) << items[i].name;
      }
    }
    EXPECT_LE(sizes[0], std::min(sizes[1], sizes[2])) << "-m" << level << " -s";
  }
}

}  // namespace
