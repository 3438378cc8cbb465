// The frame's buttons: Next stores the page and moves on, Back moves back
// without storing, Cancel (OK on the finish page) and the close box end the
// wizard. The timeshift page is passed over both ways for device row 0.
#include "answers/install_choices.h"
#include "shared/resource_ids.h"
#include "wizard/pages.h"
#include "wizard/setup_wizard.h"

namespace {

// Stores the current page's answers; false when the page refuses them.
bool StoreCurrentPage() {
  switch (installChoices.step) {
    case StepLanguage:
      StoreLanguagePage(pageWindow);
      return true;
    case StepOptions:
      return StoreOptionsPage(pageWindow);
    case StepTimeshift:
      StoreTimeshiftPage(pageWindow);
      return true;
    case StepModules:
      StoreModulesPage(pageWindow);
      return true;
    default:
      return true;
  }
}

// Next and Back exist only on the pages; at the other steps they are hidden
// and a click that reaches them anyway changes nothing.
void OnNext() {
  int step = installChoices.step;
  if (step < StepLanguage || step > StepModules) return;
  if (!StoreCurrentPage()) return;
  installChoices.step =
      (step == StepOptions && installChoices.deviceIndex == 0) ? StepModules : step + 1;
  installChoices.stepDone = true;
}

void OnBack() {
  int step = installChoices.step;
  if (step < StepOptions || step > StepModules) return;
  installChoices.step =
      (step == StepModules && installChoices.deviceIndex == 0) ? StepOptions : step - 1;
  installChoices.stepDone = true;
}

void EndWizard(bool readRunBox) {
  installChoices.stepDone = true;
  if (readRunBox && installChoices.step == StepFinish) {
    installChoices.runAfterSetup = IsButtonChecked(pageWindow, ID_RUN_PRODUCT);
  }
  if (!installChoices.aborted) installChoices.aborted = installChoices.step == StepExtract;
  installChoices.step = StepEnd;
}

}  // namespace

void OnFrameInit(Window frame) {
  SetSmallIcon(frame, ICON_PRODUCT);
}

bool OnFrameCommand(int id) {
  switch (id) {
    case ID_NEXT:
      OnNext();
      return true;
    case ID_BACK:
      OnBack();
      return true;
    case ID_CANCEL:
      EndWizard(true);
      return true;
    default:
      return false;
  }
}

void OnFrameClose() {
  EndWizard(false);
}
