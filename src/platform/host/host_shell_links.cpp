// The shell on the host: 8.3 names, the user's Desktop and Programs
// folders, and shell links recorded and written as small files.
#include <cctype>
#include <cstring>
#include <string>

#include "platform/host/host_machine_model.h"
#include "platform/host/host_system.h"
#include "platform/install_platform.h"

std::string ShortComponent(const std::string& name) {
  if (name.size() <= 8 && name.find(' ') == std::string::npos) return name;
  std::string s;
  for (char c : name)
    if (c != ' ' && c != '.' && s.size() < 6)
      s += char(std::toupper(static_cast<unsigned char>(c)));
  return s + "~1";
}

void GetShortPath(const char* path, char* out) {
  if (!IsFolder(HostPath(path))) return;
  std::string result, component;
  const std::string p = path;
  for (size_t i = 0; i <= p.size(); i++) {
    if (i < p.size() && p[i] != '\\') {
      component += p[i];
      continue;
    }
    result += ShortComponent(component);
    if (i < p.size()) result += '\\';
    component.clear();
  }
  if (result.size() < 260) std::memcpy(out, result.c_str(), result.size() + 1);
}

void GetShellFolder(bool desktop, char* out) {
  const char* path = desktop ? "c:\\users\\test\\Desktop" : "c:\\users\\test\\Start Menu\\Programs";
  std::memcpy(out, path, std::strlen(path) + 1);
}

void InitializeCom() {
  hostSystem.comInitialisations++;
}

int32_t SaveShellLink(const char* target, const char* workingFolder, const char* description,
                      const char* arguments, int iconIndex, const char* place, const char* linkPath,
                      char* link) {
  // Saving a link makes one change of the machine, its file: a kill cuts
  // the file's write short, as it would cut the shell's.
  if (link != nullptr) link[0] = '\0';
  if (ProcessEnded()) return int32_t(0x80004005u);  // E_FAIL
  hostSystem.shortcuts.push_back({target, workingFolder, description, arguments ? arguments : "",
                                  linkPath, arguments != nullptr, iconIndex});
  const std::string content = std::string("shortcut to ") + target;
  if (!WriteWholeFile(place, linkPath, reinterpret_cast<const uint8_t*>(content.data()),
                      uint32_t(content.size()), link))
    return int32_t(0x80004005u);  // E_FAIL
  return 0;
}
