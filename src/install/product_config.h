// Orbivue.ini: the eight keys through which the installed viewer starts
// with the answers of the wizard.
#pragma once

// Writes the eight keys and reads each back from the file; false when one
// is not there as written (the write error has then been shown).
bool WriteProductConfig();
