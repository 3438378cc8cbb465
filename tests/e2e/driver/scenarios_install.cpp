// Installing the demo product: complete runs, a run cancelled between two
// entries, and runs stopped by a file in the way or by a damaged archive.
// What a person sees is checked here; the files, the two INI files, the
// registry and the shortcuts are checked from outside by check-install.
#include "scenarios_install.h"

#include <shlobj.h>
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <cstdio>
#include <vector>

#include "check.h"
#include "disk.h"
#include "picture.h"
#include "progress_watch.h"

namespace {

const wchar_t UninstallKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orbivue";
const wchar_t* const FilterClasses[] = {L"{6F0A2D31-5A71-4C2E-9B0D-1E7C2A3B4D01}",
                                        L"{6F0A2D31-5A71-4C2E-9B0D-1E7C2A3B4D02}",
                                        L"{6F0A2D31-5A71-4C2E-9B0D-1E7C2A3B4D03}"};
const wchar_t* const FilterFiles[] = {L"mpgdec.ax", L"mlcom.ax", L"thsource.ax"};

}  // namespace

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
  return path;
}

void ClearInstalledTraces() {
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, UninstallKey);
  for (const wchar_t* id : FilterClasses) {
    std::wstring key = std::wstring(L"CLSID\\") + id;
    RegDeleteKeyW(HKEY_CLASSES_ROOT, (key + L"\\InprocServer32").c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
  }
  std::wstring group = ShellFolder(CSIDL_PROGRAMS) + L"\\Orbivue";
  for (const wchar_t* link : {L"\\Orbivue.lnk", L"\\Uninstall.lnk", L"\\GraphEdit.lnk"})
    DeleteFileW((group + link).c_str());
  RemoveDirectoryW(group.c_str());
  DeleteFileW((ShellFolder(CSIDL_DESKTOPDIRECTORY) + L"\\Orbivue.lnk").c_str());
  std::wstring windows = ShellFolder(CSIDL_WINDOWS);
  DeleteFileW((windows + L"\\Uninstall.ini").c_str());
  DeleteFileW((windows + L"\\Orbivue.ini").c_str());
}

namespace {

void PictureOf(const DriverSettings& settings, HWND window, const std::string& name) {
  Sleep(500);  // let Wine put the painted window on the screen
  SaveWindowPicture(window,
                    settings.pictureDir + L"\\" + std::wstring(name.begin(), name.end()) + L"-" +
                        std::wstring(settings.language.begin(), settings.language.end()) + L".bmp");
}

}  // namespace

// From the language page to the modules page with the given answers.
HWND WalkToModules(SetupSession& s, const Answers& a) {
  HWND page = s.WaitForPage(ids::Russian);
  s.Click(page, a.russian ? ids::Russian : ids::English);
  if (a.pictures) s.Picture(s.Frame(), "install-1-language");
  s.Click(s.Frame(), ids::Next);

  page = s.WaitForPage(ids::Devices);
  if (s.IsChecked(page, ids::Elecard) != a.elecard) s.Click(page, ids::Elecard);
  if (s.IsChecked(page, ids::TwinHan) != a.twinhan) s.Click(page, ids::TwinHan);
  CHECK(s.IsChecked(page, ids::Elecard) == a.elecard);
  CHECK(s.IsChecked(page, ids::TwinHan) == a.twinhan);
  if (a.typeDestination) s.Type(page, ids::Destination, a.destination);
  s.PickRow(page, ids::Devices, a.deviceRow);
  if (a.pictures) s.Picture(s.Frame(), "install-2-options");
  s.Click(s.Frame(), ids::Next);

  if (a.deviceRow != 0) {
    page = s.WaitForPage(ids::BufferSize);
    if (a.timeshift == Answers::InMemory) s.Click(page, ids::InMemory);
    if (a.timeshift == Answers::InFile) s.Click(page, ids::InFile);
    if (!a.bufferSize.empty()) s.Type(page, ids::BufferSize, a.bufferSize);
    if (a.pictures) s.Picture(s.Frame(), "install-3-timeshift");
    s.Click(s.Frame(), ids::Next);
  }
  page = s.WaitForPage(ids::Modules);
  if (a.pictures) s.Picture(s.Frame(), "install-4-modules");
  return page;
}

