// Orbivue.ini: the eight keys through which the installed viewer starts
// with the answers of the wizard.
#pragma once

void WriteProductConfig();
