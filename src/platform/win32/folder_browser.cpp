// The shell's folder browser, rooted at the computer's drives.
#include <windows.h>
// after windows.h, which they need
#include <objbase.h>
#include <shlobj.h>

#include "platform/platform.h"
#include "platform/win32/shown_text.h"
#include "platform/win32/win32_handles.h"

namespace {

BrowserCallback activeCallback = nullptr;

int CALLBACK BrowseProc(HWND browser, UINT message, LPARAM lParam, LPARAM) {
  FolderBrowser handle = reinterpret_cast<FolderBrowser>(browser);
  if (message == BFFM_INITIALIZED) {
    activeCallback(handle, BrowserEvent::Initialized, nullptr);
  } else if (message == BFFM_SELCHANGED) {
    activeCallback(handle, BrowserEvent::SelectionChanged, reinterpret_cast<BrowseItem>(lParam));
  }
  return 0;
}

}  // namespace

BrowseItem RunFolderBrowser(const char* title, char* displayName, BrowserCallback callback) {
  CoInitialize(nullptr);  // the shell's browser wants COM; the program never leaves it
  LPITEMIDLIST root = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &root))) root = nullptr;
  // The wide browser shows the title as the program means it in either
  // language; the paths that pass through it stay in the ANSI code page.
  ShownText wideTitle(title);
  WCHAR wideName[MAX_PATH] = L"";
  BROWSEINFOW info = {};
  info.hwndOwner = nullptr;
  info.pidlRoot = root;
  info.pszDisplayName = wideName;
  info.lpszTitle = wideTitle.Wide();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
  info.lpfn = BrowseProc;
  info.lParam = 0;
  activeCallback = callback;
  LPITEMIDLIST chosen = SHBrowseForFolderW(&info);
  activeCallback = nullptr;
  ExactAnsiText(wideName, displayName, MAX_PATH);
  if (root != nullptr) CoTaskMemFree(root);
  return reinterpret_cast<BrowseItem>(chosen);
}

bool BrowseItemPath(BrowseItem item, char* path) {
  path[0] = '\0';
  // A folder whose name the ANSI code page cannot hold exactly has no path
  // here: the ANSI function would give a look-alike of another folder.
  WCHAR wide[MAX_PATH] = L"";
  return item != nullptr &&
         SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(item), wide) != FALSE &&
         ExactAnsiText(wide, path, MAX_PATH);
}

void ReleaseBrowseItem(BrowseItem item) {
  CoTaskMemFree(item);
}

void SetBrowserCaption(FolderBrowser browser, const char* caption) {
  SetWindowTextW(reinterpret_cast<HWND>(browser), ShownText(caption).Wide());
}

// The selection and the status line are paths: the browser takes them in
// the ANSI code page, whichever kind of browser it is.

void SelectBrowserFolder(FolderBrowser browser, const char* path) {
  SendMessageA(reinterpret_cast<HWND>(browser), BFFM_SETSELECTIONA, TRUE,
               reinterpret_cast<LPARAM>(path));
}

void SetBrowserStatusText(FolderBrowser browser, const char* text) {
  SendMessageA(reinterpret_cast<HWND>(browser), BFFM_SETSTATUSTEXTA, 0,
               reinterpret_cast<LPARAM>(text));
}
