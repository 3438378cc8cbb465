#include "install/step_notes.h"

#include <cstdio>

#include "install/install_report.h"
#include "shared/text_buffers.h"

namespace {

const InstallReport* stepReport = nullptr;
int reachedPosition = 0;

}  // namespace

void SetStepReport(const InstallReport* report) {
  stepReport = report;
  reachedPosition = 0;
}

void NoteStep(const char* what, const char* path, const char* detail) {
  if (stepReport == nullptr || stepReport->noteStep == nullptr) return;
  char line[PathBufferSize * 2 + 64];
  if (detail != nullptr)
    std::snprintf(line, sizeof line, "%s %s (%s)", what, path, detail);
  else
    std::snprintf(line, sizeof line, "%s %s", what, path);
  stepReport->noteStep(line);
}

void MoveToPosition(int position) {
  reachedPosition = position;
  if (stepReport != nullptr) stepReport->moveTo(position);
}

void KeepResponding() {
  if (stepReport != nullptr) stepReport->moveTo(reachedPosition);
}
