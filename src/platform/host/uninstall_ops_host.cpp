// The uninstaller's operations on the host: real files and folders in the
// stand-in's sandbox, its in-memory registry, and recorded processes and
// windows. Every change goes into the journal.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "paths/path_form.h"
#include "platform/host/host_machine_model.h"
#include "platform/host/host_system.h"
#include "platform/host/host_uninstall.h"
#include "platform/uninstall_platform.h"

namespace {

bool Listed(const std::vector<std::string>& list, const std::string& path) {
  for (const std::string& p : list)
    if (HostUpper(p) == HostUpper(path)) return true;
  return false;
}

std::string KeyPath(const char* parent, const char* key) {
  std::string p = HostUpper(parent);
  while (!p.empty() && p.back() == '\\') p.pop_back();
  return p + "\\" + HostUpper(key);
}

bool CopyOut(const std::string& text, char* out, int capacity) {
  if (int(text.size()) >= capacity) return false;
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
}

}  // namespace

bool GetProgramPath(char* out, int capacity) {
  return CopyOut(hostUninstall.programPath, out, capacity);
}

bool RemoveFile(const char* place, const char* path, char* link) {
  if (StopsAtLink(place, path, link)) return false;
  if (Listed(hostUninstall.heldFiles, path)) return false;
  // Deleted through a handle on the name itself, as on Windows: never a
  // link (the program looks first; this is the act's own check). A
  // read-only file is made writable first, so it goes too.
  struct stat st;
  if (lstat(HostPath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (unlink(HostPath(path).c_str()) != 0) return false;
  hostUninstall.journal.push_back(std::string("delete ") + path);
  return true;
}

bool RemoveEmptyFolder(const char* place, const char* path, char* link) {
  if (StopsAtLink(place, path, link)) return false;
  struct stat st;
  if (lstat(HostPath(path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  if (rmdir(HostPath(path).c_str()) != 0) return false;
  hostUninstall.journal.push_back(std::string("rmdir ") + path);
  return true;
}

bool ReadShortcutTarget(const char* place, const char* path, char* target, int capacity) {
  // The stand-in's shortcut file says "shortcut to TARGET".
  char link[PathCapacity];
  if (StopsAtLink(place, path, link)) return false;
  bool exists = false;
  const std::string content = ReadHostFile(path, &exists);
  const std::string prefix = "shortcut to ";
  return exists && content.compare(0, prefix.size(), prefix) == 0 &&
         CopyOut(content.substr(prefix.size()), target, capacity);
}

bool ListFolder(const char* folder, std::vector<FolderName>* names) {
  DIR* listing = opendir(HostPath(folder).c_str());
  if (listing == nullptr) return false;
  while (const dirent* entry = readdir(listing)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    const std::string alias = ShortComponent(name);
    names->push_back({name, alias == name ? std::string() : alias});
  }
  closedir(listing);
  return true;
}

std::vector<std::string> RegisteredServersNamed(const char* fileName) {
  const std::string classes = "SOFTWARE\\CLASSES\\CLSID\\", server = "\\INPROCSERVER32";
  const std::string name = HostUpper(fileName);
  std::vector<std::string> servers;
  for (const auto& [key, values] : hostSystem.registry) {
    if (key.compare(0, classes.size(), classes) != 0 || key.size() < server.size() ||
        key.compare(key.size() - server.size(), server.size(), server) != 0)
      continue;
    const auto value = values.find("");
    if (value == values.end()) continue;
    const size_t slash = value->second.rfind('\\');
    if (HostUpper(value->second.substr(slash == std::string::npos ? 0 : slash + 1)) == name)
      servers.push_back(value->second);
  }
  return servers;
}

bool ReadLocalMachineValue(const char* parent, const char* key, const char* name, char* out,
                           int capacity) {
  const auto k = hostSystem.registry.find(KeyPath(parent, key));
  if (k == hostSystem.registry.end()) return false;
  const auto v = k->second.find(name);
  return v != k->second.end() && CopyOut(v->second, out, capacity);
}

bool DeleteLocalMachineKey(const char* parent, const char* key) {
  if (hostSystem.registry.erase(KeyPath(parent, key)) == 0) return false;
  hostUninstall.journal.push_back("delete key " + KeyPath(parent, key));
  return true;
}

bool RunHiddenToEnd(const char* commandLine, int, uint32_t* exitCode) {
  hostUninstall.commands.push_back(commandLine);
  if (!hostSystem.processesStart || hostUninstall.filtersHang) return false;
  // The stand-in knows one program: regsvr32 /u /s "PATH".
  std::string filter = commandLine;
  const size_t open = filter.rfind(" \"");
  filter = open == std::string::npos ? "" : filter.substr(open + 2);
  if (!filter.empty() && filter.back() == '"') filter.pop_back();
  *exitCode = Listed(hostUninstall.failingFilters, filter) ? 5 : 0;
  if (*exitCode == 0) hostUninstall.journal.push_back("unregister " + filter);
  return true;
}

bool MoveProgramToTemp(const char* program, char* moved, int capacity) {
  if (!hostUninstall.programMovable) return false;
  mkdir(HostPath("c:\\windows\\temp").c_str(), 0777);
  const std::string target = "c:\\windows\\temp\\oun1.tmp";
  if (!CopyOut(target, moved, capacity) ||
      std::rename(HostPath(program).c_str(), HostPath(target).c_str()) != 0)
    return false;
  hostUninstall.journal.push_back(std::string("move ") + program + " -> " + target);
  return true;
}

bool DeleteAtRestart(const char* path) {
  hostUninstall.journal.push_back(std::string("at restart ") + path);
  return true;
}

bool AskYesNo(const char*, const char* question) {
  hostUninstall.questions.push_back(question);
  return hostUninstall.answerYes;
}

void ShowUninstallMessage(const char*, const MessagePart* parts, int count, bool warning) {
  std::string text;
  for (int i = 0; i < count; i++) text += parts[i].text;
  hostUninstall.messages.push_back(text);
  hostUninstall.messageWarnings.push_back(warning);
}

void OpenProgressWindow(const char*, const char*) {
  hostUninstall.progressOpen = true;
  hostUninstall.progressOpened++;
}

void SetProgressWindow(int position, int maximum) {
  hostUninstall.progressPosition = position;
  hostUninstall.progressMaximum = maximum;
}

void CloseProgressWindow() {
  hostUninstall.progressOpen = false;
}
