// The trial before compressing a large file: random data is stored at once,
// and the archive is the one a full compression would have led to; data
// that compresses anywhere in the file is compressed as before.
#include <gtest/gtest.h>

#include "archive/byte_order.h"
#include "match_finder.h"
#include "pack_support.h"
#include "store_trial.h"

namespace {

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

void ExpectRoundTrip(const std::vector<uint8_t>& archive, const std::string& name,
                     const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out;
  ASSERT_TRUE(FetchEntry(archive, name, &out));
  EXPECT_TRUE(out == data);
}

// Method byte and packed size of the archive's first file header.
void FirstEntry(const std::vector<uint8_t>& archive, uint8_t* method, uint32_t* packedSize) {
  const size_t at = 7 + LoadU16(archive.data() + 7 + 5);
  *packedSize = LoadU32(archive.data() + at + 7);
  *method = archive[at + 25];
}

TEST(StoreTrial, RandomDataIsStoredAsAFullCompressionWouldHaveLedTo) {
  const std::vector<uint8_t> noise = RandomData(packer::StoreTrialMinimum + 12345, 71);
  packer::EncodeSettings encode;
  encode.level = 3;
  EXPECT_TRUE(packer::LooksIncompressible(noise, encode));
  // The plain way: compress it all, find it no smaller, store it.
  std::vector<uint8_t> padded = noise;
  padded.resize(noise.size() + packer::MatchPadding, 0);
  const uint32_t size = uint32_t(noise.size());
  EXPECT_GE(packer::EncodeStream(padded.data(), size, {{0, size}}, encode)[0].size(), noise.size());
  packer::ArchiveSettings settings;
  settings.level = 3;
  packer::PackSummary summary;
  const std::vector<uint8_t> archive =
      PackOrFail({FileItem("noise.bin", noise)}, settings, &summary);
  uint8_t method = 0;
  uint32_t packedSize = 0;
  FirstEntry(archive, &method, &packedSize);
  EXPECT_EQ(method, 0x30);
  EXPECT_EQ(packedSize, noise.size());
  EXPECT_EQ(summary.storedFiles, 1u);
  ExpectRoundTrip(archive, "noise.bin", noise);
}

TEST(StoreTrial, CompressibleDataAnywhereInTheFileIsCompressed) {
  packer::EncodeSettings encode;
  encode.level = 3;
  const size_t half = packer::StoreTrialMinimum / 2 + 4096;
  // Text behind a random start, and text before a random end.
  const std::vector<uint8_t> headed = Concat(RandomData(half, 72), TextData(half, 73));
  const std::vector<uint8_t> tailed = Concat(TextData(half, 74), RandomData(half, 75));
  EXPECT_FALSE(packer::LooksIncompressible(headed, encode));
  EXPECT_FALSE(packer::LooksIncompressible(tailed, encode));
  // Below the minimum there is no trial: the full compression decides.
  EXPECT_FALSE(packer::LooksIncompressible(RandomData(packer::StoreTrialMinimum - 1, 76), encode));
  packer::ArchiveSettings settings;
  settings.level = 3;
  const std::vector<uint8_t> archive = PackOrFail({FileItem("headed.bin", headed)}, settings);
  uint8_t method = 0;
  uint32_t packedSize = 0;
  FirstEntry(archive, &method, &packedSize);
  EXPECT_EQ(method, 0x33);
  EXPECT_LT(packedSize, headed.size());
  ExpectRoundTrip(archive, "headed.bin", headed);
}

TEST(StoreTrial, ASolidArchiveStoresRandomDataWithoutCompressingTheStreamTwice) {
  const std::vector<uint8_t> text = TextData(200000, 81);
  const std::vector<uint8_t> noise = RandomData(packer::StoreTrialMinimum + 999, 82);
  const std::vector<uint8_t> more = TextData(150000, 83);
  packer::ArchiveSettings settings;
  settings.level = 3;
  settings.solid = true;
  // The stream's total grows when it has to be compressed again without a
  // file found incompressible; after the trial it never does.
  const uint64_t input = text.size() + noise.size() + more.size();
  uint64_t largestTotal = 0;
  settings.progress = [&](uint64_t, uint64_t total) {
    largestTotal = std::max(largestTotal, total);
  };
  packer::PackSummary summary;
  const std::vector<uint8_t> archive =
      PackOrFail({FileItem("a.txt", text), FileItem("noise.bin", noise), FileItem("b.txt", more)},
                 settings, &summary);
  EXPECT_EQ(largestTotal, input);
  EXPECT_EQ(summary.storedFiles, 1u);
  ExpectRoundTrip(archive, "a.txt", text);
  ExpectRoundTrip(archive, "noise.bin", noise);
  ExpectRoundTrip(archive, "b.txt", more);
}

TEST(StoreTrial, ASolidArchiveTriesEveryFileOfAPieceAndCompressesItsStreamOnce) {
  packer::EncodeSettings encode;
  encode.level = 5;
  const uint64_t piece = packer::StoreTrialPiece, minimum = packer::SolidStoreTrialMinimum;
  EXPECT_FALSE(packer::LooksIncompressible(RandomData(piece - 1, 91), encode, minimum));
  EXPECT_TRUE(packer::LooksIncompressible(RandomData(piece, 92), encode, minimum));
  EXPECT_TRUE(packer::LooksIncompressible(RandomData(3 * piece + 5, 93), encode, minimum));
  // Three pieces of a file of three: the text at its end is found.
  EXPECT_FALSE(packer::LooksIncompressible(
      Concat(RandomData(2 * piece, 94), TextData(piece + 5, 95)), encode, minimum));

  const std::vector<uint8_t> text = TextData(90000, 96), noise = RandomData(300000, 97),
                             small = RandomData(5000, 98);
  packer::ArchiveSettings settings;
  settings.level = 5;
  settings.solid = true;
  uint64_t largestTotal = 0;
  settings.progress = [&](uint64_t, uint64_t total) {
    largestTotal = std::max(largestTotal, total);
  };
  packer::PackSummary summary;
  const std::vector<uint8_t> archive = PackOrFail(
      {FileItem("a.txt", text), FileItem("noise.bin", noise), FileItem("small.bin", small)},
      settings, &summary);
  // Only the noise is stored; the small random file, too short for a
  // trial, stays in the stream that was compressed once.
  EXPECT_EQ(largestTotal, text.size() + noise.size() + small.size());
  EXPECT_EQ(summary.storedFiles, 1u);
  ExpectRoundTrip(archive, "a.txt", text);
  ExpectRoundTrip(archive, "noise.bin", noise);
  ExpectRoundTrip(archive, "small.bin", small);
}

}  // namespace
