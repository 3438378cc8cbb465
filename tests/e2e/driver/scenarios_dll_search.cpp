// Setup run from a folder where DLLs of system names were planted (made by
// run-install into the "planted" folder beside the driver, each one leaving
// a marker named after the program that loads it): a program that does not
// restrict its DLL search loads them, Setup must not, although it loads DLLs
// of the same names while it runs.
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "check.h"
#include "scenarios_install.h"

namespace {

std::vector<std::wstring> FilesLike(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found = {};
  HANDLE search = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

std::string Joined(const std::vector<std::wstring>& names) {
  std::string text;
  for (const auto& name : names) text += (text.empty() ? "" : ", ") + Narrow(name);
  return text.empty() ? "none" : text;
}

void RemoveMarkers(const std::wstring& folder) {
  for (const auto& marker : FilesLike(folder, L"loaded-*.txt")) {
    DeleteFileW((folder + L"\\" + marker).c_str());
  }
}

// Runs the probe beside the planted DLLs; it loads each name and ends.
void RunProbe(const std::wstring& folder, const std::vector<std::wstring>& dlls, bool restricted) {
  std::wstring program = folder + L"\\e2e_dll_probe.exe";
  std::wstring commandLine = L"\"" + program + L"\"" + (restricted ? L" --restricted" : L"");
  for (const auto& dll : dlls) commandLine += L" " + dll;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION probe = {};
  if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &probe)) {
    Fail(__FILE__, __LINE__, "cannot start " + Narrow(program));
  }
  bool ended = WaitForSingleObject(probe.hProcess, 30000) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(probe.hProcess, 99);
  CloseHandle(probe.hThread);
  CloseHandle(probe.hProcess);
  CHECK(ended);
}

// Where the running process has each of names loaded from ("" when not).
std::vector<std::wstring> LoadedFrom(HANDLE process, const std::vector<std::wstring>& names) {
  std::vector<std::wstring> paths(names.size());
  HMODULE modules[512];
  DWORD bytes = 0;
  if (!EnumProcessModules(process, modules, sizeof modules, &bytes)) {
    Fail(__FILE__, __LINE__, "cannot list Setup's modules");
  }
  for (DWORD m = 0; m < bytes / sizeof modules[0] && m < 512; m++) {
    wchar_t path[MAX_PATH] = L"";
    if (GetModuleFileNameExW(process, modules[m], path, MAX_PATH) == 0) continue;
    const wchar_t* slash = wcsrchr(path, L'\\');
    const wchar_t* base = slash != nullptr ? slash + 1 : path;
    for (size_t i = 0; i < names.size(); i++) {
      if (lstrcmpiW(base, names[i].c_str()) == 0) paths[i] = path;
    }
  }
  return paths;
}

}  // namespace

void InstallBesidePlantedDlls(const DriverSettings& settings, const PageTexts& t, bool) {
  ClearInstalledTraces();
  DriverSettings planted = settings;
  planted.programDir = settings.programDir + L"\\planted";
  planted.setupDir = planted.programDir;  // Setup starts from among the planted DLLs
  const std::vector<std::wstring> dlls = FilesLike(planted.programDir, L"*.dll");
  if (dlls.empty()) Fail(__FILE__, __LINE__, "no planted DLL in " + Narrow(planted.programDir));
  std::printf("  planted beside Setup.exe: %s\n", Joined(dlls).c_str());

  // The planted DLLs are taken by a program that searches its own folder
  // first: the check below could see them.
  RemoveMarkers(planted.programDir);
  RunProbe(planted.programDir, dlls, false);
  for (const auto& dll : dlls) {
    if (FilesLike(planted.programDir, L"loaded-" + dll + L"-by-e2e_dll_probe.exe.txt").empty()) {
      Fail(__FILE__, __LINE__,
           "a program without the restriction did not load the planted " + Narrow(dll) +
               ": it proves nothing");
    }
  }
  RemoveMarkers(planted.programDir);
  RunProbe(planted.programDir, dlls, true);
  std::vector<std::wstring> markers = FilesLike(planted.programDir, L"loaded-*.txt");
  if (!markers.empty()) {
    Fail(__FILE__, __LINE__, "with Setup's restriction the probe still loaded: " + Joined(markers));
  }

  // The installation, the folder browser included.
  Answers a;
  a.destination = L"C:\\e2e\\planted\\";
  SetupSession s(planted);
  HWND options = NextToOptions(s, false);
  s.Press(options, ids::Browse);
  HWND browser = s.WaitForBrowser();
  s.Press(browser, ids::BrowserCancel);
  CHECK(WaitUntil([&] { return !IsWindow(browser) || !IsWindowVisible(browser); }));
  s.Click(s.Frame(), ids::Back);
  HWND finish = nullptr;
  try {
    WalkToModules(s, a);
    finish = InstallToFinish(s, settings, t, a);
  } catch (const ScenarioFailure& failure) {
    // A planted DLL that Setup took rarely does what the system's does:
    // Setup stops or breaks; name the cause when it left its marker.
    markers = FilesLike(planted.programDir, L"loaded-*-by-Setup.exe.txt");
    if (markers.empty()) throw;
    Fail(__FILE__, __LINE__,
         "Setup loaded planted DLLs: " + Joined(markers) + ", and then " + failure.what());
  }
  std::vector<std::wstring> from = LoadedFrom(s.Process(), dlls);
  for (size_t i = 0; i < dlls.size(); i++) {
    if (from[i].empty()) {
      Fail(__FILE__, __LINE__, "Setup did not load " + Narrow(dlls[i]) + ": it proves nothing");
    }
    // Wine may run its own code under a planted file's name; the name alone is wrong too.
    if (lstrcmpiW(from[i].c_str(), (planted.programDir + L"\\" + dlls[i]).c_str()) == 0) {
      Fail(__FILE__, __LINE__, "Setup has " + Narrow(dlls[i]) + " from " + Narrow(from[i]));
    }
    std::printf("  Setup loaded %s from %s\n", Narrow(dlls[i]).c_str(), Narrow(from[i]).c_str());
  }
  UntickRunBox(s, finish);
  s.Press(s.Frame(), ids::Cancel);  // captioned OK
  CheckEndsSilently(s);
  markers = FilesLike(planted.programDir, L"loaded-*.txt");
  if (!markers.empty()) {
    Fail(__FILE__, __LINE__, "Setup loaded planted DLLs: " + Joined(markers));
  }
}
