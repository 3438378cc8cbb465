#include "wizard/wizard_texts.h"

const char ProductCaption[] = "Orbivue";
const char ProductFolder[] = "Orbivue\\";
const char DefaultDestination[] = "c:\\Orbivue\\";
const char TimeshiftFileName[] = "timeshift.dat";
const char ProductProgram[] = "Orbivue.exe";
const char DefaultBufferSize[] = "2000";
