#include "input_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <set>
#include <utility>

#include "code_page.h"
#include "windows_names.h"

namespace packer {

namespace {

using FileId = std::pair<dev_t, ino_t>;

struct Walk {
  FileId exclude{0, 0};
  bool haveExclude = false;
  std::vector<PackItem>* items;
  std::set<FileId> openFolders;  // on the current path: a link back is a loop
  // Every problem of the tree, one line each: the walk goes on after one,
  // so that a single run reports them all.
  std::vector<std::string> problems;
  // A part of the tree could not be read: the archive will not be written,
  // so later files are only checked, not read.
  bool unread = false;
};

}  // namespace

// One line per problem: a control character in a path (a newline is a
// valid byte of a name) is written as \xNN.
std::string InputProblem(const std::string& path, const std::string& why) {
  std::string line;
  for (const char c : path) {
    if (uint8_t(c) < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", uint8_t(c));
      line += escaped;
    } else {
      line += c;
    }
  }
  return line + ": " + why;
}

namespace {

std::string Reason(const std::string& path, const std::string& why) {
  return InputProblem(path, why);
}

// Converts one name component and notes every rule of Windows file names
// that it breaks; the component is kept either way so the walk goes on.
// False when it could not be converted: it then stays as the file system
// spells it.
bool ArchiveComponent(Walk* walk, const std::string& path, const std::string& component,
                      std::string* out) {
  if (!Utf8ToCp1251(component, out)) {
    walk->problems.push_back(Reason(path, IsUtf8(component)
                                              ? "name has characters outside code page 1251"
                                              : "name is not valid UTF-8"));
    *out = component;
    return false;
  }
  std::string why;
  if (!WindowsNameProblem(*out, &why)) walk->problems.push_back(Reason(path, why));
  return true;
}

void AddPath(Walk* walk, const std::string& path, const std::string& name, bool nameRefused);

void Unreadable(Walk* walk, const std::string& problem) {
  walk->problems.push_back(problem);
  walk->unread = true;
}

void AddFolder(Walk* walk, const std::string& path, const std::string& name, const struct stat& st,
               bool nameRefused) {
  const FileId id{st.st_dev, st.st_ino};
  if (walk->openFolders.count(id)) {
    Unreadable(walk, Reason(path, "folder contains itself through a symbolic link"));
    return;
  }
  PackItem item;
  item.name = name;
  item.nameRefused = nameRefused;
  item.directory = true;
  item.modifiedTime = DosTime(st.st_mtime);
  walk->items->push_back(std::move(item));

  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) {
    Unreadable(walk, Reason(path, std::strerror(errno)));
    return;
  }
  std::vector<std::string> children;
  errno = 0;
  while (dirent* d = readdir(dir)) {
    if (std::strcmp(d->d_name, ".") != 0 && std::strcmp(d->d_name, "..") != 0)
      children.push_back(d->d_name);
  }
  const int readErrno = errno;
  closedir(dir);
  if (readErrno != 0) {
    Unreadable(walk, Reason(path, std::strerror(readErrno)));
    return;
  }
  std::sort(children.begin(), children.end());
  walk->openFolders.insert(id);
  // Files first, then subfolders, each in name order.
  for (int pass = 0; pass < 2; pass++) {
    for (const std::string& child : children) {
      const std::string childPath = path + "/" + child;
      struct stat cs;
      const bool isFolder = stat(childPath.c_str(), &cs) == 0 && S_ISDIR(cs.st_mode);
      if (isFolder != (pass == 1)) continue;
      std::string component;
      const bool converted = ArchiveComponent(walk, childPath, child, &component);
      AddPath(walk, childPath, name + "\\" + component, nameRefused || !converted);
    }
  }
  walk->openFolders.erase(id);
}

void AddPath(Walk* walk, const std::string& path, const std::string& name, bool nameRefused) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) {
    Unreadable(walk, Reason(path, std::strerror(errno)));
    return;
  }
  if (walk->haveExclude && FileId{st.st_dev, st.st_ino} == walk->exclude) return;
  if (S_ISDIR(st.st_mode)) {
    AddFolder(walk, path, name, st, nameRefused);
    return;
  }
  if (!S_ISREG(st.st_mode)) {
    Unreadable(walk, Reason(path, "not a regular file or folder"));
    return;
  }
  PackItem item;
  item.name = name;
  item.nameRefused = nameRefused;
  // The file is read when it is packed, a piece at a time; here only
  // whether it opens counts, and what it is now, which it must still be then.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    Unreadable(walk, Reason(path, std::strerror(errno)));
    walk->items->push_back(std::move(item));  // its name still counts
    return;
  }
  struct stat opened;
  const bool statOk = fstat(fd, &opened) == 0;
  close(fd);
  if (!statOk || opened.st_ino != st.st_ino || opened.st_dev != st.st_dev) {
    Unreadable(walk, Reason(path, "changed while being listed"));
    return;
  }
  if (uint64_t(opened.st_size) > 0xFFFFFFF0ull) {
    Unreadable(walk, Reason(path, "larger than a RAR 2.x entry can hold"));
    return;
  }
  item.path = path;
  item.size = uint64_t(opened.st_size);
  item.modifiedNs = int64_t(opened.st_mtim.tv_sec) * 1000000000 + opened.st_mtim.tv_nsec;
  item.modifiedTime = DosTime(opened.st_mtime);
  walk->items->push_back(std::move(item));
}

