// A quick trial before compressing a large file: a few pieces of it,
// compressed with the same settings, tell random or already compressed data
// from the rest, so that such a file is stored at once instead of after
// minutes of compression that could only end in storing it.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "stream_encoder.h"

namespace packer {

// Files below this are compressed without a trial where a full compression
// that comes out no smaller is followed by storing: theirs is short anyway.
constexpr uint64_t StoreTrialMinimum = 4u << 20;
constexpr uint32_t StoreTrialPiece = 64u << 10;
constexpr int StoreTrialPieces = 4;
// In a solid archive the trial alone decides, before the stream's one
// compression: every file large enough for a piece is tried.
constexpr uint64_t SolidStoreTrialMinimum = StoreTrialPiece;

// True when a file of at least `minimum` bytes (and at least a piece) has
// pieces at its start, its end and two points between, none of which
// compression makes smaller; a file of fewer than four pieces is tried in
// as many pieces as it holds whole. Stops at the first piece that does
// shrink. The pieces are fetched with read (offset, destination, count),
// which may fail: the answer is then false and *readFailed is set.
using ReadPiece = std::function<bool(uint64_t at, uint8_t* out, uint32_t n)>;
bool LooksIncompressible(uint64_t size, const ReadPiece& read, const EncodeSettings& settings,
                         bool* readFailed, uint64_t minimum = StoreTrialMinimum);
bool LooksIncompressible(const std::vector<uint8_t>& data, const EncodeSettings& settings,
                         uint64_t minimum = StoreTrialMinimum);

}  // namespace packer
