// The one record of the user's answers and of the flags through which the
// wizard and the installation talk, plus the wizard's window handles.
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

// Puts every field back to its value at process start.
void ResetInstallChoices();

// The frame and the current page (null when there is none).
extern Window frameWindow;
extern Window pageWindow;