// Waits while the installation runs: for the finish page (returned) or for
// a message box (into *box).
HWND WaitForFinishOrMessage(SetupSession& s, HWND* box) {
  HWND page = nullptr;
  *box = nullptr;
  bool ended = WaitUntil(
      [&] {
        if ((*box = s.FindMessageBox()) != nullptr) return true;
        page = s.Page();
        return (page != nullptr && GetDlgItem(page, ids::RunBox) != nullptr) || s.HasEnded();
      },
      s.Settings().installationTimeoutMs);
  if (!ended) Fail(__FILE__, __LINE__, "the installation did not end");
  if (*box != nullptr) return nullptr;
  if (s.HasEnded()) Fail(__FILE__, __LINE__, "Setup ended during the installation");
  return s.WaitForPage(ids::RunBox);
}

namespace {

// How many positions Setup tells a bar of range positions: every one up to
// a thousand; beyond, those that move it by a thousandth, and the last.
LONG ShownPositions(LONG range) {
  if (range <= 1000) return range;
  LONG shown = 0, last = 0;
  for (LONG p = 1; p <= range; p++) {
    if (p < range && LONGLONG(p) * 1000 / range == LONGLONG(last) * 1000 / range) continue;
    shown++;
    last = p;
  }
  return shown;
}

// The bar runs from 0 to the archive's entries plus two (the shortcuts
// and the uninstall entry, the filters), one position at a time (a large
// bar in steps of a thousandth of its range), ever forwards.
void CheckProgressComplete(const ProgressRecord& r, LONG entries) {
  CHECK_EQ_INT(r.rangeMin, 0);
  CHECK_EQ_INT(r.rangeMax, entries + 2);
  CHECK_EQ_INT(r.positions, ShownPositions(entries + 2));
  CHECK_EQ_INT(r.lastPosition, entries + 2);
  CHECK_EQ_INT(r.outOfOrder, 0);
}

// Setup's own count of the bytes its decoder produced, read from its memory:
// the whole installation decodes each entry of the solid archive once.
void CheckDecodedBytes(SetupSession& s, const DriverSettings& settings) {
  HMODULE image = nullptr;
  DWORD needed = 0;
  unsigned long long decoded = 0;
  SIZE_T read = 0;
  CHECK(EnumProcessModules(s.Process(), &image, sizeof image, &needed) && image != nullptr);
  CHECK(ReadProcessMemory(s.Process(), reinterpret_cast<BYTE*>(image) + settings.decodedCountOffset,
                          &decoded, sizeof decoded, &read) &&
        read == sizeof decoded);
  std::printf("  decoded %llu bytes for a payload of %llu bytes (%.2fx)\n", decoded,
              settings.payloadBytes, double(decoded) / double(settings.payloadBytes));
  CHECK(decoded > 0 && decoded * 100 <= settings.payloadBytes * 105);
}

// How often the run wrote its uninstall log, and how many bytes: the cost
// of the log, which should not grow with the square of the entries.
void PrintLogCounts(SetupSession& s, const DriverSettings& settings) {
  HMODULE image = nullptr;
  DWORD needed = 0;
  unsigned long long counts[2] = {};
  const DWORD offsets[2] = {settings.logWriteCountOffset, settings.logByteCountOffset};
  CHECK(EnumProcessModules(s.Process(), &image, sizeof image, &needed) && image != nullptr);
  for (int i = 0; i < 2; i++) {
    SIZE_T read = 0;
    CHECK(ReadProcessMemory(s.Process(), reinterpret_cast<BYTE*>(image) + offsets[i], &counts[i],
                            sizeof counts[i], &read) &&
          read == sizeof counts[i]);
  }
  std::printf("  uninstall log: written %llu times, %llu bytes in all, for %ld entries\n",
              counts[0], counts[1], long(settings.EntryCount()));
}

// The most memory Setup held at once so far: what a product of large
// entries asks of the machine.
// Returns the larger of the two figures in MB (0 when not known).
double PrintPeakMemory(SetupSession& s) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(s.Process(), &counters, sizeof counters)) {
    std::printf("  peak memory: not known (%lu)\n", static_cast<unsigned long>(GetLastError()));
    return 0;
  }
  const double inUse = double(counters.PeakWorkingSetSize) / 1048576.0;
  const double committed = double(counters.PeakPagefileUsage) / 1048576.0;
  std::printf("  peak memory: %.1f MB in use, %.1f MB committed\n", inUse, committed);
  return inUse > committed ? inUse : committed;
}

