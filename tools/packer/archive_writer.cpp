#include "archive_writer.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "archive/block_format.h"
#include "archive/byte_order.h"
#include "archive/cipher.h"
#include "archive/crc32.h"
#include "item_reader.h"
#include "match_finder.h"
#include "store_trial.h"

namespace packer {

namespace {

constexpr uint64_t MaxArchive = 0xFFFFFFFFull;

void SealHeader(std::vector<uint8_t>* archive, size_t start) {
  uint8_t* header = archive->data() + start;
  StoreU16(header + HeaderCrcAt, BlockHeaderCrc(header, uint32_t(archive->size() - start)));
}

int Depth(const std::string& name) {
  return int(std::count(name.begin(), name.end(), '\\'));
}

// Appends a file or folder header; its packed size and CRC are patched in
// once the data is written.
void AppendFileHeader(std::vector<uint8_t>* archive, const PackItem& item, uint16_t flags,
                      uint32_t packedSize, uint32_t unpackedSize, uint32_t crc, uint8_t method) {
  std::vector<uint8_t>& a = *archive;
  const size_t start = a.size();
  AppendU16(&a, 0);
  a.push_back(BlockFile);
  AppendU16(&a, flags);
  AppendU16(&a, uint32_t(EntryFixedSize + item.name.size()));
  AppendU32(&a, packedSize);
  AppendU32(&a, unpackedSize);
  a.push_back(HostWin32);
  AppendU32(&a, crc);
  AppendU32(&a, item.modifiedTime);
  a.push_back(Rar20Version);
  a.push_back(method);
  AppendU16(&a, uint32_t(item.name.size()));
  AppendU32(&a, item.directory ? AttributeDirectory : AttributeArchive);
  a.insert(a.end(), item.name.begin(), item.name.end());
  SealHeader(&a, start);
}

// Bytes of the files read at a time, when stored.
constexpr uint32_t CopyPiece = 1u << 20;
// Encrypted bytes gathered before they are written.
constexpr size_t CodedPiece = 64u << 10;

// The files' entries as they are written: each header first with its packed
// size and CRC open, patched once the data is written; the data encrypted on
// its way out when a password is given. Files are written in order: stored
// ones copied from their file, compressed ones as a stream hands them over.
class Writer {
 public:
  Writer(const ArchiveSettings& settings, bool solid, ArchiveOutput* out,
         const std::vector<const PackItem*>& files, std::string* error)
      : settings_(settings),
        solid_(solid),
        out_(out),
        files_(files),
        error_(error),
        crcOf_(files.size(), 0),
        crcKnown_(files.size(), false) {
    packedSize.assign(files.size(), 0);
    error_->clear();
  }

  std::vector<bool> stored;
  std::vector<uint64_t> packedSize;  // each file's data area as written
  ItemReader reader;
  uint8_t method = 0;

  bool Failed(const std::string& why) {
    if (error_->empty()) *error_ = why;
    return false;
  }
  bool OutputFailed() { return Failed(out_->error); }

  bool Append(const uint8_t* p, size_t n) { return out_->Append(p, n) || OutputFailed(); }

  // Drops everything from at on; nextFile is the next to write.
  bool CutTo(uint64_t at, size_t nextFile) {
    if (!out_->CutTo(at)) return OutputFailed();
    next_ = nextFile;
    if (nextFile == 0) streamStarted_ = false;
    return true;
  }

  bool NotSmaller(size_t i) const {
    const uint64_t plain = ItemSize(*files_[i]), made = packedSize[i];
    // Encryption pads to whole 16-byte blocks, so sizes compare padded.
    return !settings_.password.empty() ? (plain + 15) / 16 <= (made + 15) / 16 : plain <= made;
  }

  // A file read again must read as it did: else its header would not
  // describe its data.
  bool NoteCrc(size_t i, uint32_t crc) {
    if (crcKnown_[i] && crcOf_[i] != crc) return Failed(ChangedReason(*files_[i]));
    crcOf_[i] = crc;
    crcKnown_[i] = true;
    return true;
  }

