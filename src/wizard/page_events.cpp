// What the pages' dialog procedure hands to the wizard: creation runs the
// current step's initialiser, commands go to the page's own handlers.
#include "answers/install_choices.h"
#include "shared/resource_ids.h"
#include "wizard/pages.h"

void OnPageInit(Window page) {
  switch (installChoices.step) {
    case StepLanguage:
      InitLanguagePage(page);
      break;
    case StepOptions:
      InitOptionsPage(page);
      break;
    case StepTimeshift:
      InitTimeshiftPage(page);
      break;
    case StepModules:
      InitModulesPage(page);
      break;
    case StepFinish:
      InitFinishPage(page);
      break;
    default:  // the extraction page is set up by the installation
      break;
  }
}

bool OnPageCommand(Window page, int id, int notification) {
  switch (id) {
    case ID_BROWSE:
      OnBrowseButton(page);
      return true;
    case ID_ENGLISH:
    case ID_RUSSIAN:
      return OnLanguageRadio(page, id, notification);
    case ID_TIMESHIFT_MEMORY:
    case ID_TIMESHIFT_FILE:
    case ID_TIMESHIFT_DISABLE:
      OnTimeshiftRadio(page, id);
      return true;
    default:
      return false;
  }
}
