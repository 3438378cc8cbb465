#include "wizard/destination_limit.h"

#include <cstdio>
#include <cstring>

#include "paths/canonical_path.h"
#include "shared/text_buffers.h"
#include "wizard/install_choices.h"
#include "wizard/resource_ids.h"
#include "wizard/wizard_texts.h"

static_assert(MaxDestinationLength + 1 + sizeof "timeshift.dat" - 1 <= LongestPath,
              "the proposed timeshift file must fit below the longest destination");

bool DestinationFits(const char* dir) {
  size_t length = std::strlen(dir);
  size_t withoutBackslash = length - (EndsWithBackslash(dir) ? 1 : 0);
  return withoutBackslash <= size_t(MaxDestinationLength);
}

void ShowDestinationTooLong() {
  char format[LabelBufferSize];
  LoadResourceString(installChoices.language == Russian ? STRING_DESTINATION_TOO_LONG_RU
                                                        : STRING_DESTINATION_TOO_LONG_EN,
                     format, sizeof format);
  char text[LabelBufferSize];
  std::snprintf(text, sizeof text, format, MaxDestinationLength);
  ShowMessageBox(frameWindow, text, ProductCaption);
}

bool AcceptDestination(const char* typed, char* out) {
  char canonical[PathBufferSize];
  const PathVerdict verdict = CanonicalDestination(typed, canonical, sizeof canonical);
  if (verdict == PathVerdict::TooLong ||
      (verdict == PathVerdict::Accepted && !DestinationFits(canonical))) {
    ShowDestinationTooLong();
    return false;
  }
  if (verdict != PathVerdict::Accepted) {
    char text[LabelBufferSize];
    LoadResourceString(installChoices.language == Russian ? STRING_DESTINATION_REFUSED_RU
                                                          : STRING_DESTINATION_REFUSED_EN,
                       text, sizeof text);
    ShowMessageBox(frameWindow, text, ProductCaption);
    return false;
  }
  return CopyText(out, canonical, PathBufferSize);
}
