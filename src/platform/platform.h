// The thin seam between the setup program and the operating system: one
// function per operation the program needs, in the program's own terms.
// src/platform/win32/ provides the real thing; src/platform/host/ provides a
// stand-in for the Linux tests that records what the program did.
#pragma once

#include <cstdint>

// Opaque handles: an HWND, HINSTANCE or shell item list on Windows, a
// stand-in object on the host.
struct WindowObject;
using Window = WindowObject*;
struct ModuleObject;
using ModuleInstance = ModuleObject*;
struct FolderBrowserObject;
using FolderBrowser = FolderBrowserObject*;
struct BrowseItemObject;
using BrowseItem = BrowseItemObject*;

// The program's own module: dialogs, strings, icon and archive come from it.
void RememberModuleInstance(ModuleInstance instance);

// Dialogs from the program's resources. The frame is modeless and has no
// owner; a page is a modeless child of the frame. Their initialisation
// handlers (OnFrameInit, OnPageInit) run before these return.
Window CreateFrameDialog(int resourceId);
Window CreatePageDialog(int resourceId, Window frame);
void DestroyDialog(Window window);
void ShowDialog(Window window);
void SetSmallIcon(Window window, int iconId);

// The language of the texts the program shows from here on. Its Russian
// texts are in code page 1251 on any system; its English ones are ASCII and
// may carry a path in the system's ANSI code page. Loaded strings, control
// texts, list rows, message boxes and the browser's title and caption are
// read that way. Russian until told otherwise.
void ShowTextsInRussian(bool russian);

// Controls of a dialog, named by control id. An edit holds what the user
// types, paths and numbers, in the system's ANSI code page both ways.
void ShowControl(Window dialog, int id, bool visible);
void EnableControl(Window dialog, int id, bool enabled);
void SetControlText(Window dialog, int id, const char* text);
// Copies at most capacity - 1 characters and the terminating zero. False,
// with text empty, when the text holds a character that the ANSI code page
// cannot hold exactly.
bool GetControlText(Window dialog, int id, char* text, int capacity);
void LimitEditText(Window dialog, int id, int characters);
bool IsButtonChecked(Window dialog, int id);
void CheckButton(Window dialog, int id, bool checked);

// The drop-down list.
void ClearComboList(Window dialog, int id);
void AddComboItem(Window dialog, int id, const char* text);
void SelectComboItem(Window dialog, int id, int index);
int GetComboSelection(Window dialog, int id);  // -1 when nothing is selected

// The list view with check boxes; state images: 1 empty box, 2 ticked box.
void AddListViewCheckBoxes(Window dialog, int id);
void InsertListViewColumn(Window dialog, int id, int width);
int InsertListViewItem(Window dialog, int id, int position, const char* text);
void SetListViewStateImage(Window dialog, int id, int index, int image);
int GetListViewStateImage(Window dialog, int id, int index);

// The progress bar.
void SetProgressRange(Window dialog, int id, int maximum);
void SetProgressPosition(Window dialog, int id, int position);
void RepaintNow(Window window);

// Takes every waiting message and handles it; true when there was one.
bool PumpMessages();
void SleepMilliseconds(int milliseconds);

// Resources of the program's module.
// Copies the string into text (zero-terminated within capacity); returns its length.
int LoadResourceString(int id, char* text, int capacity);
// The bytes of a custom resource, valid for the life of the process; false
// with data null and size 0 when there is none.
bool FindArchiveResource(int id, const uint8_t** data, uint32_t* size);
// The CRC-32 that the build recorded of the archive resource, from the
// four-byte resource with the given id (little-endian); false when there is
// no such resource or it is not four bytes long.
bool FindArchiveCheckValue(int id, uint32_t* value);

// An OK-only message box; owner may be null.
void ShowMessageBox(Window owner, const char* text, const char* caption);
void SoundSimpleBeep();

// Starts the program at programPath, shown, without arguments and without
// waiting. The path is handed over as the program's name, never parsed as a
// command line, so that no other program can start in its place (such as
// "C:\Program.exe" for a path in "C:\Program Files\").
void StartProgram(const char* programPath);

// The arguments Setup was started with: its command line without the
// program's own name, in the ANSI code page. False when a character has no
// exact form there (the text is then not to be used).
bool GetSetupArguments(char* out, int capacity);

// The log of an unattended run: made anew at path (in UTF-8), each line
// appended as it comes (text in the ANSI code page, converted) and written
// through at once, so that a run ended at any moment leaves every line.
using RunLogFile = void*;
RunLogFile CreateRunLogFile(const char* path);
void AppendRunLogLine(RunLogFile file, const char* text);
void CloseRunLogFile(RunLogFile file);

// One Setup at a time: claims the right to run for this process, for as
// long as it lives; false when another Setup holds it. A second Setup then
// brings the first one's window to the front and ends.
bool ClaimSingleInstance();
void BringRunningSetupToFront();

// Total physical memory as the system reports it to a 32-bit program.
uint32_t TotalPhysicalBytes();

// The folder browser, rooted at the computer's drives. displayName receives
// the chosen item's display name (260 bytes). The callback runs while the
// browser is open; RunFolderBrowser returns the chosen item (release it with
// ReleaseBrowseItem) or null when the user cancelled.
enum class BrowserEvent { Initialized, SelectionChanged };
using BrowserCallback = void (*)(FolderBrowser browser, BrowserEvent event, BrowseItem selected);
BrowseItem RunFolderBrowser(const char* title, char* displayName, BrowserCallback callback);
// Copies the item's file-system path into path (260 bytes); false when it has none.
bool BrowseItemPath(BrowseItem item, char* path);
void ReleaseBrowseItem(BrowseItem item);
void SetBrowserCaption(FolderBrowser browser, const char* caption);
void SelectBrowserFolder(FolderBrowser browser, const char* path);
void SetBrowserStatusText(FolderBrowser browser, const char* text);

// Handlers that the platform's dialog procedures call; the wizard provides them.
void OnFrameInit(Window frame);
bool OnFrameCommand(int id);  // true when the command was the wizard's
void OnFrameClose();
void OnPageInit(Window page);
bool OnPageCommand(Window page, int id, int notification);  // true when handled
