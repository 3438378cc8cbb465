// Setup over the installation in c:\Orbivue\ while tests/e2e/run-uninstall
// exchanges one of the product's names with a link, over and over. The run
// either completes or stops with the write error; the outcome is printed
// for the script, which checks that nothing outside the product changed.
#include <cstdio>

#include "check.h"
#include "scenarios_install.h"
#include "setup_session.h"

void InstallWhileRaced(const DriverSettings& settings, const PageTexts&, bool) {
  Answers a;
  a.typeDestination = false;
  SetupSession s(settings);
  WalkToModules(s, a);
  s.Click(s.Frame(), ids::Next);
  HWND box = nullptr;
  HWND page = WaitForFinishOrMessage(s, &box);
  if (box != nullptr) {
    std::printf("raced: stopped: %s\n", Narrow(s.MessageText(box)).c_str());
    s.Press(box, ids::MessageOk);
    CHECK(WaitUntil([&] { return !IsWindow(box); }));
  } else {
    std::printf("raced: completed\n");
    UntickRunBox(s, page);
    s.Press(s.Frame(), ids::Cancel);  // captioned OK
  }
  CheckEndsSilently(s);
}
