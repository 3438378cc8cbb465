#include "wizard/folder_browse.h"

#include <cstring>

#include "answers/install_choices.h"
#include "platform/platform.h"
#include "shared/resource_ids.h"
#include "shared/text_buffers.h"
#include "wizard/destination_limit.h"
#include "wizard/wizard_texts.h"

namespace {

// Shared by BrowseForDestination and its callback: the folder to pre-select,
// the browser's display name, then the status text.
char browseBuffer[PathBufferSize];

void BrowseCallback(FolderBrowser browser, BrowserEvent event, BrowseItem selected) {
  switch (event) {
    case BrowserEvent::Initialized: {
      char caption[NumberBufferSize];
      LoadResourceString(STRING_BROWSER_CAPTION, caption, sizeof caption);
      SetBrowserCaption(browser, caption);
      SelectBrowserFolder(browser, browseBuffer);
      break;
    }
    case BrowserEvent::SelectionChanged:
      // The user sees the folder that will be used; a folder that the
      // options page would refuse shows an empty status line.
      if (!BrowseItemPath(selected, browseBuffer) || !AppendProductFolder(browseBuffer) ||
          !DestinationFits(browseBuffer)) {
        browseBuffer[0] = '\0';
      }
      SetBrowserStatusText(browser, browseBuffer);
      break;
  }
}

}  // namespace

bool AppendProductFolder(char* path) {
  if (path[0] == '\0') return true;
  char result[PathBufferSize];
  CopyText(result, path, sizeof result);
  if (!EndsWithBackslash(result) && !AppendText(result, "\\", sizeof result)) return false;
  if (!AppendText(result, ProductFolder, sizeof result)) return false;
  CopyText(path, result, PathBufferSize);
  return true;
}

bool BrowseForDestination(char* path) {
  // The folder to pre-select: the path without its trailing backslash (a
  // path typed without one is taken as it is).
  CopyText(browseBuffer, path, sizeof browseBuffer);
  if (EndsWithBackslash(browseBuffer)) browseBuffer[std::strlen(browseBuffer) - 1] = '\0';

  char title[LabelBufferSize];
  LoadResourceString(
      installChoices.language == Russian ? STRING_BROWSE_TITLE_RU : STRING_BROWSE_TITLE_EN, title,
      sizeof title);
  BrowseItem chosen = RunFolderBrowser(title, browseBuffer, BrowseCallback);
  if (chosen == nullptr) return false;

  char folder[PathBufferSize];
  bool hasPath = BrowseItemPath(chosen, folder);
  ReleaseBrowseItem(chosen);
  if (!hasPath) return false;
  // Refused at the pick with the options page's own rule and message, so
  // that the user learns it at once and not on Next.
  if (!AppendProductFolder(folder) || !DestinationFits(folder)) {
    ShowDestinationTooLong();
    return false;
  }
  CopyText(path, folder, PathBufferSize);
  return true;
}
