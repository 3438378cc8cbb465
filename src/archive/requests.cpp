// The listing and get requests of a reader. Each opens the image again and
// clears the password at its end; a get request continues after the entry
// the previous one found when it asks for a later entry of the same image
// with the same password (in a solid archive, from the decoder state that
// one left), and starts from the first entry otherwise.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "archive/archive_reader.h"
#include "archive/block_format.h"
#include "archive/cipher.h"
#include "archive/crc32.h"
#include "archive/reader_handle.h"
#include "archive/reader_memory.h"
#include "unpack/bit_input.h"
#include "unpack/unpack_entry.h"

namespace {

template <size_t N>
void CopyBounded(char (&dest)[N], const char* src) {
  size_t i = 0;
  for (; src != nullptr && i < N - 1 && src[i] != '\0'; i++) dest[i] = src[i];
  dest[i] = '\0';
}

// Steps common to both requests: store the image, open it and stand on the
// first block after the main header.
bool StartRequest(ReaderState* r, ArchiveImage* image) {
  r->image = image;
  if (image == nullptr) return false;
  image->offset = 0;
  if (image->data == nullptr || image->size < MarkerSize) return false;
  if (!OpenArchive(*image, &r->archiveHeader)) return false;
  image->offset = MarkerSize + r->archiveHeader.headerSize;
  return true;
}

void EndRequest(ReaderState* r) {
  std::memset(r->password, 0, sizeof r->password);
}

// One step of the walk, its file header made the request's current entry.
WalkStep WalkOn(ArchiveReader* reader) {
  ReaderState& r = reader->request;
  WalkedHeader found;
  const WalkStep step = NextEntryHeader(r.image, &found);
  if (step == WalkStep::File) {
    r.entry = found.entry;
    r.entryNameOffset = found.nameOffset;
    r.nextBlock = found.nextBlock;
    reader->entryHeadersWalked++;
  }
  return step;
}

// Why a walk that did not reach the wanted entry ended.
ArchiveResult WalkEndResult(WalkStep step) {
  switch (step) {
    case WalkStep::CutShort:
      return ArchiveResult::CutShort;
    case WalkStep::Damaged:
      return ArchiveResult::DamagedHeader;
    default:
      return ArchiveResult::NotFound;
  }
}

// A streamed stored entry goes on a megabyte at a time; an encrypted one in
// smaller pieces decrypted aside.
constexpr uint32_t StoredPieceSize = 1u << 20;
constexpr uint32_t EncryptedPieceSize = 8192;
// The cipher runs on from one read of an entry's packed data to the next, so
// every read but an entry's last must end on a block boundary: the stored
// copy's pieces and the chunks decrypted for the decoder.
static_assert(EncryptedPieceSize % CipherBlockSize == 0 &&
                  DecryptedChunkSize % CipherBlockSize == 0,
              "reads of encrypted data end on block boundaries");

void CopyStoredEntry(ArchiveReader* reader) {
  ReaderState& r = reader->request;
  // An entry before the wanted one has nowhere to go, and a stored entry
  // leaves the decoder alone: it is passed over without reading.
  if (r.output == nullptr) return;
  if (r.cipherVersion < Rar20Version && r.sink == nullptr) {
    *r.outputCount = uint32_t(ReadPackedData(reader, r.output, r.outputCapacity));
    return;
  }
  if (r.cipherVersion < Rar20Version) {
    // A stream of plain stored bytes: straight into the buffer, a large
    // piece at a time.
    const uint32_t piece = r.outputCapacity;
    uint32_t delivered = 0;
    while (delivered < r.entry.unpackedSize) {
      const uint32_t left = r.entry.unpackedSize - delivered;
      const int32_t n = ReadPackedData(reader, r.output, left < piece ? left : piece);
      if (n <= 0) break;
      *r.outputCount = uint32_t(n);
      HandOnDelivered(&r);
      delivered += uint32_t(n);
    }
    return;
  }
  // Encrypted data are padded to whole 16-byte blocks, so they may be longer
  // than the entry: decrypt whole chunks aside and keep what fits.
  uint8_t chunk[EncryptedPieceSize];
  uint32_t delivered = 0;
  const uint32_t wanted = r.entry.unpackedSize;
  while (r.packedLeft > 0) {
    const int32_t n = ReadPackedData(reader, chunk, sizeof chunk);
    if (n <= 0) break;
    uint32_t take = wanted - delivered;
    if (uint32_t(n) < take) take = uint32_t(n);
    if (r.sink != nullptr) {
      std::memcpy(r.output, chunk, take);
      *r.outputCount = take;
      HandOnDelivered(&r);
    } else {
      std::memcpy(r.output + delivered, chunk, take);
      *r.outputCount = delivered + take;
    }
    delivered += take;
  }
}

// A streaming request's bytes from the decoder: counted, checked and
// handed on as the stored ones are.
void HandOnPiece(void* request, const uint8_t* bytes, uint32_t count) {
  HandOn(static_cast<ReaderState*>(request), bytes, count);
}

ArchiveResult UnpackCurrentEntry(ArchiveReader* reader) {
  ReaderState& r = reader->request;
  UnpackHandOver job{};
  job.window = r.window;
  LimitPackedToImage(&r);
  job.input = PackedSource{NextPackedSpan, reader};
  job.size = r.entry.unpackedSize;
  job.solid = (r.entry.flags & EntryFlagSolid) != 0 && !r.windowFresh;
  r.windowFresh = false;
  if (r.outputEnabled && r.sink != nullptr) {
    job.sink = PieceSink{HandOnPiece, &r};
    job.capacity = r.entry.unpackedSize;
  } else if (r.outputEnabled) {
    job.output = r.output;
    job.capacity = r.outputCapacity;
    job.room = r.outputRoom;
  }
  // Only a solid archive has entries that continue from one another.
  job.windowKept = (r.archiveHeader.flags & MainFlagSolid) != 0;
  const UnpackOutcome outcome = UnpackEntry(&reader->decoder, job);
  if (r.outputEnabled && r.sink == nullptr) *r.outputCount = outcome.delivered;
  return outcome.result;
}

// Why the wanted entry came out wrong: damage its data show, or a CRC-32
// that differs, said as the entry's kind explains it best.
ArchiveResult WrongBytesResult(const EntryHeader& e, bool dataBroken) {
  if (e.flags & EntryFlagEncrypted) return ArchiveResult::WrongPasswordOrDamaged;
  // Compressed by an older method, the data decode as noise in this one.
  if (e.method != MethodStored && e.unpackVersion < Rar20Version) return ArchiveResult::OlderMethod;
  return dataBroken ? ArchiveResult::BadData : ArchiveResult::CrcMismatch;
}

// Decodes the current entry: into the request's output when it is the
// wanted one, otherwise only so far as a later solid entry needs it.
ArchiveResult DecodeEntry(ArchiveReader* reader) {
  ReaderState& r = reader->request;
  const EntryHeader& e = r.entry;
  if (!UnpackVersionReadable(e.unpackVersion)) return ArchiveResult::UnsupportedVersion;
  const bool encrypted = (e.flags & EntryFlagEncrypted) != 0;
  if (r.password[0] != '\0' && encrypted) {
    r.cipherVersion = e.unpackVersion;
    StartCipher(&reader->cipher, &reader->cipherKeys, r.password);
  } else {
    r.cipherVersion = 0;
  }
  r.packedLeft = e.packedSize;
  r.packedCut = false;
  ArchiveResult decoded = ArchiveResult::Ok;
  if (e.method == MethodStored)
    CopyStoredEntry(reader);
  else
    decoded = UnpackCurrentEntry(reader);
  if (r.output == nullptr) return ArchiveResult::Ok;
  bool rightBytes;
  if (r.sink != nullptr) {
    HandOnDelivered(&r);
    rightBytes = !r.streamOverrun && r.streamed == e.unpackedSize && ~r.streamCrc == e.dataCrc;
  } else {
    // Only delivered bytes are ever tested: a short delivery fails outright.
    rightBytes = *r.outputCount == e.unpackedSize &&
                 ~UpdateCrc32(0xFFFFFFFFu, r.output, e.unpackedSize) == e.dataCrc;
  }
  if (rightBytes) return ArchiveResult::Ok;
  if (r.packedCut) return ArchiveResult::CutShort;
  if (encrypted && r.password[0] == '\0') return ArchiveResult::PasswordNeeded;
  return WrongBytesResult(e, decoded != ArchiveResult::Ok);
}

// Walks from the current offset to the wanted entry, decoding on the way
// what a solid archive needs. On success the offset from which the walk
// found the entry is in *walkFrom.
ArchiveResult ExtractWanted(ArchiveReader* reader, uint32_t* walkFrom, bool* found) {
  ReaderState& r = reader->request;
  const bool solid = (r.archiveHeader.flags & MainFlagSolid) != 0;
  *found = false;
  for (;;) {
    *walkFrom = r.image->offset;
    const WalkStep step = WalkOn(reader);
    if (step != WalkStep::File) return WalkEndResult(step);
    NotePassedName(reader);
    const bool match = EntryNamesEqual(r.wantedName, r.entry.name);
    r.outputEnabled = match;
    *found = match;
    if (match) {
      // A stream gets a buffer for stored pieces only (a compressed entry
      // is handed on from the window); otherwise a little more than the
      // entry, so that the decoder can write the entry straight into it.
      size_t room = r.entry.unpackedSize;
      if (r.sink != nullptr && room > StoredPieceSize) room = StoredPieceSize;
      if (r.sink == nullptr && room <= SIZE_MAX - OutputSlack) room += OutputSlack;
      r.output = static_cast<uint8_t*>(ReaderMalloc(reader, room));
      if (r.output == nullptr) return ArchiveResult::OutOfMemory;
      r.outputRoom = room;
      r.outputCapacity = r.sink != nullptr ? uint32_t(room) : r.entry.unpackedSize;
      *r.outputCount = 0;
    }
    if (solid || match) {
      const ArchiveResult decoded = DecodeEntry(reader);
      if (decoded != ArchiveResult::Ok) return decoded;
    }
    r.image->offset = r.nextBlock;
    if (match) return ArchiveResult::Ok;
  }
}

}  // namespace

