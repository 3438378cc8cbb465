#include "archive_writer.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "archive/byte_order.h"
#include "archive/cipher.h"
#include "archive/crc32.h"
#include "match_finder.h"

namespace packer {

namespace {

constexpr uint8_t Marker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
constexpr uint16_t MainSolid = 0x0008;
constexpr uint16_t FileHasData = 0x8000;
constexpr uint16_t FileSolid = 0x0010;
constexpr uint16_t FileEncrypted = 0x0004;
constexpr uint16_t FileWindow1M = 0x0080;  // dictionary bits: 1 MiB
constexpr uint16_t FileDirectory = 0x00E0;
constexpr uint32_t MaxName = 259;
constexpr uint64_t MaxArchive = 0xFFFFFFFFull;

uint32_t Crc32(const uint8_t* p, size_t n) {
  return ~UpdateCrc32(0xFFFFFFFFu, p, uint32_t(n));
}

// Header CRC: the low half of the CRC-32 of the header from its third byte.
void SealHeader(std::vector<uint8_t>* archive, size_t start) {
  const uint32_t crc = Crc32(archive->data() + start + 2, archive->size() - start - 2);
  (*archive)[start] = uint8_t(crc);
  (*archive)[start + 1] = uint8_t(crc >> 8);
}

void Encrypt(std::vector<uint8_t>* packed, const std::string& password) {
  packed->resize((packed->size() + 15) & ~size_t(15), 0);
  SetCipherPassword(password.c_str());
  for (size_t i = 0; i < packed->size(); i += 16) CipherEncrypt(packed->data() + i);
}

int Depth(const std::string& name) {
  return int(std::count(name.begin(), name.end(), '\\'));
}

}  // namespace

std::string EntryNameKey(const std::string& name) {
  std::string key = name;
  for (char& c : key) {
    if (c == '\\' || c == '/') c = '_';
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  }
  return key;
}

bool BuildArchive(const std::vector<PackItem>& items, const ArchiveSettings& settings,
                  std::vector<uint8_t>* out, std::string* error, PackSummary* summary) {
  PackSummary local;
  PackSummary& sum = summary ? *summary : local;
  sum = PackSummary{};
  if (settings.level < 0 || settings.level > 5) {
    *error = "compression level must be 0 to 5";
    return false;
  }
  if (settings.setupLayout && settings.level == 0) {
    *error = "--setup-layout needs a compressed method (-m1 to -m5)";
    return false;
  }
  if (settings.setupLayout && !settings.password.empty()) {
    *error = "--setup-layout archives cannot be encrypted: the installer passes no password";
    return false;
  }
  if (settings.password.size() > 255) {
    *error = "password longer than 255 bytes";
    return false;
  }
  const bool solid = settings.solid || settings.setupLayout;

  // Folders first, so that a solid walk meets the first file with nothing
  // before it to continue; the setup layout puts the deepest first.
  std::vector<const PackItem*> folders, files;
  std::set<std::string> keys;
  for (const PackItem& item : items) {
    if (item.name.empty() || item.name.size() > MaxName) {
      *error = "entry name '" + item.name + "' must have 1 to 259 bytes";
      return false;
    }
    if (!keys.insert(EntryNameKey(item.name)).second) {
      *error = "two entries would share the name '" + item.name +
               "' (names differing only in case or separators cannot both be fetched)";
      return false;
    }
    if (item.data.size() > 0xFFFFFFF0u) {
      *error = item.name + ": larger than a RAR 2.x entry can hold";
      return false;
    }
    (item.directory ? folders : files).push_back(&item);
  }
  if (settings.setupLayout)
    std::stable_sort(folders.begin(), folders.end(), [](const PackItem* a, const PackItem* b) {
      return Depth(a->name) > Depth(b->name);
    });

  // Packed data of every file.
  std::vector<std::vector<uint8_t>> packed(files.size());
  EncodeSettings encode;
  encode.level = settings.level;
  encode.audio = settings.audio;
  encode.guardEntryEnds = !settings.password.empty();
  if (settings.level == 0) {
    for (size_t i = 0; i < files.size(); i++) packed[i] = files[i]->data;
  } else if (solid) {
    uint64_t total = 0;
    for (const PackItem* f : files) total += f->data.size();
    if (total > 0xFFFFFFFFull - MatchPadding) {
      *error = "solid stream larger than 4 GiB";
      return false;
    }
    std::vector<uint8_t> stream;
    stream.reserve(size_t(total) + MatchPadding);
    std::vector<StreamEntry> entries;
    for (const PackItem* f : files) {
      entries.push_back({uint32_t(stream.size()), uint32_t(f->data.size())});
      stream.insert(stream.end(), f->data.begin(), f->data.end());
    }
    stream.resize(size_t(total) + MatchPadding, 0);
    if (!entries.empty())
      packed = EncodeStream(stream.data(), uint32_t(total), entries, encode, &sum.encoding);
  } else {
    for (size_t i = 0; i < files.size(); i++) {
      std::vector<uint8_t> stream(files[i]->data);
      const uint32_t size = uint32_t(stream.size());
      stream.resize(stream.size() + MatchPadding, 0);
      EncodeReport report;
      packed[i] = EncodeStream(stream.data(), size, {{0, size}}, encode, &report)[0];
      sum.encoding.lzBlocks += report.lzBlocks;
      sum.encoding.audioBlocks += report.audioBlocks;
      sum.encoding.audioChannelsUsed |= report.audioChannelsUsed;
      for (int k = 0; k < SymbolKinds; k++) sum.encoding.symbols[k] += report.symbols[k];
    }
  }

  BuildCrc32Table();
  if (!settings.password.empty())
    for (auto& p : packed)
      if (!p.empty()) Encrypt(&p, settings.password);

  const uint8_t method = settings.setupLayout ? 0x35 : uint8_t(0x30 + settings.level);
  std::vector<uint8_t>& a = *out;
  a.assign(Marker, Marker + 7);
  const size_t mainStart = a.size();
  AppendU16(&a, 0);
  a.push_back(0x73);
  AppendU16(&a, solid ? MainSolid : 0);
  AppendU16(&a, 13);
  AppendU16(&a, 0);
  AppendU32(&a, 0);
  SealHeader(&a, mainStart);

  auto writeEntry = [&](const PackItem& item, uint16_t flags, const std::vector<uint8_t>& data) {
    const size_t start = a.size();
    AppendU16(&a, 0);
    a.push_back(0x74);
    AppendU16(&a, flags);
    AppendU16(&a, uint32_t(32 + item.name.size()));
    AppendU32(&a, uint32_t(data.size()));
    AppendU32(&a, uint32_t(item.data.size()));
    a.push_back(2);  // archived on Win32
    AppendU32(&a, Crc32(item.data.data(), item.data.size()));
    AppendU32(&a, item.modifiedTime);
    a.push_back(20);
    a.push_back(method);
    AppendU16(&a, uint32_t(item.name.size()));
    AppendU32(&a, item.directory ? 0x10 : 0x20);
    a.insert(a.end(), item.name.begin(), item.name.end());
    SealHeader(&a, start);
    a.insert(a.end(), data.begin(), data.end());
  };
  const std::vector<uint8_t> none;
  for (const PackItem* folder : folders) {
    writeEntry(*folder, FileHasData | FileDirectory, none);
    sum.folders++;
  }
  for (size_t i = 0; i < files.size(); i++) {
    uint16_t flags = FileHasData | FileWindow1M;
    if (solid && i > 0) flags |= FileSolid;
    if (!settings.password.empty()) flags |= FileEncrypted;
    writeEntry(*files[i], flags, packed[i]);
    sum.files++;
    sum.unpackedBytes += files[i]->data.size();
    sum.packedBytes += packed[i].size();
    if (a.size() > MaxArchive) {
      *error = "archive larger than 4 GiB";
      return false;
    }
  }
  if (!settings.setupLayout) {
    // The end-of-archive block of RAR 2.x and later readers.
    const size_t start = a.size();
    AppendU16(&a, 0);
    a.push_back(0x7B);
    AppendU16(&a, 0x4000);
    AppendU16(&a, 7);
    SealHeader(&a, start);
  }
  if (a.size() > MaxArchive) {
    *error = "archive larger than 4 GiB";
    return false;
  }
  return true;
}

}  // namespace packer
