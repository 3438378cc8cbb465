// The first page: English or Russian. The frame's captions follow a click at
// once; the choice is stored on Next.
#include "answers/install_choices.h"
#include "shared/resource_ids.h"
#include "wizard/frame_captions.h"
#include "wizard/pages.h"

namespace {
constexpr int ButtonClicked = 0;
}

void InitLanguagePage(Window page) {
  CheckButton(page, ID_ENGLISH, installChoices.language == English);
  CheckButton(page, ID_RUSSIAN, installChoices.language == Russian);
}

bool OnLanguageRadio(Window page, int id, int notification) {
  (void)id;
  if (notification == ButtonClicked) {
    SetFrameCaptions(IsButtonChecked(page, ID_ENGLISH) ? English : Russian);
  }
  return true;
}

void StoreLanguagePage(Window page) {
  installChoices.language = IsButtonChecked(page, ID_RUSSIAN) ? Russian : English;
}