ArchiveResult ReaderListEntries(ArchiveReader* reader, ArchiveImage* image, EntryListNode** outHead,
                                uint32_t* count) {
  ReaderState& r = reader->request;
  *count = 0;
  std::memset(r.password, 0, sizeof r.password);
  // A listing of the image being extracted leaves the kept state alone.
  if (image != reader->solid.image) ForgetSolidProgress(&reader->solid);
  if (!StartRequest(&r, image)) {
    EndRequest(&r);
    return ArchiveResult::NotAnArchive;
  }
  *outHead = nullptr;
  EntryListNode** tail = outHead;
  WalkStep step;
  while ((step = WalkOn(reader)) == WalkStep::File) {
    const EntryHeader& e = r.entry;
    auto* node = static_cast<EntryListNode*>(ReaderMalloc(reader, sizeof(EntryListNode)));
    auto* name = static_cast<char*>(node ? ReaderMalloc(reader, e.nameLength + 1u) : nullptr);
    if (name == nullptr) {
      // Out of memory: a partial list would pass for the whole archive.
      std::free(node);
      FreeEntryList(*outHead);
      *outHead = nullptr;
      *count = 0;
      EndRequest(&r);
      return ArchiveResult::OutOfMemory;
    }
    std::memcpy(name, e.name, e.nameLength + 1u);
    *node = EntryListNode{name,         e.nameLength, e.packedSize,   e.unpackedSize,
                          e.hostSystem, e.dataCrc,    e.modifiedTime, e.unpackVersion,
                          e.method,     e.attributes, nullptr};
    *tail = node;
    tail = &node->next;
    ++*count;
    image->offset = r.nextBlock;
  }
  EndRequest(&r);
  // The entries before a damaged or cut header are listed all the same.
  // A walk that ended soundly listed the whole archive.
  const ArchiveResult ended = WalkEndResult(step);
  return ended == ArchiveResult::NotFound ? ArchiveResult::Ok : ended;
}

