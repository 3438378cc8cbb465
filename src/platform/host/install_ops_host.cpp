// The installation's operations on the host: real files in a sandbox
// folder, a profile file implementation that behaves as Windows does, an
// in-memory registry, and recorded shortcuts and processes.
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/host/host_system.h"
#include "platform/host/host_uninstall.h"
#include "platform/install_platform.h"
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

bool IsFolder(const std::string& real) {
  struct stat st;
  return stat(real.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ParentOf(const std::string& real) {
  const size_t slash = real.rfind('/');
  return slash == std::string::npos ? "." : real.substr(0, slash);
}

// Profile file model: a list of lines, looked up the way Windows does.
struct ProfileFile {
  std::vector<std::string> lines;

  static std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t"), b = s.find_last_not_of(" \t\r");
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
  }
  static bool IsSection(const std::string& line, std::string* name) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t[0] != '[') return false;
    const size_t end = t.find(']');
    if (end == std::string::npos) return false;
    *name = Trim(t.substr(1, end - 1));
    return true;
  }
  static bool KeyOf(const std::string& line, std::string* key, std::string* value) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    *key = Trim(line.substr(0, eq));
    *value = Trim(line.substr(eq + 1));
    return true;
  }
  // [first, last) line range of the section's body; false when missing.
  bool FindSection(const std::string& section, size_t* first, size_t* last) const {
    for (size_t i = 0; i < lines.size(); i++) {
      std::string name;
      if (IsSection(lines[i], &name) && HostUpper(name) == HostUpper(section)) {
        size_t j = i + 1;
        while (j < lines.size() && !IsSection(lines[j], &name)) j++;
        *first = i + 1;
        *last = j;
        return true;
      }
    }
    return false;
  }
};

bool LoadProfile(const std::string& real, ProfileFile* file) {
  std::ifstream in(real, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    file->lines.push_back(line);
  }
  return true;
}

