// rar2tool test and extract of a solid archive: every entry comes out right
// and each is decoded once, not once for every entry after it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "archive/reader_handle.h"
#include "entry_fetch.h"
#include "pack_support.h"
#include "rar2tool/commands.h"
#include "rar2tool/options.h"
#include "unpack/unpack_entry.h"

namespace {

class Rar2toolSolid : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/orbivue-rar2tool-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    folder_ = folder;
    for (int i = 0; i < 120; i++) {
      const std::string name = "doc\\part" + std::to_string(i) + ".txt";
      items_.push_back(FileItem(name, i % 5 == 0 ? SoundData(9000 + 37 * size_t(i), 1, uint64_t(i))
                                                 : TextData(12000 + 91 * size_t(i), uint64_t(i))));
      payload_ += items_.back().data.size();
    }
    packer::ArchiveSettings settings;
    settings.solid = true;
    const std::vector<uint8_t> archive = PackOrFail(items_, settings);
    std::ofstream(folder_ + "/solid.rar", std::ios::binary)
        .write(reinterpret_cast<const char*>(archive.data()), std::streamsize(archive.size()));
  }
  void TearDown() override { std::system(("rm -rf '" + folder_ + "'").c_str()); }

  // Runs a command with its output captured; returns its exit status and
  // the bytes it decoded.
  int Command(int (*command)(ToolOptions), const std::string& archive, const std::string& dir,
              uint64_t* decoded, std::string* out) {
    ToolOptions options;
    options.archive = archive;
    options.dir = dir;
    options.quiet = true;
    const uint64_t before = ToolArchiveReader().decoder.decodedBytes;
    testing::internal::CaptureStdout();
    const int status = command(options);
    *out = testing::internal::GetCapturedStdout();
    *decoded = ToolArchiveReader().decoder.decodedBytes - before;
    return status;
  }

  std::string folder_;
  std::vector<packer::PackItem> items_;
  uint64_t payload_ = 0;
};

TEST_F(Rar2toolSolid, TestDecodesEachEntryOnce) {
  uint64_t decoded = 0;
  std::string out;
  EXPECT_EQ(Command(TestCommand, folder_ + "/solid.rar", "", &decoded, &out), 0);
  EXPECT_NE(out.find("120 passed, 0 failed"), std::string::npos) << out;
  EXPECT_GE(decoded, payload_);
  EXPECT_LE(double(decoded), 1.05 * double(payload_));
}

TEST_F(Rar2toolSolid, ExtractWritesEveryEntryAndDecodesEachOnce) {
  uint64_t decoded = 0;
  std::string out;
  EXPECT_EQ(Command(ExtractCommand, folder_ + "/solid.rar", folder_ + "/x", &decoded, &out), 0);
  for (const packer::PackItem& item : items_) {
    std::string path = folder_ + "/x/" + item.name;
    path[path.find('\\')] = '/';
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> got((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
    EXPECT_TRUE(got == item.data) << path;
  }
  EXPECT_LE(double(decoded), 1.05 * double(payload_));
}

}  // namespace
