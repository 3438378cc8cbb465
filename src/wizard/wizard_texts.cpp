#include "wizard/wizard_texts.h"

const char ProductCaption[] = "Orbivue";
const char ProductFolder[] = "Orbivue\\";
const char DefaultBufferSize[] = "2000";
