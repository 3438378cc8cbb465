// The messages that stop the installation, in the chosen language. Each
// notes that the run failed before its box is shown, and returns 1 (the
// installation's "stop").
#pragma once

#include <cstdint>

// An entry could not be unpacked (or its name would leave the destination).
uint8_t ShowExtractError();
// A file or folder could not be made or written: the path follows on a line
// of its own, between double quotes.
uint8_t ShowWriteError(const char* path);
// The installer is damaged and must be obtained again.
uint8_t ShowDamagedInstaller();

// Whether one of the messages above was shown since the run began.
bool InstallFailureShown();
void ForgetInstallFailure();