  // Writes the stored files before file end.
  bool WriteStoredUpTo(size_t end) {
    for (; next_ < end; next_++)
      if (!WriteStored(next_)) return false;
    return true;
  }

  // Compresses the files members (one stream, entries as laid out in it)
  // and writes them, with the stored files between them.
  bool WriteStream(const std::vector<size_t>& members, const std::vector<StreamEntry>& entries,
                   uint32_t size, const EncodeSettings& encode, EncodeReport* report);

 private:
  class Input;
  class Sink;

  uint16_t FileFlags() {
    uint16_t flags = BlockFlagHasData | EntryFlagWindow1M;
    if (solid_ && streamStarted_) flags |= EntryFlagSolid;
    if (!settings_.password.empty()) flags |= EntryFlagEncrypted;
    return flags;
  }

  bool BeginEntry(size_t i, uint16_t flags, uint8_t entryMethod) {
    entryStart_ = out_->Size();
    entryFlags_ = flags;
    entryMethod_ = entryMethod;
    dataBytes_ = 0;
    tailLength_ = 0;
    header_.clear();
    AppendFileHeader(&header_, *files_[i], flags, 0, uint32_t(ItemSize(*files_[i])), 0,
                     entryMethod);
    if (!settings_.password.empty())
      StartCipher(&cipher_, &cipherKeys_, settings_.password.c_str());
    return Append(header_.data(), header_.size());
  }

  bool Data(const uint8_t* p, size_t n) {
    if (settings_.password.empty()) {
      dataBytes_ += n;
      return Append(p, n);
    }
    while (n > 0) {
      const size_t take = std::min(n, size_t(16) - tailLength_);
      std::memcpy(tail_ + tailLength_, p, take);
      tailLength_ += take;
      p += take;
      n -= take;
      if (tailLength_ == 16) {
        CipherEncrypt(&cipher_, tail_);
        coded_.insert(coded_.end(), tail_, tail_ + 16);
        tailLength_ = 0;
        if (coded_.size() >= CodedPiece && !FlushCoded()) return false;
      }
    }
    return FlushCoded();
  }

  bool FlushCoded() {
    dataBytes_ += coded_.size();
    const bool ok = Append(coded_.data(), coded_.size());
    coded_.clear();
    return ok;
  }

  bool EndEntry(size_t i, uint32_t crc) {
    if (tailLength_ > 0) {
      std::memset(tail_ + tailLength_, 0, 16 - tailLength_);
      CipherEncrypt(&cipher_, tail_);
      coded_.insert(coded_.end(), tail_, tail_ + 16);
      tailLength_ = 0;
      if (!FlushCoded()) return false;
    }
    if (dataBytes_ > 0xFFFFFFFFull) return Failed("archive larger than 4 GiB");
    packedSize[i] = dataBytes_;
    header_.clear();
    AppendFileHeader(&header_, *files_[i], entryFlags_, uint32_t(dataBytes_),
                     uint32_t(ItemSize(*files_[i])), crc, entryMethod_);
    return out_->Patch(entryStart_, header_.data(), header_.size()) || OutputFailed();
  }

  bool WriteStored(size_t i) {
    const PackItem& item = *files_[i];
    if (!BeginEntry(i, FileFlags(), MethodStored)) return false;
    piece_.resize(CopyPiece);
    uint32_t crc = 0xFFFFFFFFu;
    const uint64_t size = ItemSize(item);
    for (uint64_t at = 0; at < size;) {
      const uint32_t n = uint32_t(std::min<uint64_t>(CopyPiece, size - at));
      if (!reader.Read(item, at, piece_.data(), n, error_)) return false;
      crc = UpdateCrc32(crc, piece_.data(), n);
      if (!Data(piece_.data(), n)) return false;
      at += n;
    }
    if (!reader.CheckUnchanged(item, error_) || !NoteCrc(i, ~crc)) return false;
    return EndEntry(i, ~crc);
  }

