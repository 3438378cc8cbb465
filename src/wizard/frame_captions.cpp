#include "wizard/frame_captions.h"

#include "answers/install_choices.h"
#include "shared/resource_ids.h"
#include "wizard/setup_wizard.h"

const FrameCaptions EnglishCaptions = {"Next", "Back", "Cancel"};
const FrameCaptions RussianCaptions = {
    "\xC4\xE0\xEB\xE5\xE5",                  // Далее
    "\xC2\xE5\xF0\xED\xF3\xF2\xFC\xF1\xFF",  // Вернуться
    "\xCE\xF2\xEC\xE5\xED\xE0",              // Отмена
};
const char FinishCaption[] = "OK";

void SetFrameCaptions(uint8_t language) {
  const FrameCaptions& captions = language == Russian ? RussianCaptions : EnglishCaptions;
  ShowTextsInRussian(language == Russian);
  SetControlText(frameWindow, ID_NEXT, captions.next);
  SetControlText(frameWindow, ID_BACK, captions.back);
  SetControlText(frameWindow, ID_CANCEL, captions.cancel);
}
