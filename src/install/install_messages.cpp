#include "install/install_messages.h"

#include <cstring>

#include "platform/platform.h"
#include "wizard/install_choices.h"
#include "wizard/resource_ids.h"

namespace {

constexpr int ErrorTextSize = 360;

bool failureShown = false;

// The run has failed before the box is on screen: whatever the user does
// while it is there, the wizard then ends without a message of its own.
void ShowStoppingMessage(const char* text) {
  failureShown = true;
  ShowMessageBox(nullptr, text, nullptr);
}

}  // namespace

uint8_t ShowExtractError() {
  char text[100];
  LoadResourceString(
      installChoices.language == Russian ? STRING_EXTRACT_ERROR_RU : STRING_EXTRACT_ERROR_EN, text,
      sizeof text);
  ShowStoppingMessage(text);
  return 1;
}

uint8_t ShowWriteError(const char* path) {
  char text[ErrorTextSize + PathBufferSize + 4];
  LoadResourceString(
      installChoices.language == Russian ? STRING_CREATE_ERROR_RU : STRING_CREATE_ERROR_EN, text,
      ErrorTextSize);
  // The path on a line of its own, between double quotes; the buffer holds
  // the longest message and the longest path the installation builds.
  const size_t used = std::strlen(text);
  size_t n = std::strlen(path);
  if (n > sizeof text - used - 4) n = sizeof text - used - 4;
  text[used] = '\n';
  text[used + 1] = '"';
  std::memcpy(text + used + 2, path, n);
  text[used + 2 + n] = '"';
  text[used + 3 + n] = '\0';
  ShowStoppingMessage(text);
  return 1;
}

uint8_t ShowDamagedInstaller() {
  char text[400];
  LoadResourceString(installChoices.language == Russian ? STRING_DAMAGED_INSTALLER_RU
                                                        : STRING_DAMAGED_INSTALLER_EN,
                     text, sizeof text);
  ShowStoppingMessage(text);
  return 1;
}

bool InstallFailureShown() {
  return failureShown;
}

void ForgetInstallFailure() {
  failureShown = false;
}