// Where an installation's time went, from the ticks of its progress bar:
// the entries (position 1 to the last entry's), the shortcuts and the
// uninstall entry (one more), the filters (one more), and the settings and
// the finish page.
void PrintStretches(const ProgressRecord& r, LONG entries, DWORD end) {
  if (r.lastPosition != entries + 2 || entries + 2 >= ProgressTicks) return;
  // A position that moves the bar by less than one of its steps is never
  // painted, and so never seen: it counts as reached when the next seen
  // one was. Before the first entry: the range, set once the archive is
  // listed.
  std::vector<DWORD> at(size_t(entries) + 3, end);
  for (LONG i = entries + 2; i >= 1; i--)
    at[size_t(i)] = r.tickAt[i] != 0 ? r.tickAt[i] : (i == entries + 2 ? end : at[size_t(i) + 1]);
  at[0] = r.rangeTick;
  // The slowest stretch between two seen positions among the entries.
  LONG slowestFrom = 0, slowestTo = 1, from = 0;
  for (LONG i = 1; i <= entries; i++) {
    if (r.tickAt[i] == 0 && i != entries) continue;
    if (at[size_t(i)] - at[size_t(from)] > at[size_t(slowestTo)] - at[size_t(slowestFrom)]) {
      slowestFrom = from;
      slowestTo = i;
    }
    from = i;
  }
  std::printf(
      "  of which: %.2f s for the entries (the slowest stretch seen, entries %ld to %ld, %lu ms), "
      "%.2f s for the shortcuts and the uninstall entry, %.2f s for the filters, %.2f s for the "
      "settings and the finish page\n",
      (at[size_t(entries)] - at[0]) / 1000.0, long(slowestFrom + 1), long(slowestTo),
      static_cast<unsigned long>(at[size_t(slowestTo)] - at[size_t(slowestFrom)]),
      (at[size_t(entries) + 1] - at[size_t(entries)]) / 1000.0,
      (at[size_t(entries) + 2] - at[size_t(entries) + 1]) / 1000.0,
      (end - at[size_t(entries) + 2]) / 1000.0);
}

}  // namespace

// Runs the installation from the modules page to the finish page and checks
// what the finish page and the progress bar show.
HWND InstallToFinish(SetupSession& s, const DriverSettings& settings, const PageTexts& t,
                     const Answers& a) {
  // For the picture, Setup is held two thirds of the way, then held again
  // once its page has painted that position.
  const LONG entries = settings.EntryCount();
  if (entries == 0) Fail(__FILE__, __LINE__, "no list of the archive's entries (--entries)");
  const LONG pictureAt = entries * 2 / 3 > 0 ? entries * 2 / 3 : 1;
  ProgressWatch watch(s, settings, a.pictures ? pictureAt : 0);
  DWORD start = GetTickCount();
  DWORD held = 0;
  s.Click(s.Frame(), ids::Next);
  if (a.pictures) {
    watch.WaitHeld();
    DWORD holdStart = GetTickCount();
    s.ArmExtractionHold();
    watch.Release();
    s.WaitForHeldExtraction();
    s.Picture(s.Frame(), "install-5-extraction");
    s.ReleaseExtraction();
    held = GetTickCount() - holdStart;
  }
  HWND box = nullptr;
  HWND page = WaitForFinishOrMessage(s, &box);
  if (box != nullptr) {
    Fail(__FILE__, __LINE__, "a message box appeared: \"" + Narrow(s.MessageText(box)) + "\"");
  }
  DWORD end = GetTickCount();
  ProgressRecord r = watch.Read();
  CheckProgressComplete(r, entries);
  std::printf(
      "  installation: %.1f s from Next to the finish page, %.1f s from the range to the "
      "last position (%.1f s of it held for a picture)\n",
      (end - start - held) / 1000.0, (r.lastTick - r.rangeTick - held) / 1000.0, held / 1000.0);
  if (!a.pictures) PrintStretches(r, entries, end);
  if (settings.decodedCountOffset != 0) CheckDecodedBytes(s, settings);
  if (settings.logWriteCountOffset != 0 && settings.logByteCountOffset != 0)
    PrintLogCounts(s, settings);
  const double peak = PrintPeakMemory(s);
  if (a.mostMemoryMb > 0) CHECK(peak > 0 && peak <= a.mostMemoryMb);
  CHECK_TEXT(s.Text(page, ids::FinishText), t.finished);
  CHECK(s.IsChecked(page, ids::RunBox));
  CHECK_TEXT(s.Text(s.Frame(), ids::Cancel), L"OK");
  if (a.pictures) s.Picture(s.Frame(), "install-6-finish");
  return page;
}

