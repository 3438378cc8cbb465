#include "archive/archive_image.h"

#include <cstring>

uint32_t ReadImage(ArchiveImage* image, void* dest, uint32_t count) {
  if (count == 0 || image->data == nullptr) return 0;
  // Written as a subtraction so that offset + count cannot wrap around.
  if (image->offset > image->size || count > image->size - image->offset) return 0;
  std::memcpy(dest, image->data + image->offset, count);
  image->offset += count;
  return count;
}

uint32_t ReadImageSpan(ArchiveImage* image, uint32_t count, const uint8_t** data) {
  if (image->data == nullptr || image->offset >= image->size) return 0;
  const uint32_t left = image->size - image->offset;
  const uint32_t n = count < left ? count : left;
  *data = image->data + image->offset;
  image->offset += n;
  return n;
}
