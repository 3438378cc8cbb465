#include "wizard/destination_limit.h"

#include <cstdio>

#include "answers/install_choices.h"
#include "shared/resource_ids.h"
#include "shared/text_buffers.h"
#include "wizard/setup_wizard.h"
#include "wizard/wizard_texts.h"

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
  switch (CheckDestination(typed, out)) {
    case DestinationCheck::Accepted:
      return true;
    case DestinationCheck::TooLong:
      ShowDestinationTooLong();
      return false;
    case DestinationCheck::Refused:
      break;
  }
  char text[LabelBufferSize];
  LoadResourceString(installChoices.language == Russian ? STRING_DESTINATION_REFUSED_RU
                                                        : STRING_DESTINATION_REFUSED_EN,
                     text, sizeof text);
  ShowMessageBox(frameWindow, text, ProductCaption);
  return false;
}
