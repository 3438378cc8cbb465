// Packs what the input describes and reads it back: the first bytes choose
// the packer's settings (level, solid, audio, a password, the setup layout),
// the rest is cut into files. Every file must come back byte for byte
// through the installer's get request, the archive must walk soundly with
// every header CRC right, and a wrong password must never deliver anything.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "archive_writer.h"
#include "header_walk.h"

namespace {

constexpr size_t MaxInput = 256 * 1024;  // larger inputs only cost time
constexpr int MaxFiles = 12;

struct Settings {
  packer::ArchiveSettings archive;
  std::vector<packer::PackItem> items;
};

// Byte 0: level 0..5 (low 3 bits mod 6), solid (bit 3), audio choice
// (bits 4-5), password (bit 6), setup layout (bit 7).
// Byte 1: how many files (1..MaxFiles); then per file a 16-bit length and
// one byte that makes its name go in a folder. The rest is the contents, cut
// in order.
bool ReadSettings(const uint8_t* data, size_t size, Settings* s) {
  if (size < 2) return false;
  const uint8_t choice = data[0];
  s->archive.level = (choice & 7) % 6;
  s->archive.solid = (choice & 8) != 0;
  switch ((choice >> 4) & 3) {
    case 1:
      s->archive.audio = packer::AudioChoice::Always;
      break;
    case 2:
      s->archive.audio = packer::AudioChoice::Never;
      break;
    default:
      s->archive.audio = packer::AudioChoice::Automatic;
      break;
  }
  if (choice & 0x40) s->archive.password = "fuzz password";
  s->archive.setupLayout = (choice & 0x80) != 0;
  const int files = 1 + data[1] % MaxFiles;
  size_t pos = 2;
  std::vector<size_t> lengths;
  std::vector<bool> inFolder;
  for (int i = 0; i < files; i++) {
    if (pos + 3 > size) break;
    lengths.push_back(size_t(data[pos]) | size_t(data[pos + 1]) << 8);
    inFolder.push_back((data[pos + 2] & 1) != 0);
    pos += 3;
  }
  bool folderUsed = false;
  for (size_t i = 0; i < lengths.size(); i++) {
    packer::PackItem item;
    item.name = (inFolder[i] ? "Dir\\file" : "file") + std::to_string(i) + ".bin";
    folderUsed = folderUsed || inFolder[i];
    const size_t take = lengths[i] < size - pos ? lengths[i] : size - pos;
    item.data.assign(data + pos, data + pos + take);
    item.modifiedTime = 0x5A8C6000u + uint32_t(i);
    pos += take;
    s->items.push_back(std::move(item));
  }
  if (folderUsed) {
    packer::PackItem dir;
    dir.name = "Dir";
    dir.directory = true;
    s->items.insert(s->items.begin(), std::move(dir));
  }
  return !s->items.empty();
}

void ExpectEntry(const ArchiveImage& image, const packer::PackItem& item, const char* password) {
  ArchiveImage copy = image;
  uint8_t* out = nullptr;
  uint32_t outSize = 0;
  if (!ArchiveGetEntry(&out, &outSize, item.name.c_str(), &copy, password)) std::abort();
  if (outSize != item.data.size()) std::abort();
  for (uint32_t i = 0; i < outSize; i++)
    if (out[i] != item.data[i]) std::abort();
  std::free(out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > MaxInput) return 0;
  Settings s;
  if (!ReadSettings(data, size, &s)) return 0;
  std::vector<uint8_t> archive;
  std::string error;
  if (!packer::BuildArchive(s.items, s.archive, &archive, &error)) return 0;

  ArchiveImage image{archive.data(), uint32_t(archive.size()), 0};
  EntryListNode* head = nullptr;
  const int listed = ArchiveListEntries(&image, &head);
  if (listed != int(s.items.size())) std::abort();
  ArchiveFreeList(head);

  // rar2tool's judgement: every header CRC right, the walk ends where the
  // writer ended it (the setup layout has no end block by design).
  ArchiveWalk walk;
  if (!WalkArchive(image, &walk) || WalkFailed(walk)) std::abort();
  if (walk.entries.size() != s.items.size() ||
      walk.solid != (s.archive.solid || s.archive.setupLayout))
    std::abort();

  const char* password = s.archive.password.empty() ? nullptr : s.archive.password.c_str();
  for (const packer::PackItem& item : s.items)
    if (!item.directory) ExpectEntry(image, item, password);
  // Backwards as well: every request stands on its own, whatever came before.
  for (size_t i = s.items.size(); i-- > 0;)
    if (!s.items[i].directory) ExpectEntry(image, s.items[i], password);

  if (password != nullptr) {
    for (const packer::PackItem& item : s.items) {
      if (item.directory || item.data.empty()) continue;
      ArchiveImage copy = image;
      uint8_t* out = nullptr;
      uint32_t outSize = 0;
      // Decoding with the wrong key runs the decoder over noise: it must
      // stay inside its buffers (the sanitizers judge) and leave nothing
      // behind when it fails.
      if (!ArchiveGetEntry(&out, &outSize, item.name.c_str(), &copy, "wrong") &&
          (out != nullptr || outSize != 0))
        std::abort();
      std::free(out);
    }
  }
  return 0;
}
