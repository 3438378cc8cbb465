#include "archive_writer.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "archive/block_format.h"
#include "archive/byte_order.h"
#include "archive/cipher.h"
#include "archive/crc32.h"
#include "match_finder.h"
#include "store_trial.h"

namespace packer {

namespace {

constexpr uint64_t MaxArchive = 0xFFFFFFFFull;

uint32_t Crc32(const uint8_t* p, size_t n) {
  return ~UpdateCrc32(0xFFFFFFFFu, p, uint32_t(n));
}

void SealHeader(std::vector<uint8_t>* archive, size_t start) {
  uint8_t* header = archive->data() + start;
  StoreU16(header + HeaderCrcAt, BlockHeaderCrc(header, uint32_t(archive->size() - start)));
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
  for (char& c : key) c = FoldEntryNameChar(c);
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
  if (settings.password.size() > MaxPasswordLength) {
    *error = "password longer than 255 bytes";
    return false;
  }
  const bool solid = settings.solid || settings.setupLayout;

  // Folders first, so that a solid walk meets the first file with nothing
  // before it to continue; the setup layout puts the deepest first.
  std::vector<const PackItem*> folders, files;
  std::set<std::string> keys;
  for (const PackItem& item : items) {
    if (item.name.empty() || item.name.size() > MaxNameLength) {
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
  if (settings.setupLayout) {
    std::stable_sort(folders.begin(), folders.end(), [](const PackItem* a, const PackItem* b) {
      return Depth(a->name) > Depth(b->name);
    });
    // The uninstaller is the first file, so that an installation stopped
    // or cancelled at any later entry leaves it beside its log.
    std::stable_partition(files.begin(), files.end(), [](const PackItem* f) {
      return EntryNameKey(f->name) == EntryNameKey(SetupUninstaller);
    });
  }

  // Packed data of every file, and whether it is stored.
  std::vector<std::vector<uint8_t>> packed(files.size());
  std::vector<bool> stored(files.size(), settings.level == 0);
  EncodeSettings encode;
  encode.level = settings.level;
  encode.audio = settings.audio;
  encode.guardEntryEnds = !settings.password.empty();
  uint64_t total = 0;
  for (const PackItem* f : files) total += f->data.size();
  if (solid && settings.level > 0 && total > 0xFFFFFFFFull - MatchPadding) {
    *error = "solid stream larger than 4 GiB";
    return false;
  }
  // Encryption pads to whole 16-byte blocks, so sizes compare padded.
  const bool padded = !settings.password.empty();
  auto notSmaller = [&](size_t i) {
    const uint64_t plain = files[i]->data.size(), made = packed[i].size();
    return padded ? (plain + 15) / 16 <= (made + 15) / 16 : plain <= made;
  };
  const bool fallBack = !settings.setupLayout;
  uint64_t progressTotal = total, progressBase = 0;
  auto tell = [&](uint64_t done) {
    if (settings.progress) settings.progress(progressBase + done, progressTotal);
  };
  if (settings.level > 0 && solid) {
    // Data that a trial finds incompressible is stored from the start, so
    // that the stream is not compressed once with it only to be compressed
    // again without it.
    if (fallBack)
      for (size_t i = 0; i < files.size(); i++)
        if (LooksIncompressible(files[i]->data, encode)) {
          stored[i] = true;
          progressBase += files[i]->data.size();
          tell(0);
        }
    // Stored files stay out of the stream: the reader passes them over
    // without the decoder, which then continues from the file before.
    for (int pass = 0; pass < 3; pass++) {
      std::vector<uint8_t> stream;
      std::vector<StreamEntry> entries;
      std::vector<size_t> members;
      for (size_t i = 0; i < files.size(); i++) {
        if (stored[i]) continue;
        entries.push_back({uint32_t(stream.size()), uint32_t(files[i]->data.size())});
        members.push_back(i);
        stream.insert(stream.end(), files[i]->data.begin(), files[i]->data.end());
      }
      if (members.empty()) break;
      const uint32_t size = uint32_t(stream.size());
      stream.resize(stream.size() + MatchPadding, 0);
      encode.progress = [&](uint32_t done) { tell(done); };
      sum.encoding = EncodeReport{};
      std::vector<std::vector<uint8_t>> out =
          EncodeStream(stream.data(), size, entries, encode, &sum.encoding);
      bool more = false;
      for (size_t k = 0; k < members.size(); k++) {
        packed[members[k]].swap(out[k]);
        if (fallBack && notSmaller(members[k])) more = true;
      }
      if (!more || pass == 2) break;
      for (size_t i : members)
        if (notSmaller(i)) stored[i] = true;
      progressBase += size;
      progressTotal += size;
    }
  } else if (settings.level > 0) {
    for (size_t i = 0; i < files.size(); i++) {
      // Data that a trial finds incompressible is stored without the long
      // compression that would only end in storing it.
      if (fallBack && LooksIncompressible(files[i]->data, encode)) {
        stored[i] = true;
        progressBase += files[i]->data.size();
        tell(0);
        continue;
      }
      std::vector<uint8_t> stream(files[i]->data);
      const uint32_t size = uint32_t(stream.size());
      stream.resize(stream.size() + MatchPadding, 0);
      EncodeReport report;
      encode.progress = [&](uint32_t done) { tell(done); };
      packed[i] = EncodeStream(stream.data(), size, {{0, size}}, encode, &report)[0];
      progressBase += size;
      sum.encoding.lzBlocks += report.lzBlocks;
      sum.encoding.audioBlocks += report.audioBlocks;
      sum.encoding.audioChannelsUsed |= report.audioChannelsUsed;
      sum.encoding.closeChoices += report.closeChoices;
      for (int k = 0; k < SymbolKinds; k++) sum.encoding.symbols[k] += report.symbols[k];
      if (fallBack && notSmaller(i)) stored[i] = true;
    }
  }
  for (size_t i = 0; i < files.size(); i++)
    if (stored[i]) packed[i] = files[i]->data;

  if (!settings.password.empty())
    for (auto& p : packed)
      if (!p.empty()) Encrypt(&p, settings.password);

  const uint8_t levelMethod =
      settings.setupLayout ? MethodBest : uint8_t(MethodStored + settings.level);
  std::vector<uint8_t>& a = *out;
  a.assign(RarMarker, RarMarker + MarkerSize);
  const size_t mainStart = a.size();
  AppendU16(&a, 0);
  a.push_back(BlockMain);
  // Outside the setup layout the archive closes with an end block, and says
  // so, so that a copy cut at an entry boundary can be told from a whole one.
  AppendU16(&a, uint16_t((solid ? MainFlagSolid : 0) |
                         (settings.setupLayout ? 0 : MainFlagEndBlockWritten)));
  AppendU16(&a, MainHeaderSize);
  AppendU16(&a, 0);
  AppendU32(&a, 0);
  SealHeader(&a, mainStart);

  auto writeEntry = [&](const PackItem& item, uint16_t flags, const std::vector<uint8_t>& data,
                        uint8_t method) {
    const size_t start = a.size();
    AppendU16(&a, 0);
    a.push_back(BlockFile);
    AppendU16(&a, flags);
    AppendU16(&a, uint32_t(EntryFixedSize + item.name.size()));
    AppendU32(&a, uint32_t(data.size()));
    AppendU32(&a, uint32_t(item.data.size()));
    a.push_back(HostWin32);
    AppendU32(&a, Crc32(item.data.data(), item.data.size()));
    AppendU32(&a, item.modifiedTime);
    a.push_back(Rar20Version);
    a.push_back(method);
    AppendU16(&a, uint32_t(item.name.size()));
    AppendU32(&a, item.directory ? AttributeDirectory : AttributeArchive);
    a.insert(a.end(), item.name.begin(), item.name.end());
    SealHeader(&a, start);
    a.insert(a.end(), data.begin(), data.end());
  };
  const std::vector<uint8_t> none;
  for (const PackItem* folder : folders) {
    writeEntry(*folder, BlockFlagHasData | EntryFlagDirectory, none, levelMethod);
    sum.folders++;
  }
  // A compressed file continues the decoder state when a compressed file
  // came before it; the first one starts it afresh.
  bool streamStarted = false;
  for (size_t i = 0; i < files.size(); i++) {
    uint16_t flags = BlockFlagHasData | EntryFlagWindow1M;
    if (solid && streamStarted) flags |= EntryFlagSolid;
    if (!stored[i]) streamStarted = true;
    if (!settings.password.empty()) flags |= EntryFlagEncrypted;
    writeEntry(*files[i], flags, packed[i], stored[i] ? MethodStored : levelMethod);
    sum.files++;
    if (stored[i] && settings.level > 0) sum.storedFiles++;
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
    a.push_back(BlockArchiveEnd);
    AppendU16(&a, BlockFlagSkipIfUnknown);
    AppendU16(&a, BlockBaseSize);
    SealHeader(&a, start);
  }
  if (a.size() > MaxArchive) {
    *error = "archive larger than 4 GiB";
    return false;
  }
  return true;
}

}  // namespace packer
