// The packer reads its input in pieces and writes the archive as it goes:
// a stream read through its window packs to the same bytes as the stream
// held whole, across piece boundaries and inside long matches; archives of
// files read from disk equal those of the same bytes in memory; a file that
// reads differently the second time, or an output that fails, stops the
// archive with one line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "pack_support.h"
#include "packer/archive_output.h"
#include "packer/match_finder.h"
#include "packer/stream_encoder.h"

namespace {

using packer::ArchiveSettings;
using packer::StreamEntry;

// A stream served from memory the way files serve it: in order, and
// sampled anywhere; the largest single read is recorded.
class MemoryInput : public packer::StreamInput {
 public:
  explicit MemoryInput(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  bool Rewind() override {
    next_ = 0;
    return true;
  }
  bool ReadNext(uint8_t* out, uint32_t n) override {
    EXPECT_LE(next_ + n, bytes_.size());
    std::memcpy(out, bytes_.data() + next_, n);
    next_ += n;
    largestRead = std::max(largestRead, n);
    return true;
  }
  bool ReadAt(uint32_t at, uint8_t* out, uint32_t n) override {
    EXPECT_LE(at + n, bytes_.size());
    std::memcpy(out, bytes_.data() + at, n);
    return true;
  }
  uint32_t largestRead = 0;

 private:
  const std::vector<uint8_t>& bytes_;
  uint32_t next_ = 0;
};

class KeptEntries : public packer::StreamOutput {
 public:
  explicit KeptEntries(size_t n) : packed(n), ended(n, 0) {}
  bool Write(size_t entry, const uint8_t* bytes, size_t n) override {
    packed[entry].insert(packed[entry].end(), bytes, bytes + n);
    return true;
  }
  bool EndEntry(size_t entry) override {
    ended[entry]++;
    return true;
  }
  bool Restart() override {
    for (auto& p : packed) p.clear();
    std::fill(ended.begin(), ended.end(), 0);
    return true;
  }
  std::vector<std::vector<uint8_t>> packed;
  std::vector<int> ended;
};

// About 7 MB in entries of uneven sizes: text whose 900 KB blocks come
// back shifted (long matches across every piece boundary), sound longer
// than a piece, noise, and runs.
std::vector<uint8_t> LongStream(std::vector<StreamEntry>* entries) {
  std::vector<uint8_t> stream;
  auto add = [&](const std::vector<uint8_t>& bytes) {
    entries->push_back({uint32_t(stream.size()), uint32_t(bytes.size())});
    stream.insert(stream.end(), bytes.begin(), bytes.end());
  };
  const std::vector<uint8_t> block = TextData(900 << 10, 41);
  std::vector<uint8_t> repeats;
  for (int k = 0; repeats.size() < (3500u << 10); k++) {
    repeats.insert(repeats.end(), block.begin() + 37 * k, block.end());
    const std::vector<uint8_t> noise = RandomData(19, uint64_t(k));
    repeats.insert(repeats.end(), noise.begin(), noise.end());
  }
  add(repeats);
  add(SoundData(3300 << 10, 2, 42));
  add({});
  add(RandomData(70000, 43));
  add(std::vector<uint8_t>(300000, 0));
  add(TextData(5000, 44));
  return stream;
}

TEST(PackStreaming, AStreamReadInPiecesPacksToTheSameBytesAsTheWholeStream) {
  std::vector<StreamEntry> entries;
  std::vector<uint8_t> stream = LongStream(&entries);
  const uint32_t size = uint32_t(stream.size());
  std::vector<uint8_t> padded = stream;
  padded.resize(size + packer::MatchPadding, 0);
  for (int level : {1, 3, 4}) {
    packer::EncodeSettings settings;
    settings.level = level;
    settings.guardEntryEnds = level == 4;
    const auto whole = packer::EncodeStream(padded.data(), size, entries, settings);
    MemoryInput input(stream);
    KeptEntries pieces(entries.size());
    ASSERT_TRUE(packer::EncodeStreamFrom(&input, size, entries, settings, &pieces));
    EXPECT_EQ(pieces.packed, whole) << "level " << level;
    EXPECT_EQ(pieces.ended, std::vector<int>(entries.size(), 1)) << "every entry ends once";
    // Read in pieces: never the stream, or anything like it, at once.
    EXPECT_LE(input.largestRead, 3u << 20) << "level " << level;
  }
}

class PackFromFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/pack-streaming-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
  }
  void TearDown() override {
    const std::string command = "rm -rf '" + root_ + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }
  // The item as the listing names it: its file written from item.data.
  packer::PackItem OnDisk(const packer::PackItem& item) {
    packer::PackItem file = item;
    if (item.directory) return file;
    file.path = root_ + "/" + std::to_string(count_++);
    std::ofstream(file.path, std::ios::binary)
        .write(reinterpret_cast<const char*>(item.data.data()), std::streamsize(item.data.size()));
    struct stat st;
    EXPECT_EQ(stat(file.path.c_str(), &st), 0);
    file.size = item.data.size();
    file.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    file.data.clear();
    return file;
  }
  std::string root_;
  int count_ = 0;
};

