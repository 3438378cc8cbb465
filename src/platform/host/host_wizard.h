// What the host stand-in of the wizard's platform operations keeps, for the
// tests to set up, drive and look at. Dialogs are built from the real
// resources/setup.rc (controls, ids, texts, radio groups) and strings come
// from its string table, both as the ANSI functions of a Russian Windows
// hand them over (code page 1251). A script of user actions stands in for
// the person: each PumpMessages call performs the next action.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <string>
#include <vector>

#include "platform/platform.h"

enum class ControlKind { PushButton, CheckBox, Radio, Static, Edit, Combo, ListView, Progress };

struct HostControl {
  int id = -1;
  ControlKind kind = ControlKind::Static;
  std::string text;  // code page 1251
  // The user typed a character that the ANSI code page has no exact form
  // for (text is then what a best fit would make of it).
  bool beyondCodePage = false;
  int group = 0;  // radio buttons of one group share it
  bool checked = false;
  bool enabled = true;
  bool visible = true;
  int textLimit = 30000;          // an edit's limit, as Windows sets it by default
  std::vector<std::string> rows;  // drop-down list
  int selection = -1;
  struct Item {
    std::string text;
    int stateImage;
  };
  std::vector<Item> items;  // list view
  std::vector<int> columnWidths;
  bool checkBoxes = false;
  int rangeMaximum = 100;  // progress bar
  int position = 0;
  std::vector<int> positions;  // every position set, in order
};

struct HostDialog {
  int resourceId = 0;
  bool isFrame = false;
  std::string caption;
  bool visible = false;
  bool destroyed = false;
  int smallIcon = 0;
  int repaints = 0;
  std::vector<HostControl> controls;
};

struct HostMessageBox {
  Window owner;
  std::string text, caption;
  int step;             // the program's step when it was shown (programStep)
  bool wizardOnScreen;  // the frame was still shown under it
  bool textsRussian;    // shown in code page 1251 (ShowTextsInRussian)
};

// The user's moves in the folder browser: the folders passed through, then
// the choice (or a cancel).
struct HostBrowserScript {
  std::vector<std::string> selections;  // an empty entry is an item without a folder path
  bool cancel = false;
};

struct HostBrowserRecord {
  std::string title, caption, initialSelection;
  std::vector<std::string> statusTexts;
};

struct HostWizard {
  std::string commandLine;        // Setup's arguments
  bool commandLineExact = true;   // false: a character without an ANSI form
  std::list<HostDialog> dialogs;  // every dialog made, destroyed ones too
  // The frame and the page on screen, as the stand-in saw them made and
  // destroyed (null when there is none): where the user's actions land.
  Window frame = nullptr;
  Window page = nullptr;
  // The program's step, as the test tells the stand-in to read it: noted
  // with each message box and beep. Without it they note 0.
  std::function<int()> programStep;
  std::deque<std::function<void()>> script;
  int idleSleeps = 0;
  int waitedPumps = 0;
  std::vector<HostMessageBox> messageBoxes;
  std::vector<std::string> startedPrograms;
  std::vector<int> beepSteps;
  uint32_t physicalBytes = 512u << 20;
  std::vector<uint8_t> archive;
  bool hasArchive = false;
  // The check value the build recorded: by default the CRC-32 of archive,
  // as a sound build records it; a test may give another, or none.
  bool hasArchiveCheck = true;
  bool archiveCheckGiven = false;
  uint32_t archiveCheck = 0;
  std::deque<HostBrowserScript> browserScripts;
  std::vector<HostBrowserRecord> browsers;
  int browseItemsOut = 0;  // items handed out and not yet released
  ModuleInstance instance = nullptr;
  // The language that ShowTextsInRussian last set, and the texts beyond
  // ASCII that were loaded or shown while it was English: on a Windows
  // whose code page is not 1251 they would be misread.
  bool textsRussian = true;
  std::vector<std::string> misreadTexts;
  // Another Setup holds the claim to run (ClaimSingleInstance), and how
  // often the running one was asked to come to the front.
  bool otherSetupRunning = false;
  int runningSetupBroughtToFront = 0;
};

extern HostWizard hostWizard;

// A fresh stand-in: no dialogs, empty script and records.
void ResetHostWizard();

HostDialog* AsDialog(Window window);
// The control of a dialog; throws when the dialog has none with the id.
HostControl& ControlOf(Window dialog, int id);
// The dialog built from a resource, without initialisation, for looking at the template.
HostDialog DialogTemplate(int resourceId);
// A string of the string table; throws when there is none.
std::string ResourceString(int id);
// Notes a text of the program loaded or shown (not an edit's: those are
// paths in the system's code page) under the language last set.
void NoteShownText(const std::string& text);

// The user's actions, performed one per PumpMessages call in script order.
// A click on a hidden or disabled control does nothing, as with a person.
enum class Target { Frame, Page };
void UserClicks(Target target, int id);
void UserTypes(int id, const std::string& text);  // into an edit of the current page
void UserPicksRow(int id, int row);               // of a drop-down list of the current page
void UserTicks(int listId, int index);            // toggles a list view check box
void UserClosesFrame();
// Anything else at that moment, for instance a look at the page.
void UserDoes(std::function<void()> action);
// Lets pumps pass without acting until condition holds (as a person waits
// for the installation to finish), then goes on with the script.
void UserWaitsUntil(std::function<bool()> condition);

// Next action's browser moves, consumed by the next RunFolderBrowser.
void BrowserWillDo(HostBrowserScript script);
