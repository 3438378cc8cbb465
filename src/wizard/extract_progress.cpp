#include "wizard/extract_progress.h"

#include <cstdint>

#include "answers/install_choices.h"
#include "platform/platform.h"
#include "shared/resource_ids.h"
#include "wizard/setup_wizard.h"

namespace {

// The bar has room for far fewer steps than a large product has entries,
// and each step it is told costs a repaint (under Wine about as much as
// writing a small file). So it is told a position only when that moves it
// by a thousandth of its range or more, and always its last one; a bar of
// up to a thousand positions is told every one. Messages are pumped after
// every entry all the same, and every few megabytes of a large one, so that
// Cancel is seen as soon as ever.
constexpr int ProgressSteps = 1000;
int progressRange = 0;
int shownPosition = 0;

bool ProgressWouldShow(int position) {
  // Told again where it stands (a long entry lets messages through): no move.
  if (position == shownPosition) return false;
  if (progressRange <= ProgressSteps || position >= progressRange) return true;
  const auto step = [](int p) { return int64_t(p) * ProgressSteps / progressRange; };
  return step(position) != step(shownPosition);
}

void SetPositions(int positions) {
  progressRange = positions;
  shownPosition = 0;
  SetProgressRange(pageWindow, ID_PROGRESS, progressRange);
  PumpMessages();
}

void MoveTo(int position) {
  if (ProgressWouldShow(position)) {
    SetProgressPosition(pageWindow, ID_PROGRESS, position);
    RepaintNow(pageWindow);
    shownPosition = position;
  }
  PumpMessages();
}

// Set by the frame's Cancel and close box during the extraction step.
bool StopRequested() {
  return installChoices.aborted;
}

const InstallReport Report = {SetPositions, MoveTo, StopRequested, nullptr};

}  // namespace

const InstallReport& ExtractPageReport() {
  return Report;
}
