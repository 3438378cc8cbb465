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
