// The drop-down list, the list view with check boxes and the progress bar.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include "platform/platform.h"
#include "platform/win32/shown_text.h"
#include "platform/win32/win32_handles.h"

namespace {
LRESULT SendToItem(Window dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendDlgItemMessageA(ToHwnd(dialog), id, message, wParam, lParam);
}
}  // namespace

void ClearComboList(Window dialog, int id) {
  SendToItem(dialog, id, CB_RESETCONTENT, 0, 0);
}

void AddComboItem(Window dialog, int id, const char* text) {
  ShownText row(text);
  SendDlgItemMessageW(ToHwnd(dialog), id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.Wide()));
}

void SelectComboItem(Window dialog, int id, int index) {
  SendToItem(dialog, id, CB_SETCURSEL, index, 0);
}

int GetComboSelection(Window dialog, int id) {
  return int(SendToItem(dialog, id, CB_GETCURSEL, 0, 0));
}

void AddListViewCheckBoxes(Window dialog, int id) {
  LRESULT style = SendToItem(dialog, id, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
  SendToItem(dialog, id, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style | LVS_EX_CHECKBOXES);
}

void InsertListViewColumn(Window dialog, int id, int width) {
  LVCOLUMNA column = {};
  column.mask = LVCF_WIDTH;
  column.cx = width;
  SendToItem(dialog, id, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
}

int InsertListViewItem(Window dialog, int id, int position, const char* text) {
  ShownText row(text);
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = position;
  item.pszText = const_cast<WCHAR*>(row.Wide());
  return int(SendToItem(dialog, id, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void SetListViewStateImage(Window dialog, int id, int index, int image) {
  LVITEMA item = {};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(image);
  SendToItem(dialog, id, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

int GetListViewStateImage(Window dialog, int id, int index) {
  LRESULT state = SendToItem(dialog, id, LVM_GETITEMSTATE, index, LVIS_STATEIMAGEMASK);
  return int((state & LVIS_STATEIMAGEMASK) >> 12);
}

// The 32-bit form: a product may hold more entries than 16 bits count.
void SetProgressRange(Window dialog, int id, int maximum) {
  SendToItem(dialog, id, PBM_SETRANGE32, 0, maximum);
}

void SetProgressPosition(Window dialog, int id, int position) {
  SendToItem(dialog, id, PBM_SETPOS, position, 0);
}

void RepaintNow(Window window) {
  UpdateWindow(ToHwnd(window));
}
