// The process's life: the frame, one page per step, the installation at
// step 5, and at the end the closing message and the viewer's start.
#include <cstdio>

#include "answers/command_line.h"
#include "answers/install_choices.h"
#include "install/install_failure.h"
#include "install/installation.h"
#include "platform/install_platform.h"
#include "shared/product_files.h"
#include "shared/resource_ids.h"
#include "shared/text_buffers.h"
#include "wizard/extract_progress.h"
#include "wizard/frame_captions.h"
#include "wizard/setup_wizard.h"
#include "wizard/unattended_run.h"
#include "wizard/wizard_texts.h"

Window frameWindow = nullptr;
Window pageWindow = nullptr;

namespace {

// Polls until a handler reports that the page has been left.
void WaitForStepDone() {
  for (;;) {
    if (!PumpMessages()) SleepMilliseconds(1);
    if (installChoices.stepDone) return;
  }
}

void ShowClosingMessage() {
  char text[LabelBufferSize];
  LoadResourceString(
      installChoices.language == Russian ? STRING_TERMINATED_RU : STRING_TERMINATED_EN, text,
      sizeof text);
  ShowMessageBox(nullptr, text, ProductCaption);
}

// The extraction step ends as the run did: at the finish page when it
// completed, at the end of the wizard when it was stopped. After a failure
// the user has seen why, so the wizard closes without a word of its own.
void TakeOutcome(InstallOutcome outcome) {
  switch (outcome) {
    case InstallOutcome::Completed:
      // A Cancel pressed after the last entry did not stop the run.
      installChoices.aborted = false;
      installChoices.step = StepFinish;
      installChoices.stepDone = true;
      break;
    case InstallOutcome::Cancelled:
      break;  // the frame's Cancel has set aborted
    case InstallOutcome::Failed: {
      // The run's failure, shown once, before the wizard ends without a
      // word of its own.
      char text[LabelBufferSize + PathBufferSize + 32];
      FailureMessage(RunFailure(), installChoices.language, text, sizeof text);
      installChoices.aborted = true;
      installChoices.errorReported = true;
      ShowMessageBox(nullptr, text, nullptr);
      break;
    }
  }
  if (installChoices.aborted) installChoices.step = StepEnd;
}

}  // namespace

void StartInstalledProgram() {
  char program[PathBufferSize + 16];  // the destination and "Orbivue.exe"
  if (!CopyText(program, installChoices.destinationDir, sizeof program) ||
      !AppendText(program, ViewerProgramName, sizeof program))
    return;
  // Started by its path: held, as checked, until it runs, so that no other
  // program takes its place (Setup may run with administrator rights).
  HeldFile held = HoldFile(installChoices.destinationDir, program, nullptr);
  if (held == nullptr) return;
  StartProgram(program);
  ReleaseFile(held);
}

int StepPageResource(int step, uint8_t language) {
  bool russian = language == Russian;
  switch (step) {
    case StepLanguage:
      return DIALOG_LANGUAGE;
    case StepOptions:
      return russian ? DIALOG_OPTIONS_RU : DIALOG_OPTIONS_EN;
    case StepTimeshift:
      return russian ? DIALOG_TIMESHIFT_RU : DIALOG_TIMESHIFT_EN;
    case StepModules:
      return russian ? DIALOG_MODULES_RU : DIALOG_MODULES_EN;
    case StepExtract:
      return russian ? DIALOG_EXTRACT_RU : DIALOG_EXTRACT_EN;
    case StepFinish:
      return russian ? DIALOG_FINISH_RU : DIALOG_FINISH_EN;
    default:
      return 0;
  }
}

void ShowStepPage() {
  if (pageWindow != nullptr) {
    DestroyDialog(pageWindow);
    pageWindow = nullptr;
  }
  int step = installChoices.step;
  ShowTextsInRussian(installChoices.language == Russian);
  if (step == StepFinish) SoundSimpleBeep();
  pageWindow = CreatePageDialog(StepPageResource(step, installChoices.language), frameWindow);
  ShowDialog(frameWindow);
  ShowDialog(pageWindow);
  ShowControl(frameWindow, ID_BACK, step >= StepOptions && step <= StepModules);
  ShowControl(frameWindow, ID_NEXT, step >= StepLanguage && step <= StepModules);
  if (step == StepFinish) SetControlText(frameWindow, ID_CANCEL, FinishCaption);
}

int RunSetup(ModuleInstance instance) {
  // With arguments, the installation runs on the command line's answers.
  char arguments[PathBufferSize * 4];
  CommandLine line;
  char reason[ReasonSize];
  bool parsed = GetSetupArguments(arguments, sizeof arguments);
  if (!parsed)
    std::snprintf(reason, sizeof reason,
                  "The command line holds characters that the system's code page cannot show.");
  else
    parsed = ParseCommandLine(arguments, &line, reason);
  if (!parsed || line.given) return RunUnattended(instance, line, parsed, reason);
  // A second Setup beside a running one would install into the same place
  // at the same time, each half of the other's log: it hands over instead.
  if (!ClaimSingleInstance()) {
    BringRunningSetupToFront();
    return 0;
  }
  RememberModuleInstance(instance);
  frameWindow = CreateFrameDialog(DIALOG_FRAME);
  if (frameWindow == nullptr) return 0;  // no frame, no wizard: nothing to wait for
  installChoices.step = StepLanguage;
  for (;;) {
    ShowStepPage();
    installChoices.stepDone = false;
    if (installChoices.step == StepExtract) {
      TakeOutcome(RunInstallation(ExtractPageReport()));
    } else {
      WaitForStepDone();
    }
    if (installChoices.step >= StepEnd) break;
  }
  if (installChoices.aborted && !installChoices.errorReported) ShowClosingMessage();
  if (pageWindow != nullptr) {
    DestroyDialog(pageWindow);
    pageWindow = nullptr;
  }
  DestroyDialog(frameWindow);
  frameWindow = nullptr;
  if (installChoices.runAfterSetup && !installChoices.aborted) StartInstalledProgram();
  return 0;
}
