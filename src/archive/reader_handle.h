// The reader: everything the requests on an archive image need and keep from
// one to the next, in one object that every function of the reader is handed
// (as zlib hands its stream to every call): the request state, the progress
// of a solid walk, the cipher and the decoder with its window. A program has
// as many as it wants; Setup's process has one (archive_reader.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "archive/cipher.h"
#include "archive/reader_state.h"
#include "archive/solid_progress.h"
#include "unpack/rar20_decoder.h"

constexpr uint32_t DecryptedChunkSize = 16384;

struct ArchiveReader {
  // First, so that a check from outside the process finds the decoder's
  // count of bytes at the object's own address.
  Rar20Decoder decoder;
  ReaderState request;
  SolidProgress solid;
  CipherState cipher;
  CipherKeyCache cipherKeys;
  // An encrypted entry's packed bytes, decrypted ahead of the decoder a
  // chunk at a time.
  uint8_t decrypted[DecryptedChunkSize];
  // File headers the walks have read: a figure for the benchmarks and the
  // tests that a request never walks back.
  uint64_t entryHeadersWalked;
  // A test's allocation to fail: after this many more succeed (-1: none).
  int allocationsBeforeFailure = -1;
};
