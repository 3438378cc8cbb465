#include "entry_path.h"

bool EntryRelativePath(const std::string& name, std::string* path, std::string* reason) {
  if (name.empty()) {
    *reason = "empty name";
    return false;
  }
  if (name[0] == '\\' || name[0] == '/') {
    *reason = "absolute path";
    return false;
  }
  if (name.find(':') != std::string::npos) {
    *reason = "drive letter or stream name";
    return false;
  }
  path->clear();
  std::string component;
  for (size_t i = 0; i <= name.size(); i++) {
    const bool end = i == name.size() || name[i] == '\\' || name[i] == '/';
    if (!end) {
      component += name[i];
      continue;
    }
    if (component == "..") {
      *reason = "'..' component";
      return false;
    }
    if (!component.empty() && component != ".") {
      if (!path->empty()) *path += '/';
      *path += component;
    }
    component.clear();
  }
  if (path->empty()) {
    *reason = "empty name";
    return false;
  }
  return true;
}
