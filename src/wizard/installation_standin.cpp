// Stands in for the installation run until the installation itself is
// built: it installs nothing. It walks the embedded archive's listing and
// moves the progress bar once per entry, pumping messages as the real run
// does so that Cancel is noticed, and advances as a successful run would.
#include "archive/archive_reader.h"
#include "platform/platform.h"
#include "wizard/install_choices.h"
#include "wizard/resource_ids.h"
#include "wizard/setup_wizard.h"
#include "wizard/text_buffers.h"

void RunInstallation() {
  ArchiveImage image{nullptr, 0, 0};
  FindArchiveResource(ARCHIVE_RESOURCE, &image.data, &image.size);
  EntryListNode* head = nullptr;
  int count = ArchiveListEntries(&image, &head);
  SetProgressRange(pageWindow, ID_PROGRESS, count + 2);
  PumpMessages();
  // The installation's paths, and the viewer's start at the end, rest on a
  // trailing backslash; the options page made sure that it fits.
  char* destination = installChoices.destinationDir;
  if (destination[0] != '\0' && !EndsWithBackslash(destination)) {
    AppendText(destination, "\\", PathBufferSize);
  }

  int position = 1;
  for (EntryListNode* node = head; node != nullptr && !installChoices.aborted; node = node->next) {
    SetProgressPosition(pageWindow, ID_PROGRESS, position++);
    RepaintNow(pageWindow);
    PumpMessages();
  }
  ArchiveFreeList(head);

  if (!installChoices.aborted) {
    for (int i = 0; i < 2; i++) {
      SetProgressPosition(pageWindow, ID_PROGRESS, position++);
      RepaintNow(pageWindow);
      PumpMessages();
    }
  }
  installChoices.step = installChoices.step + 1;
  installChoices.stepDone = true;
}