  const ArchiveSettings& settings_;
  const bool solid_;
  ArchiveOutput* out_;
  const std::vector<const PackItem*>& files_;
  std::string* error_;
  std::vector<uint32_t> crcOf_;
  std::vector<bool> crcKnown_;
  size_t next_ = 0;             // the next file to write
  bool streamStarted_ = false;  // a compressed file has been written
  // The entry being written.
  uint64_t entryStart_ = 0, dataBytes_ = 0;
  uint16_t entryFlags_ = 0;
  uint8_t entryMethod_ = 0;
  std::vector<uint8_t> header_, coded_, piece_;
  uint8_t tail_[16] = {};
  CipherState cipher_{};         // the current entry's keys, set afresh for each
  CipherKeyCache cipherKeys_{};  // what the password derives, derived once
  size_t tailLength_ = 0;
};

// The stream's bytes: its member files one after another, read through the
// writer's reader; the CRC-32 of each is taken as it is read in order.
class Writer::Input : public StreamInput {
 public:
  Input(Writer* w, const std::vector<size_t>& members, const std::vector<StreamEntry>& entries)
      : w_(w), members_(members), entries_(entries) {
    crcs.assign(members.size(), 0);
  }

  bool Rewind() override {
    at_ = 0;
    member_ = 0;
    crc_ = 0xFFFFFFFFu;
    return FinishWhole();
  }

  bool ReadNext(uint8_t* out, uint32_t n) override {
    while (n > 0) {
      if (member_ >= members_.size()) return w_->Failed("internal error: read past the stream");
      const PackItem& item = *w_->files_[members_[member_]];
      const uint32_t take = uint32_t(std::min<uint64_t>(n, entries_[member_].size - at_));
      if (!w_->reader.Read(item, at_, out, take, w_->error_)) return false;
      crc_ = UpdateCrc32(crc_, out, take);
      at_ += take;
      out += take;
      n -= take;
      if (!FinishWhole()) return false;
    }
    return true;
  }

  bool ReadAt(uint32_t at, uint8_t* out, uint32_t n) override {
    size_t k =
        size_t(std::upper_bound(entries_.begin(), entries_.end(), at,
                                [](uint32_t v, const StreamEntry& e) { return v < e.begin; }) -
               entries_.begin());
    k = k > 0 ? k - 1 : 0;  // the last member that starts at or before at
    return w_->reader.Read(*w_->files_[members_[k]], at - entries_[k].begin, out, n, w_->error_);
  }

  std::vector<uint32_t> crcs;  // of each member read whole

 private:
  // Closes the members read to their end (empty ones at once).
  bool FinishWhole() {
    while (member_ < members_.size() && at_ == entries_[member_].size) {
      const size_t i = members_[member_];
      if (!w_->reader.CheckUnchanged(*w_->files_[i], w_->error_)) return false;
      crcs[member_] = ~crc_;
      if (!w_->NoteCrc(i, ~crc_)) return false;
      member_++;
      at_ = 0;
      crc_ = 0xFFFFFFFFu;
    }
    return true;
  }

  Writer* w_;
  const std::vector<size_t>& members_;
  const std::vector<StreamEntry>& entries_;
  size_t member_ = 0;
  uint64_t at_ = 0;
  uint32_t crc_ = 0xFFFFFFFFu;
};

// Where the compressor's bytes go: each member's entry, after the stored
// files before it.
class Writer::Sink : public StreamOutput {
 public:
  Sink(Writer* w, const std::vector<size_t>& members, const Input& input)
      : w_(w),
        members_(members),
        input_(input),
        start_(w->out_->Size()),
        next_(w->next_),
        started_(w->streamStarted_) {}

