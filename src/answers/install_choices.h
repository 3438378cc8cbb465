// The one record of the user's answers, filled by the wizard's pages or by
// the command line, and of the flags through which the wizard follows its
// steps and the installation's end.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "shared/text_buffers.h"

enum WizardStep : int32_t {
  StepLanguage = 1,
  StepOptions = 2,
  StepTimeshift = 3,
  StepModules = 4,
  StepExtract = 5,
  StepFinish = 6,
  StepEnd = 7,
};

enum Language : uint8_t { English = 0, Russian = 1 };

struct InstallChoices {
  uint8_t language;
  int32_t deviceIndex;
  bool registerElecardFilters;
  bool registerTwinHanSource;
  char destinationDir[PathBufferSize];
  bool timeshiftDisabled;
  bool timeshiftInMemory;
  char timeshiftFile[PathBufferSize];
  int32_t timeshiftBufferMB;
  bool runAfterSetup;
  int32_t step;
  bool stepDone;
  bool aborted;
  bool errorReported;
};

extern InstallChoices installChoices;

// The destination the options page proposes, and the command line's default.
extern const char DefaultDestination[];

// Puts every field back to its value at process start.
void ResetInstallChoices();
