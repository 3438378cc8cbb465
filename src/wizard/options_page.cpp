// The second page: filter registrations, the device the viewer starts with,
// and the destination folder.
#include "answers/device_table.h"
#include "answers/install_choices.h"
#include "shared/resource_ids.h"
#include "shared/text_buffers.h"
#include "wizard/destination_limit.h"
#include "wizard/folder_browse.h"
#include "wizard/pages.h"
#include "wizard/wizard_texts.h"

void InitOptionsPage(Window page) {
  CheckButton(page, ID_ELECARD_FILTERS, true);
  CheckButton(page, ID_TWINHAN_SOURCE, true);
  ClearComboList(page, ID_DEVICE_LIST);
  for (int row = 0; row < DeviceCount; row++) {
    char label[LabelBufferSize];
    LoadResourceString(DeviceLabelId(row, installChoices.language), label, sizeof label);
    AddComboItem(page, ID_DEVICE_LIST, label);
  }
  SelectComboItem(page, ID_DEVICE_LIST, 0);
  // The edit takes no more than the buffers hold, so reading it never cuts.
  LimitEditText(page, ID_DESTINATION, PathBufferSize - 1);
  SetControlText(page, ID_DESTINATION, DefaultDestination);
}

void OnBrowseButton(Window page) {
  GetControlText(page, ID_DESTINATION, installChoices.destinationDir, PathBufferSize);
  BrowseForDestination(installChoices.destinationDir);
  SetControlText(page, ID_DESTINATION, installChoices.destinationDir);
}

bool StoreOptionsPage(Window page) {
  char destination[PathBufferSize];
  // A text the ANSI code page cannot hold exactly comes back empty, and is
  // refused with the destination's message as no path at all: a best fit of
  // it would be another folder than the one shown.
  GetControlText(page, ID_DESTINATION, destination, sizeof destination);
  if (!AcceptDestination(destination, installChoices.destinationDir)) return false;
  installChoices.registerElecardFilters = IsButtonChecked(page, ID_ELECARD_FILTERS);
  installChoices.registerTwinHanSource = IsButtonChecked(page, ID_TWINHAN_SOURCE);
  installChoices.deviceIndex = GetComboSelection(page, ID_DEVICE_LIST);
  return true;
}
