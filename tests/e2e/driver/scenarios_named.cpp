// An installation into the folder that tests/e2e/run-uninstall names in
// E2E_DESTINATION, typed as it stands, with the default answers otherwise:
// folders the user had, names of other code pages.
#include <windows.h>

#include "check.h"
#include "scenarios_install.h"
#include "setup_session.h"

void InstallToNamed(const DriverSettings& settings, const PageTexts& t, bool) {
  wchar_t destination[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"E2E_DESTINATION", destination, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) Fail(__FILE__, __LINE__, "no destination in E2E_DESTINATION");
  ClearInstalledTraces();
  Answers a;
  a.destination = destination;
  SetupSession s(settings);
  WalkToModules(s, a);
  UntickRunBox(s, InstallToFinish(s, settings, t, a));
  s.Press(s.Frame(), ids::Cancel);  // captioned OK
  CheckEndsSilently(s);
}
