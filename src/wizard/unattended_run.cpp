#include "wizard/unattended_run.h"

#include <cstdio>

#include "answers/install_choices.h"
#include "answers/module_table.h"
#include "install/install_failure.h"
#include "install/installation.h"
#include "shared/resource_ids.h"
#include "wizard/extract_progress.h"
#include "wizard/setup_wizard.h"
#include "wizard/wizard_texts.h"

namespace {

// The run's log, when the command line asked for one.
RunLogFile runLog = nullptr;

void Log(const char* text) {
  AppendRunLogLine(runLog, text);
}

void LogStep(const char* line) {
  Log(line);
}

// A refused command line or answer: its reason in the log, and in a
// message box with the usage unless silent.
int Refuse(const CommandLine& line, const char* reason) {
  char text[ReasonSize + 32];
  std::snprintf(text, sizeof text, "refused: %s", reason);
  Log(text);
  Log("outcome: nothing installed (exit code 2)");
  if (line.mode != RunMode::Silent) {
    char shown[ReasonSize + 2048];
    std::snprintf(shown, sizeof shown, "%s\n\n%s", reason, UsageText());
    ShowMessageBox(nullptr, shown, ProductCaption);
  }
  return SetupRefused;
}

void LogAnswers() {
  const InstallChoices& c = installChoices;
  char text[PathBufferSize * 2 + 200];
  std::snprintf(text, sizeof text, "destination %s", c.destinationDir);
  Log(text);
  std::snprintf(text, sizeof text,
                "answers: language %s, device row %d, Elecard filters %s, TwinHan source %s",
                c.language == Russian ? "ru" : "en", int(c.deviceIndex),
                c.registerElecardFilters ? "yes" : "no", c.registerTwinHanSource ? "yes" : "no");
  Log(text);
  for (const ModuleEntry& module : ModuleTable) {
    std::snprintf(text, sizeof text, "module %s: %s", module.fileName,
                  module.enabled ? "installed" : "left out");
    Log(text);
  }
  if (c.timeshiftDisabled)
    std::snprintf(text, sizeof text, "timeshift: off");
  else if (c.timeshiftInMemory)
    std::snprintf(text, sizeof text, "timeshift: in memory, %d MB", int(c.timeshiftBufferMB));
  else
    std::snprintf(text, sizeof text, "timeshift: %s, %d MB", c.timeshiftFile,
                  int(c.timeshiftBufferMB));
  Log(text);
}

// The silent run's report: no window to move, nobody to ask it to stop.
const InstallReport SilentReport = {[](int) {}, [](int) {}, [] { return false; }, LogStep};

InstallOutcome RunPassively() {
  frameWindow = CreateFrameDialog(DIALOG_FRAME);
  if (frameWindow == nullptr) return InstallOutcome::Failed;
  installChoices.step = StepExtract;
  ShowStepPage();
  InstallReport report = ExtractPageReport();
  report.noteStep = LogStep;
  const InstallOutcome outcome = RunInstallation(report);
  if (pageWindow != nullptr) DestroyDialog(pageWindow);
  pageWindow = nullptr;
  DestroyDialog(frameWindow);
  frameWindow = nullptr;
  return outcome;
}

}  // namespace

int RunUnattended(ModuleInstance instance, const CommandLine& line, bool parsed,
                  const char* reason) {
  RememberModuleInstance(instance);
  if (line.logFile[0] != '\0') runLog = CreateRunLogFile(line.logFile);
  int code = SetupInstalled;
  if (!parsed) {
    code = Refuse(line, reason);
  } else if (line.mode == RunMode::Usage) {
    ShowMessageBox(nullptr, UsageText(), ProductCaption);
  } else if (!ClaimSingleInstance()) {
    Log("outcome: another Setup is running; nothing installed (exit code 3)");
    code = SetupAlreadyRunning;
  } else {
    char why[ReasonSize];
    if (!ApplyCommandLine(line, why)) {
      code = Refuse(line, why);
    } else {
      LogAnswers();
      // Switches without /S or /PASSIVE show the progress, as /PASSIVE does.
      const InstallOutcome outcome =
          line.mode == RunMode::Silent ? RunInstallation(SilentReport) : RunPassively();
      char text[LabelBufferSize + PathBufferSize + 64];
      switch (outcome) {
        case InstallOutcome::Completed:
          Log("outcome: installed (exit code 0)");
          if (installChoices.runAfterSetup) StartInstalledProgram();
          break;
        case InstallOutcome::Cancelled:
          Log("outcome: cancelled; what was made is in Uninstall.ini (exit code 1)");
          code = SetupCancelled;
          break;
        case InstallOutcome::Failed: {
          const bool damaged = RunFailure().kind == FailureKind::DamagedInstaller;
          code = damaged ? SetupDamaged : SetupStepFailed;
          char message[LabelBufferSize + PathBufferSize + 32];
          FailureMessage(RunFailure(), English, message, sizeof message);
          for (char* p = message; *p != '\0'; p++)
            if (*p == '\n') *p = ' ';
          std::snprintf(text, sizeof text, "failed: %s", message);
          Log(text);
          std::snprintf(text, sizeof text, "outcome: %s (exit code %d)",
                        damaged ? "the installer is damaged; nothing installed"
                                : "an installation step failed; what was made is in Uninstall.ini",
                        code);
          Log(text);
          break;
        }
      }
    }
  }
  CloseRunLogFile(runLog);
  runLog = nullptr;
  return code;
}