// OK on the finish page with "Run Orbivue" ticked: the installed viewer
// starts from folder (no trailing backslash) and shows what it read.
void FinishAndCheckViewer(SetupSession& s, const DriverSettings& settings,
                          const std::wstring& folder, const std::vector<std::string>& shown,
                          bool picture) {
  s.Press(s.Frame(), ids::Cancel);  // captioned OK
  CheckEndsSilently(s);
  std::string note = ViewerStartedWith(folder, 20000);
  if (note.empty()) Fail(__FILE__, __LINE__, "the installed viewer did not start");
  std::string from = "Settings read from " + Narrow(folder) + "\\Orbivue.ini";
  if (note.compare(0, from.size(), from) != 0) {
    Fail(__FILE__, __LINE__, "the viewer read its settings elsewhere: " + note);
  }
  for (const std::string& line : shown) {
    if (note.find(line + "\r\n") == std::string::npos)
      Fail(__FILE__, __LINE__, "the viewer does not show \"" + line + "\": " + note);
  }
  HWND viewer = nullptr;
  if (!WaitUntil([&] { return (viewer = FindWindowW(L"OrbivueViewer", L"Orbivue viewer")); },
                 20000)) {
    Fail(__FILE__, __LINE__, "the viewer's window \"Orbivue viewer\" did not appear");
  }
  if (picture) PictureOf(settings, viewer, "install-7-viewer");
  PostMessageW(viewer, WM_CLOSE, 0, 0);
  CHECK(WaitUntil([&] { return !IsWindow(viewer); }));
}

void UntickRunBox(SetupSession& s, HWND finishPage) {
  s.Click(finishPage, ids::RunBox);
  CHECK(!s.IsChecked(finishPage, ids::RunBox));
}

// A message box that stops the installation: its text, then OK, after which
// Setup ends with no further message.
void CheckStopMessage(SetupSession& s, HWND box, const std::wstring& text, const char* picture) {
  CHECK_TEXT(s.MessageText(box), text);
  std::printf("  message box caption: \"%s\"\n", Narrow(WindowText(box)).c_str());
  s.Picture(box, picture);
  s.Press(box, ids::MessageOk);
  CHECK(WaitUntil([&] { return !IsWindow(box); }));
  CheckEndsSilently(s);
}

HWND InstallToMessage(SetupSession& s, const DriverSettings& settings, ProgressRecord* progress) {
  ProgressWatch watch(s, settings);
  s.Click(s.Frame(), ids::Next);
  HWND box = nullptr;
  WaitForFinishOrMessage(s, &box);
  if (box == nullptr) Fail(__FILE__, __LINE__, "the installation ended without a message");
  *progress = watch.Read();
  return box;
}