  bool Write(size_t entry, const uint8_t* bytes, size_t n) override {
    return Begin(entry) && w_->Data(bytes, n);
  }

  bool EndEntry(size_t entry) override {
    if (!Begin(entry) || !w_->EndEntry(members_[entry], input_.crcs[entry])) return false;
    w_->next_ = members_[entry] + 1;
    return true;
  }

  bool Restart() override {
    begun_ = SIZE_MAX;
    if (!w_->CutTo(start_, next_)) return false;
    w_->streamStarted_ = started_;
    return true;
  }

 private:
  bool Begin(size_t entry) {
    if (begun_ == entry) return true;
    begun_ = entry;
    if (!w_->WriteStoredUpTo(members_[entry])) return false;
    const uint16_t flags = w_->FileFlags();
    w_->streamStarted_ = true;
    return w_->BeginEntry(members_[entry], flags, w_->method);
  }

  Writer* w_;
  const std::vector<size_t>& members_;
  const Input& input_;
  const uint64_t start_;
  const size_t next_;
  const bool started_;
  size_t begun_ = SIZE_MAX;
};

bool Writer::WriteStream(const std::vector<size_t>& members,
                         const std::vector<StreamEntry>& entries, uint32_t size,
                         const EncodeSettings& encode, EncodeReport* report) {
  Input input(this, members, entries);
  Sink sink(this, members, input);
  if (EncodeStreamFrom(&input, size, entries, encode, &sink, report)) return true;
  return Failed("internal error: the compressor stopped");
}

}  // namespace

std::string EntryNameKey(const std::string& name) {
  std::string key = name;
  for (char& c : key) c = FoldEntryNameChar(c);
  return key;
}

bool BuildArchive(const std::vector<PackItem>& items, const ArchiveSettings& settings,
                  ArchiveOutput* out, std::string* error, PackSummary* summary) {
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
    if (ItemSize(item) > 0xFFFFFFF0u) {
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
  Writer w(settings, solid, out, files, error);
  std::vector<bool>& stored = w.stored;
  stored.assign(files.size(), settings.level == 0);
  EncodeSettings encode;
  encode.level = settings.level;
  encode.audio = settings.audio;
  encode.guardEntryEnds = !settings.password.empty();
  uint64_t total = 0;
  for (const PackItem* f : files) total += ItemSize(*f);
  if (solid && settings.level > 0 && total > 0xFFFFFFFFull - MatchPadding) {
    *error = "solid stream larger than 4 GiB";
    return false;
  }
  const bool fallBack = !settings.setupLayout;
  const uint64_t progressTotal = total;
  uint64_t progressBase = 0;
  auto tell = [&](uint64_t done) {
    if (settings.progress) settings.progress(progressBase + done, progressTotal);
  };
  // Whether a trial finds file i incompressible; false when it cannot be read.
  auto trial = [&](size_t i, uint64_t minimum, bool* looks) {
    bool readFailed = false;
    *looks = LooksIncompressible(
        ItemSize(*files[i]),
        [&](uint64_t at, uint8_t* p, uint32_t n) {
          return w.reader.Read(*files[i], at, p, n, error);
        },
        encode, &readFailed, minimum);
    return !readFailed;
  };

  const uint8_t levelMethod =
      settings.setupLayout ? MethodBest : uint8_t(MethodStored + settings.level);
  w.method = levelMethod;
  std::vector<uint8_t> a(RarMarker, RarMarker + MarkerSize);
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
  for (const PackItem* folder : folders) {
    AppendFileHeader(&a, *folder, BlockFlagHasData | EntryFlagDirectory, 0, 0, 0, levelMethod);
    sum.folders++;
  }
  if (!w.Append(a.data(), a.size())) return false;

  if (settings.level > 0 && solid) {
    // A short trial alone decides which files are stored, before the one
    // compression of the stream: compressing it again without the files
    // that came out no smaller would cost a whole pass each time. A file
    // the trial passes stays compressed whatever it comes to; an empty one
    // has nothing to compress.
    if (fallBack)
      for (size_t i = 0; i < files.size(); i++) {
        bool looks = ItemSize(*files[i]) == 0;
        if (!looks && !trial(i, SolidStoreTrialMinimum, &looks)) return false;
        if (looks) {
          stored[i] = true;
          progressBase += ItemSize(*files[i]);
          tell(0);
        }
      }
    // Stored files stay out of the stream: the reader passes them over
    // without the decoder, which then continues from the file before.
    std::vector<StreamEntry> entries;
    std::vector<size_t> members;
    uint64_t size = 0;
    for (size_t i = 0; i < files.size(); i++) {
      if (stored[i]) continue;
      entries.push_back({uint32_t(size), uint32_t(ItemSize(*files[i]))});
      members.push_back(i);
      size += ItemSize(*files[i]);
    }
    if (!members.empty()) {
      encode.progress = [&](uint32_t done) { tell(done); };
      if (!w.WriteStream(members, entries, uint32_t(size), encode, &sum.encoding)) return false;
    }
    if (!w.WriteStoredUpTo(files.size())) return false;
  } else {
    for (size_t i = 0; i < files.size(); i++) {
      const uint64_t entryStart = out->Size();
      bool looks = false;
      // Data that a trial finds incompressible is stored without the long
      // compression that would only end in storing it.
      if (settings.level > 0 && fallBack && !trial(i, StoreTrialMinimum, &looks)) return false;
      if (settings.level > 0 && looks) {
        stored[i] = true;
        progressBase += ItemSize(*files[i]);
        tell(0);
      } else if (settings.level > 0) {
        const uint32_t size = uint32_t(ItemSize(*files[i]));
        EncodeReport report;
        encode.progress = [&](uint32_t done) { tell(done); };
        if (!w.WriteStream({i}, {{0, size}}, size, encode, &report)) return false;
        progressBase += size;
        sum.encoding.lzBlocks += report.lzBlocks;
        sum.encoding.audioBlocks += report.audioBlocks;
        sum.encoding.audioChannelsUsed |= report.audioChannelsUsed;
        sum.encoding.closeChoices += report.closeChoices;
        for (int k = 0; k < SymbolKinds; k++) sum.encoding.symbols[k] += report.symbols[k];
        // Not made smaller: written again, stored, from the file read anew.
        if (fallBack && w.NotSmaller(i)) {
          stored[i] = true;
          if (!w.CutTo(entryStart, i)) return false;
        }
      }
      if (stored[i] && !w.WriteStoredUpTo(i + 1)) return false;
      if (out->Size() > MaxArchive) {
        *error = "archive larger than 4 GiB";
        return false;
      }
    }
  }
  for (size_t i = 0; i < files.size(); i++) {
    sum.files++;
    if (stored[i] && settings.level > 0) sum.storedFiles++;
    sum.unpackedBytes += ItemSize(*files[i]);
    sum.packedBytes += w.packedSize[i];
  }
  if (!settings.setupLayout) {
    // The end-of-archive block of RAR 2.x and later readers.
    a.clear();
    AppendU16(&a, 0);
    a.push_back(BlockArchiveEnd);
    AppendU16(&a, BlockFlagSkipIfUnknown);
    AppendU16(&a, BlockBaseSize);
    SealHeader(&a, 0);
    if (!w.Append(a.data(), a.size())) return false;
  }
  if (out->Size() > MaxArchive) {
    *error = "archive larger than 4 GiB";
    return false;
  }
  return true;
}

bool BuildArchive(const std::vector<PackItem>& items, const ArchiveSettings& settings,
                  std::vector<uint8_t>* out, std::string* error, PackSummary* summary) {
  VectorOutput output(out);
  return BuildArchive(items, settings, &output, error, summary);
}

}  // namespace packer
