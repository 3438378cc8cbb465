// The last page: the installation is complete; "Run Orbivue" starts ticked.
#include "wizard/pages.h"
#include "wizard/resource_ids.h"

void InitFinishPage(Window page) {
  CheckButton(page, ID_RUN_PRODUCT, true);
}
