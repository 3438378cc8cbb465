// The reader's one request state, shared with the decompressor through the
// hand-over fields (remaining, outputEnabled, output, outputCount).
#pragma once

#include <cstdint>

#include "archive/archive_image.h"
#include "archive/archive_reader.h"
#include "archive/block_headers.h"

constexpr uint32_t WindowSize = 1u << 20;
constexpr uint32_t MaxPasswordLength = 255;

struct ReaderState {
  ArchiveImage* image;
  ArchiveHeader archiveHeader;
  EntryHeader entry;
  uint32_t nextBlock;
  char wantedName[MaxNameLength + 1];
  char password[MaxPasswordLength + 1];
  uint8_t* window;
  uint8_t* output;
  uint32_t* outputCount;
  uint32_t outputCapacity;  // the wanted entry's unpackedSize
  bool outputEnabled;
  int32_t cipherVersion;
  uint32_t packedLeft;
  int32_t remaining;
  // Set by a get request that starts from the first entry; tells the
  // decompressor that the window holds nothing a solid entry could continue
  // from. A request that continues the previous one leaves it clear.
  bool windowFresh;
  // A streaming request's hand-on: output is a bounded buffer, emptied into
  // the sink whenever the decoder asks for more packed bytes and at the
  // entry's end; the CRC runs over what was handed on.
  EntryPieceSink sink;
  void* sinkContext;
  uint32_t streamed;   // bytes handed on so far, at most the entry's size
  uint32_t streamCrc;  // running CRC-32 of those bytes, not yet inverted
  bool streamOverrun;  // the decoder delivered more than the entry's size
};

extern ReaderState readerState;

// Hands out up to count packed bytes of the current entry (decrypted when
// the entry is encrypted and a password is set). Returns how many were
// stored at dest; 0 once the entry's packed data are used up or the image
// cannot serve the read. Never writes past dest + count.
int32_t ReadPackedData(uint8_t* dest, uint32_t count);

// In a streaming request, hands the bytes delivered into the output buffer
// on to the sink and empties the buffer; does nothing otherwise.
void HandOnDelivered();
