// Processes on the host: the system folder they start from, and command
// lines recorded instead of run.
#include <cstring>

#include "platform/host/host_system.h"
#include "platform/install_platform.h"

void GetSystemFolder(char* out, int capacity) {
  const char* path = "c:\\windows\\system32";
  if (int(std::strlen(path)) < capacity) std::memcpy(out, path, std::strlen(path) + 1);
}

bool StartHiddenAndWait(const char* commandLine, int, int64_t* exitCode) {
  if (!hostSystem.processesStart) return false;
  hostSystem.processes.push_back(commandLine);
  if (exitCode != nullptr) *exitCode = 0;
  return true;
}
