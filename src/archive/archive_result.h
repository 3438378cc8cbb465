// Why a request of the reader, or the decoding of one entry, came to an end:
// one answer for every layer, so that a caller names the cause instead of
// guessing it from what it saw.
#pragma once

#include <cstdint>

enum class ArchiveResult : uint8_t {
  Ok,
  NotAnArchive,        // no marker, or no main header after it
  NotFound,            // the walk ended without an entry of that name
  DamagedHeader,       // a block header the walk cannot pass
  CutShort,            // a header or the entry's packed data run past the image's end
  UnsupportedVersion,  // an entry on the way needs an unpack version the decoder lacks
  OlderMethod,         // compressed by a method older than the one the decoder knows
  PasswordNeeded,      // the entry is encrypted and no password was given
  WrongPasswordOrDamaged,
  BadData,      // packed data no intact entry holds (the entry is not encrypted)
  CrcMismatch,  // decoded to its size, but its CRC-32 differs
  OutOfMemory,
};

// A short English text for a result: "CRC mismatch", "out of memory".
const char* ArchiveResultText(ArchiveResult result);
