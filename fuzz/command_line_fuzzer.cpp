// Setup's command line under libFuzzer: any text is either refused with a
// reason, or read into answers that the wizard's checks then take or refuse
// with a reason; a destination taken is canonical, fits, and is taken again
// as it stands. Never a crash or a read beyond the text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "answers/command_line.h"
#include "answers/destination_rules.h"
#include "answers/install_choices.h"
#include "platform/host/host_uninstall.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  hostUninstall = HostUninstall{};  // the host stand-in, fresh for every input
  const std::string text(reinterpret_cast<const char*>(data), size);
  CommandLine line;
  char reason[ReasonSize];
  if (!ParseCommandLine(text.c_str(), &line, reason)) {
    if (reason[0] == '\0') std::abort();
    return 0;
  }
  if (line.deviceRow < -1 || line.deviceRow > 10 || line.language < -1 || line.language > 1 ||
      std::strlen(line.destination) >= sizeof line.destination ||
      std::strlen(line.logFile) >= sizeof line.logFile)
    std::abort();
  ResetInstallChoices();
  if (!ApplyCommandLine(line, reason)) {
    if (reason[0] == '\0') std::abort();
    return 0;
  }
  char again[PathBufferSize];
  if (!DestinationFits(installChoices.destinationDir) ||
      CheckDestination(installChoices.destinationDir, again) != DestinationCheck::Accepted ||
      std::strcmp(again, installChoices.destinationDir) != 0)
    std::abort();
  return 0;
}
