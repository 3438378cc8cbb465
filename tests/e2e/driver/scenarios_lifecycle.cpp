// Setup over an installation, or beside one, as tests/e2e/run-lifecycle
// lays them out: the answers and how the run ends come from the
// environment, so that one scenario serves every case.
//   E2E_DESTINATION  the destination, typed as it stands
//   E2E_FILTERS      both, elecard, twinhan or none (the default)
//   E2E_UNTICK       rows of the modules list whose box is clicked, with commas
//   E2E_DEVICE       the device row (default 2)
//   E2E_TIMESHIFT    memory:MB or file:MB (the proposed file)
//   E2E_STOP         finish (default): to the finish page, the viewer left
//                    unstarted;
//                    cancel-at:N: Cancel while Setup is held after entry
//                    N (after the last one the run completes);
//                    held:PATH: PATH is held open without sharing, as a
//                    running program holds its file: the write error;
//                    kill-after:MS,MS,...: Setup killed that many
//                    milliseconds after Next, once per number, each run
//                    over what the one before left.
// After every stop, everything on disk is in the log.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "check.h"
#include "progress_watch.h"
#include "scenarios_install.h"

namespace {

Answers LifecycleAnswers(bool russian) {
  Answers a;
  a.russian = russian;
  a.destination = Environment(L"E2E_DESTINATION");
  if (a.destination.empty()) Fail(__FILE__, __LINE__, "no destination in E2E_DESTINATION");
  const std::wstring filters = Environment(L"E2E_FILTERS");
  a.elecard = filters == L"both" || filters == L"elecard";
  a.twinhan = filters == L"both" || filters == L"twinhan";
  const std::wstring device = Environment(L"E2E_DEVICE");
  if (!device.empty()) a.deviceRow = _wtoi(device.c_str());
  const std::wstring timeshift = Environment(L"E2E_TIMESHIFT");
  const size_t colon = timeshift.find(L':');
  if (colon != std::wstring::npos) {
    a.timeshift = timeshift.compare(0, colon, L"memory") == 0 ? Answers::InMemory : Answers::InFile;
    a.bufferSize = timeshift.substr(colon + 1);
  }
  return a;
}

// To the modules page with the answers, the module row unticked.
void Walk(SetupSession& s, const Answers& a) {
  HWND page = WalkToModules(s, a);
  const std::wstring untick = Environment(L"E2E_UNTICK");
  for (size_t i = 0; i < untick.size();
       i = untick.find(L',', i) == std::wstring::npos ? untick.size() : untick.find(L',', i) + 1)
    s.ClickListViewBox(page, ids::Modules, _wtoi(untick.c_str() + i));
}

std::wstring Folder(const Answers& a) {
  std::wstring folder = a.destination;
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

void Finish(SetupSession& s, const DriverSettings& settings, const PageTexts& t, const Answers& a) {
  UntickRunBox(s, InstallToFinish(s, settings, t, a));
  s.Press(s.Frame(), ids::Cancel);  // captioned OK
  CheckEndsSilently(s);
}

void CancelAt(SetupSession& s, const DriverSettings& settings, const PageTexts& t, LONG at) {
  ProgressWatch watch(s, settings, at);
  s.Click(s.Frame(), ids::Next);
  watch.WaitHeld();
  s.Press(s.Frame(), ids::Cancel);  // handled when the run next pumps messages
  watch.Release();
  HWND box = nullptr;
  HWND page = WaitForFinishOrMessage(s, &box);
  if (at < settings.EntryCount()) {
    if (box == nullptr) Fail(__FILE__, __LINE__, "no message after Cancel");
    CHECK_TEXT(s.MessageText(box), t.terminated);
    s.Press(box, ids::MessageOk);
    CHECK_EQ_INT(s.WaitForExit(), 0);
    std::printf("  cancelled after entry %ld: \"%s\"\n", long(at), Narrow(t.terminated).c_str());
    return;
  }
  // Pressed after the last entry: too late to leave anything out.
  if (page == nullptr) Fail(__FILE__, __LINE__, "Cancel after the last entry stopped the run");
  CHECK_TEXT(s.Text(page, ids::FinishText), t.finished);
  UntickRunBox(s, page);
  s.Press(s.Frame(), ids::Cancel);
  CheckEndsSilently(s);
  std::printf("  Cancel after the last entry (%ld): the run completed\n", long(at));
}

void StoppedByAHeldFile(SetupSession& s, const DriverSettings& settings, const std::wstring& path) {
  HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  CHECK(held != INVALID_HANDLE_VALUE);
  ProgressRecord progress = {};
  HWND box = InstallToMessage(s, settings, &progress);
  CheckStopMessage(s, box, L"Create file or directory error !\n\"" + path + L"\"",
                   "lifecycle-held-file");
  CloseHandle(held);
  std::printf("  stopped at %s after %ld entries\n", Narrow(path).c_str(),
              long(progress.lastPosition));
}

}  // namespace

void InstallLifecycle(const DriverSettings& settings, const PageTexts& t, bool russian) {
  const Answers a = LifecycleAnswers(russian);
  const std::wstring stop = Environment(L"E2E_STOP");
  const std::wstring cancelAt = L"cancel-at:", held = L"held:", killAfter = L"kill-after:";
  if (stop.compare(0, killAfter.size(), killAfter) == 0) {
    for (const wchar_t* p = stop.c_str() + killAfter.size(); *p != L'\0';) {
      wchar_t* end = nullptr;
      const DWORD ms = DWORD(wcstoul(p, &end, 10));
      if (end == p) Fail(__FILE__, __LINE__, "E2E_STOP lists no number: " + Narrow(stop));
      p = *end == L',' ? end + 1 : end;
      SetupSession s(settings);
      Walk(s, a);
      s.Click(s.Frame(), ids::Next);
      Sleep(ms);
      KillSetup(s);
      CheckEverythingLogged(Folder(a), "killed " + std::to_string(ms) + " ms after Next");
    }
    return;
  }
  SetupSession s(settings);
  Walk(s, a);
  if (stop.compare(0, cancelAt.size(), cancelAt) == 0) {
    CancelAt(s, settings, t, LONG(_wtoi(stop.c_str() + cancelAt.size())));
  } else if (stop.compare(0, held.size(), held) == 0) {
    StoppedByAHeldFile(s, settings, stop.substr(held.size()));
  } else {
    Finish(s, settings, t, a);
    return;
  }
  CheckEverythingLogged(Folder(a), "stopped by " + Narrow(stop));
}

std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH * 4];
  const DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH * 4);
  return n == 0 || n >= MAX_PATH * 4 ? std::wstring() : std::wstring(value);
}
