// The Programs folder, then the desktop, moved to drive E:, which
// run-install maps to a small disk filled to its last byte: the shortcut
// that can't be saved there is its write error, never a success.
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "check.h"
#include "scenarios_install.h"
#include "setup_session.h"

namespace {

const wchar_t ShellFoldersKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";

// Sets the user's shell folder value to path under both keys the shell reads,
// and puts the old values back when it ends.
class MovedShellFolder {
 public:
  MovedShellFolder(const wchar_t* value, const std::wstring& path) : value_(value) {
    for (int i = 0; i < 2; i++) {
      const std::wstring key =
          std::wstring(ShellFoldersKey) + (i == 0 ? L"\\User Shell Folders" : L"\\Shell Folders");
      DWORD size = sizeof old_[i];
      DWORD type = 0;
      had_[i] = RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value,
                             RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &type, old_[i],
                             &size) == ERROR_SUCCESS;
      types_[i] = type;
      CHECK(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), value, REG_SZ, path.c_str(),
                            DWORD((path.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS);
    }
  }
  ~MovedShellFolder() {
    for (int i = 0; i < 2; i++) {
      const std::wstring key =
          std::wstring(ShellFoldersKey) + (i == 0 ? L"\\User Shell Folders" : L"\\Shell Folders");
      if (had_[i])
        RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), value_, types_[i], old_[i],
                        DWORD((lstrlenW(old_[i]) + 1) * sizeof(wchar_t)));
      else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, key.c_str(), value_);
    }
  }

 private:
  const wchar_t* value_;
  wchar_t old_[2][MAX_PATH] = {};
  DWORD types_[2] = {};
  bool had_[2] = {};
};

// Writes a file on drive E: until the disk takes no more.
void FillDrive(const std::wstring& filler) {
  HANDLE file = CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  CHECK(file != INVALID_HANDLE_VALUE);
  static char block[4096];
  DWORD written = 1;
  while (written > 0 && WriteFile(file, block, sizeof block, &written, nullptr)) {
  }
  for (written = 1; written > 0 && WriteFile(file, block, 1, &written, nullptr);) {
  }
  CloseHandle(file);
}

}  // namespace

void ShortcutsOnAFullDisk(const DriverSettings& settings, const PageTexts&, bool) {
  const struct {
    const wchar_t *value, *folder, *link;
  } cases[] = {{L"Programs", L"E:\\Programs", L"E:\\Programs\\Orbivue\\Orbivue.lnk"},
               {L"Desktop", L"E:\\Desktop", L"E:\\Desktop\\Orbivue.lnk"}};
  for (const auto& c : cases) {
    ClearInstalledTraces();
    CreateDirectoryW(c.folder, nullptr);
    MovedShellFolder moved(c.value, c.folder);
    CHECK_TEXT(ShellFolder(c.value[0] == L'P' ? CSIDL_PROGRAMS : CSIDL_DESKTOPDIRECTORY),
               std::wstring(c.folder));
    const std::wstring filler = std::wstring(L"E:\\filler-") + c.value + L".bin";
    FillDrive(filler);
    Answers a;
    a.destination = std::wstring(L"C:\\e2e\\full-") + c.value + L"\\";
    SetupSession s(settings);
    WalkToModules(s, a);
    ProgressRecord progress = {};
    HWND box = InstallToMessage(s, settings, &progress);
    CheckStopMessage(s, box, std::wstring(L"Create file or directory error !\n\"") + c.link + L"\"",
                     "install-shortcut-full-disk");
    DeleteFileW(filler.c_str());
  }
}
