// What the host stand-in of the installation's operations keeps, for the
// tests to set up and look at: a sandbox folder standing in for the drives,
// an in-memory registry, and the shortcuts and processes the program made.
#pragma once

#include <map>
#include <string>
#include <vector>

struct HostShortcut {
  std::string target, workingFolder, description, arguments, linkPath;
  bool argumentsSet;
  int iconIndex;
};

struct HostSystem {
  std::string sandbox;  // real folder under which "c:\..." lives as sandbox/c/...
  // Registry: full key path under HKEY_LOCAL_MACHINE, upper-cased -> values.
  std::map<std::string, std::map<std::string, std::string>> registry;
  std::vector<HostShortcut> shortcuts;
  std::vector<std::string> processes;  // command lines, in start order
  bool processesStart = true;
  int comInitialisations = 0;
  // A process killed part-way: the operations that change the machine
  // (folders, files, deletions, profile writes, links, registry) are
  // counted, and those after the first killAfter of them do nothing, as
  // after the end of the process. A file write that the kill interrupts
  // leaves the file created and empty. -1: never killed.
  int killAfter = -1;
  int changes = 0;
  // The ANSI code page of the stand-in: 1251 (Cyrillic letters fold) or
  // 932 (two-byte characters, whose second byte may be a backslash's).
  int codePage = 1251;
  // The bytes still free on the one disk that every drive of the sandbox
  // shares: a file's growth takes from them, a file cut or deleted gives
  // back. A write that needs more is cut short where the disk is full and
  // fails, as a full disk cuts it. -1: never full.
  long long diskFreeBytes = -1;
  // Called at the start of every act below a product place with the
  // path acted on, after the program's own look: a test swaps a link in
  // there, as another process could at that moment. Null: nothing happens.
  void (*beforeAct)(const char* path) = nullptr;
  // The folders made with the access rules of the Program Files folder.
  std::vector<std::string> guardedFolders;
};

extern HostSystem hostSystem;

// Empties the sandbox folder and lays out a fresh machine: c:\, the
// Windows and system folders, the user's Programs and Desktop folders, and
// the registry's Uninstall key.
void ResetHostSystem(const std::string& sandboxFolder);

// Windows compares names, registry keys and profile sections without
// regard to ASCII case.
std::string HostUpper(std::string s);

// The real path of a Windows path inside the sandbox. Paths without a
// drive resolve against c:\work (the current folder); profile files named
// without any folder resolve to the Windows folder, as Windows does. Files
// and folders of every other operation, deletion included, never do.
std::string HostPath(const std::string& windowsPath, bool profileFile = false);

std::string ReadHostFile(const std::string& windowsPath, bool* exists = nullptr);
