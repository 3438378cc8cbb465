// Runs the decompressor on a packed stream the way the reader hands an entry
// over, so that tests can look at its output and its state.
#pragma once

#include <cstring>
#include <memory>
#include <vector>

#include "archive/archive_reader.h"
#include "unpack/rar20_decoder.h"
#include "unpack/unpack_entry.h"

struct DecodeRun {
  Rar20Decoder decoder{};
  std::vector<uint8_t> window = std::vector<uint8_t>(1u << 20);
  std::vector<uint8_t> packed;
  size_t packedRead = 0;  // bytes the decoder has taken from packed
  uint32_t count = 0;
  // Gives the output room for the decoder to write the entry straight into
  // it; false makes every byte go through the window.
  bool direct = true;

  // Hands the packed bytes out in spans of this many bytes (0: in one), each
  // a copy of its own that the next span frees, so that the sanitizers see
  // a read past a span or of one no longer handed out.
  uint32_t spanSize = 0;
  std::unique_ptr<uint8_t[]> span;

  static uint32_t Next(void* context, const uint8_t** data) {
    DecodeRun* run = static_cast<DecodeRun*>(context);
    const size_t left = run->packed.size() - run->packedRead;
    const size_t take = run->spanSize != 0 && run->spanSize < left ? run->spanSize : left;
    run->span.reset();
    if (take == 0) return 0;
    run->span.reset(new uint8_t[take]);
    std::memcpy(run->span.get(), run->packed.data() + run->packedRead, take);
    run->packedRead += take;
    *data = run->span.get();
    return uint32_t(take);
  }

  // Makes `bytes` the decoder's input, read from its first bit, for tests of
  // the bit input itself.
  void Feed(const std::vector<uint8_t>& bytes) {
    packed = bytes;
    packedRead = 0;
    decoder.input.source = PackedSource{Next, this};
    StartInput(&decoder.input);
  }

  // Decodes one entry of `size` bytes; returns what was delivered.
  std::vector<uint8_t> Entry(const std::vector<uint8_t>& bytes, uint32_t size, bool solid = false,
                             bool deliver = true, uint32_t capacity = UINT32_MAX) {
    packed = bytes;
    packedRead = 0;
    if (capacity == UINT32_MAX) capacity = size;
    // Never zeros: a byte delivered but never written shows as 0xAA, where
    // the window would give what it holds.
    std::vector<uint8_t> out(deliver ? size_t(capacity) + OutputSlack : 0, 0xAA);
    UnpackHandOver job{};
    job.window = window.data();
    job.input = PackedSource{Next, this};
    job.size = size;
    job.solid = solid;
    job.output = deliver ? out.data() : nullptr;
    job.capacity = deliver ? capacity : 0;
    job.room = direct ? out.size() : job.capacity;
    job.windowKept = true;
    count = UnpackEntry(&decoder, job).delivered;
    out.resize(count);
    return out;
  }
};
