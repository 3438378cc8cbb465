// The wizard on the host: a fresh record, module table and stand-in for
// every test, a script of user actions, and ways to look at the pages.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "answers/install_choices.h"
#include "answers/module_table.h"
#include "archive_builder.h"
#include "platform/host/host_wizard.h"
#include "shared/resource_ids.h"
#include "wizard/setup_wizard.h"

class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetInstallChoices();
    for (ModuleEntry& entry : ModuleTable) entry = ModuleEntry();
    frameWindow = nullptr;
    pageWindow = nullptr;
    ResetHostWizard();
    hostWizard.programStep = [] { return int(installChoices.step); };
    // A sound archive without entries, as a Setup.exe carries its archive:
    // the run makes only its folders, shortcuts, entry and settings.
    hostWizard.archive = ArchiveBuilder().Bytes();
    hostWizard.hasArchive = true;
  }

  // Runs the wizard from its start to its end over the scripted actions.
  int RunWizard() { return RunSetup(reinterpret_cast<ModuleInstance>(this)); }

  static void Next() { UserClicks(Target::Frame, ID_NEXT); }
  static void Back() { UserClicks(Target::Frame, ID_BACK); }
  static void Cancel() { UserClicks(Target::Frame, ID_CANCEL); }
  static void ChooseRussian() { UserClicks(Target::Page, ID_RUSSIAN); }
  // Waits while the installation step runs, until the finish page is shown.
  static void WaitForFinishPage() {
    UserWaitsUntil([] {
      int page = pageWindow == nullptr ? 0 : AsDialog(pageWindow)->resourceId;
      return page == DIALOG_FINISH_EN || page == DIALOG_FINISH_RU;
    });
  }

  // Records the dialog resource of the page on screen at this point of the script.
  void NotePage() {
    UserDoes([this] { pagesSeen.push_back(AsDialog(pageWindow)->resourceId); });
  }

  static HostControl& PageControl(int id) { return ControlOf(pageWindow, id); }
  static HostControl& FrameControl(int id) { return ControlOf(frameWindow, id); }

  std::vector<int> pagesSeen;
};

// Code page 1251 bytes of a UTF-8 text (Cyrillic and ASCII), as the ANSI
// functions of a Russian Windows hand texts to the program.
inline std::string Ansi(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); i++) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += char(c);
      continue;
    }
    unsigned code = ((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F);
    if (code == 0x401)
      out += char(0xA8);
    else if (code == 0x451)
      out += char(0xB8);
    else
      out += char(0xC0 + (code - 0x410));
  }
  return out;
}
