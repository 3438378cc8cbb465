// The destination: the folder browser and the refusal of a destination too
// long for the installation's paths.
#include "check.h"
#include "disk.h"
#include "scenarios.h"

namespace {

void WaitForText(SetupSession& s, HWND page, int id, const std::wstring& expected) {
  WaitUntil([&] { return s.Text(page, id) == expected; });
  CHECK_TEXT(s.Text(page, id), expected);
}

// The browser fills and selects its tree as it goes; what a person reads
// is what it shows once it has settled.
void WaitForSelection(SetupSession& s, HWND browser, const std::wstring& folder,
                      const std::wstring& status) {
  WaitUntil([&] {
    return s.SelectedFolderText(browser) == folder && s.Text(browser, ids::BrowserStatus) == status;
  });
  std::wstring shownFolder = s.SelectedFolderText(browser);
  std::wstring shownStatus = s.Text(browser, ids::BrowserStatus);
  if (shownFolder != folder || shownStatus != status) {
    s.Picture(browser, "browser-unsettled");
    Fail(__FILE__, __LINE__,
         "the browser shows folder \"" + Narrow(shownFolder) + "\" and status \"" +
             Narrow(shownStatus) + "\", expected \"" + Narrow(folder) + "\" and \"" +
             Narrow(status) + "\"");
  }
}

void WaitForBrowserGone(SetupSession& s, HWND browser) {
  CHECK(WaitUntil([&] { return !IsWindow(browser) || !IsWindowVisible(browser); }));
  (void)s;
}

}  // namespace

// 172 characters: with "\Orbivue" 180, two more than a destination may have.
std::wstring LongPickFolder() {
  return L"C:\\e2e\\long\\" + std::wstring(160, L'n');
}

void BrowseForFolder(const DriverSettings& settings, const PageTexts& t, bool russian) {
  MakeFolders(L"C:\\e2e\\pick\\tv");
  MakeFolders(LongPickFolder());
  SetupSession s(settings);
  HWND page = NextToOptions(s, russian);

  // The browser opens on the typed folder and shows where the product would go.
  s.Type(page, ids::Destination, L"C:\\e2e\\pick\\tv\\");
  s.Press(page, ids::Browse);
  HWND browser = s.WaitForBrowser();
  CHECK_TEXT(WindowText(browser), L"Browser");
  CHECK_TEXT(s.Text(browser, ids::BrowserTitle), t.browseTitle);
  WaitForSelection(s, browser, L"tv", L"C:\\e2e\\pick\\tv\\Orbivue\\");
  s.Picture(browser, "8-browser");
  s.SelectParentFolder(browser);
  WaitForSelection(s, browser, L"pick", L"C:\\e2e\\pick\\Orbivue\\");
  s.Press(browser, ids::BrowserOk);
  WaitForBrowserGone(s, browser);
  WaitForText(s, page, ids::Destination, L"C:\\e2e\\pick\\Orbivue\\");

  // A drive root gets the product folder without a doubled backslash.
  s.Type(page, ids::Destination, L"C:\\e2e\\");
  s.Press(page, ids::Browse);
  browser = s.WaitForBrowser();
  WaitForSelection(s, browser, L"e2e", L"C:\\e2e\\Orbivue\\");
  s.SelectParentFolder(browser);
  WaitUntil([&] { return s.Text(browser, ids::BrowserStatus) == L"C:\\Orbivue\\"; });
  CHECK_TEXT(s.Text(browser, ids::BrowserStatus), L"C:\\Orbivue\\");
  s.Press(browser, ids::BrowserOk);
  WaitForBrowserGone(s, browser);
  WaitForText(s, page, ids::Destination, L"C:\\Orbivue\\");

  // A folder whose product folder would be longer than a destination may
  // be is refused when it is picked, with the options page's message.
  s.Type(page, ids::Destination, LongPickFolder() + L"\\");
  s.Press(page, ids::Browse);
  browser = s.WaitForBrowser();
  WaitForSelection(s, browser, LongPickFolder().substr(LongPickFolder().rfind(L'\\') + 1), L"");
  s.Press(browser, ids::BrowserOk);
  HWND box = s.WaitForMessageBox();
  CHECK_TEXT(s.MessageText(box), t.tooLong);
  s.Picture(box, "8-browser-too-long");
  s.Press(box, ids::MessageOk);
  CHECK(WaitUntil([&] { return s.FindMessageBox() == nullptr; }));
  WaitForText(s, page, ids::Destination, LongPickFolder() + L"\\");

  // Cancelling the browser keeps the typed text.
  s.Type(page, ids::Destination, L"C:\\keep me\\");
  s.Press(page, ids::Browse);
  browser = s.WaitForBrowser();
  s.Press(browser, ids::BrowserCancel);
  WaitForBrowserGone(s, browser);
  WaitForText(s, page, ids::Destination, L"C:\\keep me\\");

  s.Press(s.Frame(), ids::Cancel);
  CheckEndsSilently(s);
}

