// The installation on the host: the wizard driven to its finish page over
// a test archive, with files in a sandbox folder and the registry,
// shortcuts and processes of the host stand-in.
#pragma once

#include <ftw.h>
#include <sys/stat.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "archive_builder.h"
#include "install/uninstall_log.h"
#include "platform/host/host_system.h"
#include "wizard_fixture.h"

// A fresh host machine in a folder of its own for each test, removed after.
class HostSandbox {
 public:
  HostSandbox() {
    char folder[] = "/tmp/orbivue-install-XXXXXX";
    if (mkdtemp(folder) == nullptr) throw std::runtime_error("no sandbox folder");
    path = folder;
    ResetHostSystem(path);
  }
  ~HostSandbox() {
    nftw(
        path.c_str(), [](const char* p, const struct stat*, int, struct FTW*) { return remove(p); },
        16, FTW_DEPTH | FTW_PHYS);
    // A later test without a sandbox of its own gets a fresh machine, not
    // this removed folder or its full disk.
    hostSystem = HostSystem{};
  }
  std::string path;
};

class InstallTest : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    // The old machine goes first: its removal resets the stand-in, which
    // must not happen after the new one is laid out (SetUp runs again in
    // tests that install many times).
    sandbox_.reset();
    sandbox_ = std::make_unique<HostSandbox>();
  }
  void TearDown() override { sandbox_.reset(); }
  std::string SandboxPath() const { return sandbox_->path; }

  // A folder entry as the setup layout writes it.
  static TestEntry FolderEntry(const char* name) {
    TestEntry d;
    d.name = name;
    d.flags = 0x80E0;
    d.method = 0x35;
    d.attributes = 0x10;
    return d;
  }
  // The shape the installer expects: directory entries first, then files.
  static ArchiveBuilder ProductArchive() {
    ArchiveBuilder b(0x0008);
    for (const char* dir : {"Modules\\boot\\24", "Modules\\boot", "Modules", "Filters"})
      b.Entry(FolderEntry(dir));
    for (const auto& [name, contents] : ProductFiles()) b.Stored(name, contents);
    return b;
  }
  static std::vector<std::pair<std::string, std::string>> ProductFiles() {
    return {{"Orbivue.exe", "viewer program"},
            {"uninstall.exe", "uninstaller"},
            {"graphedt.exe", "graph editor"},
            {"Filters\\mpgdec.ax", "decoder filter"},
            {"Filters\\mlcom.ax", "library filter"},
            {"Filters\\thsource.ax", "source filter"},
            {"Modules\\Agenda.Module", "agenda"},
            {"Modules\\IrBridge.Module", "ir bridge"},
            {"Modules\\Beacon.Module", "beacon"},
            {"Modules\\SatCardB.Device", "card b"},
            {"Modules\\boot\\24\\loader.bin", std::string(3000, 'L')},
            {"Modules\\boot\\empty.bin", ""}};
  }
  static void GiveArchive(const ArchiveBuilder& b) {
    hostWizard.archive = b.Bytes();
    hostWizard.hasArchive = true;
  }

  // Language page -> options (destination, device, filters) -> timeshift
  // (when shown) -> modules -> the installation, then waits for its end.
  static void InstallTo(const std::string& destination, int deviceRow = 2, bool elecard = false,
                        bool twinHan = false, int untickedModule = -1) {
    Next();
    UserTypes(ID_DESTINATION, destination);
    UserPicksRow(ID_DEVICE_LIST, deviceRow);
    UserDoes([elecard, twinHan] {
      CheckButton(pageWindow, ID_ELECARD_FILTERS, elecard);
      CheckButton(pageWindow, ID_TWINHAN_SOURCE, twinHan);
    });
    Next();
    if (deviceRow != 0) Next();
    if (untickedModule >= 0)
      UserDoes([untickedModule] {
        ControlOf(pageWindow, ID_MODULE_LIST).items[size_t(untickedModule)].stateImage = 1;
      });
    Next();
  }
  int RunToTheEnd() {
    UserWaitsUntil([] {
      int page = pageWindow == nullptr ? 0 : AsDialog(pageWindow)->resourceId;
      return page == DIALOG_FINISH_EN || page == DIALOG_FINISH_RU || installChoices.aborted;
    });
    Cancel();
    return RunWizard();
  }

  // A profile file's sections and keys, in file order.
  static std::vector<std::string> Lines(const std::string& windowsPath, bool* exists = nullptr) {
    std::stringstream s(ReadHostFile(windowsPath, exists));
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(s, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
    }
    return lines;
  }
  static const HostControl& Progress() {
    for (const HostDialog& dialog : hostWizard.dialogs)
      if (dialog.resourceId == DIALOG_EXTRACT_EN || dialog.resourceId == DIALOG_EXTRACT_RU)
        for (const HostControl& control : dialog.controls)
          if (control.id == ID_PROGRESS) return control;
    throw std::runtime_error("no extraction page was shown");
  }

  std::unique_ptr<HostSandbox> sandbox_;
};
