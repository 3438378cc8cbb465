// The headers the packer writes: fields, CRCs, flags, order, and the exact
// shape of the installer's embedded archive with --setup-layout.
#include <gtest/gtest.h>

#include "archive/byte_order.h"
#include "archive/crc32.h"
#include "archive_builder.h"
#include "pack_support.h"

namespace {

struct Block {
  size_t offset;
  uint16_t crc, flags, headerSize;
  uint8_t type;
  uint32_t packedSize, unpackedSize, dataCrc, time, attributes;
  uint8_t host, version, method;
  std::string name;
};

// Every block after the marker, as a reader that trusts nothing would see it.
std::vector<Block> Blocks(const std::vector<uint8_t>& a) {
  std::vector<Block> blocks;
  size_t off = 7;
  while (off + 7 <= a.size()) {
    const uint8_t* p = a.data() + off;
    Block b{};
    b.offset = off;
    b.crc = LoadU16(p);
    b.type = p[2];
    b.flags = LoadU16(p + 3);
    b.headerSize = LoadU16(p + 5);
    size_t next = off + b.headerSize;
    if (b.type == 0x74) {
      b.packedSize = LoadU32(p + 7);
      b.unpackedSize = LoadU32(p + 11);
      b.host = p[15];
      b.dataCrc = LoadU32(p + 16);
      b.time = LoadU32(p + 20);
      b.version = p[24];
      b.method = p[25];
      b.attributes = LoadU32(p + 28);
      b.name.assign(reinterpret_cast<const char*>(p + 32), LoadU16(p + 26));
      next += b.packedSize;
    }
    blocks.push_back(b);
    off = next;
  }
  EXPECT_EQ(off, a.size()) << "blocks do not end exactly at the end of the archive";
  return blocks;
}

uint16_t HeaderCrc(const std::vector<uint8_t>& a, const Block& b) {
  return uint16_t(~UpdateCrc32(0xFFFFFFFFu, a.data() + b.offset + 2, b.headerSize - 2u));
}

std::vector<packer::PackItem> PayloadLike() {
  return {FolderItem("Modules"),
          FolderItem("Modules\\boot"),
          FolderItem("Modules\\boot\\24"),
          FolderItem("Filters"),
          FileItem("Orbivue.exe", RandomData(3000, 1)),
          FileItem("Filters\\mpgdec.ax", TextData(2000, 2)),
          FileItem("Modules\\Agenda.Module", TextData(1500, 3)),
          FileItem("Modules\\boot\\24\\empty.cfg", {})};
}

TEST(PackArchiveShape, HeadersCarryEveryFieldAndAValidCrc) {
  packer::ArchiveSettings settings;
  settings.level = 4;
  const std::vector<packer::PackItem> items = PayloadLike();
  const std::vector<uint8_t> a = PackOrFail(items, settings);
  ASSERT_EQ(std::vector<uint8_t>(a.begin(), a.begin() + 7),
            (std::vector<uint8_t>{0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00}));
  const std::vector<Block> blocks = Blocks(a);
  ASSERT_EQ(blocks.size(), items.size() + 2);
  EXPECT_EQ(blocks[0].type, 0x73);
  EXPECT_EQ(blocks[0].headerSize, 13);
  EXPECT_EQ(blocks[0].flags & 0x0008, 0);
  for (const Block& b : blocks) EXPECT_EQ(b.crc, HeaderCrc(a, b)) << int(b.type) << " " << b.name;
  for (size_t i = 1; i + 1 < blocks.size(); i++) {
    const Block& b = blocks[i];
    EXPECT_EQ(b.type, 0x74);
    EXPECT_EQ(b.headerSize, 32 + b.name.size());
    EXPECT_EQ(b.host, 2);
    EXPECT_EQ(b.version, 20);
    // Random and empty files would not shrink: they are stored.
    const bool stored = b.name == "Orbivue.exe" || b.name == "Modules\\boot\\24\\empty.cfg";
    EXPECT_EQ(b.method, stored ? 0x30 : 0x34) << b.name;
    EXPECT_EQ(b.time, 0x5A8B6C2Du);
    const bool folder = b.attributes == 0x10;
    EXPECT_EQ(b.flags, folder ? 0x80E0 : 0x8080) << b.name;
    if (folder) {
      EXPECT_EQ(b.packedSize, 0u);
    } else {
      EXPECT_EQ(b.attributes, 0x20u);
    }
  }
  // Folders come first, in the order given.
  EXPECT_EQ(blocks[1].name, "Modules");
  EXPECT_EQ(blocks[4].name, "Filters");
  const Block& exe = blocks[5];
  EXPECT_EQ(exe.name, "Orbivue.exe");
  EXPECT_EQ(exe.unpackedSize, 3000u);
  EXPECT_EQ(exe.dataCrc, Crc32Of(items[4].data));
  // The end block of RAR 2.x readers closes the archive.
  EXPECT_EQ(blocks.back().type, 0x7B);
  EXPECT_EQ(blocks.back().headerSize, 7);
}

TEST(PackArchiveShape, SetupLayoutIsTheEmbeddedArchivesShape) {
  packer::ArchiveSettings settings;
  settings.level = 5;
  settings.setupLayout = true;
  const std::vector<packer::PackItem> items = PayloadLike();
  const std::vector<uint8_t> a = PackOrFail(items, settings);
  const std::vector<Block> blocks = Blocks(a);
  ASSERT_EQ(blocks.size(), items.size() + 1);  // no end block
  EXPECT_EQ(blocks[0].headerSize, 13);
  EXPECT_EQ(blocks[0].flags & 0x0008, 0x0008);
  const char* order[] = {"Modules\\boot\\24", "Modules\\boot", "Modules", "Filters"};
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(blocks[1 + i].name, order[i]);
    EXPECT_EQ(blocks[1 + i].flags, 0x80E0);
    EXPECT_EQ(blocks[1 + i].unpackedSize, 0u);
    EXPECT_EQ(blocks[1 + i].packedSize, 0u);
  }
  EXPECT_EQ(blocks[5].flags, 0x8080);
  for (size_t i = 6; i < blocks.size(); i++) EXPECT_EQ(blocks[i].flags, 0x8090) << i;
  for (size_t i = 1; i < blocks.size(); i++) {
    EXPECT_EQ(blocks[i].method, 0x35);
    EXPECT_EQ(blocks[i].version, 20);
    EXPECT_EQ(blocks[i].host, 2);
    EXPECT_EQ(blocks[i].headerSize, 32 + blocks[i].name.size());
  }
  for (const packer::PackItem& item : items) {
    std::vector<uint8_t> out;
    ASSERT_TRUE(FetchEntry(a, item.name, &out)) << item.name;
    EXPECT_EQ(out, item.data);
  }
}