void RefuseTooLongDestination(const DriverSettings& settings, const PageTexts& t, bool russian) {
  SetupSession s(settings);
  HWND page = NextToOptions(s, russian);
  // 179 characters and the trailing backslash: one more than the limit.
  std::wstring tooLong = L"C:\\" + std::wstring(176, L'a') + L"\\";
  CHECK_EQ_INT(tooLong.size(), 180);
  s.Type(page, ids::Destination, tooLong);
  s.Press(s.Frame(), ids::Next);
  HWND box = s.WaitForMessageBox();
  CHECK_TEXT(s.MessageText(box), t.tooLong);
  CHECK_TEXT(WindowText(box), L"Orbivue");
  s.Picture(box, "9-too-long");
  s.Press(box, ids::MessageOk);
  CHECK(WaitUntil([&] { return s.FindMessageBox() == nullptr; }));
  // Still on the options page, with the text as typed.
  CHECK(s.Page() == page);
  CHECK_TEXT(s.Text(page, ids::Destination), tooLong);

  // 179 characters without the backslash are refused as well.
  s.Type(page, ids::Destination, tooLong.substr(0, 179));
  s.Press(s.Frame(), ids::Next);
  box = s.WaitForMessageBox();
  s.Press(box, ids::MessageOk);
  CHECK(WaitUntil([&] { return s.FindMessageBox() == nullptr; }));

  // 178 characters and the trailing backslash are taken.
  std::wstring longest = L"C:\\" + std::wstring(175, L'b') + L"\\";
  s.Type(page, ids::Destination, longest);
  s.Click(s.Frame(), ids::Next);
  page = s.WaitForPage(ids::Modules);
  CHECK(s.FindMessageBox() == nullptr);
  s.Press(s.Frame(), ids::Cancel);
  CheckEndsSilently(s);
}

// Folders the uninstaller could never remove are refused on Next with their
// own message, and the page stays; another spelling of a sound folder is
// taken.
void RefuseUnremovableDestination(const DriverSettings& settings, const PageTexts& t,
                                  bool russian) {
  SetupSession s(settings);
  HWND page = NextToOptions(s, russian);
  bool first = true;
  for (const wchar_t* folder :
       {L"", L"C:\\", L"Orbivue", L"\\\\server\\share\\Orbivue\\", L"C:\\Orbivue \\",
        L"C:\\Orbivue.\\", L"C:\\e2e\\CON\\", L"C:\\e2e\\conout$.txt\\",
        // Fullwidth reverse solidus: a best fit into the code page would
        // make it a backslash, and the path c:\windows\.
        L"C:\\Orbivue\uFF3C..\uFF3C..\uFF3Cwindows\\"}) {
    s.Type(page, ids::Destination, folder);
    s.Press(s.Frame(), ids::Next);
    HWND box = s.WaitForMessageBox();
    CHECK_TEXT(s.MessageText(box), t.refused);
    CHECK_TEXT(WindowText(box), L"Orbivue");
    if (first) s.Picture(box, "9-refused");
    first = false;
    s.Press(box, ids::MessageOk);
    CHECK(WaitUntil([&] { return s.FindMessageBox() == nullptr; }));
    CHECK(s.Page() == page);
  }
  s.Type(page, ids::Destination, L"C:/e2e/x/../spelled");
  s.Click(s.Frame(), ids::Next);
  page = s.WaitForPage(ids::Modules);
  CHECK(s.FindMessageBox() == nullptr);
  s.Press(s.Frame(), ids::Cancel);
  CheckEndsSilently(s);
}
