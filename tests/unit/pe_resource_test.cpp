// Finding resource RARFILE 105 in a PE file, and refusing damaged ones.
#include "rar2tool/pe_resource.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// A PE32 file with one section ".rsrc" at RVA 0x1000, file offset 0x200,
// holding a resource of the given type name and id.
std::vector<uint8_t> MakePe(const char* typeName, uint32_t id, const std::string& payload) {
  std::vector<uint8_t> b(0x200 + 0x100 + payload.size(), 0);
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, 0x40);
  Put32(b, 0x40, 0x00004550);
  Put16(b, 0x44, 0x14C);
  Put16(b, 0x46, 1);    // one section
  Put16(b, 0x54, 224);  // optional header size
  const size_t opt = 0x58;
  Put16(b, opt, 0x10B);
  Put32(b, opt + 92, 16);
  Put32(b, opt + 96 + 16, 0x1000);  // resource directory RVA
  Put32(b, opt + 96 + 20, 0x100);
  const size_t sec = opt + 224;
  std::memcpy(&b[sec], ".rsrc", 5);
  Put32(b, sec + 8, uint32_t(0x100 + payload.size()));
  Put32(b, sec + 12, 0x1000);
  Put32(b, sec + 16, uint32_t(0x100 + payload.size()));
  Put32(b, sec + 20, 0x200);
  const size_t r = 0x200;
  // Root: one named entry -> directory at 0x18.
  Put16(b, r + 12, 1);
  Put32(b, r + 16, 0x80000000u | 0x80);  // name string at 0x80
  Put32(b, r + 20, 0x80000000u | 0x18);
  // Ids: one entry -> directory at 0x30.
  Put16(b, r + 0x18 + 14, 1);
  Put32(b, r + 0x18 + 16, id);
  Put32(b, r + 0x18 + 20, 0x80000000u | 0x30);
  // Languages: one entry -> data entry at 0x48.
  Put16(b, r + 0x30 + 14, 1);
  Put32(b, r + 0x30 + 16, 0x409);
  Put32(b, r + 0x30 + 20, 0x48);
  Put32(b, r + 0x48, 0x1000 + 0x100);
  Put32(b, r + 0x4C, uint32_t(payload.size()));
  const size_t len = std::strlen(typeName);
  Put16(b, r + 0x80, uint32_t(len));
  for (size_t i = 0; i < len; i++) Put16(b, r + 0x82 + 2 * i, uint8_t(typeName[i]));
  std::memcpy(&b[0x300], payload.data(), payload.size());
  return b;
}

PeLookup Look(const std::vector<uint8_t>& file, std::string* found, std::string* reason) {
  uint32_t at = 0, size = 0;
  PeLookup r =
      FindPeResource(file.data(), uint32_t(file.size()), "RARFILE", 105, &at, &size, reason);
  if (r == PeLookup::Found) found->assign(reinterpret_cast<const char*>(&file[at]), size);
  return r;
}

TEST(PeResource, FindsTheArchiveResourceByTypeNameAndId) {
  std::string found, reason;
  EXPECT_EQ(Look(MakePe("RARFILE", 105, "Rar!payload"), &found, &reason), PeLookup::Found);
  EXPECT_EQ(found, "Rar!payload");
  EXPECT_EQ(Look(MakePe("rarfile", 105, "x"), &found, &reason), PeLookup::Found);
}

TEST(PeResource, OtherTypeOrIdIsMissing) {
  std::string found, reason;
  EXPECT_EQ(Look(MakePe("RARFILES", 105, "x"), &found, &reason), PeLookup::Missing);
  EXPECT_EQ(Look(MakePe("RARFILE", 104, "x"), &found, &reason), PeLookup::Missing);
  EXPECT_NE(reason.find("RARFILE 105"), std::string::npos);
}

TEST(PeResource, PlainArchivesAreNotPe) {
  std::string found, reason;
  const std::vector<uint8_t> rar = {'R', 'a', 'r', '!', 0x1A, 7, 0};
  EXPECT_EQ(Look(rar, &found, &reason), PeLookup::NotPe);
}

TEST(PeResource, EveryTruncationIsRefusedNotOverrun) {
  const std::vector<uint8_t> pe = MakePe("RARFILE", 105, "payload bytes");
  for (size_t cut = 2; cut < pe.size(); cut++) {
    std::vector<uint8_t> part(pe.begin(), pe.begin() + cut);
    std::string found, reason;
    const PeLookup r = Look(part, &found, &reason);
    EXPECT_TRUE(r == PeLookup::Damaged || r == PeLookup::Missing) << cut;
  }
}

TEST(PeResource, WildOffsetsAreRefused) {
  std::vector<uint8_t> pe = MakePe("RARFILE", 105, "x");
  Put32(pe, 0x200 + 0x48, 0xFFFFFF00u);  // data RVA far outside
  std::string found, reason;
  EXPECT_EQ(Look(pe, &found, &reason), PeLookup::Damaged);
  pe = MakePe("RARFILE", 105, "x");
  Put32(pe, 0x3C, 0x7FFFFFF0u);
  EXPECT_EQ(Look(pe, &found, &reason), PeLookup::Damaged);
}

}  // namespace
