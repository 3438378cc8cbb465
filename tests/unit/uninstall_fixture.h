// The uninstaller on the host: a product installed by the real installation
// (or a log written by hand), then the uninstaller run over the stand-in,
// with a picture of the whole sandbox to compare before and after.
#pragma once

#include <ftw.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "install_fixture.h"
#include "platform/host/host_uninstall.h"
#include "platform/install_platform.h"
#include "platform/uninstall_platform.h"
#include "uninstall/run_uninstall.h"

class UninstallTest : public InstallTest {
 protected:
  void SetUp() override {
    InstallTest::SetUp();
    hostUninstall = HostUninstall{};
  }

  // Installs the test product into folder (with its trailing backslash).
  void Install(const std::string& folder = "c:\\Orbivue\\", bool elecard = false,
               bool twinHan = false) {
    GiveArchive(ProductArchive());
    InstallTo(folder, 2, elecard, twinHan);
    RunToTheEnd();
    ASSERT_TRUE(hostWizard.messageBoxes.empty());
    hostUninstall.journal.clear();  // the installation's own moves of its log
    // As the archive names it: the host's files, unlike Windows', keep case apart.
    hostUninstall.programPath = folder + "uninstall.exe";
  }

  // Every folder and file of the sandbox with its contents ("/" for folders).
  static std::map<std::string, std::string> Machine() {
    std::map<std::string, std::string> found;
    machine_ = &found;
    nftw(
        hostSystem.sandbox.c_str(),
        [](const char* path, const struct stat* st, int, struct FTW*) {
          std::string relative = std::string(path).substr(hostSystem.sandbox.size());
          std::ifstream in(path, std::ios::binary);
          std::stringstream s;
          if (!S_ISDIR(st->st_mode)) s << in.rdbuf();
          (*machine_)[relative] = S_ISDIR(st->st_mode) ? "/" : s.str();
          return 0;
        },
        16, FTW_PHYS);
    return found;
  }
  // The machine without the temporary folder, where the program goes.
  static std::map<std::string, std::string> MachineOutsideTemp() {
    std::map<std::string, std::string> m = Machine();
    for (auto it = m.begin(); it != m.end();)
      it = it->first.rfind("/c/windows/temp", 0) == 0 ? m.erase(it) : std::next(it);
    return m;
  }

  static bool Exists(const std::string& windowsPath) {
    return QueryPath(windowsPath.c_str()) != PathKind::Missing;
  }
  static void PutFile(const std::string& windowsPath, const std::string& contents) {
    std::ofstream(HostPath(windowsPath), std::ios::binary) << contents;
  }
  static bool EntryListed() {
    return hostSystem.registry.count(
               "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\ORBIVUE") != 0;
  }
  // Position in the journal of the first line that is text (or, with
  // prefix set, starts with it); -1 if none.
  static int JournalAt(const std::string& text, bool prefix = false) {
    for (size_t i = 0; i < hostUninstall.journal.size(); i++)
      if (prefix ? hostUninstall.journal[i].rfind(text, 0) == 0 : hostUninstall.journal[i] == text)
        return int(i);
    return -1;
  }

  // A path as the file system compares it: lower case, no trailing "\".
  static std::string Normal(std::string path) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    for (char& c : path) c = char(std::tolower(static_cast<unsigned char>(c)));
    return path;
  }
  // The records of one section of the log at log, in Normal form.
  static std::vector<std::string> Records(const char* log, const char* section) {
    char count[20];
    ReadProfileValue(section, "count", "0", count, sizeof count, log);
    std::vector<std::string> records;
    for (int i = 1; i <= std::atoi(count); i++) {
      char value[400];
      ReadProfileValue(section, std::to_string(i).c_str(), "", value, sizeof value, log);
      records.push_back(Normal(value));
    }
    return records;
  }
  // What lies on the sandbox's disk under a Windows folder, the folder
  // itself included, as Windows paths in Normal form.
  static void Present(const std::string& windowsFolder, std::vector<std::string>* folders,
                      std::vector<std::string>* files) {
    const std::string& sandbox = hostSystem.sandbox;
    std::string real = sandbox + "/c" + windowsFolder.substr(2);
    std::replace(real.begin(), real.end(), '\\', '/');
    std::error_code error;
    if (!std::filesystem::is_directory(real, error)) return;
    folders->push_back(Normal(windowsFolder));
    for (const auto& item : std::filesystem::recursive_directory_iterator(real)) {
      std::string path = "c:" + item.path().string().substr(sandbox.size() + 2);
      std::replace(path.begin(), path.end(), '/', '\\');
      (item.is_directory() ? folders : files)->push_back(Normal(path));
    }
  }
  static bool Has(const std::vector<std::string>& records, const std::string& path) {
    return std::find(records.begin(), records.end(), path) != records.end();
  }

  static inline std::map<std::string, std::string>* machine_ = nullptr;
};

// The shortcuts' places of the stand-in's user.
constexpr char TestProgramGroup[] = "c:\\users\\test\\Start Menu\\Programs\\Orbivue";
constexpr char TestDesktopLink[] = "c:\\users\\test\\Desktop\\Orbivue.lnk";
