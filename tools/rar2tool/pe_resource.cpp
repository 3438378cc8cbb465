#include "pe_resource.h"

#include <vector>

#include "archive/byte_order.h"

namespace {

// Bounds-checked little-endian reads over the whole file.
struct FileView {
  const uint8_t* data;
  uint32_t size;
  bool Has(uint64_t at, uint64_t count) const { return at + count <= size; }
  uint16_t U16(uint32_t at) const { return LoadU16(data + at); }
  uint32_t U32(uint32_t at) const { return LoadU32(data + at); }
};

struct Section {
  uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

bool RvaToOffset(const std::vector<Section>& sections, uint32_t rva, uint32_t* offset) {
  for (const Section& s : sections) {
    const uint32_t span = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
    if (rva >= s.virtualAddress && uint64_t(rva) < uint64_t(s.virtualAddress) + span) {
      const uint32_t within = rva - s.virtualAddress;
      if (within >= s.rawSize) return false;  // no file bytes behind it
      *offset = s.rawOffset + within;
      return true;
    }
  }
  return false;
}

class ResourceWalk {
 public:
  ResourceWalk(FileView file, uint32_t root) : file_(file), root_(root) {}

  // Finds the entry of the directory at dirOffset (relative to the root)
  // named `name` (when not null) or with integer `id`; returns its
  // OffsetToData field. Returns false with reason on damage or absence.
  bool Find(uint32_t dirOffset, const char* name, uint32_t id, bool wantFirst, uint32_t* field,
            bool* damaged) {
    const uint32_t dir = root_ + dirOffset;
    if (!file_.Has(dir, 16)) return Damage(damaged);
    const uint32_t named = file_.U16(dir + 12), ids = file_.U16(dir + 14);
    const uint32_t count = named + ids;
    if (!file_.Has(dir + 16, uint64_t(count) * 8)) return Damage(damaged);
    for (uint32_t i = 0; i < count; i++) {
      const uint32_t entry = dir + 16 + 8 * i;
      const uint32_t nameField = file_.U32(entry), dataField = file_.U32(entry + 4);
      bool match = wantFirst;
      if (!match && name != nullptr && (nameField & 0x80000000u))
        match = NameEquals(root_ + (nameField & 0x7FFFFFFFu), name, damaged);
      else if (!match && name == nullptr && !(nameField & 0x80000000u))
        match = nameField == id;
      if (*damaged) return false;
      if (match) {
        *field = dataField;
        return true;
      }
    }
    return false;
  }

 private:
  bool Damage(bool* damaged) {
    *damaged = true;
    return false;
  }

  bool NameEquals(uint32_t at, const char* name, bool* damaged) {
    if (!file_.Has(at, 2)) return Damage(damaged);
    const uint32_t length = file_.U16(at);
    if (!file_.Has(at + 2, uint64_t(length) * 2)) return Damage(damaged);
    uint32_t i = 0;
    for (; i < length && name[i] != '\0'; i++) {
      uint32_t c = file_.U16(at + 2 + 2 * i);
      if (c >= 'a' && c <= 'z') c -= 32;
      uint32_t n = uint8_t(name[i]);
      if (n >= 'a' && n <= 'z') n -= 32;
      if (c != n) return false;
    }
    return i == length && name[i] == '\0';
  }

  FileView file_;
  uint32_t root_;
};

}  // namespace

PeLookup FindPeResource(const uint8_t* data, uint32_t fileSize, const char* typeName, uint32_t id,
                        uint32_t* offset, uint32_t* size, std::string* reason) {
  const FileView file{data, fileSize};
  if (!file.Has(0, 2) || data[0] != 'M' || data[1] != 'Z') return PeLookup::NotPe;
  auto damaged = [&](const char* why) {
    *reason = std::string("damaged executable (") + why + ")";
    return PeLookup::Damaged;
  };
  if (!file.Has(0x3C, 4)) return damaged("truncated DOS header");
  const uint32_t pe = file.U32(0x3C);
  if (!file.Has(pe, 24) || file.U32(pe) != 0x00004550u) return damaged("no PE signature");
  const uint32_t sectionCount = file.U16(pe + 6);
  const uint32_t optionalSize = file.U16(pe + 20);
  const uint32_t optional = pe + 24;
  if (!file.Has(optional, optionalSize) || optionalSize < 2) return damaged("truncated headers");
  const uint16_t magic = file.U16(optional);
  const uint32_t dirCountAt = magic == 0x20B ? 108 : 92;
  const uint32_t dirsAt = magic == 0x20B ? 112 : 96;
  if (magic != 0x10B && magic != 0x20B) return damaged("unknown optional header");
  if (optionalSize < dirsAt) return damaged("truncated optional header");
  const uint32_t dirCount = file.U32(optional + dirCountAt);
  if (dirCount < 3 || optionalSize < dirsAt + 3 * 8) {
    *reason = "no resources";
    return PeLookup::Missing;
  }
  const uint32_t resourceRva = file.U32(optional + dirsAt + 2 * 8);
  if (resourceRva == 0) {
    *reason = "no resources";
    return PeLookup::Missing;
  }

  std::vector<Section> sections;
  const uint32_t table = optional + optionalSize;
  if (!file.Has(table, uint64_t(sectionCount) * 40)) return damaged("truncated section table");
  for (uint32_t i = 0; i < sectionCount; i++) {
    const uint32_t s = table + 40 * i;
    sections.push_back({file.U32(s + 12), file.U32(s + 8), file.U32(s + 16), file.U32(s + 20)});
  }
  uint32_t root = 0;
  if (!RvaToOffset(sections, resourceRva, &root))
    return damaged("resource directory outside the file");

  ResourceWalk walk(file, root);
  bool broken = false;
  uint32_t field = 0;
  const std::string what = std::string(typeName) + " " + std::to_string(id);
  if (!walk.Find(0, typeName, 0, false, &field, &broken) || !(field & 0x80000000u)) {
    if (broken) return damaged("resource directory");
    *reason = "no " + what + " resource";
    return PeLookup::Missing;
  }
  if (!walk.Find(field & 0x7FFFFFFFu, nullptr, id, false, &field, &broken) ||
      !(field & 0x80000000u)) {
    if (broken) return damaged("resource directory");
    *reason = "no " + what + " resource";
    return PeLookup::Missing;
  }
  // Any language will do: the first one.
  if (!walk.Find(field & 0x7FFFFFFFu, nullptr, 0, true, &field, &broken) || (field & 0x80000000u))
    return damaged("resource directory");
  const uint32_t entry = root + field;
  if (!file.Has(entry, 16)) return damaged("resource data entry");
  const uint32_t dataRva = file.U32(entry), dataSize = file.U32(entry + 4);
  uint32_t at = 0;
  if (!RvaToOffset(sections, dataRva, &at) || !file.Has(at, dataSize))
    return damaged("resource data outside the file");
  *offset = at;
  *size = dataSize;
  return PeLookup::Found;
}
