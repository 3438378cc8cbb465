// Setup started with arguments, as tests/e2e/run-unattended asks:
//   E2E_ARGUMENTS  the command line after the program's name
//   E2E_EXIT       the exit code expected
//   E2E_SHOWS      none (default): no window at all while it runs;
//                  passive: the extraction page alone, no finish page;
//                  message: a message box, answered with OK
//   E2E_CANCEL_AT  with passive: Cancel while Setup is held after that entry
//   E2E_SECOND     1: a wizard's Setup runs already (held at its first page)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "check.h"
#include "progress_watch.h"
#include "scenarios_install.h"

namespace {

struct WindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK LookAtWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  search->found = window;
  return FALSE;
}

// A visible top-level window of the process, or null.
HWND VisibleWindowOf(DWORD processId) {
  WindowSearch search = {processId, nullptr};
  EnumWindows(LookAtWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

void InstallUnattended(const DriverSettings& settings, const PageTexts&, bool) {
  const std::wstring arguments = Environment(L"E2E_ARGUMENTS");
  const std::wstring shows = Environment(L"E2E_SHOWS");
  const DWORD expected = DWORD(_wtoi(Environment(L"E2E_EXIT").c_str()));
  std::unique_ptr<SetupSession> first;
  if (Environment(L"E2E_SECOND") == L"1") first.reset(new SetupSession(settings));

  if (shows == L"passive") {
    SetupSession s(settings, arguments);
    const LONG cancelAt = _wtoi(Environment(L"E2E_CANCEL_AT").c_str());
    ProgressWatch watch(s, settings, cancelAt);
    // The first page on screen is the extraction page, without Back or Next.
    HWND page = s.WaitForPage(ids::Progress, 20000);
    CHECK(!IsWindowVisible(GetDlgItem(s.Frame(), ids::Next)));
    CHECK(!IsWindowVisible(GetDlgItem(s.Frame(), ids::Back)));
    (void)page;
    if (cancelAt > 0) {
      watch.WaitHeld();
      s.Press(s.Frame(), ids::Cancel);
      watch.Release();
    }
    // Never a question, a message or the finish page.
    CHECK(WaitUntil(
        [&] {
          if (s.FindMessageBox() != nullptr) Fail(__FILE__, __LINE__, "a message box appeared");
          HWND now = s.Page();
          if (now != nullptr && GetDlgItem(now, ids::RunBox) != nullptr)
            Fail(__FILE__, __LINE__, "the finish page appeared");
          return s.HasEnded();
        },
        settings.installationTimeoutMs));
    const DWORD code = s.WaitForExit();
    std::printf("  /PASSIVE %s: exit code %lu\n", Narrow(arguments).c_str(),
                static_cast<unsigned long>(code));
    CHECK_EQ_INT(long(code), long(expected));
    return;
  }

  SetupSession s(settings, arguments, false);
  if (shows == L"message") {
    HWND box = s.WaitForMessageBox();
    std::printf("  message: %s\n", Narrow(s.MessageText(box)).c_str());
    s.Press(box, ids::MessageOk);
  } else {
    // Looked for every few milliseconds from the start to the end.
    int looks = 0;
    while (!s.HasEnded()) {
      if (HWND window = VisibleWindowOf(GetProcessId(s.Process())))
        Fail(__FILE__, __LINE__,
             "a window appeared during a silent run: " + Narrow(WindowText(window)));
      looks++;
      Sleep(5);
    }
    std::printf("  no window in %d looks\n", looks);
  }
  const DWORD code = s.WaitForExit();
  std::printf("  %s: exit code %lu\n", Narrow(arguments).c_str(), static_cast<unsigned long>(code));
  CHECK_EQ_INT(long(code), long(expected));
}
