// The decompressor's entry point for one compressed archive entry. The reader
// sets the hand-over fields of ReaderState (remaining, outputEnabled, output,
// outputCapacity, outputCount) and the current entry before the call; packed
// bytes are pulled through ReadPackedData only.
#pragma once

#include <cstdint>

void UnpackEntry(uint8_t* window);

// Bytes the decoder has written into the window since the program started,
// or since a test or benchmark set it to 0: the work the requests did, to
// set beside the bytes they delivered.
extern uint64_t decodedByteCount;
