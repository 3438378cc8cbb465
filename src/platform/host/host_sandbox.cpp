// The host stand-in's machine: a sandbox folder standing in for the
// drives, with the layout of a fresh Windows, and Windows paths mapped into
// it.
#include <ftw.h>
#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/host/host_system.h"
#include "platform/path_platform.h"

HostSystem hostSystem;

std::string HostUpper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = char(c - 32);
  return s;
}

namespace {

int RemoveOne(const char* path, const struct stat*, int, struct FTW*) {
  return remove(path);
}

void RemoveTree(const std::string& path) {
  if (path.size() < 8) return;  // never something like "/" or "/tmp"
  nftw(path.c_str(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
}

}  // namespace

void ResetHostSystem(const std::string& sandboxFolder) {
  hostSystem = HostSystem{};
  hostSystem.sandbox = sandboxFolder;
  RemoveTree(sandboxFolder);
  for (const char* folder :
       {"", "/c", "/c/windows", "/c/windows/system32", "/c/work", "/c/Program Files", "/c/users",
        "/c/users/test", "/c/users/test/Start Menu", "/c/users/test/Start Menu/Programs",
        "/c/users/test/Desktop"})
    mkdir((sandboxFolder + folder).c_str(), 0777);
  hostSystem.registry[HostUpper("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall")] = {};
}

std::string HostPath(const std::string& windowsPath, bool profileFile) {
  // Tests that never set a sandbox still get one: nothing may land in the
  // host's own root.
  if (hostSystem.sandbox.empty()) {
    char folder[] = "/tmp/orbivue-host-XXXXXX";
    if (mkdtemp(folder) == nullptr) std::abort();
    ResetHostSystem(folder);
  }
  std::string p = windowsPath;
  std::string base;
  if (p.size() >= 2 && p[1] == ':') {
    base = hostSystem.sandbox + "/" + char(std::tolower(static_cast<unsigned char>(p[0])));
    p = p.substr(2);
  } else if (profileFile && p.find('\\') == std::string::npos) {
    base = hostSystem.sandbox + "/c/windows";
    p = "\\" + p;
  } else {
    base = hostSystem.sandbox + "/c/work";
    if (p.empty() || p[0] != '\\') p = "\\" + p;
  }
  // A backslash's byte that is the second byte of a two-byte character is
  // part of a name, as on Windows.
  for (size_t i = 0; i < p.size(); i++) {
    if (IsLeadByte(static_cast<uint8_t>(p[i]))) {
      i++;
      continue;
    }
    if (p[i] == '\\') p[i] = '/';
  }
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return base + p;
}

std::string ReadHostFile(const std::string& windowsPath, bool* exists) {
  std::ifstream in(HostPath(windowsPath), std::ios::binary);
  if (exists != nullptr) *exists = bool(in);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
