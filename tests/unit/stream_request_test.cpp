// The streaming get request against the one-block request: the same entries
// fetched, the same bytes, the same verdicts, on real archives and on packed
// ones of every kind, and a large entry handed on in bounded pieces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "archive/archive_reader.h"
#include "pack_support.h"
#include "testdata.h"

namespace {

struct Fetched {
  int ok;
  std::vector<uint8_t> bytes;
  size_t pieces = 0;
  uint32_t largestPiece = 0;
};

std::vector<std::string> Names(const std::vector<uint8_t>& archive) {
  ArchiveImage image{archive.data(), uint32_t(archive.size()), 0};
  EntryListNode* head = nullptr;
  ArchiveListEntries(&image, &head);
  std::vector<std::string> names;
  for (EntryListNode* n = head; n != nullptr; n = n->next) names.push_back(n->name);
  ArchiveFreeList(head);
  return names;
}

// Every entry in archive order, as rar2tool asks for them.
std::vector<Fetched> GetAll(const std::vector<uint8_t>& archive, const char* password) {
  std::vector<Fetched> out;
  ArchiveImage image{archive.data(), uint32_t(archive.size()), 0};
  for (const std::string& name : Names(archive)) {
    uint8_t* data = nullptr;
    uint32_t size = 0;
    Fetched f;
    f.ok = ArchiveGetEntry(&data, &size, name.c_str(), &image, password);
    if (data != nullptr) f.bytes.assign(data, data + size);
    std::free(data);
    out.push_back(f);
  }
  ArchiveReleaseSolidState();
  return out;
}

void Collect(void* context, const uint8_t* bytes, uint32_t count) {
  Fetched* f = static_cast<Fetched*>(context);
  f->bytes.insert(f->bytes.end(), bytes, bytes + count);
  f->pieces++;
  f->largestPiece = std::max(f->largestPiece, count);
}

std::vector<Fetched> StreamAll(const std::vector<uint8_t>& archive, const char* password) {
  std::vector<Fetched> out;
  ArchiveImage image{archive.data(), uint32_t(archive.size()), 0};
  for (const std::string& name : Names(archive)) {
    Fetched f;
    f.ok = ArchiveStreamEntry(name.c_str(), &image, password, Collect, &f);
    // What a failed request handed on is thrown away, as the tool does.
    if (!f.ok) f.bytes.clear();
    out.push_back(f);
  }
  ArchiveReleaseSolidState();
  return out;
}

void ExpectSameResults(const std::vector<uint8_t>& archive, const char* password,
                       const std::string& what) {
  const std::vector<Fetched> whole = GetAll(archive, password);
  const std::vector<Fetched> streamed = StreamAll(archive, password);
  ASSERT_EQ(whole.size(), streamed.size()) << what;
  ASSERT_FALSE(whole.empty()) << what;
  for (size_t i = 0; i < whole.size(); i++) {
    EXPECT_EQ(whole[i].ok, streamed[i].ok) << what << " entry " << i;
    EXPECT_TRUE(whole[i].bytes == streamed[i].bytes) << what << " entry " << i;
  }
}

TEST(StreamRequest, RealArchivesGiveWhatTheOneBlockRequestGives) {
  const char* names[] = {"rar/lz-wav-unpack20.rar",           "rar/small-unix-unpack20.rar",
                         "rar/stored-comments-unpack20.rar",  "rar/comments-unpack15.rar",
                         "rar/corrupt-distance-unpack20.rar", "rar/stored-unpack29.rar",
                         "rar/encrypted-lz-unpack20.rar"};
  for (const char* name : names) {
    LOAD_TESTDATA_OR_SKIP(bytes, name);
    ExpectSameResults(bytes, nullptr, name);
    ExpectSameResults(bytes, "password", name);
  }
}

TEST(StreamRequest, PackedArchivesOfEveryKindGiveTheSameBytesAndVerdicts) {
  std::vector<packer::PackItem> items = {
      FileItem("text.txt", TextData(300000, 1)), FileItem("noise.bin", RandomData(70000, 2)),
      FileItem("voice.raw", SoundData(90000, 2, 3)), FileItem("empty.txt", {}),
      FileItem("more.txt", TextData(50000, 4))};
  for (int solid = 0; solid < 2; solid++)
    for (int level : {0, 1, 3}) {
      for (const char* password : {"", "secret"}) {
        packer::ArchiveSettings settings;
        settings.solid = solid != 0;
        settings.level = level;
        settings.password = password;
        const std::vector<uint8_t> archive = PackOrFail(items, settings);
        const std::string what = "solid " + std::to_string(solid) + " -m" + std::to_string(level) +
                                 " password '" + password + "'";
        ExpectSameResults(archive, *password ? password : nullptr, what);
        // A damaged copy fails alike in both: the entry hit and, in a solid
        // archive, those that continue from it.
        std::vector<uint8_t> damaged = archive;
        damaged[damaged.size() * 2 / 5] ^= 0x40;
        ExpectSameResults(damaged, *password ? password : nullptr, "damaged " + what);
      }
    }
}

TEST(StreamRequest, ALargeEntryComesInBoundedPiecesThatMakeItWhole) {
  // Long runs make the most bytes per packed bit; text between them keeps
  // the decoder's tables busy.
  std::vector<uint8_t> data;
  for (int k = 0; data.size() < (48u << 20); k++) {
    const std::vector<uint8_t> text = TextData(20000, uint64_t(k));
    data.insert(data.end(), text.begin(), text.end());
    data.insert(data.end(), 3000000, uint8_t(k));
  }
  packer::ArchiveSettings settings;
  settings.level = 1;
  const std::vector<uint8_t> archive = PackOrFail({FileItem("large.bin", data)}, settings);
  ArchiveImage image{archive.data(), uint32_t(archive.size()), 0};
  Fetched f;
  EXPECT_EQ(ArchiveStreamEntry("large.bin", &image, nullptr, Collect, &f), 1);
  ArchiveReleaseSolidState();
  EXPECT_TRUE(f.bytes == data);
  EXPECT_GT(f.pieces, 2u);
  EXPECT_LE(f.largestPiece, 20u << 20);
}

}  // namespace
