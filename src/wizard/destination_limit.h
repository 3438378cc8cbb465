// How long the destination folder may be. The platform's paths hold at most
// 259 characters. Below the destination the installation writes paths as deep
// as "Modules\boot\24\" plus a file name; it reserves LongestEntryName
// characters for the entry names of the archive (that folder part included),
// which is also ample for "timeshift.dat", "Uninstall.ini" and "Orbivue.ini".
#pragma once

constexpr int LongestPath = 259;
constexpr int LongestEntryName = 80;
// Counted with the trailing backslash that the installation adds when it is missing.
constexpr int MaxDestinationLength = LongestPath - LongestEntryName;

// True when every path the installation builds below dir fits. An empty dir
// (the current folder) fits.
bool DestinationFits(const char* dir);

// Shows the refusal of a destination that does not fit, in the chosen language.
void ShowDestinationTooLong();
