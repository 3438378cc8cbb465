// The uninstaller on the host: a product installed by the real installation
// (or a log written by hand), then the uninstaller run over the stand-in,
// with a picture of the whole sandbox to compare before and after.
#pragma once

#include <ftw.h>

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

  static inline std::map<std::string, std::string>* machine_ = nullptr;
};
