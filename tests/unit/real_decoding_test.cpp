// Every entry that a real RAR 2.0 archiver compressed comes out with its CRC.
#include <gtest/gtest.h>

#include <cstdlib>

#include "archive/archive_reader.h"
#include "testdata.h"

namespace {

std::vector<uint8_t> Fetch(const std::vector<uint8_t>& archive, const char* name,
                           const char* password, int* ok) {
  ArchiveImage image{archive.data(), uint32_t(archive.size()), 0};
  uint8_t* data = nullptr;
  uint32_t size = 0;
  *ok = ArchiveGetEntry(&data, &size, name, &image, password);
  std::vector<uint8_t> out(data, data + (data ? size : 0));
  std::free(data);
  return out;
}

TEST(RealDecoding, LzCompressedWavEqualsTheOriginal) {
  LOAD_TESTDATA_OR_SKIP(archive, "rar/lz-wav-unpack20.rar");
  LOAD_TESTDATA_OR_SKIP(original, "rar/boat.wav");
  int ok = 0;
  std::vector<uint8_t> wav = Fetch(archive, "BoatModernEnglish.wav", nullptr, &ok);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(wav, original);
  Fetch(archive, "LICENSE.txt", nullptr, &ok);
  EXPECT_EQ(ok, 1);
}

TEST(RealDecoding, SmallUnixEntryComesOut) {
  LOAD_TESTDATA_OR_SKIP(archive, "rar/small-unix-unpack20.rar");
  int ok = 0;
  std::vector<uint8_t> text = Fetch(archive, "file.txt", nullptr, &ok);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(text.size(), 4u);
}

TEST(RealDecoding, EncryptedEntryNeedsItsPassword) {
  LOAD_TESTDATA_OR_SKIP(archive, "rar/encrypted-lz-unpack20.rar");
  int ok = 0;
  std::vector<uint8_t> secret = Fetch(archive, "SECRET.TXT", "password", &ok);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(secret.size(), 87u);
  Fetch(archive, "SECRET.TXT", "Password", &ok);
  EXPECT_EQ(ok, 0);
  Fetch(archive, "SECRET.TXT", nullptr, &ok);
  EXPECT_EQ(ok, 0);
}

TEST(RealDecoding, OlderMethodAndCorruptEntriesFailCleanly) {
  LOAD_TESTDATA_OR_SKIP(old, "rar/comments-unpack15.rar");
  int ok = 1;
  Fetch(old, "FILE1.TXT", nullptr, &ok);
  EXPECT_EQ(ok, 0);
  LOAD_TESTDATA_OR_SKIP(corrupt, "rar/corrupt-distance-unpack20.rar");
  ok = 1;
  Fetch(corrupt, "void20", nullptr, &ok);
  EXPECT_EQ(ok, 0);
}

}  // namespace
