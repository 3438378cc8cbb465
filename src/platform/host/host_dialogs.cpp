// Dialogs and controls of the host stand-in: the templates of setup.rc
// made into objects that remember every state the program gives them.
#include <stdexcept>

#include "platform/host/host_wizard.h"
#include "platform/platform.h"

HostWizard hostWizard;

void ResetHostWizard() {
  hostWizard = HostWizard{};
}

HostDialog* AsDialog(Window window) {
  return reinterpret_cast<HostDialog*>(window);
}

HostControl& ControlOf(Window dialog, int id) {
  HostDialog* d = AsDialog(dialog);
  if (d == nullptr) throw std::runtime_error("host stand-in: no dialog");
  for (HostControl& control : d->controls) {
    if (control.id == id) return control;
  }
  throw std::runtime_error("host stand-in: dialog " + std::to_string(d->resourceId) +
                           " has no control " + std::to_string(id));
}

void RememberModuleInstance(ModuleInstance instance) {
  hostWizard.instance = instance;
}

Window CreateFrameDialog(int resourceId) {
  hostWizard.dialogs.push_back(DialogTemplate(resourceId));
  HostDialog& frame = hostWizard.dialogs.back();
  frame.isFrame = true;
  Window window = reinterpret_cast<Window>(&frame);
  OnFrameInit(window);
  hostWizard.frame = window;
  return window;
}

Window CreatePageDialog(int resourceId, Window) {
  hostWizard.dialogs.push_back(DialogTemplate(resourceId));
  Window window = reinterpret_cast<Window>(&hostWizard.dialogs.back());
  OnPageInit(window);
  hostWizard.page = window;
  return window;
}

void DestroyDialog(Window window) {
  HostDialog* dialog = AsDialog(window);
  dialog->destroyed = true;
  dialog->visible = false;
  if (window == hostWizard.frame) hostWizard.frame = nullptr;
  if (window == hostWizard.page) hostWizard.page = nullptr;
}

void ShowDialog(Window window) {
  AsDialog(window)->visible = true;
}
void SetSmallIcon(Window window, int iconId) {
  AsDialog(window)->smallIcon = iconId;
}

void ShowControl(Window dialog, int id, bool visible) {
  ControlOf(dialog, id).visible = visible;
}
void EnableControl(Window dialog, int id, bool enabled) {
  ControlOf(dialog, id).enabled = enabled;
}
void ShowTextsInRussian(bool russian) {
  hostWizard.textsRussian = russian;
}

void NoteShownText(const std::string& text) {
  if (hostWizard.textsRussian) return;
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      hostWizard.misreadTexts.push_back(text);
      return;
    }
  }
}

void SetControlText(Window dialog, int id, const char* text) {
  HostControl& control = ControlOf(dialog, id);
  if (control.kind != ControlKind::Edit) NoteShownText(text);
  control.text = text;
}

bool GetControlText(Window dialog, int id, char* text, int capacity) {
  const HostControl& control = ControlOf(dialog, id);
  if (control.beyondCodePage) {
    text[0] = '\0';
    return false;
  }
  const std::string& value = control.text;
  size_t length = value.size() < size_t(capacity - 1) ? value.size() : size_t(capacity - 1);
  value.copy(text, length);
  text[length] = '\0';
  return true;
}

void LimitEditText(Window dialog, int id, int characters) {
  ControlOf(dialog, id).textLimit = characters;
}

bool IsButtonChecked(Window dialog, int id) {
  return ControlOf(dialog, id).checked;
}
void CheckButton(Window dialog, int id, bool checked) {
  ControlOf(dialog, id).checked = checked;
}

void ClearComboList(Window dialog, int id) {
  HostControl& list = ControlOf(dialog, id);
  list.rows.clear();
  list.selection = -1;
}

void AddComboItem(Window dialog, int id, const char* text) {
  NoteShownText(text);
  ControlOf(dialog, id).rows.push_back(text);
}

void SelectComboItem(Window dialog, int id, int index) {
  HostControl& list = ControlOf(dialog, id);
  list.selection = index >= 0 && index < int(list.rows.size()) ? index : -1;
}

int GetComboSelection(Window dialog, int id) {
  return ControlOf(dialog, id).selection;
}

void AddListViewCheckBoxes(Window dialog, int id) {
  HostControl& list = ControlOf(dialog, id);
  list.checkBoxes = true;
  for (auto& item : list.items) {
    if (item.stateImage == 0) item.stateImage = 1;
  }
}

void InsertListViewColumn(Window dialog, int id, int width) {
  ControlOf(dialog, id).columnWidths.push_back(width);
}

int InsertListViewItem(Window dialog, int id, int position, const char* text) {
  NoteShownText(text);
  HostControl& list = ControlOf(dialog, id);
  size_t at = position < 0 ? 0 : size_t(position);
  if (at > list.items.size()) at = list.items.size();
  list.items.insert(list.items.begin() + long(at),
                    HostControl::Item{text, list.checkBoxes ? 1 : 0});
  return int(at);
}

void SetListViewStateImage(Window dialog, int id, int index, int image) {
  HostControl& list = ControlOf(dialog, id);
  if (index >= 0 && index < int(list.items.size())) list.items[size_t(index)].stateImage = image;
}

int GetListViewStateImage(Window dialog, int id, int index) {
  HostControl& list = ControlOf(dialog, id);
  return index >= 0 && index < int(list.items.size()) ? list.items[size_t(index)].stateImage : 0;
}

void SetProgressRange(Window dialog, int id, int maximum) {
  ControlOf(dialog, id).rangeMaximum = maximum;  // carried whole, as PBM_SETRANGE32 does
}

void SetProgressPosition(Window dialog, int id, int position) {
  HostControl& bar = ControlOf(dialog, id);
  bar.position = position < bar.rangeMaximum ? position : bar.rangeMaximum;
  bar.positions.push_back(position);
}

void RepaintNow(Window window) {
  AsDialog(window)->repaints++;
}