namespace {

// ---- The scenarios ----

// English, the proposed destination c:\Orbivue\, no filters, device row 2,
// timeshift left disabled, modules as proposed; the viewer started at the end.
void InstallDefault(const DriverSettings& settings, const PageTexts& t, bool) {
  ClearInstalledTraces();
  const bool madeBySetup = !PathExists(L"c:\\Orbivue");
  Answers a;
  a.typeDestination = false;
  a.pictures = true;
  SetupSession s(settings);
  WalkToModules(s, a);
  InstallToFinish(s, settings, t, a);
  FinishAndCheckViewer(
      s, settings, L"c:\\Orbivue",
      {"[Options] Language=English", "[Modules] CurDeviceFile=SatCardB.Device",
       "[Modules] CurDeviceID=0", "[Modules] StartDevice=1", "[SoftwareRender] BufferSize=10",
       "[SoftwareRender] InMemory=1", "[SoftwareRender] FileName=c:\\Orbivue\\timeshift.dat",
       "[DisabledModules] Beacon.Module=1"},
      true);
  if (madeBySetup) CheckGuardedFolder(L"c:\\Orbivue");
}

// A destination with blanks typed without its trailing backslash; no device,
// timeshift in a file of 500 MB.
void InstallWithoutBackslash(const DriverSettings& settings, const PageTexts& t, bool) {
  ClearInstalledTraces();
  Answers a;
  a.destination = L"C:\\e2e\\Orbivue Long Folder";
  a.deviceRow = 10;
  a.timeshift = Answers::InFile;
  a.bufferSize = L"500";
  SetupSession s(settings);
  WalkToModules(s, a);
  InstallToFinish(s, settings, t, a);
  FinishAndCheckViewer(s, settings, a.destination,
                       {"[Modules] CurDeviceFile=", "[Modules] StartDevice=0",
                        "[SoftwareRender] BufferSize=500", "[SoftwareRender] InMemory=0",
                        "[SoftwareRender] FileName=C:\\e2e\\Orbivue Long Folder\\timeshift.dat"},
                       false);
}

// Two installations into one folder: the second, with other answers, finds
// a changed file and a key of the viewer's own in Orbivue.ini.
void InstallOverFirst(const DriverSettings& settings, const PageTexts& t, bool) {
  ClearInstalledTraces();
  std::wstring folder = L"C:\\e2e\\twice";
  {
    Answers a;
    a.destination = folder + L"\\";
    SetupSession s(settings);
    WalkToModules(s, a);
    UntickRunBox(s, InstallToFinish(s, settings, t, a));
    s.Press(s.Frame(), ids::Cancel);
    CheckEndsSilently(s);
  }
  std::wstring ini = folder + L"\\Orbivue.ini";
  CHECK(WritePrivateProfileStringW(L"Window", L"Left", L"120", ini.c_str()));
  CHECK(WritePrivateProfileStringW(L"Modules", L"LastChannel", L"42", ini.c_str()));
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini.c_str());  // flush Wine's cache
  HANDLE changed = CreateFileW((folder + L"\\Channels\\sat000.ini").c_str(), GENERIC_WRITE, 0,
                               nullptr, CREATE_ALWAYS, 0, nullptr);
  CHECK(changed != INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(changed, "changed by the user", 19, &written, nullptr);
  CloseHandle(changed);

  Answers a;
  a.destination = folder + L"\\";
  a.deviceRow = 9;
  a.timeshift = Answers::InMemory;
  a.bufferSize = L"100";
  SetupSession s(settings);
  WalkToModules(s, a);
  InstallToFinish(s, settings, t, a);
  FinishAndCheckViewer(s, settings, folder,
                       {"[Modules] CurDeviceFile=RemoteFeed.Device",
                        "[SoftwareRender] BufferSize=100", "[SoftwareRender] InMemory=1"},
                       false);
}

// A read-only file where the fourth file of the archive goes. Wine maps the
// read-only attribute to the file's Unix permissions, which do not stop a
// test run as root; so the file is also held open without sharing, as a
// running program holds its files, which stops every writer.
void ReadOnlyFileInTheWay(const DriverSettings& settings, const PageTexts&, bool russian) {
  ClearInstalledTraces();
  std::wstring folder = L"C:\\e2e\\read-only";
  std::wstring blocked = folder + L"\\Channels\\sat014.ini";
  MakeFolders(folder + L"\\Channels");
  HANDLE file = CreateFileW(blocked.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_READONLY, nullptr);
  CHECK(file != INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, "left by someone else", 20, &written, nullptr);
  CloseHandle(file);
  CHECK(GetFileAttributesW(blocked.c_str()) & FILE_ATTRIBUTE_READONLY);
  HANDLE held = CreateFileW(blocked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  CHECK(held != INVALID_HANDLE_VALUE);
  struct Closer {
    HANDLE handle;
    ~Closer() { CloseHandle(handle); }
  } closer{held};

  Answers a;
  a.russian = russian;
  a.destination = folder + L"\\";
  SetupSession s(settings);
  WalkToModules(s, a);
  ProgressRecord progress = {};
  HWND box = InstallToMessage(s, settings, &progress);
  std::wstring text =
      russian ? L"Ошибка при создании файла или директории ." : L"Create file or directory error !";
  CheckStopMessage(s, box, text + L"\n\"" + blocked + L"\"", "install-read-only");
  // The entries before the blocked file went (the demo's nine folders and
  // three files, the uninstaller first); the bar moved for them only.
  const LONG before = IndexOfEntry(settings.entries, "Channels\\sat014.ini");
  if (before < 0) Fail(__FILE__, __LINE__, "the archive has no Channels\\sat014.ini");
  CHECK_EQ_INT(progress.lastPosition, before);
  CHECK_EQ_INT(progress.positions, before);
}

// An existing destination where run-install left a Unix symbolic link: a
// folder link in place of Docs (Wine shows it as a reparse point), or a
// file link in place of graphedt.exe (Wine shows it as the file it points
// at). Setup stops with the write error naming the link before it writes
// anything through it.
void InstallThroughLink(const DriverSettings& settings, const std::wstring& link) {
  ClearInstalledTraces();
  std::wstring folder = L"C:\\e2e\\linked";
  CHECK(PathExists(folder + L"\\" + link));
  Answers a;
  a.destination = folder + L"\\";
  SetupSession s(settings);
  WalkToModules(s, a);
  ProgressRecord progress = {};
  HWND box = InstallToMessage(s, settings, &progress);
  CheckStopMessage(s, box, L"Create file or directory error !\n\"" + folder + L"\\" + link + L"\"",
                   "install-through-link");
}

void InstallThroughFolderLink(const DriverSettings& settings, const PageTexts&, bool) {
  InstallThroughLink(settings, L"Docs");
}

void InstallThroughFileLink(const DriverSettings& settings, const PageTexts&, bool) {
  InstallThroughLink(settings, L"graphedt.exe");
}

// The settings for the damaged copy of Setup.exe that run-install put into
// folder beside the product's own.
static DriverSettings DamagedCopy(const DriverSettings& settings, const wchar_t* folder) {
  DriverSettings damaged = settings;
  damaged.setupDir = settings.setupDir + L"\\" + folder;
  if (!PathExists(damaged.setupDir + L"\\Setup.exe")) {
    Fail(__FILE__, __LINE__, "no damaged Setup.exe in " + Narrow(damaged.setupDir));
  }
  return damaged;
}

// Setup.exe with one byte of an entry's packed data flipped (made by
// tests/e2e/damage-setup into the "damaged" folder beside the driver).
void DamagedArchive(const DriverSettings& settings, const PageTexts&, bool russian) {
  ClearInstalledTraces();
  const DriverSettings damaged = DamagedCopy(settings, L"damaged");
  Answers a;
  a.russian = russian;
  a.destination = L"C:\\e2e\\damaged\\";
  SetupSession s(damaged);
  WalkToModules(s, a);
  ProgressRecord progress = {};
  HWND box = InstallToMessage(s, settings, &progress);
  CheckStopMessage(s, box,
                   russian ? L"Ошибка при распаковке файла. Возможно, инсталлятор повреждён."
                           : L"Extract file error !",
                   "install-damaged");
  CHECK(progress.lastPosition < settings.EntryCount());
  std::printf("  stopped after %ld entries\n", long(progress.lastPosition));
}

// The damaged copy of Setup.exe in folder beside the driver stops before
// anything is made, with the message that the installer is damaged.
void StoppedAsDamagedInstaller(const DriverSettings& settings, const wchar_t* folder,
                               const std::wstring& destination, bool russian, const char* picture) {
  ClearInstalledTraces();
  const DriverSettings damaged = DamagedCopy(settings, folder);
  Answers a;
  a.russian = russian;
  a.destination = destination;
  SetupSession s(damaged);
  WalkToModules(s, a);
  ProgressRecord progress = {};
  HWND box = InstallToMessage(s, settings, &progress);
  CheckStopMessage(
      s, box,
      russian ? L"Инсталлятор повреждён: его содержимое не совпадает с контрольной суммой, "
                L"записанной при сборке. Ничего не установлено. Получите инсталлятор заново."
              : L"The installer is damaged: its contents do not match the check value recorded "
                L"when it was built. Nothing has been installed. Please obtain the installer "
                L"again.",
      picture);
  CHECK(progress.lastPosition == 0);
}

// Setup.exe damaged after it was built (made by tests/e2e/damage-setup
// after-check into the "damaged-after-check" folder beside the driver): the
// archive's check catches it before anything is made; check-install finds
// nothing made.
void DamagedInstaller(const DriverSettings& settings, const PageTexts&, bool russian) {
  StoppedAsDamagedInstaller(settings, L"damaged-after-check", L"C:\\e2e\\damaged-installer\\",
                            russian, "install-damaged-installer");
}

// Setup.exe whose archive resource cannot be found (its type name damaged
// to "RARFILF" by run-install, in the "missing-archive" folder beside the
// driver): the same message, and nothing made.
void MissingArchive(const DriverSettings& settings, const PageTexts&, bool) {
  StoppedAsDamagedInstaller(settings, L"missing-archive", L"C:\\e2e\\missing-archive\\", false,
                            "install-missing-archive");
}

// Cancel between the 30th and the 31st entry.
void CancelBetweenEntries(const DriverSettings& settings, const PageTexts& t, bool russian) {
  ClearInstalledTraces();
  constexpr LONG CancelAt = 30;
  Answers a;
  a.russian = russian;
  a.destination = russian ? L"C:\\e2e\\cancel-ru\\" : L"C:\\e2e\\cancel-en\\";
  a.elecard = a.twinhan = true;
  SetupSession s(settings);
  WalkToModules(s, a);
  ProgressWatch watch(s, settings, CancelAt);
  s.Click(s.Frame(), ids::Next);
  watch.WaitHeld();
  s.Press(s.Frame(), ids::Cancel);  // handled when the run next pumps messages
  watch.Release();
  HWND box = s.WaitForMessageBox();
  CHECK_TEXT(s.MessageText(box), t.terminated);
  CHECK_TEXT(WindowText(box), L"Orbivue");
  s.Picture(box, "install-cancelled");
  s.Press(box, ids::MessageOk);
  CHECK_EQ_INT(s.WaitForExit(), 0);
  ProgressRecord r = watch.Read();
  CHECK_EQ_INT(r.lastPosition, CancelAt);
  CHECK_EQ_INT(r.positions, CancelAt);
}

// Russian, device row 0 (no timeshift page), both filter options: three
// regsvr32 runs, each filter registering its own class.
void InstallRussianWithFilters(const DriverSettings& settings, const PageTexts& t, bool) {
  ClearInstalledTraces();
  Answers a;
  a.russian = true;
  a.destination = L"C:\\e2e\\russian\\";
  a.deviceRow = 0;
  a.elecard = a.twinhan = true;
  SetupSession s(settings);
  WalkToModules(s, a);
  InstallToFinish(s, settings, t, a);
  FinishAndCheckViewer(s, settings, L"C:\\e2e\\russian",
                       {"[Options] Language=Russian", "[Modules] CurDeviceFile=SatCardA.Device",
                        "[Modules] CurDeviceID=0", "[SoftwareRender] FileName=c:\\timeshift.dat"},
                       false);

  // Each filter wrote its class with its installed path; the moments of the
  // writes give the order of the three regsvr32 runs.
  FILETIME written[3] = {};
  for (int i = 0; i < 3; i++) {
    std::wstring key = std::wstring(L"CLSID\\") + FilterClasses[i] + L"\\InprocServer32";
    HKEY handle = nullptr;
    if (!WaitUntil([&] {
          return RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) ==
                 ERROR_SUCCESS;
        })) {
      Fail(__FILE__, __LINE__, "no class key " + Narrow(key));
    }
    wchar_t path[MAX_PATH] = L"";
    DWORD size = sizeof path - sizeof path[0];
    RegQueryValueExW(handle, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size);
    RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, &written[i]);
    RegCloseKey(handle);
    CHECK_TEXT(path, std::wstring(L"C:\\e2e\\russian\\Filters\\") + FilterFiles[i]);
  }
  CHECK(CompareFileTime(&written[0], &written[1]) < 0);
  CHECK(CompareFileTime(&written[1], &written[2]) < 0);
}

