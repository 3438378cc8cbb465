// Code lengths for the decoder's canonical prefix codes: optimal lengths no
// longer than a limit, and the codes the decoder assigns to them.
#pragma once

#include <cstdint>

namespace packer {

// Fills lengths[0..n) with optimal code lengths of at most maxLength bits for
// the given frequencies (package-merge). Symbols of frequency 0 get length 0;
// a lone used symbol gets length 1. n <= 1028, maxLength <= 15.
void BuildCodeLengths(const uint32_t* frequencies, int n, int maxLength, uint8_t* lengths);

// Canonical codes as the decoder reads them: ordered by length, then by
// symbol, shorter codes first; codes[s] holds lengths[s] bits.
void AssignCodes(const uint8_t* lengths, int n, uint16_t* codes);

}  // namespace packer
