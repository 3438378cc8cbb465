// Setup over the installation in c:\Orbivue\ while tests/e2e/run-uninstall
// exchanges one of the product's names with a link, over and over. The run
// either completes or stops with the write error; the outcome is printed
// for the script, which checks that nothing outside the product changed.
#include <aclapi.h>
#include <sddl.h>
#include <windows.h>

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

void CheckGuardedFolder(const std::wstring& folder) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  PACL dacl = nullptr;
  CHECK(GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &dacl, nullptr, &descriptor) == ERROR_SUCCESS);
  LPWSTR text = nullptr;
  CHECK(ConvertSecurityDescriptorToStringSecurityDescriptorW(
      descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr));
  const std::wstring rules = text != nullptr ? text : L"";
  std::printf("  access rules of %s: %s\n", Narrow(folder).c_str(), Narrow(rules).c_str());
  // Users and everyone read and run at most. Windows keeps the rules Setup
  // gave the folder (not inherited, "D:P"); Wine 8 keeps none and shows
  // rules made from the folder's Unix permissions, so only this part of
  // them can be checked here.
  for (const wchar_t* who : {L"WD)", L"AU)", L"BU)", L"S-1-1-0)", L"S-1-5-11)", L"S-1-5-32-545)"})
    for (const wchar_t* right : {L";FA;;;", L";GA;;;", L";GW;;;", L";FW;;;", L";0x1f01ff;;;"})
      CHECK(rules.find(std::wstring(right) + who) == std::wstring::npos);
  if (rules.rfind(L"D:P", 0) == 0)
    for (const wchar_t* rule :
         {L"(A;OICI;FA;;;SY)", L"(A;OICI;FA;;;BA)", L"(A;OICI;0x1200a9;;;BU)"})
      CHECK(rules.find(rule) != std::wstring::npos);
  LocalFree(text);
  LocalFree(descriptor);
}
