#include "install/filter_registration.h"

#include <cstdio>

#include "answers/install_choices.h"
#include "install/step_notes.h"
#include "install/uninstall_log.h"
#include "platform/install_platform.h"
#include "shared/product_files.h"
#include "shared/text_buffers.h"

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
  int64_t exitCode = -1;
  const bool started = StartHiddenAndWait(command, 2000, &exitCode);
  ReleaseFile(held);
  char detail[48];
  if (!started)
    CopyText(detail, "regsvr32 did not start", sizeof detail);
  else if (exitCode < 0)
    CopyText(detail, "regsvr32 still running after 2 s", sizeof detail);
  else
    std::snprintf(detail, sizeof detail, "regsvr32 exit code %lld",
                  static_cast<long long>(exitCode));
  NoteStep("filter", filterPath, detail);
  return started;
}

void RegisterChosenFilters(Pass pass) {
  if (installChoices.registerElecardFilters) {
    RegisterFilter(ElecardDecoderFilter, pass);
    RegisterFilter(ElecardLibraryFilter, pass);
  }
  if (installChoices.registerTwinHanSource) RegisterFilter(TwinHanSourceFilter, pass);
}
