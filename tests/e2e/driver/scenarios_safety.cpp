// Installations in unlucky places: a drive that fills up (E:, a small
// tmpfs that run-install maps), a second Setup started while one installs,
// and a destination in "C:\Program Files\" with a C:\Program.exe in front
// of it. check-install looks at the disk and the registry afterwards.
#include <windows.h>

#include <cstdio>
#include <string>

#include "check.h"
#include "disk.h"
#include "progress_watch.h"
#include "scenarios_install.h"

namespace {

// Where the full-disk scenario leaves the path its write error named, for
// check-install.
const wchar_t NamedFileNote[] = L"C:\\e2e\\full-disk-named.txt";

void WriteNote(const wchar_t* path, const std::string& text) {
  HANDLE note = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CHECK(note != INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(note, text.data(), DWORD(text.size()), &written, nullptr);
  CloseHandle(note);
  CHECK(written == text.size());
}

}  // namespace

// The run stops with the write error of the file the disk cut short, and
// the finish page never shows.
void InstallOnAFullDisk(const DriverSettings& settings, const PageTexts&, bool) {
  ClearInstalledTraces();
  MakeFolders(L"C:\\e2e");
  DeleteFileW(NamedFileNote);
  ULARGE_INTEGER free = {}, total = {};
  if (!GetDiskFreeSpaceExW(L"E:\\", &free, &total, nullptr)) {
    Fail(__FILE__, __LINE__, "no drive E: (run-install maps a small one)");
  }
  std::printf("  drive E: holds %llu bytes, %llu of them free\n", total.QuadPart, free.QuadPart);
  Answers a;
  a.destination = L"E:\\Orbivue\\";
  SetupSession s(settings);
  WalkToModules(s, a);
  ProgressRecord progress = {};
  HWND box = InstallToMessage(s, settings, &progress);
  const std::wstring text = s.MessageText(box);
  const std::wstring head = L"Create file or directory error !\n\"E:\\Orbivue\\";
  if (text.compare(0, head.size(), head) != 0 || text.back() != L'"') {
    Fail(__FILE__, __LINE__, "not a write error in E:\\Orbivue\\: \"" + Narrow(text) + "\"");
  }
  const size_t quote = text.find(L'"');
  const std::wstring named = text.substr(quote + 1, text.size() - quote - 2);
  std::printf("  stopped after %ld entries with the write error for %s\n",
              long(progress.lastPosition), Narrow(named).c_str());
  WriteNote(NamedFileNote, Narrow(named));
  CheckStopMessage(s, box, text, "install-full-disk");
}

// A second Setup started while the first installs ends at once with exit
// code 0, writing nothing; the first goes on to its finish page.
void TwoSetupsAtOnce(const DriverSettings& settings, const PageTexts& t, bool) {
  ClearInstalledTraces();
  constexpr LONG SecondAt = 60;
  Answers a;
  a.destination = L"C:\\e2e\\two-at-once\\";
  SetupSession first(settings);
  WalkToModules(first, a);
  ProgressWatch watch(first, settings, SecondAt);
  first.Click(first.Frame(), ids::Next);
  watch.WaitHeld();

  const std::wstring program = settings.setupDir + L"\\Setup.exe";
  std::wstring commandLine = L"\"" + program + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION second = {};
  if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      settings.setupDir.c_str(), &startup, &second)) {
    Fail(__FILE__, __LINE__, "cannot start a second Setup");
  }
  const DWORD start = GetTickCount();
  const DWORD waited = WaitForSingleObject(second.hProcess, 20000);
  DWORD code = 99;
  GetExitCodeProcess(second.hProcess, &code);
  if (waited != WAIT_OBJECT_0) TerminateProcess(second.hProcess, 99);
  CloseHandle(second.hThread);
  CloseHandle(second.hProcess);
  if (waited != WAIT_OBJECT_0) Fail(__FILE__, __LINE__, "the second Setup did not end");
  std::printf("  the second Setup ended after %.1f s with exit code %lu\n",
              (GetTickCount() - start) / 1000.0, static_cast<unsigned long>(code));
  CHECK_EQ_INT(code, 0);
  const bool inFront = GetForegroundWindow() == first.Frame();
  std::printf("  the first Setup's frame is %sthe foreground window\n", inFront ? "" : "not ");
  CHECK(inFront);

  watch.Release();
  HWND box = nullptr;
  HWND page = WaitForFinishOrMessage(first, &box);
  if (box != nullptr) {
    Fail(__FILE__, __LINE__, "a message box appeared: \"" + Narrow(first.MessageText(box)) + "\"");
  }
  CHECK_TEXT(first.Text(page, ids::FinishText), t.finished);
  UntickRunBox(first, page);
  first.Press(first.Frame(), ids::Cancel);  // captioned OK
  CheckEndsSilently(first);
}

// "Run Orbivue" starts the viewer in C:\Program Files\Orbivue\, and never
// the C:\Program.exe put in front of it (which notes any start of its own).
void InstallIntoProgramFiles(const DriverSettings& settings, const PageTexts& t, bool) {
  ClearInstalledTraces();
  const wchar_t standIn[] = L"C:\\Program.exe";
  const wchar_t marker[] = L"C:\\Program-started.txt";
  if (!CopyFileW((settings.programDir + L"\\e2e_marker.exe").c_str(), standIn, FALSE)) {
    Fail(__FILE__, __LINE__, "cannot put the stand-in C:\\Program.exe in place");
  }
  DeleteFileW(marker);
  PrepareDestination(L"C:\\Program Files\\Orbivue");
  Answers a;
  a.destination = L"C:\\Program Files\\Orbivue\\";
  SetupSession s(settings);
  WalkToModules(s, a);
  InstallToFinish(s, settings, t, a);
  FinishAndCheckViewer(s, settings, L"C:\\Program Files\\Orbivue",
                       {"[Options] Language=English",
                        "[SoftwareRender] FileName=C:\\Program Files\\Orbivue\\timeshift.dat"},
                       false);
  if (PathExists(marker)) Fail(__FILE__, __LINE__, "C:\\Program.exe was started");
}
