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

TEST(Crc32, NoBytesLeaveTheStartValue) {
  BuildCrc32Table();
  EXPECT_EQ(UpdateCrc32(0xFFFFFFFFu, nullptr, 0), 0xFFFFFFFFu);
  EXPECT_EQ(~UpdateCrc32(0xFFFFFFFFu, "", 0), 0u);
}

}  // namespace
