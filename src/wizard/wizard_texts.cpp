#include "wizard/wizard_texts.h"

const char ProductCaption[] = "Orbivue";
const char ProductFolder[] = "Orbivue\\";
const char DefaultDestination[] = "c:\\Orbivue\\";
const char TimeshiftFileName[] = "timeshift.dat";
const char DefaultBufferSize[] = "2000";
