// A broken entry of a solid archive fails, and each entry after it is judged
// by its own CRC: the window goes on from where the broken entry would have
// ended, so intact successors come out right and those that copy from the
// broken stretch fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "archive/archive_reader.h"
#include "archive/block_headers.h"
#include "archive_builder.h"
#include "lz_stream.h"
#include "unpack/rar20_decoder.h"

namespace {

constexpr uint16_t Solid = 0x8000 | EntryFlagSolid;

TestEntry Compressed(const std::string& name, const std::vector<uint8_t>& packed,
                     uint32_t unpackedSize, uint32_t crc, uint16_t flags) {
  TestEntry e;
  e.name = name;
  e.data = packed;
  e.unpackedSize = unpackedSize;
  e.dataCrc = crc;
  e.flags = flags;
  e.method = 0x33;
  return e;
}

struct Fetched {
  int ok = 0;
  std::string data;
};

Fetched Get(const std::vector<uint8_t>& archive, const char* name) {
  ArchiveReleaseSolidState();
  ArchiveImage image{archive.data(), uint32_t(archive.size()), 0};
  uint8_t* out = nullptr;
  uint32_t size = 0;
  Fetched f;
  f.ok = ArchiveGetEntry(&out, &size, name, &image, nullptr);
  f.data.assign(reinterpret_cast<const char*>(out), size);
  std::free(out);
  ArchiveReleaseSolidState();
  return f;
}

// The writer meant "abcdefgh" followed by 4992 more bytes; the packed data
// carries only the first eight literals.
constexpr uint32_t BrokenSize = 5000;
const std::string BrokenStart = "abcdefgh";

std::vector<uint8_t> CutEntryData() {
  LzStream s;
  s.Literals(BrokenStart);
  return s.Bytes();
}

// A solid archive of the cut entry and one successor, "next.txt", as long
// as expected and with its CRC; the successor fetched.
Fetched SuccessorOfTheCutEntry(const LzStream& next, const std::string& expected) {
  ArchiveBuilder b(MainFlagSolid);
  b.Entry(Compressed("cut.bin", CutEntryData(), BrokenSize, 0, 0x8000));
  b.Entry(
      Compressed("next.txt", next.Bytes(), uint32_t(expected.size()), Crc32Of(expected), Solid));
  return Get(b.Bytes(), "next.txt");
}

TEST(SolidAfterBroken, TheBrokenEntryItselfFails) {
  ArchiveBuilder b(MainFlagSolid);
  b.Entry(Compressed("cut.bin", CutEntryData(), BrokenSize, 0x12345678u, 0x8000));
  const Fetched f = Get(b.Bytes(), "cut.bin");
  EXPECT_EQ(f.ok, 0);
  EXPECT_TRUE(f.data.empty());
}

TEST(SolidAfterBroken, LiteralSuccessorComesOutRight) {
  LzStream next(false);
  next.Literals("hello, world");
  const Fetched f = SuccessorOfTheCutEntry(next, "hello, world");
  EXPECT_EQ(f.ok, 1);
  EXPECT_EQ(f.data, "hello, world");
}

TEST(SolidAfterBroken, SuccessorFindsTheIntactStartAtItsWritersDistance) {
  // The successor starts at window position 5000 only if the broken entry's
  // whole extent was passed over; its match then reaches "abc" at 0.
  LzStream next(false);
  next.Literal('>');
  next.Match(3, BrokenSize + 1);
  const Fetched f = SuccessorOfTheCutEntry(next, ">abc");
  EXPECT_EQ(f.ok, 1);
  EXPECT_EQ(f.data, ">abc");
}

TEST(SolidAfterBroken, SuccessorCopyingFromTheBrokenStretchFailsItsCrc) {
  // The writer's bytes 4000..4003 of the broken entry were "wxyz".
  LzStream next(false);
  next.Match(4, BrokenSize - 4000);
  LzStream after(false);
  after.Literals("fine");
  ArchiveBuilder b(MainFlagSolid);
  b.Entry(Compressed("cut.bin", CutEntryData(), BrokenSize, 0, 0x8000));
  b.Entry(Compressed("copy.txt", next.Bytes(), 4, Crc32Of("wxyz"), Solid));
  b.Entry(Compressed("after.txt", after.Bytes(), 4, Crc32Of("fine"), Solid));
  const Fetched copy = Get(b.Bytes(), "copy.txt");
  EXPECT_EQ(copy.ok, 0);
  EXPECT_TRUE(copy.data.empty());
  // A failed CRC is no data error: the entry after it is decoded as usual.
  const Fetched f = Get(b.Bytes(), "after.txt");
  EXPECT_EQ(f.ok, 1);
  EXPECT_EQ(f.data, "fine");
}

TEST(SolidAfterBroken, EntryOf2GiBIsPassedOverAndItsSuccessorDecodes) {
  // 2^31 bytes move the window a whole number of turns: the successor starts
  // at the same position, over a window of zeros.
  LzStream first;
  first.Literals("zz");
  LzStream next(false);
  next.Literals("ok");
  next.Short(7);  // two bytes of the zeroed window
  ArchiveBuilder b(MainFlagSolid);
  b.Entry(Compressed("huge.bin", first.Bytes(), 0x80000000u, 0, 0x8000));
  b.Entry(Compressed("next.txt", next.Bytes(), 4, Crc32Of(std::string("ok\0\0", 4)), Solid));
  const Fetched f = Get(b.Bytes(), "next.txt");
  EXPECT_EQ(f.ok, 1);
  EXPECT_EQ(f.data, std::string("ok\0\0", 4));
}

}  // namespace
