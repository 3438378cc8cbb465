#include "install/archive_check.h"

#include "archive/crc32.h"
#include "platform/platform.h"
#include "wizard/resource_ids.h"

bool ArchiveMatchesItsCheck(const ArchiveImage& image) {
  // Without an archive there is nothing to check: the run goes on to its
  // closing steps, as it always has.
  if (image.data == nullptr) return true;
  // An archive without its check value was not embedded by the build: it is
  // not taken as sound.
  uint32_t recorded = 0;
  if (!FindArchiveCheckValue(ARCHIVE_CHECK_RESOURCE, &recorded)) return false;
  return ~UpdateCrc32(0xFFFFFFFFu, image.data, image.size) == recorded;
}