// A generated product (tests/e2e/build-products, a Setup.exe of its own)
// into a destination of its own, with the default installation's answers
// and the viewer left unstarted; check-install compares what it made and
// removes it again with the uninstaller.
void InstallProduct(const DriverSettings& settings, const PageTexts& t,
                    const std::wstring& destination, double mostMemoryMb = 0) {
  ClearInstalledTraces();
  Answers a;
  a.destination = destination;
  a.mostMemoryMb = mostMemoryMb;
  SetupSession s(settings);
  WalkToModules(s, a);
  UntickRunBox(s, InstallToFinish(s, settings, t, a));
  s.Press(s.Frame(), ids::Cancel);  // captioned OK
  CheckEndsSilently(s);
}

// Folders nested four levels deep, folder entries in any order, files
// whose folders have no entry.
void InstallNestedProduct(const DriverSettings& settings, const PageTexts& t, bool) {
  InstallProduct(settings, t, L"C:\\e2e\\nested\\");
}

// A few thousand files, into a folder with a blank in its name.
void InstallManyFiles(const DriverSettings& settings, const PageTexts& t, bool) {
  InstallProduct(settings, t, L"C:\\e2e\\many files\\");
}

// One entry of 3.5 GB: written as it is decoded, in memory that does not
// grow with it.
void InstallLargeEntry(const DriverSettings& settings, const PageTexts& t, bool) {
  InstallProduct(settings, t, L"C:\\e2e\\large\\", 64);
}

