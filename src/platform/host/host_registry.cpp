// The host stand-in's registry: keys of HKEY_LOCAL_MACHINE in memory.
#include <string>

#include "platform/host/host_machine_model.h"
#include "platform/host/host_system.h"
#include "platform/install_platform.h"

void WriteLocalMachineKey(const char* parent, const char* key, const RegistryValue* values,
                          int count) {
  if (NextChange() != Change::Made) return;
  std::string parentPath = HostUpper(parent);
  while (!parentPath.empty() && parentPath.back() == '\\') parentPath.pop_back();
  if (hostSystem.registry.count(parentPath) == 0) return;
  auto& stored = hostSystem.registry[parentPath + "\\" + HostUpper(key)];
  // A REG_DWORD is kept as "dword:" and its decimal value, so that its
  // type shows.
  for (int i = 0; i < count; i++)
    stored[values[i].name] = values[i].data != nullptr
                                 ? std::string(values[i].data)
                                 : "dword:" + std::to_string(values[i].number);
}
