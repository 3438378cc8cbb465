#include "install/filter_registration.h"

#include "install/uninstall_log.h"
#include "platform/install_platform.h"
#include "shared/product_files.h"
#include "shared/text_buffers.h"
#include "wizard/install_choices.h"

bool RegisterFilter(const char* fileName, Pass pass) {
  constexpr int CommandSize = 460;
  char command[CommandSize];
  GetSystemFolder(command, CommandSize);
  char filterPath[PathBufferSize + 16];
  filterPath[0] = '\0';
  const bool fits = AppendText(filterPath, installChoices.destinationDir, sizeof filterPath) &&
                    AppendText(filterPath, FiltersFolder, sizeof filterPath) &&
                    AppendText(filterPath, fileName, sizeof filterPath) &&
                    AppendText(command, "\\regsvr32 /s \"", sizeof command) &&
                    AppendText(command, filterPath, sizeof command) &&
                    AppendText(command, "\"", sizeof command);
  if (!uninstallLog.AddRecord(filterPath, FiltersSection) || !fits) return false;
  if (pass == Pass::Plan) return true;
  // regsvr32 runs the file by its path: held, as checked, while it runs.
  HeldFile held = HoldFile(installChoices.destinationDir, filterPath, nullptr);
  if (held == nullptr) return false;
  const bool started = StartHiddenAndWait(command, 2000);
  ReleaseFile(held);
  return started;
}

void RegisterChosenFilters(Pass pass) {
  if (installChoices.registerElecardFilters) {
    RegisterFilter(ElecardDecoderFilter, pass);
    RegisterFilter(ElecardLibraryFilter, pass);
  }
  if (installChoices.registerTwinHanSource) RegisterFilter(TwinHanSourceFilter, pass);
}