namespace {

// The get request, into one block (no sink) or streamed to r.sink.
ArchiveResult GetRequest(ArchiveReader* reader, uint8_t** outData, uint32_t* outSize,
                         const char* name, ArchiveImage* image, const char* password) {
  ReaderState& r = reader->request;
  CopyBounded(r.wantedName, name);
  std::memset(r.password, 0, sizeof r.password);
  if (password != nullptr) CopyBounded(r.password, password);
  r.output = nullptr;
  r.outputCount = outSize;
  r.outputCapacity = 0;
  r.outputRoom = 0;
  r.outputEnabled = false;
  r.streamed = 0;
  r.streamCrc = 0xFFFFFFFFu;
  r.streamOverrun = false;
  *outSize = 0;

  ArchiveResult result = ArchiveResult::NotAnArchive;
  uint32_t walkFrom = 0;
  bool found = false;
  const bool started = StartRequest(&r, image);
  const bool solid = started && (r.archiveHeader.flags & MainFlagSolid) != 0;
  if (started) {
    if (ResumeSolidProgress(reader)) {
      // Entries of an archive that is not solid never continue one another:
      // the wanted one starts the decoder afresh, as after a walk from the
      // first entry.
      if (!solid) r.windowFresh = true;
    } else {
      ForgetSolidProgress(&reader->solid);
      // One window serves request after request: its contents count for
      // nothing until the first entry decoded resets it.
      if (r.window == nullptr) r.window = static_cast<uint8_t*>(ReaderMalloc(reader, WindowSize));
      r.windowFresh = true;
      ForgetPassedNames(&reader->solid);
      image->offset = MarkerSize + r.archiveHeader.headerSize;
    }
    result =
        r.window != nullptr ? ExtractWanted(reader, &walkFrom, &found) : ArchiveResult::OutOfMemory;
  }
  const bool ok = result == ArchiveResult::Ok;
  // The next request goes on after this one's entry, so that asking for
  // entries in archive order walks the headers once. In a solid archive
  // only a success leaves a decoder state to continue; in one that is not,
  // any entry found will do, since nothing carries over between entries.
  if ((ok && solid) || (started && !solid && found))
    KeepSolidProgress(reader, walkFrom);
  else
    ForgetSolidProgress(&reader->solid);
  EndRequest(&r);
  if (ok && r.sink == nullptr) {
    *outData = r.output;
  } else {
    std::free(r.output);
    *outData = nullptr;
    *outSize = 0;
  }
  r.output = nullptr;
  r.outputCount = nullptr;
  r.outputEnabled = false;
  return result;
}

}  // namespace

