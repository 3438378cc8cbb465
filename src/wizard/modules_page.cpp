// The fourth page: the optional modules, ticked in a list view.
#include "answers/install_choices.h"
#include "answers/module_table.h"
#include "shared/resource_ids.h"
#include "wizard/modules_list.h"
#include "wizard/pages.h"

namespace {
constexpr int AfterLastItem = 255;
constexpr int ColumnWidth = 300;
constexpr int EmptyBox = 1;
constexpr int TickedBox = 2;
}  // namespace

void FillModuleList(Window page, int listId) {
  AddListViewCheckBoxes(page, listId);
  InsertListViewColumn(page, listId, ColumnWidth);
  for (const ModuleEntry& entry : ModuleTable) {
    int index = InsertListViewItem(page, listId, AfterLastItem, entry.label);
    SetListViewStateImage(page, listId, index, entry.enabled ? TickedBox : EmptyBox);
  }
}

void ReadModuleList(Window page, int listId) {
  for (int position = 0; position < ModuleCount; position++) {
    ModuleTable[position].enabled = GetListViewStateImage(page, listId, position) != EmptyBox;
  }
}

void InitModulesPage(Window page) {
  FillModuleTable(installChoices.language);
  FillModuleList(page, ID_MODULE_LIST);
}

void StoreModulesPage(Window page) {
  ReadModuleList(page, ID_MODULE_LIST);
}
