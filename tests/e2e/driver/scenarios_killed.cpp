// Setup killed part-way through an installation (a crash, the task manager,
// power): whatever it made must be in Uninstall.ini, so that the
// uninstaller can take it away again. The driver ends the Setup process it
// started, by its handle, at a chosen moment and compares the log with the
// disk.
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <vector>

#include "check.h"
#include "disk.h"
#include "progress_watch.h"
#include "scenarios_install.h"

namespace {

std::wstring Normal(std::wstring path) {
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  for (wchar_t& c : path) c = wchar_t(std::towlower(c));
  return path;
}

std::vector<std::wstring> Records(const std::wstring& log, const wchar_t* section) {
  std::vector<std::wstring> records;
  int count = int(GetPrivateProfileIntW(section, L"count", 0, log.c_str()));
  for (int i = 1; i <= count; i++) {
    wchar_t value[1024] = L"";
    GetPrivateProfileStringW(section, std::to_wstring(i).c_str(), L"", value, 1024, log.c_str());
    records.push_back(Normal(value));
  }
  return records;
}

struct Found {
  std::vector<std::wstring> folders, files;
};

void Look(const std::wstring& folder, Found& found) {
  if (!PathExists(folder)) return;
  found.folders.push_back(Normal(folder));
  for (const auto& [path, what] : SnapshotOf(folder))
    (what == L"folder" ? found.folders : found.files).push_back(Normal(path));
}

bool Listed(const std::vector<std::wstring>& records, const std::wstring& path) {
  return std::find(records.begin(), records.end(), path) != records.end();
}

std::wstring Group() {
  return ShellFolder(CSIDL_PROGRAMS) + L"\\Orbivue";
}
std::wstring DesktopLink() {
  return ShellFolder(CSIDL_DESKTOPDIRECTORY) + L"\\Orbivue.lnk";
}

// The destination given, then the modules page; Next starts the run.
void WalkToModules(SetupSession& s, const std::wstring& destination, bool russian) {
  HWND page = NextToOptions(s, russian);
  s.Type(page, ids::Destination, destination + L"\\");
  s.PickRow(page, ids::Devices, 0);  // passes over the timeshift page
  s.Click(s.Frame(), ids::Next);
  s.WaitForPage(ids::Modules);
}

}  // namespace

void KillSetup(SetupSession& s) {
  CHECK(TerminateProcess(s.Process(), 1));
  CHECK(WaitForSingleObject(s.Process(), 15000) == WAIT_OBJECT_0);
}

void CheckEverythingLogged(const std::wstring& destination, const std::string& when,
                           const std::vector<std::wstring>& usersFiles) {
  std::wstring log = destination + L"\\Uninstall.ini";
  std::vector<std::wstring> dirs = Records(log, L"Dirs"), files = Records(log, L"Files");
  Found found;
  Look(destination, found);
  Look(Group(), found);
  if (PathExists(DesktopLink())) found.files.push_back(Normal(DesktopLink()));
  for (const std::wstring& folder : found.folders) {
    if (!Listed(dirs, folder)) Fail(__FILE__, __LINE__, "folder not in the log: " + Narrow(folder));
  }
  for (const std::wstring& file : found.files) {
    if (file == Normal(log) || file == Normal(log + L".new") ||
        file == Normal(destination + L"\\Orbivue.ini"))
      continue;
    bool usersOwn = false;
    for (const std::wstring& own : usersFiles) usersOwn = usersOwn || file == Normal(own);
    if (usersOwn) continue;
    if (!Listed(files, file)) Fail(__FILE__, __LINE__, "file not in the log: " + Narrow(file));
  }
  std::printf(
      "  %s: %zu folders and %zu files on disk, all in the log (%zu Dirs and %zu Files "
      "records)\n",
      when.c_str(), found.folders.size(), found.files.size(), dirs.size(), files.size());
}

namespace {

// Runs Setup to its modules page and starts the installation; kill decides
// when to end it and does so.
template <typename KillWhen>
void KilledRun(const DriverSettings& settings, const std::wstring& destination, LONG holdAt,
               KillWhen killWhen) {
  ClearInstalledTraces();
  SetupSession s(settings);
  WalkToModules(s, destination, false);
  ProgressWatch watch(s, settings, holdAt);
  s.Click(s.Frame(), ids::Next);
  killWhen(watch);
  KillSetup(s);
  CheckEverythingLogged(destination,
                        "killed after " + std::to_string(watch.Read().lastPosition) + " entries");
}

}  // namespace

// As soon as the last of the folders made before the entries is there.
// (Earlier still, the destination alone may be left unlisted: it holds the
// log, so it is made before the log can record it.)
void KilledBeforeTheEntries(const DriverSettings& settings, const PageTexts&, bool) {
  const std::wstring destination = L"C:\\e2e\\killed-early";
  KilledRun(settings, destination, 0, [&](ProgressWatch&) {
    CHECK(WaitUntil([&] { return PathExists(destination + L"\\Modules\\boot\\24"); }, 60000));
  });
}

// Held by the progress hook after the middle entry of the archive.
void KilledBetweenEntries(const DriverSettings& settings, const PageTexts&, bool) {
  const LONG killAt = settings.EntryCount() / 2;
  if (killAt < 1) Fail(__FILE__, __LINE__, "no list of the archive's entries (--entries)");
  KilledRun(settings, L"C:\\e2e\\killed-between", killAt, [&](ProgressWatch& watch) {
    watch.WaitHeld();
    CHECK_EQ_INT(watch.Read().lastPosition, killAt);
  });
}

// Not held: ended as soon as four fifths of the entries are passed, so that
// the kill lands while a later entry is unpacked or written.
void KilledDuringAnEntry(const DriverSettings& settings, const PageTexts&, bool) {
  const LONG killAfter = settings.EntryCount() * 4 / 5;
  if (killAfter < 1) Fail(__FILE__, __LINE__, "no list of the archive's entries (--entries)");
  KilledRun(settings, L"C:\\e2e\\killed-during", 0, [&](ProgressWatch& watch) {
    CHECK(WaitUntil([&] { return watch.Read().lastPosition >= killAfter; }, InstallationTimeoutMs));
  });
}

// As soon as the program group's folder is there: among the shortcuts.
void KilledDuringTheShortcuts(const DriverSettings& settings, const PageTexts&, bool) {
  KilledRun(settings, L"C:\\e2e\\killed-shortcuts", 0, [&](ProgressWatch&) {
    CHECK(WaitUntil([&] { return PathExists(Group()); }, InstallationTimeoutMs));
  });
}

// As soon as the desktop's shortcut is there: among the links.
void KilledAmongTheLinks(const DriverSettings& settings, const PageTexts&, bool) {
  KilledRun(settings, L"C:\\e2e\\killed-links", 0, [&](ProgressWatch&) {
    CHECK(WaitUntil([&] { return PathExists(DesktopLink()); }, InstallationTimeoutMs));
  });
}
