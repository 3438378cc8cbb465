// CRC-32: the standard reflected table and check values.
#include "archive/crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace {

TEST(Crc32, TableIsTheStandardReflectedTable) {
  BuildCrc32Table();
  EXPECT_EQ(Crc32Table[0], 0u);
  EXPECT_EQ(Crc32Table[1], 0x77073096u);
  EXPECT_EQ(Crc32Table[128], 0xEDB88320u);
  EXPECT_EQ(Crc32Table[255], 0x2D02EF8Du);
}

TEST(Crc32, DataTestGivesTheStandardCrcOfTheBytes) {
  BuildCrc32Table();
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
  BuildCrc32Table();
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

TEST(Crc32, NoBytesLeaveTheStartValue) {
  BuildCrc32Table();
  EXPECT_EQ(UpdateCrc32(0xFFFFFFFFu, nullptr, 0), 0xFFFFFFFFu);
  EXPECT_EQ(~UpdateCrc32(0xFFFFFFFFu, "", 0), 0u);
}

}  // namespace