long long FileSize(const std::string& real) {
  struct stat st;
  return stat(real.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? static_cast<long long>(st.st_size)
                                                             : 0;
}

// How many of size bytes fit in a file written anew over one of oldSize
// bytes; takes them from the disk's free bytes.
size_t RoomFor(long long oldSize, size_t size) {
  if (hostSystem.diskFreeBytes < 0) return size;
  const long long room = hostSystem.diskFreeBytes + oldSize;
  const size_t fits = static_cast<long long>(size) < room ? size : size_t(room > 0 ? room : 0);
  hostSystem.diskFreeBytes = room - static_cast<long long>(fits);
  return fits;
}

// Gives the disk back the bytes of a file that went.
void Freed(long long size) {
  if (hostSystem.diskFreeBytes >= 0) hostSystem.diskFreeBytes += size;
}

// Writes the file anew with as much of data as the disk takes; true when
// all of it went.
bool WriteAsFarAsItFits(const std::string& real, const std::string& data) {
  const long long oldSize = FileSize(real);
  FILE* f = std::fopen(real.c_str(), "wb");
  if (f == nullptr) return false;
  const size_t n = RoomFor(oldSize, data.size());
  const bool ok = n == 0 || std::fwrite(data.data(), 1, n, f) == n;
  return std::fclose(f) == 0 && ok && n == data.size();
}

bool SaveProfile(const std::string& real, const ProfileFile& file) {
  if (!IsFolder(ParentOf(real))) return false;
  std::string content;
  for (const std::string& line : file.lines) content += line + "\r\n";
  return WriteAsFarAsItFits(real, content);
}

enum class Change { Made, Interrupted, AfterTheEnd };

// Counts one change of the machine; tells whether the process still lives
// to make it, dies while making it, or is already gone.
Change NextChange() {
  const int made = hostSystem.changes++;
  if (hostSystem.killAfter < 0 || made < hostSystem.killAfter) return Change::Made;
  return made == hostSystem.killAfter ? Change::Interrupted : Change::AfterTheEnd;
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

void CreateFolder(const char* path) {
  if (NextChange() != Change::Made) return;
  mkdir(HostPath(path).c_str(), 0777);
}

bool DeleteFileAt(const char* path) {
  if (NextChange() != Change::Made) return false;
  // DeleteFileA resolves a bare name against the current folder, unlike the
  // profile functions, which look for it in the Windows folder.
  const std::string real = HostPath(path);
  const long long size = FileSize(real);
  if (unlink(real.c_str()) != 0) return false;
  Freed(size);
  return true;
}

bool WriteWholeFile(const char* path, const uint8_t* data, uint32_t size) {
  const Change change = NextChange();
  if (change == Change::AfterTheEnd) return false;
  if (change == Change::Interrupted) size = 0;  // created, and nothing written yet
  const std::string real = HostPath(path);
  if (IsFolder(real)) return false;
  // Opened on the name itself: a link there is left alone, as on Windows.
  struct stat link;
  if (lstat(real.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) return false;
  // A read-only file in the way can't be replaced, as on Windows (root
  // ignores permission bits, so look at them ourselves).
  struct stat st;
  if (stat(real.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0) return false;
  const bool whole =
      WriteAsFarAsItFits(real, std::string(reinterpret_cast<const char*>(data), size));
  return whole && change == Change::Made;
}

bool CopyFileOver(const char* from, const char* to) {
  const Change change = NextChange();
  if (change == Change::AfterTheEnd) return false;
  std::ifstream in(HostPath(from), std::ios::binary);
  if (!in) return false;
  std::stringstream content;
  content << in.rdbuf();
  // Killed while it is made, the copy is created with nothing in it yet.
  return WriteAsFarAsItFits(HostPath(to), change == Change::Made ? content.str() : "") &&
         change == Change::Made;
}

bool PutFileInPlace(const char* from, const char* to) {
  // A rename: killed while it is made, it has happened or it has not.
  if (NextChange() != Change::Made) return false;
  const std::string real = HostPath(to);
  const long long replaced = FileSize(real);
  if (std::rename(HostPath(from).c_str(), real.c_str()) != 0) return false;
  Freed(replaced);
  hostUninstall.journal.push_back(std::string("replace ") + from + " -> " + to);
  return true;
}

void ReadProfileValue(const char* section, const char* key, const char* def, char* out,
                      int capacity, const char* file) {
  ProfileFile p;
  std::string value = def;
  size_t first, last;
  if (LoadProfile(HostPath(file, true), &p) && p.FindSection(section, &first, &last)) {
    for (size_t i = first; i < last; i++) {
      std::string k, v;
      if (ProfileFile::KeyOf(p.lines[i], &k, &v) && HostUpper(k) == HostUpper(key)) {
        value = v;
        break;
      }
    }
  }
  if (capacity <= 0) return;
  const size_t n = std::min(value.size(), size_t(capacity - 1));
  std::memcpy(out, value.data(), n);
  out[n] = '\0';
}

bool WriteProfileValue(const char* section, const char* key, const char* value, const char* file) {
  const Change change = NextChange();
  if (change == Change::AfterTheEnd) return false;
  const std::string real = HostPath(file, true);
  if (change == Change::Interrupted) {
    // Windows writes the whole file anew: killed in between, it is empty.
    SaveProfile(real, ProfileFile{});
    return false;
  }
  ProfileFile p;
  LoadProfile(real, &p);
  const std::string line = std::string(key) + "=" + value;
  size_t first, last;
  if (!p.FindSection(section, &first, &last)) {
    p.lines.push_back(std::string("[") + section + "]");
    p.lines.push_back(line);
  } else {
    size_t insertAt = first;
    for (size_t i = first; i < last; i++) {
      std::string k, v;
      if (ProfileFile::KeyOf(p.lines[i], &k, &v)) {
        if (HostUpper(k) == HostUpper(key)) {
          p.lines[i] = k + "=" + value;  // in place, under the stored spelling
          return SaveProfile(real, p);
        }
      }
      if (!ProfileFile::Trim(p.lines[i]).empty()) insertAt = i + 1;
    }
    p.lines.insert(p.lines.begin() + long(insertAt), line);
  }
  return SaveProfile(real, p);
}

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

void GetShortPath(const char* path, char* out) {
  // 8.3 names: components longer than eight characters or with blanks get
  // the first six other characters, upper case, and "~1".
  if (!IsFolder(HostPath(path))) return;
  std::string result, component;
  const std::string p = path;
  for (size_t i = 0; i <= p.size(); i++) {
    if (i < p.size() && p[i] != '\\') {
      component += p[i];
      continue;
    }
    if (component.size() > 8 || component.find(' ') != std::string::npos) {
      std::string s;
      for (char c : component)
        if (c != ' ' && c != '.' && s.size() < 6)
          s += char(std::toupper(static_cast<unsigned char>(c)));
      component = s + "~1";
    }
    result += component;
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
                      const char* arguments, int iconIndex, const char* linkPath) {
  if (NextChange() != Change::Made) return int32_t(0x80004005u);  // E_FAIL
  hostSystem.shortcuts.push_back({target, workingFolder, description, arguments ? arguments : "",
                                  linkPath, arguments != nullptr, iconIndex});
  const std::string content = std::string("shortcut to ") + target;
  if (!WriteWholeFile(linkPath, reinterpret_cast<const uint8_t*>(content.data()),
                      uint32_t(content.size())))
    return int32_t(0x80004005u);  // E_FAIL
  return 0;
}

void GetSystemFolder(char* out, int capacity) {
  const char* path = "c:\\windows\\system32";
  if (int(std::strlen(path)) < capacity) std::memcpy(out, path, std::strlen(path) + 1);
}

bool StartHiddenAndWait(const char* commandLine, int) {
  if (!hostSystem.processesStart) return false;
  hostSystem.processes.push_back(commandLine);
  return true;
}
