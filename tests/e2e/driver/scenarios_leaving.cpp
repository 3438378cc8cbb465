// Leaving the wizard: Cancel, the close box, OK on the finish page, and
// Cancel while the installation runs.
#include "check.h"
#include "disk.h"
#include "scenarios.h"

void CancelOnLanguagePage(const DriverSettings& settings, const PageTexts&, bool) {
  DiskSnapshot before = SnapshotOf(L"C:");
  {
    SetupSession s(settings);
    s.WaitForPage(ids::Russian);
    s.Press(s.Frame(), ids::Cancel);
    CheckEndsSilently(s);
  }
  CHECK(!PathExists(L"C:\\Orbivue"));
  std::string changes = DifferencesBetween(before, SnapshotOf(L"C:"));
  if (!changes.empty()) Fail(__FILE__, __LINE__, "the disk changed:" + changes);
}

void FinishWithBoxCleared(const DriverSettings& settings, const PageTexts&, bool russian) {
  std::wstring destination = L"C:\\e2e\\box-cleared";
  PrepareDestination(destination);
  SetupSession s(settings);
  HWND page = NextToFinish(s, NextToOptions(s, russian), destination);
  s.Click(page, ids::RunBox);
  CHECK(!s.IsChecked(page, ids::RunBox));
  s.Press(s.Frame(), ids::Cancel);  // captioned OK
  CheckEndsSilently(s);
  CHECK(ViewerStartedWith(destination, 3000).empty());
}

void FinishWithCloseBox(const DriverSettings& settings, const PageTexts&, bool russian) {
  std::wstring destination = L"C:\\e2e\\close-box";
  PrepareDestination(destination);
  SetupSession s(settings);
  HWND page = NextToFinish(s, NextToOptions(s, russian), destination);
  CHECK(s.IsChecked(page, ids::RunBox));
  s.PressCloseBox();
  CheckEndsSilently(s);
  CHECK(ViewerStartedWith(destination, 3000).empty());
}

void CancelDuringExtraction(const DriverSettings& settings, const PageTexts& t, bool russian) {
  std::wstring destination = russian ? L"C:\\e2e\\cancelled-ru" : L"C:\\e2e\\cancelled-en";
  PrepareDestination(destination);
  SetupSession s(settings);
  HWND page = NextToOptions(s, russian);
  s.Type(page, ids::Destination, destination + L"\\");
  s.Click(s.Frame(), ids::Next);
  s.WaitForPage(ids::Modules);
  s.ArmExtractionHold();
  s.Click(s.Frame(), ids::Next);
  s.WaitForHeldExtraction();
  s.Press(s.Frame(), ids::Cancel);  // handled when the run next pumps messages
  s.ReleaseExtraction();

  HWND box = s.WaitForMessageBox();
  CHECK_TEXT(s.MessageText(box), t.terminated);
  CHECK_TEXT(WindowText(box), L"Orbivue");
  CHECK(IsWindowVisible(s.Frame()));  // the wizard is still on screen under the message
  s.Picture(box, "7-cancelled");
  s.Press(box, ids::MessageOk);
  CHECK_EQ_INT(s.WaitForExit(), 0);
  CHECK(ViewerStartedWith(destination, 3000).empty());
}