// Into the folder run-uninstall names in E2E_DESTINATION, typed as it
// stands: folders the user had, names of other code pages.
void InstallToNamed(const DriverSettings& settings, const PageTexts& t, bool) {
  wchar_t destination[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"E2E_DESTINATION", destination, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) Fail(__FILE__, __LINE__, "no destination in E2E_DESTINATION");
  InstallProduct(settings, t, destination);
}

// Any product into C:\e2e\product\: the benchmark's installation.
void InstallAnyProduct(const DriverSettings& settings, const PageTexts& t, bool) {
  InstallProduct(settings, t, L"C:\\e2e\\product\\");
}

}  // namespace

const std::vector<Scenario>& InstallScenarios(bool russian) {
  static const std::vector<Scenario> english = {
      {"install-killed-before-entries", KilledBeforeTheEntries},
      {"install-killed-between-entries", KilledBetweenEntries},
      {"install-killed-during-an-entry", KilledDuringAnEntry},
      {"install-killed-during-shortcuts", KilledDuringTheShortcuts},
      {"install-killed-among-links", KilledAmongTheLinks},
      {"install-default", InstallDefault},
      {"install-without-backslash", InstallWithoutBackslash},
      {"install-over-first", InstallOverFirst},
      {"install-read-only-in-the-way", ReadOnlyFileInTheWay},
      {"install-through-folder-link", InstallThroughFolderLink},
      {"install-through-file-link", InstallThroughFileLink},
      {"install-damaged-archive", DamagedArchive},
      {"install-damaged-installer", DamagedInstaller},
      {"install-missing-archive", MissingArchive},
      {"install-cancel", CancelBetweenEntries},
      {"install-full-disk", InstallOnAFullDisk},
      {"install-two-at-once", TwoSetupsAtOnce},
      {"install-program-files", InstallIntoProgramFiles},
      {"install-nested-product", InstallNestedProduct},
      {"install-many-files", InstallManyFiles},
      {"install-large-entry", InstallLargeEntry},
      {"install-product", InstallAnyProduct},
      {"install-beside-planted-dlls", InstallBesidePlantedDlls},
      {"install-while-raced", InstallWhileRaced},
      {"install-to-named", InstallToNamed},
      {"install-lifecycle", InstallLifecycle},
      {"install-unattended", InstallUnattended},
      {"install-shortcuts-full-disk", ShortcutsOnAFullDisk},
  };
  static const std::vector<Scenario> russianOnes = {
      {"install-russian-filters", InstallRussianWithFilters},
      {"install-cancel", CancelBetweenEntries},
      {"install-damaged-archive", DamagedArchive},
      {"install-damaged-installer", DamagedInstaller},
      {"install-lifecycle", InstallLifecycle},
      {"install-unattended", InstallUnattended},
  };
  return russian ? russianOnes : english;
}
