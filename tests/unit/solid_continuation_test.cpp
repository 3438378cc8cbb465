// Get requests continue from where the previous one ended (on solid
// archives from the decoder state it left): every result is byte for byte
// what a request from the first entry gives, for any order of requests, and
// the kept state goes away when the list is freed or another image is asked
// for.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "archive/block_headers.h"
#include "archive/byte_order.h"
#include "archive/cipher.h"
#include "archive/crc32.h"
#include "archive/setup_reader.h"
#include "archive_builder.h"
#include "pack_support.h"
#include "testdata.h"
#include "unpack/unpack_entry.h"

namespace {

using Blocks = std::vector<std::vector<uint8_t>>;

// The file blocks of an archive image, header and data area each.
Blocks FileBlocks(const std::vector<uint8_t>& archive) {
  Blocks blocks;
  size_t at = 7 + LoadU16(archive.data() + 7 + 5);
  while (at + 7 <= archive.size()) {
    const uint16_t flags = LoadU16(archive.data() + at + 3);
    size_t size = LoadU16(archive.data() + at + 5);
    if (flags & 0x8000) size += LoadU32(archive.data() + at + 7);
    if (size < 7 || at + size > archive.size()) break;
    if (archive[at + 2] == 0x74)
      blocks.emplace_back(archive.begin() + long(at), archive.begin() + long(at + size));
    at += size;
  }
  return blocks;
}

std::vector<uint8_t> SolidArchiveOf(const Blocks& blocks) {
  ArchiveBuilder b(0x0008);
  for (const auto& block : blocks) b.Raw(block);
  b.EndBlock();
  return b.Bytes();
}

std::vector<uint8_t> StoredBlock(const std::string& name, const std::string& contents) {
  return FileBlocks(ArchiveBuilder().Stored(name, contents).Bytes()).at(0);
}

std::vector<packer::PackItem> MixedFiles(uint64_t seed, int count, uint32_t maxSize = 30000) {
  std::vector<packer::PackItem> items;
  TestRandom r(seed);
  for (int i = 0; i < count; i++) {
    const std::string name = (i % 4 == 0 ? "Docs\\" : "") + std::string("file") +
                             std::to_string(i) + (i % 3 == 0 ? ".wav" : ".txt");
    size_t size = r.Below(maxSize);
    if (i % 9 == 4) size = 0;
    if (i % 3 == 0)
      items.push_back(FileItem(name, SoundData(size, 1 + int(r.Below(4)), seed + uint64_t(i))));
    else if (i % 7 == 5)
      items.push_back(FileItem(name, RandomData(size / 8, seed + uint64_t(i))));
    else
      items.push_back(FileItem(name, TextData(size, seed + uint64_t(i))));
  }
  return items;
}

std::vector<uint8_t> PackedSolid(const std::vector<packer::PackItem>& items, int level,
                                 const std::string& password = "") {
  packer::ArchiveSettings settings;
  settings.level = level;
  settings.solid = true;
  settings.password = password;
  return PackOrFail(items, settings);
}

std::vector<std::string> ListedNames(const std::vector<uint8_t>& archive) {
  ArchiveImage image{archive.data(), uint32_t(archive.size()), 0};
  EntryListNode* head = nullptr;
  ArchiveListEntries(&image, &head);
  std::vector<std::string> names;
  for (EntryListNode* n = head; n != nullptr; n = n->next) names.push_back(n->name);
  ArchiveFreeList(head);
  return names;
}

struct Request {
  std::string name;
  const char* password;
};

struct Outcome {
  int ok;
  std::vector<uint8_t> data;
  bool pointerMatchesResult;  // non-null exactly on success
  bool operator==(const Outcome& o) const {
    return ok == o.ok && data == o.data && pointerMatchesResult == o.pointerMatchesResult;
  }
};

Outcome Fetch(ArchiveImage* image, const Request& q) {
  uint8_t* data = nullptr;
  uint32_t size = 12345;
  Outcome o;
  o.ok = ArchiveGetEntry(&data, &size, q.name.c_str(), image, q.password);
  o.pointerMatchesResult = (data != nullptr) == (o.ok == 1) && (o.ok == 1 || size == 0);
  if (data != nullptr) o.data.assign(data, data + size);
  std::free(data);
  return o;
}

// Runs the requests over one image, either letting each continue from the
// last or releasing the kept state before every one.
std::vector<Outcome> RunRequests(const std::vector<uint8_t>& archive,
                                 const std::vector<Request>& requests, bool freshEachTime,
                                 uint64_t* decoded = nullptr) {
  ArchiveReleaseSolidState();
  ArchiveImage image{archive.data(), uint32_t(archive.size()), 0};
  const uint64_t before = setupArchiveReader.decoder.decodedBytes;
  std::vector<Outcome> outcomes;
  for (const Request& q : requests) {
    if (freshEachTime) ArchiveReleaseSolidState();
    outcomes.push_back(Fetch(&image, q));
  }
  if (decoded != nullptr) *decoded = setupArchiveReader.decoder.decodedBytes - before;
  ArchiveReleaseSolidState();
  return outcomes;
}

// Random request sequences of every kind over the archive's names, spelled
// as listed or as a user might, plus a name that is not there.
std::vector<std::vector<Request>> RequestSequences(const std::vector<std::string>& names,
                                                   const std::vector<const char*>& passwords,
                                                   uint64_t seed) {
  TestRandom r(seed);
  auto spelling = [&](const std::string& name) {
    std::string s = name;
    if (r.Below(4) == 0)
      for (char& c : s) c = (c >= 'A' && c <= 'Z') ? char(c + 32) : (c == '\\' ? '/' : c);
    return s;
  };
  const size_t n = names.size();
  std::vector<std::vector<Request>> sequences;
  for (int kind = 0; kind < 8; kind++) {
    const char* password = passwords[r.Below(uint32_t(passwords.size()))];
    std::vector<size_t> order;
    if (kind % 4 == 0) {  // forward, every entry
      for (size_t i = 0; i < n; i++) order.push_back(i);
    } else if (kind % 4 == 1) {  // forward, skipping, some repeated
      for (size_t i = 0; i < n; i += 1 + r.Below(3)) {
        order.push_back(i);
        if (r.Below(5) == 0) order.push_back(i);
      }
    } else if (kind % 4 == 2) {  // backward
      for (size_t i = n; i-- > 0;) order.push_back(i);
    } else {  // anywhere
      for (size_t k = 0; k < n + 4; k++) order.push_back(r.Below(uint32_t(n + 1)));
    }
    std::vector<Request> sequence;
    for (size_t i : order) {
      // Now and then another password, or a name the archive lacks.
      if (r.Below(8) == 0) password = passwords[r.Below(uint32_t(passwords.size()))];
      sequence.push_back({i < n ? spelling(names[i]) : "no such entry.txt", password});
    }
    sequences.push_back(sequence);
  }
  return sequences;
}

void ExpectSameAsFresh(const std::vector<uint8_t>& archive,
                       const std::vector<const char*>& passwords, uint64_t seed) {
  const std::vector<std::string> names = ListedNames(archive);
  ASSERT_FALSE(names.empty());
  int succeeded = 0;
  for (const auto& sequence : RequestSequences(names, passwords, seed)) {
    const std::vector<Outcome> kept = RunRequests(archive, sequence, false);
    const std::vector<Outcome> fresh = RunRequests(archive, sequence, true);
    ASSERT_EQ(kept.size(), fresh.size());
    for (size_t i = 0; i < kept.size(); i++) {
      EXPECT_TRUE(kept[i].pointerMatchesResult) << sequence[i].name;
      EXPECT_TRUE(kept[i] == fresh[i]) << "request " << i << ": " << sequence[i].name;
      succeeded += fresh[i].ok;
    }
  }
  EXPECT_GT(succeeded, 0);  // the comparison covered real contents
}

const std::vector<const char*> NoPasswords = {nullptr, ""};

TEST(SolidContinuation, PackedArchivesGiveWhatFreshRequestsGive) {
  // More than a window's worth, so that positions wrap between entries.
  ExpectSameAsFresh(PackedSolid(MixedFiles(1, 32, 80000), 3), NoPasswords, 11);
  ExpectSameAsFresh(PackedSolid(MixedFiles(9, 16), 5), NoPasswords, 12);
}

TEST(SolidContinuation, StoredEntriesAndDuplicateNamesAmongPackedOnes) {
  const auto items = MixedFiles(2, 24);
  Blocks blocks = FileBlocks(PackedSolid(items, 3));
  // A stored twin before a packed entry, one after it, and stored entries
  // between packed ones: the first of two equal names is the one returned.
  blocks.insert(blocks.begin() + 5, StoredBlock("DOCS/FILE8.TXT", "stored twin, found first"));
  blocks.insert(blocks.begin() + 12, StoredBlock("file2.txt", "stored twin, never found"));
  blocks.insert(blocks.begin() + 15, StoredBlock("between.bin", "stored between packed"));
  blocks.push_back(StoredBlock("last.txt", ""));
  ExpectSameAsFresh(SolidArchiveOf(blocks), NoPasswords, 21);
}

TEST(SolidContinuation, BrokenEntryInTheMiddleFailsAlikeAndSoDoItsSuccessors) {
  const auto items = MixedFiles(3, 20);
  Blocks blocks = FileBlocks(PackedSolid(items, 3));
  std::vector<uint8_t>& broken = blocks[9];
  const size_t header = LoadU16(broken.data() + 5);
  ASSERT_GT(broken.size(), header + 100);
  broken[header + (broken.size() - header) / 2] ^= 0x5A;
  // An entry of an unsupported version further on fails every request
  // that has to pass it, even for a stored entry right after it.
  blocks[15][24] = 29;
  blocks.insert(blocks.begin() + 16, StoredBlock("after.txt", "behind the unsupported one"));
  ExpectSameAsFresh(SolidArchiveOf(blocks), NoPasswords, 31);
}

TEST(SolidContinuation, EncryptedEntriesWithRightAndWrongPasswords) {
  const auto items = MixedFiles(4, 16);
  Blocks blocks = FileBlocks(PackedSolid(items, 3, "secret"));
  // The second half of the solid run unencrypted: it decodes only after a
  // first half decrypted with the right password.
  for (size_t i = 8; i < blocks.size(); i++) {
    std::vector<uint8_t>& b = blocks[i];
    const size_t header = LoadU16(b.data() + 5);
    ASSERT_EQ((b.size() - header) % 16, 0u);
    CipherState c;
    SetCipherPassword(&c, "secret");
    for (size_t at = header; at < b.size(); at += 16) CipherDecrypt(&c, b.data() + at);
    b[3] &= uint8_t(~0x04);
  }
  blocks.insert(blocks.begin() + 4, StoredBlock("plain.txt", "not encrypted"));
  ExpectSameAsFresh(SolidArchiveOf(blocks), {nullptr, "secret", "wrong", ""}, 41);
}

TEST(SolidContinuation, EntriesOfRealArchivesWalkedAsOneSolidArchive) {
  Blocks blocks;
  for (const char* name : {"rar/lz-wav-unpack20.rar", "rar/small-unix-unpack20.rar",
                           "rar/encrypted-lz-unpack20.rar", "rar/stored-comments-unpack20.rar",
                           "rar/corrupt-distance-unpack20.rar", "rar/comments-unpack15.rar"}) {
    LOAD_TESTDATA_OR_SKIP(bytes, name);
    for (auto& block : FileBlocks(bytes)) blocks.push_back(block);
  }
  // Then a solid run of packed entries, its first one starting afresh.
  for (auto& block : FileBlocks(PackedSolid(MixedFiles(5, 10), 3))) blocks.push_back(block);
  ASSERT_GE(blocks.size(), 18u);
  ExpectSameAsFresh(SolidArchiveOf(blocks), {nullptr, "password", "wrong"}, 51);
}

// Archives that are not solid continue too: only the walk of the headers
// is saved, and every result stays what a request from the first entry gives.
std::vector<uint8_t> PlainArchiveOf(const Blocks& blocks) {
  ArchiveBuilder b(0);
  for (const auto& block : blocks) b.Raw(block);
  b.EndBlock();
  return b.Bytes();
}

TEST(PlainContinuation, PackedEntriesTwinsBrokenAndEncryptedOnesGiveWhatFreshRequestsGive) {
  packer::ArchiveSettings settings;
  settings.level = 3;
  Blocks blocks = FileBlocks(PackOrFail(MixedFiles(12, 20), settings));
  blocks.insert(blocks.begin() + 5, StoredBlock("DOCS/FILE8.TXT", "stored twin, found first"));
  blocks.insert(blocks.begin() + 12, StoredBlock("file2.txt", "stored twin, never found"));
  std::vector<uint8_t>& broken = blocks[9];
  const size_t header = LoadU16(broken.data() + 5);
  ASSERT_GT(broken.size(), header + 100);
  broken[header + (broken.size() - header) / 2] ^= 0x5A;
  blocks[15][24] = 29;  // an unsupported version stops that entry alone here
  settings.password = "secret";
  for (auto& block : FileBlocks(PackOrFail(MixedFiles(13, 4), settings))) blocks.push_back(block);
  ExpectSameAsFresh(PlainArchiveOf(blocks), {nullptr, "secret", "wrong"}, 61);
}

TEST(PlainContinuation, EntriesMarkedSolidInAnArchiveThatIsNotStartAfreshAsBefore) {
  // The blocks of a solid run in an archive without the solid flag: each
  // entry decodes from a fresh window whichever request came before.
  Blocks blocks = FileBlocks(PackedSolid(MixedFiles(14, 12), 3));
  ExpectSameAsFresh(PlainArchiveOf(blocks), NoPasswords, 62);
}

TEST(PlainContinuation, AFoundEntryIsKeptEvenWhenItFails) {
  ArchiveReleaseSolidState();
  Blocks blocks;
  blocks.push_back(StoredBlock("one.txt", "one"));
  blocks.push_back(StoredBlock("two.txt", "two"));
  blocks.push_back(StoredBlock("three.txt", "three"));
  blocks[1][blocks[1].size() - 1] ^= 1;  // two.txt fails its CRC
  const std::vector<uint8_t> archive = PlainArchiveOf(blocks);
  ArchiveImage image{archive.data(), uint32_t(archive.size()), 0};
  EXPECT_EQ(Fetch(&image, {"one.txt", nullptr}).ok, 1);
  EXPECT_TRUE(setupArchiveReader.solid.kept);
  EXPECT_EQ(Fetch(&image, {"two.txt", nullptr}).ok, 0);
  EXPECT_TRUE(setupArchiveReader.solid.kept);  // found, so the next request goes on from it
  EXPECT_EQ(Fetch(&image, {"three.txt", nullptr}).data,
            std::vector<uint8_t>({'t', 'h', 'r', 'e', 'e'}));
  EXPECT_EQ(Fetch(&image, {"missing.txt", nullptr}).ok, 0);
  EXPECT_FALSE(setupArchiveReader.solid.kept);
  EXPECT_EQ(Fetch(&image, {"one.txt", nullptr}).ok, 1);
  ArchiveReleaseSolidState();
}

// Installing in archive order: the counter shows what each request decoded.
TEST(SolidContinuation, ForwardRequestsDecodeEachByteOnce) {
  const auto items = MixedFiles(6, 60);
  const std::vector<uint8_t> archive = PackedSolid(items, 3);
  uint64_t total = 0;
  std::vector<Request> forward;
  for (const std::string& name : ListedNames(archive)) forward.push_back({name, nullptr});
  // Stored entries (random data gains nothing) are copied, not decoded.
  ArchiveImage image{archive.data(), uint32_t(archive.size()), 0};
  EntryListNode* head = nullptr;
  ArchiveListEntries(&image, &head);
  for (EntryListNode* n = head; n != nullptr; n = n->next)
    if (n->method != 0x30) total += n->unpackedSize;
  ArchiveFreeList(head);
  uint64_t keptCount = 0, freshCount = 0;
  const std::vector<Outcome> kept = RunRequests(archive, forward, false, &keptCount);
  RunRequests(archive, forward, true, &freshCount);
  for (const Outcome& o : kept) EXPECT_EQ(o.ok, 1);
  EXPECT_GE(keptCount, total);
  EXPECT_LE(double(keptCount), 1.05 * double(total));
  EXPECT_GT(freshCount, 10 * total);  // what every request from the first entry costs
}

class KeptState : public ::testing::Test {
 protected:
  void SetUp() override {
    ArchiveReleaseSolidState();
    archive_ = PackedSolid(MixedFiles(7, 12), 3);
    names_ = ListedNames(archive_);
    image_ = ArchiveImage{archive_.data(), uint32_t(archive_.size()), 0};
    // What a request from the first entry decodes, for each entry.
    for (size_t i = 0; i < names_.size(); i++) {
      ArchiveReleaseSolidState();
      fromStart_.push_back(Cost(i));
    }
    ArchiveReleaseSolidState();
  }
  void TearDown() override { ArchiveReleaseSolidState(); }
  // Decoded bytes of one request for names_[i].
  uint64_t Cost(size_t i, const char* password = nullptr) {
    const uint64_t before = setupArchiveReader.decoder.decodedBytes;
    EXPECT_EQ(Fetch(&image_, {names_[i], password}).ok, 1) << names_[i];
    return setupArchiveReader.decoder.decodedBytes - before;
  }
  // What a request that continues after entry `last` decodes for entry i.
  uint64_t Continued(size_t last, size_t i) const { return fromStart_[i] - fromStart_[last]; }
  std::vector<uint8_t> archive_;
  std::vector<std::string> names_;
  ArchiveImage image_{nullptr, 0, 0};
  std::vector<uint64_t> fromStart_;
};

TEST_F(KeptState, LaterEntryContinuesAndEarlierOrEqualOneStartsOver) {
  ASSERT_GT(Continued(6, 9), 0u);
  EXPECT_EQ(Cost(6), fromStart_[6]);
  EXPECT_TRUE(setupArchiveReader.solid.kept);
  EXPECT_NE(setupArchiveReader.request.window, nullptr);
  EXPECT_EQ(Cost(9), Continued(6, 9));
  EXPECT_EQ(Cost(9), fromStart_[9]);
  EXPECT_EQ(Cost(2), fromStart_[2]);
  EXPECT_EQ(Cost(3), Continued(2, 3));
}

TEST(SolidContinuation, ALongArchiveAskedInOrderWalksEachHeaderOnceAndAPassedNameStartsOver) {
  // Enough names that any filter of fixed size would start to hit.
  constexpr int Count = 40000;
  Blocks blocks;
  blocks.reserve(Count);
  for (int i = 0; i < Count; i++) {
    char name[32];
    std::snprintf(name, sizeof name, "Set%02d\\note_%05d.txt", i % 50, i);
    blocks.push_back(StoredBlock(name, std::to_string(i)));
  }
  const std::vector<uint8_t> archive = SolidArchiveOf(blocks);
  ArchiveImage image{archive.data(), uint32_t(archive.size()), 0};
  ArchiveReleaseSolidState();
  auto get = [&](const char* name) {
    uint8_t* data = nullptr;
    uint32_t size = 0;
    const int ok = ArchiveGetEntry(&data, &size, name, &image, nullptr);
    std::string contents(reinterpret_cast<char*>(data), size);
    std::free(data);
    return ok ? contents : std::string("failed");
  };
  const uint64_t before = setupArchiveReader.entryHeadersWalked;
  for (int i = 0; i < Count; i++) {
    char name[32];
    std::snprintf(name, sizeof name, "Set%02d\\note_%05d.txt", i % 50, i);
    ASSERT_EQ(get(name), std::to_string(i));
  }
  // Each request reads its own header and looks once more at where the
  // previous one ended.
  EXPECT_LE(setupArchiveReader.entryHeadersWalked - before, uint64_t(2 * Count));

  // A name never passed goes on from the end without walking back (a hyphen
  // is no underscore) and fails; a passed name in another spelling then
  // starts from the first entry, and a later one goes on from it.
  uint64_t walked = setupArchiveReader.entryHeadersWalked;
  EXPECT_EQ(get("SET07/NOTE-00007.TXT"), "failed");
  EXPECT_LE(setupArchiveReader.entryHeadersWalked - walked, 1u);
  walked = setupArchiveReader.entryHeadersWalked;
  EXPECT_EQ(get("SET07/NOTE_00007.TXT"), "7");
  EXPECT_EQ(setupArchiveReader.entryHeadersWalked - walked, 8u);
  walked = setupArchiveReader.entryHeadersWalked;
  EXPECT_EQ(get("set09\\note_00009.txt"), "9");
  EXPECT_LE(setupArchiveReader.entryHeadersWalked - walked, 3u);
  walked = setupArchiveReader.entryHeadersWalked;
  EXPECT_EQ(get("set03/Note_00003.TXT"), "3");
  EXPECT_EQ(setupArchiveReader.entryHeadersWalked - walked, 4u);
  ArchiveReleaseSolidState();
}

TEST_F(KeptState, FreeingAListReleasesTheWindow) {
  EntryListNode* head = nullptr;
  ASSERT_EQ(ArchiveListEntries(&image_, &head), int(names_.size()));
  Cost(6);
  ArchiveFreeList(head);
  EXPECT_FALSE(setupArchiveReader.solid.kept);
  EXPECT_EQ(setupArchiveReader.request.window, nullptr);
  EXPECT_EQ(Cost(7), fromStart_[7]);
  ArchiveFreeList(nullptr);
  EXPECT_EQ(setupArchiveReader.request.window, nullptr);
}

TEST_F(KeptState, ListingTheSameImageKeepsItAndAnotherImageDropsIt) {
  Cost(6);
  EntryListNode* head = nullptr;
  ArchiveListEntries(&image_, &head);
  EXPECT_TRUE(setupArchiveReader.solid.kept);
  EXPECT_EQ(Cost(7), Continued(6, 7));
  const std::vector<uint8_t> other = archive_;
  ArchiveImage otherImage{other.data(), uint32_t(other.size()), 0};
  EntryListNode* otherHead = nullptr;
  ArchiveListEntries(&otherImage, &otherHead);
  EXPECT_FALSE(setupArchiveReader.solid.kept);
  EXPECT_EQ(Cost(8), fromStart_[8]);
  ArchiveFreeList(otherHead);
  ArchiveFreeList(head);
  EXPECT_EQ(setupArchiveReader.request.window, nullptr);
  // A get request on another image starts there from its first entry,
  // in the same window.
  Cost(3);
  const uint8_t* window = setupArchiveReader.request.window;
  uint8_t* data = nullptr;
  uint32_t size = 0;
  const uint64_t before = setupArchiveReader.decoder.decodedBytes;
  EXPECT_EQ(ArchiveGetEntry(&data, &size, names_[5].c_str(), &otherImage, nullptr), 1);
  std::free(data);
  EXPECT_EQ(setupArchiveReader.decoder.decodedBytes - before, fromStart_[5]);
  EXPECT_EQ(setupArchiveReader.request.window, window);
}

TEST_F(KeptState, AnotherPasswordOrAFailedRequestStartsOver) {
  Cost(6);
  EXPECT_EQ(Cost(7, "pw"), fromStart_[7]);
  EXPECT_EQ(Cost(8, "pw"), Continued(7, 8));
  EXPECT_EQ(Cost(9, ""), fromStart_[9]);
  EXPECT_EQ(Cost(10), Continued(9, 10));  // an empty password is none
  uint8_t* data = nullptr;
  uint32_t size = 0;
  EXPECT_EQ(ArchiveGetEntry(&data, &size, "missing", &image_, nullptr), 0);
  EXPECT_FALSE(setupArchiveReader.solid.kept);
  EXPECT_NE(setupArchiveReader.request.window, nullptr);  // kept for the next request to reuse
  EXPECT_EQ(Cost(11), fromStart_[11]);
}

TEST_F(KeptState, ChangedBytesAtTheSameAddressStartOver) {
  // Another archive of the same size copied over the first: the kept entry
  // is no longer where it was.
  std::vector<uint8_t> other = PackedSolid(MixedFiles(8, 12), 3);
  ASSERT_NE(other, archive_);
  std::vector<uint8_t> buffer = archive_;
  buffer.resize(std::max(archive_.size(), other.size()), 0);
  image_ = ArchiveImage{buffer.data(), uint32_t(buffer.size()), 0};
  Cost(6);
  EXPECT_TRUE(setupArchiveReader.solid.kept);
  std::copy(other.begin(), other.end(), buffer.begin());
  std::vector<Request> one = {{ListedNames(other)[7], nullptr}};
  const Outcome fresh = RunRequests(other, one, true)[0];
  EXPECT_EQ(fresh.ok, 1);
  EXPECT_TRUE(Fetch(&image_, one[0]) == fresh);
}

}  // namespace