TEST_F(PackFromFiles, FilesReadFromDiskPackLikeTheSameBytesInMemory) {
  const std::vector<packer::PackItem> items = {
      FolderItem("Data"),
      FileItem("Data\\text.txt", TextData(3500 << 10, 51)),
      FileItem("Data\\empty.bin", {}),
      FileItem("Data\\noise.bin", RandomData(600000, 52)),  // stored after all
      FileItem("Data\\sound.wav", SoundData(200000, 1, 53)),
      FileItem("Data\\tiny.txt", TextData(3, 54))};
  std::vector<packer::PackItem> files;
  for (const packer::PackItem& item : items) files.push_back(OnDisk(item));
  for (const bool solid : {false, true})
    for (const char* password : {"", "key"}) {
      ArchiveSettings settings;
      settings.level = 3;
      settings.solid = solid;
      settings.password = password;
      packer::PackSummary fromMemory, fromFiles;
      const std::vector<uint8_t> expected = PackOrFail(items, settings, &fromMemory);
      EXPECT_EQ(PackOrFail(files, settings, &fromFiles), expected)
          << "solid " << solid << ", password '" << password << "'";
      EXPECT_EQ(fromFiles.storedFiles, fromMemory.storedFiles);
      EXPECT_GE(fromFiles.storedFiles, 1u) << "the noise is stored";
    }
}

TEST_F(PackFromFiles, AFileThatReadsDifferentlyTheSecondTimeStopsTheArchive) {
  // Apart, noise is compressed, then read again to be stored; between the
  // two reads its bytes change, its size and time do not. A solid archive
  // stores it after the trial alone and reads it whole once: what it holds
  // is that one read, sound.
  std::vector<packer::PackItem> items = {OnDisk(FileItem("noise.bin", RandomData(300000, 61)))};
  std::string path = items[0].path;
  const std::vector<uint8_t> other = RandomData(300000, 62);
  for (const bool solid : {false, true}) {
    ArchiveSettings settings;
    settings.level = 1;
    settings.solid = solid;
    bool changed = false;
    settings.progress = [&](uint64_t, uint64_t) {
      if (changed) return;
      changed = true;
      struct stat st;
      ASSERT_EQ(stat(path.c_str(), &st), 0);
      std::ofstream(path, std::ios::binary)
          .write(reinterpret_cast<const char*>(other.data()), std::streamsize(other.size()));
      const struct timespec times[2] = {st.st_atim, st.st_mtim};
      ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    };
    std::vector<uint8_t> archive;
    std::string error;
    if (!solid) {
      EXPECT_FALSE(packer::BuildArchive(items, settings, &archive, &error));
      EXPECT_EQ(error, path + ": changed while being packed");
    } else {
      ASSERT_TRUE(packer::BuildArchive(items, settings, &archive, &error)) << error;
      std::vector<uint8_t> fetched;
      EXPECT_TRUE(FetchEntry(archive, "noise.bin", &fetched));
      EXPECT_EQ(fetched, other);
    }
    EXPECT_TRUE(changed);
    // A fresh file for the next round.
    items[0] = OnDisk(FileItem("noise.bin", RandomData(300000, 61)));
    path = items[0].path;
  }
}

TEST_F(PackFromFiles, AFailedWriteStopsTheArchiveWithItsReason) {
  const int fd = open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  packer::FileOutput output(fd, "full.rar");
  std::string error;
  EXPECT_FALSE(packer::BuildArchive({FileItem("a.txt", TextData(100000, 71))}, ArchiveSettings{},
                                    &output, &error));
  EXPECT_EQ(error, "full.rar: No space left on device");
  close(fd);
}

}  // namespace
