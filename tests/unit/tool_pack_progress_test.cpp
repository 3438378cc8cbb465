// pack's progress line: files counted as their bytes are done, the input's
// own total kept when a solid stream is compressed a second time.
#include <gtest/gtest.h>

#include "pack_progress.h"

namespace {

TEST(PackProgress, CountsTheFilesWhoseBytesAreDone) {
  PackProgress p({100, 0, 200, 300});
  EXPECT_EQ(p.totalBytes(), 600u);
  EXPECT_EQ(p.totalFiles(), 4u);
  p.Tell(50, 600);
  EXPECT_EQ(p.bytes(), 50u);
  EXPECT_EQ(p.files(), 0u);
  p.Tell(100, 600);
  EXPECT_EQ(p.files(), 2u);  // the empty file right after the first is done too
  p.Tell(599, 600);
  EXPECT_EQ(p.files(), 3u);
  p.Tell(600, 600);
  EXPECT_EQ(p.bytes(), 600u);
  EXPECT_EQ(p.files(), 4u);
}

TEST(PackProgress, ASecondPassNeitherDoublesTheTotalNorGoesBack) {
  PackProgress p({400, 400});
  p.Tell(800, 800);  // the first pass, whole
  EXPECT_EQ(p.bytes(), 800u);
  p.Tell(800, 1600);  // the second pass starts: the compressor's total doubles
  EXPECT_EQ(p.bytes(), 800u);
  EXPECT_EQ(p.files(), 2u);
  p.Tell(1600, 1600);
  EXPECT_EQ(p.bytes(), 800u);
  p.Tell(2000, 1600);  // more than the total is told as the total
  EXPECT_EQ(p.bytes(), 800u);
}

TEST(PackProgress, NothingToPackShowsNothing) {
  PackProgress p({});
  p.Tell(0, 0);
  p.Tell(10, 10);
  EXPECT_EQ(p.bytes(), 0u);
  EXPECT_EQ(p.files(), 0u);
}

}  // namespace
