// The archive held in memory and the one bounded read through which every
// archive byte is fetched.
#pragma once

#include <cstdint>

struct ArchiveImage {
  const uint8_t* data;  // first byte of the archive; owned by whoever filled it
  uint32_t size;        // bytes at data; 0 when data is null
  uint32_t offset;      // read position, moved only by the reader
};

// Copies count bytes at the image's offset to dest and advances the offset.
// All or nothing: returns count, or 0 (nothing copied, offset unchanged) when
// count is 0 or the read would pass the end of the image.
uint32_t ReadImage(ArchiveImage* image, void* dest, uint32_t count);

// Hands out up to count bytes at the image's offset where they lie (at
// *data) and advances the offset past them; fewer when the image ends first.
uint32_t ReadImageSpan(ArchiveImage* image, uint32_t count, const uint8_t** data);
