// Setup started with arguments: the installation with the answers of the
// command line, silently or with the extraction page alone, its result in
// the exit code and, when asked, a log.
#pragma once

#include "answers/command_line.h"
#include "platform/platform.h"

// Exit codes of a run with arguments (a run without any always ends with 0).
enum SetupExit {
  SetupInstalled = 0,
  SetupCancelled = 1,       // Cancel on the extraction page of /PASSIVE
  SetupRefused = 2,         // a bad command line or a refused answer
  SetupAlreadyRunning = 3,  // another Setup is running
  SetupDamaged = 4,         // the installer is damaged
  SetupStepFailed = 5,      // an installation step failed: write error, full disk, file in use
};

// line as ParseCommandLine left it; parsed false with its reason.
int RunUnattended(ModuleInstance instance, const CommandLine& line, bool parsed,
                  const char* reason);