// The last component of a path as the user named it ("dir/" is "dir"; "."
// and ".." are the folder they stand for).
bool BaseName(const std::string& path, std::string* base, std::string* error) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  std::string last = p.substr(p.rfind('/') == std::string::npos ? 0 : p.rfind('/') + 1);
  if (last.empty() || last == "." || last == "..") {
    char* real = realpath(path.c_str(), nullptr);
    if (real == nullptr) {
      *error = Reason(path, std::strerror(errno));
      return false;
    }
    std::string r = real;
    free(real);
    last = r.substr(r.rfind('/') + 1);
    if (last.empty()) {
      *error = Reason(path, "the root folder has no name to store");
      return false;
    }
  }
  *base = last;
  return true;
}

}  // namespace

uint32_t DosTime(std::time_t when) {
  struct tm t;
  if (localtime_r(&when, &t) == nullptr || t.tm_year < 80)
    return (0u << 25) | (1u << 21) | (1u << 16);
  if (t.tm_year > 207)
    return (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
  return uint32_t(t.tm_year - 80) << 25 | uint32_t(t.tm_mon + 1) << 21 | uint32_t(t.tm_mday) << 16 |
         uint32_t(t.tm_hour) << 11 | uint32_t(t.tm_min) << 5 | uint32_t(t.tm_sec / 2);
}

bool CollectInputs(const std::vector<std::string>& paths, const std::string& excludePath,
                   std::vector<PackItem>* items, std::string* error, bool* readWhole) {
  if (readWhole != nullptr) *readWhole = false;
  Walk walk;
  walk.items = items;
  struct stat ex;
  if (!excludePath.empty() && stat(excludePath.c_str(), &ex) == 0) {
    walk.exclude = {ex.st_dev, ex.st_ino};
    walk.haveExclude = true;
  }
  for (const std::string& path : paths) {
    std::string base, name;
    if (!BaseName(path, &base, error)) return false;
    const bool converted = ArchiveComponent(&walk, path, base, &name);
    AddPath(&walk, path, name, !converted);
  }
  if (readWhole != nullptr) *readWhole = !walk.unread;
  NoteWindowsCollisions(*items, &walk.problems);
  if (walk.problems.empty()) return true;
  *error = walk.problems[0];
  for (size_t i = 1; i < walk.problems.size(); i++) *error += "\n" + walk.problems[i];
  return false;
}

}  // namespace packer
