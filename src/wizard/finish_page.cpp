// The last page: the installation is complete; "Run Orbivue" starts ticked.
#include "shared/resource_ids.h"
#include "wizard/pages.h"

void InitFinishPage(Window page) {
  CheckButton(page, ID_RUN_PRODUCT, true);
}
