// CRC-32: the standard reflected table and check values.
#include "archive/crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <utility>
#include <vector>

namespace {

TEST(Crc32, TableIsTheStandardReflectedTable) {
  EXPECT_EQ(Crc32Table[0], 0u);
  EXPECT_EQ(Crc32Table[1], 0x77073096u);
  EXPECT_EQ(Crc32Table[128], 0xEDB88320u);
  EXPECT_EQ(Crc32Table[255], 0x2D02EF8Du);
}

TEST(Crc32, DataTestGivesTheStandardCrcOfTheBytes) {
  const char check[] = "123456789";
  EXPECT_EQ(~UpdateCrc32(0xFFFFFFFFu, check, 9), 0xCBF43926u);
  std::vector<uint8_t> bytes(10000);
  for (size_t i = 0; i < bytes.size(); i++) bytes[i] = uint8_t(i * 7 + i / 13);
  EXPECT_EQ(~UpdateCrc32(0xFFFFFFFFu, bytes.data(), uint32_t(bytes.size())),
            crc32(0, bytes.data(), uInt(bytes.size())));
}

TEST(Crc32, EveryLengthAlignmentAndSplitAgreesWithZlib) {
  // Sixteen bytes go at a time: the step and the byte tail must join
  // seamlessly wherever the data start and however a caller splits them.
  std::vector<uint8_t> bytes(300);
  uint32_t x = 1;
  for (uint8_t& b : bytes) b = uint8_t((x = x * 1103515245u + 12345u) >> 24);
  for (uint32_t start = 0; start < 16; start++)
    for (uint32_t len = 0; start + len <= 100; len++) {
      const uint8_t* p = bytes.data() + start;
      const uint32_t want = uint32_t(crc32(0, p, len));
      ASSERT_EQ(~UpdateCrc32(0xFFFFFFFFu, p, len), want) << start << " " << len;
      const uint32_t cut = len / 3;
      ASSERT_EQ(~UpdateCrc32(UpdateCrc32(0xFFFFFFFFu, p, cut), p + cut, len - cut), want)
          << start << " " << len;
    }
}

TEST(Crc32, FoldingGivesTheTableValuesAtEveryLengthAlignmentAndStart) {
  // Each way of carry-less multiplication this processor has against the
  // table method, over lengths around every step of the folding (128-, 64-
  // and 16-byte blocks, the byte tail), every alignment, and start values
  // that are not all ones.
  std::vector<std::pair<const char*, uint32_t (*)(uint32_t, const void*, uint32_t)>> ways;
  if (Crc32CanFold()) ways.push_back({"128-bit", UpdateCrc32Folded});
  if (Crc32CanFoldWide()) ways.push_back({"256-bit", UpdateCrc32FoldedWide});
  if (ways.empty()) GTEST_SKIP() << "this processor has no carry-less multiplication";
  std::vector<uint8_t> bytes(70000);
  uint32_t x = 7;
  for (uint8_t& b : bytes) b = uint8_t((x = x * 1103515245u + 12345u) >> 24);
  for (const auto& [way, fold] : ways) {
    for (uint32_t start = 0; start < 32; start++)
      for (uint32_t len = 0; len <= 700; len++) {
        const uint32_t from = x = x * 1103515245u + 12345u;
        const uint8_t* p = bytes.data() + start;
        ASSERT_EQ(fold(from, p, len), UpdateCrc32Table(from, p, len))
            << way << " " << start << " " << len;
      }
    for (int round = 0; round < 200; round++) {
      const uint32_t start = (x = x * 1103515245u + 12345u) % 1000;
      const uint32_t len = (x = x * 1103515245u + 12345u) % uint32_t(bytes.size() - start);
      const uint8_t* p = bytes.data() + start;
      ASSERT_EQ(fold(x, p, len), UpdateCrc32Table(x, p, len)) << way << " " << start << " " << len;
    }
    EXPECT_EQ(~fold(0xFFFFFFFFu, bytes.data(), uint32_t(bytes.size())),
              crc32(0, bytes.data(), uInt(bytes.size())))
        << way;
  }
}

TEST(Crc32, NoBytesLeaveTheStartValue) {
  EXPECT_EQ(UpdateCrc32(0xFFFFFFFFu, nullptr, 0), 0xFFFFFFFFu);
  EXPECT_EQ(~UpdateCrc32(0xFFFFFFFFu, "", 0), 0u);
}

}  // namespace
