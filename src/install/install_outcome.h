// How an installation run ended.
#pragma once

#include <cstdint>

enum class InstallOutcome : uint8_t {
  Completed,  // everything is in place
  Cancelled,  // the user asked it to stop; what was made stays, and the log lists it
  Failed,     // an error stopped it: RunFailure() says which
};
