// The installation scenarios: Setup.exe with the demo product installs it
// for real. Each runs alone (by name), and tests/e2e/check-install looks at
// what it left on disk and in the registry before the next one starts.
#pragma once

#include <string>
#include <vector>

#include "../progress_record.h"
#include "scenarios.h"

const std::vector<Scenario>& InstallScenarios(bool russian);

// The answers a scenario gives the wizard.
struct Answers {
  bool russian = false;
  bool typeDestination = true;  // false: keep the proposal "c:\Orbivue\"
  std::wstring destination;     // typed as it stands
  int deviceRow = 2;
  bool elecard = false, twinhan = false;
  enum { LeaveTimeshift, InMemory, InFile } timeshift = LeaveTimeshift;
  std::wstring bufferSize;
  bool pictures = false;    // the demo's pictures of every page
  double mostMemoryMb = 0;  // the most memory Setup may hold at its peak (0: unchecked)
};

// Shared steps of the installation scenarios.
// From the language page to the modules page with the given answers.
HWND WalkToModules(SetupSession& s, const Answers& a);
// Waits while the installation runs: for the finish page (returned) or for
// a message box (into *box).
HWND WaitForFinishOrMessage(SetupSession& s, HWND* box);
// Next on the modules page, then the finish page with its checks.
HWND InstallToFinish(SetupSession& s, const DriverSettings& settings, const PageTexts& t,
                     const Answers& a);
// OK with "Run Orbivue" ticked: the viewer in folder starts and shows those lines.
void FinishAndCheckViewer(SetupSession& s, const DriverSettings& settings,
                          const std::wstring& folder, const std::vector<std::string>& shown,
                          bool picture);
void UntickRunBox(SetupSession& s, HWND finishPage);
// A message box that stops the installation: its text, OK, and Setup's silent end.
void CheckStopMessage(SetupSession& s, HWND box, const std::wstring& text, const char* picture);
// Next on the modules page, until a message box shows (returned).
HWND InstallToMessage(SetupSession& s, const DriverSettings& settings, ProgressRecord* progress);

// What an earlier scenario left outside its destination: the uninstall key,
// the filters' classes, the shortcuts and INI files of an empty destination.
void ClearInstalledTraces();
// A folder of the shell (CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY, ...).
std::wstring ShellFolder(int csidl);

// Setup killed part-way through an installation: before its first entry,
// between two entries, while an entry is made, as the program group's folder
// is made and among the links. Each checks that the uninstall log lists every folder and file
// on disk, under the destination, in the program group and on the desktop.
void KilledBeforeTheEntries(const DriverSettings&, const PageTexts&, bool);
void KilledBetweenEntries(const DriverSettings&, const PageTexts&, bool);
void KilledDuringAnEntry(const DriverSettings&, const PageTexts&, bool);
void KilledDuringTheShortcuts(const DriverSettings&, const PageTexts&, bool);
void KilledAmongTheLinks(const DriverSettings&, const PageTexts&, bool);
// Ends Setup's process at once, as the task manager would.
void KillSetup(SetupSession& s);
// Every folder and file on disk under destination (no trailing backslash),
// in the program group and on the desktop is in the log, but for the log
// itself, its next version, Orbivue.ini and the user's own files; prints
// the counts after when.
void CheckEverythingLogged(const std::wstring& destination, const std::string& when,
                           const std::vector<std::wstring>& usersFiles = {});

// Setup over what run-lifecycle laid out, with the answers and the stop it
// names in the environment (see scenarios_lifecycle.cpp).
void InstallLifecycle(const DriverSettings&, const PageTexts&, bool);
// A variable of the environment the script gave the driver (empty when unset).
std::wstring Environment(const wchar_t* name);

// Setup with arguments, as run-unattended asks (see scenarios_unattended.cpp).
void InstallUnattended(const DriverSettings&, const PageTexts&, bool);

// Safety: a full disk (drive E: is a small one) stops the run at the file
// it cut; a second Setup started during an installation hands over to the
// first; a destination in "C:\Program Files\" starts no "C:\Program.exe".
void InstallOnAFullDisk(const DriverSettings&, const PageTexts&, bool);
void TwoSetupsAtOnce(const DriverSettings&, const PageTexts&, bool);
void InstallIntoProgramFiles(const DriverSettings&, const PageTexts&, bool);

// Setup run beside DLLs planted under the names of system DLLs that it
// loads while it runs: it loads the system's, never the planted ones.
void InstallBesidePlantedDlls(const DriverSettings&, const PageTexts&, bool);

// Setup over the installation in c:\Orbivue\ while the script exchanges one
// of its names with a link: completes, or stops with the write error.
void InstallWhileRaced(const DriverSettings&, const PageTexts&, bool);

// The folder has the access rules of the Program Files folder, its own
// (not taken over from the folder above): checked and printed.
void CheckGuardedFolder(const std::wstring& folder);

// The Programs folder, then the desktop, on a full drive E:: the shortcut
// that can't be saved stops the run with its write error.
void ShortcutsOnAFullDisk(const DriverSettings&, const PageTexts&, bool);
