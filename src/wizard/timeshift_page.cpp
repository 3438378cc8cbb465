// The third page: whether the viewer keeps a timeshift buffer, in memory or
// in a file, and how large it is.
#include <cstdio>

#include "answers/install_choices.h"
#include "answers/timeshift.h"
#include "shared/resource_ids.h"
#include "shared/text_buffers.h"
#include "wizard/pages.h"
#include "wizard/wizard_texts.h"

void InitTimeshiftPage(Window page) {
  char proposal[PathBufferSize];
  ProposeTimeshiftFile(installChoices.destinationDir, proposal);
  CheckButton(page, ID_TIMESHIFT_DISABLE, true);
  LimitEditText(page, ID_BUFFER_SIZE, NumberBufferSize - 1);
  SetControlText(page, ID_BUFFER_SIZE, DefaultBufferSize);
  LimitEditText(page, ID_DESTINATION, PathBufferSize - 1);
  SetControlText(page, ID_DESTINATION, proposal);
  EnableControl(page, ID_BUFFER_SIZE, false);
  EnableControl(page, ID_DESTINATION, false);
}

void OnTimeshiftRadio(Window page, int id) {
  switch (id) {
    case ID_TIMESHIFT_DISABLE:
      EnableControl(page, ID_BUFFER_SIZE, false);
      EnableControl(page, ID_DESTINATION, false);
      break;
    case ID_TIMESHIFT_FILE:
      EnableControl(page, ID_BUFFER_SIZE, true);
      EnableControl(page, ID_DESTINATION, true);
      break;
    case ID_TIMESHIFT_MEMORY: {
      EnableControl(page, ID_BUFFER_SIZE, true);
      EnableControl(page, ID_DESTINATION, false);
      char size[NumberBufferSize];
      GetControlText(page, ID_BUFFER_SIZE, size, sizeof size);
      int32_t limit = int32_t(TotalPhysicalMegabytes() / 2);
      if (ParseDecimal(size) > limit) {
        std::snprintf(size, sizeof size, "%d", int(limit));
        SetControlText(page, ID_BUFFER_SIZE, size);
      }
      break;
    }
  }
}

void StoreTimeshiftPage(Window page) {
  GetControlText(page, ID_DESTINATION, installChoices.timeshiftFile, PathBufferSize);
  installChoices.timeshiftInMemory = IsButtonChecked(page, ID_TIMESHIFT_MEMORY);
  installChoices.timeshiftDisabled = IsButtonChecked(page, ID_TIMESHIFT_DISABLE);
  char size[NumberBufferSize];
  GetControlText(page, ID_BUFFER_SIZE, size, sizeof size);
  installChoices.timeshiftBufferMB = ParseDecimal(size);
}
