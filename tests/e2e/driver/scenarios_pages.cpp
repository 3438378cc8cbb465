// Walking the wizard's pages: what each shows on arrival and how its
// controls answer.
#include <cstdint>
#include <cstdio>

#include "check.h"
#include "disk.h"
#include "scenarios.h"

namespace {

void CheckFrameButtons(SetupSession& s, const PageTexts& t, bool backShown, bool nextShown) {
  HWND frame = s.Frame();
  CHECK_TEXT(s.Text(frame, ids::Next), t.next);
  CHECK_TEXT(s.Text(frame, ids::Back), t.back);
  CHECK_TEXT(s.Text(frame, ids::Cancel), t.cancel);
  CHECK(s.IsVisible(frame, ids::Back) == backShown);
  CHECK(s.IsVisible(frame, ids::Next) == nextShown);
  CHECK(s.IsVisible(frame, ids::Cancel));
}

// The half of physical memory that Wine reports to a 32-bit program.
int MemoryLimitMegabytes() {
  MEMORYSTATUS status = {};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  // Held to 32 bits as Setup holds it, should either be built for 64.
  const uint64_t total = status.dwTotalPhys;
  return int(((total > UINT32_MAX ? UINT32_MAX : total) >> 20) / 2);
}

// Texts of a page's static controls, read without asking Setup (it may be held).
std::wstring StaticTexts(HWND page) {
  std::wstring texts;
  for (HWND child = GetWindow(page, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t text[256] = L"";
    InternalGetWindowText(child, text, 256);
    texts += std::wstring(text) + L"|";
  }
  return texts;
}

void CheckTimeshiftInitial(SetupSession& s, HWND page, const std::wstring& proposal) {
  CHECK(s.IsChecked(page, ids::Disable));
  CHECK(!s.IsChecked(page, ids::InMemory));
  CHECK(!s.IsChecked(page, ids::InFile));
  CHECK_TEXT(s.Text(page, ids::BufferSize), L"2000");
  CHECK_TEXT(s.Text(page, ids::TimeshiftFile), proposal);
  CHECK(!s.IsEnabled(page, ids::BufferSize));
  CHECK(!s.IsEnabled(page, ids::TimeshiftFile));
}

void CheckTimeshiftRadios(SetupSession& s, HWND page) {
  s.Click(page, ids::InFile);
  CHECK(s.IsEnabled(page, ids::BufferSize));
  CHECK(s.IsEnabled(page, ids::TimeshiftFile));
  s.Click(page, ids::Disable);
  CHECK(!s.IsEnabled(page, ids::BufferSize));
  CHECK(!s.IsEnabled(page, ids::TimeshiftFile));

  int limit = MemoryLimitMegabytes();
  std::printf("  physical memory as Wine reports it: %d MB, so the limit is %d MB\n", limit * 2,
              limit);
  s.Click(page, ids::InMemory);
  CHECK(s.IsEnabled(page, ids::BufferSize));
  CHECK(!s.IsEnabled(page, ids::TimeshiftFile));
  CHECK_TEXT(s.Text(page, ids::BufferSize), std::to_wstring(2000 > limit ? limit : 2000));

  s.Click(page, ids::InFile);
  s.Type(page, ids::BufferSize, L"99999");
  s.Click(page, ids::InMemory);
  CHECK_TEXT(s.Text(page, ids::BufferSize), std::to_wstring(limit));

  s.Click(page, ids::InFile);
  s.Type(page, ids::BufferSize, L"100");
  s.Click(page, ids::InMemory);
  CHECK_TEXT(s.Text(page, ids::BufferSize), L"100");
}

}  // namespace

void StartShowsEnglish(const DriverSettings& settings, const PageTexts& t, bool) {
  SetupSession s(settings);
  HWND page = s.WaitForPage(ids::Russian);
  CHECK_TEXT(WindowText(s.Frame()), L"Installation Orbivue ");
  CHECK(s.IsChecked(page, ids::English));
  CHECK(!s.IsChecked(page, ids::Russian));
  CheckFrameButtons(s, t, false, true);
  s.Click(page, ids::English);
  CheckFrameButtons(s, t, false, true);
  s.Click(s.Frame(), ids::Next);
  page = s.WaitForPage(ids::Devices);
  CheckList(s.ListRows(page, ids::Devices), t.devices, "the device list");
  s.Press(s.Frame(), ids::Cancel);
  CheckEndsSilently(s);
}

void LanguageSwitchesCaptions(const DriverSettings& settings, const PageTexts& t, bool) {
  const PageTexts& english = EnglishTexts();
  SetupSession s(settings);
  HWND page = s.WaitForPage(ids::Russian);
  CHECK(s.IsChecked(page, ids::English));
  CheckFrameButtons(s, english, false, true);
  s.Click(page, ids::Russian);  // the captions change at once, before Next
  CHECK(s.IsChecked(page, ids::Russian));
  CHECK(!s.IsChecked(page, ids::English));
  CheckFrameButtons(s, t, false, true);
  s.Click(page, ids::English);
  CheckFrameButtons(s, english, false, true);
  s.Click(page, ids::Russian);
  CheckFrameButtons(s, t, false, true);
  s.Click(s.Frame(), ids::Next);
  page = s.WaitForPage(ids::Devices);
  CheckList(s.ListRows(page, ids::Devices), t.devices, "the device list");
  CHECK_EQ_INT(s.SelectedRow(page, ids::Devices), 0);
  // Back shows the language page with the stored choice.
  s.Click(s.Frame(), ids::Back);
  page = s.WaitForPage(ids::Russian);
  CHECK(s.IsChecked(page, ids::Russian));
  CheckFrameButtons(s, t, false, true);
  s.Press(s.Frame(), ids::Cancel);
  CheckEndsSilently(s);
}

void WalkEveryPage(const DriverSettings& settings, const PageTexts& t, bool russian) {
  std::wstring destination = russian ? L"C:\\e2e\\walk-ru" : L"C:\\e2e\\walk-en";
  PrepareDestination(destination);
  SetupSession s(settings);

  HWND page = s.WaitForPage(ids::Russian);
  if (russian) s.Click(page, ids::Russian);
  s.Picture(s.Frame(), "1-language");
  s.Click(s.Frame(), ids::Next);

  page = s.WaitForPage(ids::Devices);
  CheckFrameButtons(s, t, true, true);
  CHECK_TEXT(s.Text(page, ids::Elecard), t.elecard);
  CHECK_TEXT(s.Text(page, ids::TwinHan), t.twinhan);
  CHECK(s.IsChecked(page, ids::Elecard));
  CHECK(s.IsChecked(page, ids::TwinHan));
  CheckList(s.ListRows(page, ids::Devices), t.devices, "the device list");
  CHECK_EQ_INT(s.SelectedRow(page, ids::Devices), 0);
  CHECK_TEXT(s.Text(page, ids::Destination), L"c:\\Orbivue\\");
  s.Picture(s.Frame(), "2-options");
  s.Type(page, ids::Destination, destination + L"\\");
  s.PickRow(page, ids::Devices, 3);
  s.Click(s.Frame(), ids::Next);

  page = s.WaitForPage(ids::BufferSize);
  CheckFrameButtons(s, t, true, true);
  CHECK_TEXT(s.Text(page, ids::Disable), t.disable);
  CHECK_TEXT(s.Text(page, ids::InMemory), t.inMemory);
  CHECK_TEXT(s.Text(page, ids::InFile), t.inFile);
  std::wstring proposal = destination + L"\\timeshift.dat";
  CheckTimeshiftInitial(s, page, proposal);
  s.Picture(s.Frame(), "3-timeshift");
  CheckTimeshiftRadios(s, page);
  s.Click(s.Frame(), ids::Next);

  page = s.WaitForPage(ids::Modules);
  CheckFrameButtons(s, t, true, true);
  CheckList(s.ListViewTexts(page, ids::Modules), t.modules, "the module list");
  CheckTicks(s.ListViewTicks(page, ids::Modules), {true, true, false, false, true});
  s.Picture(s.Frame(), "4-modules");
  s.ClickListViewBox(page, ids::Modules, 1);
  s.ClickListViewBox(page, ids::Modules, 2);
  CheckTicks(s.ListViewTicks(page, ids::Modules), {true, false, true, false, true});

  // Back returns to the timeshift page (row 3), which starts afresh; so does
  // the modules page on the next visit.
  s.Click(s.Frame(), ids::Back);
  page = s.WaitForPage(ids::BufferSize);
  CheckTimeshiftInitial(s, page, proposal);
  s.Click(s.Frame(), ids::Next);
  page = s.WaitForPage(ids::Modules);
  CheckTicks(s.ListViewTicks(page, ids::Modules), {true, true, false, false, true});

  s.ArmExtractionHold();
  s.Click(s.Frame(), ids::Next);
  page = s.WaitForHeldExtraction();
  CHECK(page != nullptr && GetDlgItem(page, ids::Progress) != nullptr);
  CHECK(StaticTexts(page).find(t.extracting + L"|") != std::wstring::npos);
  CHECK(!IsWindowVisible(GetDlgItem(s.Frame(), ids::Back)));
  CHECK(!IsWindowVisible(GetDlgItem(s.Frame(), ids::Next)));
  s.Picture(s.Frame(), "5-extraction");
  s.ReleaseExtraction();

  page = s.WaitForPage(ids::RunBox, InstallationTimeoutMs);
  CHECK_TEXT(s.Text(page, ids::FinishText), t.finished);
  CHECK_TEXT(s.Text(page, ids::RunBox), t.runBox);
  CHECK(s.IsChecked(page, ids::RunBox));
  CHECK_TEXT(s.Text(s.Frame(), ids::Cancel), L"OK");
  CHECK(!s.IsVisible(s.Frame(), ids::Back));
  CHECK(!s.IsVisible(s.Frame(), ids::Next));
  s.Picture(s.Frame(), "6-finish");

  if (russian) {
    s.PressCloseBox();  // closing does not start the viewer, even with the box ticked
    CheckEndsSilently(s);
    CHECK(ViewerStartedWith(destination, 3000).empty());
  } else {
    s.Press(s.Frame(), ids::Cancel);  // captioned OK
    CheckEndsSilently(s);
    // The viewer notes where it runs from: its command line, or the
    // configuration file beside it that it read.
    std::string started = ViewerStartedWith(destination, 15000);
    if (started.find(Narrow(destination) + "\\Orbivue.") == std::string::npos) {
      Fail(__FILE__, __LINE__,
           "the viewer in the destination did not note its start: \"" + started + "\"");
    }
    CloseStartedViewer();
  }
}

void RowZeroPassesOverTimeshift(const DriverSettings& settings, const PageTexts& t, bool russian) {
  SetupSession s(settings);
  HWND page = NextToOptions(s, russian);
  s.Click(page, ids::Elecard);
  s.Type(page, ids::Destination, L"C:\\elsewhere\\");
  CHECK(!s.IsChecked(page, ids::Elecard));
  s.Click(s.Frame(), ids::Next);  // row 0 is selected
  page = s.WaitForPage(ids::Modules);
  CHECK(GetDlgItem(page, ids::BufferSize) == nullptr);
  CheckFrameButtons(s, t, true, true);
  s.Click(s.Frame(), ids::Back);
  page = s.WaitForPage(ids::Devices);
  // The options page starts afresh on every visit.
  CHECK(s.IsChecked(page, ids::Elecard));
  CHECK(s.IsChecked(page, ids::TwinHan));
  CHECK_EQ_INT(s.SelectedRow(page, ids::Devices), 0);
  CHECK_TEXT(s.Text(page, ids::Destination), L"c:\\Orbivue\\");
  // Another row shows the timeshift page, and Back from the modules page returns to it.
  s.PickRow(page, ids::Devices, 10);
  s.Click(s.Frame(), ids::Next);
  s.WaitForPage(ids::BufferSize);
  s.Click(s.Frame(), ids::Next);
  s.WaitForPage(ids::Modules);
  s.Click(s.Frame(), ids::Back);
  s.WaitForPage(ids::BufferSize);
  s.PressCloseBox();
  CheckEndsSilently(s);
}
