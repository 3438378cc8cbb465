#include "install/archive_check.h"

#include "archive/crc32.h"
#include "platform/platform.h"
#include "shared/resource_ids.h"

bool ArchiveMatchesItsCheck(const ArchiveImage& image) {
  // A Setup.exe whose archive cannot be found or read is damaged: run on, it
  // would leave a product whose uninstaller was never written.
  if (image.data == nullptr || image.size == 0) return false;
  // An archive without its check value was not embedded by the build: it is
  // not taken as sound.
  uint32_t recorded = 0;
  if (!FindArchiveCheckValue(ARCHIVE_CHECK_RESOURCE, &recorded)) return false;
  return ~UpdateCrc32(0xFFFFFFFFu, image.data, image.size) == recorded;
}
