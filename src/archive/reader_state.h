// A reader's request state: what the request now running asks for and where
// its bytes go. The decompressor sees none of it: each entry it decodes is
// handed to it whole (unpack/unpack_entry.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/archive_image.h"
#include "archive/archive_reader.h"
#include "archive/block_headers.h"
#include "archive/cipher.h"

struct ReaderState {
  ArchiveImage* image;
  ArchiveHeader archiveHeader;
  EntryHeader entry;
  uint32_t entryNameOffset;  // where the entry's name lies in the image
  uint32_t nextBlock;
  char wantedName[MaxNameLength + 1];
  char password[MaxPasswordLength + 1];
  uint8_t* window;
  uint8_t* output;
  uint32_t* outputCount;
  uint32_t outputCapacity;  // the wanted entry's unpackedSize
  size_t outputRoom;        // bytes allocated at output: the capacity, and slack for the decoder
  bool outputEnabled;
  int32_t cipherVersion;
  uint32_t packedLeft;
  bool packedCut;  // a read of the entry's packed data ran past the image's end
  // Set by a get request that starts from the first entry: the window holds
  // nothing a solid entry could continue from, so the first entry decoded
  // starts afresh whatever its solid bit. A request that continues the
  // previous one leaves it clear.
  bool windowFresh;
  // A streaming request's hand-on: the decoder hands the wanted entry's
  // bytes on from its window as it delivers them, and a stored entry goes
  // through output, a buffer of a megabyte at the most; the CRC runs over
  // what was handed on.
  EntryPieceSink sink;
  void* sinkContext;
  uint32_t streamed;   // bytes handed on so far, at most the entry's size
  uint32_t streamCrc;  // running CRC-32 of those bytes, not yet inverted
  bool streamOverrun;  // the decoder delivered more than the entry's size
};

struct ArchiveReader;

// Hands out up to count packed bytes of the reader's current entry
// (decrypted when the entry is encrypted and a password is set). Returns how
// many were stored at dest; 0 once the entry's packed data are used up or
// the image cannot serve the read. Never writes past dest + count.
int32_t ReadPackedData(ArchiveReader* reader, uint8_t* dest, uint32_t count);

// The decoder's source of packed bytes (the context is the reader): the
// rest of the current entry's plain packed bytes as one span of the image,
// or its encrypted ones decrypted a chunk at a time into the reader.
uint32_t NextPackedSpan(void* reader, const uint8_t** data);
// Cuts the entry's packed bytes to what the image holds, noting the cut,
// so that the decoder is handed every byte there is.
void LimitPackedToImage(ReaderState* r);

// In a streaming request, hands the stored bytes put into the output buffer
// on to the sink and empties the buffer; does nothing otherwise.
void HandOnDelivered(ReaderState* r);
// In a streaming request, counts bytes of the entry, adds them to its CRC
// and hands them on to the sink (never more than the entry's size).
void HandOn(ReaderState* r, const uint8_t* bytes, uint32_t count);
