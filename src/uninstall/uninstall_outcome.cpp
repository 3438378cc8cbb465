#include "uninstall/uninstall_outcome.h"

int UninstallOutcome::ExitCode() const {
  if (noRecordOurs) return ExitNotRemoved;
  if (LeftOver()) return ExitLeftOver;
  return refused.empty() ? ExitRemoved : ExitRefused;
}
