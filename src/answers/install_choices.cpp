#include "answers/install_choices.h"

namespace {
// Every field's value when the process starts.
constexpr InstallChoices InitialChoices = {
    English,              // language
    0,                    // deviceIndex
    false,                // registerElecardFilters
    false,                // registerTwinHanSource
    "",                   // destinationDir
    true,                 // timeshiftDisabled
    false,                // timeshiftInMemory
    "c:\\timeshift.dat",  // timeshiftFile
    2000,                 // timeshiftBufferMB
    false,                // runAfterSetup
    0,                    // step: set to StepLanguage by RunSetup
    false,                // stepDone
    false,                // aborted
    false,                // errorReported
};
}  // namespace

InstallChoices installChoices = InitialChoices;
const char DefaultDestination[] = "c:\\Orbivue\\";

void ResetInstallChoices() {
  installChoices = InitialChoices;
}
