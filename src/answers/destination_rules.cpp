#include "answers/destination_rules.h"

#include <cstring>

#include "paths/canonical_path.h"
#include "shared/text_buffers.h"

static_assert(MaxDestinationLength + 1 + sizeof "timeshift.dat" - 1 <= LongestPath,
              "the proposed timeshift file must fit below the longest destination");

bool DestinationFits(const char* dir) {
  size_t length = std::strlen(dir);
  size_t withoutBackslash = length - (EndsWithBackslash(dir) ? 1 : 0);
  return withoutBackslash <= size_t(MaxDestinationLength);
}

DestinationCheck CheckDestination(const char* typed, char* out) {
  char canonical[PathBufferSize];
  const PathVerdict verdict = CanonicalDestination(typed, canonical, sizeof canonical);
  if (verdict == PathVerdict::TooLong ||
      (verdict == PathVerdict::Accepted && !DestinationFits(canonical)))
    return DestinationCheck::TooLong;
  if (verdict != PathVerdict::Accepted) return DestinationCheck::Refused;
  return CopyText(out, canonical, PathBufferSize) ? DestinationCheck::Accepted
                                                  : DestinationCheck::TooLong;
}
