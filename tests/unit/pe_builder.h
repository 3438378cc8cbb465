// A minimal PE32 file carrying one resource, for the tests of what reads
// the archive inside a built Setup.exe.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testpe {

inline void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}
inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// A PE32 file with one section ".rsrc" at RVA 0x1000, file offset 0x200,
// holding a resource of the given type name and id.
inline std::vector<uint8_t> MakePe(const char* typeName, uint32_t id, const std::string& payload) {
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

inline std::vector<uint8_t> MakePe(const char* typeName, uint32_t id,
                                   const std::vector<uint8_t>& payload) {
  return MakePe(typeName, id, std::string(payload.begin(), payload.end()));
}

}  // namespace testpe
