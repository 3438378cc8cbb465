#include "install/embedded_archive.h"

#include "platform/platform.h"

ArchiveImage programArchive;

void LoadEmbeddedArchive(ArchiveImage* image, int resourceId) {
  image->data = nullptr;
  image->size = 0;
  image->offset = 0;
  if (!FindArchiveResource(resourceId, &image->data, &image->size)) {
    image->data = nullptr;
    image->size = 0;
  }
}
