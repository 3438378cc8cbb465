// How long the destination folder may be, and which folders are taken at
// all: the rules both the wizard's options page and the command line apply.
// The platform's paths hold at most 259 characters. Below the destination
// the installation writes paths as deep as "Modules\boot\24\" plus a file
// name; it reserves LongestEntryName characters for the entry names of the
// archive (that folder part included), which is also ample for
// "timeshift.dat", "Uninstall.ini" and "Orbivue.ini".
#pragma once

constexpr int LongestPath = 259;
constexpr int LongestEntryName = 80;
// The folder's characters without a trailing backslash, which is how the
// refusal states it: the installation always ends the folder with one, so
// the same folder counts the same whether typed with it or without it.
constexpr int MaxDestinationLength = LongestPath - LongestEntryName - 1;

// True when every path the installation builds below dir fits. An empty dir
// (the current folder) fits.
bool DestinationFits(const char* dir);

enum class DestinationCheck { Accepted, TooLong, Refused };
// Turns the folder as typed into the one form both programs use (see
// CanonicalDestination) and, when it fits, stores it in out (PathBufferSize
// bytes). TooLong for a folder that does not fit; Refused for one the
// uninstaller could never remove (a drive's root, a relative or UNC path, a
// name ending in a dot or a blank, a device name).
DestinationCheck CheckDestination(const char* typed, char* out);
