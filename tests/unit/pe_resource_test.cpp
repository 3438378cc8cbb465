// Finding resource RARFILE 105 in a PE file, and refusing damaged ones.
#include "rar2tool/pe_resource.h"

#include <gtest/gtest.h>

#include "pe_builder.h"

namespace {

using testpe::MakePe;
using testpe::Put32;

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
