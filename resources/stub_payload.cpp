// Writes a small RAR 2.x archive with the shape of the product's payload
// (the folders first, deepest first, then files under the names the
// installation relies on), every entry stored. The build embeds it as
// RARFILE 105 when it is given no other archive. A host program, built and
// run during the win32 build; the viewer it is given becomes "Orbivue.exe".
//   stub_payload OUTPUT VIEWER
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

uint32_t Crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; i++) {
    crc ^= data[i];
    for (int k = 0; k < 8; k++) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
  }
  return ~crc;
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A block whose header CRC (the low half of the CRC-32 of the header from
// its type byte on) is filled in over the first two bytes.
void PutBlock(std::vector<uint8_t>& archive, std::vector<uint8_t> header) {
  uint32_t crc = Crc32(header.data() + 2, header.size() - 2);
  header[0] = uint8_t(crc);
  header[1] = uint8_t(crc >> 8);
  archive.insert(archive.end(), header.begin(), header.end());
}

constexpr uint32_t DirectoryAttribute = 0x10;
constexpr uint32_t FileAttribute = 0x20;
constexpr uint32_t DosTime =
    (25u << 25) | (6u << 21) | (1u << 16) | (12u << 11);  // 2005-06-01 12:00

void PutEntry(std::vector<uint8_t>& archive, const std::string& name, const std::string& contents,
              bool directory) {
  std::vector<uint8_t> header;
  Put16(header, 0);                            // header CRC, filled in by PutBlock
  header.push_back(0x74);                      // file header
  Put16(header, directory ? 0x80E0 : 0x8000);  // data follows; a directory's window bits
  Put16(header, uint32_t(32 + name.size()));
  Put32(header, uint32_t(contents.size()));  // packed size
  Put32(header, uint32_t(contents.size()));  // unpacked size
  header.push_back(2);                       // host system: Win32
  Put32(header, Crc32(reinterpret_cast<const uint8_t*>(contents.data()), contents.size()));
  Put32(header, DosTime);
  header.push_back(20);    // unpack version 2.0
  header.push_back(0x30);  // stored
  Put16(header, uint32_t(name.size()));
  Put32(header, directory ? DirectoryAttribute : FileAttribute);
  header.insert(header.end(), name.begin(), name.end());
  PutBlock(archive, header);
  archive.insert(archive.end(), contents.begin(), contents.end());
}

bool ReadWholeFile(const char* path, std::string* contents) {
  FILE* in = std::fopen(path, "rb");
  if (in == nullptr) return false;
  char block[65536];
  size_t got;
  while ((got = std::fread(block, 1, sizeof block, in)) > 0) contents->append(block, got);
  bool ok = std::ferror(in) == 0;
  std::fclose(in);
  return ok;
}

std::string Describe(const std::string& name) {
  return "Stand-in for " + name + ", made for the Orbivue Setup build.\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: stub_payload OUTPUT VIEWER\n");
    return 1;
  }
  std::string viewer;
  if (!ReadWholeFile(argv[2], &viewer)) {
    std::fprintf(stderr, "stub_payload: cannot read %s\n", argv[2]);
    return 1;
  }
  std::vector<uint8_t> archive = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
  std::vector<uint8_t> main;
  Put16(main, 0);
  main.push_back(0x73);  // main header
  Put16(main, 0);        // flags
  Put16(main, 13);
  Put16(main, 0);
  Put32(main, 0);
  PutBlock(archive, main);

  const char* folders[] = {"Modules\\boot\\24", "Modules\\boot", "Modules", "Filters"};
  for (const char* folder : folders) PutEntry(archive, folder, "", true);
  PutEntry(archive, "Orbivue.exe", viewer, false);
  const char* files[] = {
      "Uninstall.exe",
      "graphedt.exe",
      "Filters\\mpgdec.ax",
      "Filters\\mlcom.ax",
      "Filters\\thsource.ax",
      "Modules\\Agenda.Module",
      "Modules\\Planner.Module",
      "Modules\\IrBridge.Module",
      "Modules\\Beacon.Module",
      "Modules\\Relay.module",
      "Modules\\SatCardA.Device",
      "Modules\\SatCardB.Device",
      "Modules\\SatCardC.Device",
      "Modules\\SatCardD.Device",
      "Modules\\SatCardE.device",
      "Modules\\SatCardF.device",
      "Modules\\SatCardG.Device",
      "Modules\\SatCardH.Device",
      "Modules\\RemoteFeed.Device",
  };
  for (const char* file : files) PutEntry(archive, file, Describe(file), false);
  for (int i = 1; i <= 40; i++) {
    char name[64];
    std::snprintf(name, sizeof name, "Modules\\boot\\24\\channel%02d.txt", i);
    PutEntry(archive, name, Describe(name), false);
  }

  FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr || std::fwrite(archive.data(), 1, archive.size(), out) != archive.size() ||
      std::fclose(out) != 0) {
    std::fprintf(stderr, "stub_payload: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
