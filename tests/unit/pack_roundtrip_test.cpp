// Archives made by the packer come back byte for byte through the reader and
// the decompressor, for every option and every kind of input.
#include <gtest/gtest.h>

#include "pack_support.h"

namespace {

using packer::ArchiveSettings;
using packer::AudioChoice;

std::vector<packer::PackItem> VariedInputs() {
  std::vector<uint8_t> mixed = TextData(30000, 7);
  const std::vector<uint8_t> noise = RandomData(20000, 8);
  mixed.insert(mixed.end(), noise.begin(), noise.end());
  const std::vector<uint8_t> moreText = TextData(30000, 9);
  mixed.insert(mixed.end(), moreText.begin(), moreText.end());
  std::vector<uint8_t> run(70000, 'A');
  return {FolderItem("Data"),
          FolderItem("Data\\Empty"),
          FileItem("readme.txt", TextData(5000, 1)),
          FileItem("Data\\empty.bin", {}),
          FileItem("Data\\one.bin", {0x42}),
          FileItem("Data\\noise.bin", RandomData(9000, 2)),
          FileItem("Data\\sound.wav", SoundData(40000, 2, 3)),
          FileItem("Data\\mixed.dat", mixed),
          FileItem("Data\\run.bin", run),
          FileItem("Data\\plain.bmp", PlainBitmapData(120, 80, 11)),
          FileItem("Data\\screen.bmp", ScreenBitmapData(200, 150, 12)),
          FileItem("Data\\app.ico", IconData(32, 13)),
          FileItem("Data\\zeros.bin", std::vector<uint8_t>(50000, 0)),
          FileItem("Data\\sections.exe", ZeroPaddedData(2, 14)),
          FileItem("Data\\readme copy.txt", TextData(5000, 1))};
}

void ExpectAllEntriesComeBack(const std::vector<packer::PackItem>& items,
                              const ArchiveSettings& settings) {
  const std::vector<uint8_t> archive = PackOrFail(items, settings);
  const char* password = settings.password.empty() ? nullptr : settings.password.c_str();
  // Fetched in reverse order, so that every solid entry is reached by a walk
  // that decodes all the entries before it.
  for (size_t i = items.size(); i-- > 0;) {
    std::vector<uint8_t> out;
    ASSERT_TRUE(FetchEntry(archive, items[i].name, &out, password))
        << items[i].name << " at -m" << settings.level << (settings.solid ? " -s" : "");
    EXPECT_EQ(out, items[i].data) << items[i].name;
  }
}

TEST(PackRoundTrip, EveryLevelSolidityAndAudioChoiceGivesBackEveryEntry) {
  const std::vector<packer::PackItem> items = VariedInputs();
  for (int level = 0; level <= 5; level++)
    for (bool solid : {false, true})
      for (AudioChoice audio : {AudioChoice::Automatic, AudioChoice::Always, AudioChoice::Never}) {
        ArchiveSettings settings;
        settings.level = level;
        settings.solid = solid;
        settings.audio = audio;
        ExpectAllEntriesComeBack(items, settings);
      }
}

TEST(PackRoundTrip, EncryptedEntriesNeedTheirPassword) {
  const std::vector<packer::PackItem> items = VariedInputs();
  for (int level : {0, 3, 5})
    for (bool solid : {false, true}) {
      ArchiveSettings settings;
      settings.level = level;
      settings.solid = solid;
      settings.password = "Kilimanjaro 2003";
      ExpectAllEntriesComeBack(items, settings);
      const std::vector<uint8_t> archive = PackOrFail(items, settings);
      std::vector<uint8_t> out;
      EXPECT_FALSE(FetchEntry(archive, "readme.txt", &out));
      EXPECT_TRUE(out.empty());
      EXPECT_FALSE(FetchEntry(archive, "Data\\mixed.dat", &out, "wrong"));
    }
}

TEST(PackRoundTrip, EncryptionPaddingNeverReadsAsNewTables) {
  // Entries of every length modulo 16 end with padding of every length; a
  // solid walk that misread any of it as a block header would break the
  // entries after it.
  std::vector<packer::PackItem> items;
  for (int i = 0; i < 20; i++)
    items.push_back(FileItem("part" + std::to_string(i), TextData(300 + 37 * size_t(i), i)));
  items.push_back(FileItem("sound", SoundData(5000, 1, 4)));
  items.push_back(FileItem("after", TextData(3000, 99)));
  for (AudioChoice audio : {AudioChoice::Automatic, AudioChoice::Always}) {
    ArchiveSettings settings;
    settings.level = 2;
    settings.solid = true;
    settings.audio = audio;
    settings.password = "p";
    ExpectAllEntriesComeBack(items, settings);
  }
}

TEST(PackRoundTrip, AudioBlocksWithOneToFourChannels) {
  for (int channels = 1; channels <= 4; channels++) {
    const std::vector<packer::PackItem> items = {
        FileItem("voice.raw", SoundData(60000, channels, 10 + channels))};
    ArchiveSettings settings;
    settings.level = 3;
    packer::PackSummary summary;
    const std::vector<uint8_t> archive = PackOrFail(items, settings, &summary);
    EXPECT_GT(summary.encoding.audioBlocks, 0u) << channels << " channels";
    EXPECT_EQ(summary.encoding.audioChannelsUsed, 1u << (channels - 1)) << channels;
    std::vector<uint8_t> out;
    ASSERT_TRUE(FetchEntry(archive, "voice.raw", &out));
    EXPECT_EQ(out, items[0].data);
    // The predictor earns its keep: far smaller than the same bytes as LZ.
    settings.audio = AudioChoice::Never;
    const std::vector<uint8_t> plain = PackOrFail(items, settings);
    EXPECT_LT(archive.size() * 10, plain.size() * 8) << channels << " channels";
  }
}

TEST(PackRoundTrip, SolidStreamSwitchesBetweenAudioAndLzAtEntries) {
  std::vector<packer::PackItem> items;
  for (int i = 0; i < 6; i++) {
    items.push_back(
        FileItem("s" + std::to_string(i), SoundData(9000 + 3 * size_t(i), 1 + i % 4, i)));
    items.push_back(FileItem("t" + std::to_string(i), TextData(7000, 50 + i)));
  }
  for (int level : {1, 5}) {
    ArchiveSettings settings;
    settings.level = level;
    settings.solid = true;
    packer::PackSummary summary;
    PackOrFail(items, settings, &summary);
    EXPECT_GT(summary.encoding.audioBlocks, 0u);
    EXPECT_GT(summary.encoding.lzBlocks, 0u);
    ExpectAllEntriesComeBack(items, settings);
  }
}

TEST(PackRoundTrip, BlocksChangeInsideOneEntry) {
  // Text, then noise, then text again: the statistics change twice.
  std::vector<uint8_t> data = TextData(200000, 1);
  const std::vector<uint8_t> noise = RandomData(100000, 2);
  data.insert(data.end(), noise.begin(), noise.end());
  const std::vector<uint8_t> text = TextData(200000, 3);
  data.insert(data.end(), text.begin(), text.end());
  for (int level : {1, 4}) {
    ArchiveSettings settings;
    settings.level = level;
    settings.audio = AudioChoice::Never;
    packer::PackSummary summary;
    const std::vector<uint8_t> archive =
        PackOrFail({FileItem("changing.dat", data)}, settings, &summary);
    EXPECT_GE(summary.encoding.lzBlocks, 3u);
    std::vector<uint8_t> out;
    ASSERT_TRUE(FetchEntry(archive, "changing.dat", &out));
    EXPECT_EQ(out, data);
  }
}

// Noise, text up to the far end of the window, then the noise again (or
// fresh noise), then more text: the copy is exactly 1 MiB - 1 bytes back.
std::vector<uint8_t> FarRepeat(bool repeated) {
  std::vector<uint8_t> data = RandomData(4096, 5);
  const std::vector<uint8_t> filler = TextData((1u << 20) - 1 - 4096, 6);
  data.insert(data.end(), filler.begin(), filler.end());
  const std::vector<uint8_t> again =
      repeated ? std::vector<uint8_t>(data.begin(), data.begin() + 4096) : RandomData(4096, 55);
  data.insert(data.end(), again.begin(), again.end());
  const std::vector<uint8_t> tail = TextData(300000, 7);
  data.insert(data.end(), tail.begin(), tail.end());
  return data;
}

TEST(PackRoundTrip, LargeFilesReachBackAcrossTheWholeWindow) {
  const std::vector<uint8_t> data = FarRepeat(true);
  for (int level : {2, 4}) {
    ArchiveSettings settings;
    settings.level = level;
    packer::PackSummary far, fresh;
    const std::vector<uint8_t> archive = PackOrFail({FileItem("big.bin", data)}, settings, &far);
    std::vector<uint8_t> out;
    ASSERT_TRUE(FetchEntry(archive, "big.bin", &out));
    EXPECT_TRUE(out == data);
    // The repeated noise costs next to nothing; fresh noise costs its size.
    if (level != 2) continue;
    PackOrFail({FileItem("big.bin", FarRepeat(false))}, settings, &fresh);
    EXPECT_GT(fresh.packedBytes, far.packedBytes + 3500);
  }
}

TEST(PackRoundTrip, EmptyArchivesAndEmptyEntries) {
  for (bool solid : {false, true}) {
    ArchiveSettings settings;
    settings.solid = solid;
    const std::vector<uint8_t> none = PackOrFail({}, settings);
    ArchiveImage image{none.data(), uint32_t(none.size()), 0};
    EntryListNode* head = nullptr;
    EXPECT_EQ(ArchiveListEntries(&image, &head), 0);
    EXPECT_EQ(head, nullptr);
    // An empty first file still starts the stream for the files after it.
    ExpectAllEntriesComeBack({FileItem("a", {}), FileItem("b", {}), FileItem("c", TextData(900, 1)),
                              FileItem("d", {}), FileItem("e", TextData(900, 2))},
                             settings);
  }
}

TEST(PackRoundTrip, CyrillicNamesAreFoundByTheirCodePageBytes) {
  const std::string modules = "\xCC\xEE\xE4\xF3\xEB\xE8";  // "Модули" in code page 1251
  const std::vector<packer::PackItem> items = {
      FolderItem(modules), FileItem(modules + "\\\xD2\xE5\xEA\xF1\xF2.txt", TextData(400, 3))};
  ArchiveSettings settings;
  settings.solid = true;
  ExpectAllEntriesComeBack(items, settings);
}

}  // namespace
