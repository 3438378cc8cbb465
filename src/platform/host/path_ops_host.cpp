// What the host stand-in's file system says of paths: the ANSI code page
// the test chose (1251 by default, 932 for double-byte characters), full
// forms resolved as Windows resolves them, and links seen without being
// followed. The sandbox has no 8.3 names, so a path's long form is itself.
#include <dirent.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/host/host_machine_model.h"
#include "platform/host/host_system.h"
#include "platform/path_platform.h"

namespace {

bool IsKanjiLead(uint8_t c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Code page 1251's lower-case letters beyond ASCII and their capitals.
uint8_t Upper1251(uint8_t c) {
  if (c >= 0xE0) return uint8_t(c - 0x20);
  switch (c) {
    case 0x90:
      return 0x80;
    case 0x83:
      return 0x81;
    case 0x9A:
      return 0x8A;
    case 0x9C:
      return 0x8C;
    case 0x9D:
      return 0x8D;
    case 0x9E:
      return 0x8E;
    case 0x9F:
      return 0x8F;
    case 0xA2:
      return 0xA1;
    case 0xBC:
      return 0xA3;
    case 0xB4:
      return 0xA5;
    case 0xB8:
      return 0xA8;
    case 0xBA:
      return 0xAA;
    case 0xBF:
      return 0xAF;
    case 0xB3:
      return 0xB2;
    case 0xBE:
      return 0xBD;
    default:
      return c;
  }
}

}  // namespace

bool IsLeadByte(uint8_t c) {
  return hostSystem.codePage == 932 && IsKanjiLead(c);
}

void FoldCase(char* text) {
  for (char* p = text; *p != '\0'; p++) {
    const uint8_t c = static_cast<uint8_t>(*p);
    if (IsLeadByte(c)) {
      if (p[1] == '\0') break;
      p++;  // the second byte is not a letter of its own
    } else if (c >= 'a' && c <= 'z') {
      *p = char(c - 32);
    } else if (hostSystem.codePage == 1251 && c >= 0x80) {
      *p = char(Upper1251(c));
    }
  }
}

bool GetFullPath(const char* path, char* out, int capacity) {
  // "X:\..." only (the callers see to it): "/" is "\", empty names and "."
  // go, ".." takes the name before it, never the drive; a trailing
  // backslash stays, as Windows keeps it.
  std::string text = path;
  for (size_t i = 0; i < text.size(); i++) {
    if (IsLeadByte(static_cast<uint8_t>(text[i]))) {
      i++;
      continue;
    }
    if (text[i] == '/') text[i] = '\\';
  }
  if (text.size() < 3 || text[1] != ':' || text[2] != '\\') return false;
  const bool trailing = text.back() == '\\';
  std::vector<std::string> names;
  std::string name;
  for (size_t i = 3; i <= text.size(); i++) {
    if (i < text.size() && IsLeadByte(static_cast<uint8_t>(text[i])) && i + 1 < text.size()) {
      name += text.substr(i, 2);
      i++;
      continue;
    }
    if (i == text.size() || text[i] == '\\') {
      if (name == "..") {
        if (!names.empty()) names.pop_back();
      } else if (!name.empty() && name != ".") {
        // Windows drops the dots and blanks a name ends in.
        while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
        if (!name.empty()) names.push_back(name);
      }
      name.clear();
    } else {
      name += text[i];
    }
  }
  std::string full = text.substr(0, 3);
  for (size_t i = 0; i < names.size(); i++) full += (i > 0 ? "\\" : "") + names[i];
  if (trailing && !names.empty()) full += "\\";
  if (int(full.size()) >= capacity) return false;
  std::memcpy(out, full.c_str(), full.size() + 1);
  return true;
}

bool GetLongPath(const char* path, char* out, int capacity) {
  // A component that is not there under its name may be the stand-in's 8.3
  // name of one that is.
  const std::string text = path;
  if (text.size() < 3) return false;
  std::string longForm = text.substr(0, 3);
  for (size_t start = 3; start < text.size();) {
    size_t end = text.find('\\', start);
    if (end == std::string::npos) end = text.size();
    std::string name = text.substr(start, end - start);
    if (QueryPath((longForm + name).c_str()) == PathKind::Missing) {
      if (DIR* folder = opendir(HostPath(longForm).c_str())) {
        while (const dirent* entry = readdir(folder))
          if (HostUpper(ShortComponent(entry->d_name)) == HostUpper(name)) name = entry->d_name;
        closedir(folder);
      }
    }
    longForm += name + (end < text.size() ? "\\" : "");
    start = end + 1;
  }
  if (QueryPath(longForm.c_str()) == PathKind::Missing || int(longForm.size()) >= capacity)
    return false;
  std::memcpy(out, longForm.c_str(), longForm.size() + 1);
  return true;
}

PathKind QueryPath(const char* path) {
  struct stat st;
  if (lstat(HostPath(path).c_str(), &st) != 0) return PathKind::Missing;
  if (S_ISLNK(st.st_mode)) return PathKind::Link;
  return S_ISDIR(st.st_mode) ? PathKind::Folder : PathKind::File;
}
