// Build step: writes the CRC-32 of the archive that Setup.exe embeds as four
// little-endian bytes, the resource against which Setup checks its archive
// before it installs anything. Host program, built with the program's own
// CRC-32.
//   archive_check_value ARCHIVE OUT
#include <cstdio>
#include <vector>

#include "archive/crc32.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: archive_check_value ARCHIVE OUT\n");
    return 2;
  }
  std::FILE* in = std::fopen(argv[1], "rb");
  if (in == nullptr) {
    std::fprintf(stderr, "archive_check_value: cannot read %s\n", argv[1]);
    return 1;
  }
  uint32_t crc = 0xFFFFFFFFu;
  std::vector<unsigned char> buffer(1 << 20);
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0)
    crc = UpdateCrc32(crc, buffer.data(), uint32_t(n));
  const bool readWell = !std::ferror(in);
  std::fclose(in);
  if (!readWell) {
    std::fprintf(stderr, "archive_check_value: cannot read %s\n", argv[1]);
    return 1;
  }
  crc = ~crc;
  const unsigned char bytes[4] = {
      static_cast<unsigned char>(crc), static_cast<unsigned char>(crc >> 8),
      static_cast<unsigned char>(crc >> 16), static_cast<unsigned char>(crc >> 24)};
  std::FILE* out = std::fopen(argv[2], "wb");
  if (out == nullptr || std::fwrite(bytes, 1, 4, out) != 4 || std::fclose(out) != 0) {
    std::fprintf(stderr, "archive_check_value: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
