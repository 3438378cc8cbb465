// The person in front of the host stand-in: a script of actions, one
// performed at each PumpMessages call, as the controls of Windows would
// answer them.
#include <stdexcept>

#include "platform/host/host_wizard.h"

namespace {

constexpr int ButtonClicked = 0;
constexpr int EditChanged = 0x300;
constexpr int SelectionChanged = 1;
constexpr int IdleSleepsBeforeGivingUp = 1000;
constexpr int WaitedPumpsBeforeGivingUp = 100000;

Window TargetWindow(Target target) {
  return target == Target::Frame ? hostWizard.frame : hostWizard.page;
}

// An automatic button changes its own state before telling its parent.
void PressButton(HostDialog* dialog, HostControl& control) {
  if (control.kind == ControlKind::CheckBox) control.checked = !control.checked;
  if (control.kind == ControlKind::Radio) {
    for (HostControl& other : dialog->controls) {
      if (other.kind == ControlKind::Radio && other.group == control.group) other.checked = false;
    }
    control.checked = true;
  }
}

}  // namespace

bool PumpMessages() {
  if (hostWizard.script.empty()) return false;
  std::function<void()> action = std::move(hostWizard.script.front());
  hostWizard.script.pop_front();
  hostWizard.idleSleeps = 0;
  action();
  return true;
}

void SleepMilliseconds(int) {
  if (++hostWizard.idleSleeps > IdleSleepsBeforeGivingUp) {
    throw std::runtime_error(
        "host stand-in: the wizard waits for the user, and the script is over");
  }
}

void UserClicks(Target target, int id) {
  hostWizard.script.push_back([target, id] {
    Window window = TargetWindow(target);
    HostDialog* dialog = AsDialog(window);
    HostControl& control = ControlOf(window, id);
    if (!dialog->visible || !control.visible || !control.enabled) return;
    PressButton(dialog, control);
    if (target == Target::Frame)
      OnFrameCommand(id);
    else
      OnPageCommand(window, id, ButtonClicked);
  });
}

void UserTypes(int id, const std::string& text) {
  hostWizard.script.push_back([id, text] {
    HostControl& edit = ControlOf(hostWizard.page, id);
    if (!edit.enabled || !edit.visible) return;
    // The edit takes keystrokes up to its limit and refuses the rest.
    edit.text = text.substr(0, size_t(edit.textLimit));
    edit.beyondCodePage = false;
    OnPageCommand(hostWizard.page, id, EditChanged);
  });
}

void UserPicksRow(int id, int row) {
  hostWizard.script.push_back([id, row] {
    HostControl& list = ControlOf(hostWizard.page, id);
    if (row < 0 || row >= int(list.rows.size())) return;
    list.selection = row;
    OnPageCommand(hostWizard.page, id, SelectionChanged);
  });
}

void UserTicks(int listId, int index) {
  hostWizard.script.push_back([listId, index] {
    HostControl& list = ControlOf(hostWizard.page, listId);
    if (!list.checkBoxes || index < 0 || index >= int(list.items.size())) return;
    int& image = list.items[size_t(index)].stateImage;
    image = image == 2 ? 1 : 2;
  });
}

void UserClosesFrame() {
  hostWizard.script.push_back([] { OnFrameClose(); });
}

void UserDoes(std::function<void()> action) {
  hostWizard.script.push_back(std::move(action));
}

namespace {
void WaitStep(const std::function<bool()>& condition) {
  if (condition()) {
    hostWizard.waitedPumps = 0;
    return;
  }
  if (++hostWizard.waitedPumps > WaitedPumpsBeforeGivingUp) {
    throw std::runtime_error("host stand-in: the user waited for something that never came");
  }
  hostWizard.script.push_front([condition] { WaitStep(condition); });
}
}  // namespace

void UserWaitsUntil(std::function<bool()> condition) {
  hostWizard.script.push_back([condition] { WaitStep(condition); });
}

void BrowserWillDo(HostBrowserScript script) {
  hostWizard.browserScripts.push_back(std::move(script));
}
