// The decompressor's entry point for one compressed archive entry. The reader
// sets the hand-over fields of ReaderState (remaining, outputEnabled, output,
// outputCapacity, outputCount) and the current entry before the call; packed
// bytes are pulled through ReadPackedData only.
#pragma once

#include <cstdint>

void UnpackEntry(uint8_t* window);
