// What the uninstaller needs of the operating system beyond the
// installation's operations (install_platform.h): its own path, removal of
// files, folders and the uninstall entry, unregistering filters, moving its
// own file out of the way, and its few windows. Texts of the program are in
// code page 1251; paths are in the system's ANSI code page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/path_platform.h"

// The running program's full path in its long form; false when unknown.
bool GetProgramPath(char* out, int capacity);

// Below a product place, reached from it by handles as the installation's
// acts are (install_platform.h): a link met stops the act, named in link.
// Deletes one file; false when it stays (in use, read-only, no rights).
bool RemoveFile(const char* place, const char* path, char* link);
// Removes a folder when it is empty; false when it stays. path may be the
// place itself, reached from the folder above it.
bool RemoveEmptyFolder(const char* place, const char* path, char* link);

// The names in a folder: each one's own and its 8.3 alias (empty when it
// has none). False when the folder can't be read.
struct FolderName {
  std::string name, shortName;
};
bool ListFolder(const char* folder, std::vector<FolderName>* names);

// The program a shortcut below place starts (its target's path as saved),
// read through a handle checked as the acts are; false when the file is no
// shortcut that can be read.
bool ReadShortcutTarget(const char* place, const char* path, char* target, int capacity);
// The files named by the classes registered on this machine (the default
// value of HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32) whose file name,
// after the last backslash, is fileName (letters compared without case).
std::vector<std::string> RegisteredServersNamed(const char* fileName);

// One REG_SZ value of HKEY_LOCAL_MACHINE\parent\key; false when missing.
bool ReadLocalMachineValue(const char* parent, const char* key, const char* name, char* out,
                           int capacity);
// Deletes HKEY_LOCAL_MACHINE\parent\key (a key without subkeys).
bool DeleteLocalMachineKey(const char* parent, const char* key);

// Starts a command line hidden and waits for it to end, at most
// milliseconds. True with its exit code when it ran to its end.
bool RunHiddenToEnd(const char* commandLine, int milliseconds, uint32_t* exitCode);

// Moves the running program's file into the temporary folder under a name
// of its own; moved receives the new path. False when it could not.
bool MoveProgramToTemp(const char* program, char* moved, int capacity);
// Has the system delete the file at the next restart.
bool DeleteAtRestart(const char* path);

// The uninstaller's windows. Texts in code page 1251 are shown through the
// wide calls so that they read right under any system code page; parts
// marked as paths are taken in the ANSI code page.
struct MessagePart {
  const char* text;
  bool isPath;
};
bool AskYesNo(const char* caption, const char* question);
void ShowUninstallMessage(const char* caption, const MessagePart* parts, int count, bool warning);
// The progress window: open, move, close. Pumps its messages when moved.
void OpenProgressWindow(const char* caption, const char* text);
void SetProgressWindow(int position, int maximum);
void CloseProgressWindow();
