// Runs the decompressor on a packed stream the way the reader hands an entry
// over, so that tests can look at its output and its state.
#pragma once

#include <cstring>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/reader_state.h"
#include "unpack/rar20_decoder.h"
#include "unpack/unpack_entry.h"

struct DecodeRun {
  std::vector<uint8_t> window = std::vector<uint8_t>(1u << 20);
  std::vector<uint8_t> packed;
  ArchiveImage image{};
  uint32_t count = 0;

  // Points the reader at `bytes` as the current entry's packed data.
  void Feed(const std::vector<uint8_t>& bytes) {
    // Decoding outside a request changes the decoder under what a solid
    // request kept.
    ArchiveReleaseSolidState();
    packed = bytes;
    image = ArchiveImage{packed.data(), uint32_t(packed.size()), 0};
    readerState.image = &image;
    readerState.packedLeft = uint32_t(packed.size());
    readerState.cipherVersion = 0;
  }

  // Decodes one entry of `size` bytes; returns what was delivered.
  std::vector<uint8_t> Entry(const std::vector<uint8_t>& bytes, uint32_t size, bool solid = false,
                             bool deliver = true, uint32_t capacity = UINT32_MAX) {
    Feed(bytes);
    if (capacity == UINT32_MAX) capacity = size;
    std::vector<uint8_t> out(capacity + 1);
    count = 0;
    readerState.entry = EntryHeader{};
    readerState.entry.flags = solid ? 0x8010 : 0x8000;
    readerState.remaining = int32_t(size);
    readerState.output = deliver ? out.data() : nullptr;
    readerState.outputCapacity = capacity;
    readerState.outputCount = &count;
    readerState.outputEnabled = deliver;
    readerState.windowFresh = false;
    UnpackEntry(window.data());
    out.resize(count);
    readerState.output = nullptr;
    readerState.outputCount = nullptr;
    return out;
  }
};