// A stopped or cancelled installation has unpacked the files before the
// stop: the uninstaller comes first among them, whatever the given order.
TEST(PackArchiveShape, SetupLayoutPutsTheUninstallerFirstAmongTheFiles) {
  packer::ArchiveSettings settings;
  settings.level = 3;
  settings.setupLayout = true;
  std::vector<packer::PackItem> items = PayloadLike();
  items.push_back(FileItem("Modules\\uninstall.exe", TextData(300, 4)));  // not the product's
  items.push_back(FileItem("Uninstall.EXE", TextData(900, 5)));
  items.push_back(FileItem("graphedt.exe", TextData(700, 6)));
  const std::vector<uint8_t> a = PackOrFail(items, settings);
  std::vector<std::string> names;
  for (const Block& b : Blocks(a)) names.push_back(b.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{
                "", "Modules\\boot\\24", "Modules\\boot", "Modules", "Filters", "Uninstall.EXE",
                "Orbivue.exe", "Filters\\mpgdec.ax", "Modules\\Agenda.Module",
                "Modules\\boot\\24\\empty.cfg", "Modules\\uninstall.exe", "graphedt.exe"}));
  for (const packer::PackItem& item : items) {
    std::vector<uint8_t> out;
    ASSERT_TRUE(FetchEntry(a, item.name, &out)) << item.name;
    EXPECT_EQ(out, item.data);
  }
  // Without the setup layout the files keep the order given.
  settings.setupLayout = false;
  const std::vector<Block> plain = Blocks(PackOrFail(items, settings));
  EXPECT_EQ(plain[5].name, "Orbivue.exe");
  EXPECT_EQ(plain[plain.size() - 3].name, "Uninstall.EXE");
}

TEST(PackArchiveShape, EncryptedEntriesAreFlaggedAndPaddedToWholeBlocks) {
  packer::ArchiveSettings settings;
  settings.level = 0;
  settings.password = "secret";
  const std::vector<uint8_t> a = PackOrFail({FileItem("a.txt", TextData(37, 1))}, settings);
  const std::vector<Block> blocks = Blocks(a);
  EXPECT_EQ(blocks[1].flags, 0x8084);
  EXPECT_EQ(blocks[1].packedSize, 48u);
  EXPECT_EQ(blocks[1].unpackedSize, 37u);
  EXPECT_EQ(blocks[1].method, 0x30);
}

TEST(PackArchiveShape, SolidArchivesContinueEveryFileAfterTheFirst) {
  packer::ArchiveSettings settings;
  settings.level = 1;
  settings.solid = true;
  std::vector<packer::PackItem> items = PayloadLike();
  items[4].data = RandomData(80000, 1);  // large enough for the solid archive's trial
  const std::vector<uint8_t> a = PackOrFail(items, settings);
  const std::vector<Block> blocks = Blocks(a);
  EXPECT_EQ(blocks[0].flags & 0x0008, 0x0008);
  // Orbivue.exe (random bytes) is stored and leaves the decoder alone, so
  // the first compressed file after it starts the decoder afresh.
  EXPECT_EQ(blocks[5].method, 0x30);
  EXPECT_EQ(blocks[5].flags, 0x8080);
  EXPECT_EQ(blocks[6].method, 0x31);
  EXPECT_EQ(blocks[6].flags, 0x8080);
  EXPECT_EQ(blocks[7].flags, 0x8090);
  EXPECT_EQ(blocks[1].method, 0x31);
}

TEST(PackArchiveShape, RefusesWhatTheReaderCouldNotServe) {
  std::vector<uint8_t> a;
  std::string error;
  packer::ArchiveSettings settings;
  EXPECT_FALSE(packer::BuildArchive({FileItem("Readme.TXT", {}), FileItem("readme.txt", {})},
                                    settings, &a, &error));
  EXPECT_NE(error.find("share the name"), std::string::npos) << error;
  EXPECT_FALSE(
      packer::BuildArchive({FileItem("a\\b", {}), FileItem("a/b", {})}, settings, &a, &error));
  EXPECT_FALSE(packer::BuildArchive({FileItem(std::string(260, 'x'), {})}, settings, &a, &error));
  EXPECT_TRUE(packer::BuildArchive({FileItem(std::string(259, 'x'), {})}, settings, &a, &error));
  settings.setupLayout = true;
  settings.password = "x";
  EXPECT_FALSE(packer::BuildArchive({FileItem("a", {})}, settings, &a, &error));
  settings.password.clear();
  settings.level = 0;
  EXPECT_FALSE(packer::BuildArchive({FileItem("a", {})}, settings, &a, &error));
  EXPECT_NE(error.find("--setup-layout"), std::string::npos) << error;
}

}  // namespace