ArchiveResult ReaderGetEntry(ArchiveReader* reader, const char* name, ArchiveImage* image,
                             const char* password, uint8_t** outData, uint32_t* outSize) {
  reader->request.sink = nullptr;
  return GetRequest(reader, outData, outSize, name, image, password);
}

ArchiveResult ReaderStreamEntry(ArchiveReader* reader, const char* name, ArchiveImage* image,
                                const char* password, EntryPieceSink sink, void* context) {
  ReaderState& r = reader->request;
  r.sink = sink;
  r.sinkContext = context;
  uint8_t* data = nullptr;
  uint32_t size = 0;
  const ArchiveResult result = GetRequest(reader, &data, &size, name, image, password);
  r.sink = nullptr;
  r.sinkContext = nullptr;
  return result;
}

void HandOn(ReaderState* request, const uint8_t* bytes, uint32_t count) {
  ReaderState& r = *request;
  // Bytes past the entry's size are never handed on; they fail the entry.
  uint32_t take = r.entry.unpackedSize - r.streamed;
  if (count > take) {
    r.streamOverrun = true;
  } else {
    take = count;
  }
  if (take == 0) return;
  r.streamCrc = UpdateCrc32(r.streamCrc, bytes, take);
  r.streamed += take;
  r.sink(r.sinkContext, bytes, take);
}

void HandOnDelivered(ReaderState* request) {
  ReaderState& r = *request;
  if (r.sink == nullptr || r.output == nullptr || r.outputCount == nullptr) return;
  const uint32_t count = *r.outputCount;
  if (count == 0) return;
  *r.outputCount = 0;
  HandOn(&r, r.output, count);
}

void FreeEntryList(EntryListNode* head) {
  while (head != nullptr) {
    EntryListNode* next = head->next;
    std::free(head->name);
    std::free(head);
    head = next;
  }
}

void ReaderRelease(ArchiveReader* reader) {
  ReleaseSolidProgress(reader);
}
